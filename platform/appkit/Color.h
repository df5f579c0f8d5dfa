#pragma once

// Colours: fixed RGB colours with opacity, white levels, and dynamic colours that resolve per
// appearance (the system colours are dynamic). Components are device-independent 0...1 values;
// values outside that range are kept as given (extended range).

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/Appearance.h"
#include "platform/runtime/Object.h"

namespace platform {

class Color;
using ColorPtr = std::shared_ptr<Color>;

struct RGBA {
    double red = 0, green = 0, blue = 0, alpha = 1;
    friend bool operator==(const RGBA&, const RGBA&) = default;
};

class Color : public Object {
public:
    enum class Kind { RGB, White, Dynamic };
    using Provider = std::function<ColorPtr(const AppearancePtr&)>;

    static ColorPtr rgb(double red, double green, double blue, double alpha = 1.0);
    static ColorPtr white(double white, double alpha = 1.0);
    // A colour resolved by `provider` for each appearance it is drawn in. `name` may be empty.
    static ColorPtr dynamic(std::string name, Provider provider);

    static ColorPtr clear();
    static ColorPtr black();
    static ColorPtr whiteColor();
    static ColorPtr red();
    static ColorPtr green();
    static ColorPtr blue();
    static ColorPtr gray();
    static ColorPtr lightGray();
    // System colours, dynamic.
    static ColorPtr label();
    static ColorPtr secondaryLabel();
    static ColorPtr placeholderText();
    static ColorPtr controlAccent();
    static ColorPtr windowBackground();
    static ColorPtr controlBackground();
    static ColorPtr separator();
    static ColorPtr textColor();

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    bool isDynamic() const { return kind_ == Kind::Dynamic; }

    // The fixed colour this one is in `appearance` (null: the application's effective appearance).
    ColorPtr resolved(const AppearancePtr& appearance = nullptr) const;
    // Red, green, blue and opacity in `appearance`; a white level gives equal components.
    RGBA components(const AppearancePtr& appearance = nullptr) const;
    // Components of a fixed RGB colour: absent for white levels and dynamic colours (the caller
    // converts first), as the platform refuses them.
    std::optional<RGBA> rgbComponents() const;
    double alphaComponent() const;
    // The same colour in the RGB colour space (resolving a dynamic one for the effective appearance).
    ColorPtr usingRGB(const AppearancePtr& appearance = nullptr) const;
    // A copy with another opacity; a dynamic colour stays dynamic.
    ColorPtr withAlphaComponent(double alpha) const;

    std::string description() const override;

    // Use the factories above; public only for std::make_shared.
    Color(Kind kind, RGBA rgba, std::string name, Provider provider)
        : kind_(kind), rgba_(rgba), name_(std::move(name)), provider_(std::move(provider)) {}

private:
    Kind kind_;
    RGBA rgba_;  // for White: red carries the level
    std::string name_;
    Provider provider_;
};

}  // namespace platform
