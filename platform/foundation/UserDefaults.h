#pragma once

// Preferences stores, kept as property-list files at the macOS layout under $HOME:
//   standard domain      Library/Preferences/<bundle id>.plist
//   suites by name       Library/Preferences/<name>.plist
//   app-group suites     Library/Group Containers/<group>/Library/Preferences/<group>.plist
//   global domain        Library/Preferences/.GlobalPreferences.plist
//
// Every store of one file shares one in-process cache. A read looks at the file's identity (one
// stat) and parses it again only when another process has replaced it, so a value another process
// wrote and synchronised is seen at once while an unchanged file costs no parsing. `synchronize`
// merges this process's changes into the file under a lock and renames the new file into place, so
// concurrent writers of different keys lose nothing. A file that is not a property list reads as empty
// and is kept aside ("<file>.corrupt-<time>") before it is overwritten.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class PreferenceDomain;

class UserDefaults : public Object {
public:
    // The application's own domain (the main bundle's identifier, else the process name).
    static std::shared_ptr<UserDefaults> standard();
    // A suite by name; null when the name is refused (empty, or the global domain's name).
    static std::shared_ptr<UserDefaults> suite(const std::string& name);
    // The global domain, read by every store after its own values.
    static std::shared_ptr<UserDefaults> globalDomain();
    // Defaults registered for this process, read last by every store.
    static void registerDefaults(const Dictionary& defaults);
    static void resetRegisteredDefaults();

    // The file that holds this store's values.
    const std::string& path() const;
    const std::string& domainName() const { return name_; }

    Value object(const std::string& key) const;
    // Absent removes; a value that is not a property-list value (an object) is refused with false.
    bool set(const std::string& key, const Value& value);
    void removeObject(const std::string& key);

    std::optional<std::string> string(const std::string& key) const;
    std::optional<Array> array(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArray(const std::string& key) const;
    std::optional<Dictionary> dictionary(const std::string& key) const;
    std::optional<Data> data(const std::string& key) const;
    std::int64_t integer(const std::string& key) const;
    float floatValue(const std::string& key) const;
    double doubleValue(const std::string& key) const;
    bool boolean(const std::string& key) const;
    std::optional<URL> url(const std::string& key) const;

    void setInteger(std::int64_t value, const std::string& key) { set(key, Value(value)); }
    void setFloat(float value, const std::string& key) { set(key, Value(value)); }
    void setDouble(double value, const std::string& key) { set(key, Value(value)); }
    void setBool(bool value, const std::string& key) { set(key, Value(value)); }
    // File URLs are stored as their path, others as their text, so `url` reads either back.
    void setURL(const std::optional<URL>& value, const std::string& key);

    // Writes this process's changes to the file and reads other processes' changes; false when the
    // file could not be written.
    bool synchronize();

    // Every value this store sees, its own over the global domain's over the registered ones.
    Dictionary dictionaryRepresentation() const;
    // This store's own values, without the global and registered domains.
    Dictionary persistentDomain() const;

    UserDefaults(std::string name, std::shared_ptr<PreferenceDomain> domain, bool searchesGlobal);

private:
    std::string name_;
    std::shared_ptr<PreferenceDomain> domain_;
    bool searchesGlobal_;
};

}  // namespace platform
