#pragma once

// Diagnostic lines for the library and its applications. Silent until switched on: `XQ_LOG_RELEASE`
// writes lines at all, `XQ_LOG_MORE` adds the calling function, line and file. Both start off (on
// Linux the environment variables XQ_LOG_RELEASE=1 and XQ_LOG_MORE=1 switch them on at start) and are
// flipped at run time by key chords that `__XQLog` listens for during ten seconds.
//
//     XQLog("Open url: ", text);                    // items of any kind
//     XQLog(XQLogAt("eventTapCallback(proxy:type:event:refcon:)"), "...");   // explicit function name
//
// With logging off a call costs one flag test: nothing is rendered or converted.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

extern std::atomic<bool> XQ_LOG_RELEASE;
extern std::atomic<bool> XQ_LOG_MORE;

// The prefix of a line.
class __XQLogStyle {
public:
    enum class Case { number, emoji, default_, success, failure, warning, flag };

    static __XQLogStyle number(std::int64_t n) { return __XQLogStyle(Case::number, n, {}); }
    static __XQLogStyle emoji(std::string text) { return __XQLogStyle(Case::emoji, 0, std::move(text)); }
    static __XQLogStyle default_() { return __XQLogStyle(Case::default_, 0, {}); }
    static __XQLogStyle success() { return __XQLogStyle(Case::success, 0, {}); }
    static __XQLogStyle failure() { return __XQLogStyle(Case::failure, 0, {}); }
    static __XQLogStyle warning() { return __XQLogStyle(Case::warning, 0, {}); }
    static __XQLogStyle flag() { return __XQLogStyle(Case::flag, 0, {}); }

    Case kind() const { return case_; }
    std::string prefix() const;

private:
    __XQLogStyle(Case c, std::int64_t n, std::string text) : case_(c), number_(n), text_(std::move(text)) {}
    Case case_;
    std::int64_t number_;
    std::string text_;
};

// Where a line comes from, when the caller names its function itself, and its style.
struct XQLogAt {
    explicit XQLogAt(std::string_view function, __XQLogStyle style = __XQLogStyle::default_())
        : function(function), style(std::move(style)) {}
    explicit XQLogAt(__XQLogStyle style) : style(std::move(style)) {}
    std::string_view function;
    __XQLogStyle style = __XQLogStyle::default_();
};

// The line itself: renders the items, applies the style and writes it. `XQLog(...)` calls this with
// the caller's source location.
void XQLogWrite(const std::vector<platform::Value>& items, const __XQLogStyle& style, std::string_view file,
                std::string_view function, int line);

// Rendering, exposed for callers that want the text without writing it.
std::string XQLogRender(const platform::Value& item);
std::string XQLogRenderDictionary(const platform::Dictionary& dictionary, std::uint8_t depth);
std::string XQLogRenderArray(const platform::Array& array, std::uint8_t depth);
std::string XQLogRenderData(const platform::Data& data);
// "void AppDelegate::open(const std::string&)" -> "open(_:)"
std::string XQLogFunctionName(std::string_view prettyFunction);

namespace xqlog_detail {
template <class T>
platform::Value toValue(const T& item);

template <class T>
platform::Value toValue(const std::vector<T>& items) {
    platform::Array array;
    array.reserve(items.size());
    for (const auto& item : items) array.push_back(toValue(item));
    return platform::Value(std::move(array));
}
template <class V>
platform::Value toValue(const std::map<std::string, V>& items) {
    platform::Dictionary dictionary;
    for (const auto& [key, value] : items) dictionary.emplace(key, toValue(value));
    return platform::Value(std::move(dictionary));
}
template <class T>
platform::Value toValue(const std::optional<T>& item) {
    return item ? toValue(*item) : platform::Value();
}
template <class T>
platform::Value toValue(const T& item) {
    if constexpr (std::is_convertible_v<const T&, platform::Value>) {
        return platform::Value(item);
    } else if constexpr (requires { item.description(); }) {
        return platform::Value(item.description());
    } else {
        static_assert(sizeof(T) == 0, "XQLog cannot render this item");
    }
}

template <class... Items>
void write(std::source_location location, const Items&... items) {
    std::vector<platform::Value> values;
    values.reserve(sizeof...(Items));
    __XQLogStyle style = __XQLogStyle::default_();
    std::string_view function;
    auto add = [&](const auto& item) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, XQLogAt>) {
            function = item.function;
            style = item.style;
        } else if constexpr (std::is_same_v<T, __XQLogStyle>) {
            style = item;
        } else {
            values.push_back(toValue(item));
        }
    };
    (add(items), ...);
    std::string name = function.empty() ? XQLogFunctionName(location.function_name()) : std::string(function);
    XQLogWrite(values, style, location.file_name(), name, static_cast<int>(location.line()));
}
}  // namespace xqlog_detail

// XQLog(items...): a call that writes one line when logging is on.
template <class... Items>
struct XQLog {
    XQLog(const Items&... items, std::source_location location = std::source_location::current()) {
        if (!XQ_LOG_RELEASE.load(std::memory_order_relaxed)) return;
        xqlog_detail::write(location, items...);
    }
};
template <class... Items>
XQLog(const Items&...) -> XQLog<Items...>;

// Listens, for ten seconds after `addKeyMonitor`, for the chords that flip the switches:
// Control-Option-Shift-Command-P for `XQ_LOG_RELEASE`, ...-M for `XQ_LOG_MORE`.
class __XQLog : public platform::Object {
public:
    static std::shared_ptr<__XQLog>& shared();

    void addKeyMonitor();
    const platform::ObjectPtr& localMonitor() const { return localMonitor_; }
    const platform::ObjectPtr& globalMonitor() const { return globalMonitor_; }

    // The chord check both monitors run.
    static void checkChord(std::uint16_t keyCode, std::uint64_t modifierFlags);

private:
    void removeKeyMonitor();
    platform::ObjectPtr localMonitor_;
    platform::ObjectPtr globalMonitor_;
};
