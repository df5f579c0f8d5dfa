#include "TorvaneTool/SpacePreview.h"

#include <array>

#include "XQKit/AppInfo.h"
#include "XQKit/XQLog.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/system/Accessibility.h"
#include "platform/system/ScriptingBridge.h"

using platform::SessionEvent;

// ---- catalogue -------------------------------------------------------------------------------------

namespace {
const std::array<std::string, RightMenuItem::caseCount>& titles() {
    static const std::array<std::string, RightMenuItem::caseCount> all = {
        "Decompress to current folder",
        "Decompress to separate folder",
        "Decompress to current folder and delete original archive",
        "Decompress to separate folder and delete original archive",
        "Preview",
        "Quick compress as 7z",
        "Quick compress as zip",
        "Quick compress as 7z and delete original files",
        "Quick compress as zip and delete original files",
        "Quick compress to separate 7z",
        "Quick compress to separate zip",
        "Quick compress to separate 7z and delete original files",
        "Quick compress to separate zip and delete original files",
        "Compress as 7z",
        "Compress as zip",
        "Compress as 7z and delete original files",
        "Compress as zip and delete original files",
        "Compress to separate 7z",
        "Compress to separate zip",
        "Compress to separate 7z and delete original files",
        "Compress to separate zip and delete original files",
        "Encrypt and compress as 7z",
        "Encrypt and compress as zip",
        "Encrypt and compress to separate 7z",
        "Encrypt and compress to separate zip",
        "Custom compression",
        "Set encryption password",
    };
    return all;
}
}  // namespace

const std::string& RightMenuItem::rawValue() const { return titles()[case_]; }

std::optional<RightMenuItem> RightMenuItem::fromRawValue(std::string_view rawValue) {
    const auto& all = titles();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == rawValue) return RightMenuItem(static_cast<Case>(i));
    return std::nullopt;
}

const std::vector<RightMenuItem>& RightMenuItem::allCases() {
    static const std::vector<RightMenuItem> cases = [] {
        std::vector<RightMenuItem> list;
        for (int i = 0; i < caseCount; ++i) list.emplace_back(static_cast<Case>(i));
        return list;
    }();
    return cases;
}

std::vector<std::shared_ptr<MenuItemModel>> defaultMenuItems() {
    std::vector<std::shared_ptr<MenuItemModel>> items;
    items.reserve(RightMenuItem::caseCount);
    for (const auto& item : RightMenuItem::allCases()) {
        bool mainMenu = true;
        switch (item.value()) {
            case RightMenuItem::decompressToCurrentFolderAndDeleteOriginalArchive:
            case RightMenuItem::compressAs7z:
            case RightMenuItem::compressAs7zAndDeleteOriginalFiles:
            case RightMenuItem::compressToSeparate7z:
            case RightMenuItem::compressToSeparate7zAndDeleteOriginalFiles: mainMenu = false; break;
            default: break;
        }
        items.push_back(std::make_shared<MenuItemModel>(item, true, mainMenu));
    }
    return items;
}

std::optional<std::size_t> indexOfMenuItem(const std::vector<std::shared_ptr<MenuItemModel>>& items,
                                           const std::string& title) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i]->item.rawValue() == title) return i;
    return std::nullopt;
}

// ---- state of the tap --------------------------------------------------------------------------------

namespace {
// The tap and its source while installed; touched on the main thread only.
std::shared_ptr<platform::EventTap> eventTap;
std::shared_ptr<platform::RunLoopSource> eventTapSource;

const std::shared_ptr<platform::AXUIElement>& systemWideElement() {
    static const auto element = platform::AXUIElement::createSystemWide();
    return element;
}

constexpr platform::ModifierFlags kModifierMask = 0x9F0000;  // Caps Lock, Shift, Control, Option, Command, Fn
constexpr std::int64_t kSpaceKeyCode = 49;

void dropTap() {
    if (eventTapSource) {
        platform::RunLoop::current().removeSource(eventTapSource, platform::RunLoopMode::Default);
        eventTapSource.reset();
    }
    if (eventTap) {
        eventTap->enable(false);
        eventTap->invalidate();
        eventTap.reset();
    }
}

const char* kCallback = "eventTapCallback(proxy:type:event:refcon:)";
}  // namespace

std::shared_ptr<platform::EventTap> currentEventTap() { return eventTap; }

const std::set<std::string>& archiveExtensions() {
    static const std::set<std::string> extensions = {"zip", "rar", "7z", "tar", "tgz", "gz", "xz", "txz", "bz2", "jar"};
    return extensions;
}

void createEventTap() {
    if (eventTap) return;
    eventTap = platform::EventTap::create(platform::EventTapLocation::Session, platform::EventTapPlacement::HeadInsert,
                                          platform::EventTapOptions::Default, 1 << 10, eventTapCallback, nullptr);
    if (!eventTap) {
        XQLog("无法创建事件监听器");
        return;
    }
    eventTapSource = eventTap->runLoopSource();
    platform::RunLoop::current().addSource(eventTapSource, platform::RunLoopMode::Default);
    eventTap->enable(true);
    XQLog("创建事件监听器 成功");
}

void removeEventTap() {
    dropTap();
    XQLog("移除事件监听器");
}

