#include "platform/foundation/PathUtilities.h"

#include <unistd.h>

#include <deque>

#include "platform/foundation/FileManager.h"

namespace platform {

namespace {

// Runs of "/" made one, and the trailing "/" dropped unless the path is the root.
std::string fixingSlashes(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out.push_back(c);
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

// Where the last component of a fixed path starts.
std::size_t startOfLastComponent(std::string_view fixed) {
    auto slash = fixed.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Where the extension of a fixed path starts (after the dot), if it has one.
std::optional<std::size_t> startOfExtension(std::string_view fixed) {
    std::size_t last = startOfLastComponent(fixed);
    std::string_view component = fixed.substr(last);
    auto dot = component.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || component == "..") return std::nullopt;
    return last + dot + 1;
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/') ++i;
        std::size_t end = path.find('/', i);
        if (end == std::string_view::npos) end = path.size();
        if (end > i) parts.emplace_back(path.substr(i, end - i));
        i = end;
    }
    return parts;
}

std::string joinComponents(bool absolute, const std::vector<std::string>& parts) {
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '/';
        out += parts[i];
    }
    return out;
}

}  // namespace

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> result;
    if (path.empty()) return result;
    if (path.front() == '/') result.emplace_back("/");
    for (auto& part : splitComponents(path)) result.push_back(std::move(part));
    if (path.size() > 1 && path.back() == '/') result.emplace_back("/");
    return result;
}

std::string lastPathComponent(std::string_view path) {
    std::string fixed = fixingSlashes(path);
    if (fixed.size() <= 1) return fixed;
    return fixed.substr(startOfLastComponent(fixed));
}

std::string deletingLastPathComponent(std::string_view path) {
    std::string fixed = fixingSlashes(path);
    if (fixed.empty() || fixed == "/") return fixed;
    std::size_t start = startOfLastComponent(fixed);
    if (start == 0) return "";
    if (start == 1) return "/";
    return fixed.substr(0, start - 1);
}

std::string pathExtension(std::string_view path) {
    std::string fixed = fixingSlashes(path);
    if (fixed.size() <= 1) return "";
    auto start = startOfExtension(fixed);
    return start ? fixed.substr(*start) : "";
}

std::string deletingPathExtension(std::string_view path) {
    std::string fixed = fixingSlashes(path);
    if (fixed.size() <= 1) return fixed;
    auto start = startOfExtension(fixed);
    return start ? fixed.substr(0, *start - 1) : fixed;
}

std::string appendingPathComponent(std::string_view path, std::string_view component) {
    if (component.empty()) return fixingSlashes(path);
    if (path.empty()) return fixingSlashes(component);
    return fixingSlashes(std::string(path) + "/" + std::string(component));
}

std::optional<std::string> appendingPathExtension(std::string_view path, std::string_view extension) {
    std::string fixed = fixingSlashes(path);
    if (fixed.empty() || fixed == "/" || extension.find('/') != std::string_view::npos) return std::nullopt;
    return fixed + "." + std::string(extension);
}

std::string standardizedPath(std::string_view path) {
    if (path.empty()) return "";
    bool absolute = path.front() == '/';
    std::vector<std::string> kept;
    for (auto& part : splitComponents(path)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
                continue;
            }
            if (absolute) continue;  // above the root is the root
        }
        kept.push_back(std::move(part));
    }
    std::string result = joinComponents(absolute, kept);
    return result.empty() ? "." : result;
}

std::string resolvingSymlinksInPath(std::string_view path) {
    std::string expanded = expandingTildeInPath(std::string(path));
    if (expanded.empty() || expanded.front() != '/') return standardizedPath(expanded);

    auto partsOf = [](std::string_view p) {
        auto parts = splitComponents(p);
        return std::deque<std::string>(parts.begin(), parts.end());
    };
    std::deque<std::string> pending = partsOf(expanded);
    std::vector<std::string> resolved;
    int linksFollowed = 0;
    constexpr int kMaxLinks = 40;  // beyond this a chain is a loop: the rest is kept as written
    while (!pending.empty()) {
        std::string part = std::move(pending.front());
        pending.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            if (!resolved.empty()) resolved.pop_back();
            continue;
        }
        resolved.push_back(part);
        if (linksFollowed >= kMaxLinks) continue;
        std::string current = joinComponents(true, resolved);
        char target[4096];
        ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) continue;
        ++linksFollowed;
        std::string_view destination(target, static_cast<std::size_t>(length));
        resolved.pop_back();
        if (destination.front() == '/') resolved.clear();
        auto spliced = partsOf(destination);
        pending.insert(pending.begin(), spliced.begin(), spliced.end());
    }
    return joinComponents(true, resolved);
}

std::vector<std::string> colonSeparatedList(std::string_view list) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto colon = list.find(':', start);
        auto entry = list.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (!entry.empty()) entries.emplace_back(entry);
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    return entries;
}

}  // namespace platform
