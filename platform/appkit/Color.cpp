#include "platform/appkit/Color.h"

#include <cstdio>

namespace platform {

ColorPtr Color::rgb(double r, double g, double b, double a) {
    return std::make_shared<Color>(Kind::RGB, RGBA{r, g, b, a}, std::string(), Provider());
}

ColorPtr Color::white(double w, double a) { return std::make_shared<Color>(Kind::White, RGBA{w, w, w, a}, std::string(), Provider()); }

ColorPtr Color::dynamic(std::string name, Provider provider) {
    return std::make_shared<Color>(Kind::Dynamic, RGBA{}, std::move(name), std::move(provider));
}

ColorPtr Color::clear() { return white(0, 0); }
ColorPtr Color::black() { return white(0, 1); }
ColorPtr Color::whiteColor() { return white(1, 1); }
ColorPtr Color::red() { return rgb(1, 0, 0); }
ColorPtr Color::green() { return rgb(0, 1, 0); }
ColorPtr Color::blue() { return rgb(0, 0, 1); }
ColorPtr Color::gray() { return white(0.5); }
ColorPtr Color::lightGray() { return white(2.0 / 3.0); }

namespace {
ColorPtr systemColor(const std::string& name, ColorPtr light, ColorPtr dark) {
    return Color::dynamic(name, [light, dark](const AppearancePtr& appearance) {
        return appearance && appearance->isDarkFamily() ? dark : light;
    });
}
}  // namespace

ColorPtr Color::label() {
    static auto c = systemColor("labelColor", white(0, 0.85), white(1, 0.85));
    return c;
}
ColorPtr Color::secondaryLabel() {
    static auto c = systemColor("secondaryLabelColor", white(0, 0.5), white(1, 0.55));
    return c;
}
ColorPtr Color::placeholderText() {
    static auto c = systemColor("placeholderTextColor", white(0, 0.25), white(1, 0.25));
    return c;
}
ColorPtr Color::controlAccent() {
    static auto c = systemColor("controlAccentColor", rgb(0, 0x7a / 255.0, 1), rgb(0x0a / 255.0, 0x84 / 255.0, 1));
    return c;
}
ColorPtr Color::windowBackground() {
    static auto c = systemColor("windowBackgroundColor", white(0xec / 255.0), white(0x32 / 255.0));
    return c;
}
ColorPtr Color::controlBackground() {
    static auto c = systemColor("controlBackgroundColor", white(1), white(0x1e / 255.0));
    return c;
}
ColorPtr Color::separator() {
    static auto c = systemColor("separatorColor", white(0, 0.1), white(1, 0.1));
    return c;
}
ColorPtr Color::textColor() {
    static auto c = systemColor("textColor", white(0), white(1));
    return c;
}

ColorPtr Color::resolved(const AppearancePtr& appearance) const {
    if (kind_ != Kind::Dynamic) return std::static_pointer_cast<Color>(const_cast<Color*>(this)->shared_from_this());
    AppearancePtr a = appearance ? appearance : Appearance::applicationEffective();
    ColorPtr c = provider_ ? provider_(a) : nullptr;
    // A provider answering nothing, or another dynamic colour, must not loop or crash drawing.
    if (!c) return clear();
    if (c->kind_ == Kind::Dynamic) return c.get() == this ? clear() : c->resolved(a);
    return c;
}

RGBA Color::components(const AppearancePtr& appearance) const {
    if (kind_ == Kind::Dynamic) return resolved(appearance)->rgba_;
    return rgba_;
}

std::optional<RGBA> Color::rgbComponents() const {
    if (kind_ != Kind::RGB) return std::nullopt;
    return rgba_;
}

double Color::alphaComponent() const { return components().alpha; }

ColorPtr Color::usingRGB(const AppearancePtr& appearance) const {
    RGBA c = components(appearance);
    return rgb(c.red, c.green, c.blue, c.alpha);
}

ColorPtr Color::withAlphaComponent(double alpha) const {
    if (kind_ == Kind::Dynamic) {
        auto base = std::static_pointer_cast<Color>(const_cast<Color*>(this)->shared_from_this());
        return dynamic(name_, [base, alpha](const AppearancePtr& a) { return base->resolved(a)->withAlphaComponent(alpha); });
    }
    return std::make_shared<Color>(kind_, RGBA{rgba_.red, rgba_.green, rgba_.blue, alpha}, name_, Provider());
}

std::string Color::description() const {
    char buffer[128];
    switch (kind_) {
        case Kind::RGB:
            std::snprintf(buffer, sizeof buffer, "sRGB %g %g %g %g", rgba_.red, rgba_.green, rgba_.blue, rgba_.alpha);
            return buffer;
        case Kind::White:
            std::snprintf(buffer, sizeof buffer, "Generic Gray colorspace %g %g", rgba_.red, rgba_.alpha);
            return buffer;
        case Kind::Dynamic: break;
    }
    return "Catalog color: System " + (name_.empty() ? std::string("dynamic") : name_);
}

}  // namespace platform
