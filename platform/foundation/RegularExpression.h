#pragma once

// A compiled regular expression in the platform's (ICU) syntax, answering matches as UTF-16 ranges:
// for each match, the whole match first, then every capture group in order (a group that took no part
// gives a range at Range::kNotFound with length 0). Immutable; usable from several threads.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Range.h"

namespace platform {

class RegularExpression {
public:
    using Options = std::uint32_t;
    static constexpr Options caseInsensitive = 1 << 0;
    static constexpr Options allowCommentsAndWhitespace = 1 << 1;
    static constexpr Options ignoreMetacharacters = 1 << 2;
    static constexpr Options dotMatchesLineSeparators = 1 << 3;
    static constexpr Options anchorsMatchLines = 1 << 4;
    static constexpr Options useUnixLineSeparators = 1 << 5;
    static constexpr Options useUnicodeWordBoundaries = 1 << 6;

    struct Match {
        std::vector<Range> ranges;  // the whole match, then each capture group
        Range range() const { return ranges.front(); }
        std::size_t numberOfRanges() const { return ranges.size(); }
    };

    // Absent when the pattern is not a valid regular expression (or not UTF-8 text).
    static std::optional<RegularExpression> make(std::string_view pattern, Options options = 0);
    // The pattern that matches the text literally.
    static std::string escapedPattern(std::string_view text);

    const std::string& pattern() const;
    Options options() const;
    std::size_t numberOfCaptureGroups() const;

    // Every match in the text, or within a UTF-16 range of it (clamped to the text).
    std::vector<Match> matches(std::string_view text) const;
    std::vector<Match> matches(std::string_view text, Range range) const;
    // True when the whole text matches.
    bool matchesEntirely(std::string_view text) const;

    struct Impl;

private:
    explicit RegularExpression(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    std::shared_ptr<const Impl> impl_;
};

}  // namespace platform
