// xq-session: acts as the user and the system towards a program's simulated session, over the bus.
//
//   xq-session [--pid PID] trust on|off              the process's Accessibility trust
//   xq-session [--pid PID] frontmost BUNDLE_ID        the frontmost application (com.apple.finder: Finder)
//   xq-session [--pid PID] finder-select URL...       Finder's selection, as file URL texts (none: empty)
//   xq-session [--pid PID] focus none|text|other      the focused element
//   xq-session [--pid PID] key KEYCODE [FLAGS]        posts a key-down; prints "swallowed" or "delivered"
//   xq-session [--pid PID] answer BUTTON              the user's answer to the next alert (1000, 1001, ...)
//   xq-session [--pid PID] wake                       the computer wakes from sleep
//   xq-session [--pid PID] timeout                    the system times the event taps out
//   xq-session [--pid PID] windows                    the program's windows: title, frame, visible
//
// Without --pid it talks to the only program exposing its session on the bus.

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/SessionService.h"

using platform::SessionService;

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "xq-session: %s\n", message.c_str());
    return 1;
}

std::optional<unsigned long long> parseNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);  // decimal or 0x hex
    if (errno || *end || text[0] == '-') return std::nullopt;
    return value;
}

// The bus names of programs exposing their session.
std::vector<std::string> sessions(sd_bus* bus) {
    std::vector<std::string> names;
    char** all = nullptr;
    if (sd_bus_list_names(bus, &all, nullptr) < 0) return names;
    std::string prefix = SessionService::kBusNamePrefix;
    for (char** n = all; n && *n; ++n) {
        if (std::strncmp(*n, prefix.c_str(), prefix.size()) == 0) names.emplace_back(*n);
        std::free(*n);
    }
    std::free(all);
    return names;
}

int usage() {
    std::fputs("usage: xq-session [--pid PID] trust on|off | frontmost BUNDLE_ID | finder-select URL... |\n"
               "       focus none|text|other | key KEYCODE [FLAGS] | answer BUTTON | wake | timeout | windows\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> pid;
    if (args.size() >= 2 && args[0] == "--pid") {
        if (!parseNumber(args[1])) return fail("not a process number: " + args[1]);
        pid = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return usage();
    const std::string command = args[0];

    sd_bus* bus = nullptr;
    if (int r = sd_bus_open_user(&bus); r < 0) return fail(std::string("no session bus: ") + std::strerror(-r));
    std::string target;
    if (pid) {
        target = SessionService::kBusNamePrefix + *pid;
        auto all = sessions(bus);
        if (std::find(all.begin(), all.end(), target) == all.end())
            return fail("no program with process number " + *pid + " exposes its session");
    } else {
        auto all = sessions(bus);
        if (all.empty()) return fail("no program exposes its session on the bus");
        if (all.size() > 1) {
            std::string list;
            for (const auto& name : all) list += " " + name.substr(std::strlen(SessionService::kBusNamePrefix));
            return fail("several programs expose their session (process numbers" + list + "); choose one with --pid");
        }
        target = all[0];
    }

    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    auto call = [&](const char* method, const char* signature, auto... values) {
        return sd_bus_call_method(bus, target.c_str(), SessionService::kObjectPath, SessionService::kInterface, method,
                                  &error, &reply, signature, values...);
    };
    int r = -EINVAL;
    if (command == "trust" && args.size() == 2 && (args[1] == "on" || args[1] == "off")) {
        r = call("SetTrusted", "b", args[1] == "on" ? 1 : 0);
    } else if (command == "frontmost" && args.size() == 2) {
        r = call("SetFrontmost", "s", args[1].c_str());
    } else if (command == "finder-select") {
        sd_bus_message* m = nullptr;
        r = sd_bus_message_new_method_call(bus, &m, target.c_str(), SessionService::kObjectPath,
                                           SessionService::kInterface, "SelectInFinder");
        std::vector<char*> urls;
        for (std::size_t i = 1; i < args.size(); ++i) urls.push_back(args[i].data());
        urls.push_back(nullptr);
        if (r >= 0) r = sd_bus_message_append_strv(m, urls.data());
        if (r >= 0) r = sd_bus_call(bus, m, 0, &error, &reply);
        sd_bus_message_unref(m);
    } else if (command == "focus" && args.size() == 2) {
        r = call("SetFocus", "s", args[1].c_str());
    } else if (command == "key" && (args.size() == 2 || args.size() == 3)) {
        auto key = parseNumber(args[1]);
        if (!key || *key > 127) return fail("bad key code: " + args[1]);
        auto flags = args.size() == 3 ? parseNumber(args[2]) : std::optional<unsigned long long>(0);
        if (!flags) return fail("bad flags: " + args[2]);
        r = call("PressKey", "qt", static_cast<uint16_t>(*key), static_cast<uint64_t>(*flags));
        const char* answer = nullptr;
        if (r >= 0 && sd_bus_message_read(reply, "s", &answer) >= 0) std::printf("%s\n", answer);
    } else if (command == "answer" && args.size() == 2) {
        auto button = parseNumber(args[1]);
        if (!button) return fail("bad answer: " + args[1]);
        r = call("Answer", "x", static_cast<int64_t>(*button));
    } else if (command == "wake" && args.size() == 1) {
        r = call("Wake", "");
    } else if (command == "timeout" && args.size() == 1) {
        r = call("TimeOutTaps", "");
    } else if (command == "windows" && args.size() == 1) {
        r = call("Windows", "");
        if (r >= 0 && sd_bus_message_enter_container(reply, 'a', "(sddddb)") >= 0) {
            const char* title = nullptr;
            double x, y, w, h;
            int visible;
            while (sd_bus_message_read(reply, "(sddddb)", &title, &x, &y, &w, &h, &visible) > 0)
                std::printf("%s\t%g %g %g %g\t%s\n", title, x, y, w, h, visible ? "visible" : "hidden");
        }
    } else {
        return usage();
    }
    if (r < 0) return fail(error.message ? error.message : std::strerror(-r));
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return 0;
}
