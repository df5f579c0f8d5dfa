#pragma once

// Running external programs synchronously and reading back what they printed: a shell command line
// through bash, any executable with an argument list, `open` on a path, a relaunch of the running
// application, and the splitting of a shell-quoted path list (with its inverse, quoting one path).
//
// Every call blocks until its child has exited; both output streams are drained while it runs, so
// a child that prints a lot never stalls. Results are logged through XQLog.

#include <optional>
#include <string>
#include <vector>

// Runs `cmd` through "/bin/bash -c"; the elements of `argus` become $0, $1, ... Answers the trimmed
// standard output when the exit status is 0 (possibly empty), absent otherwise.
std::optional<std::string> ExecuteCMD(const std::string& cmd,
                                      const std::optional<std::vector<std::string>>& argus = std::nullopt);

// Runs the executable at `launchPath` with exactly `argus`; same results as ExecuteCMD.
std::optional<std::string> ExecuteCustomCMD(const std::string& launchPath, const std::vector<std::string>& argus);

// Hands `path` to the system's `open`; true when it exits with status 0.
bool OpenFilePath(const std::string& path);

// Starts a new instance of the running application and asks this one to terminate.
void RestartApp();

// Splits a shell word list (paths quoted or escaped as a user types them) into its words, quotes and
// escapes removed. The text is only parsed, never evaluated: no command substitution, expansion or
// globbing happens. A text that does not parse (an unbalanced quote) gives the empty list.
std::vector<std::string> parseFilePaths(const std::string& text);

// `text` quoted for a POSIX shell so that it reads back as exactly one word.
std::string shellFilePath(const std::string& text);
