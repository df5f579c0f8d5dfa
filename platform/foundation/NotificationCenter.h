#pragma once

// The in-process notification center: named notifications with an optional sender object and user
// information, delivered synchronously to observers on the posting thread (or on a given queue).

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

namespace dispatch {
class Queue;
}

struct Notification {
    std::string name;
    ObjectPtr object;                     // the sender, may be null
    std::optional<Dictionary> userInfo;   // absent and empty are different
};

class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;

    // The process's default center.
    static NotificationCenter& defaultCenter();
    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Block form: the answer is the observer token; the center holds it (and the block) until
    // `removeObserver(token)`. An empty name matches every name; a null object every sender. With a
    // queue, delivery is put on that queue asynchronously.
    ObjectPtr addObserver(const std::string& name, const ObjectPtr& object, dispatch::Queue* queue, Block block);
    // Target-action form: the center holds the observer weakly and sends it the named action, with a
    // Notification wrapper object as sender. An observer that has gone is skipped and forgotten.
    void addObserver(const ObjectPtr& observer, const std::string& action, const std::string& name,
                     const ObjectPtr& object);
    // Removes a token or an observer for every name (or only `name` when given).
    void removeObserver(const ObjectPtr& observerOrToken, const std::string& name = {});

    void post(const Notification& notification);
    void post(const std::string& name, const ObjectPtr& object = nullptr,
              std::optional<Dictionary> userInfo = std::nullopt);

    std::size_t observerCount() const;

private:
    struct Registration {
        std::string name;
        WeakObjectPtr object;
        bool hasObject = false;
        // Block registrations keep their token alive; action registrations only reference.
        ObjectPtr token;
        WeakObjectPtr observer;
        std::string action;
        dispatch::Queue* queue = nullptr;
        Block block;
    };
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_;
};

// The object sent as sender of target-action deliveries, wrapping the notification.
class NotificationObject : public Object {
public:
    explicit NotificationObject(Notification notification) : notification(std::move(notification)) {}
    Notification notification;
};

}  // namespace platform
