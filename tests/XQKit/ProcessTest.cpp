#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <functional>

#include "XQKit/Process.h"
#include "XQKit/XQLog.h"
#include "platform/foundation/RunLoop.h"
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

namespace {
struct LogCapture {
    LogCapture() {
        XQ_LOG_RELEASE = true;
        testing::internal::CaptureStderr();
    }
    std::string text() {
        XQ_LOG_RELEASE = false;
        return testing::internal::GetCapturedStderr();
    }
};
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(CommandLogs, NameTheCommandAndItsOutcome) {
    xqtest::TempHome home;
    struct Case {
        std::function<void()> run;
        std::vector<std::string> expected;
        std::vector<std::string> absent;
    } cases[] = {
        {[] { ExecuteCMD("echo $0-$1", Strings{"a", "b"}); }, {"✅ cmd '/bin/bash -c echo $0-$1' 执行成功:\na-b"}, {"a b"}},
        {[] { ExecuteCMD("exit 3"); }, {"❌ cmd '/bin/bash -c exit 3' 执行失败: \n"}, {}},
        {[] { ExecuteCMD("echo oops >&2; exit 1"); }, {"❌ cmd '/bin/bash -c echo oops >&2; exit 1' 执行失败: oops"}, {}},
        {[] { ExecuteCustomCMD("/bin/echo", {"x", "y"}); }, {"✅ custom cmd '/bin/echo x y' 执行成功:\nx y"}, {}},
        {[] { ExecuteCustomCMD("/nonexistent/tool", {"a"}); },
         {"❌ custom cmd '/nonexistent/tool a' 发生错误: The file “tool” doesn’t exist."}, {}},
        {[&] { EXPECT_FALSE(OpenFilePath(home / "no such.txt")); },
         {"OpenFilePath: " + (home / "no such.txt") + " error: The file " + (home / "no such.txt") + " does not exist.\n"},
         {}},
    };
    for (auto& c : cases) {
        LogCapture capture;
        c.run();
        std::string text = capture.text();
        for (const auto& e : c.expected) EXPECT_TRUE(contains(text, e)) << text;
        for (const auto& a : c.absent) EXPECT_FALSE(contains(text, a)) << text;
    }
}

TEST(OpenFilePath, OpensAnExistingApplicationBundle) {
    xqtest::TempHome home;
    std::string marker = home / "launched";
    std::string bundle = xqtest::makeAppBundle(home / "Applications", "Opened", "cn.example.opened", "1.0", {},
                                               "#!/bin/sh\ntouch \"" + marker + "\"\n");
    EXPECT_TRUE(OpenFilePath(bundle));
    EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return xqtest::fileExists(marker); }, 10.0));
}
