#pragma once

// Appearances: the named looks an interface can take (aqua, dark aqua and the two vibrant ones), the
// best-match rule used to ask "is this dark?", and the application's effective appearance, which
// follows the system setting "AppleInterfaceStyle" of the global preferences unless the application
// chose one.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/Object.h"

namespace platform {

namespace AppearanceName {
inline const std::string Aqua = "NSAppearanceNameAqua";
inline const std::string DarkAqua = "NSAppearanceNameDarkAqua";
inline const std::string VibrantLight = "NSAppearanceNameVibrantLight";
inline const std::string VibrantDark = "NSAppearanceNameVibrantDark";
}  // namespace AppearanceName

class Appearance;
using AppearancePtr = std::shared_ptr<Appearance>;

class Appearance : public Object {
public:
    // The shared appearance of a known name; null for any other name.
    static AppearancePtr named(const std::string& name);
    static AppearancePtr aqua() { return named(AppearanceName::Aqua); }
    static AppearancePtr darkAqua() { return named(AppearanceName::DarkAqua); }

    const std::string& name() const { return name_; }
    bool isDarkFamily() const { return dark_; }

    // The name among `names` that suits this appearance best: the appearance's own name when listed,
    // otherwise the first listed appearance of the same lightness (a vibrant dark view matches dark
    // aqua), otherwise none.
    std::optional<std::string> bestMatch(const std::vector<std::string>& names) const;

    // The appearance the system setting asks for: dark aqua when the global preferences hold
    // "AppleInterfaceStyle" equal to "dark" ignoring case, aqua otherwise.
    static AppearancePtr system();
    // The appearance the application chose (null: follow the system).
    static AppearancePtr application();
    static void setApplication(const AppearancePtr& appearance);
    // What the application's windows and views inherit.
    static AppearancePtr applicationEffective();

    // Re-reads the system setting and, when the application's effective appearance changed, tells
    // every window's views. The session calls it when "AppleInterfaceThemeChangedNotification" is
    // posted; tests may call it after writing the global preferences.
    static void systemSettingChanged();
    // Called with the old and the new appearance whenever the application's effective appearance
    // changes; windows use it to refresh their views.
    static HookPoint<const AppearancePtr&, const AppearancePtr&>& applicationEffectiveChanged();

    std::string description() const override { return "<NSAppearance: " + name_ + ">"; }

    Appearance(std::string name, bool dark) : name_(std::move(name)), dark_(dark) {}

private:
    std::string name_;
    bool dark_;
};

}  // namespace platform
