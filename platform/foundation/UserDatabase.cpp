#include "platform/foundation/UserDatabase.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {
UserRecord fromEntry(const passwd& entry) {
    auto text = [](const char* s) { return s ? std::string(s) : std::string(); };
    return {text(entry.pw_name), entry.pw_uid, entry.pw_gid, text(entry.pw_gecos), text(entry.pw_dir),
            text(entry.pw_shell)};
}
}  // namespace

std::optional<UserRecord> UserDatabase::recordForUID(uid_t uid) {
    if (const char* file = std::getenv("XQ_PASSWD_FILE"); file && *file) {
        FILE* stream = std::fopen(file, "r");
        if (!stream) return std::nullopt;
        std::optional<UserRecord> found;
        while (passwd* entry = ::fgetpwent(stream))
            if (entry->pw_uid == uid) {
                found = fromEntry(*entry);
                break;
            }
        std::fclose(stream);
        return found;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result) != 0 || !result) return std::nullopt;
    return fromEntry(entry);
}

uid_t UserDatabase::currentUID() { return ::getuid(); }

}  // namespace platform
