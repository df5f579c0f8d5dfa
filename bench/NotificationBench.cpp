// Request and reply between two processes through XQCFNotificationCenter, beside a ping-pong of raw
// sd-bus signals between the same two processes, both on a private session bus; and a burst of
// 10,000 notifications from the other process, checked to arrive complete and in order.
//
// The program is its own peer: started with --xqcf-peer or --raw-peer it answers instead.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "XQKit/XQCFNotificationCenter.h"
#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"

extern char** environ;

namespace {

constexpr int kBurst = 10000;
std::string gSelf;

class Token : public platform::Object {};

// ---- the peer ----------------------------------------------------------------------------------

int xqcfPeer() {
    auto center = XQCFNotificationCenter::shared();
    auto self = std::make_shared<Token>();
    bool done = false;
    center->addObserver(self, "bench.ask", [](const XQUserInfo& info, const XQCFNotificationCenter::ReplyFunction& reply) {
        reply(info);
    });
    center->addObserver(self, "bench.burst", XQCFNotificationCenter::ReceiveHandler([center](const XQUserInfo&) {
        for (int i = 0; i < kBurst; ++i) center->postCFNotification("bench.item", platform::Dictionary{{"i", i}});
    }));
    center->addObserver(self, "bench.quit", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo&) { done = true; }));
    platform::DistributedNotificationCenter::defaultCenter().processIncoming();
    write(1, "ready\n", 6);
    while (!done) platform::RunLoop::main().runUntil([&] { return done; }, 60.0);
    return 0;
}

constexpr const char* kPath = "/bench";
constexpr const char* kInterface = "org.xqkit.Bench";

int rawPong(sd_bus_message* m, void* userdata, sd_bus_error*) {
    std::uint32_t seq = 0;
    sd_bus_message_read(m, "u", &seq);
    auto* bus = static_cast<sd_bus*>(userdata);
    if (seq == UINT32_MAX) std::exit(0);
    sd_bus_emit_signal(bus, kPath, kInterface, "Pong", "u", seq);
    sd_bus_flush(bus);
    return 0;
}

int rawPeer() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return 1;
    sd_bus_add_match(bus, nullptr, "type='signal',path='/bench',interface='org.xqkit.Bench',member='Ping'", rawPong, bus);
    write(1, "ready\n", 6);
    while (true) {
        int r = sd_bus_process(bus, nullptr);
        if (r < 0) return 1;
        if (r == 0) sd_bus_wait(bus, UINT64_MAX);
    }
}

// ---- the bus and the peer process --------------------------------------------------------------

struct PrivateBus {
    pid_t pid = -1;
    std::string folder;
    PrivateBus() {
        char pattern[] = "/tmp/xqbench-XXXXXX";
        folder = mkdtemp(pattern);
        std::ofstream(folder + "/bus.conf")
            << "<busconfig><type>session</type><listen>unix:path=" << folder
            << "/socket</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
               "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        std::string address = "unix:path=" + folder + "/socket";
        std::string config = "--config-file=" + folder + "/bus.conf";
        char* argv[] = {const_cast<char*>("dbus-daemon"), config.data(), const_cast<char*>("--nofork"),
                        const_cast<char*>("--nopidfile"), nullptr};
        posix_spawnp(&pid, "dbus-daemon", nullptr, nullptr, argv, environ);
        for (int i = 0; i < 500 && !std::filesystem::exists(folder + "/socket"); ++i) usleep(10000);
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    ~PrivateBus() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::filesystem::remove_all(folder);
    }
};

struct Peer {
    pid_t pid = -1;
    explicit Peer(const char* mode) {
        int out[2];
        pipe2(out, O_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        char* argv[] = {gSelf.data(), const_cast<char*>(mode), nullptr};
        posix_spawn(&pid, gSelf.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char buffer[16];
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 10000) > 0) (void)!read(out[0], buffer, sizeof buffer);
        close(out[0]);
    }
    ~Peer() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

// ---- the benchmarks ----------------------------------------------------------------------------

void BM_XQCF_RequestReply(benchmark::State& state) {
    PrivateBus bus;
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
    Peer peer("--xqcf-peer");
    auto center = XQCFNotificationCenter::shared();
    auto self = std::make_shared<Token>();
    std::int64_t sent = 0, answered = -1;
    auto& loop = platform::RunLoop::main();
    for (auto _ : state) {
        ++sent;
        center->postCFNotification("bench.ask", platform::Dictionary{{"seq", sent}}, self, [&](const XQUserInfo& info) {
            if (info) answered = platform::Value(*info)["seq"].integerValue().value_or(-1);
        });
        if (!loop.runUntil([&] { return answered == sent; }, 10.0)) {
            state.SkipWithError("no reply");
            break;
        }
    }
    center->postCFNotification("bench.quit");
    center->removeAllObservers();
}
BENCHMARK(BM_XQCF_RequestReply)->Unit(benchmark::kMicrosecond)->UseRealTime();

int rawReply(sd_bus_message* m, void* userdata, sd_bus_error*) {
    sd_bus_message_read(m, "u", static_cast<std::uint32_t*>(userdata));
    return 0;
}

void BM_Baseline_RawSdBusPingPong(benchmark::State& state) {
    PrivateBus bus;
    Peer peer("--raw-peer");
    sd_bus* conn = nullptr;
    sd_bus_open_user(&conn);
    std::uint32_t got = 0, seq = 0;
    sd_bus_add_match(conn, nullptr, "type='signal',path='/bench',interface='org.xqkit.Bench',member='Pong'", rawReply, &got);
    for (auto _ : state) {
        ++seq;
        sd_bus_emit_signal(conn, kPath, kInterface, "Ping", "u", seq);
        sd_bus_flush(conn);
        while (got != seq) {
            int r = sd_bus_process(conn, nullptr);
            if (r < 0) break;
            if (r == 0) sd_bus_wait(conn, UINT64_MAX);
        }
    }
    sd_bus_emit_signal(conn, kPath, kInterface, "Ping", "u", UINT32_MAX);
    sd_bus_flush_close_unref(conn);
}
BENCHMARK(BM_Baseline_RawSdBusPingPong)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The other process posts 10,000 notifications at once; all must arrive, in order.
void BM_XQCF_Burst10000(benchmark::State& state) {
    PrivateBus bus;
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
    Peer peer("--xqcf-peer");
    auto center = XQCFNotificationCenter::shared();
    auto self = std::make_shared<Token>();
    int next = 0;
    bool inOrder = true;
    center->addObserver(self, "bench.item", XQCFNotificationCenter::ReceiveHandler([&](const XQUserInfo& info) {
        if (!info || platform::Value(*info)["i"].integerValue() != next) inOrder = false;
        ++next;
    }));
    auto& loop = platform::RunLoop::main();
    for (auto _ : state) {
        next = 0;
        center->postCFNotification("bench.burst");
        if (!loop.runUntil([&] { return next >= kBurst; }, 60.0) || !inOrder) {
            state.SkipWithError("burst incomplete or out of order");
            break;
        }
    }
    state.counters["delivered"] = next;
    state.SetItemsProcessed(state.iterations() * kBurst);
    center->postCFNotification("bench.quit");
    center->removeAllObservers();
}
BENCHMARK(BM_XQCF_Burst10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    gSelf = std::filesystem::canonical("/proc/self/exe").string();
    if (argc > 1 && std::strcmp(argv[1], "--xqcf-peer") == 0) return xqcfPeer();
    if (argc > 1 && std::strcmp(argv[1], "--raw-peer") == 0) return rawPeer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
