#include "XQKit/FileQueries.h"

#include <algorithm>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/PathUtilities.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/URLResourceValues.h"

using platform::FileManager;
using platform::UniformType;
using platform::URL;

namespace {

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The lower-case extension of an existing file that is not a folder; empty otherwise.
std::string extensionOfExistingFile(const std::string& path) {
    bool isDirectory = false;
    if (!FileManager::defaultManager().fileExists(path, isDirectory) || isDirectory) return {};
    return lowered(platform::pathExtension(path));
}

bool fileConforms(const std::string& path, const std::vector<std::string>& identifiers) {
    std::string extension = extensionOfExistingFile(path);
    if (extension.empty()) return false;
    if (platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({11, 0, 0})) {
        if (auto type = UniformType::withFilenameExtension(extension, UniformType::data())) {
            for (const auto& identifier : identifiers) {
                auto wanted = UniformType::withIdentifier(identifier);
                if (wanted && type->conforms(*wanted)) return true;
            }
            return false;
        }
    }
    // Earlier systems, and an extension the system has no type for: the preferred identifier.
    auto preferred = UniformType::preferredIdentifierForFilenameExtension(extension);
    if (!preferred) return false;
    return std::any_of(identifiers.begin(), identifiers.end(), [&](const std::string& identifier) {
        return UniformType::identifierConformsTo(*preferred, identifier);
    });
}

bool fileConforms(const std::string& path, const std::vector<UniformType>& types) {
    std::string extension = extensionOfExistingFile(path);
    if (extension.empty()) return false;
    auto type = UniformType::withFilenameExtension(extension, UniformType::data());
    if (!type) return false;
    return std::any_of(types.begin(), types.end(), [&](const UniformType& wanted) { return type->conforms(wanted); });
}

// The folder at or above a file URL's standardised path that exists (a file gives its folder).
std::string nearestExistingFolder(const URL& url) {
    auto& files = FileManager::defaultManager();
    std::string path = platform::standardizedPath(url.fileSystemRepresentation());
    bool isDirectory = false;
    while (!files.fileExists(path, isDirectory)) {
        std::string parent = platform::deletingLastPathComponent(path);
        if (parent == path || parent.empty()) break;
        path = parent;
    }
    return isDirectory ? path : platform::deletingLastPathComponent(path);
}

URL fileURLForPathText(const std::string& path) {
    return URL::fileURLWithPath(path.empty() || path == "." ? "/" : path);
}

std::vector<URL> fileURLsForPathTexts(const std::vector<std::string>& paths) {
    std::vector<URL> urls;
    urls.reserve(paths.size());
    for (const auto& path : paths) urls.push_back(fileURLForPathText(path));
    return urls;
}

}  // namespace

bool IsDirectory(const URL& url) { return IsDirectory(url.fileSystemRepresentation()); }

bool IsDirectory(std::string_view path) {
    bool isDirectory = false;
    return FileManager::defaultManager().fileExists(std::string(path), isDirectory) && isDirectory;
}

bool IsDirectoryNotPackage(const URL& url) {
    if (!IsDirectory(url)) return false;
    auto values = platform::URLResourceValues::read(url);
    return !values || !values->isPackage;
}

bool IsDirectoryNotPackage(std::string_view path) { return IsDirectoryNotPackage(URL::fileURLWithPath(path)); }

bool File(std::string_view path, std::string_view typeIdentifier) {
    return File(path, std::vector<std::string>{std::string(typeIdentifier)});
}
bool File(const URL& url, std::string_view typeIdentifier) {
    return File(url.fileSystemRepresentation(), typeIdentifier);
}
bool File(std::string_view path, const std::vector<std::string>& typeIdentifiers) {
    return fileConforms(std::string(path), typeIdentifiers);
}
bool File(const URL& url, const std::vector<std::string>& typeIdentifiers) {
    return fileConforms(url.fileSystemRepresentation(), typeIdentifiers);
}
bool File(std::string_view path, const UniformType& type) {
    return fileConforms(std::string(path), std::vector<UniformType>{type});
}
bool File(const URL& url, const UniformType& type) { return File(url.fileSystemRepresentation(), type); }
bool File(std::string_view path, const std::vector<UniformType>& types) {
    return fileConforms(std::string(path), types);
}
bool File(const URL& url, const std::vector<UniformType>& types) {
    return fileConforms(url.fileSystemRepresentation(), types);
}

URL TopUrl(const std::vector<URL>& urls) {
    if (urls.empty()) return URL::fileURLWithPath("/", true);
    std::vector<std::vector<std::string>> lists;
    lists.reserve(urls.size());
    for (const auto& url : urls) lists.push_back(platform::pathComponents(nearestExistingFolder(url)));
    const auto& shortest = *std::min_element(lists.begin(), lists.end(),
                                             [](const auto& a, const auto& b) { return a.size() < b.size(); });
    std::size_t kept = 0;
    while (kept < shortest.size() &&
           std::all_of(lists.begin(), lists.end(), [&](const auto& list) { return list[kept] == shortest[kept]; }))
        ++kept;
    std::string path;
    for (std::size_t i = 0; i < kept; ++i) path = platform::appendingPathComponent(path, shortest[i]);
    return URL::fileURLWithPath(path.empty() ? "/" : path, true);
}

std::string TopPath(const std::vector<std::string>& paths) {
    return TopUrl(fileURLsForPathTexts(paths)).fileSystemRepresentation();
}

URL ParentUrl(const std::vector<URL>& urls) {
    std::vector<URL> parents;
    parents.reserve(urls.size());
    for (const auto& url : urls) parents.push_back(url.deletingLastPathComponent());
    return TopUrl(parents);
}

URL ParentPath(const std::vector<std::string>& paths) { return ParentUrl(fileURLsForPathTexts(paths)); }
