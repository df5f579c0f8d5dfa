#include "platform/foundation/DistributedNotificationCenter.h"

#include "platform/runtime/Immortal.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <algorithm>
#include <limits>
#include <map>

#include "platform/foundation/RunLoop.h"

namespace platform {

namespace {

constexpr const char* kPath = "/org/xqkit/DistributedNotificationCenter";
constexpr const char* kInterface = "org.xqkit.DistributedNotificationCenter";
constexpr const char* kMember = "Notification";
constexpr const char* kMatch =
    "type='signal',path='/org/xqkit/DistributedNotificationCenter',"
    "interface='org.xqkit.DistributedNotificationCenter',member='Notification'";

// ---- writing values -----------------------------------------------------------------------------

// The D-Bus signature of a value inside a variant; empty when it has no wire form.
std::string signatureOf(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Bool: return "b";
        case Value::Kind::Integer: return "x";
        case Value::Kind::Unsigned: {
            auto v = value.exactly<std::int64_t>();
            return v ? "x" : "t";
        }
        case Value::Kind::Real: return "d";
        case Value::Kind::String: return "s";
        case Value::Kind::Data: return "ay";
        case Value::Kind::Date: return "(sd)";
        case Value::Kind::Array: return "av";
        case Value::Kind::Dictionary: return "a{sv}";
        default: return {};
    }
}

int appendDictionary(sd_bus_message* m, const Dictionary& dictionary, const std::string& path,
                     std::vector<std::string>& dropped);

int appendArray(sd_bus_message* m, const Array& array, const std::string& path, std::vector<std::string>& dropped);

// Appends `value` as the contents of an already chosen signature.
int appendContents(sd_bus_message* m, const Value& value, const std::string& signature, const std::string& path,
                   std::vector<std::string>& dropped) {
    switch (value.kind()) {
        case Value::Kind::Bool: {
            int v = *value.boolValue() ? 1 : 0;
            return sd_bus_message_append_basic(m, 'b', &v);
        }
        case Value::Kind::Integer:
        case Value::Kind::Unsigned:
            if (signature == "t") {
                std::uint64_t v = *value.exactly<std::uint64_t>();
                return sd_bus_message_append_basic(m, 't', &v);
            } else {
                std::int64_t v = *value.exactly<std::int64_t>();
                return sd_bus_message_append_basic(m, 'x', &v);
            }
        case Value::Kind::Real: {
            double v = *value.exactly<double>();
            return sd_bus_message_append_basic(m, 'd', &v);
        }
        case Value::Kind::String: return sd_bus_message_append_basic(m, 's', value.string()->c_str());
        case Value::Kind::Data: {
            const auto& data = *value.data();
            return sd_bus_message_append_array(m, 'y', data.data(), data.size());
        }
        case Value::Kind::Date: {
            double seconds = value.date()->timeIntervalSince1970();
            return sd_bus_message_append(m, "(sd)", "date", seconds);
        }
        case Value::Kind::Array: return appendArray(m, *value.array(), path, dropped);
        case Value::Kind::Dictionary: return appendDictionary(m, *value.dictionary(), path, dropped);
        default: return -EINVAL;
    }
}

int appendVariant(sd_bus_message* m, const Value& value, const std::string& path, std::vector<std::string>& dropped) {
    std::string signature = signatureOf(value);
    int r = sd_bus_message_open_container(m, 'v', signature.c_str());
    if (r < 0) return r;
    r = appendContents(m, value, signature, path, dropped);
    if (r < 0) return r;
    return sd_bus_message_close_container(m);
}

int appendArray(sd_bus_message* m, const Array& array, const std::string& path, std::vector<std::string>& dropped) {
    int r = sd_bus_message_open_container(m, 'a', "v");
    if (r < 0) return r;
    for (std::size_t i = 0; i < array.size(); ++i) {
        std::string here = path + "[" + std::to_string(i) + "]";
        if (signatureOf(array[i]).empty()) {
            dropped.push_back(here);
            continue;
        }
        if ((r = appendVariant(m, array[i], here, dropped)) < 0) return r;
    }
    return sd_bus_message_close_container(m);
}

int appendDictionary(sd_bus_message* m, const Dictionary& dictionary, const std::string& path,
                     std::vector<std::string>& dropped) {
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    if (r < 0) return r;
    for (const auto& [key, value] : dictionary) {
        std::string here = path.empty() ? key : path + "." + key;
        if (signatureOf(value).empty()) {
            dropped.push_back(here);
            continue;
        }
        if ((r = sd_bus_message_open_container(m, 'e', "sv")) < 0) return r;
        if ((r = sd_bus_message_append_basic(m, 's', key.c_str())) < 0) return r;
        if ((r = appendVariant(m, value, here, dropped)) < 0) return r;
        if ((r = sd_bus_message_close_container(m)) < 0) return r;
    }
    return sd_bus_message_close_container(m);
}

// ---- reading values -----------------------------------------------------------------------------

// Reads the next complete value; answers 0 at the end of the enclosing container, <0 on error, and
// leaves `out` absent for values that have no property-list form.
int readValue(sd_bus_message* m, Value& out);

int readDictionaryBody(sd_bus_message* m, Dictionary& dictionary) {
    while (true) {
        char type;
        const char* contents = nullptr;
        int r = sd_bus_message_peek_type(m, &type, &contents);
        if (r <= 0) return r;
        if ((r = sd_bus_message_enter_container(m, 'e', contents)) < 0) return r;
        char keyType;
        if ((r = sd_bus_message_peek_type(m, &keyType, nullptr)) < 0) return r;
        std::optional<std::string> key;
        if (keyType == 's' || keyType == 'o' || keyType == 'g') {
            const char* text = nullptr;
            if ((r = sd_bus_message_read_basic(m, keyType, &text)) < 0) return r;
            key = text;
        } else {
            Value k;
            if ((r = readValue(m, k)) < 0) return r;
            if (auto i = k.integerValue()) key = std::to_string(*i);
        }
        Value value;
        if ((r = readValue(m, value)) < 0) return r;
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
        if (key && !value.isAbsent()) dictionary[*key] = value;
    }
}

int readValue(sd_bus_message* m, Value& out) {
    out = Value();
    char type;
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, &type, &contents);
    if (r <= 0) return r;
    switch (type) {
        case 'y': {
            std::uint8_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(static_cast<std::int64_t>(v));
            return r;
        }
        case 'b': {
            int v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(v != 0);
            return r;
        }
        case 'n': {
            std::int16_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(static_cast<std::int64_t>(v));
            return r;
        }
        case 'q': {
            std::uint16_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(static_cast<std::int64_t>(v));
            return r;
        }
        case 'i': {
            std::int32_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(static_cast<std::int64_t>(v));
            return r;
        }
        case 'u': {
            std::uint32_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(static_cast<std::int64_t>(v));
            return r;
        }
        case 'x': {
            std::int64_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(v);
            return r;
        }
        case 't': {
            std::uint64_t v;
            r = sd_bus_message_read_basic(m, type, &v);
            if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                out = Value(static_cast<std::int64_t>(v));
            else
                out = Value(v);
            return r;
        }
        case 'd': {
            double v;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(v);
            return r;
        }
        case 's':
        case 'o':
        case 'g': {
            const char* v = nullptr;
            r = sd_bus_message_read_basic(m, type, &v);
            out = Value(std::string(v ? v : ""));
            return r;
        }
        case 'v': {
            if ((r = sd_bus_message_enter_container(m, 'v', contents)) < 0) return r;
            if ((r = readValue(m, out)) < 0) return r;
            if ((r = sd_bus_message_exit_container(m)) < 0) return r;
            return 1;
        }
        case 'a': {
            if (std::strcmp(contents, "y") == 0) {
                const void* bytes = nullptr;
                std::size_t size = 0;
                if ((r = sd_bus_message_read_array(m, 'y', &bytes, &size)) < 0) return r;
                out = Value(Data(bytes, size));
                return 1;
            }
            if ((r = sd_bus_message_enter_container(m, 'a', contents)) < 0) return r;
            if (contents[0] == '{') {
                Dictionary dictionary;
                if ((r = readDictionaryBody(m, dictionary)) < 0) return r;
                out = Value(std::move(dictionary));
            } else {
                Array array;
                while (true) {
                    Value element;
                    if ((r = readValue(m, element)) < 0) return r;
                    if (r == 0) break;
                    if (!element.isAbsent()) array.push_back(element);
                }
                out = Value(std::move(array));
            }
            if ((r = sd_bus_message_exit_container(m)) < 0) return r;
            return 1;
        }
        case 'r': {
            if ((r = sd_bus_message_enter_container(m, 'r', contents)) < 0) return r;
            Array members;
            while (true) {
                Value member;
                if ((r = readValue(m, member)) < 0) return r;
                if (r == 0) break;
                members.push_back(member);
            }
            if ((r = sd_bus_message_exit_container(m)) < 0) return r;
            if (std::strcmp(contents, "sd") == 0 && members.size() == 2 && members[0].string() &&
                *members[0].string() == "date")
                out = Value(Date::fromUnixTime(*members[1].exactly<double>()));
            else
                out = Value(std::move(members));
            return 1;
        }
        default:
            // Unix descriptors and anything newer: skipped.
            if ((r = sd_bus_message_skip(m, nullptr)) < 0) return r;
            return 1;
    }
}

