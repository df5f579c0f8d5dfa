#include "XQKit/Process.h"

#include <cstdint>
#include <cstring>
#include <iostream>

#include "XQKit/XQLog.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Process.h"

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view s) {
    std::size_t i = 0, n = s.size();
    while (i < n) {
        // ASCII runs, eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if (word & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= n) break;
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        std::uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > n) return false;
        for (int k = 1; k < length; ++k) {
            auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

// Length in bytes of the white space or line break that ends / starts `s` at `pos`, or 0. Covers the
// Unicode white-space-and-newline set, not only ASCII.
std::size_t spaceAt(std::string_view s, std::size_t pos) {
    auto c = static_cast<unsigned char>(s[pos]);
    if (c == ' ' || (c >= 0x09 && c <= 0x0D)) return 1;
    auto rest = s.substr(pos);
    static const char* const wide[] = {"\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
                                       "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A",
                                       "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"};
    for (const char* w : wide)
        if (rest.starts_with(w)) return std::char_traits<char>::length(w);
    return 0;
}

std::string trimmed(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size()) {
        std::size_t n = spaceAt(s, begin);
        if (!n) break;
        begin += n;
    }
    std::size_t end = s.size();
    while (end > begin) {
        // Step back to the start of the last character.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
        std::size_t n = spaceAt(s, start);
        if (!n || start + n != end) break;
        end = start;
    }
    return std::string(s.substr(begin, end - begin));
}

std::string decodedTrimmed(const platform::Data& data) {
    auto view = data.view();
    return isValidUTF8(view) ? trimmed(view) : std::string();
}

void logLine(std::string_view function, const std::string& message) { XQLog(XQLogAt(function), message); }

struct Outcome {
    bool launched = false;
    std::string launchError;
    int status = -1;
    std::string output, error;
};

Outcome runCollecting(const std::string& path, const std::vector<std::string>& arguments) {
    Outcome outcome;
    auto process = std::make_shared<platform::Process>();
    process->executablePath = path;
    process->arguments = arguments;
    process->standardOutput = platform::Process::Stream::Pipe;
    process->standardError = platform::Process::Stream::Pipe;
    if (!process->run(&outcome.launchError)) return outcome;
    outcome.launched = true;
    process->waitUntilExit();
    outcome.status = process->terminationStatus();
    outcome.output = decodedTrimmed(process->outputData());
    outcome.error = decodedTrimmed(process->errorData());
    return outcome;
}

std::optional<std::string> report(std::string_view function, const Outcome& outcome, const std::string& prefix,
                                  const std::string& display) {
    if (!outcome.launched) {
        logLine(function, "❌ " + prefix + " '" + display + "' 发生错误: " + outcome.launchError);
        return std::nullopt;
    }
    if (outcome.status == 0) {
        logLine(function, "✅ " + prefix + " '" + display + "' 执行成功:\n" + outcome.output);
        return outcome.output;
    }
    logLine(function, "❌ " + prefix + " '" + display + "' 执行失败: " + outcome.error);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ExecuteCMD(const std::string& cmd, const std::optional<std::vector<std::string>>& argus) {
    std::vector<std::string> arguments = {"-c", cmd};
    if (argus) arguments.insert(arguments.end(), argus->begin(), argus->end());
    return report("ExecuteCMD(_:argus:)", runCollecting("/bin/bash", arguments), "cmd", "/bin/bash -c " + cmd);
}

std::optional<std::string> ExecuteCustomCMD(const std::string& launchPath, const std::vector<std::string>& argus) {
    std::string display = launchPath;
    for (const auto& a : argus) display += " " + a;
    return report("ExecuteCustomCMD(_:argus:)", runCollecting(launchPath, argus), "custom cmd", display);
}

bool OpenFilePath(const std::string& path) {
    auto process = std::make_shared<platform::Process>();
    process->executablePath = "/usr/bin/open";
    process->arguments = {path};
    process->standardOutput = platform::Process::Stream::Pipe;
    process->standardError = platform::Process::Stream::ToOutput;
    std::string error;
    if (!process->run(&error)) {
        logLine("OpenFilePath(_:)", "OpenFilePath: " + path + " run error: " + error);
        return false;
    }
    process->waitUntilExit();
    if (process->terminationStatus() == 0 &&
        process->terminationReason() == platform::Process::TerminationReason::Exit)
        return true;
    auto view = process->outputData().view();
    logLine("OpenFilePath(_:)", "OpenFilePath: " + path + " error: " + (isValidUTF8(view) ? std::string(view) : std::string("Unknown")));
    return false;
}

void RestartApp() {
    // A new instance first; when it cannot be started, this one keeps running rather than leaving the
    // user with none.
    std::string error;
    if (!platform::Process::launchDetached("/usr/bin/open", {"-n", platform::Bundle::main()->bundlePath()}, &error)) {
        logLine("RestartApp()", "RestartApp error: " + error);
        return;
    }
    platform::Application::shared()->terminate(nullptr);
}

std::vector<std::string> parseFilePaths(const std::string& text) {
    // The text reaches zsh as a positional parameter, never as code. zsh first checks that it parses
    // as the arguments of a command (by compiling it into a function body that is never called), so
    // an unbalanced quote fails as it would when typed; then the (z) flag splits it into shell words
    // in that same position and (Q) removes one level of quoting. Nothing in the text is evaluated.
    static const std::string script =
        "zmodload zsh/parameter || exit 1\n"
        "functions[__xq_words]=\"print -rl -- $1\" 2>/dev/null\n"
        "(( ${+functions[__xq_words]} )) || exit 1\n"
        "print -rl -- ${(Q)${(z):-\"print -rl -- $1\"}[4,-1]}\n";
    auto process = std::make_shared<platform::Process>();
    process->executablePath = "/bin/zsh";
    process->arguments = {"-f", "-c", script, "zsh", text};
    process->standardInput = platform::Process::Stream::Null;
    process->standardOutput = platform::Process::Stream::Pipe;
    process->standardError = platform::Process::Stream::Null;
    std::string error;
    if (!process->run(&error)) {
        std::cout << "parseFilePaths error: " << error << std::endl;
        return {};
    }
    process->waitUntilExit();
    if (process->terminationStatus() != 0 ||
        process->terminationReason() != platform::Process::TerminationReason::Exit)
        return {};
    auto view = process->outputData().view();
    if (!isValidUTF8(view)) return {};
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= view.size()) {
        auto end = view.find('\n', start);
        if (end == std::string_view::npos) end = view.size();
        if (end > start) words.emplace_back(view.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

std::string shellFilePath(const std::string& text) {
    if (text.empty()) return "''";
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}
