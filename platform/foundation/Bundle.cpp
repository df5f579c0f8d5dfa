#include "platform/foundation/Bundle.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/PathUtilities.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

namespace platform {

namespace {

std::string executablePathOfProcess() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    bool directory = false;
    return FileManager::defaultManager().fileExists(path, directory) && directory;
}

// Reads a quoted or bare token of a .strings file; answers false on malformed input.
bool readToken(const std::string& s, std::size_t& i, std::string& out) {
    out.clear();
    if (i >= s.size()) return false;
    if (s[i] != '"') {
        while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' || s[i] == '.' ||
                                s[i] == '-' || s[i] == '$' || s[i] == ':' || s[i] == '/'))
            out += s[i++];
        return !out.empty();
    }
    ++i;
    while (i < s.size() && s[i] != '"') {
        char c = s[i++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= s.size()) return false;
        char e = s[i++];
        switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'U':
            case 'u': {
                if (i + 4 > s.size()) return false;
                unsigned code = static_cast<unsigned>(std::strtoul(s.substr(i, 4).c_str(), nullptr, 16));
                i += 4;
                // UTF-8 encode a BMP code point.
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default: out += e;
        }
    }
    if (i >= s.size()) return false;
    ++i;
    return true;
}

void skipSpaceAndComments(const std::string& s, std::size_t& i) {
    while (i < s.size()) {
        if (std::isspace(static_cast<unsigned char>(s[i]))) {
            ++i;
        } else if (s.compare(i, 2, "/*") == 0) {
            auto end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
        } else if (s.compare(i, 2, "//") == 0) {
            auto end = s.find('\n', i);
            i = end == std::string::npos ? s.size() : end + 1;
        } else {
            break;
        }
    }
}

std::string languageTagFromLocale(std::string locale) {
    // "zh_CN.UTF-8@x" -> "zh-Hans"; "en_US" -> "en-US"
    if (auto cut = locale.find_first_of(".@"); cut != std::string::npos) locale.erase(cut);
    if (locale.empty() || locale == "C" || locale == "POSIX") return {};
    if (locale == "zh_CN" || locale == "zh_SG" || locale == "zh") return "zh-Hans";
    if (locale == "zh_TW" || locale == "zh_HK" || locale == "zh_MO") return "zh-Hant";
    for (char& c : locale)
        if (c == '_') c = '-';
    return locale;
}

}  // namespace

Bundle::Bundle(std::string path) : path_(std::move(path)) {
    contents_ = isDirectory(path_ + "/Contents") ? path_ + "/Contents" : path_;
    if (auto bytes = FileManager::defaultManager().contents(contents_ + "/Info.plist")) {
        if (auto value = PropertyList::parse(*bytes); value && value->dictionary()) {
            info_ = *value->dictionary();
            hasInfo_ = true;
        }
    }
}

std::shared_ptr<Bundle> Bundle::main() {
    static const std::shared_ptr<Bundle> bundle = [] {
        std::string executable = executablePathOfProcess();
        std::string folder = parentOf(executable);
        // <X.app>/Contents/MacOS/<executable>
        if (folder.ends_with("/Contents/MacOS")) {
            std::string app = parentOf(parentOf(folder));
            return std::make_shared<Bundle>(app);
        }
        return std::make_shared<Bundle>(folder);
    }();
    return bundle;
}

std::shared_ptr<Bundle> Bundle::withPath(const std::string& path) {
    if (path.empty() || !isDirectory(path)) return nullptr;
    return std::make_shared<Bundle>(path);
}

std::optional<std::string> Bundle::bundleIdentifier() const {
    if (const auto* text = info_.count("CFBundleIdentifier") ? info_.at("CFBundleIdentifier").string() : nullptr)
        return *text;
    return std::nullopt;
}

std::optional<std::string> Bundle::executablePath() const {
    auto it = info_.find("CFBundleExecutable");
    if (it == info_.end() || !it->second.string()) return std::nullopt;
    std::string candidate = contents_ != path_ ? contents_ + "/MacOS/" + *it->second.string()
                                               : path_ + "/" + *it->second.string();
    if (!FileManager::defaultManager().fileExists(candidate)) return std::nullopt;
    return candidate;
}

std::string Bundle::resourcePath() const {
    if (isDirectory(contents_ + "/Resources")) return contents_ + "/Resources";
    return contents_;
}

std::vector<std::string> Bundle::localizations() const {
    std::vector<std::string> names;
    if (auto entries = FileManager::defaultManager().contentsOfDirectory(resourcePath()))
        for (const auto& entry : *entries)
            if (entry.ends_with(".lproj")) names.push_back(entry.substr(0, entry.size() - 6));
    return names;
}

