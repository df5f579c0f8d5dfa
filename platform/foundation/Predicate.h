#pragma once

// The platform's predicate "SELF MATCHES %@" with a pattern as its one argument: true when the whole
// evaluated text matches the regular expression (as if anchored at both ends). A pattern that is not
// a valid regular expression matches nothing. Compiled patterns are kept per thread, so evaluating the
// same pattern again is cheap.

#include <string>
#include <string_view>

namespace platform {

class Predicate {
public:
    static Predicate selfMatches(std::string pattern) { return Predicate(std::move(pattern)); }

    const std::string& pattern() const { return pattern_; }
    std::string predicateFormat() const;  // SELF MATCHES "<pattern>"
    bool evaluate(std::string_view text) const;

private:
    explicit Predicate(std::string pattern) : pattern_(std::move(pattern)) {}
    std::string pattern_;
};

}  // namespace platform
