#pragma once

// Fixtures shared by every test program: a private $HOME that is removed afterwards, a manual clock
// on the main run loop, environment variables set for one scope, and small file helpers.

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

namespace xqtest {

// Sets a variable for the scope; restores the earlier value (or its absence) afterwards.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A fresh temporary home folder, made the process's $HOME (and XQ_APPLICATION_DIRS pointed at its
// Applications folder) for the scope, then deleted with everything in it.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
    std::unique_ptr<ScopedEnv> home_, apps_;
};

// Installs a manual clock on the main run loop for the scope.
class ManualClockScope {
public:
    ManualClockScope();
    ~ManualClockScope();
    platform::ManualClock& clock() { return *clock_; }
    // Moves the clock, firing every timer and delayed block due on the way.
    void advance(double seconds);

private:
    std::shared_ptr<platform::ManualClock> clock_;
};

// Leaves the interface as a fresh session has it when the scope ends (and when it begins): no
// windows, the default screen, the application following the system appearance, no given or
// default answers for alerts and panels.
class InterfaceScope {
public:
    InterfaceScope();
    ~InterfaceScope();
    InterfaceScope(const InterfaceScope&) = delete;
    InterfaceScope& operator=(const InterfaceScope&) = delete;
};

void writeFile(const std::string& path, const std::string& contents);  // makes parent folders
std::optional<std::string> readFile(const std::string& path);
void makeDirectories(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> listDirectory(const std::string& path);

// Writes `dictionary` as an XML property list.
void writePlist(const std::string& path, const platform::Dictionary& dictionary);

// Makes an application bundle folder `<folder>/<name>.app` with an Info.plist carrying the bundle
// identifier, name and version (plus `extraInfo`), and an executable `Contents/MacOS/<name>` that is
// the given shell script (default: exits at once). Answers the bundle path.
std::string makeAppBundle(const std::string& folder, const std::string& name, const std::string& bundleId,
                          const std::string& version = "1.0", const platform::Dictionary& extraInfo = {},
                          const std::string& script = "#!/bin/sh\nexit 0\n");

// Runs a program to completion and answers its exit status and standard output.
struct ProgramResult {
    int status = -1;
    std::string output;
    std::string error;
};
ProgramResult runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});

}  // namespace xqtest
