#include "XQKit/EventMonitorRegistry.h"

#include <algorithm>

using namespace platform;

namespace {
const char kMonitorsKey = 0;
using List = std::vector<ObjectPtr>;

List* list(Object& object) { return object.associated<List>(&kMonitorsKey); }
}  // namespace

std::optional<std::vector<ObjectPtr>> monitors(const Object& object) {
    if (const auto* l = object.associated<List>(&kMonitorsKey)) return *l;
    return std::nullopt;
}

void addMonitor(Object& object, const ObjectPtr& token) {
    if (!token) return;
    List l = list(object) ? *list(object) : List{};
    l.push_back(token);
    object.setAssociated(&kMonitorsKey, std::move(l));
}

void addMonitors(Object& object, const std::vector<ObjectPtr>& tokens) {
    if (tokens.empty()) return;
    List l = list(object) ? *list(object) : List{};
    l.insert(l.end(), tokens.begin(), tokens.end());
    object.setAssociated(&kMonitorsKey, std::move(l));
}

ObjectPtr addGlobalEventMonitor(Object& object, EventMask mask, std::function<void(const EventPtr&)> handler) {
    auto token = EventMonitor::addGlobalMonitor(mask, std::move(handler));
    addMonitor(object, token);
    return token;
}

ObjectPtr addLocalEventMonitor(Object& object, EventMask mask, std::function<EventPtr(const EventPtr&)> handler) {
    auto token = EventMonitor::addLocalMonitor(mask, std::move(handler));
    addMonitor(object, token);
    return token;
}

void addEventMonitor(Object& object, EventMask mask, std::function<EventPtr(const EventPtr&)> handler) {
    if (!handler) return;
    addGlobalEventMonitor(object, mask, [handler](const EventPtr& event) { (void)handler(event); });
    addLocalEventMonitor(object, mask, handler);
}

void removeMonitor(Object& object, const ObjectPtr& token) {
    EventMonitor::removeMonitor(token);
    List* l = list(object);
    if (!l) {
        object.removeAssociated(&kMonitorsKey);
        return;
    }
    List kept;
    for (auto& t : *l)
        if (t != token) kept.push_back(t);
    object.setAssociated(&kMonitorsKey, std::move(kept));
}

void removeAllMonitors(Object& object) {
    List* l = list(object);
    if (!l) {
        object.removeAssociated(&kMonitorsKey);
        return;
    }
    for (auto& t : List(*l)) EventMonitor::removeMonitor(t);
    object.setAssociated(&kMonitorsKey, List{});
}
