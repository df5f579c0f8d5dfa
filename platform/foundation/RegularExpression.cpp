#include "platform/foundation/RegularExpression.h"

#include <unicode/regex.h>

#include "platform/foundation/URL.h"
#include "platform/foundation/UTF16.h"
#include "platform/foundation/detail/ICU.h"

namespace platform {

struct RegularExpression::Impl {
    std::string pattern;
    Options options = 0;
    std::unique_ptr<icu::RegexPattern> compiled;
};

namespace {

uint32_t icuFlags(RegularExpression::Options options) {
    uint32_t flags = 0;
    if (options & RegularExpression::caseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
    if (options & RegularExpression::allowCommentsAndWhitespace) flags |= UREGEX_COMMENTS;
    if (options & RegularExpression::ignoreMetacharacters) flags |= UREGEX_LITERAL;
    if (options & RegularExpression::dotMatchesLineSeparators) flags |= UREGEX_DOTALL;
    if (options & RegularExpression::anchorsMatchLines) flags |= UREGEX_MULTILINE;
    if (options & RegularExpression::useUnixLineSeparators) flags |= UREGEX_UNIX_LINES;
    if (options & RegularExpression::useUnicodeWordBoundaries) flags |= UREGEX_UWORD;
    return flags;
}

}  // namespace

std::optional<RegularExpression> RegularExpression::make(std::string_view pattern, Options options) {
    if (!isValidUTF8(pattern)) return std::nullopt;
    auto impl = std::make_shared<Impl>();
    impl->pattern = std::string(pattern);
    impl->options = options;
    UParseError parseError;
    UErrorCode status = U_ZERO_ERROR;
    impl->compiled.reset(icu::RegexPattern::compile(detail::toICU(pattern), icuFlags(options), parseError, status));
    if (U_FAILURE(status) || !impl->compiled) return std::nullopt;
    return RegularExpression(std::move(impl));
}

std::string RegularExpression::escapedPattern(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        if (std::string_view("\\*?+[(){}^$|./-#&~ \t\n\r").find(c) != std::string_view::npos) out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

const std::string& RegularExpression::pattern() const { return impl_->pattern; }
RegularExpression::Options RegularExpression::options() const { return impl_->options; }

std::size_t RegularExpression::numberOfCaptureGroups() const {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString empty;
    std::unique_ptr<icu::RegexMatcher> matcher(impl_->compiled->matcher(empty, status));
    return U_SUCCESS(status) ? static_cast<std::size_t>(matcher->groupCount()) : 0;
}

std::vector<RegularExpression::Match> RegularExpression::matches(std::string_view text) const {
    return matches(text, Range{0, std::numeric_limits<std::int64_t>::max()});
}

std::vector<RegularExpression::Match> RegularExpression::matches(std::string_view text, Range range) const {
    std::vector<Match> found;
    icu::UnicodeString input = detail::toICU(text);
    Range inside = clampedRange(range, input.length());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(impl_->compiled->matcher(input, status));
    if (U_FAILURE(status)) return found;
    matcher->region(inside.location, inside.upperBound(), status);
    const int32_t groups = matcher->groupCount();
    while (U_SUCCESS(status) && matcher->find(status)) {
        Match match;
        match.ranges.reserve(static_cast<std::size_t>(groups) + 1);
        for (int32_t g = 0; g <= groups; ++g) {
            int32_t start = matcher->start(g, status), end = matcher->end(g, status);
            if (start < 0)
                match.ranges.push_back(Range{Range::kNotFound, 0});
            else
                match.ranges.push_back(Range{start, end - start});
        }
        found.push_back(std::move(match));
    }
    return found;
}

bool RegularExpression::matchesEntirely(std::string_view text) const {
    icu::UnicodeString input = detail::toICU(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(impl_->compiled->matcher(input, status));
    return U_SUCCESS(status) && matcher->matches(status) && U_SUCCESS(status);
}

}  // namespace platform
