#include "XQKit/AppInfo.h"

#include <pwd.h>

#include <algorithm>
#include <array>

#include "XQKit/XQLog.h"
#include "platform/appkit/Appearance.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/system/Session.h"

using platform::Bundle;
using platform::URL;
using platform::Workspace;

namespace {

std::string infoText(const char* key) {
    const auto& info = Bundle::main()->infoDictionary();
    auto it = info.find(key);
    return it != info.end() && it->second.string() ? *it->second.string() : std::string();
}

std::string lastSearchPath(platform::SearchPathDirectory directory) {
    auto urls = platform::FileManager::defaultManager().urls(directory);
    if (urls.empty()) return {};
    return platform::expandingTildeInPath(urls.back().path());
}

constexpr std::string_view kDeveloperBuilds = "/Library/Developer/Xcode/";

}  // namespace

const std::string& APP_Version() {
    static const std::string value = infoText("CFBundleShortVersionString");
    return value;
}

const std::string& APP_Build_Number() {
    static const std::string value = infoText("CFBundleVersion");
    return value;
}

const std::string& App_Name() {
    static const std::string value = [] {
        auto bundle = Bundle::main();
        auto localized = bundle->localizedInfoDictionary();
        const auto& info = bundle->infoDictionary();
        for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
            for (const platform::Dictionary* table : std::array<const platform::Dictionary*, 2>{&localized, &info}) {
                auto it = table->find(key);
                if (it != table->end() && it->second.string()) return *it->second.string();
            }
        }
        return std::string();
    }();
    return value;
}

const std::string& Bundle_Id() {
    static const std::string value = Bundle::main()->bundleIdentifier().value_or("");
    return value;
}

const std::string& System_OS_Version() {
    static const std::string value = [] {
        auto v = platform::ProcessInfo::processInfo().operatingSystemVersion();
        return std::to_string(v.majorVersion) + "." + std::to_string(v.minorVersion) + "." +
               std::to_string(v.patchVersion);
    }();
    return value;
}

std::optional<std::int64_t> OwnerAccountID() {
    static const std::optional<std::int64_t> value = []() -> std::optional<std::int64_t> {
        auto executable = Bundle::main()->executablePath();
        if (!executable) return std::nullopt;
        auto attributes = platform::FileManager::defaultManager().attributesOfItem(*executable);
        return attributes ? attributes->ownerAccountID : std::nullopt;
    }();
    return value;
}

bool SystemIsDarkTheme() {
    auto style = platform::UserDefaults::globalDomain()->object("AppleInterfaceStyle");
    const std::string* text = style.string();
    if (!text || text->size() != 4) return false;
    std::string lower = *text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower == "dark";
}

bool AppIsDarkTheme() {
    auto appearance = platform::Appearance::applicationEffective();
    return appearance && appearance->bestMatch({platform::AppearanceName::DarkAqua, platform::AppearanceName::Aqua}) ==
                             platform::AppearanceName::DarkAqua;
}

std::string DocumentPath() { return lastSearchPath(platform::SearchPathDirectory::Document); }
std::string LibraryPath() { return lastSearchPath(platform::SearchPathDirectory::Library); }
std::string CachePath() { return lastSearchPath(platform::SearchPathDirectory::Caches); }

std::optional<std::string> BundlePath(const std::string& name) { return Bundle::main()->pathForResource(name); }

std::optional<std::string> GUIUserName() {
    auto user = platform::Session::shared().consoleUser();
    if (!user || *user == "loginWindow") return std::nullopt;
    return user;
}

std::optional<std::string> GUIUserDisplayName() {
    auto user = GUIUserName();
    if (!user) return std::nullopt;
    const passwd* entry = getpwnam(user->c_str());
    if (!entry) return std::nullopt;
    entry = getpwuid(entry->pw_uid);
    if (!entry || !entry->pw_dir || !*entry->pw_dir) return std::nullopt;
    std::string home = entry->pw_dir;
    return home.substr(home.rfind('/') + 1);
}

