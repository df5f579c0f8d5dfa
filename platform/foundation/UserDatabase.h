#pragma once

// The user database (the password file and whatever the system's name service adds): the account
// of a user id. XQ_PASSWD_FILE names a file in the password-file format to read instead of the
// system's database, so that tests can give accounts of their own.

#include <sys/types.h>

#include <optional>
#include <string>

namespace platform {

struct UserRecord {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string fullName;
    std::string homeDirectory;  // may be empty: the database does not require one
    std::string shell;
};

class UserDatabase {
public:
    // The entry of `uid`; absent when the database has none.
    static std::optional<UserRecord> recordForUID(uid_t uid);
    // The real user id of this process.
    static uid_t currentUID();
};

}  // namespace platform