void logLine(const std::string& line) { std::cerr << "DistributedNotificationCenter: " << line << std::endl; }

}  // namespace

struct DistributedNotificationCenter::Bus {
    sd_bus* bus = nullptr;
    // One match rule per observed name (arg0), so a process receives only the names it observes; ""
    // is the rule for every name, used while someone observes all names or a name too long for a rule.
    std::map<std::string, sd_bus_slot*> matches;
    // The last message handed to the observers, so one that matches two rules is delivered once.
    std::string lastSender;
    std::uint64_t lastCookie = 0;
    std::shared_ptr<FileDescriptorSource> source;
    ~Bus() {
        // An invalid source is dropped by its loop at the next pass; the loop itself is not touched
        // here, since this may run at exit, after the main thread's loop has gone.
        if (source) source->invalidate();
        for (auto& [name, slot] : matches) sd_bus_slot_unref(slot);
        if (bus) sd_bus_flush_close_unref(bus);
    }
};

DistributedNotificationCenter& DistributedNotificationCenter::defaultCenter() {
    struct Access : DistributedNotificationCenter {};  // reaches the private constructor
    static Immortal<Access> center;
    return center.get();
}

DistributedNotificationCenter::~DistributedNotificationCenter() { disconnect(); }

DistributedNotificationCenter::Bus* DistributedNotificationCenter::connect() {
    std::lock_guard lock(mutex_);
    if (bus_ || tried_) return bus_.get();
    tried_ = true;
    auto bus = std::make_unique<Bus>();
    int r = sd_bus_open_user(&bus->bus);
    if (r < 0) {
        bus->bus = nullptr;
        logLine(std::string("no session bus (") + std::strerror(-r) +
                "); distributed notifications are not sent or received");
        return nullptr;
    }
    int fd = sd_bus_get_fd(bus->bus);
    bus->source = std::make_shared<FileDescriptorSource>(fd, static_cast<short>(POLLIN), [this](short) {
        processIncoming();
    });
    RunLoop::main().addFileDescriptor(bus->source, RunLoopMode::Common);
    bus_ = std::move(bus);
    if (!registrations_.empty()) ensureMatch();
    updateEvents();
    return bus_.get();
}

