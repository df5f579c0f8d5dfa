#pragma once

// A bundle folder: an application ("X.app/Contents/Info.plist", "Contents/MacOS/<executable>",
// "Contents/Resources") or a flat resource bundle ("X.bundle/Info.plist", resources at its top or in
// "Resources"). Localised texts come from "<language>.lproj/<table>.strings" in the resources.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class Bundle : public Object {
public:
    // The folder of the running program: the ".app" folder around the executable, else the
    // executable's own folder.
    static std::shared_ptr<Bundle> main();
    // A bundle at a folder; null when the folder does not exist. Bundles are cached by path.
    static std::shared_ptr<Bundle> withPath(const std::string& path);
    static std::shared_ptr<Bundle> withURL(const URL& url) { return withPath(url.path()); }

    const std::string& bundlePath() const { return path_; }
    URL bundleURL() const { return URL::fileURLWithPath(path_, true); }
    std::optional<std::string> bundleIdentifier() const;
    std::optional<std::string> executablePath() const;
    std::string resourcePath() const;

    // The Info dictionary; empty when the file is missing or broken (then `hasInfo` is false).
    const Dictionary& infoDictionary() const { return info_; }
    bool hasInfo() const { return hasInfo_; }
    // InfoPlist.strings of the preferred localisation.
    Dictionary localizedInfoDictionary() const;
    // The localised entry when there is one, else the Info dictionary's.
    Value objectForInfoDictionaryKey(const std::string& key) const;

    std::optional<std::string> pathForResource(const std::string& name, const std::string& type = {},
                                               const std::string& subdirectory = {}) const;
    std::optional<URL> urlForResource(const std::string& name, const std::string& type = {},
                                      const std::string& subdirectory = {}) const;

    // The text for `key` in the string table `table` ("Localizable" when empty) of the preferred
    // localisation; `value` when there is no entry (the key itself when `value` is empty too).
    std::string localizedString(const std::string& key, const std::string& value = {},
                                const std::string& table = {}) const;

    // The ".lproj" names found in the resources, and those to use, best first.
    std::vector<std::string> localizations() const;
    std::vector<std::string> preferredLocalizations() const;

    explicit Bundle(std::string path);

    // Parses the old-style "key" = "value"; text of a .strings file (or a property-list file).
    static std::optional<Dictionary> parseStringsFile(const std::string& contents);
    // The user's preferred languages: "AppleLanguages" of the preferences, else LANGUAGE / LC_ALL /
    // LC_MESSAGES / LANG, as platform language tags ("zh-Hans", "en").
    static std::vector<std::string> preferredLanguages();

private:
    const Dictionary& stringTable(const std::string& language, const std::string& table) const;

    std::string path_;
    std::string contents_;  // "Contents" folder of an application, or the bundle itself
    Dictionary info_;
    bool hasInfo_ = false;
    mutable std::mutex tablesMutex_;
    mutable std::map<std::string, Dictionary> tables_;
};

}  // namespace platform
