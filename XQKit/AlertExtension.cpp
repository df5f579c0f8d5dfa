#include "XQKit/AlertExtension.h"

#include "platform/appkit/Alert.h"

using namespace platform;

std::optional<int> alertButtonIndex(long response) {
    if (response >= ModalResponse::FirstButtonReturn && response <= ModalResponse::ThirdButtonReturn)
        return static_cast<int>(response - ModalResponse::FirstButtonReturn);
    return std::nullopt;
}

namespace {

AlertPtr makeAlert(const std::string& title, const std::optional<std::string>& message, const ViewPtr& accessory,
                   const std::optional<std::string>& checkbox, const std::vector<std::string>& buttons) {
    auto alert = Alert::make();
    alert->alertStyle = AlertStyle::Warning;
    alert->messageText = title;
    if (message) alert->informativeText = *message;
    alert->accessoryView = accessory;
    if (checkbox) {
        alert->showsSuppressionButton = true;
        alert->suppressionButton()->setTitle(*checkbox);
    }
    for (const auto& b : buttons) alert->addButton(b);
    return alert;
}

bool checkboxOn(const AlertPtr& alert) { return alert->suppressionButton()->state() == ControlState::On; }

}  // namespace

void AlertExtension::show(const WindowPtr& window, const std::string& title, const std::optional<std::string>& message,
                          const ViewPtr& accessoryView, const std::vector<std::string>& buttons, Handler handler) {
    auto alert = makeAlert(title, message, accessoryView, std::nullopt, buttons);
    auto finish = [handler](long response) {
        if (auto index = alertButtonIndex(response); index && handler) handler(*index);
    };
    if (window)
        alert->beginSheetModal(window, finish);
    else
        finish(alert->runModal());
}

void AlertExtension::show(const WindowPtr& window, const std::string& title, const std::optional<std::string>& message,
                          const ViewPtr& accessoryView, const std::string& checkbox,
                          const std::vector<std::string>& buttons, CheckboxHandler handler) {
    auto alert = makeAlert(title, message, accessoryView, checkbox, buttons);
    // The check box is read when the dialog ends; the handler holds the alert until then.
    auto finish = [handler, alert](long response) {
        if (auto index = alertButtonIndex(response); index && handler) handler(*index, checkboxOn(alert));
    };
    if (window)
        alert->beginSheetModal(window, finish);
    else
        finish(alert->runModal());
}

int AlertExtension::show(const std::string& title, const std::optional<std::string>& message,
                         const ViewPtr& accessoryView, const std::vector<std::string>& buttons) {
    auto alert = makeAlert(title, message, accessoryView, std::nullopt, buttons);
    return alertButtonIndex(alert->runModal()).value_or(-1);
}

std::pair<int, bool> AlertExtension::show(const std::string& title, const std::optional<std::string>& message,
                                          const ViewPtr& accessoryView, const std::string& checkbox,
                                          const std::vector<std::string>& buttons) {
    auto alert = makeAlert(title, message, accessoryView, checkbox, buttons);
    int index = alertButtonIndex(alert->runModal()).value_or(-1);
    return {index, checkboxOn(alert)};
}

namespace {

OpenPanelPtr makePanel(const std::optional<std::string>& title, const std::optional<std::string>& message,
                       const std::optional<std::string>& prompt, const std::optional<URL>& directoryURL,
                       bool canChooseFiles, bool canChooseDirectories, bool allowsMultipleSelection,
                       bool canCreateDirectories, const std::optional<std::vector<std::string>>& allowedFileTypes,
                       const ViewPtr& accessoryView, const std::optional<std::string>& identifier) {
    auto panel = OpenPanel::make();
    if (title) panel->title = *title;
    if (message) panel->message = *message;
    if (prompt) panel->prompt = *prompt;
    if (directoryURL) panel->directoryURL = directoryURL;
    panel->canChooseFiles = canChooseFiles;
    panel->canChooseDirectories = canChooseDirectories;
    panel->allowsMultipleSelection = allowsMultipleSelection;
    panel->canCreateDirectories = canCreateDirectories;
    panel->allowedFileTypes = allowedFileTypes;
    panel->accessoryView = accessoryView;
    panel->identifier = identifier;
    return panel;
}

}  // namespace

OpenPanelPtr OpenPanelExtension::open(const WindowPtr& window, const std::optional<std::string>& title,
                                      const std::optional<std::string>& message,
                                      const std::optional<std::string>& prompt,
                                      const std::optional<URL>& directoryURL, bool canChooseFiles,
                                      bool canChooseDirectories, bool allowsMultipleSelection,
                                      bool canCreateDirectories,
                                      const std::optional<std::vector<std::string>>& allowedFileTypes,
                                      const ViewPtr& accessoryView, const std::optional<std::string>& identifier,
                                      Handler handler) {
    auto panel = makePanel(title, message, prompt, directoryURL, canChooseFiles, canChooseDirectories,
                           allowsMultipleSelection, canCreateDirectories, allowedFileTypes, accessoryView, identifier);
    std::weak_ptr<OpenPanel> weak = panel;
    auto finish = [weak, handler](long response) {
        auto p = weak.lock();
        if (!handler) return;
        if (response == ModalResponse::OK && p && !p->urls().empty())
            handler(ModalResponse::OK, p->urls());
        else
            handler(response, std::nullopt);
    };
    if (window)
        panel->beginSheetModal(window, finish);
    else
        panel->begin(finish);
    return panel;
}

std::pair<long, OpenPanelExtension::URLs> OpenPanelExtension::open(
    const std::optional<std::string>& title, const std::optional<std::string>& message,
    const std::optional<std::string>& prompt, const std::optional<URL>& directoryURL, bool canChooseFiles,
    bool canChooseDirectories, bool allowsMultipleSelection, bool canCreateDirectories,
    const std::optional<std::vector<std::string>>& allowedFileTypes, const ViewPtr& accessoryView,
    const std::optional<std::string>& identifier) {
    auto panel = makePanel(title, message, prompt, directoryURL, canChooseFiles, canChooseDirectories,
                           allowsMultipleSelection, canCreateDirectories, allowedFileTypes, accessoryView, identifier);
    long response = panel->runModal();
    if (response == ModalResponse::OK) return {ModalResponse::OK, panel->urls()};
    return {response, std::nullopt};
}
