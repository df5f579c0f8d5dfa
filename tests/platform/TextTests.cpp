#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/PathUtilities.h"
#include "platform/foundation/Predicate.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/UTF16.h"

using platform::Range;

TEST(PathUtilities, TheRulesInATable) {
    struct Case {
        std::string path, last, deletingLast, extension, deletingExtension;
    };
    for (const Case& c : {
             Case{"/tmp/scratch.tiff", "scratch.tiff", "/tmp", "tiff", "/tmp/scratch"},
             Case{"/tmp/", "tmp", "/", "", "/tmp"},
             Case{"/tmp//lib/", "lib", "/tmp", "", "/tmp/lib"},
             Case{"scratch.tiff", "scratch.tiff", "", "tiff", "scratch"},
             Case{"/", "/", "/", "", "/"},
             Case{"", "", "", "", ""},
             Case{"/a/.hidden", ".hidden", "/a", "", "/a/.hidden"},
             Case{"/a/.hidden.txt", ".hidden.txt", "/a", "txt", "/a/.hidden"},
             Case{"a.", "a.", "", "", "a"},
             Case{"/a/..", "..", "/a", "", "/a/.."},
             Case{"/a.b/c", "c", "/a.b", "", "/a.b/c"},
             Case{"archive.tar.gz", "archive.tar.gz", "", "gz", "archive.tar"},
             Case{"/x/\xff\xfe.zip", "\xff\xfe.zip", "/x", "zip", "/x/\xff\xfe"},
         }) {
        EXPECT_EQ(platform::lastPathComponent(c.path), c.last) << c.path;
        EXPECT_EQ(platform::deletingLastPathComponent(c.path), c.deletingLast) << c.path;
        EXPECT_EQ(platform::pathExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(platform::deletingPathExtension(c.path), c.deletingExtension) << c.path;
    }
}

TEST(PathUtilities, ComponentsAppendingAndStandardising) {
    using V = std::vector<std::string>;
    EXPECT_EQ(platform::pathComponents("/tmp/scratch"), (V{"/", "tmp", "scratch"}));
    EXPECT_EQ(platform::pathComponents("tmp//scratch/"), (V{"tmp", "scratch", "/"}));
    EXPECT_EQ(platform::pathComponents("/"), (V{"/"}));
    EXPECT_EQ(platform::pathComponents(""), V{});

    EXPECT_EQ(platform::appendingPathComponent("/tmp/", "/x"), "/tmp/x");
    EXPECT_EQ(platform::appendingPathComponent("/", "x"), "/x");
    EXPECT_EQ(platform::appendingPathComponent("", "x"), "x");
    EXPECT_EQ(platform::appendingPathComponent("/tmp", ""), "/tmp");
    EXPECT_EQ(platform::appendingPathExtension("/tmp/x/", "tar.gz"), "/tmp/x.tar.gz");
    EXPECT_FALSE(platform::appendingPathExtension("/", "zip"));
    EXPECT_FALSE(platform::appendingPathExtension("x", "a/b"));

    EXPECT_EQ(platform::standardizedPath("/a/./b/../c/"), "/a/c");
    EXPECT_EQ(platform::standardizedPath("/../.."), "/");
    EXPECT_EQ(platform::standardizedPath("../a/../../b"), "../../b");
    EXPECT_EQ(platform::standardizedPath("a/.."), ".");
}

TEST(UTF16, OffsetsAndConversions) {
    EXPECT_EQ(platform::utf16Length("a😀中"), 4);
    EXPECT_EQ(platform::utf16Length("\xff\xfe"), 2);
    EXPECT_EQ(platform::fromUTF16(platform::toUTF16("a😀中")), "a😀中");
    EXPECT_EQ(platform::repairingUTF8("a\xc3("), "a\uFFFD(");
    EXPECT_EQ(platform::repairingUTF8("\xed\xa0\x80"), "\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
    EXPECT_EQ(platform::fromUTF16(u"\xD83D"), "\uFFFD");
    EXPECT_EQ(platform::clampedRange(Range{2, 10}, 5), (Range{2, 3}));
    EXPECT_EQ(platform::clampedRange(Range{Range::kNotFound, 1}, 5), (Range{5, 0}));
    EXPECT_EQ(platform::clampedRange(Range{-10, 12}, 5), (Range{0, 2}));
    EXPECT_EQ(platform::clampedRange(Range{3, -2}, 5), (Range{3, 0}));
}

TEST(RegularExpression, CompilesMatchesAndEscapes) {
    EXPECT_FALSE(platform::RegularExpression::make("(unclosed"));
    auto expression = platform::RegularExpression::make("(\\d+)-(x)?");
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->numberOfCaptureGroups(), 2u);
    auto found = expression->matches("12-x 3-");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].ranges, (std::vector<Range>{{0, 4}, {0, 2}, {3, 1}}));
    EXPECT_EQ(found[1].ranges, (std::vector<Range>{{5, 2}, {5, 1}, {Range::kNotFound, 0}}));
    EXPECT_EQ(expression->matches("12-x 3-", Range{2, 100}).size(), 1u);
    EXPECT_TRUE(expression->matchesEntirely("7-x"));
    EXPECT_FALSE(expression->matchesEntirely("7-xy"));

    std::string nasty = "a.b*c?(d)[e]{f}^g$h|i\\j+k/l-m #n";
    auto literal = platform::RegularExpression::make(platform::RegularExpression::escapedPattern(nasty));
    ASSERT_TRUE(literal);
    EXPECT_TRUE(literal->matchesEntirely(nasty));
    auto ignoring = platform::RegularExpression::make(nasty, platform::RegularExpression::ignoreMetacharacters);
    ASSERT_TRUE(ignoring);
    EXPECT_TRUE(ignoring->matchesEntirely(nasty));
}

