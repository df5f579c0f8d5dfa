#pragma once

// Texts: localisation shorthands, one-sided trimming, regular-expression ranges and substrings by
// UTF-16 offsets, file-path accessors, and validators for what users type into forms.
//
// Offsets and ranges count UTF-16 code units. Text members read each invalid UTF-8 sequence as
// U+FFFD (their results are always valid UTF-8); path members take paths as bytes; validators answer
// false for a text that is not valid UTF-8. Measuring laid-out text lives with the interface toolkit.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/PathUtilities.h"
#include "platform/foundation/Range.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/URL.h"

// ---- localisation ---------------------------------------------------------------------------------

// The text looked up as a key in the main bundle's default string table; the key itself when there
// is no entry. The comment is for translators only.
std::string local(std::string_view text);
std::string local(std::string_view text, std::string_view comment);

// ---- trimming ---------------------------------------------------------------------------------

// The text without its longest leading (trailing) run of scalars in the set.
std::string trimmingPrefixCharacters(std::string_view text, const platform::CharacterSet& set);
std::string trimmingSuffixCharacters(std::string_view text, const platform::CharacterSet& set);
// Spaces and tabs, not line breaks.
std::string trimmingPrefixWhitespace(std::string_view text);
std::string trimmingSuffixWhitespace(std::string_view text);
// Spaces, tabs and line breaks in any mix.
std::string trimmingSuffixWhitespaceAndNewline(std::string_view text);

// ---- regular expressions and substrings -------------------------------------------------------

// For every match in order: the whole match's range, then each capture group's (a group that took no
// part: location Range::kNotFound, length 0). Empty for an invalid pattern.
std::vector<platform::Range> match(std::string_view text, std::string_view pattern,
                                   platform::RegularExpression::Options options = 0);
// The ranges of every non-overlapping literal occurrence of `target`, in order; none for an empty target.
std::vector<platform::Range> rangesOf(std::string_view text, std::string_view target);
// The text in the range, from the offset, or up to (not including) the offset. Only the part of a
// range inside the text counts: a location past the end gives the empty text, a length past the end
// stops at the end, a negative offset counts as 0. Half of a surrogate pair comes out as U+FFFD.
std::string substring(std::string_view text, platform::Range range);
std::string substringFrom(std::string_view text, std::int64_t offset);
std::string substringTo(std::string_view text, std::int64_t offset);

// ---- paths --------------------------------------------------------------------------------------

using platform::appendingPathComponent;
using platform::appendingPathExtension;
using platform::deletingLastPathComponent;
using platform::deletingPathExtension;
using platform::lastPathComponent;
using platform::pathComponents;
using platform::pathExtension;
using platform::resolvingSymlinksInPath;

// A file URL for the path (relative paths against the current folder).
platform::URL fileUrl(std::string_view path);
// The URL the text spells; absent when it is not a valid URL.
std::optional<platform::URL> url(std::string_view text);

// ---- validators ---------------------------------------------------------------------------------

// True when the whole text matches the pattern.
bool isValid(std::string_view text, std::string_view pattern);
// 11 digits: 1, then 3 to 9, then nine more.
bool isChineseMobileNumer(std::string_view text);
bool isEmailAddress(std::string_view text);
// An 18-character resident identity number: region, date of birth and ISO 7064 MOD 11-2 check
// character (X in either case).
bool isIDCard(std::string_view text);
// A vehicle plate: one CJK ideograph, one Latin letter, "-", four letters or digits, and one letter,
// digit or ideograph.
bool isCarNumber(std::string_view text);
// The Luhn check over the digits; other characters are skipped, so the empty text passes.
bool isBankCardNumber(std::string_view text);
// Digits only; the empty text passes.
bool isNumberText(std::string_view text);
// At least one character, Latin letters and digits only.
bool isNumberOrChar(std::string_view text);