std::optional<URL> SelectAppUrl(const std::vector<URL>& urls, const std::function<std::string(const URL&)>& versionOf) {
    std::vector<std::pair<URL, std::string>> kept;
    for (const auto& url : urls)
        if (url.path().find(kDeveloperBuilds) == std::string::npos) kept.emplace_back(url, versionOf(url));
    std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
        return platform::compareVersions(a.second, b.second) > 0;
    });
    for (const auto& [url, version] : kept)
        if (url.path().rfind("/Applications", 0) == 0) return url;
    if (kept.empty()) return std::nullopt;
    return kept.front().first;
}

std::optional<URL> AppUrl(const std::string& bundleId) {
    auto workspace = Workspace::shared();
    if (platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({12, 0, 0})) {
        auto urls = workspace->urlsForApplications(bundleId);
        if (urls.empty()) return std::nullopt;
        // The workspace's index already holds each copy's version; no Info.plist is read again.
        return SelectAppUrl(urls, [&](const URL& url) {
            if (auto version = workspace->versionOfApplication(url)) return *version;
            return AppVersion(url).value_or("0");
        });
    }
    auto url = workspace->urlForApplication(bundleId);
    if (!url || url->path().find(kDeveloperBuilds) != std::string::npos) return std::nullopt;
    return url;
}

bool AppIsInstalled(const std::string& bundleId) {
    auto url = AppUrl(bundleId);
    return url && platform::FileManager::defaultManager().fileExists(url->path());
}

std::optional<std::string> AppInfoValue(const std::string& key, const URL& appUrl) {
    auto bundle = Bundle::withURL(appUrl);
    if (!bundle || !bundle->hasInfo()) return std::nullopt;
    const auto& info = bundle->infoDictionary();
    auto it = info.find(key);
    if (it == info.end() || !it->second.string()) return std::nullopt;
    return *it->second.string();
}

std::optional<std::string> AppInfoValue(const std::string& key, const std::string& bundleId) {
    auto url = AppUrl(bundleId);
    if (!url) return std::nullopt;
    return AppInfoValue(key, *url);
}

std::optional<std::string> AppVersion(const std::string& bundleId) {
    return AppInfoValue("CFBundleShortVersionString", bundleId);
}
std::optional<std::string> AppVersion(const URL& url) { return AppInfoValue("CFBundleShortVersionString", url); }

bool AppIsRunning(const std::string& bundleId) {
    for (const auto& app : Workspace::shared()->runningApplications())
        if (app->bundleIdentifier == bundleId) return true;
    return false;
}

void RunAppWithName(const std::string& name, double delay, std::function<void()> success) {
    auto callBack = [&] {
        if (!success) return;
        if (delay > 0)
            platform::dispatch::main().asyncAfter(delay, success);
        else
            success();
    };
    for (const auto& app : Workspace::shared()->runningApplications()) {
        if (app->localizedName == name) {
            callBack();
            return;
        }
    }
    if (!Workspace::shared()->launchApplication(name)) return;
    callBack();
}

void RunAppWithBundleID(const std::string& bundleId, std::optional<std::vector<std::string>> arguments, bool activates,
                        std::function<void(bool)> completion) {
    if (AppIsRunning(bundleId)) {
        if (completion) completion(true);
        return;
    }
    auto workspace = Workspace::shared();
    if (platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({11, 0, 0})) {
        auto url = workspace->urlForApplication(bundleId);
        if (!url) {
            if (completion) completion(false);
            return;
        }
        platform::OpenConfiguration configuration;
        configuration.activates = activates;
        configuration.arguments = arguments.value_or(std::vector<std::string>{});
        workspace->openApplication(*url, configuration,
                                   [completion](std::shared_ptr<platform::RunningApplication> app,
                                                std::optional<std::string> error) {
                                       if (completion) completion(app && !error);
                                   });
        return;
    }
    // Older systems: launch by identifier (asynchronous launch, with or without activation).
    bool launched = workspace->launchApplication(bundleId, arguments.value_or(std::vector<std::string>{}));
    if (launched && activates) platform::Session::shared().setFrontmostApplication(bundleId);
    if (completion) completion(launched);
}

bool OpenUrl(const std::string& text) {
    XQLog(XQLogAt("OpenUrl(_:)"), "Open url: " + text);
    auto url = URL::parse(text);
    if (!url) return false;
    return Workspace::shared()->openURL(*url);
}