TEST(Predicate, SelfMatchesIsAnchoredAtBothEnds) {
    auto digits = platform::Predicate::selfMatches("[0-9]+");
    EXPECT_TRUE(digits.evaluate("123"));
    EXPECT_FALSE(digits.evaluate("123a"));
    EXPECT_FALSE(digits.evaluate("a123"));
    EXPECT_FALSE(digits.evaluate(""));
    EXPECT_EQ(digits.predicateFormat(), "SELF MATCHES \"[0-9]+\"");
    EXPECT_FALSE(platform::Predicate::selfMatches("([").evaluate("(["));
    // The same predicate on several threads at once.
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                if (!digits.evaluate(std::to_string(i)) || digits.evaluate("x" + std::to_string(i))) ++wrong;
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(CharacterSet, StandardSetsAndCombinations) {
    auto spaces = platform::CharacterSet::whitespaces();
    EXPECT_TRUE(spaces.contains(U' '));
    EXPECT_TRUE(spaces.contains(U'\t'));
    EXPECT_TRUE(spaces.contains(U'\u3000'));
    EXPECT_FALSE(spaces.contains(U'\n'));
    auto all = platform::CharacterSet::whitespacesAndNewlines();
    for (char32_t c : {U' ', U'\t', U'\n', U'\r', U'\v', U'\f', U'\u0085', U'\u2028', U'\u2029'}) EXPECT_TRUE(all.contains(c));
    EXPECT_FALSE(all.contains(U'x'));
    EXPECT_TRUE(platform::CharacterSet::decimalDigits().contains(U'٣'));
    EXPECT_FALSE(platform::CharacterSet::decimalDigits().contains(U'x'));
    auto ab = platform::CharacterSet::fromCharacters("ab");
    EXPECT_TRUE(ab.inverted().contains(U'c'));
    EXPECT_FALSE(ab.inverted().contains(U'a'));
    EXPECT_TRUE(ab.unioned(platform::CharacterSet::fromRange(U'x', U'z')).contains(U'y'));
    EXPECT_FALSE(ab.contains(0x110000));
    EXPECT_FALSE(platform::CharacterSet::fromRange(U'z', U'a').contains(U'm'));
}
