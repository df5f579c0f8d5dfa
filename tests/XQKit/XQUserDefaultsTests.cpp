#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XQKit/XQUserDefaults.h"
#include "support/TestSupport.h"

using platform::Value;
using ForGroup = XQUserDefaults::ForGroup;
using ForGroupKey = XQUserDefaults::ForGroupKey;

namespace {

const std::string kSuite = "Q7T3VN5XK2.group.cn.holmquay.Torvane";
const std::string kOther = "Q7T3VN5XK2.group.cn.holmquay.Other";

// Each test starts with no groups, in a fresh home folder.
class XQUserDefaultsTest : public testing::Test {
protected:
    void SetUp() override { forgetGroups(); }
    void TearDown() override { forgetGroups(); }
    static void forgetGroups() {
        auto& defaults = XQUserDefaults::shared();
        std::vector<std::string> names;
        for (const auto& [name, store] : defaults.groupDefaultsDict()) names.push_back(name);
        for (const auto& name : names) defaults.removeGroup(name);
    }
    static xqtest::ProgramResult xqDefaults(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{std::string(XQ_TOOLS_DIR) + "/xq-defaults"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return xqtest::runProgram(argv);
    }

    XQUserDefaults& defaults = XQUserDefaults::shared();
    xqtest::TempHome home;
};

}  // namespace

TEST_F(XQUserDefaultsTest, SharedIsOneInstance) { EXPECT_EQ(&XQUserDefaults::shared(), &defaults); }

TEST_F(XQUserDefaultsTest, GroupKeysWithoutAGroupStoreNothing) {
    ASSERT_FALSE(defaults.groupDefaults());
    defaults.setInteger(5, ForGroupKey{"count"});
    defaults.setBool(true, ForGroupKey{"flag"});
    defaults.setObject(Value("x"), ForGroupKey{"text"});
    defaults.setObjectsWithGroupKeys({{"a", Value(1)}});
    EXPECT_EQ(defaults.integer(ForGroupKey{"count"}), 0);
    EXPECT_FALSE(defaults.boolean(ForGroupKey{"flag"}));
    EXPECT_TRUE(defaults.object(ForGroupKey{"text"}).isAbsent());
    EXPECT_FALSE(defaults.string(ForGroupKey{"text"}));
    EXPECT_EQ(defaults.floatValue(ForGroupKey{"a"}), 0.0f);
    EXPECT_FALSE(xqtest::fileExists(home / "Library/Group Containers"));
    // The same for a group name never registered.
    defaults.setInteger(5, ForGroup{kOther, "count"});
    EXPECT_EQ(defaults.integer(ForGroup{kOther, "count"}), 0);
    EXPECT_FALSE(defaults.url(ForGroup{kOther, "u"}));
}

TEST_F(XQUserDefaultsTest, StandardStoreKeepsEveryKind) {
    defaults.setObject(Value("text"), "s");
    defaults.setObject(Value(platform::Array{Value(1), Value("two")}), "a");
    defaults.setObject(Value(platform::Dictionary{{"k", Value(true)}}), "d");
    defaults.setObject(Value(platform::Data::fromString("bytes")), "data");
    defaults.setInteger(-42, "i");
    defaults.setFloat(1.5f, "f");
    defaults.setDouble(2.25, "dbl");
    defaults.setBool(true, "b");
    defaults.setURL(platform::URL::parse("https://example.com/x"), "u");
    EXPECT_EQ(defaults.string("s"), "text");
    EXPECT_EQ(defaults.array("a"), (platform::Array{Value(1), Value("two")}));
    EXPECT_EQ(defaults.dictionary("d")->at("k"), Value(true));
    EXPECT_EQ(defaults.data("data"), platform::Data::fromString("bytes"));
    EXPECT_EQ(defaults.integer("i"), -42);
    EXPECT_EQ(defaults.floatValue("f"), 1.5f);
    EXPECT_EQ(defaults.doubleValue("dbl"), 2.25);
    EXPECT_TRUE(defaults.boolean("b"));
    EXPECT_EQ(defaults.url("u")->absoluteString(), "https://example.com/x");
    // Missing keys.
    EXPECT_TRUE(defaults.object("missing").isAbsent());
    EXPECT_FALSE(defaults.string("missing"));
    EXPECT_EQ(defaults.integer("missing"), 0);
    EXPECT_FALSE(defaults.boolean("missing"));
    // Every write reached the file at once.
    EXPECT_TRUE(xqtest::fileExists(defaults.userDefaults()->path()));
}

TEST_F(XQUserDefaultsTest, AbsentValuesAndURLsRemoveTheKey) {
    defaults.setObject(Value("x"), "key");
    defaults.setObject(Value(), "key");
    EXPECT_TRUE(defaults.object("key").isAbsent());
    defaults.setURL(platform::URL::fileURLWithPath("/tmp/a.zip"), "u");
    EXPECT_EQ(defaults.url("u")->path(), "/tmp/a.zip");
    defaults.setURL(std::nullopt, "u");
    EXPECT_FALSE(defaults.url("u"));
    defaults.setBool(true, "b");
    defaults.removeObject("b");
    EXPECT_TRUE(defaults.object("b").isAbsent());
}

TEST_F(XQUserDefaultsTest, AGroupWriteIsSeenAtOnceByAnotherProcess) {
    defaults.setGroupName(kSuite);
    ASSERT_TRUE(defaults.groupDefaults());
    defaults.setBool(true, ForGroupKey{"spacePreview"});
    defaults.setObject(Value(platform::Array{Value("/a.zip"), Value("/b.7z")}), ForGroupKey{"FinderSyncSelectedUrls"});
    auto flag = xqDefaults({"read", kSuite, "spacePreview"});
    EXPECT_EQ(flag.status, 0) << flag.error;
    EXPECT_EQ(flag.output, "true\n");
    EXPECT_EQ(xqDefaults({"read", kSuite, "FinderSyncSelectedUrls"}).output, "[\"/a.zip\",\"/b.7z\"]\n");
    EXPECT_TRUE(xqtest::fileExists(home / ("Library/Group Containers/" + kSuite + "/Library/Preferences/" + kSuite + ".plist")));

    // And the other way: what another process writes and synchronises is read here.
    ASSERT_EQ(xqDefaults({"write", kSuite, "count", "7"}).status, 0);
    EXPECT_EQ(defaults.integer(ForGroupKey{"count"}), 7);
    EXPECT_EQ(defaults.integer(ForGroup{kSuite, "count"}), 7);
    defaults.removeObject(ForGroupKey{"spacePreview"});
    EXPECT_NE(xqDefaults({"read", kSuite, "spacePreview"}).status, 0);
}

TEST_F(XQUserDefaultsTest, BulkWritesGoToTheirStore) {
    defaults.setGroupName(kSuite);
    defaults.addGroup(kOther);
    defaults.setObjectsWithKeys({{"one", Value(1)}, {"two", Value("2")}});
    defaults.setObjectsWithGroupKeys({{"three", Value(3.0)}});
    defaults.setObjectsWithKeys({{"four", Value(true)}}, kOther);
    defaults.setObjectsWithKeys({{"five", Value(5)}}, "never.registered");
    EXPECT_EQ(defaults.integer("one"), 1);
    EXPECT_EQ(defaults.string("two"), "2");
    EXPECT_EQ(defaults.doubleValue(ForGroupKey{"three"}), 3.0);
    EXPECT_TRUE(defaults.boolean(ForGroup{kOther, "four"}));
    EXPECT_EQ(xqDefaults({"read", kOther, "four"}).output, "true\n");
    EXPECT_TRUE(defaults.object(ForGroupKey{"four"}).isAbsent());
    EXPECT_FALSE(xqtest::fileExists(home / "Library/Preferences/never.registered.plist"));
}

TEST_F(XQUserDefaultsTest, SetGroupName) {
    defaults.setGroupName(kSuite);
    auto first = defaults.groupDefaults();
    ASSERT_TRUE(first);
    EXPECT_EQ(defaults.groupDefaults(kSuite), first);
    // The empty name changes nothing.
    defaults.setGroupName("");
    EXPECT_EQ(defaults.groupDefaults(), first);
    // Another name replaces the current group; both stay registered.
    defaults.setGroupName(kOther);
    EXPECT_EQ(defaults.groupDefaults()->domainName(), kOther);
    EXPECT_EQ(defaults.groupDefaultsDict().size(), 2u);
    // A name the platform refuses leaves no current group and no registration.
    defaults.setGroupName("NSGlobalDomain");
    EXPECT_FALSE(defaults.groupDefaults());
    EXPECT_FALSE(defaults.groupDefaults("NSGlobalDomain"));
    defaults.setGroupName("a/b");
    EXPECT_FALSE(defaults.groupDefaults());
    EXPECT_EQ(defaults.groupDefaultsDict().size(), 2u);
}

TEST_F(XQUserDefaultsTest, AddGroupAndLookUp) {
    auto store = defaults.addGroup(kOther);
    ASSERT_TRUE(store);
    EXPECT_EQ(defaults.addGroup(kOther), store);  // the same store object
    EXPECT_EQ(defaults.groupDefaults(kOther), store);
    EXPECT_FALSE(defaults.groupDefaults());  // the current group is not changed
    EXPECT_FALSE(defaults.addGroup(""));
    EXPECT_FALSE(defaults.addGroup("NSGlobalDomain"));
    EXPECT_FALSE(defaults.groupDefaults("not.added"));
    EXPECT_FALSE(defaults.groupDefaultsDict().count("not.added"));
}

TEST_F(XQUserDefaultsTest, RemovingTheCurrentGroupFallsBackToMissing) {
    defaults.setGroupName(kSuite);
    defaults.setInteger(9, ForGroupKey{"n"});
    EXPECT_EQ(defaults.integer(ForGroupKey{"n"}), 9);
    defaults.removeGroup(kSuite);
    EXPECT_FALSE(defaults.groupDefaults());
    EXPECT_FALSE(defaults.groupDefaults(kSuite));
    EXPECT_EQ(defaults.integer(ForGroupKey{"n"}), 0);
    defaults.setInteger(10, ForGroupKey{"n"});
    EXPECT_EQ(xqDefaults({"read", kSuite, "n"}).output, "9\n");  // the write went nowhere
    // Removing another group leaves the current one.
    defaults.setGroupName(kSuite);
    defaults.addGroup(kOther);
    defaults.removeGroup(kOther);
    EXPECT_TRUE(defaults.groupDefaults());
    defaults.removeGroup("never.added");
    EXPECT_TRUE(defaults.groupDefaults());
}
