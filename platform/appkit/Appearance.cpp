#include "platform/appkit/Appearance.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/foundation/PropertyList.h"

namespace platform {

namespace {

struct AppearanceState {
    AppearancePtr application;
    AppearancePtr lastEffective;
    AppearancePtr system;
    HookPoint<const AppearancePtr&, const AppearancePtr&> changed;
};

AppearanceState& state() {
    static AppearanceState s;
    return s;
}

bool lowerEquals(const std::string& text, const char* lower) {
    std::string t;
    for (char c : text) t.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return t == lower;
}

}  // namespace

AppearancePtr Appearance::named(const std::string& name) {
    static const AppearancePtr all[] = {
        std::make_shared<Appearance>(AppearanceName::Aqua, false),
        std::make_shared<Appearance>(AppearanceName::DarkAqua, true),
        std::make_shared<Appearance>(AppearanceName::VibrantLight, false),
        std::make_shared<Appearance>(AppearanceName::VibrantDark, true),
    };
    for (const auto& a : all)
        if (a->name() == name) return a;
    return nullptr;
}

std::optional<std::string> Appearance::bestMatch(const std::vector<std::string>& names) const {
    for (const auto& n : names)
        if (n == name_) return n;
    for (const auto& n : names)
        if (auto other = named(n); other && other->isDarkFamily() == dark_) return n;
    return std::nullopt;
}

namespace {
AppearancePtr readSystemSetting() {
    const char* home = std::getenv("HOME");
    if (!home) return Appearance::aqua();
    std::string path = std::string(home) + "/Library/Preferences/.GlobalPreferences.plist";
    std::ifstream in(path, std::ios::binary);
    if (!in) return Appearance::aqua();
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto value = PropertyList::parse(std::string_view(bytes));
    if (!value) return Appearance::aqua();
    const Value& style = (*value)["AppleInterfaceStyle"];
    if (const auto* text = style.string(); text && lowerEquals(*text, "dark")) return Appearance::darkAqua();
    return Appearance::aqua();
}
}  // namespace

// Read once and then on every change notice, as the setting is consulted on every drawing.
AppearancePtr Appearance::system() {
    auto& s = state();
    if (!s.system) s.system = readSystemSetting();
    return s.system;
}

AppearancePtr Appearance::application() { return state().application; }

void Appearance::setApplication(const AppearancePtr& appearance) {
    auto old = applicationEffective();
    state().application = appearance;
    auto now = applicationEffective();
    if (old != now) state().changed.run(old, now);
    state().lastEffective = now;
}

AppearancePtr Appearance::applicationEffective() {
    if (state().application) return state().application;
    return system();
}

void Appearance::systemSettingChanged() {
    auto& s = state();
    auto old = s.lastEffective ? s.lastEffective : applicationEffective();
    s.system = readSystemSetting();
    auto now = applicationEffective();
    s.lastEffective = now;
    if (old != now) s.changed.run(old, now);
}

HookPoint<const AppearancePtr&, const AppearancePtr&>& Appearance::applicationEffectiveChanged() {
    return state().changed;
}

}  // namespace platform
