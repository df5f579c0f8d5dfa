#include "platform/appkit/Workspace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PathUtilities.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/system/Session.h"

extern char** environ;

namespace platform {

namespace {

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<std::string> findInPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    for (const auto& folder : colonSeparatedList(path ? path : "/usr/bin:/bin"))
        if (FileManager::defaultManager().isExecutableFile(folder + "/" + program)) return folder + "/" + program;
    return std::nullopt;
}

// An installed application as the index knows it.
struct AppRecord {
    std::string path;
    std::string bundleIdentifier;
    std::string version;  // "0" when the bundle has none
    std::string name;     // display name, else bundle name, else folder name
    std::string folderName;
    std::optional<std::string> executable;
    std::vector<std::string> schemes;  // lower case
};

std::optional<AppRecord> readApplication(const std::string& path) {
    Bundle bundle(path);
    auto identifier = bundle.bundleIdentifier();
    // A bundle without a readable Info.plist or identifier is not an application the system knows.
    if (!bundle.hasInfo() || !identifier || identifier->empty()) return std::nullopt;
    AppRecord record;
    record.path = path;
    record.bundleIdentifier = *identifier;
    const auto& info = bundle.infoDictionary();
    auto text = [&](const char* key) -> std::optional<std::string> {
        auto it = info.find(key);
        if (it != info.end() && it->second.string()) return *it->second.string();
        return std::nullopt;
    };
    record.version = text("CFBundleShortVersionString").value_or("0");
    record.folderName = path.substr(path.rfind('/') + 1);
    if (record.folderName.ends_with(".app")) record.folderName.resize(record.folderName.size() - 4);
    record.name = text("CFBundleDisplayName").value_or(text("CFBundleName").value_or(record.folderName));
    record.executable = bundle.executablePath();
    if (auto it = info.find("CFBundleURLTypes"); it != info.end() && it->second.array())
        for (const auto& type : *it->second.array())
            if (const auto* schemes = type["CFBundleURLSchemes"].array())
                for (const auto& scheme : *schemes)
                    if (scheme.string()) record.schemes.push_back(lowercase(*scheme.string()));
    return record;
}

}  // namespace

int compareVersions(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        bool da = std::isdigit(static_cast<unsigned char>(a[i])), db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            std::size_t si = i, sj = j;
            while (i < a.size() && std::isdigit(static_cast<unsigned char>(a[i]))) ++i;
            while (j < b.size() && std::isdigit(static_cast<unsigned char>(b[j]))) ++j;
            std::string na = a.substr(si, i - si), nb = b.substr(sj, j - sj);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size()) return na.size() < nb.size() ? -1 : 1;
            if (int c = na.compare(nb)) return c < 0 ? -1 : 1;
        } else {
            if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            ++i;
            ++j;
        }
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

// The installed applications, kept up to date by watching the search folders with inotify: a lookup
// costs one read of the inotify descriptor while nothing changed.
struct Workspace::Index {
    int fd = -1;
    bool dirty = true;
    std::string folderKey;
    std::vector<AppRecord> apps;

    ~Index() {
        if (fd >= 0) ::close(fd);
    }

    static std::vector<std::string> searchFolders() {
        std::vector<std::string> folders = {"/Applications",
                                            FileManager::defaultManager().homeDirectory() + "/Applications"};
        if (const char* extra = std::getenv("XQ_APPLICATION_DIRS"))
            for (auto& folder : colonSeparatedList(extra)) folders.push_back(std::move(folder));
        std::vector<std::string> unique;
        for (auto& folder : folders) {
            while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
            if (std::find(unique.begin(), unique.end(), folder) == unique.end()) unique.push_back(folder);
        }
        return unique;
    }

    void watch(const std::string& path) {
        ::inotify_add_watch(fd, path.c_str(),
                            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB |
                                IN_DELETE_SELF | IN_MOVE_SELF);
    }

