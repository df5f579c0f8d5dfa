#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/foundation/URLResourceValues.h"
#include "platform/foundation/UniformType.h"
#include "support/TestSupport.h"

using platform::UniformType;

TEST(UniformType, SystemTypesConformAlongTheirHierarchy) {
    struct Case {
        const char* type;
        const char* conformsTo;
        bool conforms;
    };
    for (const Case& c : {
             Case{"public.zip-archive", "com.pkware.zip-archive", true}, Case{"public.zip-archive", "public.archive", true},
             Case{"public.zip-archive", "public.data", true}, Case{"public.zip-archive", "public.item", true},
             Case{"public.zip-archive", "public.content", false}, Case{"org.gnu.gnu-zip-tar-archive", "public.archive", true},
             Case{"org.7-zip.7-zip-archive", "public.archive", true}, Case{"com.rarlab.rar-archive", "public.archive", true},
             Case{"public.tar-archive", "public.zip-archive", false}, Case{"public.jpeg", "public.image", true},
             Case{"public.png", "public.content", true}, Case{"public.plain-text", "public.text", true},
             Case{"public.image", "public.jpeg", false}, Case{"com.apple.application-bundle", "com.apple.package", true},
             Case{"com.apple.application-bundle", "public.directory", true},
             Case{"com.apple.application-bundle", "public.data", false}, Case{"com.apple.framework", "com.apple.package", false},
             Case{"public.folder", "public.item", true}, Case{"PUBLIC.JPEG", "public.image", true},
             Case{"com.example.unknown", "public.item", false}, Case{"com.example.unknown", "com.example.unknown", true},
         })
        EXPECT_EQ(UniformType::identifierConformsTo(c.type, c.conformsTo), c.conforms) << c.type << " -> " << c.conformsTo;
    EXPECT_FALSE(UniformType::withIdentifier("com.example.unknown"));
    EXPECT_EQ(UniformType::zip().identifier(), "public.zip-archive");
    EXPECT_EQ(UniformType::jpeg().preferredFilenameExtension(), "jpg");
    EXPECT_TRUE(UniformType::archive().isSupertype(UniformType::rarArchive()));
}

TEST(UniformType, ExtensionsNameTypesWithoutRegardToCase) {
    struct Case {
        const char* extension;
        const char* identifier;
    };
    for (const Case& c : {Case{"zip", "public.zip-archive"}, Case{"ZIP", "public.zip-archive"}, Case{"7z", "org.7-zip.7-zip-archive"},
                          Case{"rar", "com.rarlab.rar-archive"}, Case{"tgz", "org.gnu.gnu-zip-tar-archive"},
                          Case{"gz", "org.gnu.gnu-zip-archive"}, Case{"tar", "public.tar-archive"}, Case{"JPeG", "public.jpeg"},
                          Case{"txt", "public.plain-text"}, Case{"pdf", "com.adobe.pdf"}}) {
        auto type = UniformType::withFilenameExtension(c.extension);
        ASSERT_TRUE(type) << c.extension;
        EXPECT_EQ(type->identifier(), c.identifier) << c.extension;
        EXPECT_EQ(UniformType::preferredIdentifierForFilenameExtension(c.extension), c.identifier);
    }
    // "app" names a folder type: among data types it is unknown, so the answer is a dynamic data type.
    auto app = UniformType::withFilenameExtension("app");
    ASSERT_TRUE(app);
    EXPECT_TRUE(app->isDynamic());
    EXPECT_EQ(UniformType::withFilenameExtension("app", UniformType::directory())->identifier(),
              "com.apple.application-bundle");
    EXPECT_EQ(UniformType::preferredIdentifierForFilenameExtension("app"), "com.apple.application-bundle");
    for (const char* bad : {"", "a/b", "tar.gz"}) EXPECT_FALSE(UniformType::withFilenameExtension(bad)) << bad;
}

TEST(UniformType, DynamicTypesForUnknownExtensions) {
    auto type = UniformType::withFilenameExtension("xqzz");
    ASSERT_TRUE(type);
    EXPECT_TRUE(type->isDynamic());
    EXPECT_EQ(type->identifier().rfind("dyn.a", 0), 0u);
    EXPECT_TRUE(type->conforms(UniformType::data()));
    EXPECT_TRUE(type->conforms(UniformType::item()));
    EXPECT_FALSE(type->conforms(UniformType::archive()));
    EXPECT_EQ(type->filenameExtensions(), std::vector<std::string>{"xqzz"});
    // The identifier names the type again, and the case of the extension does not matter.
    auto again = UniformType::withIdentifier(type->identifier());
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *type);
    EXPECT_EQ(*UniformType::withFilenameExtension("XQZZ"), *type);
    // Asked among images, an unknown (or non-image) extension gets a dynamic image type.
    auto image = UniformType::withFilenameExtension("txt", UniformType::image());
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isDynamic());
    EXPECT_TRUE(image->conforms(UniformType::image()));
    EXPECT_FALSE(UniformType::withIdentifier("dyn.a!!"));
    EXPECT_FALSE(UniformType::withIdentifier("dyn.aaaa"));
}

TEST(URLResourceValues, FoldersPackagesAndFiles) {
    xqtest::TempHome home;
    xqtest::makeDirectories(home / "Tool.app/Contents");
    xqtest::makeDirectories(home / "Notes.RTFD");
    xqtest::makeDirectories(home / "plain.folder");
    xqtest::makeDirectories(home / "Lib.framework");
    xqtest::writeFile(home / "a.zip", "PK");
    std::filesystem::create_directory_symlink(home / "Tool.app", home / "link.app");

    auto read = [&](const std::string& name) { return platform::URLResourceValues::read(platform::URL::fileURLWithPath(home / name)); };
    EXPECT_TRUE(read("Tool.app")->isPackage);
    EXPECT_EQ(read("Tool.app")->contentType, UniformType::applicationBundle());
    EXPECT_TRUE(read("Notes.RTFD")->isPackage);
    EXPECT_FALSE(read("plain.folder")->isPackage);
    EXPECT_EQ(read("plain.folder")->contentType, UniformType::folder());
    EXPECT_FALSE(read("Lib.framework")->isPackage);
    EXPECT_TRUE(read("a.zip")->isRegularFile);
    EXPECT_EQ(read("a.zip")->contentType, UniformType::zip());
    auto link = read("link.app");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isSymbolicLink);
    EXPECT_FALSE(link->isDirectory);
    EXPECT_FALSE(link->isPackage);
    EXPECT_FALSE(read("missing"));
    EXPECT_FALSE(platform::URLResourceValues::read(*platform::URL::parse("https://example.com/a.app")));
}
