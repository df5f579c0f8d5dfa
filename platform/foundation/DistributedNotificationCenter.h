#pragma once

// The distributed notification center: named notifications with optional user information,
// exchanged between the processes of one user over the D-Bus session bus, so that any D-Bus client
// can take part.
//
// Wire form: a signal `Notification` on the object path /org/xqkit/DistributedNotificationCenter,
// interface org.xqkit.DistributedNotificationCenter, arguments (s name, b hasUserInfo, a{sv} userInfo).
// hasUserInfo false means "no user information", which stays distinct from an empty dictionary.
// Property-list values map to D-Bus types as follows:
//
//     text s · bool b · integer x (unsigned above the signed range: t) · real d · data ay
//     array av · dictionary a{sv}
//     date: the struct (sd) ("date", seconds since 1970-01-01 00:00:00 UTC)
//
// Values that have no such form (URLs, objects) are left out with one log line; the rest is sent.
// On receipt the other integer types are read as integers, o and g as text, and other structs as
// arrays.
//
// The bus connection is a file-descriptor source on the main run loop, so notifications are
// delivered on the main thread as the loop runs. Without a session bus the center logs one line,
// posting does nothing and observers are kept but never called.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class FileDescriptorSource;

class DistributedNotificationCenter {
public:
    // How notifications are treated while the application is suspended. Every process here is
    // always active, so all four deliver at once; the value is kept for fidelity.
    enum class SuspensionBehavior { Drop = 1, Coalesce = 2, Hold = 3, DeliverImmediately = 4 };
    // Options when posting: deliver immediately (1), post to all sessions (2).
    enum PostOptions : unsigned { DeliverImmediately = 1, PostToAllSessions = 2 };

    using Callback = std::function<void(const std::string& name, const std::optional<Dictionary>& userInfo)>;

    static DistributedNotificationCenter& defaultCenter();
    ~DistributedNotificationCenter();
    DistributedNotificationCenter(const DistributedNotificationCenter&) = delete;
    DistributedNotificationCenter& operator=(const DistributedNotificationCenter&) = delete;

    // Callback form, keyed by an observer identity (any address). Each call adds one registration.
    // An empty name matches every name.
    void addObserver(const void* observer, const std::string& name, Callback callback,
                     SuspensionBehavior suspension = SuspensionBehavior::DeliverImmediately);
    // Removes the observer's registrations for `name`, or for every name when it is absent.
    void removeObserver(const void* observer, const std::optional<std::string>& name);

    // Target-action form: the observer is held weakly and sent `action` with a NotificationObject as
    // sender. Each call adds one registration, also for the same observer and name.
    void addObserver(const ObjectPtr& observer, const std::string& action, const std::string& name,
                     SuspensionBehavior suspension = SuspensionBehavior::DeliverImmediately);
    void removeObserver(const ObjectPtr& observer, const std::optional<std::string>& name);

    // Sends the notification to every process of the session, this one included. Called off the
    // main thread, the post is handed to the main run loop and goes out from there.
    void post(const std::string& name, const std::optional<Dictionary>& userInfo = std::nullopt,
              unsigned options = DeliverImmediately);

    // Whether a session bus connection is up (connecting on first use).
    bool isConnected();
    // Forgets the connection; the next use connects to the bus the environment names then. Observers
    // stay registered.
    void reconnect();
    // Reads and delivers what has arrived so far, without waiting.
    void processIncoming();

    std::size_t observerCount() const;

    // Hands a notification read from the bus to the observers (called by the connection).
    void deliverFromBus(const std::string& name, const std::optional<Dictionary>& userInfo);
    // False when the message (sender, serial) was already delivered through another rule.
    bool firstDelivery(const std::string& sender, std::uint64_t cookie);

private:
    DistributedNotificationCenter() = default;
    struct Registration {
        const void* key = nullptr;
        WeakObjectPtr observer;
        bool byObject = false;
        std::string action;
        Callback callback;
        std::string name;
    };
    struct Bus;

    Bus* connect();
    void ensureMatch();
    void disconnect();
    void deliver(const std::string& name, const std::optional<Dictionary>& userInfo);
    void scheduleProcessing();
    void updateEvents();

    mutable std::recursive_mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_;
    std::unique_ptr<Bus> bus_;
    bool tried_ = false;
    bool processingScheduled_ = false;
};

}  // namespace platform
