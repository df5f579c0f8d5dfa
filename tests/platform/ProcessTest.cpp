#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "support/TestSupport.h"

using platform::Process;

namespace {

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

std::shared_ptr<Process> bash(const std::string& script, Process::Stream err = Process::Stream::Pipe) {
    auto p = std::make_shared<Process>();
    p->executablePath = "/bin/bash";
    p->arguments = {"-c", script};
    p->standardOutput = Process::Stream::Pipe;
    p->standardError = err;
    return p;
}

}  // namespace

// A child filling both pipes far beyond their buffers at the same time must not stall: every byte of
// both streams arrives and the call returns after the exit.
TEST(Process, DrainsBothStreamsWhileTheChildRuns) {
    auto p = bash("head -c 100000000 /dev/zero | tr '\\0' e >&2 & head -c 150000000 /dev/zero | tr '\\0' o; wait");
    ASSERT_TRUE(p->run());
    p->waitUntilExit();
    EXPECT_EQ(p->terminationStatus(), 0);
    ASSERT_EQ(p->outputData().size(), 150000000u);
    ASSERT_EQ(p->errorData().size(), 100000000u);
    EXPECT_EQ(p->outputData().bytes().back(), 'o');
    EXPECT_EQ(p->errorData().bytes().front(), 'e');
}

TEST(Process, ErrorCanShareTheOutputPipe) {
    auto p = bash("printf a; printf b >&2; printf c", Process::Stream::ToOutput);
    ASSERT_TRUE(p->run());
    p->waitUntilExit();
    EXPECT_EQ(p->outputData().toString(), "abc");
    EXPECT_TRUE(p->errorData().empty());
}

TEST(Process, NullInputReadsEndOfFile) {
    auto p = bash("cat; echo done");
    p->standardInput = Process::Stream::Null;
    ASSERT_TRUE(p->run());
    p->waitUntilExit();
    EXPECT_EQ(p->outputData().toString(), "done\n");
}

TEST(Process, ReportsExitStatusAndKillingSignal) {
    auto exits = bash("exit 7");
    ASSERT_TRUE(exits->run());
    exits->waitUntilExit();
    EXPECT_EQ(exits->terminationStatus(), 7);
    EXPECT_EQ(exits->terminationReason(), Process::TerminationReason::Exit);

    auto killed = bash("kill -KILL $$");
    ASSERT_TRUE(killed->run());
    killed->waitUntilExit();
    EXPECT_EQ(killed->terminationStatus(), SIGKILL);
    EXPECT_EQ(killed->terminationReason(), Process::TerminationReason::UncaughtSignal);
}

TEST(Process, LaunchFailuresAreDescribed) {
    xqtest::TempHome home;
    std::string plain = home / "plain.txt";
    xqtest::writeFile(plain, "not a program");
    ::chmod(plain.c_str(), 0644);
    struct Case {
        std::string path;
        std::string description;
    } cases[] = {
        {"/nonexistent/tool", "The file “tool” doesn’t exist."},
        {plain, "The file “plain.txt” couldn’t be opened because you don’t have permission to view it."},
        {home.path(), "The file “" + std::filesystem::path(home.path()).filename().string() +
                          "” couldn’t be opened because you don’t have permission to view it."},
    };
    for (const auto& c : cases) {
        Process p;
        p.executablePath = c.path;
        p.standardOutput = Process::Stream::Pipe;
        std::string error;
        EXPECT_FALSE(p.run(&error)) << c.path;
        EXPECT_EQ(error, c.description);
    }
}

TEST(Process, SystemToolsAreMappedOrAbsent) {
    {
        xqtest::ScopedEnv none("XQ_TOOL_CODESIGN", std::nullopt);
        EXPECT_EQ(Process::resolveExecutable("/usr/bin/codesign"), std::nullopt);
        Process p;
        p.executablePath = "/usr/bin/codesign";
        std::string error;
        EXPECT_FALSE(p.run(&error));
        EXPECT_EQ(error, "The file “codesign” doesn’t exist.");
    }
    {
        xqtest::ScopedEnv configured("XQ_TOOL_CODESIGN", "/bin/echo");
        EXPECT_EQ(Process::resolveExecutable("/usr/bin/codesign"), "/bin/echo");
    }
    auto open = Process::resolveExecutable("/usr/bin/open");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(std::filesystem::path(*open).filename(), "xq-open");
    EXPECT_EQ(Process::resolveExecutable("/bin/ls"), "/bin/ls");
}

// A command line run through bash finds `osascript` by name once one is configured.
TEST(Process, ConfiguredOsascriptIsFoundByBash) {
    xqtest::TempHome home;
    std::string fixture = home / "osascript";
    xqtest::writeFile(fixture, "#!/bin/sh\necho \"fixture: $*\"\n");
    ::chmod(fixture.c_str(), 0755);
    xqtest::ScopedEnv configured("XQ_TOOL_OSASCRIPT", fixture);
    auto p = bash("osascript -e 'tell application \"Finder\"'");
    ASSERT_TRUE(p->run());
    p->waitUntilExit();
    EXPECT_EQ(p->outputData().toString(), "fixture: -e tell application \"Finder\"\n");
}

TEST(Process, LeavesNoDescriptorOrChildBehind) {
    std::size_t before = openDescriptorCount();
    for (int i = 0; i < 20; ++i) {
        auto p = bash("echo out; echo err >&2");
        ASSERT_TRUE(p->run());
        p->waitUntilExit();
        Process missing;
        missing.executablePath = "/nonexistent";
        missing.standardOutput = Process::Stream::Pipe;
        missing.standardError = Process::Stream::Pipe;
        EXPECT_FALSE(missing.run());
    }
    {
        // Dropped without waiting: the destructor still reaps it.
        auto p = bash("echo bye");
        ASSERT_TRUE(p->run());
    }
    EXPECT_EQ(openDescriptorCount(), before);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child of ours is left
}

TEST(Process, DetachedLaunchLeavesNoZombie) {
    xqtest::TempHome home;
    std::string marker = home / "ran";
    ASSERT_TRUE(Process::launchDetached("/bin/sh", {"-c", "touch \"$0\"", marker}));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    // The program runs on its own; wait (in real time, bounded) for its mark.
    EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return xqtest::fileExists(marker); }, 10.0));
    std::string error;
    EXPECT_FALSE(Process::launchDetached("/nonexistent/app", {}, &error));
    EXPECT_EQ(error, "The file “app” doesn’t exist.");
}
