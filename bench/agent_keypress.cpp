// A Space press through the running agent, end to end: from the PressKey call on the bus to the reply,
// which comes once the tap has swallowed the key, the selection is stored and the scheme handler has
// been started; beside the round trip of a bare method call to the same agent (the bus's Ping).

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

pid_t spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// A private bus, a home with a stand-in Torvane and the preview on, and the agent, trusted.
struct Setup {
    std::string home, busFolder, agentName;
    pid_t bus = -1, agent = -1;
    sd_bus* client = nullptr;

    Setup() {
        char pattern[] = "/tmp/xqbench-agent-XXXXXX";
        home = mkdtemp(pattern);
        busFolder = home + "/bus";
        std::filesystem::create_directories(busFolder);
        std::string address = "unix:path=" + busFolder + "/socket";
        bus = spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address});
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XQ_APPLICATION_DIRS", (home + "/Applications").c_str(), 1);
        setenv("XQ_SESSION_TRUSTED", "1", 1);
        std::string app = home + "/Applications/TorvanePro.app/Contents";
        std::filesystem::create_directories(app + "/MacOS");
        std::ofstream(app + "/Info.plist")
            << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
               "<key>CFBundleIdentifier</key><string>com.holmquay.TorvanePro</string>"
               "<key>CFBundleExecutable</key><string>TorvanePro</string>"
               "<key>CFBundleURLTypes</key><array><dict><key>CFBundleURLSchemes</key><array><string>TorvanePro</string>"
               "</array></dict></array></dict></plist>";
        std::ofstream(app + "/MacOS/TorvanePro") << "#!/bin/sh\nexit 0\n";
        chmod((app + "/MacOS/TorvanePro").c_str(), 0755);
        std::string prefs = home + "/Library/Group Containers/Q7T3VN5XK2.group.cn.holmquay.Torvane/Library/Preferences";
        std::filesystem::create_directories(prefs);
        std::ofstream(prefs + "/Q7T3VN5XK2.group.cn.holmquay.Torvane.plist")
            << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>configPro</key><dict>"
               "<key>spacePreviewStyle</key><integer>1</integer></dict></dict></plist>";
        std::ofstream(home + "/a.zip") << "PK";

        for (int i = 0; i < 100 && sd_bus_open_user(&client) < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        agent = spawn({std::string(XQ_TORVANE_BUNDLE) + "/Contents/MacOS/TorvaneTool"});
        agentName = "org.xqkit.Session.p" + std::to_string(agent);
        for (int i = 0; i < 200; ++i) {
            if (sd_bus_call_method(client, agentName.c_str(), "/org/xqkit/Session", "org.xqkit.Session", "SelectInFinder",
                                   nullptr, nullptr, "as", 1, ("file://" + home + "/a.zip").c_str()) >= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        // The tap comes with the launch sequence; one press makes sure it is there.
        for (int i = 0; i < 200 && press() != "swallowed"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~Setup() {
        sd_bus_flush_close_unref(client);
        for (pid_t pid : {agent, bus})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        std::filesystem::remove_all(home);
    }
    std::string press() {
        sd_bus_message* reply = nullptr;
        std::string answer;
        if (sd_bus_call_method(client, agentName.c_str(), "/org/xqkit/Session", "org.xqkit.Session", "PressKey", nullptr,
                               &reply, "qt", uint16_t{49}, uint64_t{0}) >= 0) {
            const char* text = nullptr;
            if (sd_bus_message_read(reply, "s", &text) >= 0 && text) answer = text;
        }
        sd_bus_message_unref(reply);
        return answer;
    }
    void ping() {
        sd_bus_call_method(client, agentName.c_str(), "/org/xqkit/Session", "org.freedesktop.DBus.Peer", "Ping", nullptr,
                           nullptr, "");
    }
};

Setup& setup() {
    static Setup instance;
    return instance;
}

void BM_SpacePressToHandlerStart(benchmark::State& state) {
    auto& s = setup();
    for (auto _ : state)
        if (s.press() != "swallowed") state.SkipWithError("the press was not swallowed");
}
BENCHMARK(BM_SpacePressToHandlerStart)->Iterations(1)->Repetitions(100)->ReportAggregatesOnly(true)->UseRealTime();

void BM_BareMethodCallToAgent(benchmark::State& state) {
    auto& s = setup();
    for (auto _ : state) s.ping();
}
BENCHMARK(BM_BareMethodCallToAgent)->Iterations(1)->Repetitions(100)->ReportAggregatesOnly(true)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
