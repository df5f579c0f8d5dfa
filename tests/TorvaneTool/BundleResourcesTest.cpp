// The agent's application bundle carries the library's resource bundles where its main bundle finds
// them.

#include <gtest/gtest.h>

#include "platform/appkit/Image.h"
#include "platform/foundation/Bundle.h"

TEST(AgentBundle, CarriesThePermissionResources) {
    auto agent = platform::Bundle::withPath(XQ_TORVANE_BUNDLE);
    ASSERT_NE(agent, nullptr);
    auto path = agent->pathForResource("XQPermissionManager", "bundle");
    ASSERT_TRUE(path) << "not among " << agent->resourcePath();
    for (const char* image : {"Accessbility@2x.png", "Folder@2x.png", "ScreenRecording@2x.png", "search_finder@2x.png"}) {
        auto loaded = platform::Image::contentsOfFile(*path + "/" + image);
        ASSERT_NE(loaded, nullptr) << image;
        EXPECT_FALSE(loaded->isEmpty()) << image;
    }
    auto resources = platform::Bundle::withPath(*path);
    ASSERT_NE(resources, nullptr);
    EXPECT_NE(resources->localizedString("Kind tips", "", "XQPermissionManager"), "Kind tips");
}
