#include "XQKit/NotificationObservers.h"

#include <map>

#include "platform/appkit/Workspace.h"
#include "platform/foundation/DistributedNotificationCenter.h"

using platform::DistributedNotificationCenter;
using platform::NotificationCenter;
using platform::ObjectPtr;

namespace {

using HandlerMap = std::map<std::string, NotificationHandler>;

// Association keys, one per family.
char kInProcessKey;
char kDistributedKey;
char kWorkspaceKey;

enum class Family { InProcess, Distributed, Workspace };

const void* keyOf(Family family) {
    switch (family) {
        case Family::InProcess: return &kInProcessKey;
        case Family::Distributed: return &kDistributedKey;
        default: return &kWorkspaceKey;
    }
}

const char* actionOf(Family family) {
    switch (family) {
        case Family::InProcess: return "received:";
        case Family::Distributed: return "receivedDistributed:";
        default: return "receivedWorkspace:";
    }
}

NotificationCenter& centerOf(Family family) {
    return family == Family::InProcess ? NotificationCenter::defaultCenter()
                                       : platform::Workspace::shared()->notificationCenter();
}

// The family's receiving method: the closure stored under the notification's name, if any.
void publishReceiver(const ObjectPtr& receiver, Family family) {
    if (receiver->respondsTo(actionOf(family))) return;
    const void* key = keyOf(family);
    platform::Object* raw = receiver.get();
    receiver->defineAction(actionOf(family), [raw, key](const ObjectPtr& sender) {
        auto notification = std::dynamic_pointer_cast<platform::NotificationObject>(sender);
        if (!notification) return;
        const auto* handlers = raw->associated<HandlerMap>(key);
        if (!handlers) return;
        auto found = handlers->find(notification->notification.name);
        if (found == handlers->end() || !found->second) return;
        auto handler = found->second;  // the closure may replace itself while it runs
        handler(notification->notification);
    });
}

void add(Family family, const ObjectPtr& receiver, const std::string& name, NotificationHandler handler) {
    if (!receiver) return;
    publishReceiver(receiver, family);
    if (family == Family::Distributed)
        DistributedNotificationCenter::defaultCenter().addObserver(
            receiver, actionOf(family), name, DistributedNotificationCenter::SuspensionBehavior::DeliverImmediately);
    else
        centerOf(family).addObserver(receiver, actionOf(family), name, nullptr);
    HandlerMap handlers;
    if (const auto* existing = receiver->associated<HandlerMap>(keyOf(family))) handlers = *existing;
    handlers[name] = std::move(handler);
    receiver->setAssociated(keyOf(family), std::move(handlers));
}

void removeOne(Family family, const ObjectPtr& receiver, const std::string& name) {
    if (!receiver) return;
    if (family == Family::Distributed)
        DistributedNotificationCenter::defaultCenter().removeObserver(receiver, name);
    else
        centerOf(family).removeObserver(receiver, name);
    const auto* existing = receiver->associated<HandlerMap>(keyOf(family));
    if (!existing) return;
    HandlerMap handlers = *existing;
    handlers.erase(name);
    receiver->setAssociated(keyOf(family), std::move(handlers));
}

void removeAll(Family family, const ObjectPtr& receiver) {
    if (!receiver) return;
    if (family == Family::Distributed)
        DistributedNotificationCenter::defaultCenter().removeObserver(receiver, std::nullopt);
    else
        centerOf(family).removeObserver(receiver);
    if (receiver->associated<HandlerMap>(keyOf(family))) receiver->setAssociated(keyOf(family), HandlerMap());
}

}  // namespace

void postNotification(const ObjectPtr& receiver, const std::string& name,
                      const std::optional<platform::Dictionary>& userInfo) {
    NotificationCenter::defaultCenter().post(name, receiver, userInfo);
}
void addNotification(const ObjectPtr& receiver, const std::string& name, NotificationHandler handler) {
    add(Family::InProcess, receiver, name, std::move(handler));
}
void removeNotification(const ObjectPtr& receiver, const std::string& name) {
    removeOne(Family::InProcess, receiver, name);
}
void removeAllNotifications(const ObjectPtr& receiver) { removeAll(Family::InProcess, receiver); }

void postDistributedNotification(const ObjectPtr&, const std::string& name,
                                 const std::optional<platform::Dictionary>& userInfo) {
    DistributedNotificationCenter::defaultCenter().post(name, userInfo, DistributedNotificationCenter::DeliverImmediately);
}
void addDistributedNotification(const ObjectPtr& receiver, const std::string& name, NotificationHandler handler) {
    add(Family::Distributed, receiver, name, std::move(handler));
}
void removeDistributedNotification(const ObjectPtr& receiver, const std::string& name) {
    removeOne(Family::Distributed, receiver, name);
}
void removeAllDistributedNotifications(const ObjectPtr& receiver) { removeAll(Family::Distributed, receiver); }

void postWorkspaceNotification(const ObjectPtr& receiver, const std::string& name,
                               const std::optional<platform::Dictionary>& userInfo) {
    platform::Workspace::shared()->notificationCenter().post(name, receiver, userInfo);
}
void addWorkspaceNotification(const ObjectPtr& receiver, const std::string& name, NotificationHandler handler) {
    add(Family::Workspace, receiver, name, std::move(handler));
}
void removeWorkspaceNotification(const ObjectPtr& receiver, const std::string& name) {
    removeOne(Family::Workspace, receiver, name);
}
void removeAllWorkspaceNotifications(const ObjectPtr& receiver) { removeAll(Family::Workspace, receiver); }
