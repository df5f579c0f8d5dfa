#include "support/PrivateBus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/RunLoop.h"

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

PeerProcess::PeerProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                         bool withError) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (withError) posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy = argv;
    for (auto& a : copy) args.push_back(a.data());
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    fd_ = out[0];
    fcntl(fd_, F_SETFL, O_NONBLOCK);
}

PeerProcess::~PeerProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) close(fd_);
}

void PeerProcess::readAvailable() {
    char buffer[4096];
    ssize_t n;
    while (fd_ >= 0 && (n = read(fd_, buffer, sizeof buffer)) > 0) {
        partial_.append(buffer, static_cast<std::size_t>(n));
        std::size_t nl;
        while ((nl = partial_.find('\n')) != std::string::npos) {
            lines_.push_back(partial_.substr(0, nl));
            partial_.erase(0, nl + 1);
        }
    }
}

bool PeerProcess::waitForLine(const std::string& line, double timeout) {
    return platform::RunLoop::main().runUntil(
        [&] {
            readAvailable();
            return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
        },
        timeout);
}

bool PeerProcess::waitForLines(std::size_t count, double timeout) {
    return platform::RunLoop::main().runUntil(
        [&] {
            readAvailable();
            return lines_.size() >= count;
        },
        timeout);
}

int PeerProcess::wait(double timeout) {
    if (pid_ <= 0) return status_;
    bool exited = platform::RunLoop::main().runUntil(
        [&] {
            readAvailable();
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
            return true;
        },
        timeout);
    readAvailable();
    return exited ? status_ : -1;
}

std::string peerProgram() { return XQ_TEST_PEER; }

}  // namespace xqtest
