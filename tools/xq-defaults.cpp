// xq-defaults: reads and writes preference domains from a terminal, the way `defaults` does.
//
//   xq-defaults read DOMAIN [KEY]          prints the domain (or one value) as JSON
//   xq-defaults write DOMAIN KEY JSON      stores a value given as JSON and synchronises
//   xq-defaults delete DOMAIN KEY          removes a key and synchronises
//
// DOMAIN is a suite name (an app group such as Q7T3VN5XK2.group.cn.holmquay.Torvane, or a bundle
// identifier) or NSGlobalDomain.

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/foundation/UserDefaults.h"

using platform::Value;

namespace {

nlohmann::json toJSON(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Bool: return *value.boolValue();
        case Value::Kind::Integer: return *value.exactly<std::int64_t>();
        case Value::Kind::Unsigned: return *value.exactly<std::uint64_t>();
        case Value::Kind::Real: return *value.doubleValue();
        case Value::Kind::String: return *value.string();
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
        case Value::Kind::Absent: return nullptr;
        default: return value.description();
    }
}

Value fromJSON(const nlohmann::json& json) {
    if (json.is_boolean()) return Value(json.get<bool>());
    if (json.is_number_integer()) return Value(json.get<std::int64_t>());
    if (json.is_number_unsigned()) return Value(json.get<std::uint64_t>());
    if (json.is_number_float()) return Value(json.get<double>());
    if (json.is_string()) return Value(json.get<std::string>());
    if (json.is_array()) {
        platform::Array array;
        for (const auto& element : json) array.push_back(fromJSON(element));
        return Value(std::move(array));
    }
    if (json.is_object()) {
        platform::Dictionary dictionary;
        for (const auto& [key, element] : json.items()) dictionary.emplace(key, fromJSON(element));
        return Value(std::move(dictionary));
    }
    return {};
}

std::shared_ptr<platform::UserDefaults> open(const std::string& domain) {
    if (domain == "NSGlobalDomain") return platform::UserDefaults::globalDomain();
    return platform::UserDefaults::suite(domain);
}

int usage() {
    std::cerr << "usage: xq-defaults read DOMAIN [KEY] | write DOMAIN KEY JSON | delete DOMAIN KEY\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string verb = argv[1];
    auto defaults = open(argv[2]);
    if (!defaults) {
        std::cerr << "xq-defaults: not a preferences domain: " << argv[2] << "\n";
        return 1;
    }
    if (verb == "read" && (argc == 3 || argc == 4)) {
        Value value = argc == 4 ? defaults->object(argv[3]) : Value(defaults->persistentDomain());
        if (value.isAbsent()) {
            std::cerr << "xq-defaults: the domain/default pair (" << argv[2] << ", " << argv[3] << ") does not exist\n";
            return 1;
        }
        std::cout << toJSON(value).dump() << "\n";
        return 0;
    }
    if (verb == "write" && argc == 5) {
        auto json = nlohmann::json::parse(argv[4], nullptr, false);
        Value value = json.is_discarded() ? Value(std::string(argv[4])) : fromJSON(json);
        if (value.isAbsent() || !defaults->set(argv[3], value)) {
            std::cerr << "xq-defaults: cannot store that value\n";
            return 1;
        }
        return defaults->synchronize() ? 0 : 1;
    }
    if (verb == "delete" && argc == 4) {
        defaults->removeObject(argv[3]);
        return defaults->synchronize() ? 0 : 1;
    }
    return usage();
}
