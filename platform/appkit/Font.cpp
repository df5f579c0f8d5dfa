#include "platform/appkit/Font.h"

#include <cmath>
#include <cstdio>

namespace platform {

namespace {
// A zero, negative or non-finite size means "the default size", as the platform treats 0.
double sanitize(double size) { return std::isfinite(size) && size > 0 ? size : Font::systemFontSize(); }
}  // namespace

FontPtr Font::systemFont(double size, double weight) {
    return std::make_shared<Font>("DejaVu Sans", sanitize(size), weight);
}

FontPtr Font::monospacedSystemFont(double size, double weight) {
    return std::make_shared<Font>("DejaVu Sans Mono", sanitize(size), weight);
}

FontPtr Font::named(const std::string& family, double size, double weight) {
    if (!std::isfinite(size) || size <= 0 || family.empty()) return nullptr;
    return std::make_shared<Font>(family, size, weight);
}

std::string Font::pangoDescription() const {
    const char* w = "";
    if (weight_ <= Weight::Thin) w = " Thin";
    else if (weight_ <= Weight::Light) w = " Light";
    else if (weight_ >= Weight::Heavy) w = " Heavy";
    else if (weight_ >= Weight::Bold) w = " Bold";
    else if (weight_ >= Weight::Semibold) w = " Semi-Bold";
    else if (weight_ >= Weight::Medium) w = " Medium";
    char size[32];
    std::snprintf(size, sizeof size, " %gpx", size_);
    return family_ + w + size;
}

std::string Font::description() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, " %gpt.", size_);
    return "\"" + family_ + buffer + "\"";
}

}  // namespace platform
