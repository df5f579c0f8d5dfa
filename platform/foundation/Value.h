#pragma once

// "Any value": the property-list values (bool, integers, real, text, data, date, array, dictionary)
// plus absent, URL and object. Collections are shared and immutable, so copying a Value is cheap;
// building one goes through Array / Dictionary and then wraps them.

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/foundation/Data.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/Object.h"

namespace platform {

class Value;
using Array = std::vector<Value>;
using Dictionary = std::map<std::string, Value, std::less<>>;

class Value {
public:
    enum class Kind { Absent, Bool, Integer, Unsigned, Real, String, Data, Date, Array, Dictionary, URL, Object };

    Value() = default;
    Value(std::nullopt_t) {}
    Value(bool value) : storage_(value) {}
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && std::is_signed_v<T>)
    Value(T value) : storage_(static_cast<std::int64_t>(value)) {}
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && std::is_unsigned_v<T>)
    Value(T value) : storage_(static_cast<std::uint64_t>(value)) {}
    Value(double value) : storage_(value) {}
    Value(float value) : storage_(static_cast<double>(value)) {}
    Value(std::string value) : storage_(std::move(value)) {}
    Value(std::string_view value) : storage_(std::string(value)) {}
    Value(const char* value) : storage_(std::string(value)) {}
    Value(platform::Data value) : storage_(std::move(value)) {}
    Value(platform::Date value) : storage_(value) {}
    Value(platform::URL value) : storage_(std::make_shared<const platform::URL>(std::move(value))) {}
    Value(platform::Array value) : storage_(std::make_shared<const platform::Array>(std::move(value))) {}
    Value(platform::Dictionary value) : storage_(std::make_shared<const platform::Dictionary>(std::move(value))) {}
    Value(ObjectPtr object) {
        if (object) storage_ = std::move(object);
    }
    template <class T>
        requires std::is_base_of_v<Object, T>
    Value(std::shared_ptr<T> object) : Value(ObjectPtr(std::move(object))) {}
    template <class T>
    Value(const std::optional<T>& value) {
        if (value) *this = Value(*value);
    }

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isAbsent() const { return kind() == Kind::Absent; }
    explicit operator bool() const = delete;  // say isAbsent() or asBool() instead
    bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Unsigned || kind() == Kind::Real; }

    // Exact-kind accessors: null when the value is of another kind.
    const bool* boolValue() const { return std::get_if<bool>(&storage_); }
    const std::string* string() const { return std::get_if<std::string>(&storage_); }
    const platform::Data* data() const { return std::get_if<platform::Data>(&storage_); }
    const platform::Date* date() const { return std::get_if<platform::Date>(&storage_); }
    const platform::Array* array() const;
    const platform::Dictionary* dictionary() const;
    const platform::URL* url() const;
    ObjectPtr object() const;
    template <class T>
    std::shared_ptr<T> objectAs() const { return std::dynamic_pointer_cast<T>(object()); }

    // Numbers the way a bridged number converts: an integer, a real or a bool, when exactly
    // representable in T (1.0 gives 1; 1.5, -1 or 256 give nothing for uint8_t).
    template <class T>
    std::optional<T> exactly() const;

    // Loose numeric readings used by typed getters (a number, a bool, or a text holding a number).
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> doubleValue() const;

    // Dictionary and array lookups; absent when this is not a collection or the entry is missing.
    const Value& operator[](std::string_view key) const;
    const Value& operator[](std::size_t index) const;

    // The platform's ordinary textual description ("abc", "1", "true", "[1, \"a\"]", "nil", ...).
    std::string description() const;
    // The form used inside collections: texts quoted and escaped.
    std::string debugDescription() const;

    friend bool operator==(const Value& a, const Value& b);
    static const Value& absent();

private:
    using Storage = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, platform::Data,
                                 platform::Date, std::shared_ptr<const platform::Array>,
                                 std::shared_ptr<const platform::Dictionary>, std::shared_ptr<const platform::URL>,
                                 ObjectPtr>;
    Storage storage_;
};

template <class T>
std::optional<T> Value::exactly() const {
    static_assert(std::is_arithmetic_v<T>);
    auto fits = [](auto v) -> std::optional<T> {
        using V = decltype(v);
        if constexpr (std::is_floating_point_v<T>) {
            return static_cast<T>(v);
        } else if constexpr (std::is_floating_point_v<V>) {
            if (!(v >= static_cast<V>(std::numeric_limits<T>::min()) &&
                  v <= static_cast<V>(std::numeric_limits<T>::max())))
                return std::nullopt;
            T t = static_cast<T>(v);
            if (static_cast<V>(t) != v) return std::nullopt;
            return t;
        } else {
            if (std::in_range<T>(v)) return static_cast<T>(v);
            return std::nullopt;
        }
    };
    switch (kind()) {
        case Kind::Bool: return fits(static_cast<std::int64_t>(std::get<bool>(storage_)));
        case Kind::Integer: return fits(std::get<std::int64_t>(storage_));
        case Kind::Unsigned: return fits(std::get<std::uint64_t>(storage_));
        case Kind::Real: return fits(std::get<double>(storage_));
        default: return std::nullopt;
    }
}

// Swift-style description of a real number: shortest text that reads back the same, always with a
// fraction or exponent ("1.0", "0.1", "1e+20", "inf", "nan").
std::string describeReal(double value);

}  // namespace platform
