#pragma once

// Questions about files on disk, answered afresh from the file system on every call: folders,
// packages, file types judged by extension through uniform type identifiers, and the deepest folder
// that holds a set of paths. Missing or unreachable paths answer false (or are replaced by their
// nearest existing folder); nothing is cached.

#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/foundation/UniformType.h"

// Something exists there and it is a folder (symbolic links followed).
bool IsDirectory(const platform::URL& url);
bool IsDirectory(std::string_view path);
// An existing folder that is not a package (an application or document bundle); also true when the
// package question cannot be answered.
bool IsDirectoryNotPackage(const platform::URL& url);
bool IsDirectoryNotPackage(std::string_view path);

// File(_:isType:) and File(_:isAnyOfTypes:): an existing file (not a folder) whose extension, in lower
// case, names a type conforming to one of the given types. Type identifiers the system does not know
// are skipped.
bool File(std::string_view path, std::string_view typeIdentifier);
bool File(const platform::URL& url, std::string_view typeIdentifier);
bool File(std::string_view path, const std::vector<std::string>& typeIdentifiers);
bool File(const platform::URL& url, const std::vector<std::string>& typeIdentifiers);
bool File(std::string_view path, const platform::UniformType& type);
bool File(const platform::URL& url, const platform::UniformType& type);
bool File(std::string_view path, const std::vector<platform::UniformType>& types);
bool File(const platform::URL& url, const std::vector<platform::UniformType>& types);

// The deepest folder holding every item (each replaced by its nearest existing folder first); "/"
// for none. Paths that are empty or "." count as "/".
std::string TopPath(const std::vector<std::string>& paths);
platform::URL TopUrl(const std::vector<platform::URL>& urls);
// The same for the items' parent folders.
platform::URL ParentPath(const std::vector<std::string>& paths);
platform::URL ParentUrl(const std::vector<platform::URL>& urls);
