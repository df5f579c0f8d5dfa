#include <gtest/gtest.h>

#include <filesystem>

#include "XQKit/AppInfo.h"
#include "XQKit/XQLog.h"
#include "platform/appkit/Appearance.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

class AppLookupTest : public ::testing::Test {
protected:
    std::string apps() { return home / "Applications"; }
    xqtest::TempHome home;
};

TEST(AppUrlChoice, HighestVersionThenApplicationsFolderNeverDeveloperBuilds) {
    std::map<std::string, std::string> versions;
    auto versionOf = [&](const URL& url) { return versions[url.path()]; };
    auto url = [](const char* path) { return URL::fileURLWithPath(path, true); };
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> copies;
        std::optional<std::string> expected;
    } cases[] = {
        {"3.10 beats 3.9", {{"/opt/a/T.app", "3.9"}, {"/opt/b/T.app", "3.10"}}, "/opt/b/T.app"},
        {"/Applications wins over a higher version",
         {{"/opt/b/T.app", "3.0"}, {"/Applications/T.app", "2.0"}},
         "/Applications/T.app"},
        {"equal versions keep their order", {{"/opt/x/T.app", "1"}, {"/opt/y/T.app", "1"}}, "/opt/x/T.app"},
        {"a developer build is never chosen",
         {{"/Users/u/Library/Developer/Xcode/DerivedData/T.app", "9"}},
         std::nullopt},
        {"missing version counts as 0", {{"/opt/a/T.app", "0"}, {"/opt/b/T.app", "0.1"}}, "/opt/b/T.app"},
    };
    for (const auto& c : cases) {
        std::vector<URL> urls;
        for (const auto& [path, version] : c.copies) {
            versions[path] = version;
            urls.push_back(url(path));
        }
        auto chosen = SelectAppUrl(urls, versionOf);
        EXPECT_EQ(chosen ? std::optional<std::string>(chosen->path()) : std::nullopt, c.expected) << c.name;
    }
}

TEST_F(AppLookupTest, InstalledBundlesAreFoundAndBrokenOnesSkipped) {
    xqtest::makeAppBundle(apps(), "Old", "com.example.T", "3.9");
    xqtest::makeAppBundle(apps() + "/Tools", "New", "com.example.T", "3.10");  // one folder down
    EXPECT_EQ(AppUrl("com.example.T")->path(), apps() + "/Tools/New.app");
    EXPECT_TRUE(AppIsInstalled("com.example.T"));
    EXPECT_EQ(AppVersion("com.example.T"), "3.10");
    EXPECT_EQ(AppInfoValue("CFBundleName", "com.example.T"), "New");
    EXPECT_FALSE(AppInfoValue("CFBundleMissing", "com.example.T").has_value());

    // Broken and missing Info.plist files: not applications.
    xqtest::writeFile(apps() + "/Broken.app/Contents/Info.plist", "<?xml version=\"1.0\"?><plist><dict><key>CFBundleIden");
    xqtest::makeDirectories(apps() + "/Empty.app/Contents");
    EXPECT_FALSE(AppIsInstalled("com.example.Broken"));
    EXPECT_EQ(Workspace::shared()->urlsForApplications("com.example.T").size(), 2u);

    // Removed from disk: no longer installed.
    std::filesystem::remove_all(apps() + "/Tools");
    std::filesystem::remove_all(apps() + "/Old.app");
    EXPECT_FALSE(AppIsInstalled("com.example.T"));
    EXPECT_FALSE(AppUrl("com.example.T").has_value());
}

TEST_F(AppLookupTest, OpenUrlStartsTheSchemeHandler) {
    std::string record = home / "opened.txt";
    Dictionary urlType{{"CFBundleURLSchemes", Array{Value("Demo")}}};
    xqtest::makeAppBundle(apps(), "Demo", "com.example.Demo", "1.0", Dictionary{{"CFBundleURLTypes", Array{Value(urlType)}}},
                          "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + "'\n");
    XQ_LOG_RELEASE = true;
    xqtest::ScopedEnv toStderr("XQ_LOG_TO_STDERR", "1");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(OpenUrl("demo://finderSync?index=4"));
    EXPECT_FALSE(OpenUrl("not a url"));
    EXPECT_FALSE(OpenUrl("nohandler://x"));
    std::string log = testing::internal::GetCapturedStderr();
    XQ_LOG_RELEASE = false;
    EXPECT_NE(log.find("Open url: not a url"), std::string::npos);
    RunLoop::main().runUntil([&] { return xqtest::readFile(record).value_or("") != ""; }, 10.0);
    EXPECT_EQ(xqtest::readFile(record), "demo://finderSync?index=4");
}

TEST_F(AppLookupTest, RunAppWithNameCallsBackAtOnceWhenRunning) {
    bool called = false;
    // This test program is running; its own name is known to the workspace.
    std::string self = ProcessInfo::processInfo().processName();
    RunAppWithName(self, 0, [&] { called = true; });
    EXPECT_TRUE(called);
    bool neverCalled = true;
    RunAppWithName("No Such Application", 0, [&] { neverCalled = false; });
    EXPECT_TRUE(neverCalled);
}

TEST_F(AppLookupTest, RunAppWithBundleIdReportsOnTheMainQueue) {
    xqtest::makeAppBundle(apps(), "Quick", "com.example.Quick");
    std::optional<bool> answer;
    RunAppWithBundleID("com.example.Quick", std::vector<std::string>{"--x"}, false, [&](bool ok) { answer = ok; });
    EXPECT_FALSE(answer.has_value());  // the workspace answers later, on the main queue
    RunLoop::main().runUntil([&] { return answer.has_value(); }, 5.0);
    EXPECT_EQ(answer, true);
    RunAppWithBundleID("com.example.Missing", std::nullopt, true, [&](bool ok) { answer = ok; });
    EXPECT_EQ(answer, false);
}

TEST(ConsoleUser, LoginWindowMeansNobody) {
    {
        xqtest::ScopedEnv user("XQ_CONSOLE_USER", "loginWindow");
        EXPECT_FALSE(GUIUserName().has_value());
        EXPECT_FALSE(GUIUserDisplayName().has_value());
    }
    {
        xqtest::ScopedEnv user("XQ_CONSOLE_USER", "loginwindow");  // the comparison is case-sensitive
        EXPECT_EQ(GUIUserName(), "loginwindow");
    }
}

TEST_F(AppLookupTest, DarkThemeFromTheGlobalDomain) {
    EXPECT_FALSE(SystemIsDarkTheme());
    auto global = UserDefaults::globalDomain();
    for (auto [value, dark] : std::vector<std::pair<Value, bool>>{
             {Value("Dark"), true}, {Value("dark"), true}, {Value("Light"), false}, {Value(1), false}}) {
        global->set("AppleInterfaceStyle", value);
        EXPECT_EQ(SystemIsDarkTheme(), dark) << value.description();
    }
    // The application's own appearance wins over the system's.
    xqtest::InterfaceScope interface;
    Appearance::setApplication(Appearance::darkAqua());
    EXPECT_TRUE(AppIsDarkTheme());
    Appearance::setApplication(Appearance::aqua());
    EXPECT_FALSE(AppIsDarkTheme());
    EXPECT_EQ(DocumentPath(), home / "Documents");
    EXPECT_EQ(CachePath(), home / "Library/Caches");
}

}  // namespace
