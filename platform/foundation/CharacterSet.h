#pragma once

// A set of Unicode scalars, with the platform's standard sets. Backed by ICU's Unicode properties.
// Immutable; usable from several threads.

#include <memory>
#include <string_view>

namespace platform {

class CharacterSet {
public:
    // General category Zs and U+0009 (tab): spaces, not line breaks.
    static CharacterSet whitespaces();
    // U+000A to U+000D, U+0085, U+2028 and U+2029.
    static CharacterSet newlines();
    // White space and line breaks.
    static CharacterSet whitespacesAndNewlines();
    static CharacterSet decimalDigits();     // general category Nd
    static CharacterSet letters();           // categories L* and M*
    static CharacterSet alphanumerics();     // categories L*, M* and N*
    static CharacterSet punctuationCharacters();  // P*
    static CharacterSet symbols();           // S*
    static CharacterSet controlCharacters(); // Cc and Cf
    // The scalars of a text (invalid UTF-8 reads as U+FFFD).
    static CharacterSet fromCharacters(std::string_view characters);
    // The scalars from `first` to `last`, both included.
    static CharacterSet fromRange(char32_t first, char32_t last);

    bool contains(char32_t scalar) const;
    CharacterSet inverted() const;
    CharacterSet unioned(const CharacterSet& other) const;

    struct Impl;

private:
    explicit CharacterSet(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    std::shared_ptr<const Impl> impl_;
};

}  // namespace platform
