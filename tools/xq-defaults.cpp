// xq-defaults: reads and writes preference domains from a terminal, the way `defaults` does.
//
//   xq-defaults read DOMAIN [KEY]          prints the domain (or one value) as JSON
//   xq-defaults write DOMAIN KEY JSON      stores a value given as JSON and synchronises
//   xq-defaults delete DOMAIN KEY          removes a key and synchronises
//
// DOMAIN is a suite name (an app group such as Q7T3VN5XK2.group.cn.holmquay.Torvane, or a bundle
// identifier) or NSGlobalDomain.

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/foundation/JSON.h"
#include "platform/foundation/UserDefaults.h"

using platform::Value;

namespace {

std::shared_ptr<platform::UserDefaults> open(const std::string& domain) {
    if (domain == "NSGlobalDomain") return platform::UserDefaults::globalDomain();
    return platform::UserDefaults::suite(domain);
}

int usage() {
    std::cerr << "usage: xq-defaults read DOMAIN [KEY] | write DOMAIN KEY JSON | delete DOMAIN KEY\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string verb = argv[1];
    auto defaults = open(argv[2]);
    if (!defaults) {
        std::cerr << "xq-defaults: not a preferences domain: " << argv[2] << "\n";
        return 1;
    }
    if (verb == "read" && (argc == 3 || argc == 4)) {
        Value value = argc == 4 ? defaults->object(argv[3]) : Value(defaults->persistentDomain());
        if (value.isAbsent()) {
            std::cerr << "xq-defaults: the domain/default pair (" << argv[2] << ", " << argv[3] << ") does not exist\n";
            return 1;
        }
        std::cout << platform::jsonText(value) << "\n";
        return 0;
    }
    if (verb == "write" && argc == 5) {
        // Text that is not JSON is stored as the text itself, as `defaults write` does.
        Value value = platform::parseJSON(argv[4]).value_or(Value(std::string(argv[4])));
        if (value.isAbsent() || !defaults->set(argv[3], value)) {
            std::cerr << "xq-defaults: cannot store that value\n";
            return 1;
        }
        return defaults->synchronize() ? 0 : 1;
    }
    if (verb == "delete" && argc == 4) {
        defaults->removeObject(argv[3]);
        return defaults->synchronize() ? 0 : 1;
    }
    return usage();
}