int onSignal(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* center = static_cast<DistributedNotificationCenter*>(userdata);
    std::uint64_t cookie = 0;
    sd_bus_message_get_cookie(m, &cookie);
    const char* sender = sd_bus_message_get_sender(m);
    if (!center->firstDelivery(sender ? sender : "", cookie)) return 0;
    const char* name = nullptr;
    if (sd_bus_message_read_basic(m, 's', &name) < 0 || !name) return 0;
    std::optional<Dictionary> userInfo;
    char type;
    if (sd_bus_message_peek_type(m, &type, nullptr) > 0 && type == 'b') {
        int has = 0;
        sd_bus_message_read_basic(m, 'b', &has);
        Value info;
        if (readValue(m, info) >= 0 && has) {
            if (const Dictionary* d = info.dictionary())
                userInfo = *d;
            else
                userInfo = Dictionary();
        }
    }
    center->deliverFromBus(name, userInfo);
    return 0;
}

void DistributedNotificationCenter::deliverFromBus(const std::string& name, const std::optional<Dictionary>& userInfo) {
    deliver(name, userInfo);
}

bool DistributedNotificationCenter::firstDelivery(const std::string& sender, std::uint64_t cookie) {
    std::lock_guard lock(mutex_);
    if (!bus_) return true;
    if (cookie != 0 && cookie == bus_->lastCookie && sender == bus_->lastSender) return false;
    bus_->lastCookie = cookie;
    bus_->lastSender = sender;
    return true;
}