namespace {
// Kept out of line so the path every key event takes stays a few loads and compares.
[[gnu::noinline, gnu::cold]] SessionEvent* dropUntrustedTap(SessionEvent* event) {
    XQLog(XQLogAt(kCallback), "没有辅助功能权限");
    dropTap();
    return event;
}
}  // namespace

namespace {
[[gnu::noinline]] SessionEvent* removeDisabledTap(SessionEvent* event) {
    removeEventTap();
    return event;
}
// A bare Space: the decision answers whether the press is swallowed.
[[gnu::noinline]] SessionEvent* decideOnSpace(SessionEvent* event) {
    return checkSelectedFileTellTorvaneToPreview() ? nullptr : event;
}
}  // namespace

SessionEvent* eventTapCallback(platform::EventTapProxy, platform::SessionEventType type, SessionEvent* event, void*) {
    if (!platform::AXIsProcessTrusted()) [[unlikely]]
        return dropUntrustedTap(event);
    if (type == platform::kSessionEventTapDisabledByTimeout || type == platform::kSessionEventTapDisabledByUserInput)
        [[unlikely]]
        return removeDisabledTap(event);
    if (type == platform::kSessionEventKeyDown &&
        static_cast<std::uint16_t>(event->integerValueField(platform::kKeyboardEventKeycode)) == kSpaceKeyCode &&
        (event->flags() & kModifierMask) == 0)
        return decideOnSpace(event);
    return event;
}

namespace {
// Whether the focus is in text entry: the focused element answers a selected text, even an empty one.
bool isTyping() {
    platform::Value focused;
    if (systemWideElement()->copyAttributeValue("AXFocusedUIElement", focused) != platform::kAXErrorSuccess) return false;
    auto element = focused.objectAs<platform::AXUIElement>();
    if (!element) return false;
    platform::Value selected;
    return element->copyAttributeValue("AXSelectedText", selected) == platform::kAXErrorSuccess && !selected.isAbsent();
}

bool previewSwitchedOn(const std::shared_ptr<platform::UserDefaults>& defaults) {
    if (!defaults) return false;
    const char* key = AppIsInstalled(appEditions[0].bundleIdentifier)   ? "configPro"
                      : AppIsInstalled(appEditions[1].bundleIdentifier) ? "configOffline"
                                                                        : "config";
    platform::Value config = defaults->object(key);
    if (!config.dictionary()) return false;
    return config["spacePreviewStyle"].exactly<std::uint8_t>() == std::uint8_t{1};
}
}  // namespace

bool checkSelectedFileTellTorvaneToPreview() {
    if (isTyping()) {
        XQLog("输入状态，直接返回");
        return false;
    }
    auto defaults = platform::UserDefaults::suite(kTorvaneGroupSuite);
    if (!previewSwitchedOn(defaults)) {
        XQLog("未开启 插件预览 功能");
        return false;
    }
    const AppEdition* target = nullptr;
    for (const auto& edition : appEditions)
        if (AppIsInstalled(edition.bundleIdentifier)) {
            target = &edition;
            break;
        }
    if (!target) {
        platform::Application::shared()->terminate(nullptr);
        return false;
    }
    auto paths = XQTool::getFinderSelectedFilesWithExts(archiveExtensions()).value_or(std::vector<std::string>{});
    if (paths.empty()) {
        XQLog("未选中 符合条件的压缩包 进行预览，或者Finder未激活");
        return false;
    }
    auto index = indexOfMenuItem(defaultMenuItems(), RightMenuItem(RightMenuItem::preview).rawValue());
    platform::Array stored(paths.begin(), paths.end());
    defaults->set("FinderSyncSelectedUrls", platform::Value(std::move(stored)));
    defaults->synchronize();
    OpenUrl(std::string(target->urlScheme) + "finderSync" + "?index=" + std::to_string(index.value_or(0)));
    return true;
}

std::optional<std::vector<std::string>> XQTool::getFinderSelectedFilesWithExts(const std::set<std::string>& extensions) {
    std::vector<std::string> result;
    auto finder = platform::SBApplication::withBundleIdentifier("com.apple.finder");
    if (!finder || !finder->frontmost()) return result;
    platform::Value items = finder->selection()->get();
    const platform::Array* list = items.array();
    if (!list) return result;
    for (const auto& item : *list) {
        auto object = item.objectAs<platform::SBObject>();
        if (!object) continue;
        platform::Value urlValue = object->property("URL");
        const std::string* urlText = urlValue.string();
        if (!urlText) continue;
        // The extension of the last path component; a folder URL (ending in "/") has none.
        std::string extension;
        if (!urlText->ends_with('/')) {
            std::string last = urlText->substr(urlText->rfind('/') + 1);
            if (auto dot = last.rfind('.'); dot != std::string::npos) extension = last.substr(dot + 1);
        }
        if (!extensions.count(extension)) continue;
        // An item whose URL does not decode is skipped rather than stored mangled.
        auto decoded = platform::removingPercentEncoding(*urlText);
        if (!decoded) continue;
        std::string path = *decoded;
        for (auto at = path.find("file://"); at != std::string::npos; at = path.find("file://", at))
            path.erase(at, 7);
        result.push_back(std::move(path));
    }
    return result;
}
