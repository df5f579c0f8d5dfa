// xq-notify: talk to running programs through the distributed notification center.
//
//   xq-notify post NAME [--user-info JSON]   posts NAME (with a JSON object as user information)
//   xq-notify observe NAME...                prints one line per notification received:
//                                            NAME followed by its user information as JSON, or by
//                                            nothing when it carries none
//
// Observing runs until interrupted. A line is flushed as soon as it is printed, so another program
// can read the notifications as they come.

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"

using json = nlohmann::ordered_json;
using platform::Value;

namespace {

int usage() {
    std::cerr << "usage: xq-notify post NAME [--user-info JSON]\n"
                 "       xq-notify observe NAME...\n";
    return 2;
}

Value fromJSON(const json& j) {
    switch (j.type()) {
        case json::value_t::boolean: return Value(j.get<bool>());
        case json::value_t::number_integer: return Value(j.get<std::int64_t>());
        case json::value_t::number_unsigned: return Value(j.get<std::uint64_t>());
        case json::value_t::number_float: return Value(j.get<double>());
        case json::value_t::string: return Value(j.get<std::string>());
        case json::value_t::array: {
            platform::Array array;
            for (const auto& e : j) array.push_back(fromJSON(e));
            return Value(std::move(array));
        }
        case json::value_t::object: {
            platform::Dictionary dictionary;
            for (const auto& [k, v] : j.items()) dictionary[k] = fromJSON(v);
            return Value(std::move(dictionary));
        }
        default: return Value();
    }
}

json toJSON(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Bool: return *value.boolValue();
        case Value::Kind::Integer: return *value.exactly<std::int64_t>();
        case Value::Kind::Unsigned: return *value.exactly<std::uint64_t>();
        case Value::Kind::Real: return *value.exactly<double>();
        case Value::Kind::String: return *value.string();
        case Value::Kind::Data: {
            // Bytes have no JSON form; they are shown as a list of numbers.
            json bytes = json::array();
            for (auto b : value.data()->bytes()) bytes.push_back(b);
            return bytes;
        }
        case Value::Kind::Date: return value.description();
        case Value::Kind::Array: {
            json array = json::array();
            for (const auto& e : *value.array()) array.push_back(toJSON(e));
            return array;
        }
        case Value::Kind::Dictionary: {
            json object = json::object();
            for (const auto& [k, v] : *value.dictionary()) object[k] = toJSON(v);
            return object;
        }
        default: return nullptr;
    }
}

volatile std::sig_atomic_t gStop = 0;

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return usage();
    auto& center = platform::DistributedNotificationCenter::defaultCenter();

    if (args[0] == "post") {
        std::optional<platform::Dictionary> userInfo;
        if (args.size() == 4 && args[2] == "--user-info") {
            json parsed = json::parse(args[3], nullptr, false);
            if (parsed.is_discarded() || !parsed.is_object()) {
                std::cerr << "xq-notify: the user information must be a JSON object\n";
                return 2;
            }
            userInfo = *fromJSON(parsed).dictionary();
        } else if (args.size() != 2) {
            return usage();
        }
        if (!center.isConnected()) return 1;
        center.post(args[1], userInfo);
        return 0;
    }

    if (args[0] == "observe") {
        std::signal(SIGTERM, [](int) { gStop = 1; });
        std::signal(SIGINT, [](int) { gStop = 1; });
        for (std::size_t i = 1; i < args.size(); ++i)
            center.addObserver(&center, args[i], [](const std::string& name, const std::optional<platform::Dictionary>& info) {
                std::string line = name;
                if (info) line += " " + toJSON(Value(*info)).dump();
                std::cout << line << std::endl;
            });
        if (!center.isConnected()) return 1;
        // Announce readiness on standard error, so a script (or test) knows the match is in place.
        std::cerr << "observing" << std::endl;
        auto& loop = platform::RunLoop::main();
        while (!gStop) loop.runUntil([] { return gStop != 0; }, 0.2);
        return 0;
    }
    return usage();
}
