#pragma once

// Child processes: one executable with its arguments, started with posix_spawn, with standard
// input, output and error each inherited, sent to the null device, or collected through a pipe.
//
// `waitUntilExit` drains every pipe with poll while the child runs, so a child that writes hundreds
// of megabytes on either stream never blocks; it returns once the child has exited and every pipe
// has reached its end. No descriptor of ours leaks into the child (all are close-on-exec) and none
// outlives the Process object.
//
// Paths of the system's own tools are mapped to what serves them here: "/usr/bin/open" is our
// `xq-open` program; "/usr/bin/codesign" and "osascript" exist only when configured through
// XQ_TOOL_CODESIGN / XQ_TOOL_OSASCRIPT.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/foundation/Data.h"
#include "platform/runtime/Object.h"

namespace platform {

class Process : public Object {
public:
    enum class Stream {
        Inherit,     // the parent's descriptor
        Null,        // /dev/null ("none")
        Pipe,        // a pipe of its own, read by waitUntilExit
        ToOutput,    // standard error only: the same pipe as standard output
    };
    enum class TerminationReason { Exit, UncaughtSignal };

    Process() = default;
    ~Process() override;

    std::string executablePath;
    std::vector<std::string> arguments;
    Stream standardInput = Stream::Inherit;
    Stream standardOutput = Stream::Inherit;
    Stream standardError = Stream::Inherit;

    // Starts the child. On failure answers false and fills `error` with a description in the
    // platform's wording ("The file “x” doesn’t exist.").
    bool run(std::string* error = nullptr);
    // Collects the pipes to their end and reaps the child. Safe to call more than once.
    void waitUntilExit();

    bool isRunning() const { return pid_ > 0 && !exited_; }
    pid_t processIdentifier() const { return pid_; }
    // The exit status, or the signal number when the child was killed.
    int terminationStatus() const { return status_; }
    TerminationReason terminationReason() const { return reason_; }

    // What the child wrote to its pipes (standard error is empty when it went to the output pipe).
    const Data& outputData() const { return output_; }
    const Data& errorData() const { return error_; }

    // Starts `path` with `arguments` fully detached (no pipes, not waited for, never a zombie of
    // ours). Answers false with `error` filled when it cannot be started.
    static bool launchDetached(const std::string& path, const std::vector<std::string>& arguments,
                               std::string* error = nullptr);

    // The file that serves `path` on this system: the path itself for ordinary programs, the mapped
    // tool for the system's own ones, absent when such a tool is not available.
    static std::optional<std::string> resolveExecutable(const std::string& path);
    // The folder holding our own helper programs (xq-open, ...), absent when none is found.
    static std::optional<std::string> toolsDirectory();
    // Description of a launch failure for `path` from an errno value.
    static std::string launchErrorDescription(const std::string& path, int error);

private:
    void closePipes();

    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = 0;
    TerminationReason reason_ = TerminationReason::Exit;
    int outFd_ = -1, errFd_ = -1;
    Data output_, error_;
};

}  // namespace platform
