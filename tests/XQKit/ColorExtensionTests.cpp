// Colours from and to hexadecimal text, opacity copies and appearance-following colours.

#include <gtest/gtest.h>

#include <cmath>

#include "XQKit/ColorExtension.h"
#include "platform/foundation/ProcessInfo.h"

using namespace platform;

TEST(ColorExtension, ParsesEveryValidFormAndRejectsTheRest) {
    struct Case {
        const char* text;
        std::optional<RGBA> rgba;
    } cases[] = {
        {"#FFF", RGBA{1, 1, 1, 1}},
        {"0f08", RGBA{0, 1, 0, 0x88 / 255.0}},
        {"#a1b2c3", RGBA{0xa1 / 255.0, 0xb2 / 255.0, 0xc3 / 255.0, 1}},
        {"A1B2C380", RGBA{0xa1 / 255.0, 0xb2 / 255.0, 0xc3 / 255.0, 0x80 / 255.0}},
        {"#12345", std::nullopt},
        {"1234567", std::nullopt},
        {"#GGGGGG", std::nullopt},
        {"", std::nullopt},
        {"#", std::nullopt},
        {"##FFF", std::nullopt},
        {"FF", std::nullopt},
        {"123456789", std::nullopt},
        {" FFF", std::nullopt},
        {"FFF\n", std::nullopt},
        {"0xFFF", std::nullopt},
    };
    for (const auto& c : cases) {
        auto color = colorWithHexString(c.text);
        if (!c.rgba) {
            EXPECT_EQ(color, nullptr) << c.text;
            continue;
        }
        ASSERT_NE(color, nullptr) << c.text;
        auto got = color->rgbComponents();
        ASSERT_TRUE(got) << c.text;
        EXPECT_NEAR(got->red, c.rgba->red, 1e-9) << c.text;
        EXPECT_NEAR(got->green, c.rgba->green, 1e-9) << c.text;
        EXPECT_NEAR(got->blue, c.rgba->blue, 1e-9) << c.text;
        EXPECT_NEAR(got->alpha, c.rgba->alpha, 1e-9) << c.text;
    }
}

TEST(ColorExtension, WritesShortFormOnlyWhenOpaque) {
    EXPECT_EQ(hexString(Color::rgb(1, 1, 1, 0.5)), "#FFFFFF80");  // 127.5 rounds up
    EXPECT_EQ(hexString(Color::rgb(1, 1, 1, 1)), "#FFFFFF");
    EXPECT_EQ(hexString(Color::rgb(0, 0, 0, 0.999)), "#000000");  // rounds to 255: opaque
    EXPECT_EQ(hexStringWithAlpha(Color::rgb(0.5, 0, 1)), "#8000FFFF");
    EXPECT_EQ(hexStringWithoutAlpha(Color::rgb(0.5, 0, 1, 0.2)), "#8000FF");
    EXPECT_EQ(hexString(alpha(Color::rgb(1, 0, 0), 0)), "#FF000000");
    // Out-of-range and non-RGB colours still give well-formed text.
    EXPECT_EQ(hexString(Color::rgb(1.5, -0.2, NAN)), "#FF0000");
    EXPECT_EQ(hexString(Color::white(1)), "#FFFFFF");
    EXPECT_EQ(hexString(nullptr), "");
    EXPECT_EQ(hexString(colorWithHexString("#12AB34CD")), "#12AB34CD");
}

TEST(ColorExtension, LightDarkColourFollowsTheAppearance) {
    auto light = Color::rgb(1, 1, 1), dark = Color::rgb(0, 0, 0);
    auto c = colorWith(light, dark);
    EXPECT_EQ(c->components(Appearance::aqua()), light->components());
    EXPECT_EQ(c->components(Appearance::darkAqua()), dark->components());
    EXPECT_EQ(c->components(Appearance::named(AppearanceName::VibrantDark)), dark->components());
    EXPECT_EQ(c->components(Appearance::named(AppearanceName::VibrantLight)), light->components());
    auto onlyLight = colorWith(light, nullptr);
    EXPECT_EQ(onlyLight->components(Appearance::darkAqua()), light->components());
    // An opacity copy of a dynamic colour stays dynamic.
    EXPECT_EQ(alpha(c, 0.5)->components(Appearance::darkAqua()), (RGBA{0, 0, 0, 0.5}));
}

TEST(ColorExtension, BeforeCatalinaTheLightColourIsFixed) {
    ProcessInfo::processInfo().setOperatingSystemVersion(OperatingSystemVersion{10, 14, 6});
    auto c = colorWith(Color::rgb(1, 0, 0), Color::rgb(0, 0, 1));
    ProcessInfo::processInfo().setOperatingSystemVersion(std::nullopt);
    EXPECT_FALSE(c->isDynamic());
    EXPECT_EQ(c->components(Appearance::darkAqua()), (RGBA{1, 0, 0, 1}));
}