    void scanFolder(const std::string& folder, int depth) {
        watch(folder);
        auto names = FileManager::defaultManager().contentsOfDirectory(folder);
        if (!names) return;
        for (const auto& name : *names) {
            if (name.empty() || name[0] == '.') continue;
            std::string path = folder + "/" + name;
            if (!isDirectory(path)) continue;
            if (name.ends_with(".app")) {
                watch(path);
                if (isDirectory(path + "/Contents")) watch(path + "/Contents");
                if (auto record = readApplication(path)) apps.push_back(std::move(*record));
            } else if (depth < 1) {
                scanFolder(path, depth + 1);  // folders such as /Applications/Utilities
            }
        }
    }

    void refresh() {
        auto folders = searchFolders();
        std::string key;
        for (const auto& folder : folders) key += folder + '\n';
        if (key != folderKey) dirty = true;
        if (!dirty && fd >= 0) {
            alignas(inotify_event) char buffer[4096];
            while (::read(fd, buffer, sizeof buffer) > 0) dirty = true;
        }
        if (!dirty) return;

        if (fd >= 0) ::close(fd);
        fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        apps.clear();
        for (const auto& folder : folders) {
            if (isDirectory(folder)) {
                scanFolder(folder, 0);
                continue;
            }
            // A search folder that does not exist yet: watch the nearest folder above it that does,
            // so its creation marks the index stale without a stat on every lookup.
            std::string ancestor = folder;
            do {
                auto slash = ancestor.rfind('/');
                ancestor = slash == 0 || slash == std::string::npos ? std::string("/") : ancestor.substr(0, slash);
            } while (ancestor != "/" && !isDirectory(ancestor));
            watch(ancestor);
        }
        folderKey = key;
        dirty = fd < 0;  // without inotify, look again every time
    }
};

bool RunningApplication::isTerminated() const { return processIdentifier <= 0 || ::kill(processIdentifier, 0) != 0; }

std::shared_ptr<Workspace> Workspace::shared() {
    static const std::shared_ptr<Workspace> workspace = std::make_shared<Workspace>();
    return workspace;
}

Workspace::Workspace() : index_(std::make_unique<Index>()) {}
Workspace::~Workspace() = default;

std::vector<URL> Workspace::urlsForApplications(const std::string& bundleIdentifier) {
    std::lock_guard lock(mutex_);
    index_->refresh();
    std::vector<URL> urls;
    for (const auto& app : index_->apps)
        if (app.bundleIdentifier == bundleIdentifier) urls.push_back(URL::fileURLWithPath(app.path, true));
    return urls;
}

std::optional<URL> Workspace::urlForApplication(const std::string& bundleIdentifier) {
    std::lock_guard lock(mutex_);
    index_->refresh();
    const AppRecord* best = nullptr;
    for (const auto& app : index_->apps)
        if (app.bundleIdentifier == bundleIdentifier && (!best || compareVersions(app.version, best->version) > 0))
            best = &app;
    if (!best) return std::nullopt;
    return URL::fileURLWithPath(best->path, true);
}

std::optional<std::string> Workspace::versionOfApplication(const URL& applicationURL) {
    std::lock_guard lock(mutex_);
    index_->refresh();
    std::string path = applicationURL.path();
    for (const auto& app : index_->apps)
        if (app.path == path) return app.version;
    return std::nullopt;
}

std::optional<URL> Workspace::urlForApplicationToOpen(const URL& url) {
    std::lock_guard lock(mutex_);
    index_->refresh();
    std::string scheme = lowercase(url.scheme());
    for (const auto& app : index_->apps)
        if (std::find(app.schemes.begin(), app.schemes.end(), scheme) != app.schemes.end())
            return URL::fileURLWithPath(app.path, true);
    return std::nullopt;
}

void Workspace::setLauncher(Launcher launcher) {
    std::lock_guard lock(mutex_);
    launcher_ = std::move(launcher);
}

