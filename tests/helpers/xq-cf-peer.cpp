// A second process for the cross-process tests and benchmarks, talking through XQCFNotificationCenter.
//
//   xq-cf-peer respond NAME            answers each request NAME with its user information plus
//                                      "from" = "peer"
//   xq-cf-peer observe NAME            two observers A and B print "A <info>" / "B <info>";
//                                      NAME.removeA removes A and prints "removedA"
//   xq-cf-peer post NAME [K=V...|--empty]   posts NAME (text values; --empty: an empty dictionary)
//   xq-cf-peer request NAME [K=V...]   posts a request and prints the reply's user information
//
// The long-running modes print "ready" once registered and quit on NAME.quit. <info> is the user
// information's description, or "nil" when the notification carries none.

#include <iostream>
#include <string>
#include <vector>

#include "XQKit/XQCFNotificationCenter.h"
#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"

namespace {

std::string describe(const XQUserInfo& info) { return info ? platform::Value(*info).description() : "nil"; }

XQUserInfo parse(const std::vector<std::string>& args, std::size_t from) {
    if (args.size() <= from) return std::nullopt;
    platform::Dictionary d;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (args[i] == "--empty") continue;
        auto eq = args[i].find('=');
        if (eq != std::string::npos) d[args[i].substr(0, eq)] = args[i].substr(eq + 1);
    }
    return d;
}

class Peer : public platform::Object {};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return 2;
    const std::string& mode = args[0];
    const std::string& name = args[1];
    auto center = XQCFNotificationCenter::shared();
    if (!platform::DistributedNotificationCenter::defaultCenter().isConnected()) return 3;
    auto& loop = platform::RunLoop::main();
    bool done = false;
    auto self = std::make_shared<Peer>();

    if (mode == "post") {
        center->postCFNotification(name, parse(args, 2));
        return 0;
    }
    if (mode == "request") {
        center->postCFNotification(name, parse(args, 2), self, [&](const XQUserInfo& info) {
            std::cout << describe(info) << std::endl;
            done = true;
        });
        return loop.runUntil([&] { return done; }, 20.0) ? 0 : 1;
    }
    center->addObserver(self, name + ".quit", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) {
        done = true;
    }));
    if (mode == "respond") {
        center->addObserver(self, name, [](const XQUserInfo& info, const XQCFNotificationCenter::ReplyFunction& reply) {
            platform::Dictionary answer = info ? *info : platform::Dictionary();
            answer["from"] = "peer";
            reply(answer);
        });
    } else if (mode == "observe") {
        auto a = std::make_shared<Peer>(), b = std::make_shared<Peer>();
        center->addObserver(a, name, XQCFNotificationCenter::ReceiveHandler([](const XQUserInfo& info) {
            std::cout << "A " << describe(info) << std::endl;
        }));
        center->addObserver(b, name, XQCFNotificationCenter::ReceiveHandler([](const XQUserInfo& info) {
            std::cout << "B " << describe(info) << std::endl;
        }));
        center->addObserver(self, name + ".removeA", XQCFNotificationCenter::ReceiveHandler([center, a, name](const XQUserInfo&) {
            center->removeObserver(a, name);
            std::cout << "removedA" << std::endl;
        }));
    } else {
        return 2;
    }
    // The match rule is in place once registration returned; make sure it reached the bus.
    platform::DistributedNotificationCenter::defaultCenter().processIncoming();
    std::cout << "ready" << std::endl;
    while (!done) loop.runUntil([&] { return done; }, 60.0);
    center->removeAllObservers();
    return 0;
}
