#pragma once

// File-system basics, answering with platform values instead of exceptions.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Data.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"

namespace platform {

enum class SearchPathDirectory { Document, Library, Caches, ApplicationSupport, Desktop, Downloads, Applications };

struct FileAttributes {
    std::uint64_t size = 0;
    bool isDirectory = false;
    bool isSymbolicLink = false;
    unsigned permissions = 0;
    std::optional<std::int64_t> ownerAccountID;
    Date modificationDate;
};

class FileManager {
public:
    static FileManager& defaultManager();

    std::string homeDirectory() const;  // $HOME, else the user database
    std::string currentDirectoryPath() const;
    std::string temporaryDirectory() const;
    // The user-domain folders, at the macOS layout under the home folder.
    std::vector<URL> urls(SearchPathDirectory directory) const;

    bool fileExists(const std::string& path) const;
    bool fileExists(const std::string& path, bool& isDirectory) const;
    bool isReadableFile(const std::string& path) const;
    bool isExecutableFile(const std::string& path) const;
    std::optional<FileAttributes> attributesOfItem(const std::string& path) const;

    bool createDirectory(const std::string& path, bool withIntermediateDirectories = true) const;
    bool createFile(const std::string& path, const Data& contents) const;
    std::optional<Data> contents(const std::string& path) const;
    bool removeItem(const std::string& path) const;
    bool moveItem(const std::string& from, const std::string& to) const;
    bool copyItem(const std::string& from, const std::string& to) const;
    // Names in a folder, sorted; absent when it cannot be read.
    std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path) const;

    // Writes through a temporary file in the same folder and renames it into place.
    bool writeAtomically(const std::string& path, const Data& contents) const;

private:
    FileManager() = default;
};

// "~" and "~/..." expanded against the home folder.
std::string expandingTildeInPath(const std::string& path);

}  // namespace platform