std::shared_ptr<RunningApplication> Workspace::launch(const LaunchRequest& request) {
    Launcher launcher;
    {
        std::lock_guard lock(mutex_);
        launcher = launcher_;
    }
    int pid = 0;
    if (launcher) {
        pid = launcher(request);
    } else {
        std::vector<std::string> args = {request.executable};
        args.insert(args.end(), request.arguments.begin(), request.arguments.end());
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // The application is a process of its own, not part of our process group.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        pid_t child = 0;
        if (posix_spawn(&child, request.executable.c_str(), &actions, &attributes, argv.data(), environ) == 0)
            pid = child;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (pid > 0) {
            // Reap the child when it ends, so it leaves no zombie behind.
            std::thread([child] {
                int status = 0;
                while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        }
    }
    if (pid <= 0) return nullptr;
    auto app = std::make_shared<RunningApplication>();
    app->bundleIdentifier = request.bundleIdentifier;
    app->localizedName = request.name;
    app->processIdentifier = pid;
    app->bundleURL = request.bundleURL;
    app->executableURL = URL::fileURLWithPath(request.executable);
    {
        std::lock_guard lock(mutex_);
        std::erase_if(launched_, [](const auto& a) { return a->isTerminated(); });
        launched_.push_back(app);
    }
    notificationCenter_.post(kWorkspaceDidLaunchApplicationNotification, app);
    return app;
}

namespace {
LaunchRequest requestFor(const AppRecord& app, std::vector<std::string> arguments) {
    return {*app.executable, std::move(arguments), app.bundleIdentifier, app.name,
            URL::fileURLWithPath(app.path, true)};
}
}  // namespace

bool Workspace::openURL(const URL& url) {
    std::optional<LaunchRequest> request;
    {
        std::lock_guard lock(mutex_);
        index_->refresh();
        if (url.isFileURL()) {
            std::string path = url.path();
            if (!FileManager::defaultManager().fileExists(path)) return false;
            if (path.ends_with(".app"))
                if (auto record = readApplication(path); record && record->executable)
                    request = requestFor(*record, {});
        }
        if (!request) {
            std::string scheme = lowercase(url.scheme());
            for (const auto& app : index_->apps)
                if (app.executable && std::find(app.schemes.begin(), app.schemes.end(), scheme) != app.schemes.end()) {
                    request = requestFor(app, {url.absoluteString()});
                    break;
                }
        }
    }
    if (!request) {
        std::string scheme = lowercase(url.scheme());
        static const std::set<std::string> desktopSchemes = {"file", "http", "https", "mailto", "ftp"};
        auto opener = findInPath("xdg-open");
        if (!desktopSchemes.count(scheme) || !opener) return false;
        request = LaunchRequest{*opener, {url.absoluteString()}, std::nullopt, "xdg-open", std::nullopt};
    }
    return launch(*request) != nullptr;
}

void Workspace::openApplication(
    const URL& applicationURL, const OpenConfiguration& configuration,
    std::function<void(std::shared_ptr<RunningApplication>, std::optional<std::string>)> completion) {
    auto record = readApplication(applicationURL.path());
    std::shared_ptr<RunningApplication> app;
    std::optional<std::string> error;
    if (!record || !record->executable) {
        error = "The application cannot be opened.";
    } else {
        app = launch(requestFor(*record, configuration.arguments));
        if (!app) error = "The application could not be launched.";
        else if (configuration.activates) Session::shared().setFrontmostApplication(record->bundleIdentifier);
    }
    if (completion) dispatch::main().async([completion, app, error] { completion(app, error); });
}

bool Workspace::launchApplication(const std::string& name) {
    std::string wanted = name.ends_with(".app") ? name.substr(0, name.size() - 4) : name;
    std::optional<AppRecord> found;
    {
        std::lock_guard lock(mutex_);
        index_->refresh();
        for (const auto& app : index_->apps)
            if ((app.name == wanted || app.folderName == wanted) && app.executable) {
                found = app;
                break;
            }
    }
    return found && launch(requestFor(*found, {})) != nullptr;
}

bool Workspace::launchApplication(const std::string& bundleIdentifier, const std::vector<std::string>& arguments) {
    auto url = urlForApplication(bundleIdentifier);
    if (!url) return false;
    auto record = readApplication(url->path());
    return record && record->executable && launch(requestFor(*record, arguments)) != nullptr;
}

namespace {

std::shared_ptr<RunningApplication> currentApplication() {
    auto self = std::make_shared<RunningApplication>();
    auto main = Bundle::main();
    self->bundleIdentifier = main->bundleIdentifier();
    self->localizedName = ProcessInfo::processInfo().processName();
    self->processIdentifier = ProcessInfo::processInfo().processIdentifier();
    self->bundleURL = main->bundleURL();
    char target[PATH_MAX];
    if (ssize_t n = ::readlink("/proc/self/exe", target, sizeof target - 1); n > 0)
        self->executableURL = URL::fileURLWithPath(std::string(target, static_cast<std::size_t>(n)));
    return self;
}

// The process `pid` when its program lies inside an application bundle (directly, or as the script a
// shell runs); null otherwise.
std::shared_ptr<RunningApplication> bundledProcess(int pid) {
    std::vector<std::string> candidates;
    char target[PATH_MAX];
    std::string base = "/proc/" + std::to_string(pid);
    if (ssize_t n = ::readlink((base + "/exe").c_str(), target, sizeof target - 1); n > 0)
        candidates.emplace_back(target, static_cast<std::size_t>(n));
    std::ifstream cmdline(base + "/cmdline", std::ios::binary);
    std::string arg;
    for (int k = 0; k < 2 && std::getline(cmdline, arg, '\0'); ++k) candidates.push_back(arg);
    for (const auto& candidate : candidates) {
        auto marker = candidate.find(".app/Contents/MacOS/");
        if (marker == std::string::npos) continue;
        auto record = readApplication(candidate.substr(0, marker + 4));
        if (!record) continue;
        auto app = std::make_shared<RunningApplication>();
        app->bundleIdentifier = record->bundleIdentifier;
        app->localizedName = record->name;
        app->processIdentifier = pid;
        app->bundleURL = URL::fileURLWithPath(record->path, true);
        app->executableURL = URL::fileURLWithPath(candidate);
        return app;
    }
    return nullptr;
}

}  // namespace

std::vector<std::shared_ptr<RunningApplication>> Workspace::runningApplications() {
    std::vector<std::shared_ptr<RunningApplication>> result;
    std::set<int> seen;
    auto self = currentApplication();
    result.push_back(self);
    seen.insert(self->processIdentifier);
    {
        std::lock_guard lock(mutex_);
        for (const auto& app : launched_)
            if (!app->isTerminated() && seen.insert(app->processIdentifier).second) result.push_back(app);
    }
    DIR* proc = ::opendir("/proc");
    if (!proc) return result;
    while (dirent* entry = ::readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        int pid = std::atoi(entry->d_name);
        if (seen.count(pid)) continue;
        if (auto app = bundledProcess(pid)) {
            result.push_back(app);
            seen.insert(pid);
        }
    }
    ::closedir(proc);
    return result;
}

std::shared_ptr<RunningApplication> Workspace::runningApplication(int pid) {
    if (pid <= 0) return nullptr;
    if (pid == ProcessInfo::processInfo().processIdentifier()) return currentApplication();
    {
        std::lock_guard lock(mutex_);
        for (const auto& app : launched_)
            if (app->processIdentifier == pid && !app->isTerminated()) return app;
    }
    return bundledProcess(pid);
}

std::shared_ptr<RunningApplication> RunningApplication::withProcessIdentifier(int pid) {
    return Workspace::shared()->runningApplication(pid);
}

void Workspace::activateFileViewerSelecting(const std::vector<URL>& urls) {
    std::vector<std::string> selection;
    for (const auto& url : urls) selection.push_back(url.absoluteString());
    auto& session = Session::shared();
    session.setFinderSelection(std::move(selection));
    session.setFrontmostApplication("com.apple.finder");
}

std::shared_ptr<RunningApplication> Workspace::frontmostApplication() {
    std::string frontmost = Session::shared().frontmostApplication();
    for (const auto& app : runningApplications())
        if (app->bundleIdentifier == frontmost) return app;
    auto app = std::make_shared<RunningApplication>();
    app->bundleIdentifier = frontmost;
    app->localizedName = frontmost == "com.apple.finder" ? "Finder" : frontmost;
    return app;
}

void Workspace::simulateSleep() { notificationCenter_.post(kWorkspaceWillSleepNotification, sharedFromThis<Object>()); }
void Workspace::simulateWake() { notificationCenter_.post(kWorkspaceDidWakeNotification, sharedFromThis<Object>()); }

}  // namespace platform
