#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "XQKit/FileQueries.h"
#include "platform/foundation/ProcessInfo.h"
#include "support/TestSupport.h"

using platform::UniformType;
using platform::URL;

namespace {

class FileQueries : public testing::Test {
protected:
    void SetUp() override {
        xqtest::makeDirectories(home / "Users/a/x");
        xqtest::makeDirectories(home / "Users/a/y");
        xqtest::writeFile(home / "Users/a/x/1.txt", "one");
        xqtest::makeDirectories(home / "Torvane.app/Contents/MacOS");
        xqtest::makeDirectories(home / "Plugin.BUNDLE");
        xqtest::makeDirectories(home / "x.zip");
        xqtest::writeFile(home / "A.ZIP", "PK");
        xqtest::writeFile(home / "b.tar.gz", "gz");
        xqtest::writeFile(home / "c.7z", "7z");
        xqtest::writeFile(home / "d.rar", "rar");
        xqtest::writeFile(home / "photo.JPG", "jpg");
        xqtest::writeFile(home / "noextension", "");
        xqtest::writeFile(home / "odd.xqzz", "?");
        std::filesystem::create_symlink(home / "A.ZIP", home / "link.zip");
        std::filesystem::create_directory_symlink(home / "Users", home / "UsersLink");
    }
    std::string path(const std::string& relative) const { return home / relative; }

    xqtest::TempHome home;
};

}  // namespace

TEST_F(FileQueries, IsDirectory) {
    EXPECT_TRUE(IsDirectory(path("Users")));
    EXPECT_TRUE(IsDirectory(path("UsersLink")));  // links are followed
    EXPECT_TRUE(IsDirectory(URL::fileURLWithPath(path("Users/a"))));
    EXPECT_FALSE(IsDirectory(path("Users/a/x/1.txt")));
    EXPECT_FALSE(IsDirectory(path("missing")));
    EXPECT_FALSE(IsDirectory(""));
    EXPECT_FALSE(IsDirectory(path("Users/a/x/1.txt/below")));
}

TEST_F(FileQueries, IsDirectoryNotPackage) {
    EXPECT_FALSE(IsDirectoryNotPackage(path("Torvane.app")));
    EXPECT_FALSE(IsDirectoryNotPackage(URL::fileURLWithPath(path("Torvane.app"))));
    EXPECT_FALSE(IsDirectoryNotPackage(path("Plugin.BUNDLE")));
    EXPECT_TRUE(IsDirectoryNotPackage(path("Users")));
    EXPECT_TRUE(IsDirectoryNotPackage(path("x.zip")));
    EXPECT_TRUE(IsDirectoryNotPackage(path("Torvane.app/Contents")));
    EXPECT_FALSE(IsDirectoryNotPackage(path("A.ZIP")));
    EXPECT_FALSE(IsDirectoryNotPackage(path("missing.app")));
}

TEST_F(FileQueries, FileTypesByExtension) {
    struct Case {
        const char* file;
        std::vector<std::string> types;
        bool expected;
    };
    for (const Case& c : {
             Case{"A.ZIP", {"public.zip-archive"}, true},  // the extension is lowered
             Case{"A.ZIP", {"public.archive"}, true},
             Case{"A.ZIP", {"public.image", "public.data"}, true},
             Case{"A.ZIP", {"public.image"}, false},
             Case{"x.zip", {"public.zip-archive"}, false},  // a folder
             Case{"b.tar.gz", {"org.gnu.gnu-zip-archive"}, true},
             Case{"b.tar.gz", {"public.tar-archive"}, false},
             Case{"c.7z", {"public.archive"}, true},
             Case{"d.rar", {"com.rarlab.rar-archive"}, true},
             Case{"photo.JPG", {"public.image"}, true},
             Case{"link.zip", {"public.zip-archive"}, true},  // through the link
             Case{"noextension", {"public.data"}, false},
             Case{"odd.xqzz", {"public.data"}, true},  // a dynamic type is still data
             Case{"odd.xqzz", {"public.archive"}, false},
             Case{"missing.zip", {"public.zip-archive"}, false},
             Case{"A.ZIP", {"com.example.unknown", "public.zip-archive"}, true},  // unknown ones are skipped
             Case{"A.ZIP", {}, false},
         }) {
        EXPECT_EQ(File(path(c.file), c.types), c.expected) << c.file;
        if (c.types.size() == 1) {
            EXPECT_EQ(File(URL::fileURLWithPath(path(c.file)), c.types[0]), c.expected) << c.file;
        }
    }
}

