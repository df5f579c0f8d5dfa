#pragma once

// Event monitors. An in-application monitor sees the events this application receives before they
// are dispatched and may change or swallow them (answering null); a system-wide monitor sees copies of
// the events sent to other applications and cannot change them. The simulated session delivers both.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/appkit/Event.h"
#include "platform/runtime/Object.h"

namespace platform {

class EventMonitor {
public:
    using LocalHandler = std::function<EventPtr(const EventPtr&)>;
    using GlobalHandler = std::function<void(const EventPtr&)>;

    // The answer is the monitor's token; keep it to remove the monitor. The system holds the monitor
    // (and its handler) until it is removed.
    static ObjectPtr addLocalMonitor(EventMask mask, LocalHandler handler);
    static ObjectPtr addGlobalMonitor(EventMask mask, GlobalHandler handler);
    static void removeMonitor(const ObjectPtr& token);

    // Delivery, used by the session: runs the local monitors in order of installation; answers the
    // event to dispatch, or null when a monitor swallowed it.
    static EventPtr dispatchLocal(EventPtr event);
    static void dispatchGlobal(const EventPtr& event);
    static std::size_t monitorCount();
};

}  // namespace platform
