#pragma once

// The user's answers to alerts and panels in the simulated session. A test (or another process
// through the session's bus interface) gives an answer: a modal response code, the state of the
// alert's check box, the URLs chosen in a panel. An answer given beforehand is taken by the next
// alert or panel; with none given, a modal run turns the main run loop in its modal-panel mode (bus
// messages keep arriving, default-mode timers wait) until one arrives, unless a default answer is set.
// Sheets and free-standing panels wait without blocking and are answered in the order they began.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"

namespace platform {

struct UserResponse {
    long response = 1000;
    // The alert's check box: on or off; absent leaves it as it is.
    std::optional<bool> checkbox;
    // The panel's chosen URLs.
    std::vector<URL> urls;

    // The answer of the button at `index` (0: the first), 1000 + index.
    static UserResponse button(int index, std::optional<bool> checkbox = std::nullopt) {
        return {1000 + index, checkbox, {}};
    }
    // A panel confirmed with these URLs (response 1).
    static UserResponse ok(std::vector<URL> urls = {}) { return {1, std::nullopt, std::move(urls)}; }
    // A panel or alert dismissed (response 0).
    static UserResponse cancel() { return {0, std::nullopt, {}}; }
};

// What was put in front of the user, for tests and for the session's observers.
struct PresentedDialog {
    std::string kind;  // "alert", "open" or "save"
    std::string title;
    std::string message;
    std::vector<std::string> buttons;
    std::string checkbox;  // the check box title, empty when none
    bool sheet = false;
};

class UserResponses {
public:
    static UserResponses& shared();

    // Forgets every answer, default, waiting dialog and record.
    void reset();

    // Gives an answer; a waiting sheet or panel takes it at once (its handler runs on the main
    // queue), otherwise the next dialog does. Callable from any thread.
    void answer(UserResponse response);
    // An answer for every dialog that finds none given; absent: wait.
    void setDefaultAnswer(std::optional<UserResponse> response);
    std::size_t pendingAnswers() const;
    // Dialogs waiting for an answer right now (modal runs and sheets).
    std::size_t waitingDialogs() const;
    std::vector<PresentedDialog> presented() const;

    // For alerts and panels: runs modally until an answer is there and answers it.
    UserResponse runModal(const PresentedDialog& dialog);
    // For sheets and free panels: `completion` runs on the main queue with the answer, now if one is
    // there, otherwise when one is given.
    void begin(const PresentedDialog& dialog, std::function<void(const UserResponse&)> completion);

private:
    UserResponses() = default;
    std::optional<UserResponse> takeLocked();

    mutable std::mutex mutex_;
    std::vector<UserResponse> answers_;
    std::optional<UserResponse> default_;
    std::vector<std::function<void(const UserResponse&)>> waiting_;
    std::vector<PresentedDialog> presented_;
    int modalDepth_ = 0;
};

}  // namespace platform
