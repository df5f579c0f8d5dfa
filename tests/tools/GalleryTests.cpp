// xq-gallery writes one PNG per screen and component.

#include <gtest/gtest.h>

#include "platform/appkit/Image.h"
#include "support/TestSupport.h"

TEST(Gallery, WritesEveryEntryAsPng) {
    xqtest::TempHome home;
    auto result = xqtest::runProgram({std::string(XQ_TOOLS_DIR) + "/xq-gallery", home / "out"});
    ASSERT_EQ(result.status, 0) << result.error;
    for (const char* name : {"alert-one-button", "alert-two-buttons", "alert-three-buttons", "alert-checkbox",
                             "layer-styles"}) {
        auto image = platform::Image::contentsOfFile(home / ("out/" + std::string(name) + ".png"));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_GT(image->pixelsWide(), 0) << name;
    }
    xqtest::writeFile(home / "file", "x");
    EXPECT_NE(xqtest::runProgram({std::string(XQ_TOOLS_DIR) + "/xq-gallery", home / "file"}).status, 0);
}
