#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

#include "platform/foundation/Dispatch.h"

namespace platform {

namespace {
class ObserverToken final : public Object {};
}  // namespace

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

ObjectPtr NotificationCenter::addObserver(const std::string& name, const ObjectPtr& object, dispatch::Queue* queue,
                                          Block block) {
    auto registration = std::make_shared<Registration>();
    registration->name = name;
    registration->object = object;
    registration->hasObject = object != nullptr;
    registration->token = std::make_shared<ObserverToken>();
    registration->queue = queue;
    registration->block = std::move(block);
    std::lock_guard lock(mutex_);
    registrations_.push_back(registration);
    return registration->token;
}

void NotificationCenter::addObserver(const ObjectPtr& observer, const std::string& action, const std::string& name,
                                     const ObjectPtr& object) {
    if (!observer) return;
    auto registration = std::make_shared<Registration>();
    registration->name = name;
    registration->object = object;
    registration->hasObject = object != nullptr;
    registration->observer = observer;
    registration->action = action;
    std::lock_guard lock(mutex_);
    registrations_.push_back(registration);
}

void NotificationCenter::removeObserver(const ObjectPtr& observerOrToken, const std::string& name) {
    if (!observerOrToken) return;
    std::vector<std::shared_ptr<Registration>> removed;  // destroyed outside the lock
    std::lock_guard lock(mutex_);
    std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
        bool match = (r->token == observerOrToken || r->observer.lock() == observerOrToken) &&
                     (name.empty() || r->name == name);
        if (match) removed.push_back(r);
        return match;
    });
}

std::size_t NotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return registrations_.size();
}

void NotificationCenter::post(const std::string& name, const ObjectPtr& object, std::optional<Dictionary> userInfo) {
    post(Notification{name, object, std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<Registration>> matching;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(registrations_, [](const std::shared_ptr<Registration>& r) {
            return !r->token && r->observer.expired();
        });
        for (const auto& r : registrations_) {
            if (!r->name.empty() && r->name != notification.name) continue;
            if (r->hasObject && r->object.lock() != notification.object) continue;
            matching.push_back(r);
        }
    }
    for (const auto& r : matching) {
        // Removed by an earlier observer of this same post? Then it must not run.
        {
            std::lock_guard lock(mutex_);
            if (std::find(registrations_.begin(), registrations_.end(), r) == registrations_.end()) continue;
        }
        if (r->block) {
            if (r->queue) {
                auto block = r->block;
                r->queue->async([block, notification] { block(notification); });
            } else {
                r->block(notification);
            }
        } else if (auto observer = r->observer.lock()) {
            observer->perform(r->action, std::make_shared<NotificationObject>(notification));
        }
    }
}

}  // namespace platform
