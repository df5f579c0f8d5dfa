#pragma once

// Keyboard and mouse event monitors remembered on their owner: any object installs monitors and
// later removes one or all of them without keeping the tokens itself. The tokens live in the
// object's associated storage, in the order they were added, and are compared by identity.
// Destroying the object does not remove its monitors; only the removal calls do.

#include <optional>
#include <vector>

#include "platform/appkit/Event.h"
#include "platform/appkit/EventMonitor.h"
#include "platform/runtime/Object.h"

// A system-wide monitor (events sent to other applications); the token, or null when refused.
platform::ObjectPtr addGlobalEventMonitor(platform::Object& object, platform::EventMask mask,
                                          std::function<void(const platform::EventPtr&)> handler);
// An in-application monitor; the handler answers the event to deliver, or null to swallow it.
platform::ObjectPtr addLocalEventMonitor(platform::Object& object, platform::EventMask mask,
                                         std::function<platform::EventPtr(const platform::EventPtr&)> handler);
// Both, for the same mask and handler: the system-wide one first (its answer ignored).
void addEventMonitor(platform::Object& object, platform::EventMask mask,
                     std::function<platform::EventPtr(const platform::EventPtr&)> handler);
void addMonitor(platform::Object& object, const platform::ObjectPtr& token);
void addMonitors(platform::Object& object, const std::vector<platform::ObjectPtr>& tokens);
void removeMonitor(platform::Object& object, const platform::ObjectPtr& token);
void removeAllMonitors(platform::Object& object);
// The object's list of tokens; absent until the first addition.
std::optional<std::vector<platform::ObjectPtr>> monitors(const platform::Object& object);
