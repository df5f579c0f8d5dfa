#include "support/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/appkit/Appearance.h"
#include "platform/appkit/Screen.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/PropertyList.h"
#include "platform/system/UserResponses.h"

extern char** environ;

namespace xqtest {

namespace fs = std::filesystem;

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) old_ = old;
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

TempHome::TempHome() {
    std::string pattern = (fs::temp_directory_path() / "xqhome-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    path_ = fs::canonical(buffer.data()).string();
    fs::create_directories(path_ + "/Applications");
    home_ = std::make_unique<ScopedEnv>("HOME", path_);
    apps_ = std::make_unique<ScopedEnv>("XQ_APPLICATION_DIRS", path_ + "/Applications");
}

TempHome::~TempHome() {
    apps_.reset();
    home_.reset();
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

ManualClockScope::ManualClockScope() : clock_(std::make_shared<platform::ManualClock>()) {
    platform::RunLoop::main().setClock(clock_);
}

ManualClockScope::~ManualClockScope() { platform::RunLoop::main().setClock(nullptr); }

void ManualClockScope::advance(double seconds) { platform::RunLoop::main().advanceBy(seconds); }

void makeDirectories(const std::string& path) { fs::create_directories(path); }

void writeFile(const std::string& path, const std::string& contents) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path, ignored)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writePlist(const std::string& path, const platform::Dictionary& dictionary) {
    auto data = platform::PropertyList::serialize(platform::Value(dictionary), platform::PropertyList::Format::XML);
    writeFile(path, data ? data->toString() : std::string());
}

std::string makeAppBundle(const std::string& folder, const std::string& name, const std::string& bundleId,
                          const std::string& version, const platform::Dictionary& extraInfo,
                          const std::string& script) {
    std::string bundle = folder + "/" + name + ".app";
    platform::Dictionary info = extraInfo;
    info["CFBundleIdentifier"] = bundleId;
    info["CFBundleName"] = name;
    info["CFBundleExecutable"] = name;
    info["CFBundleShortVersionString"] = version;
    info["CFBundleVersion"] = "1";
    info["CFBundlePackageType"] = "APPL";
    writePlist(bundle + "/Contents/Info.plist", info);
    std::string executable = bundle + "/Contents/MacOS/" + name;
    writeFile(executable, script);
    ::chmod(executable.c_str(), 0755);
    return bundle;
}

ProgramResult runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    ProgramResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        auto name = entry.substr(0, entry.find('='));
        if (!env.count(name)) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = argv;
    for (auto& s : argCopy) args.push_back(s.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rc == 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        int open = 2;
        char buffer[65536];
        while (open > 0) {
            if (::poll(fds, 2, -1) < 0) break;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !fds[i].revents) continue;
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    fds[i].fd = -1;
                    --open;
                } else {
                    (i == 0 ? result.output : result.error).append(buffer, static_cast<std::size_t>(n));
                }
            }
        }
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    close(out[0]);
    close(err[0]);
    return result;
}

namespace {
void resetInterface() {
    platform::Window::closeAll();
    platform::Screen::resetScreens();
    platform::Appearance::setApplication(nullptr);
    platform::Appearance::systemSettingChanged();
    platform::UserResponses::shared().reset();
    platform::RunLoop::main().runPending();
    platform::UserResponses::shared().reset();
}
}  // namespace

InterfaceScope::InterfaceScope() { resetInterface(); }
InterfaceScope::~InterfaceScope() { resetInterface(); }

}  // namespace xqtest
