#include "platform/foundation/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {

const Value& Value::absent() {
    static const Value none;
    return none;
}

const Array* Value::array() const {
    auto p = std::get_if<std::shared_ptr<const Array>>(&storage_);
    return p ? p->get() : nullptr;
}

const Dictionary* Value::dictionary() const {
    auto p = std::get_if<std::shared_ptr<const Dictionary>>(&storage_);
    return p ? p->get() : nullptr;
}

const URL* Value::url() const {
    auto p = std::get_if<std::shared_ptr<const URL>>(&storage_);
    return p ? p->get() : nullptr;
}

ObjectPtr Value::object() const {
    auto p = std::get_if<ObjectPtr>(&storage_);
    return p ? *p : nullptr;
}

const Value& Value::operator[](std::string_view key) const {
    if (const auto* dict = dictionary()) {
        auto it = dict->find(key);
        if (it != dict->end()) return it->second;
    }
    return absent();
}

const Value& Value::operator[](std::size_t index) const {
    if (const auto* list = array(); list && index < list->size()) return (*list)[index];
    return absent();
}

namespace {

std::optional<std::int64_t> parseInteger(const std::string& text) {
    // Leading white space and a sign are accepted; trailing garbage after a number is ignored, the
    // way the platform's scanner reads an integer from text.
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t' || *begin == '\n') ++begin;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(begin, &end, 10);
    if (end == begin) return std::nullopt;
    if (errno == ERANGE) return value < 0 ? INT64_MIN : INT64_MAX;
    return value;
}

std::optional<double> parseReal(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int64_t> Value::integerValue() const {
    switch (kind()) {
        case Kind::Bool: return std::get<bool>(storage_) ? 1 : 0;
        case Kind::Integer: return std::get<std::int64_t>(storage_);
        case Kind::Unsigned: return static_cast<std::int64_t>(std::get<std::uint64_t>(storage_));
        case Kind::Real: {
            double v = std::get<double>(storage_);
            if (std::isnan(v)) return 0;
            if (v >= 9.2233720368547758e18) return INT64_MAX;
            if (v <= -9.2233720368547758e18) return INT64_MIN;
            return static_cast<std::int64_t>(v);
        }
        case Kind::String: return parseInteger(std::get<std::string>(storage_));
        default: return std::nullopt;
    }
}

std::optional<double> Value::doubleValue() const {
    switch (kind()) {
        case Kind::Bool: return std::get<bool>(storage_) ? 1.0 : 0.0;
        case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(storage_));
        case Kind::Unsigned: return static_cast<double>(std::get<std::uint64_t>(storage_));
        case Kind::Real: return std::get<double>(storage_);
        case Kind::String: return parseReal(std::get<std::string>(storage_));
        default: return std::nullopt;
    }
}

std::string describeReal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[64];
    double magnitude = std::fabs(value);
    bool fixed = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e16);
    auto [end, ec] = fixed ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                           : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (fixed && text.find('.') == std::string::npos) text += ".0";
    return text;
}

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\0': out += "\\0"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string Value::description() const {
    switch (kind()) {
        case Kind::Absent: return "nil";
        case Kind::Bool: return std::get<bool>(storage_) ? "true" : "false";
        case Kind::Integer: return std::to_string(std::get<std::int64_t>(storage_));
        case Kind::Unsigned: return std::to_string(std::get<std::uint64_t>(storage_));
        case Kind::Real: return describeReal(std::get<double>(storage_));
        case Kind::String: return std::get<std::string>(storage_);
        case Kind::Data: return std::get<platform::Data>(storage_).description();
        case Kind::Date: return std::get<platform::Date>(storage_).description();
        case Kind::URL: return url()->description();
        case Kind::Object: return object()->description();
        case Kind::Array: {
            std::string out = "[";
            bool first = true;
            for (const auto& element : *array()) {
                if (!first) out += ", ";
                first = false;
                out += element.debugDescription();
            }
            return out + "]";
        }
        case Kind::Dictionary: {
            if (dictionary()->empty()) return "[:]";
            std::string out = "[";
            bool first = true;
            for (const auto& [key, element] : *dictionary()) {
                if (!first) out += ", ";
                first = false;
                out += quoted(key) + ": " + element.debugDescription();
            }
            return out + "]";
        }
    }
    return {};
}

std::string Value::debugDescription() const {
    if (const auto* text = string()) return quoted(*text);
    return description();
}

bool operator==(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) {
        if (a.kind() == Value::Kind::Real || b.kind() == Value::Kind::Real) return a.doubleValue() == b.doubleValue();
        if (a.kind() == b.kind()) return a.storage_ == b.storage_;
        auto signedValue = a.kind() == Value::Kind::Integer ? std::get<std::int64_t>(a.storage_)
                                                            : std::get<std::int64_t>(b.storage_);
        auto unsignedValue = a.kind() == Value::Kind::Unsigned ? std::get<std::uint64_t>(a.storage_)
                                                               : std::get<std::uint64_t>(b.storage_);
        return std::cmp_equal(signedValue, unsignedValue);
    }
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case Value::Kind::Array: return *a.array() == *b.array();
        case Value::Kind::Dictionary: return *a.dictionary() == *b.dictionary();
        case Value::Kind::URL: return *a.url() == *b.url();
        default: return a.storage_ == b.storage_;
    }
}

}  // namespace platform
