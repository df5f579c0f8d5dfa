#include "platform/foundation/Predicate.h"

#include <unicode/regex.h>

#include <map>
#include <memory>

#include "platform/foundation/URL.h"
#include "platform/foundation/detail/ICU.h"

namespace platform {

namespace {

// Matchers of this thread by pattern; null for a pattern that does not compile.
icu::RegexMatcher* matcherFor(const std::string& pattern) {
    thread_local std::map<std::string, std::unique_ptr<icu::RegexMatcher>, std::less<>> matchers;
    auto found = matchers.find(pattern);
    if (found != matchers.end()) return found->second.get();
    if (matchers.size() >= 64) matchers.clear();
    std::unique_ptr<icu::RegexMatcher> matcher;
    if (isValidUTF8(pattern)) {
        UErrorCode status = U_ZERO_ERROR;
        matcher = std::make_unique<icu::RegexMatcher>(detail::toICU(pattern), 0, status);
        if (U_FAILURE(status)) matcher.reset();
    }
    return matchers.emplace(pattern, std::move(matcher)).first->second.get();
}

}  // namespace

std::string Predicate::predicateFormat() const {
    std::string quoted;
    for (char c : pattern_) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    return "SELF MATCHES \"" + quoted + "\"";
}

bool Predicate::evaluate(std::string_view text) const {
    icu::RegexMatcher* matcher = matcherFor(pattern_);
    if (!matcher) return false;
    icu::UnicodeString input = detail::toICU(text);
    matcher->reset(input);
    UErrorCode status = U_ZERO_ERROR;
    bool matched = matcher->matches(status);
    static const icu::UnicodeString empty;
    matcher->reset(empty);  // the matcher must not keep pointing at the local input
    return U_SUCCESS(status) && matched;
}

}  // namespace platform