namespace {
// A match-rule value in quotes; an apostrophe is written as '\''.
std::string quotedRuleValue(const std::string& value) {
    std::string quoted = "'";
    for (char c : value) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
constexpr std::size_t kMaxRule = 1024;  // the bus refuses longer rules
}  // namespace

void DistributedNotificationCenter::ensureMatch() {
    std::lock_guard lock(mutex_);
    if (!bus_) return;
    // The rules wanted now: one per observed name, or the catch-all.
    std::map<std::string, std::string> wanted;  // key -> rule
    for (const auto& r : registrations_) {
        if (r->byObject && r->observer.expired()) continue;
        std::string rule = r->name.empty() ? std::string() : std::string(kMatch) + ",arg0=" + quotedRuleValue(r->name);
        if (rule.size() > kMaxRule || r->name.empty())
            wanted[""] = kMatch;
        else
            wanted[r->name] = rule;
    }
    for (auto it = bus_->matches.begin(); it != bus_->matches.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        sd_bus_slot_unref(it->second);
        it = bus_->matches.erase(it);
    }
    for (const auto& [key, rule] : wanted) {
        if (bus_->matches.count(key)) continue;
        sd_bus_slot* slot = nullptr;
        int r = sd_bus_add_match(bus_->bus, &slot, rule.c_str(), onSignal, this);
        if (r < 0) {
            logLine(std::string("cannot listen on the session bus (") + std::strerror(-r) + ")");
            continue;
        }
        bus_->matches[key] = slot;
    }
    // Adding a rule waits for the bus's answer and may have read signals meanwhile.
    scheduleProcessing();
}

void DistributedNotificationCenter::disconnect() {
    std::unique_ptr<Bus> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(bus_);
        tried_ = false;
    }
}

void DistributedNotificationCenter::reconnect() { disconnect(); }

bool DistributedNotificationCenter::isConnected() { return connect() != nullptr; }

void DistributedNotificationCenter::scheduleProcessing() {
    if (processingScheduled_) return;
    processingScheduled_ = true;
    RunLoop::main().perform([this] { processIncoming(); });
}

void DistributedNotificationCenter::updateEvents() {
    if (!bus_ || !bus_->source) return;
    int events = sd_bus_get_events(bus_->bus);
    if (events > 0) bus_->source->setEvents(static_cast<short>(events));
}

void DistributedNotificationCenter::processIncoming() {
    std::unique_lock lock(mutex_);
    processingScheduled_ = false;
    if (!bus_) return;
    sd_bus* bus = sd_bus_ref(bus_->bus);
    lock.unlock();
    int r;
    while ((r = sd_bus_process(bus, nullptr)) > 0) {
    }
    lock.lock();
    if (r < 0 && bus_ && bus_->bus == bus) {
        logLine(std::string("lost the session bus (") + std::strerror(-r) + ")");
        auto old = std::move(bus_);
        lock.unlock();
        old.reset();
        sd_bus_unref(bus);
        return;
    }
    updateEvents();
    lock.unlock();
    sd_bus_unref(bus);
}

