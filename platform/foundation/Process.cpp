#include "platform/foundation/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace platform {

namespace fs = std::filesystem;

namespace {

std::string lastComponent(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> configured(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

// The child's environment: ours, plus a bash function standing in for `osascript` when one is
// configured, so command lines run through bash find it by name as they would on the original system.
std::vector<std::string> childEnvironment(bool* changed) {
    std::vector<std::string> env;
    *changed = false;
    auto osascript = configured("XQ_TOOL_OSASCRIPT");
    if (!osascript) return env;
    *changed = true;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "BASH_FUNC_osascript%%=", 22) != 0) env.emplace_back(*e);
    env.emplace_back("BASH_FUNC_osascript%%=() {  exec \"$XQ_TOOL_OSASCRIPT\" \"$@\"\n}");
    return env;
}

struct Pipe {
    int read = -1, write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        // A larger pipe means fewer wake-ups when a child writes a lot.
        ::fcntl(read, F_SETPIPE_SZ, 1 << 20);
        return true;
    }
    void close() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
        read = write = -1;
    }
};

int spawn(pid_t* pid, const std::string& path, const std::vector<std::string>& arguments,
          posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    std::string argv0 = path;
    argv.push_back(argv0.data());
    std::vector<std::string> copy = arguments;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    bool changed = false;
    std::vector<std::string> env = childEnvironment(&changed);
    std::vector<char*> envp;
    if (changed) {
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The child starts with an empty signal mask and with default dispositions for the signals a
    // parent commonly ignores (handled ones are reset by exec anyway), whatever ours are.
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2, SIGTSTP, SIGTTIN, SIGTTOU})
        sigaddset(&reset, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &reset);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int rc = ::posix_spawn(pid, path.c_str(), actions, &attributes, argv.data(), changed ? envp.data() : environ);
    posix_spawnattr_destroy(&attributes);
    return rc;
}

}  // namespace

Process::~Process() {
    // A child must never outlive the object that started it unreaped.
    if (pid_ > 0 && !exited_) waitUntilExit();
    closePipes();
}

void Process::closePipes() {
    if (outFd_ >= 0) ::close(outFd_);
    if (errFd_ >= 0) ::close(errFd_);
    outFd_ = errFd_ = -1;
}

std::optional<std::string> Process::toolsDirectory() {
    std::error_code ignored;
    auto self = fs::read_symlink("/proc/self/exe", ignored);
    std::vector<std::string> candidates;
    if (!ignored) candidates.push_back(self.parent_path().string());
#ifdef XQ_TOOLS_BUILD_DIR
    candidates.emplace_back(XQ_TOOLS_BUILD_DIR);
#endif
#ifdef XQ_TOOLS_INSTALL_DIR
    candidates.emplace_back(XQ_TOOLS_INSTALL_DIR);
#endif
    for (const auto& folder : candidates)
        if (isExecutableFile(folder + "/xq-open")) return folder;
    return std::nullopt;
}

std::optional<std::string> Process::resolveExecutable(const std::string& path) {
    if (path == "/usr/bin/open") {
        auto folder = toolsDirectory();
        if (!folder) return std::nullopt;
        return *folder + "/xq-open";
    }
    if (path == "/usr/bin/codesign" || path == "codesign") return configured("XQ_TOOL_CODESIGN");
    if (path == "/usr/bin/osascript" || path == "osascript") return configured("XQ_TOOL_OSASCRIPT");
    return path;
}

std::string Process::launchErrorDescription(const std::string& path, int error) {
    std::string name = lastComponent(path);
    switch (error) {
        case ENOENT:
        case ENOTDIR: return "The file “" + name + "” doesn’t exist.";
        case EACCES:
        case EPERM: return "The file “" + name + "” couldn’t be opened because you don’t have permission to view it.";
        default: return "The operation couldn’t be completed. (" + std::string(std::strerror(error)) + ")";
    }
}

