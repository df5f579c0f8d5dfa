#include "platform/system/SessionService.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/appkit/Window.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/Session.h"
#include "platform/system/UserResponses.h"

namespace platform {

namespace {

struct Service {
    sd_bus* bus = nullptr;
    sd_bus_slot* slot = nullptr;
    std::shared_ptr<FileDescriptorSource> source;

    ~Service() {
        // An invalid source is dropped by its loop at the next pass; the loop itself is not touched
        // here, since this may run at exit, after the main thread's loop has gone.
        if (source) source->invalidate();
        sd_bus_slot_unref(slot);
        if (bus) sd_bus_flush_close_unref(bus);
    }

    // Reads what has arrived and keeps the poll events in step with what the connection wants.
    void process() {
        while (sd_bus_process(bus, nullptr) > 0) {
        }
        int events = sd_bus_get_events(bus);
        if (events >= 0) source->setEvents(static_cast<short>(events));
    }
};

std::unique_ptr<Service>& service() {
    static std::unique_ptr<Service> instance;
    return instance;
}

int replyEmpty(sd_bus_message* m) { return sd_bus_reply_method_return(m, nullptr); }

int setTrusted(sd_bus_message* m, void*, sd_bus_error*) {
    int trusted = 0;
    if (int r = sd_bus_message_read(m, "b", &trusted); r < 0) return r;
    Session::shared().setTrusted(trusted != 0);
    return replyEmpty(m);
}

int setFrontmost(sd_bus_message* m, void*, sd_bus_error*) {
    const char* id = nullptr;
    if (int r = sd_bus_message_read(m, "s", &id); r < 0) return r;
    Session::shared().setFrontmostApplication(id);
    return replyEmpty(m);
}

int selectInFinder(sd_bus_message* m, void*, sd_bus_error*) {
    char** urls = nullptr;
    if (int r = sd_bus_message_read_strv(m, &urls); r < 0) return r;
    std::vector<std::string> list;
    for (char** u = urls; u && *u; ++u) {
        list.emplace_back(*u);
        std::free(*u);
    }
    std::free(urls);
    Session::shared().setFinderSelection(std::move(list));
    return replyEmpty(m);
}

int setFocus(sd_bus_message* m, void*, sd_bus_error* error) {
    const char* kind = nullptr;
    if (int r = sd_bus_message_read(m, "s", &kind); r < 0) return r;
    std::string focus = kind;
    if (focus == "none")
        Session::shared().setFocus(Session::Focus::None);
    else if (focus == "text")
        Session::shared().setFocus(Session::Focus::TextField);
    else if (focus == "other")
        Session::shared().setFocus(Session::Focus::Other);
    else
        return sd_bus_error_setf(error, SD_BUS_ERROR_INVALID_ARGS, "focus must be none, text or other, not %s", kind);
    return replyEmpty(m);
}

int pressKey(sd_bus_message* m, void*, sd_bus_error* error) {
    uint16_t keyCode = 0;
    uint64_t flags = 0;
    if (int r = sd_bus_message_read(m, "qt", &keyCode, &flags); r < 0) return r;
    if (keyCode > 127) return sd_bus_error_setf(error, SD_BUS_ERROR_INVALID_ARGS, "no such key code: %u", keyCode);
    // The answer waits until the taps have seen the event, which happens on later run-loop passes.
    sd_bus_message* call = sd_bus_message_ref(m);
    auto posted = Session::shared().postKeyEvent(keyCode, flags);
    posted->setCompletion([call](PostedEvent::State state) {
        sd_bus_reply_method_return(call, "s", state == PostedEvent::State::Swallowed ? "swallowed" : "delivered");
        sd_bus_message_unref(call);
        if (auto& s = service()) s->process();  // send the reply now
    });
    return 1;
}

int answer(sd_bus_message* m, void*, sd_bus_error*) {
    int64_t response = 0;
    if (int r = sd_bus_message_read(m, "x", &response); r < 0) return r;
    UserResponses::shared().answer(UserResponse{static_cast<long>(response), std::nullopt, {}});
    return replyEmpty(m);
}

int wake(sd_bus_message* m, void*, sd_bus_error*) {
    Workspace::shared()->simulateWake();
    return replyEmpty(m);
}

int timeOutTaps(sd_bus_message* m, void*, sd_bus_error*) {
    Session::shared().disableTapsByTimeout();
    return replyEmpty(m);
}

int windows(sd_bus_message* m, void*, sd_bus_error*) {
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(m, &reply);
    if (r < 0) return r;
    sd_bus_message_open_container(reply, 'a', "(sddddb)");
    for (const auto& window : Window::orderedWindows()) {
        Rect frame = window->frame();
        sd_bus_message_append(reply, "(sddddb)", window->title.c_str(), frame.origin.x, frame.origin.y,
                              frame.size.width, frame.size.height, window->isVisible() ? 1 : 0);
    }
    sd_bus_message_close_container(reply);
    r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

const sd_bus_vtable kVTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("SetTrusted", "b", "", setTrusted, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetFrontmost", "s", "", setFrontmost, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SelectInFinder", "as", "", selectInFinder, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetFocus", "s", "", setFocus, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PressKey", "qt", "s", pressKey, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Answer", "x", "", answer, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Wake", "", "", wake, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("TimeOutTaps", "", "", timeOutTaps, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Windows", "", "a(sddddb)", windows, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}  // namespace

bool SessionService::start() {
    auto& instance = service();
    if (instance) return true;
    auto created = std::make_unique<Service>();
    int r = sd_bus_open_user(&created->bus);
    if (r < 0) {
        created->bus = nullptr;
        NSLog(std::string("The session cannot be driven from outside: no session bus (") + std::strerror(-r) + ")");
        return false;
    }
    std::string name = std::string(kBusNamePrefix) + std::to_string(::getpid());
    r = sd_bus_add_object_vtable(created->bus, &created->slot, kObjectPath, kInterface, kVTable, nullptr);
    if (r >= 0) r = sd_bus_request_name(created->bus, name.c_str(), 0);
    if (r < 0) {
        NSLog("The session cannot be driven from outside: " + name + ": " + std::strerror(-r));
        return false;
    }
    Service* raw = created.get();
    created->source = std::make_shared<FileDescriptorSource>(sd_bus_get_fd(created->bus), static_cast<short>(POLLIN),
                                                             [raw](short) { raw->process(); });
    // Common modes: a modal alert waiting for its answer keeps hearing the bus.
    RunLoop::main().addFileDescriptor(created->source, RunLoopMode::Common);
    instance = std::move(created);
    instance->process();
    return true;
}

bool SessionService::isRunning() { return service() != nullptr; }

void SessionService::stop() { service().reset(); }

}  // namespace platform
