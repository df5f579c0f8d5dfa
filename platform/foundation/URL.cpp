#include "platform/foundation/URL.h"

#include "platform/foundation/PathUtilities.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

namespace platform {

namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}

// Characters a URL may hold unescaped: unreserved, reserved and "%" (checked separately).
bool isURLCharacter(char c) {
    if (std::isalnum(static_cast<unsigned char>(c))) return true;
    switch (c) {
        case '-': case '.': case '_': case '~':
        case ':': case '/': case '?': case '#': case '[': case ']': case '@':
        case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
            return true;
        default: return false;
    }
}

std::string currentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer)) return buffer;
    return "/";
}

}  // namespace

bool isValidUTF8(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t codePoint;
        if (c < 0x80) { ++i; continue; }
        else if ((c & 0xE0) == 0xC0) { length = 2; codePoint = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { length = 3; codePoint = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { length = 4; codePoint = c & 0x07; }
        else return false;
        if (i + length > n) return false;
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((length == 2 && codePoint < 0x80) || (length == 3 && codePoint < 0x800) ||
            (length == 4 && codePoint < 0x10000) || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string percentEncode(std::string_view text, std::string_view allowed) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) && u < 0x80) {
            out += c;
        } else if (u < 0x80 && allowed.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 15];
        }
    }
    return out;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
        out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        i += 2;
    }
    if (!isValidUTF8(out)) return std::nullopt;
    return out;
}

URL::URL(std::string text) : text_(std::move(text)) { split(); }

std::optional<URL> URL::parse(std::string_view text) {
    if (text.empty()) return std::nullopt;
    bool seenFragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
            i += 2;
            continue;
        }
        if (!isURLCharacter(c)) return std::nullopt;
        if (c == '#') {
            if (seenFragment) return std::nullopt;
            seenFragment = true;
        }
    }
    URL url{std::string(text)};
    // A scheme must be followed by something or be a scheme-only URL like "mailto:"; a bad port is
    // not a URL.
    if (url.authorityBegin_ != std::string::npos) {
        std::string authority = url.text_.substr(url.authorityBegin_, url.authorityEnd_ - url.authorityBegin_);
        auto at = authority.rfind('@');
        std::string hostPort = at == std::string::npos ? authority : authority.substr(at + 1);
        auto colon = hostPort.rfind(':');
        if (colon != std::string::npos && hostPort.find(']') == std::string::npos) {
            std::string port = hostPort.substr(colon + 1);
            for (char c : port)
                if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        }
    }
    return url;
}

void URL::split() {
    const std::string& t = text_;
    std::size_t i = 0;
    // scheme
    if (!t.empty() && std::isalpha(static_cast<unsigned char>(t[0]))) {
        std::size_t j = 1;
        while (j < t.size() && (std::isalnum(static_cast<unsigned char>(t[j])) || t[j] == '+' || t[j] == '-' || t[j] == '.'))
            ++j;
        if (j < t.size() && t[j] == ':') {
            schemeEnd_ = j;
            i = j + 1;
        }
    }
    // authority
    if (t.compare(i, 2, "//") == 0) {
        authorityBegin_ = i + 2;
        std::size_t j = authorityBegin_;
        while (j < t.size() && t[j] != '/' && t[j] != '?' && t[j] != '#') ++j;
        authorityEnd_ = j;
        i = j;
    }
    pathBegin_ = i;
    while (i < t.size() && t[i] != '?' && t[i] != '#') ++i;
    pathEnd_ = i;
    if (i < t.size() && t[i] == '?') {
        queryBegin_ = i + 1;
        while (i < t.size() && t[i] != '#') ++i;
        queryEnd_ = i;
    }
    if (i < t.size() && t[i] == '#') fragmentBegin_ = i + 1;
}

