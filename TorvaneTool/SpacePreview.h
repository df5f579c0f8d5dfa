#pragma once

// The Space-key preview: a session event tap that takes a bare Space press in Finder over selected
// archives, stores their paths in the Torvane applications' shared preferences and asks the installed
// edition of Torvane to preview them. Every other key press goes on unchanged.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/runtime/Object.h"
#include "platform/system/EventTap.h"

// ---- the context-menu catalogue shared with Torvane ----------------------------------------------

class RightMenuItem {
public:
    enum Case : std::uint8_t {
        decompressToCurrentFolder,
        decompressToSeparateFolder,
        decompressToCurrentFolderAndDeleteOriginalArchive,
        decompressToSeparateFolderAndDeleteOriginalArchive,
        preview,
        quickCompressAs7z,
        quickCompressAsZip,
        quickCompressAs7zAndDeleteOriginalFiles,
        quickCompressAsZipAndDeleteOriginalFiles,
        quickCompressToSeparate7z,
        quickCompressToSeparateZip,
        quickCompressToSeparate7zAndDeleteOriginalFiles,
        quickCompressToSeparateZipAndDeleteOriginalFiles,
        compressAs7z,
        compressAsZip,
        compressAs7zAndDeleteOriginalFiles,
        compressAsZipAndDeleteOriginalFiles,
        compressToSeparate7z,
        compressToSeparateZip,
        compressToSeparate7zAndDeleteOriginalFiles,
        compressToSeparateZipAndDeleteOriginalFiles,
        encryptAndCompressAs7z,
        encryptAndCompressAsZip,
        encryptAndCompressToSeparate7z,
        encryptAndCompressToSeparateZip,
        customCompression,
        setEncryptionPassword,
    };
    static constexpr int caseCount = 27;

    constexpr RightMenuItem(Case c) : case_(c) {}
    // The case whose title is exactly `rawValue`; none for any other text.
    static std::optional<RightMenuItem> fromRawValue(std::string_view rawValue);
    static const std::vector<RightMenuItem>& allCases();

    Case value() const { return case_; }
    // The action's English title.
    const std::string& rawValue() const;

    friend bool operator==(const RightMenuItem& a, const RightMenuItem& b) { return a.rawValue() == b.rawValue(); }
    std::size_t hash() const { return std::hash<std::string>{}(rawValue()); }

private:
    Case case_;
};

template <>
struct std::hash<RightMenuItem> {
    std::size_t operator()(const RightMenuItem& item) const { return item.hash(); }
};

// One entry of the context menu; made with all three values.
class MenuItemModel : public platform::Object {
public:
    MenuItemModel(RightMenuItem item, bool enable, bool mainMenu) : item(item), enable(enable), mainMenu(mainMenu) {}
    RightMenuItem item;
    bool enable;
    bool mainMenu;
};

// A new list of the 27 entries in their standard order.
std::vector<std::shared_ptr<MenuItemModel>> defaultMenuItems();
// The position of the first entry whose action has the title, walking from the start.
std::optional<std::size_t> indexOfMenuItem(const std::vector<std::shared_ptr<MenuItemModel>>& items,
                                           const std::string& title);

// ---- the tap ---------------------------------------------------------------------------------------

struct AppEdition {
    const char* bundleIdentifier;
    const char* urlScheme;
};
inline constexpr AppEdition appEditions[] = {
    {"com.holmquay.TorvanePro", "TorvanePro://"},
    {"com.holmquay.TorvaneProOffline", "TorvaneProOffline://"},
    {"cn.holmquay.Torvane", "Torvane://"},
};
inline constexpr const char* kTorvaneGroupSuite = "Q7T3VN5XK2.group.cn.holmquay.Torvane";

void createEventTap();
void removeEventTap();
platform::SessionEvent* eventTapCallback(platform::EventTapProxy proxy, platform::SessionEventType type,
                                         platform::SessionEvent* event, void* refcon);
bool checkSelectedFileTellTorvaneToPreview();

// The tap while installed (for the launch sequence's timer and for tests).
std::shared_ptr<platform::EventTap> currentEventTap();
const std::set<std::string>& archiveExtensions();

class XQTool {
public:
    // The POSIX paths of Finder's selected items whose extension is in `extensions` (compared
    // exactly), in selection order; empty when Finder is not frontmost.
    static std::optional<std::vector<std::string>> getFinderSelectedFilesWithExts(const std::set<std::string>& extensions);
};
