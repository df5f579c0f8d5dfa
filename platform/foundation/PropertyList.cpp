#include "platform/foundation/PropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace platform::PropertyList {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Deeply nested input is refused rather than recursed into without end.
constexpr int kMaxDepth = 512;

std::optional<Value> toValue(plist_t node, int depth) {
    if (!node || depth > kMaxDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return Value(b != 0);
        }
        case PLIST_UINT: {
            uint64_t v = 0;
            plist_get_uint_val(node, &v);
            // The store keeps 64-bit integers as signed, as the platform does.
            return Value(static_cast<std::int64_t>(v));
        }
        case PLIST_REAL: {
            double v = 0;
            plist_get_real_val(node, &v);
            return Value(v);
        }
        case PLIST_STRING: {
            char* text = nullptr;
            plist_get_string_val(node, &text);
            std::string result = text ? text : "";
            std::free(text);
            return Value(std::move(result));
        }
        case PLIST_KEY: {
            char* text = nullptr;
            plist_get_key_val(node, &text);
            std::string result = text ? text : "";
            std::free(text);
            return Value(std::move(result));
        }
        case PLIST_DATA: {
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &bytes, &length);
            Data data(bytes, static_cast<std::size_t>(length));
            std::free(bytes);
            return Value(std::move(data));
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            return Value(Date::fromReferenceInterval(sec + usec / 1e6));
        }
        case PLIST_ARRAY: {
            Array array;
            uint32_t count = plist_array_get_size(node);
            array.reserve(count);
            for (uint32_t i = 0; i < count; ++i) {
                auto element = toValue(plist_array_get_item(node, i), depth + 1);
                if (!element) return std::nullopt;
                array.push_back(std::move(*element));
            }
            return Value(std::move(array));
        }
        case PLIST_DICT: {
            Dictionary dictionary;
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            while (true) {
                char* key = nullptr;
                plist_t child = nullptr;
                plist_dict_next_item(node, it, &key, &child);
                if (!key) break;
                std::string name = key;
                std::free(key);
                auto element = toValue(child, depth + 1);
                if (!element) {
                    std::free(it);
                    return std::nullopt;
                }
                dictionary.insert_or_assign(std::move(name), std::move(*element));
            }
            std::free(it);
            return Value(std::move(dictionary));
        }
        case PLIST_UID: {
            uint64_t v = 0;
            plist_get_uid_val(node, &v);
            return Value(static_cast<std::uint64_t>(v));
        }
        default: return std::nullopt;
    }
}

plist_t toNode(const Value& value, int depth) {
    if (depth > kMaxDepth) return nullptr;
    switch (value.kind()) {
        case Value::Kind::Bool: return plist_new_bool(*value.boolValue() ? 1 : 0);
        case Value::Kind::Integer: return plist_new_uint(static_cast<uint64_t>(*value.exactly<std::int64_t>()));
        case Value::Kind::Unsigned: return plist_new_uint(*value.exactly<std::uint64_t>());
        case Value::Kind::Real: return plist_new_real(*value.doubleValue());
        case Value::Kind::String: return plist_new_string(value.string()->c_str());
        case Value::Kind::Data: {
            const Data& data = *value.data();
            return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
        }
        case Value::Kind::Date: {
            double interval = value.date()->timeIntervalSinceReferenceDate();
            double whole = std::floor(interval);
            return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((interval - whole) * 1e6));
        }
        case Value::Kind::URL: return plist_new_string(value.url()->absoluteString().c_str());
        case Value::Kind::Array: {
            plist_t array = plist_new_array();
            for (const auto& element : *value.array()) {
                plist_t child = toNode(element, depth + 1);
                if (!child) {
                    plist_free(array);
                    return nullptr;
                }
                plist_array_append_item(array, child);
            }
            return array;
        }
        case Value::Kind::Dictionary: {
            plist_t dict = plist_new_dict();
            for (const auto& [key, element] : *value.dictionary()) {
                plist_t child = toNode(element, depth + 1);
                if (!child) {
                    plist_free(dict);
                    return nullptr;
                }
                plist_dict_set_item(dict, key.c_str(), child);
            }
            return dict;
        }
        default: return nullptr;
    }
}

}  // namespace

std::optional<Value> parse(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > UINT32_MAX) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    return toValue(root, 0);
}

std::optional<Value> parse(const Data& data) { return parse(data.view()); }

std::optional<Data> serialize(const Value& value, Format format) {
    PlistPtr root(toNode(value, 0));
    if (!root) return std::nullopt;
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::XML)
        plist_to_xml(root.get(), &bytes, &length);
    else
        plist_to_bin(root.get(), &bytes, &length);
    if (!bytes) return std::nullopt;
    Data data(bytes, length);
    std::free(bytes);
    return data;
}

}  // namespace platform::PropertyList
