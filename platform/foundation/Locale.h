#pragma once

// A locale: language, region and options (such as "@calendar=japanese" or "@fw=mon", the first
// weekday), named by an identifier like "en_US_POSIX" or "de_DE". Backed by ICU.

#include <string>
#include <string_view>

namespace platform {

class Locale {
public:
    // The locale with that identifier, as written ("zh-Hans_CN", "en_US@fw=mon"); not checked.
    explicit Locale(std::string identifier) : identifier_(std::move(identifier)) {}

    // The user's locale as the environment says at this call: the first of LC_ALL, LC_TIME and LANG
    // that is set and not empty, read as a POSIX locale name ("de_DE.UTF-8@euro" is "de_DE"; options
    // written as ICU keywords, "en_GB@fw=sun", are kept). "C", "POSIX" or none give "en_US_POSIX".
    static Locale current();
    // The POSIX locale: fixed English names, for formats read and written literally.
    static Locale posix() { return Locale("en_US_POSIX"); }

    const std::string& identifier() const { return identifier_; }
    friend bool operator==(const Locale&, const Locale&) = default;

private:
    std::string identifier_;
};

// The identifier of a POSIX locale name (environment form), as `current` reads it.
std::string localeIdentifierFromPOSIXName(std::string_view name);

}  // namespace platform
