#include "platform/foundation/JSON.h"

#include <nlohmann/json.hpp>

namespace platform {

namespace {

Value fromJSON(const nlohmann::json& json, const Value& nullValue) {
    switch (json.type()) {
        case nlohmann::json::value_t::object: {
            Dictionary dictionary;
            for (const auto& [key, element] : json.items()) dictionary.insert_or_assign(key, fromJSON(element, nullValue));
            return Value(std::move(dictionary));
        }
        case nlohmann::json::value_t::array: {
            Array array;
            array.reserve(json.size());
            for (const auto& element : json) array.push_back(fromJSON(element, nullValue));
            return Value(std::move(array));
        }
        case nlohmann::json::value_t::string: return Value(json.get<std::string>());
        case nlohmann::json::value_t::boolean: return Value(json.get<bool>());
        case nlohmann::json::value_t::number_integer: return Value(json.get<std::int64_t>());
        case nlohmann::json::value_t::number_unsigned: return Value(json.get<std::uint64_t>());
        case nlohmann::json::value_t::number_float: return Value(json.get<double>());
        default: return nullValue;
    }
}

nlohmann::json toJSON(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Absent: return nullptr;
        case Value::Kind::Bool: return *value.boolValue();
        case Value::Kind::Integer: return *value.exactly<std::int64_t>();
        case Value::Kind::Unsigned: return *value.exactly<std::uint64_t>();
        case Value::Kind::Real: return *value.doubleValue();
        case Value::Kind::String: return *value.string();
        case Value::Kind::Data: {
            nlohmann::json bytes = nlohmann::json::array();
            for (auto byte : value.data()->bytes()) bytes.push_back(byte);
            return bytes;
        }
        case Value::Kind::Array: {
            nlohmann::json array = nlohmann::json::array();
            for (const auto& element : *value.array()) array.push_back(toJSON(element));
            return array;
        }
        case Value::Kind::Dictionary: {
            nlohmann::json object = nlohmann::json::object();
            for (const auto& [key, element] : *value.dictionary()) object[key] = toJSON(element);
            return object;
        }
        default: return value.description();
    }
}

}  // namespace

std::optional<Value> parseJSON(std::string_view text, const Value& nullValue) {
    nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded()) return std::nullopt;
    return fromJSON(json, nullValue);
}

std::string jsonText(const Value& value) { return toJSON(value).dump(); }

}  // namespace platform