URL URL::fileURLWithPath(std::string_view path, std::optional<bool> isDirectory) {
    std::string absolute(path);
    if (absolute.empty() || absolute[0] != '/') {
        std::string base = currentDirectory();
        absolute = base + (base.ends_with('/') ? "" : "/") + absolute;
    }
    if (!isDirectory) {
        struct stat info {};
        isDirectory = ::stat(absolute.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (*isDirectory && !absolute.ends_with('/')) absolute += '/';
    return URL("file://" + percentEncode(absolute, kURLPathAllowed));
}

bool URL::isFileURL() const {
    std::string s = scheme();
    if (s.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != "file"[i]) return false;
    return true;
}

std::string URL::scheme() const { return text_.substr(0, schemeEnd_); }

std::optional<std::string> URL::host() const {
    if (authorityBegin_ == std::string::npos) return std::nullopt;
    std::string authority = text_.substr(authorityBegin_, authorityEnd_ - authorityBegin_);
    if (auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    if (!authority.empty() && authority[0] == '[') {
        auto close = authority.find(']');
        return authority.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    if (auto colon = authority.rfind(':'); colon != std::string::npos) authority.erase(colon);
    if (authority.empty()) return isFileURL() ? std::nullopt : std::optional<std::string>("");
    return removingPercentEncoding(authority).value_or(authority);
}

std::optional<int> URL::port() const {
    if (authorityBegin_ == std::string::npos) return std::nullopt;
    std::string authority = text_.substr(authorityBegin_, authorityEnd_ - authorityBegin_);
    if (auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    auto close = authority.find(']');
    auto colon = authority.rfind(':');
    if (colon == std::string::npos || (close != std::string::npos && colon < close)) return std::nullopt;
    std::string digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    return std::stoi(digits);
}

std::string URL::percentEncodedPath() const { return text_.substr(pathBegin_, pathEnd_ - pathBegin_); }

std::string URL::path() const {
    std::string raw = percentEncodedPath();
    std::string decoded = removingPercentEncoding(raw).value_or(raw);
    while (decoded.size() > 1 && decoded.ends_with('/')) decoded.pop_back();
    return decoded;
}

std::string URL::fileSystemRepresentation() const {
    std::string raw = percentEncodedPath();
    std::string bytes;
    bytes.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() && isHex(raw[i + 1]) && isHex(raw[i + 2])) {
            bytes += static_cast<char>(hexValue(raw[i + 1]) * 16 + hexValue(raw[i + 2]));
            i += 2;
        } else {
            bytes += raw[i];
        }
    }
    while (bytes.size() > 1 && bytes.ends_with('/')) bytes.pop_back();
    return bytes;
}

std::optional<std::string> URL::query() const {
    if (queryBegin_ == std::string::npos) return std::nullopt;
    return text_.substr(queryBegin_, queryEnd_ - queryBegin_);
}

std::optional<std::string> URL::fragment() const {
    if (fragmentBegin_ == std::string::npos) return std::nullopt;
    return text_.substr(fragmentBegin_);
}

// The decoded path follows the platform's path rules.
std::vector<std::string> URL::pathComponents() const { return platform::pathComponents(path()); }
std::string URL::lastPathComponent() const { return platform::lastPathComponent(path()); }
std::string URL::pathExtension() const { return platform::pathExtension(path()); }

bool URL::hasDirectoryPath() const { return pathEnd_ > pathBegin_ && text_[pathEnd_ - 1] == '/'; }

URL URL::appendingPathComponent(std::string_view component, std::optional<bool> isDirectory) const {
    std::string base = percentEncodedPath();
    if (!base.ends_with('/')) base += '/';
    std::string addition = percentEncode(component, kURLPathAllowed);
    while (!addition.empty() && addition[0] == '/') addition.erase(0, 1);
    std::string newPath = base + addition;
    bool directory = isDirectory.value_or(false);
    if (!isDirectory && isFileURL()) {
        struct stat info {};
        auto decoded = removingPercentEncoding(newPath).value_or(newPath);
        directory = ::stat(decoded.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (directory && !newPath.ends_with('/')) newPath += '/';
    return URL(text_.substr(0, pathBegin_) + newPath + text_.substr(pathEnd_));
}

URL URL::deletingLastPathComponent() const {
    std::string p = percentEncodedPath();
    while (p.size() > 1 && p.ends_with('/')) p.pop_back();
    auto slash = p.rfind('/');
    std::string newPath = slash == std::string::npos ? std::string("./") : p.substr(0, slash + 1);
    return URL(text_.substr(0, pathBegin_) + newPath + text_.substr(pathEnd_));
}

}  // namespace platform
