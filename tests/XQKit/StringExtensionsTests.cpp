#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "XQKit/StringExtensions.h"
#include "platform/foundation/Bundle.h"
#include "support/TestSupport.h"

using platform::CharacterSet;
using platform::Range;
using platform::RegularExpression;

namespace {

constexpr std::int64_t kNotFound = Range::kNotFound;
const std::string kInvalidUTF8 = "ab\xff\xfe" "c";

}  // namespace

// ---- localisation ---------------------------------------------------------------------------------

TEST(Local, LooksTheKeyUpInTheMainBundlesDefaultTable) {
    xqtest::TempHome home;
    xqtest::ScopedEnv language("LANGUAGE", "xq");
    std::string folder = platform::Bundle::main()->resourcePath() + "/xq.lproj";
    xqtest::writeFile(folder + "/Localizable.strings", "\"Hello\" = \"Bonjour\";\n\"Cancel\" = \"取消\";\n");
    EXPECT_EQ(local("Hello"), "Bonjour");
    EXPECT_EQ(local("Cancel", "the cancel button"), "取消");
    EXPECT_EQ(local("Not translated"), "Not translated");
    EXPECT_EQ(local(""), "");
    std::filesystem::remove_all(folder);
}

// ---- trimming ---------------------------------------------------------------------------------

TEST(Trimming, OneSidedRuns) {
    struct Case {
        std::string text, prefixWhitespace, suffixWhitespace, suffixWhitespaceAndNewline;
    };
    for (const Case& c : {
             Case{"  \tabc \t ", "abc \t ", "  \tabc", "  \tabc"},
             Case{"\n  abc  \n", "\n  abc  \n", "\n  abc  \n", "\n  abc"},
             Case{"abc \n \r\n\t ", "abc \n \r\n\t ", "abc \n \r\n", "abc"},
             Case{" \t ", "", "", ""},
             Case{"", "", "", ""},
             Case{"\u3000全角\u3000", "全角\u3000", "\u3000全角", "\u3000全角"},  // ideographic space is white space
             Case{"a\u00a0", "a\u00a0", "a", "a"},                       // no-break space too
             Case{"x\u2028", "x\u2028", "x\u2028", "x"},                 // a line separator is a line break
         }) {
        EXPECT_EQ(trimmingPrefixWhitespace(c.text), c.prefixWhitespace) << c.text;
        EXPECT_EQ(trimmingSuffixWhitespace(c.text), c.suffixWhitespace) << c.text;
        EXPECT_EQ(trimmingSuffixWhitespaceAndNewline(c.text), c.suffixWhitespaceAndNewline) << c.text;
    }
}

TEST(Trimming, CharacterSetsWorkPerScalar) {
    auto digits = CharacterSet::decimalDigits();
    EXPECT_EQ(trimmingPrefixCharacters("0123abc456", digits), "abc456");
    EXPECT_EQ(trimmingSuffixCharacters("0123abc456", digits), "0123abc");
    EXPECT_EQ(trimmingPrefixCharacters("٣٤x", digits), "x");  // Arabic-Indic digits are digits
    EXPECT_EQ(trimmingSuffixCharacters("123", digits), "");
    auto smile = CharacterSet::fromCharacters("🙂-");
    EXPECT_EQ(trimmingPrefixCharacters("🙂-🙂ok🙂", smile), "ok🙂");
    EXPECT_EQ(trimmingSuffixCharacters("🙂ok-🙂", smile), "🙂ok");
    // "é" written as e + combining accent: the accent is a scalar of its own.
    EXPECT_EQ(trimmingSuffixCharacters("cafe\u0301", CharacterSet::fromCharacters("\u0301")), "cafe");
}

TEST(Trimming, InvalidUTF8ReadsAsReplacementCharacters) {
    EXPECT_EQ(trimmingPrefixWhitespace("  \xff x"), "\uFFFD x");
    EXPECT_EQ(trimmingSuffixCharacters("x\xff", CharacterSet::fromCharacters("\uFFFD")), "x");
    EXPECT_EQ(trimmingSuffixWhitespace("\xe4\xb8 "), "\uFFFD");
}

