#include "XQKit/XQUserDefaults.h"

using platform::Value;

XQUserDefaults& XQUserDefaults::shared() {
    static XQUserDefaults instance;
    return instance;
}

XQUserDefaults::Store XQUserDefaults::userDefaults() const { return platform::UserDefaults::standard(); }

// ---- writing ------------------------------------------------------------------------------------

template <class Address, class Write>
void XQUserDefaults::write(const Address& address, Write&& action) {
    Store store = storeFor(address);
    if (!store) return;
    action(*store, keyOf(address));
    store->synchronize();
}

#define XQ_WRITERS(Name, Type, Body)                                                                       \
    void XQUserDefaults::Name(Type value, const std::string& key) {                                         \
        write(key, [&](platform::UserDefaults& store, const std::string& k) { Body; });                     \
    }                                                                                                       \
    void XQUserDefaults::Name(Type value, const ForGroupKey& key) {                                         \
        write(key, [&](platform::UserDefaults& store, const std::string& k) { Body; });                     \
    }                                                                                                       \
    void XQUserDefaults::Name(Type value, const ForGroup& key) {                                            \
        write(key, [&](platform::UserDefaults& store, const std::string& k) { Body; });                     \
    }

XQ_WRITERS(setObject, const Value&, store.set(k, value))
XQ_WRITERS(setInteger, std::int64_t, store.setInteger(value, k))
XQ_WRITERS(setFloat, float, store.setFloat(value, k))
XQ_WRITERS(setDouble, double, store.setDouble(value, k))
XQ_WRITERS(setBool, bool, store.setBool(value, k))
XQ_WRITERS(setURL, const std::optional<platform::URL>&, store.setURL(value, k))

#undef XQ_WRITERS

void XQUserDefaults::removeObject(const std::string& key) {
    write(key, [](platform::UserDefaults& store, const std::string& k) { store.removeObject(k); });
}
void XQUserDefaults::removeObject(const ForGroupKey& key) {
    write(key, [](platform::UserDefaults& store, const std::string& k) { store.removeObject(k); });
}
void XQUserDefaults::removeObject(const ForGroup& key) {
    write(key, [](platform::UserDefaults& store, const std::string& k) { store.removeObject(k); });
}

void XQUserDefaults::writeAll(const Store& store, const platform::Dictionary& values) {
    if (!store) return;
    for (const auto& [key, value] : values) store->set(key, value);
    store->synchronize();
}

void XQUserDefaults::setObjectsWithKeys(const platform::Dictionary& values) { writeAll(userDefaults(), values); }
void XQUserDefaults::setObjectsWithGroupKeys(const platform::Dictionary& values) { writeAll(groupDefaults_, values); }
void XQUserDefaults::setObjectsWithKeys(const platform::Dictionary& values, const std::string& forGroup) {
    writeAll(groupDefaults(forGroup), values);
}

// ---- reading ------------------------------------------------------------------------------------

template <class Address, class Read, class Missing>
auto XQUserDefaults::read(const Address& address, Read&& getter, Missing missing) const {
    Store store = storeFor(address);
    return store ? getter(*store, keyOf(address)) : missing;
}

#define XQ_READERS(Name, Result, Missing)                                                                    \
    Result XQUserDefaults::Name(const std::string& key) const {                                              \
        return read(key, [](const platform::UserDefaults& s, const std::string& k) { return s.Name(k); },    \
                    Result(Missing));                                                                        \
    }                                                                                                        \
    Result XQUserDefaults::Name(const ForGroupKey& key) const {                                              \
        return read(key, [](const platform::UserDefaults& s, const std::string& k) { return s.Name(k); },    \
                    Result(Missing));                                                                        \
    }                                                                                                        \
    Result XQUserDefaults::Name(const ForGroup& key) const {                                                 \
        return read(key, [](const platform::UserDefaults& s, const std::string& k) { return s.Name(k); },    \
                    Result(Missing));                                                                        \
    }

XQ_READERS(object, Value, )
XQ_READERS(string, std::optional<std::string>, std::nullopt)
XQ_READERS(array, std::optional<platform::Array>, std::nullopt)
XQ_READERS(dictionary, std::optional<platform::Dictionary>, std::nullopt)
XQ_READERS(data, std::optional<platform::Data>, std::nullopt)
XQ_READERS(integer, std::int64_t, 0)
XQ_READERS(floatValue, float, 0)
XQ_READERS(doubleValue, double, 0)
XQ_READERS(boolean, bool, false)
XQ_READERS(url, std::optional<platform::URL>, std::nullopt)

#undef XQ_READERS

// ---- groups -------------------------------------------------------------------------------------

void XQUserDefaults::setGroupName(const std::string& name) {
    if (name.empty()) return;
    groupDefaults_ = platform::UserDefaults::suite(name);
    if (groupDefaults_)
        groupDefaultsDict_[name] = groupDefaults_;
    else
        groupDefaultsDict_.erase(name);
}

XQUserDefaults::Store XQUserDefaults::addGroup(const std::string& withName) {
    if (withName.empty()) return nullptr;
    if (auto found = groupDefaultsDict_.find(withName); found != groupDefaultsDict_.end()) return found->second;
    Store store = platform::UserDefaults::suite(withName);
    if (store)
        groupDefaultsDict_[withName] = store;
    else
        groupDefaultsDict_.erase(withName);
    return store;
}

void XQUserDefaults::removeGroup(const std::string& withName) {
    auto found = groupDefaultsDict_.find(withName);
    if (found == groupDefaultsDict_.end()) return;
    Store removed = found->second;
    groupDefaultsDict_.erase(found);
    if (removed == groupDefaults_) groupDefaults_ = nullptr;
}

XQUserDefaults::Store XQUserDefaults::groupDefaults(const std::string& withName) const {
    auto found = groupDefaultsDict_.find(withName);
    return found == groupDefaultsDict_.end() ? nullptr : found->second;
}
