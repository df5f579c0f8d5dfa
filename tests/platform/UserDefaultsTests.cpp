#include <gtest/gtest.h>

#include <filesystem>

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "support/TestSupport.h"

using namespace platform;

namespace {

constexpr const char* kGroup = "Q7T3VN5XK2.group.cn.example.Test";

class UserDefaultsTest : public ::testing::Test {
protected:
    std::string xqDefaults() { return std::string(XQ_TOOLS_DIR) + "/xq-defaults"; }
    xqtest::ProgramResult tool(std::vector<std::string> args) {
        args.insert(args.begin(), xqDefaults());
        return xqtest::runProgram(args, {{"HOME", home.path()}});
    }
    xqtest::TempHome home;
};

TEST_F(UserDefaultsTest, FilesLiveAtThePlatformLayout) {
    EXPECT_EQ(UserDefaults::suite(kGroup)->path(),
              home / (std::string("Library/Group Containers/") + kGroup + "/Library/Preferences/" + kGroup + ".plist"));
    EXPECT_EQ(UserDefaults::suite("com.example.app")->path(), home / "Library/Preferences/com.example.app.plist");
    EXPECT_EQ(UserDefaults::globalDomain()->path(), home / "Library/Preferences/.GlobalPreferences.plist");
    EXPECT_FALSE(UserDefaults::suite(""));
    EXPECT_FALSE(UserDefaults::suite("NSGlobalDomain"));
    EXPECT_FALSE(UserDefaults::suite("../escape"));
}

TEST_F(UserDefaultsTest, TypedGettersConvertLikeThePlatform) {
    auto d = UserDefaults::suite("com.example.app");
    d->set("int", Value(42));
    d->set("text", Value("12abc"));
    d->set("yes", Value("YES"));
    d->set("real", Value(2.75));
    d->set("flag", Value(true));
    d->set("list", Value(Array{Value("a"), Value("b")}));
    d->setURL(URL::fileURLWithPath("/tmp/x", false), "file");
    d->setURL(URL::parse("https://example.com"), "web");
    EXPECT_EQ(d->integer("int"), 42);
    EXPECT_EQ(d->integer("text"), 12);
    EXPECT_EQ(d->integer("real"), 2);
    EXPECT_EQ(d->integer("missing"), 0);
    EXPECT_EQ(d->string("int"), "42");
    EXPECT_TRUE(d->boolean("yes"));
    EXPECT_TRUE(d->boolean("flag"));
    EXPECT_TRUE(d->boolean("text"));  // "12abc" reads as 12
    EXPECT_DOUBLE_EQ(d->doubleValue("real"), 2.75);
    EXPECT_EQ(d->stringArray("list"), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(d->dictionary("list"));
    EXPECT_EQ(d->url("file")->absoluteString(), "file:///tmp/x");
    EXPECT_EQ(d->url("web")->absoluteString(), "https://example.com");
    EXPECT_FALSE(d->set("object", Value(ObjectPtr(std::make_shared<Object>()))));
    d->set("int", Value());
    EXPECT_TRUE(d->object("int").isAbsent());
}

TEST_F(UserDefaultsTest, AnotherProcessSeesSynchronisedWritesAndWeSeeItsWrites) {
    auto d = UserDefaults::suite(kGroup);
    d->set("FinderSyncSelectedUrls", Value(Array{Value("/tmp/a b.zip")}));
    auto before = tool({"read", kGroup, "FinderSyncSelectedUrls"});
    EXPECT_NE(before.status, 0);  // not synchronised yet
    ASSERT_TRUE(d->synchronize());
    auto after = tool({"read", kGroup, "FinderSyncSelectedUrls"});
    EXPECT_EQ(after.output, "[\"/tmp/a b.zip\"]\n");

    // The other process writes another key; ours is kept and theirs seen without reopening.
    ASSERT_EQ(tool({"write", kGroup, "config", "{\"spacePreviewStyle\":1}"}).status, 0);
    EXPECT_EQ(d->object("config")["spacePreviewStyle"], Value(1));
    EXPECT_EQ(d->stringArray("FinderSyncSelectedUrls"), std::vector<std::string>{"/tmp/a b.zip"});

    // Unsynchronised local changes survive a merge with another process's write.
    d->set("mine", Value(1));
    ASSERT_EQ(tool({"write", kGroup, "theirs", "2"}).status, 0);
    ASSERT_TRUE(d->synchronize());
    auto all = PropertyList::parse(*xqtest::readFile(d->path()));
    ASSERT_TRUE(all);
    EXPECT_EQ((*all)["mine"], Value(1));
    EXPECT_EQ((*all)["theirs"], Value(2));
    EXPECT_EQ((*all)["config"]["spacePreviewStyle"], Value(1));
}

TEST_F(UserDefaultsTest, ACorruptFileReadsEmptyAndIsKeptAsideBeforeOverwrite) {
    auto d = UserDefaults::suite("com.example.corrupt");
    xqtest::writeFile(d->path(), "<?xml version=\"1.0\"?><plist><dict><key>trunc");
    EXPECT_TRUE(d->object("trunc").isAbsent());
    EXPECT_TRUE(d->persistentDomain().empty());
    d->set("fresh", Value(1));
    ASSERT_TRUE(d->synchronize());
    EXPECT_EQ(PropertyList::parse(*xqtest::readFile(d->path())), Value(Dictionary{{"fresh", Value(1)}}));
    auto names = xqtest::listDirectory(home / "Library/Preferences");
    auto aside = std::find_if(names.begin(), names.end(),
                              [](const std::string& n) { return n.rfind("com.example.corrupt.plist.corrupt-", 0) == 0; });
    ASSERT_NE(aside, names.end());
    EXPECT_EQ(xqtest::readFile(home / ("Library/Preferences/" + *aside)),
              "<?xml version=\"1.0\"?><plist><dict><key>trunc");
}

TEST_F(UserDefaultsTest, GlobalAndRegisteredDomainsAreSearchedLast) {
    auto global = UserDefaults::globalDomain();
    global->set("AppleLanguages", Value(Array{Value("zh-Hans")}));
    global->set("shared", Value("global"));
    UserDefaults::registerDefaults({{"shared", Value("registered")}, {"onlyRegistered", Value(5)}});
    auto d = UserDefaults::suite("com.example.search");
    EXPECT_EQ(d->string("shared"), "global");
    EXPECT_EQ(d->integer("onlyRegistered"), 5);
    d->set("shared", Value("own"));
    EXPECT_EQ(d->string("shared"), "own");
    UserDefaults::resetRegisteredDefaults();
}

}  // namespace
