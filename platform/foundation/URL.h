#pragma once

// A URL value: parsed from text the way the platform's URL class parses it (RFC 3986 characters only;
// anything else makes the text "not a URL"), or made from a file path.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class URL {
public:
    // Parses an absolute or relative URL reference. Absent for an empty text or one holding characters
    // a URL may not contain unescaped (spaces, non-ASCII, quotes, ...) or a malformed percent escape.
    static std::optional<URL> parse(std::string_view text);
    // A file URL for a path; a relative path is resolved against the current directory. The path is
    // percent-encoded where needed; `isDirectory` adds the trailing "/".
    static URL fileURLWithPath(std::string_view path, std::optional<bool> isDirectory = std::nullopt);

    const std::string& absoluteString() const { return text_; }
    std::string description() const { return text_; }
    bool isFileURL() const;

    std::string scheme() const;               // as written, without ":"
    std::optional<std::string> host() const;  // decoded
    std::optional<int> port() const;
    std::string percentEncodedPath() const;
    std::string path() const;                 // decoded, without a trailing "/" (except for the root)
    // The path as the file system's bytes: like `path`, but a name that is not UTF-8 stays its bytes.
    std::string fileSystemRepresentation() const;
    std::optional<std::string> query() const; // as written, without "?"
    std::optional<std::string> fragment() const;

    std::vector<std::string> pathComponents() const;  // "/" first for an absolute path
    std::string lastPathComponent() const;
    std::string pathExtension() const;
    bool hasDirectoryPath() const;  // the path ends in "/"

    URL appendingPathComponent(std::string_view component, std::optional<bool> isDirectory = std::nullopt) const;
    URL deletingLastPathComponent() const;

    friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

private:
    explicit URL(std::string text);
    void split();

    std::string text_;
    // Offsets of the parts inside text_, found once when the URL is made.
    std::size_t schemeEnd_ = 0;        // length of the scheme (0: none)
    std::size_t authorityBegin_ = std::string::npos, authorityEnd_ = std::string::npos;
    std::size_t pathBegin_ = 0, pathEnd_ = 0;
    std::size_t queryBegin_ = std::string::npos, queryEnd_ = std::string::npos;
    std::size_t fragmentBegin_ = std::string::npos;
};

// Percent-encoding helpers. `allowed` lists the characters (besides ASCII letters and digits) that
// stay as they are.
std::string percentEncode(std::string_view text, std::string_view allowed);
// Removes percent-encoding; absent when an escape is malformed or the result is not valid UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);

// Character sets of the URL grammar, for `percentEncode`.
inline constexpr std::string_view kURLPathAllowed = "-._~!$&'()*+,;=:@/";
inline constexpr std::string_view kURLQueryAllowed = "-._~!$&'()*+,;=:@/?";
inline constexpr std::string_view kURLFragmentAllowed = "-._~!$&'()*+,;=:@/?";
inline constexpr std::string_view kURLHostAllowed = "-._~!$&'()*+,;=:[]";

bool isValidUTF8(std::string_view text);

}  // namespace platform
