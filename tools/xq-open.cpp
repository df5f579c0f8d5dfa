// xq-open: opens files, folders, applications and URLs through the workspace, the way the
// system's `open` tool does; the platform runs it wherever a program asks for /usr/bin/open.
//
//   xq-open [-n] PATH-or-URL...
//
// A path that does not exist is reported on standard error, one line naming it, and the exit status
// is 1; so is a URL no application opens. -n (a new instance) is accepted: every launch here starts
// a new process anyway.

#include <cctype>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/appkit/Workspace.h"
#include "platform/foundation/URL.h"

namespace fs = std::filesystem;

namespace {

// A target with a scheme ("https:", "torvane:") is a URL; anything else is a path.
std::optional<platform::URL> asURL(const std::string& target) {
    if (target.empty() || target[0] == '/' || target[0] == '.' || target[0] == '~') return std::nullopt;
    auto colon = target.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = target[i];
        bool ok = std::isalpha(static_cast<unsigned char>(c)) ||
                  (i > 0 && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
        if (!ok) return std::nullopt;
    }
    return platform::URL::parse(target);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> targets;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-n") continue;
        targets.push_back(arg);
    }
    if (targets.empty()) {
        std::cerr << "Usage: xq-open [-n] PATH-or-URL...\n";
        return 1;
    }
    auto workspace = platform::Workspace::shared();
    int status = 0;
    for (const auto& target : targets) {
        std::optional<platform::URL> url = asURL(target);
        if (!url) {
            std::error_code ignored;
            std::string path = fs::absolute(target, ignored).lexically_normal().string();
            if (!fs::exists(path, ignored)) {
                std::cerr << "The file " << path << " does not exist." << std::endl;
                status = 1;
                continue;
            }
            url = platform::URL::fileURLWithPath(path);
        }
        if (!workspace->openURL(*url)) {
            std::cerr << "No application knows how to open " << target << "." << std::endl;
            status = 1;
        }
    }
    return status;
}
