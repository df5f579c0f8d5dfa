#pragma once

// One-call alerts and open panels: build, configure and run a dialog in one call, as a sheet on a
// window (with a handler) or application-modal (returning the answer). Alert answers become button
// indexes: 1000, 1001 and 1002 give 0, 1 and 2; any other answer has no index (handlers are then not
// called, returning forms give -1).

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/appkit/OpenPanel.h"
#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/URL.h"

// The index of a modal response, absent when it is not one of the first three buttons.
std::optional<int> alertButtonIndex(long response);

struct AlertExtension {
    using Handler = std::function<void(int index)>;
    using CheckboxHandler = std::function<void(int index, bool checkboxOn)>;

    // Warning style; the title as message text, the message (when given) as informative text.
    static void show(const platform::WindowPtr& window, const std::string& title,
                     const std::optional<std::string>& message, const platform::ViewPtr& accessoryView,
                     const std::vector<std::string>& buttons, Handler handler);
    static void show(const platform::WindowPtr& window, const std::string& title,
                     const std::optional<std::string>& message, const platform::ViewPtr& accessoryView,
                     const std::string& checkbox, const std::vector<std::string>& buttons, CheckboxHandler handler);
    static int show(const std::string& title, const std::optional<std::string>& message,
                    const platform::ViewPtr& accessoryView, const std::vector<std::string>& buttons);
    static std::pair<int, bool> show(const std::string& title, const std::optional<std::string>& message,
                                     const platform::ViewPtr& accessoryView, const std::string& checkbox,
                                     const std::vector<std::string>& buttons);
};

struct OpenPanelExtension {
    using URLs = std::optional<std::vector<platform::URL>>;
    using Handler = std::function<void(long response, const URLs& urls)>;

    // As a sheet on `window`, or free-standing (not modal) without one.
    static platform::OpenPanelPtr open(const platform::WindowPtr& window, const std::optional<std::string>& title,
                                       const std::optional<std::string>& message,
                                       const std::optional<std::string>& prompt,
                                       const std::optional<platform::URL>& directoryURL, bool canChooseFiles,
                                       bool canChooseDirectories, bool allowsMultipleSelection,
                                       bool canCreateDirectories,
                                       const std::optional<std::vector<std::string>>& allowedFileTypes,
                                       const platform::ViewPtr& accessoryView,
                                       const std::optional<std::string>& identifier, Handler handler);
    // Application-modal: (1, URLs) when confirmed, otherwise (the response, none).
    static std::pair<long, URLs> open(const std::optional<std::string>& title, const std::optional<std::string>& message,
                                      const std::optional<std::string>& prompt,
                                      const std::optional<platform::URL>& directoryURL, bool canChooseFiles,
                                      bool canChooseDirectories, bool allowsMultipleSelection,
                                      bool canCreateDirectories,
                                      const std::optional<std::vector<std::string>>& allowedFileTypes,
                                      const platform::ViewPtr& accessoryView,
                                      const std::optional<std::string>& identifier);
};
