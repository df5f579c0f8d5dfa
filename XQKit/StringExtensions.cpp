#include "XQKit/StringExtensions.h"

#include <unicode/brkiter.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <memory>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Predicate.h"
#include "platform/foundation/UTF16.h"

using platform::CharacterSet;
using platform::Predicate;
using platform::Range;

// ---- localisation ---------------------------------------------------------------------------------

std::string local(std::string_view text) { return platform::Bundle::main()->localizedString(std::string(text)); }

std::string local(std::string_view text, std::string_view /*comment*/) { return local(text); }

// ---- trimming ---------------------------------------------------------------------------------

namespace {

std::size_t leadingRunEnd(const std::string& text, const CharacterSet& set) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    int32_t i = 0;
    while (i < length) {
        int32_t next = i;
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, next, length, c);
        if (!set.contains(static_cast<char32_t>(c))) break;
        i = next;
    }
    return static_cast<std::size_t>(i);
}

std::size_t trailingRunStart(const std::string& text, const CharacterSet& set) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    int32_t i = length;
    while (i > 0) {
        int32_t previous = i;
        UChar32 c;
        U8_PREV_OR_FFFD(bytes, 0, previous, c);
        if (!set.contains(static_cast<char32_t>(c))) break;
        i = previous;
    }
    return static_cast<std::size_t>(i);
}

}  // namespace

std::string trimmingPrefixCharacters(std::string_view text, const CharacterSet& set) {
    std::string repaired = platform::repairingUTF8(text);
    return repaired.substr(leadingRunEnd(repaired, set));
}

std::string trimmingSuffixCharacters(std::string_view text, const CharacterSet& set) {
    std::string repaired = platform::repairingUTF8(text);
    repaired.resize(trailingRunStart(repaired, set));
    return repaired;
}

std::string trimmingPrefixWhitespace(std::string_view text) {
    return trimmingPrefixCharacters(text, CharacterSet::whitespaces());
}

std::string trimmingSuffixWhitespace(std::string_view text) {
    return trimmingSuffixCharacters(text, CharacterSet::whitespaces());
}

std::string trimmingSuffixWhitespaceAndNewline(std::string_view text) {
    return trimmingSuffixCharacters(text, CharacterSet::whitespacesAndNewlines());
}

// ---- regular expressions and substrings -------------------------------------------------------

std::vector<Range> match(std::string_view text, std::string_view pattern, platform::RegularExpression::Options options) {
    std::vector<Range> ranges;
    auto expression = platform::RegularExpression::make(pattern, options);
    if (!expression) return ranges;
    for (auto& found : expression->matches(text)) ranges.insert(ranges.end(), found.ranges.begin(), found.ranges.end());
    return ranges;
}

std::vector<Range> rangesOf(std::string_view text, std::string_view target) {
    std::vector<Range> ranges;
    if (target.empty()) return ranges;
    std::string pattern = platform::RegularExpression::escapedPattern(platform::repairingUTF8(target));
    auto expression = platform::RegularExpression::make(pattern);
    if (!expression) return ranges;
    for (auto& found : expression->matches(text)) ranges.push_back(found.range());
    return ranges;
}

std::string substring(std::string_view text, Range range) { return platform::substringWithRange(text, range); }

std::string substringFrom(std::string_view text, std::int64_t offset) {
    return platform::substringWithRange(text, Range{offset, std::numeric_limits<std::int64_t>::max()});
}

std::string substringTo(std::string_view text, std::int64_t offset) {
    return platform::substringWithRange(text, Range{0, offset});
}

// ---- paths --------------------------------------------------------------------------------------

platform::URL fileUrl(std::string_view path) { return platform::URL::fileURLWithPath(path); }

std::optional<platform::URL> url(std::string_view text) { return platform::URL::parse(text); }

// ---- validators ---------------------------------------------------------------------------------

namespace {

bool matchesWhole(std::string_view text, const Predicate& predicate) {
    return platform::isValidUTF8(text) && predicate.evaluate(text);
}


bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isLeapYear(int year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

// A character boundary iterator of this thread.
icu::BreakIterator* characterBreaks() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) made.reset();
        return made;
    }();
    return iterator.get();
}

