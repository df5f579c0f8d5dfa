#pragma once

// The root of every reference-type object of the platform.
//
// Objects are always owned through std::shared_ptr; a strong reference is a shared_ptr, a weak one a
// weak_ptr, and identity is the address. On top of that an object offers what the object runtime of
// the original platform gives every instance: storage for values associated with it under private
// keys (living and dying with the object), and actions callable by name.

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

namespace platform {

class Object;
using ObjectPtr = std::shared_ptr<Object>;
using WeakObjectPtr = std::weak_ptr<Object>;

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // The identity of the object: its address, stable for its lifetime.
    std::uintptr_t identity() const { return reinterpret_cast<std::uintptr_t>(this); }

    // The name used in descriptions, e.g. "<RunLoopTimer: 0x55d0c0a0>".
    virtual std::string className() const;
    virtual std::string description() const;

    // ---- associated storage -------------------------------------------------------------------
    // Keys are the addresses of private static variables, so two units never collide.
    using AssociationKey = const void*;

    // Stores `value` under `key`: an object pointer is retained, any other value (a callback, a flag)
    // is copied. It is destroyed with the object or when replaced or removed.
    template <class T>
    void setAssociated(AssociationKey key, T value) {
        storeAssociated(key, std::any(std::move(value)));
    }
    // Stores a weak reference to `object`; `associated<T>` then answers the object while it lives.
    template <class T>
    void setAssociatedWeak(AssociationKey key, const std::shared_ptr<T>& object) {
        storeAssociated(key, std::any(std::weak_ptr<T>(object)));
    }
    void removeAssociated(AssociationKey key);
    void removeAllAssociated();
    bool hasAssociated(AssociationKey key) const;

    // The stored value when one of type T is stored under `key`, otherwise null.
    template <class T>
    T* associated(AssociationKey key) {
        std::any* slot = findAssociated(key);
        return slot ? std::any_cast<T>(slot) : nullptr;
    }
    template <class T>
    const T* associated(AssociationKey key) const {
        const std::any* slot = const_cast<Object*>(this)->findAssociated(key);
        return slot ? std::any_cast<T>(slot) : nullptr;
    }
    // A weakly stored object, or null when none is stored or it has gone.
    template <class T>
    std::shared_ptr<T> associatedWeak(AssociationKey key) const {
        const auto* weak = associated<std::weak_ptr<T>>(key);
        return weak ? weak->lock() : nullptr;
    }

    // ---- actions by name ------------------------------------------------------------------------
    // An action takes the sender (possibly null). Controls and timers call their target's action by
    // name, the way selectors are sent.
    using Action = std::function<void(const ObjectPtr& sender)>;
    bool respondsTo(std::string_view name) const;
    // Performs the named action; false when the object has no such action.
    bool perform(std::string_view name, const ObjectPtr& sender = nullptr);

    // Registers an action; later registrations under the same name replace earlier ones.
    void defineAction(std::string name, Action action);

    template <class T>
    std::shared_ptr<T> sharedFromThis() { return std::static_pointer_cast<T>(shared_from_this()); }

private:
    void storeAssociated(AssociationKey key, std::any value);
    std::any* findAssociated(AssociationKey key);

    // Both tables are rare, so they cost one pointer each until used.
    std::unique_ptr<std::map<AssociationKey, std::any>> associations_;
    std::unique_ptr<std::map<std::string, Action, std::less<>>> actions_;
};

// A class-wide point where code can attach behaviour to run after a platform method's own
// implementation, for every instance. Attaching is done once per process by whoever needs it.
template <class... Args>
class HookPoint {
public:
    using Hook = std::function<void(Args...)>;
    void add(Hook hook) { hooks_.push_back(std::move(hook)); }
    bool empty() const { return hooks_.empty(); }
    void run(Args... args) const {
        for (const auto& hook : hooks_) hook(args...);
    }

private:
    std::vector<Hook> hooks_;
};

// Demangled name of a type, for descriptions.
std::string demangledName(const std::type_info& type);

}  // namespace platform