// ---- regular expressions and substrings -------------------------------------------------------

TEST(Match, RangesOfEveryMatchAndGroup) {
    EXPECT_EQ(match("a", "(a)(b)?"), (std::vector<Range>{{0, 1}, {0, 1}, {kNotFound, 0}}));
    EXPECT_EQ(match("ab-ab", "(a)(b)"), (std::vector<Range>{{0, 2}, {0, 1}, {1, 1}, {3, 2}, {3, 1}, {4, 1}}));
    EXPECT_EQ(match("xyz", "q"), std::vector<Range>{});
    EXPECT_EQ(match("ABC abc", "abc", RegularExpression::caseInsensitive), (std::vector<Range>{{0, 3}, {4, 3}}));
    // UTF-16 offsets: the emoji takes two units.
    EXPECT_EQ(match("🙂a中a", "a"), (std::vector<Range>{{2, 1}, {4, 1}}));
    EXPECT_EQ(match("line1\nline2", "^line\\d$", RegularExpression::anchorsMatchLines),
              (std::vector<Range>{{0, 5}, {6, 5}}));
}

TEST(Match, InvalidPatternsGiveNothing) {
    for (const char* pattern : {"(", "[a-", "a{2,1}", "*", "(?<name", "\\"}) EXPECT_TRUE(match("abc", pattern).empty()) << pattern;
    EXPECT_TRUE(match("abc", "\xff").empty());
    EXPECT_EQ(match(kInvalidUTF8, "c"), (std::vector<Range>{{4, 1}}));  // each bad byte is one U+FFFD
}

TEST(RangesOf, LiteralNonOverlappingOccurrences) {
    EXPECT_EQ(rangesOf("xa.bya.b", "a.b"), (std::vector<Range>{{1, 3}, {5, 3}}));
    EXPECT_TRUE(rangesOf("axb", "a.b").empty());
    EXPECT_EQ(rangesOf("aaaa", "aa"), (std::vector<Range>{{0, 2}, {2, 2}}));
    EXPECT_EQ(rangesOf("(1+1)*[2] $x ^y \\z", "(1+1)*[2] $x ^y \\z"), (std::vector<Range>{{0, 18}}));
    EXPECT_EQ(rangesOf("😀x😀", "😀"), (std::vector<Range>{{0, 2}, {3, 2}}));
    EXPECT_EQ(rangesOf("a b\tc", " "), (std::vector<Range>{{1, 1}}));
    EXPECT_TRUE(rangesOf("abc", "").empty());
    EXPECT_TRUE(rangesOf("", "a").empty());
}

TEST(Substring, UTF16OffsetsClampedToTheText) {
    const std::string text = "a😀b中c";  // units: a 😀(2) b 中 c = 6
    struct Case {
        Range range;
        std::string expected;
    };
    for (const Case& c : {Case{{0, 1}, "a"}, Case{{1, 2}, "😀"}, Case{{3, 2}, "b中"}, Case{{0, 6}, text},
                          Case{{5, 100}, "c"}, Case{{6, 1}, ""}, Case{{100, 5}, ""}, Case{{-3, 2}, ""}, Case{{-3, 6}, "a😀"},
                          Case{{2, -1}, ""}, Case{{kNotFound, 0}, ""},
                          Case{{0, std::numeric_limits<std::int64_t>::max()}, text},
                          Case{{1, 1}, "\uFFFD"}})  // half of a surrogate pair
        EXPECT_EQ(substring(text, c.range), c.expected) << c.range.location << "," << c.range.length;

    EXPECT_EQ(substringFrom(text, 3), "b中c");
    EXPECT_EQ(substringFrom(text, 6), "");
    EXPECT_EQ(substringFrom(text, 99), "");
    EXPECT_EQ(substringFrom(text, -1), text);
    EXPECT_EQ(substringTo(text, 3), "a😀");
    EXPECT_EQ(substringTo(text, 0), "");
    EXPECT_EQ(substringTo(text, 99), text);
    EXPECT_EQ(substringTo(text, -5), "");
    EXPECT_EQ(substring(kInvalidUTF8, Range{2, 2}), "\uFFFD\uFFFD");
}