// The characters (extended grapheme clusters) of a text, each as the value of the ASCII digit it is,
// or -1 for any other character.
std::vector<int> characterDigits(std::string_view text) {
    std::vector<int> digits;
    auto digitOf = [](std::string_view character) {
        return character.size() == 1 && character[0] >= '0' && character[0] <= '9' ? character[0] - '0' : -1;
    };
    if (isASCII(text)) {
        // Every ASCII character is one character, except CR LF, which is no digit either way.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            digits.push_back(digitOf(text.substr(i, 1)));
        }
        return digits;
    }
    icu::BreakIterator* breaks = characterBreaks();
    if (!breaks) return digits;
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) return digits;
    breaks->setText(utext, status);
    int32_t start = breaks->first();
    for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; start = end, end = breaks->next())
        digits.push_back(digitOf(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start))));
    static const icu::UnicodeString nothing;
    breaks->setText(nothing);  // the iterator must not keep pointing at the caller's text
    utext_close(utext);
    return digits;
}

}  // namespace

// The validators make their predicates once; the platform keeps compiled patterns per thread.

bool isValid(std::string_view text, std::string_view pattern) {
    return platform::isValidUTF8(text) && Predicate::selfMatches(std::string(pattern)).evaluate(text);
}

bool isChineseMobileNumer(std::string_view text) {
    static const auto mobile = Predicate::selfMatches("^(1[3-9][0-9])\\d{8}$");
    return matchesWhole(text, mobile);
}

bool isEmailAddress(std::string_view text) {
    static const auto email = Predicate::selfMatches("[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,4}");
    return matchesWhole(text, email);
}

bool isIDCard(std::string_view text) {
    static const auto shape = Predicate::selfMatches("^\\d{17}(\\d|[xX])$");
    static const auto yearShape = Predicate::selfMatches("^(18|19|20)[0-9]{2}$");
    static const auto leapFebruary = Predicate::selfMatches("^02(0[1-9]|[1-2][0-9])$");
    static const auto february = Predicate::selfMatches("^02(0[1-9]|1[0-9]|2[0-8])$");
    static const auto otherMonths = Predicate::selfMatches("(01|03|05|07|08|10|12)(0[1-9]|[1-2][0-9]|3[0-1])|(04|06|09|11)(0[1-9]|[1-2][0-9]|30)");
    if (!matchesWhole(text, shape)) return false;
    // \d also takes digits of other scripts; only 0-9 can be weighed, so anything else fails here.
    if (!isASCII(text)) return false;

    static constexpr std::array<std::string_view, 35> regions = {
        "11", "12", "13", "14", "15", "21", "22", "23", "31", "32", "33", "34", "35", "36", "37", "41", "42", "43",
        "44", "45", "46", "50", "51", "52", "53", "54", "61", "62", "63", "64", "65", "71", "81", "82", "91"};
    if (std::find(regions.begin(), regions.end(), text.substr(0, 2)) == regions.end()) return false;

    std::string_view year = text.substr(6, 4);
    if (!matchesWhole(year, yearShape)) return false;

    std::string_view monthDay = text.substr(10, 4);
    if (monthDay.substr(0, 2) == "02") {
        int y = (year[0] - '0') * 1000 + (year[1] - '0') * 100 + (year[2] - '0') * 10 + (year[3] - '0');
        if (!matchesWhole(monthDay, isLeapYear(y) ? leapFebruary : february)) return false;
    } else if (!matchesWhole(monthDay, otherMonths)) {
        return false;
    }

    static constexpr int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static constexpr std::string_view checks = "10X98765432";
    int sum = 0;
    for (int i = 0; i < 17; ++i) sum += (text[i] - '0') * weights[i];
    char last = text[17] == 'x' ? 'X' : text[17];
    return checks[sum % 11] == last;
}

bool isCarNumber(std::string_view text) {
    static const auto plate = Predicate::selfMatches("^[一-鿿]{1}[a-zA-Z]{1}-[a-zA-Z0-9]{4}[a-zA-Z0-9一-鿿]$");
    return matchesWhole(text, plate);
}

bool isBankCardNumber(std::string_view text) {
    if (!platform::isValidUTF8(text)) return false;
    std::vector<int> characters = characterDigits(text);
    if (characters.empty()) return true;
    int total = 0;
    bool doubled = true;  // the digit nearest the end, then every other one
    for (auto it = characters.rbegin() + 1; it != characters.rend(); ++it) {
        if (*it < 0) continue;
        int value = *it;
        if (doubled) {
            value *= 2;
            if (value > 9) value -= 9;
        }
        total += value;
        doubled = !doubled;
    }
    total += std::max(characters.back(), 0);
    return total % 10 == 0;
}

bool isNumberText(std::string_view text) {
    static const auto digits = Predicate::selfMatches("[0-9]*");
    return matchesWhole(text, digits);
}

bool isNumberOrChar(std::string_view text) {
    static const auto lettersAndDigits = Predicate::selfMatches("^[A-Za-z0-9]+$");
    return matchesWhole(text, lettersAndDigits);
}
