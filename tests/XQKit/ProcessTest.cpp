#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "XQKit/Process.h"
#include "support/TestSupport.h"

using Strings = std::vector<std::string>;

TEST(ExecuteCMD, ResultsFollowTheExitStatusAndTheOutput) {
    struct Case {
        const char* what;
        std::string cmd;
        std::optional<Strings> argus;
        std::optional<std::string> expected;
    } cases[] = {
        {"trimmed at both ends", "echo '  hi  '", std::nullopt, "hi"},
        {"unicode white space trimmed", "printf '\\u3000hi\\u00a0\\n'", std::nullopt, "hi"},
        {"argus become $0, $1", "echo $0-$1", Strings{"a", "b"}, "a-b"},
        {"empty output is success", "true", std::nullopt, ""},
        {"exit status 3 is failure", "exit 3", std::nullopt, std::nullopt},
        {"invalid UTF-8 gives the empty text", "printf 'ok\\xff\\xfe'", std::nullopt, ""},
        {"killed by a signal is failure", "echo partial; kill -TERM $$", std::nullopt, std::nullopt},
        {"missing command is failure", "/nonexistent/command", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ExecuteCMD(c.cmd, c.argus), c.expected) << c.what;
}

TEST(ExecuteCMD, CollectsFarMoreThanAPipeHoldsOnEitherStream) {
    auto out = ExecuteCMD("head -c 800000 /dev/zero | tr '\\0' x; head -c 800000 /dev/zero >&2");
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->size(), 800000u);
    EXPECT_EQ(ExecuteCMD("head -c 800000 /dev/zero >&2; exit 1"), std::nullopt);
}

TEST(ExecuteCustomCMD, RunsTheExecutableWithExactlyItsArguments) {
    EXPECT_EQ(ExecuteCustomCMD("/bin/echo", {"x", "y"}), "x y");
    EXPECT_EQ(ExecuteCustomCMD("/bin/sh", {"-c", "printf '%s|' \"$@\"", "sh", "a b", "$HOME", "*"}), "a b|$HOME|*|");
    EXPECT_EQ(ExecuteCustomCMD("/nonexistent/tool", {}), std::nullopt);
    xqtest::TempHome home;
    std::string plain = home / "script";
    xqtest::writeFile(plain, "#!/bin/sh\necho hi\n");
    ::chmod(plain.c_str(), 0644);
    EXPECT_EQ(ExecuteCustomCMD(plain, {}), std::nullopt);  // not executable
    EXPECT_EQ(ExecuteCustomCMD("/bin/false", {}), std::nullopt);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(OpenFilePath, OpensExistingPathsAndRefusesMissingOnes) {
    xqtest::TempHome home;
    EXPECT_FALSE(OpenFilePath(home / "missing file.txt"));
}

TEST(ShellFilePath, QuotesForAPosixShell) {
    EXPECT_EQ(shellFilePath(""), "''");
    EXPECT_EQ(shellFilePath("it's"), "'it'\\''s'");
    EXPECT_EQ(shellFilePath("/a b/c"), "'/a b/c'");
}

TEST(ParseFilePaths, SplitsWordsAsTyped) {
    struct Case {
        std::string text;
        Strings expected;
    } cases[] = {
        {"'/tmp/a b' /tmp/c", {"/tmp/a b", "/tmp/c"}},
        {"", {}},
        {"   ", {}},
        {"/a\\ b \"/c d\"", {"/a b", "/c d"}},
        {"'unbalanced", {}},
        {"\"unbalanced", {}},
        {"-n -e --", {"-n", "-e", "--"}},
        {"'' x", {"x"}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseFilePaths(c.text), c.expected) << c.text;
}

// The text is data, never code: substitutions, variables, arithmetic, globs, tildes and brace
// expansions come back as the words typed, and nothing runs.
TEST(ParseFilePaths, NeverEvaluatesTheText) {
    xqtest::TempHome home;
    std::string marker = home / "ran";
    xqtest::writeFile(home / "g1.txt", "");
    xqtest::writeFile(home / "g2.txt", "");
    struct Case {
        std::string text;
        Strings expected;
    } cases[] = {
        {"$(touch " + marker + ")", {"$(touch " + marker + ")"}},
        {"`touch " + marker + "`", {"`touch " + marker + "`"}},
        {"\"$(touch " + marker + ")\"", {"$(touch " + marker + ")"}},
        {"$HOME ${HOME} $((1+2))", {"$HOME", "${HOME}", "$((1+2))"}},
        {home.path() + "/g*.txt ~/x {a,b}", {home.path() + "/g*.txt", "~/x", "{a,b}"}},
        {"a; touch " + marker, {"a", ";", "touch", marker}},
        {"a && touch " + marker + " | cat", {"a", "&&", "touch", marker, "|", "cat"}},
        {"$(touch " + marker, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseFilePaths(c.text), c.expected) << c.text;
    EXPECT_FALSE(xqtest::fileExists(marker));
}

TEST(ParseFilePaths, ReadsBackEveryQuotedPath) {
    const Strings paths = {
        "/plain/path", "/with space/x", "it's", "'", "''", "\\", "a\\b", "\"quoted\"", "$(rm -rf ~)", "`id`",
        "$HOME", "*", "-n", "--", "~", "tab\there", "semi;colon", "amp&", "pipe|", "<redir>", "#hash",
        "ünïcödé/路径/🙂", "!bang", "{a,b}", "a=b", " leading and trailing ",
    };
    for (const auto& path : paths) EXPECT_EQ(parseFilePaths(shellFilePath(path)), Strings{path}) << path;
}
