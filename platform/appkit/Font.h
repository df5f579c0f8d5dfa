#pragma once

// Fonts: a family, a size in points and a weight. The system font maps to the machine's sans-serif
// face; text measuring and drawing go through Pango with 1 point = 1 device unit at scale 1.

#include <memory>
#include <string>

#include "platform/runtime/Object.h"

namespace platform {

class Font;
using FontPtr = std::shared_ptr<Font>;

class Font : public Object {
public:
    // Weights on the platform's scale (-1 ... 1), regular = 0.
    struct Weight {
        static constexpr double UltraLight = -0.8, Thin = -0.6, Light = -0.4, Regular = 0.0, Medium = 0.23,
                                Semibold = 0.3, Bold = 0.4, Heavy = 0.56, Black = 0.62;
    };

    static FontPtr systemFont(double size, double weight = Weight::Regular);
    static FontPtr boldSystemFont(double size) { return systemFont(size, Weight::Bold); }
    static FontPtr monospacedSystemFont(double size, double weight = Weight::Regular);
    // A font by family name; null when the size is not a positive finite number.
    static FontPtr named(const std::string& family, double size, double weight = Weight::Regular);
    // The size of the system font in regular controls.
    static double systemFontSize() { return 13.0; }

    const std::string& familyName() const { return family_; }
    double pointSize() const { return size_; }
    double weight() const { return weight_; }
    // Pango's description text, e.g. "DejaVu Sans Bold 13px".
    std::string pangoDescription() const;
    std::string description() const override;

    Font(std::string family, double size, double weight) : family_(std::move(family)), size_(size), weight_(weight) {}

private:
    std::string family_;
    double size_;
    double weight_;
};

}  // namespace platform
