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


#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/JSON.h"
#include "platform/foundation/RunLoop.h"

using platform::Value;

namespace {

int usage() {
    std::cerr << "usage: xq-notify post NAME [--user-info JSON]\n"
                 "       xq-notify observe NAME...\n";
    return 2;
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
            auto parsed = platform::parseJSON(args[3]);
            if (!parsed || !parsed->dictionary()) {
                std::cerr << "xq-notify: the user information must be a JSON object\n";
                return 2;
            }
            userInfo = *parsed->dictionary();
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
                if (info) line += " " + platform::jsonText(Value(*info));
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
