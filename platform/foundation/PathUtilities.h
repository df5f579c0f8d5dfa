#pragma once

// The platform's rules for file paths held as texts ("/" separates components). Paths are bytes:
// nothing here requires or repairs UTF-8, since a file name on disk may be any bytes but "/" and NUL.
// Runs of "/" count as one, and a trailing "/" is dropped (except for the root itself).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// "/tmp/scratch.tiff" -> ["/", "tmp", "scratch.tiff"]; a trailing "/" adds a final "/" component.
std::vector<std::string> pathComponents(std::string_view path);
// "/tmp/scratch.tiff" -> "scratch.tiff"; "/tmp/" -> "tmp"; "/" -> "/"; "" -> "".
std::string lastPathComponent(std::string_view path);
// "/tmp/scratch.tiff" -> "/tmp"; "/tmp" -> "/"; "scratch" -> ""; "/" -> "/".
std::string deletingLastPathComponent(std::string_view path);
// "scratch.tiff" -> "tiff"; ".hidden", "a/b", ".." -> "".
std::string pathExtension(std::string_view path);
std::string deletingPathExtension(std::string_view path);
// "/tmp" + "scratch.tiff" -> "/tmp/scratch.tiff"; "" + "a" -> "a".
std::string appendingPathComponent(std::string_view path, std::string_view component);
// "/tmp/scratch" + "tiff" -> "/tmp/scratch.tiff"; absent for an empty path, the root, or an extension
// holding "/".
std::optional<std::string> appendingPathExtension(std::string_view path, std::string_view extension);
// The path without "." components and with each ".." taking away the component before it ("/.." is
// "/"; a relative path keeps its leading ".."). No links are followed.
std::string standardizedPath(std::string_view path);
// An absolute path (after "~" expansion) with every symbolic link on it resolved, then standardised;
// components that do not exist are kept as written. A relative path comes back standardised only.
std::string resolvingSymlinksInPath(std::string_view path);

// The entries of a colon-separated list such as PATH ("a::b" -> ["a", "b"]); empty entries are dropped.
std::vector<std::string> colonSeparatedList(std::string_view list);

}  // namespace platform
