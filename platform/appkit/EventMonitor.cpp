#include "platform/appkit/EventMonitor.h"

#include <algorithm>

namespace platform {

namespace {

class Monitor final : public Object {
public:
    EventMask mask = 0;
    bool global = false;
    EventMonitor::LocalHandler local;
    EventMonitor::GlobalHandler remote;
};

// The monitors installed in this process: part of the simulated window server.
struct Registry {
    std::mutex mutex;
    std::vector<std::shared_ptr<Monitor>> monitors;
    static Registry& shared() {
        static Registry registry;
        return registry;
    }
    std::vector<std::shared_ptr<Monitor>> matching(const EventPtr& event, bool global) {
        std::lock_guard lock(mutex);
        std::vector<std::shared_ptr<Monitor>> result;
        for (const auto& monitor : monitors)
            if (monitor->global == global && (monitor->mask & eventMaskFor(event->type()))) result.push_back(monitor);
        return result;
    }
    ObjectPtr add(std::shared_ptr<Monitor> monitor) {
        std::lock_guard lock(mutex);
        monitors.push_back(monitor);
        return monitor;
    }
    bool contains(const std::shared_ptr<Monitor>& monitor) {
        std::lock_guard lock(mutex);
        return std::find(monitors.begin(), monitors.end(), monitor) != monitors.end();
    }
};

}  // namespace

ObjectPtr EventMonitor::addLocalMonitor(EventMask mask, LocalHandler handler) {
    if (!handler) return nullptr;
    auto monitor = std::make_shared<Monitor>();
    monitor->mask = mask;
    monitor->local = std::move(handler);
    return Registry::shared().add(std::move(monitor));
}

ObjectPtr EventMonitor::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
    if (!handler) return nullptr;
    auto monitor = std::make_shared<Monitor>();
    monitor->mask = mask;
    monitor->global = true;
    monitor->remote = std::move(handler);
    return Registry::shared().add(std::move(monitor));
}

void EventMonitor::removeMonitor(const ObjectPtr& token) {
    if (!token) return;
    std::shared_ptr<Monitor> removed;  // released outside the lock
    auto& registry = Registry::shared();
    std::lock_guard lock(registry.mutex);
    auto it = std::find(registry.monitors.begin(), registry.monitors.end(), token);
    if (it == registry.monitors.end()) return;
    removed = *it;
    registry.monitors.erase(it);
}

EventPtr EventMonitor::dispatchLocal(EventPtr event) {
    if (!event) return nullptr;
    for (const auto& monitor : Registry::shared().matching(event, false)) {
        if (!Registry::shared().contains(monitor)) continue;  // removed by an earlier handler
        event = monitor->local(event);
        if (!event) return nullptr;
    }
    return event;
}

void EventMonitor::dispatchGlobal(const EventPtr& event) {
    if (!event) return;
    for (const auto& monitor : Registry::shared().matching(event, true))
        if (Registry::shared().contains(monitor)) monitor->remote(event);
}

std::size_t EventMonitor::monitorCount() {
    auto& registry = Registry::shared();
    std::lock_guard lock(registry.mutex);
    return registry.monitors.size();
}

}  // namespace platform
