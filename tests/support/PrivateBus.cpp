#include "support/PrivateBus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/foundation/DistributedNotificationCenter.h"

extern char** environ;

namespace xqtest {

namespace fs = std::filesystem;

PrivateBus::PrivateBus() {
    std::string pattern = (fs::temp_directory_path() / "xqbus-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = buffer.data();
    writeFile(folder_ + "/bus.conf",
              "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig>\n"
              "  <type>session</type>\n"
              "  <listen>unix:path=" + folder_ + "/socket</listen>\n"
              "  <auth>EXTERNAL</auth>\n"
              "  <policy context=\"default\">\n"
              "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
              "    <allow eavesdrop=\"true\"/>\n"
              "    <allow own=\"*\"/>\n"
              "  </policy>\n"
              "</busconfig>\n");
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::string config = "--config-file=" + folder_ + "/bus.conf";
    std::vector<std::string> args = {"dbus-daemon", config, "--print-address", "--nofork", "--nopidfile"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int rc = posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        pid_ = -1;
        close(out[0]);
        return;
    }
    // The daemon prints its address once it listens.
    std::string line;
    char c;
    pollfd pfd{out[0], POLLIN, 0};
    while (::poll(&pfd, 1, 10000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    address_ = line;
    env_ = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", address_);
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
}

PrivateBus::~PrivateBus() {
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
    env_.reset();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status;
        waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

NoBus::NoBus() {
    env_ = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS",
                                       std::string("unix:path=/nonexistent/xq-no-bus-here"));
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
}

NoBus::~NoBus() {
    env_.reset();
    platform::DistributedNotificationCenter::defaultCenter().reconnect();
}

}  // namespace xqtest