// ---- paths --------------------------------------------------------------------------------------

TEST(Paths, AccessorsFollowThePlatformsPathRules) {
    EXPECT_EQ(pathExtension("/tmp/archive.tar.gz"), "gz");
    EXPECT_EQ(lastPathComponent("/tmp/archive.tar.gz"), "archive.tar.gz");
    EXPECT_EQ(deletingPathExtension("/tmp/archive.tar.gz"), "/tmp/archive.tar");
    EXPECT_EQ(deletingLastPathComponent("/tmp/archive.tar.gz"), "/tmp");
    EXPECT_EQ(pathComponents("/tmp/archive.tar.gz"), (std::vector<std::string>{"/", "tmp", "archive.tar.gz"}));
    EXPECT_EQ(appendingPathComponent("/tmp", "x.zip"), "/tmp/x.zip");
    EXPECT_EQ(appendingPathExtension("/tmp/x", "zip"), "/tmp/x.zip");
    EXPECT_FALSE(appendingPathExtension("", "zip"));
    EXPECT_EQ(fileUrl("/tmp/a b.zip").absoluteString(), "file:///tmp/a%20b.zip");
    EXPECT_EQ(url("https://example.com/a?b=1")->host(), "example.com");
    EXPECT_FALSE(url("not a url"));
    EXPECT_FALSE(url(""));
    EXPECT_FALSE(url("\xff"));
}

TEST(Paths, ResolvingSymlinks) {
    xqtest::TempHome home;
    xqtest::makeDirectories(home / "real/inner");
    std::filesystem::create_directory_symlink(home / "real", home / "link");
    std::filesystem::create_directory_symlink("real/inner", home / "relative");
    EXPECT_EQ(resolvingSymlinksInPath(home / "link/inner"), home / "real/inner");
    EXPECT_EQ(resolvingSymlinksInPath(home / "relative/../inner/missing"), home / "real/inner/missing");
    EXPECT_EQ(resolvingSymlinksInPath("~/link"), home / "real");
    EXPECT_EQ(resolvingSymlinksInPath(home / "link/./missing/"), home / "real/missing");
    std::filesystem::create_symlink(home / "loop", home / "loop");
    EXPECT_FALSE(resolvingSymlinksInPath(home / "loop/x").empty());  // a loop ends, unresolved
}

// ---- validators ---------------------------------------------------------------------------------

TEST(Validators, MobileNumbers) {
    for (const char* good : {"13800138000", "19912345678", "14700000000"}) EXPECT_TRUE(isChineseMobileNumer(good)) << good;
    for (const char* bad : {"12800138000", "1380013800", "138001380000", "23800138000", "1380013800a", "",
                            "+8613800138000", "13800138000\n"})
        EXPECT_FALSE(isChineseMobileNumer(bad)) << bad;
}

TEST(Validators, EmailAddresses) {
    for (const char* good : {"a@b.cn", "first.last+tag@mail.example.com", "x_y%z@a-b.info"})
        EXPECT_TRUE(isEmailAddress(good)) << good;
    for (const char* bad : {"a@b.c", "a@b.museum", "@b.cn", "a@.cn_", "a b@c.cn", "a@b", "", "用户@b.cn", " a@b.cn"})
        EXPECT_FALSE(isEmailAddress(bad)) << bad;
}