TEST_F(FileQueries, FileTypesByTypeObjects) {
    EXPECT_TRUE(File(path("A.ZIP"), UniformType::zip()));
    EXPECT_TRUE(File(URL::fileURLWithPath(path("c.7z")), std::vector<UniformType>{UniformType::image(), UniformType::archive()}));
    EXPECT_FALSE(File(path("photo.JPG"), UniformType::archive()));
    EXPECT_FALSE(File(path("x.zip"), UniformType::zip()));
    EXPECT_FALSE(File(path("noextension"), UniformType::data()));
    EXPECT_FALSE(File(path("missing.zip"), UniformType::zip()));
}

TEST_F(FileQueries, OlderSystemsUseThePreferredIdentifier) {
    auto& info = platform::ProcessInfo::processInfo();
    info.setOperatingSystemVersion(platform::OperatingSystemVersion{10, 15, 7});
    EXPECT_TRUE(File(path("A.ZIP"), "public.archive"));
    EXPECT_FALSE(File(path("A.ZIP"), "public.image"));
    EXPECT_TRUE(File(path("odd.xqzz"), "public.data"));
    info.setOperatingSystemVersion(std::nullopt);
}

TEST_F(FileQueries, TopPath) {
    EXPECT_EQ(TopPath({path("Users/a/x/1.txt"), path("Users/a/y")}), path("Users/a"));
    EXPECT_EQ(TopPath({path("Users/a/x/1.txt")}), path("Users/a/x"));  // a file gives its folder
    EXPECT_EQ(TopPath({}), "/");
    EXPECT_EQ(TopPath({path("Users/a/x/missing/deeper.txt")}), path("Users/a/x"));
    EXPECT_EQ(TopPath({path("Users/a/x/../y/./")}), path("Users/a/y"));
    EXPECT_EQ(TopPath({path("Users/a/x"), path("Torvane.app/Contents/MacOS")}), home.path());
    EXPECT_EQ(TopPath({path("Users/a/x"), "/"}), "/");
    EXPECT_EQ(TopPath({"", "."}), "/");
    EXPECT_EQ(TopPath({"/nonexistent-xq/a/b"}), "/");
    EXPECT_EQ(TopPath({path("Users/a/x/\xff\xfe.txt")}), path("Users/a/x"));
}

TEST_F(FileQueries, TopUrlAndParents) {
    URL top = TopUrl({URL::fileURLWithPath(path("Users/a/x")), URL::fileURLWithPath(path("Users/a/y"))});
    EXPECT_EQ(top.path(), path("Users/a"));
    EXPECT_TRUE(top.hasDirectoryPath());
    EXPECT_EQ(TopUrl({}).path(), "/");
    EXPECT_EQ(ParentUrl({URL::fileURLWithPath(path("Users/a/x")), URL::fileURLWithPath(path("Users/a/y"))}).path(),
              path("Users/a"));
    EXPECT_EQ(ParentUrl({URL::fileURLWithPath(path("Users/a/x"))}).path(), path("Users/a"));
    EXPECT_EQ(ParentPath({path("Users/a/x/1.txt")}).path(), path("Users/a/x"));
    EXPECT_EQ(ParentPath({path("Users/a/x"), path("Users/a/y")}).path(), path("Users/a"));
    EXPECT_EQ(ParentUrl({URL::fileURLWithPath("/")}).path(), "/");
}

TEST_F(FileQueries, UnreachablePathsCountAsMissing) {
    xqtest::makeDirectories(path("closed/inner"));
    xqtest::writeFile(path("closed/inner/f.zip"), "PK");
    namespace fs = std::filesystem;
    fs::permissions(home.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path("closed"), fs::perms::none);
    // Root reaches every folder: the questions are asked by an unprivileged child.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        int failures = 0;
        failures += IsDirectory(path("closed/inner")) ? 1 : 0;
        failures += File(path("closed/inner/f.zip"), "public.zip-archive") ? 2 : 0;
        failures += TopPath({path("closed/inner/f.zip")}) != path("closed") ? 4 : 0;
        failures += !IsDirectory(path("closed")) ? 8 : 0;
        _exit(failures);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::permissions(path("closed"), fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
