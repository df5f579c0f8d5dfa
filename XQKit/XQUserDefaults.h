#pragma once

// One calling style for three preference stores: the application's standard preferences, a current
// app-group suite chosen once by name, and further app-group suites registered by name. Every write
// is followed at once by a synchronisation of the store written to, so another process reading the
// same suite sees the value without waiting.
//
//     auto& defaults = XQUserDefaults::shared();
//     defaults.setGroupName("Q7T3VN5XK2.group.cn.holmquay.Torvane");
//     defaults.setBool(true, "launched");                                   // standard store
//     defaults.setBool(true, XQUserDefaults::ForGroupKey{"preview"});        // current group
//     defaults.integer(XQUserDefaults::ForGroup{"other.group", "count"});    // a registered group
//
// A group family addressing a store that is not there (no current group, or a name not registered)
// writes nothing and reads the missing-key values. Meant for the main thread: no locks are taken.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Value.h"

class XQUserDefaults {
public:
    using Store = std::shared_ptr<platform::UserDefaults>;

    // Addresses in the current group store, and in a store registered under a group name.
    struct ForGroupKey {
        std::string key;
    };
    struct ForGroup {
        std::string group;
        std::string key;
    };

    static XQUserDefaults& shared();

    // The standard store.
    Store userDefaults() const;
    // The current group store; null until `setGroupName` opens one.
    const Store& groupDefaults() const { return groupDefaults_; }
    // Every store registered by `setGroupName` or `addGroup`, by suite name.
    const std::map<std::string, Store>& groupDefaultsDict() const { return groupDefaultsDict_; }

    // ---- writing: each write synchronises its store ----------------------------------------------
    // An absent value removes the key.
    void setObject(const platform::Value& value, const std::string& key);
    void setObject(const platform::Value& value, const ForGroupKey& key);
    void setObject(const platform::Value& value, const ForGroup& key);
    void removeObject(const std::string& key);
    void removeObject(const ForGroupKey& key);
    void removeObject(const ForGroup& key);
    void setInteger(std::int64_t value, const std::string& key);
    void setInteger(std::int64_t value, const ForGroupKey& key);
    void setInteger(std::int64_t value, const ForGroup& key);
    void setFloat(float value, const std::string& key);
    void setFloat(float value, const ForGroupKey& key);
    void setFloat(float value, const ForGroup& key);
    void setDouble(double value, const std::string& key);
    void setDouble(double value, const ForGroupKey& key);
    void setDouble(double value, const ForGroup& key);
    void setBool(bool value, const std::string& key);
    void setBool(bool value, const ForGroupKey& key);
    void setBool(bool value, const ForGroup& key);
    // An absent URL removes the key.
    void setURL(const std::optional<platform::URL>& value, const std::string& key);
    void setURL(const std::optional<platform::URL>& value, const ForGroupKey& key);
    void setURL(const std::optional<platform::URL>& value, const ForGroup& key);

    // Bulk writes: every entry in the dictionary's order, one synchronisation at the end.
    void setObjectsWithKeys(const platform::Dictionary& values);
    void setObjectsWithGroupKeys(const platform::Dictionary& values);
    void setObjectsWithKeys(const platform::Dictionary& values, const std::string& forGroup);

    // ---- reading: the store's typed getters, unchanged --------------------------------------------
    platform::Value object(const std::string& key) const;
    platform::Value object(const ForGroupKey& key) const;
    platform::Value object(const ForGroup& key) const;
    std::optional<std::string> string(const std::string& key) const;
    std::optional<std::string> string(const ForGroupKey& key) const;
    std::optional<std::string> string(const ForGroup& key) const;
    std::optional<platform::Array> array(const std::string& key) const;
    std::optional<platform::Array> array(const ForGroupKey& key) const;
    std::optional<platform::Array> array(const ForGroup& key) const;
    std::optional<platform::Dictionary> dictionary(const std::string& key) const;
    std::optional<platform::Dictionary> dictionary(const ForGroupKey& key) const;
    std::optional<platform::Dictionary> dictionary(const ForGroup& key) const;
    std::optional<platform::Data> data(const std::string& key) const;
    std::optional<platform::Data> data(const ForGroupKey& key) const;
    std::optional<platform::Data> data(const ForGroup& key) const;
    std::int64_t integer(const std::string& key) const;
    std::int64_t integer(const ForGroupKey& key) const;
    std::int64_t integer(const ForGroup& key) const;
    float floatValue(const std::string& key) const;
    float floatValue(const ForGroupKey& key) const;
    float floatValue(const ForGroup& key) const;
    double doubleValue(const std::string& key) const;
    double doubleValue(const ForGroupKey& key) const;
    double doubleValue(const ForGroup& key) const;
    bool boolean(const std::string& key) const;
    bool boolean(const ForGroupKey& key) const;
    bool boolean(const ForGroup& key) const;
    std::optional<platform::URL> url(const std::string& key) const;
    std::optional<platform::URL> url(const ForGroupKey& key) const;
    std::optional<platform::URL> url(const ForGroup& key) const;

    // ---- groups -----------------------------------------------------------------------------------
    // Makes the suite the current group (and registers it); the empty name changes nothing, a name the
    // platform refuses leaves no current group.
    void setGroupName(const std::string& name);
    // Registers a suite and answers its store (the registered one when already there); null for the
    // empty name or one the platform refuses. The current group stays as it is.
    Store addGroup(const std::string& withName);
    // Forgets a registered suite; when it is the current group, there is no current group any more.
    void removeGroup(const std::string& withName);
    // The store registered under the name, without registering it; null when none is.
    Store groupDefaults(const std::string& withName) const;

private:
    XQUserDefaults() = default;

    // The store an address names, or null.
    Store storeFor(const ForGroupKey&) const { return groupDefaults_; }
    Store storeFor(const ForGroup& address) const { return groupDefaults(address.group); }
    Store storeFor(const std::string&) const { return userDefaults(); }
    static const std::string& keyOf(const std::string& key) { return key; }
    static const std::string& keyOf(const ForGroupKey& address) { return address.key; }
    static const std::string& keyOf(const ForGroup& address) { return address.key; }

    template <class Address, class Write>
    void write(const Address& address, Write&& action);
    template <class Address, class Read, class Missing>
    auto read(const Address& address, Read&& getter, Missing missing) const;
    void writeAll(const Store& store, const platform::Dictionary& values);

    Store groupDefaults_;
    std::map<std::string, Store> groupDefaultsDict_;
};