std::vector<std::string> Bundle::preferredLanguages() {
    std::vector<std::string> languages;
    if (auto list = UserDefaults::standard()->stringArray("AppleLanguages"))
        for (const auto& language : *list) languages.push_back(language);
    if (languages.empty()) {
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(variable);
            if (!value || !*value) continue;
            for (const auto& locale : colonSeparatedList(value))  // LANGUAGE may list several
                if (auto tag = languageTagFromLocale(locale); !tag.empty()) languages.push_back(tag);
            if (!languages.empty()) break;
        }
    }
    if (languages.empty()) languages.push_back("en");
    return languages;
}

std::vector<std::string> Bundle::preferredLocalizations() const {
    auto available = localizations();
    std::vector<std::string> result;
    auto add = [&](const std::string& name) {
        if (std::find(available.begin(), available.end(), name) != available.end() &&
            std::find(result.begin(), result.end(), name) == result.end())
            result.push_back(name);
    };
    for (const auto& language : preferredLanguages()) {
        add(language);
        add(language.substr(0, language.find('-')));  // "en-US" falls back to "en"
        if (!result.empty()) break;
    }
    auto region = info_.find("CFBundleDevelopmentRegion");
    add(region != info_.end() && region->second.string() ? *region->second.string() : std::string("en"));
    add("en");
    add("Base");
    return result;
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type,
                                                   const std::string& subdirectory) const {
    std::string file = type.empty() ? name : name + "." + type;
    if (file.empty()) return std::nullopt;
    std::string base = resourcePath() + (subdirectory.empty() ? "" : "/" + subdirectory);
    auto& fm = FileManager::defaultManager();
    if (fm.fileExists(base + "/" + file)) return base + "/" + file;
    for (const auto& language : preferredLocalizations()) {
        std::string candidate = base + "/" + language + ".lproj/" + file;
        if (fm.fileExists(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<URL> Bundle::urlForResource(const std::string& name, const std::string& type,
                                          const std::string& subdirectory) const {
    auto path = pathForResource(name, type, subdirectory);
    if (!path) return std::nullopt;
    return URL::fileURLWithPath(*path);
}

std::optional<Dictionary> Bundle::parseStringsFile(const std::string& contents) {
    if (contents.rfind("<?xml", 0) == 0 || contents.rfind("bplist", 0) == 0) {
        auto value = PropertyList::parse(contents);
        if (value && value->dictionary()) return *value->dictionary();
        return std::nullopt;
    }
    Dictionary table;
    std::size_t i = contents.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;  // byte-order mark
    std::string key, value;
    while (true) {
        skipSpaceAndComments(contents, i);
        if (i >= contents.size()) break;
        if (!readToken(contents, i, key)) return std::nullopt;
        skipSpaceAndComments(contents, i);
        if (i < contents.size() && contents[i] == ';') {  // "key"; means key = key
            table[key] = key;
            ++i;
            continue;
        }
        if (i >= contents.size() || contents[i] != '=') return std::nullopt;
        ++i;
        skipSpaceAndComments(contents, i);
        if (!readToken(contents, i, value)) return std::nullopt;
        skipSpaceAndComments(contents, i);
        if (i >= contents.size() || contents[i] != ';') return std::nullopt;
        ++i;
        table[key] = value;
    }
    return table;
}

const Dictionary& Bundle::stringTable(const std::string& language, const std::string& table) const {
    std::lock_guard lock(tablesMutex_);
    std::string cacheKey = language + "/" + table;
    auto it = tables_.find(cacheKey);
    if (it != tables_.end()) return it->second;
    Dictionary parsed;
    auto bytes = FileManager::defaultManager().contents(resourcePath() + "/" + language + ".lproj/" + table + ".strings");
    if (bytes)
        if (auto strings = parseStringsFile(bytes->toString())) parsed = std::move(*strings);
    return tables_.emplace(cacheKey, std::move(parsed)).first->second;
}

Dictionary Bundle::localizedInfoDictionary() const {
    for (const auto& language : preferredLocalizations()) {
        const auto& table = stringTable(language, "InfoPlist");
        if (!table.empty()) return table;
    }
    return {};
}

Value Bundle::objectForInfoDictionaryKey(const std::string& key) const {
    auto localized = localizedInfoDictionary();
    if (auto it = localized.find(key); it != localized.end()) return it->second;
    if (auto it = info_.find(key); it != info_.end()) return it->second;
    return {};
}

std::string Bundle::localizedString(const std::string& key, const std::string& value, const std::string& table) const {
    std::string name = table.empty() ? "Localizable" : table;
    for (const auto& language : preferredLocalizations()) {
        const auto& strings = stringTable(language, name);
        if (auto it = strings.find(key); it != strings.end() && it->second.string()) return *it->second.string();
    }
    return value.empty() ? key : value;
}

}  // namespace platform
