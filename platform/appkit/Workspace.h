#pragma once

// The workspace: installed applications (".app" bundle folders in /Applications, ~/Applications and
// the folders listed in XQ_APPLICATION_DIRS), running applications, launching them and opening URLs.
// A URL opens in the application whose Info.plist claims its scheme (CFBundleURLTypes), started with
// the URL as its argument; file and web URLs with no such application go to xdg-open when present.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/Object.h"

namespace platform {

inline const std::string kWorkspaceDidWakeNotification = "NSWorkspaceDidWakeNotification";
inline const std::string kWorkspaceWillSleepNotification = "NSWorkspaceWillSleepNotification";
inline const std::string kWorkspaceDidLaunchApplicationNotification = "NSWorkspaceDidLaunchApplicationNotification";
inline const std::string kWorkspaceDidTerminateApplicationNotification =
    "NSWorkspaceDidTerminateApplicationNotification";

class RunningApplication : public Object {
public:
    std::optional<std::string> bundleIdentifier;
    std::string localizedName;
    int processIdentifier = 0;
    std::optional<URL> bundleURL;
    // The program the process runs, when known.
    std::optional<URL> executableURL;
    bool isTerminated() const;

    // The running application with this process identifier (this program, one the workspace
    // started, or a process whose program lies inside an application bundle); null when none.
    static std::shared_ptr<RunningApplication> withProcessIdentifier(int pid);
};

struct OpenConfiguration {
    bool activates = true;
    std::vector<std::string> arguments;
};

// What the workspace starts: an executable with its arguments.
struct LaunchRequest {
    std::string executable;
    std::vector<std::string> arguments;
    std::optional<std::string> bundleIdentifier;
    std::string name;
    std::optional<URL> bundleURL;
};

class Workspace : public Object {
public:
    static std::shared_ptr<Workspace> shared();

    // The workspace's own notification center (wake, sleep, launches).
    NotificationCenter& notificationCenter() { return notificationCenter_; }

    // Every installed copy of the application, in search-folder order.
    std::vector<URL> urlsForApplications(const std::string& bundleIdentifier);
    // The one copy the system prefers: the highest version, the first found among equals.
    std::optional<URL> urlForApplication(const std::string& bundleIdentifier);
    // The "CFBundleShortVersionString" of the installed application at `applicationURL` ("0" when it
    // has none), from the workspace's index; absent when no application is installed there.
    std::optional<std::string> versionOfApplication(const URL& applicationURL);
    // The application that opens the URL.
    std::optional<URL> urlForApplicationToOpen(const URL& url);

    bool openURL(const URL& url);
    void openApplication(const URL& applicationURL, const OpenConfiguration& configuration,
                         std::function<void(std::shared_ptr<RunningApplication>, std::optional<std::string> error)>
                             completion);
    // Starts an application by its name ("Torvane" or "Torvane.app"); false when none has that name or
    // it cannot be started.
    bool launchApplication(const std::string& name);
    bool launchApplication(const std::string& bundleIdentifier, const std::vector<std::string>& arguments);

    // Reveals the items in Finder: Finder becomes frontmost with exactly these items selected.
    void activateFileViewerSelecting(const std::vector<URL>& urls);

    std::vector<std::shared_ptr<RunningApplication>> runningApplications();
    std::shared_ptr<RunningApplication> runningApplication(int pid);
    std::shared_ptr<RunningApplication> frontmostApplication();

    // Replaces how applications are started (tests and benchmarks that must not start processes).
    // The handler answers the started process's identifier, or 0 on failure. Null restores spawning.
    using Launcher = std::function<int(const LaunchRequest&)>;
    void setLauncher(Launcher launcher);

    // The computer went to sleep / woke: posts the workspace notifications.
    void simulateSleep();
    void simulateWake();

    Workspace();
    ~Workspace() override;

private:
    struct Index;
    std::shared_ptr<RunningApplication> launch(const LaunchRequest& request);

    NotificationCenter notificationCenter_;
    std::unique_ptr<Index> index_;
    std::mutex mutex_;
    Launcher launcher_;
    std::vector<std::shared_ptr<RunningApplication>> launched_;
};

// Compares version texts with numeric comparison of digit runs ("3.10" > "3.9").
int compareVersions(const std::string& a, const std::string& b);

}  // namespace platform
