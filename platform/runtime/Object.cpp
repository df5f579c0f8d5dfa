#include "platform/runtime/Object.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

Object::~Object() = default;

std::string demangledName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    std::string result = (status == 0 && name) ? name.get() : type.name();
    // Descriptions show the class name alone, as the object runtime does.
    if (auto pos = result.rfind("::"); pos != std::string::npos) result.erase(0, pos + 2);
    return result;
}

std::string Object::className() const { return demangledName(typeid(*this)); }

std::string Object::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%#llx", static_cast<unsigned long long>(identity()));
    return "<" + className() + ": " + address + ">";
}

void Object::storeAssociated(AssociationKey key, std::any value) {
    if (!associations_) associations_ = std::make_unique<std::map<AssociationKey, std::any>>();
    // Move the old value out before destroying it: its destructor may touch this object's storage.
    std::any old;
    auto& slot = (*associations_)[key];
    old.swap(slot);
    slot = std::move(value);
}

void Object::removeAssociated(AssociationKey key) {
    if (!associations_) return;
    auto it = associations_->find(key);
    if (it == associations_->end()) return;
    std::any old = std::move(it->second);
    associations_->erase(it);
}

void Object::removeAllAssociated() {
    auto old = std::move(associations_);
}

bool Object::hasAssociated(AssociationKey key) const {
    return associations_ && associations_->count(key) != 0;
}

std::any* Object::findAssociated(AssociationKey key) {
    if (!associations_) return nullptr;
    auto it = associations_->find(key);
    return it == associations_->end() ? nullptr : &it->second;
}

void Object::defineAction(std::string name, Action action) {
    if (!actions_) actions_ = std::make_unique<std::map<std::string, Action, std::less<>>>();
    (*actions_)[std::move(name)] = std::move(action);
}

bool Object::respondsTo(std::string_view name) const {
    return actions_ && actions_->find(name) != actions_->end();
}

bool Object::perform(std::string_view name, const ObjectPtr& sender) {
    if (!actions_) return false;
    auto it = actions_->find(name);
    if (it == actions_->end()) return false;
    Action action = it->second;  // the action may redefine itself while running
    action(sender);
    return true;
}

}  // namespace platform
