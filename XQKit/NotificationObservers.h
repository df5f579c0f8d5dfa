#pragma once

// Closures for named notifications, kept on the observing object itself, for three centers: the
// in-process default center, the distributed center (other processes of the user) and the
// workspace's center. The center calls one fixed action of the object per family ("received:",
// "receivedDistributed:", "receivedWorkspace:"), which looks the closure up by the notification's
// name; one closure is kept per name and family.
//
// Registrations with the centers are not removed when the object goes; an object that registers
// removes them before it is destroyed. Adding a closure for a name twice registers twice with the
// center (and keeps the second closure), so each post then calls it twice.

#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/runtime/Object.h"

using NotificationHandler = std::function<void(const platform::Notification&)>;

// In-process: posted with the receiver as sender.
void postNotification(const platform::ObjectPtr& receiver, const std::string& name,
                      const std::optional<platform::Dictionary>& userInfo = std::nullopt);
void addNotification(const platform::ObjectPtr& receiver, const std::string& name, NotificationHandler handler);
void removeNotification(const platform::ObjectPtr& receiver, const std::string& name);
void removeAllNotifications(const platform::ObjectPtr& receiver);

// Distributed: posted with no sender, delivered on the main thread.
void postDistributedNotification(const platform::ObjectPtr& receiver, const std::string& name,
                                 const std::optional<platform::Dictionary>& userInfo = std::nullopt);
void addDistributedNotification(const platform::ObjectPtr& receiver, const std::string& name,
                                NotificationHandler handler);
void removeDistributedNotification(const platform::ObjectPtr& receiver, const std::string& name);
void removeAllDistributedNotifications(const platform::ObjectPtr& receiver);

// Workspace: posted with the receiver as sender.
void postWorkspaceNotification(const platform::ObjectPtr& receiver, const std::string& name,
                               const std::optional<platform::Dictionary>& userInfo = std::nullopt);
void addWorkspaceNotification(const platform::ObjectPtr& receiver, const std::string& name,
                              NotificationHandler handler);
void removeWorkspaceNotification(const platform::ObjectPtr& receiver, const std::string& name);
void removeAllWorkspaceNotifications(const platform::ObjectPtr& receiver);