bool Process::run(std::string* error) {
    auto fail = [&](int code) {
        if (error) *error = launchErrorDescription(executablePath, code);
        return false;
    };
    if (pid_ > 0) return fail(EBUSY);
    auto resolved = resolveExecutable(executablePath);
    if (!resolved || resolved->empty()) return fail(ENOENT);
    // posix_spawn would run a folder or a non-executable file's failure late; check first so the
    // description names the right cause.
    struct stat st {};
    if (::stat(resolved->c_str(), &st) != 0) return fail(errno);
    if (S_ISDIR(st.st_mode) || ::access(resolved->c_str(), X_OK) != 0) return fail(EACCES);

    Pipe out, err;
    if (standardOutput == Stream::Pipe && !out.open()) return fail(errno);
    if (standardError == Stream::Pipe && !err.open()) {
        int code = errno;
        out.close();
        return fail(code);
    }
    if (standardError == Stream::ToOutput && standardOutput != Stream::Pipe) standardError = standardOutput;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    auto route = [&](Stream stream, int target, const Pipe& pipe) {
        switch (stream) {
            case Stream::Inherit: break;
            case Stream::Null:
                posix_spawn_file_actions_addopen(&actions, target, "/dev/null", target == 0 ? O_RDONLY : O_WRONLY, 0);
                break;
            case Stream::Pipe: posix_spawn_file_actions_adddup2(&actions, pipe.write, target); break;
            case Stream::ToOutput: posix_spawn_file_actions_adddup2(&actions, out.write, target); break;
        }
    };
    route(standardInput == Stream::Null ? Stream::Null : Stream::Inherit, 0, out);
    route(standardOutput, 1, out);
    route(standardError, 2, err);

    pid_t pid = -1;
    int rc = spawn(&pid, *resolved, arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    // Our copies of the write ends go at once, so the reads see the end when the child exits.
    if (out.write >= 0) ::close(out.write);
    if (err.write >= 0) ::close(err.write);
    out.write = err.write = -1;
    if (rc != 0) {
        out.close();
        err.close();
        return fail(rc);
    }
    pid_ = pid;
    exited_ = false;
    outFd_ = out.read;
    errFd_ = err.read;
    output_ = Data();
    error_ = Data();
    return true;
}

namespace {

// Bytes read from one pipe, kept in uninitialised blocks and joined once at the end, so a large
// output is copied exactly once and nothing is zero-filled in advance.
class Collector {
public:
    static constexpr std::size_t kBlock = 1 << 20;
    // Room for the next read.
    std::pair<std::uint8_t*, std::size_t> room() {
        if (blocks_.empty() || used_ == kBlock) {
            blocks_.emplace_back(new std::uint8_t[kBlock]);
            used_ = 0;
        }
        return {blocks_.back().get() + used_, kBlock - used_};
    }
    void commit(std::size_t n) { used_ += n; }
    void moveInto(std::vector<std::uint8_t>& sink) {
        if (blocks_.empty()) return;
        std::size_t total = (blocks_.size() - 1) * kBlock + used_;
        sink.reserve(sink.size() + total);
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            std::size_t n = i + 1 == blocks_.size() ? used_ : kBlock;
            sink.insert(sink.end(), blocks_[i].get(), blocks_[i].get() + n);
        }
        blocks_.clear();
    }

private:
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
    std::size_t used_ = 0;
};

}  // namespace

void Process::waitUntilExit() {
    if (pid_ <= 0 || exited_) return;
    Collector collectors[2];
    int fds[2] = {outFd_, errFd_};
    while (fds[0] >= 0 || fds[1] >= 0) {
        pollfd polls[2];
        nfds_t count = 0;
        int which[2];
        for (int i = 0; i < 2; ++i)
            if (fds[i] >= 0) {
                polls[count] = {fds[i], POLLIN, 0};
                which[count++] = i;
            }
        if (::poll(polls, count, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (nfds_t k = 0; k < count; ++k) {
            if (!polls[k].revents) continue;
            int i = which[k];
            auto [at, room] = collectors[i].room();
            ssize_t n = ::read(fds[i], at, room);
            if (n > 0) {
                collectors[i].commit(static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            ::close(fds[i]);
            fds[i] = -1;
        }
    }
    collectors[0].moveInto(output_.mutableBytes());
    collectors[1].moveInto(error_.mutableBytes());
    outFd_ = errFd_ = -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exited_ = true;
    if (WIFSIGNALED(status)) {
        reason_ = TerminationReason::UncaughtSignal;
        status_ = WTERMSIG(status);
    } else {
        reason_ = TerminationReason::Exit;
        status_ = WEXITSTATUS(status);
    }
}

bool Process::launchDetached(const std::string& path, const std::vector<std::string>& arguments, std::string* error) {
    auto resolved = resolveExecutable(path);
    if (!resolved || ::access(resolved->c_str(), X_OK) != 0) {
        if (error) *error = launchErrorDescription(path, resolved ? errno : ENOENT);
        return false;
    }
    // A short-lived shell starts the program in the background and exits; we reap the shell, and the
    // program, now an orphan, is adopted by init, so it never becomes a zombie of ours.
    Process shell;
    shell.executablePath = "/bin/sh";
    shell.arguments = {"-c", "\"$0\" \"$@\" &", *resolved};
    shell.arguments.insert(shell.arguments.end(), arguments.begin(), arguments.end());
    if (!shell.run(error)) return false;
    shell.waitUntilExit();
    return true;
}

}  // namespace platform
