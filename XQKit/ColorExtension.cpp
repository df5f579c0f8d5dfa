#include "XQKit/ColorExtension.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/ProcessInfo.h"

using namespace platform;

ColorPtr colorWith(const ColorPtr& light, const ColorPtr& dark) {
    if (!light) return dark ? dark : Color::clear();
    if (!ProcessInfo::processInfo().isOperatingSystemAtLeast({10, 15, 0})) return light->usingRGB();
    return Color::dynamic({}, [light, dark](const AppearancePtr& appearance) {
        if (!dark || !appearance) return light;
        auto match = appearance->bestMatch({AppearanceName::DarkAqua, AppearanceName::VibrantDark});
        bool isDark = match && (*match == AppearanceName::DarkAqua || *match == AppearanceName::VibrantDark);
        return isDark ? dark : light;
    });
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

ColorPtr colorWithHexString(std::string_view text) {
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() < 3 || text.size() > 8) return nullptr;
    std::string digits;
    for (char c : text) {
        if (hexDigit(c) < 0) return nullptr;
        digits.push_back(c);
    }
    if (digits.size() == 3 || digits.size() == 4) {
        std::string doubled;
        for (char c : digits) doubled += std::string(2, c);
        digits = doubled;
    }
    if (digits.size() != 6 && digits.size() != 8) return nullptr;
    auto pair = [&](std::size_t at) { return (hexDigit(digits[at]) * 16 + hexDigit(digits[at + 1])) / 255.0; };
    double a = digits.size() == 8 ? pair(6) : 1.0;
    return Color::rgb(pair(0), pair(2), pair(4), a);
}

ColorPtr alpha(const ColorPtr& color, double value) {
    if (!color) return nullptr;
    return color->withAlphaComponent(value);
}

namespace {
// Each component times 255, rounded half away from zero; components outside 0...1 are clamped so
// that the text keeps two digits per component.
int byte(double component) {
    if (!std::isfinite(component)) return 0;
    return static_cast<int>(std::clamp(std::round(component * 255.0), 0.0, 255.0));
}
std::string format(const ColorPtr& color, bool withAlpha) {
    if (!color) return {};
    RGBA c = color->components();
    char buffer[16];
    if (withAlpha)
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", byte(c.red), byte(c.green), byte(c.blue), byte(c.alpha));
    else
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", byte(c.red), byte(c.green), byte(c.blue));
    return buffer;
}
}  // namespace

std::string hexString(const ColorPtr& color) {
    if (!color) return {};
    return format(color, byte(color->components().alpha) != 255);
}

std::string hexStringWithAlpha(const ColorPtr& color) { return format(color, true); }
std::string hexStringWithoutAlpha(const ColorPtr& color) { return format(color, false); }
