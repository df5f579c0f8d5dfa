#include "platform/foundation/Locale.h"

#include <cstdlib>

namespace platform {

std::string localeIdentifierFromPOSIXName(std::string_view name) {
    std::string_view options;
    if (auto at = name.find('@'); at != std::string_view::npos) {
        options = name.substr(at);
        name = name.substr(0, at);
    }
    if (auto dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);
    if (name.empty() || name == "C" || name == "POSIX") return "en_US_POSIX";
    std::string identifier(name);
    // "@euro" and the like are POSIX modifiers; "@calendar=..." and "@fw=..." are locale keywords.
    if (options.find('=') != std::string_view::npos) identifier += options;
    return identifier;
}

Locale Locale::current() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return Locale(localeIdentifierFromPOSIXName(value));
    }
    return posix();
}

}  // namespace platform
