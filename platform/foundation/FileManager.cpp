#include "platform/foundation/FileManager.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>

namespace platform {

namespace fs = std::filesystem;

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

std::string FileManager::homeDirectory() const {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string FileManager::currentDirectoryPath() const {
    std::error_code error;
    auto path = fs::current_path(error);
    return error ? std::string("/") : path.string();
}

std::string FileManager::temporaryDirectory() const {
    std::error_code error;
    auto path = fs::temp_directory_path(error);
    return error ? std::string("/tmp") : path.string();
}

std::vector<URL> FileManager::urls(SearchPathDirectory directory) const {
    const char* relative = "";
    switch (directory) {
        case SearchPathDirectory::Document: relative = "Documents"; break;
        case SearchPathDirectory::Library: relative = "Library"; break;
        case SearchPathDirectory::Caches: relative = "Library/Caches"; break;
        case SearchPathDirectory::ApplicationSupport: relative = "Library/Application Support"; break;
        case SearchPathDirectory::Desktop: relative = "Desktop"; break;
        case SearchPathDirectory::Downloads: relative = "Downloads"; break;
        case SearchPathDirectory::Applications: relative = "Applications"; break;
    }
    return {URL::fileURLWithPath(homeDirectory() + "/" + relative, true)};
}

bool FileManager::fileExists(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool FileManager::fileExists(const std::string& path, bool& isDirectory) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    isDirectory = S_ISDIR(info.st_mode);
    return true;
}

bool FileManager::isReadableFile(const std::string& path) const { return ::access(path.c_str(), R_OK) == 0; }
bool FileManager::isExecutableFile(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<FileAttributes> FileManager::attributesOfItem(const std::string& path) const {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    FileAttributes attributes;
    attributes.size = static_cast<std::uint64_t>(info.st_size);
    attributes.isDirectory = S_ISDIR(info.st_mode);
    attributes.isSymbolicLink = S_ISLNK(info.st_mode);
    attributes.permissions = info.st_mode & 07777;
    attributes.ownerAccountID = static_cast<std::int64_t>(info.st_uid);
    attributes.modificationDate =
        Date::fromUnixTime(static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9);
    return attributes;
}

bool FileManager::createDirectory(const std::string& path, bool withIntermediateDirectories) const {
    std::error_code error;
    if (withIntermediateDirectories) {
        fs::create_directories(path, error);
        return !error && fs::is_directory(path, error);
    }
    return fs::create_directory(path, error) && !error;
}

bool FileManager::createFile(const std::string& path, const Data& contents) const {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t written = 0;
    while (written < contents.size()) {
        ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0;
}

std::optional<Data> FileManager::contents(const std::string& path) const {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    Data data;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    auto& bytes = data.mutableBytes();
    bytes.resize(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 4096);
    std::size_t used = 0;
    while (true) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return data;
}

bool FileManager::removeItem(const std::string& path) const {
    std::error_code error;
    return fs::remove_all(path, error) > 0 && !error;
}

bool FileManager::moveItem(const std::string& from, const std::string& to) const {
    if (fileExists(to)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool FileManager::copyItem(const std::string& from, const std::string& to) const {
    std::error_code error;
    if (fileExists(to)) return false;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    return !error;
}

std::optional<std::vector<std::string>> FileManager::contentsOfDirectory(const std::string& path) const {
    std::error_code error;
    fs::directory_iterator it(path, error);
    if (error) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& entry : it) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool FileManager::writeAtomically(const std::string& path, const Data& contents) const {
    std::string temporary = path + ".tmp." + std::to_string(::getpid());
    if (!createFile(temporary, contents)) return false;
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string expandingTildeInPath(const std::string& path) {
    if (path == "~") return FileManager::defaultManager().homeDirectory();
    if (path.rfind("~/", 0) == 0) return FileManager::defaultManager().homeDirectory() + path.substr(1);
    return path;
}

}  // namespace platform