void DistributedNotificationCenter::addObserver(const void* observer, const std::string& name, Callback callback,
                                                SuspensionBehavior) {
    auto registration = std::make_shared<Registration>();
    registration->key = observer;
    registration->callback = std::move(callback);
    registration->name = name;
    {
        std::lock_guard lock(mutex_);
        registrations_.push_back(registration);
    }
    if (connect()) ensureMatch();
}

void DistributedNotificationCenter::addObserver(const ObjectPtr& observer, const std::string& action,
                                                const std::string& name, SuspensionBehavior) {
    if (!observer) return;
    auto registration = std::make_shared<Registration>();
    registration->key = observer.get();
    registration->observer = observer;
    registration->byObject = true;
    registration->action = action;
    registration->name = name;
    {
        std::lock_guard lock(mutex_);
        registrations_.push_back(registration);
    }
    if (connect()) ensureMatch();
}

void DistributedNotificationCenter::removeObserver(const void* observer, const std::optional<std::string>& name) {
    std::vector<std::shared_ptr<Registration>> removed;  // destroyed outside the lock
    {
        std::lock_guard lock(mutex_);
        std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
            bool match = r->key == observer && (!name || r->name == *name);
            if (match) removed.push_back(r);
            return match;
        });
    }
    if (!removed.empty()) ensureMatch();
}

void DistributedNotificationCenter::removeObserver(const ObjectPtr& observer, const std::optional<std::string>& name) {
    removeObserver(static_cast<const void*>(observer.get()), name);
}

std::size_t DistributedNotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return registrations_.size();
}

void DistributedNotificationCenter::deliver(const std::string& name, const std::optional<Dictionary>& userInfo) {
    std::vector<std::shared_ptr<Registration>> matching;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(registrations_, [](const std::shared_ptr<Registration>& r) {
            return r->byObject && r->observer.expired();
        });
        for (const auto& r : registrations_)
            if (r->name.empty() || r->name == name) matching.push_back(r);
    }
    for (const auto& r : matching) {
        {
            // Removed by an earlier observer of this same notification? Then it must not run.
            std::lock_guard lock(mutex_);
            if (std::find(registrations_.begin(), registrations_.end(), r) == registrations_.end()) continue;
        }
        if (r->callback) {
            r->callback(name, userInfo);
        } else if (auto observer = r->observer.lock()) {
            observer->perform(r->action, std::make_shared<NotificationObject>(Notification{name, nullptr, userInfo}));
        }
    }
}

void DistributedNotificationCenter::post(const std::string& name, const std::optional<Dictionary>& userInfo,
                                         unsigned options) {
    // The connection belongs to the main thread; a post from elsewhere is handed over to it.
    if (!RunLoop::main().isCurrent()) {
        RunLoop::main().perform([this, name, userInfo, options] { post(name, userInfo, options); });
        return;
    }
    Bus* bus = connect();
    std::lock_guard lock(mutex_);
    if (!bus || !bus_) return;
    sd_bus_message* m = nullptr;
    int r = sd_bus_message_new_signal(bus_->bus, &m, kPath, kInterface, kMember);
    std::vector<std::string> dropped;
    if (r >= 0) r = sd_bus_message_append_basic(m, 's', name.c_str());
    int has = userInfo ? 1 : 0;
    if (r >= 0) r = sd_bus_message_append_basic(m, 'b', &has);
    if (r >= 0) r = appendDictionary(m, userInfo ? *userInfo : Dictionary(), "", dropped);
    if (r >= 0) r = sd_bus_send(bus_->bus, m, nullptr);
    if (r >= 0) r = sd_bus_flush(bus_->bus);
    sd_bus_message_unref(m);
    if (!dropped.empty()) {
        std::string keys;
        for (const auto& k : dropped) keys += (keys.empty() ? "" : ", ") + k;
        logLine("\"" + name + "\": left out user information that cannot cross processes: " + keys);
    }
    if (r < 0) logLine("cannot post \"" + name + "\" (" + std::strerror(-r) + ")");
    updateEvents();
}

}  // namespace platform