TEST(Validators, IdentityNumbers) {
    // Real-format numbers with their check characters.
    for (const char* good : {"11010519491231002X", "11010519491231002x", "440524188001010014", "310101200002290015",
                             "110105202402290011", "510104198004300017", "650102200012310010", "810000199908080015"})
        EXPECT_TRUE(isIDCard(good)) << good;
    struct Case {
        const char* text;
        const char* why;
    };
    for (const Case& c : {
             Case{"100105194912310028", "region 10"},
             Case{"990105194912310023", "region 99"},
             Case{"110105179912310024", "year 1799"},
             Case{"110105210001010015", "year 2100"},
             Case{"110105190002290017", "29 February 1900"},
             Case{"110105202302290014", "29 February 2023"},
             Case{"110105202402300013", "30 February 2024"},
             Case{"510104198004310012", "31 April"},
             Case{"110105198013010013", "month 13"},
             Case{"110105198000010014", "month 00"},
             Case{"110105198001000010", "day 00"},
             Case{"11010519491231002Y", "check character Y"},
             Case{"110105194912310021", "wrong check digit"},
             Case{"11010519491231002", "17 characters"},
             Case{"11010519491231002XX", "19 characters"},
             Case{"", "empty"},
             Case{"11010519491231002Ｘ", "full-width X"},
             Case{"1101٠٥19491231002X", "Arabic-Indic digits"},
             Case{"11010519491231002\xff", "invalid UTF-8"},
         })
        EXPECT_FALSE(isIDCard(c.text)) << c.why;
    EXPECT_TRUE(isIDCard("110105180001010010"));  // 1800 is a valid year
}

TEST(Validators, VehiclePlates) {
    for (const char* good : {"京A-12345", "沪b-ABCDE", "粤Z-1234港", "苏E-A1b2C"}) EXPECT_TRUE(isCarNumber(good)) << good;
    for (const char* bad : {"京A12345", "京A-1234", "京A-123456", "AA-12345", "京1-12345", "京A-1234!", "", "京A-1234\xff"})
        EXPECT_FALSE(isCarNumber(bad)) << bad;
}

TEST(Validators, BankCardNumbersByLuhn) {
    struct Case {
        const char* text;
        bool valid;
    };
    for (const Case& c : {
             Case{"4111111111111111", true}, Case{"4111111111111112", false}, Case{"79927398713", true},
             Case{"79927398710", false}, Case{"6222021234567890128", true}, Case{"6222021234567890129", false},
             Case{"5500005555555559", true},
             Case{"6222 0212 3456 7890 128", true},  // other characters are skipped
             Case{"", true}, Case{"abc", true},      // no digits: nothing to disprove
             Case{"0", true}, Case{"18", true}, Case{"19", false},
             Case{"4111111111111111\r\n", false},    // the last character is not a digit: counts 0
             Case{"٧٩٩٢٧٣٩٨٧١٣", true},           // digits of other scripts are not read: no digits
             Case{"7992739871\u0303" "3", false},    // a digit with a combining mark is no digit...
             Case{"7992739871\u0303" "5", true},     // ...so the check needs another last digit
             Case{"1\xff", false},                   // not UTF-8
         })
        EXPECT_EQ(isBankCardNumber(c.text), c.valid) << c.text;
}

TEST(Validators, DigitsAndLetters) {
    EXPECT_TRUE(isNumberText(""));
    EXPECT_TRUE(isNumberText("0123456789"));
    EXPECT_FALSE(isNumberText("12a"));
    EXPECT_FALSE(isNumberText("١٢"));
    EXPECT_FALSE(isNumberOrChar(""));
    EXPECT_TRUE(isNumberOrChar("abcXYZ019"));
    EXPECT_FALSE(isNumberOrChar("abc_1"));
    EXPECT_FALSE(isNumberOrChar("ä"));
    EXPECT_FALSE(isNumberText("\xff"));
}

TEST(Validators, AnyPattern) {
    EXPECT_TRUE(isValid("abc", "[a-c]+"));
    EXPECT_FALSE(isValid("abcd", "[a-c]+"));  // the whole text must match
    EXPECT_FALSE(isValid("abc", "b"));
    EXPECT_TRUE(isValid("", "a*"));
    for (const char* invalid : {"(", "[", "a{2,1}", "\xff"}) EXPECT_FALSE(isValid("(", invalid)) << invalid;
    EXPECT_FALSE(isValid(kInvalidUTF8, ".*"));
}
