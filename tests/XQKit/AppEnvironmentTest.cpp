#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unordered_set>

#include "XQKit/AppEnvironment.h"
#include "XQKit/XQLog.h"
#include "support/TestSupport.h"

namespace {

// A stand-in for codesign that prints `output` on standard error (as codesign does) and exits with
// `status`.
struct CodesignFixture {
    CodesignFixture(const xqtest::TempHome& home, const std::string& output, int status = 0) {
        std::string path = home / "codesign";
        xqtest::writeFile(home / "codesign.out", output);
        xqtest::writeFile(path, "#!/bin/sh\ncat \"" + (home / "codesign.out") + "\" >&2\nexit " +
                                    std::to_string(status) + "\n");
        ::chmod(path.c_str(), 0755);
        env = std::make_unique<xqtest::ScopedEnv>("XQ_TOOL_CODESIGN", path);
    }
    std::unique_ptr<xqtest::ScopedEnv> env;
};

struct LogOn {
    LogOn() { XQ_LOG_RELEASE = true; }
    ~LogOn() { XQ_LOG_RELEASE = false; }
};

const char* const kAppStore =
    "Executable=/Applications/X.app/Contents/MacOS/X\n"
    "Identifier=cn.example.x\n"
    "Authority=Apple Mac OS Application Signing\n"
    "Authority=Apple Worldwide Developer Relations Certification Authority\n"
    "Authority=Apple Root CA\n"
    "TeamIdentifier=ABCDE12345\n";

}  // namespace

TEST(AppEnvironment, RawValuesRoundTripExactly) {
    for (auto e : {AppEnvironment::appStore, AppEnvironment::testFlight, AppEnvironment::developerID,
                   AppEnvironment::adHoc, AppEnvironment::development, AppEnvironment::other})
        EXPECT_EQ(AppEnvironmentFromRawValue(rawValue(e)), e);
    EXPECT_EQ(rawValue(AppEnvironment::appStore), "App store");
    EXPECT_EQ(AppEnvironmentFromRawValue("App Store"), std::nullopt);
    EXPECT_EQ(AppEnvironmentFromRawValue(""), std::nullopt);
    std::unordered_set<AppEnvironment> set{AppEnvironment::adHoc, AppEnvironment::adHoc};
    EXPECT_EQ(set.size(), 1u);
}

TEST(AppEnvironment, TheLastKnownAuthorityDecides) {
    struct Case {
        std::string output;
        AppEnvironment expected;
    } cases[] = {
        {kAppStore, AppEnvironment::appStore},
        {"Authority=TestFlight Beta Distribution\nAuthority=Apple Root CA", AppEnvironment::testFlight},
        {"Authority=Developer ID Application: Example Ltd (ABCDE12345)\nAuthority=Developer ID Certification "
         "Authority\nAuthority=Apple Root CA",
         AppEnvironment::developerID},
        {"Authority=Apple Distribution: Example Ltd (ABCDE12345)", AppEnvironment::adHoc},
        {"Authority=Apple Development: dev@example.com (XYZ)", AppEnvironment::development},
        {"Executable=/x\nSignature=adhoc\nTeamIdentifier=not set", AppEnvironment::other},
        {"Authority=Apple Development: a\nAuthority=Developer ID Application: b", AppEnvironment::developerID},
        {" Authority=Apple Development: indented", AppEnvironment::other},
        {"", AppEnvironment::other},
    };
    for (const auto& c : cases) EXPECT_EQ(appEnvironmentFromCodesignOutput(c.output), c.expected) << c.output;
}

TEST(AppEnvironment, DetectionRunsCodesignAndLogs) {
    xqtest::TempHome home;
    LogOn log;
    {
        CodesignFixture codesign(home, kAppStore);
        testing::internal::CaptureStderr();
        EXPECT_EQ(detectAppEnvironment(home / "X.app"), AppEnvironment::appStore);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("当前App的运行环境为：App store"), std::string::npos);
    }
    {
        CodesignFixture codesign(home, "X.app: code object is not signed at all\n", 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(detectAppEnvironment(home / "X.app"), AppEnvironment::other);
        std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_NE(logged.find("Get AppRunningEnvironment error: X.app: code object is not signed at all"),
                  std::string::npos);
        EXPECT_EQ(logged.find("当前App的运行环境为"), std::string::npos);
    }
    {
        xqtest::ScopedEnv none("XQ_TOOL_CODESIGN", std::nullopt);
        testing::internal::CaptureStderr();
        EXPECT_EQ(detectAppEnvironment(home / "X.app"), AppEnvironment::other);
        std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_NE(logged.find("Get AppRunningEnvironment error: The file “codesign” doesn’t exist."),
                  std::string::npos);
        EXPECT_NE(logged.find("当前App的运行环境为：Other"), std::string::npos);
    }
}

TEST(OS, VersionTextsAndComparisons) {
    using V = platform::OperatingSystemVersion;
    EXPECT_EQ(OS::parseVersion("13.x.2"), (V{13, 2, 0}));
    EXPECT_EQ(OS::parseVersion("14"), (V{14, 0, 0}));
    EXPECT_EQ(OS::parseVersion("+15..-1.7.9"), (V{15, -1, 7}));
    EXPECT_EQ(OS::parseVersion(""), std::nullopt);
    EXPECT_EQ(OS::parseVersion("a.b"), std::nullopt);
    EXPECT_EQ(OS::parseVersion("99999999999999999999"), std::nullopt);  // beyond 64 bits

    auto& info = platform::ProcessInfo::processInfo();
    struct Case {
        V running;
        std::string min, max;
        bool between;
    } cases[] = {
        {{14, 6, 1}, "14", "15", true},   {{15, 0, 0}, "14", "15", false},
        {{14, 6, 1}, "14.6.1", "14.6.1", false}, {{14, 6, 1}, "14.6.1", "14.6.2", true},
        {{14, 6, 1}, "", "15", false},    {{13, 9, 9}, "14", "15", false},
    };
    for (const auto& c : cases) {
        info.setOperatingSystemVersion(c.running);
        EXPECT_EQ(OS::between(c.min, c.max), c.between) << c.min << " " << c.max;
    }
    info.setOperatingSystemVersion(V{14, 6, 1});
    EXPECT_TRUE(OS::sameOrLater("14.6"));
    EXPECT_TRUE(OS::sameOrLater("13.x.2"));
    EXPECT_FALSE(OS::sameOrLater("14.7"));
    EXPECT_FALSE(OS::sameOrLater(""));
    EXPECT_FALSE(OS::sameOrLater("x.y"));
    info.setOperatingSystemVersion(std::nullopt);

    EXPECT_LT((V{14, 9, 9}), (V{15, 0, 0}));
    EXPECT_GE((V{15, 0, 1}), (V{15, 0, 0}));
}

TEST(AppEnvironment, SandboxAndTestingFollowTheProcess) {
    xqtest::ScopedEnv none("XQ_TOOL_CODESIGN", std::nullopt);
    // This test process carries no signature and no sandbox container.
    EXPECT_EQ(AppRunningEnvironment(), AppEnvironment::other);
    EXPECT_FALSE(IsTesting());
    EXPECT_FALSE(AppIsSanbox());
}
