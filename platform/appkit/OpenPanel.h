#pragma once

// Open panels: files or folders to open. Confirming (1) gives the chosen URLs (only the first when
// multiple selection is off); cancelling (0) gives none.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/SavePanel.h"

namespace platform {

class OpenPanel : public SavePanel {
public:
    static std::shared_ptr<OpenPanel> make() { return std::make_shared<OpenPanel>(); }

    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    bool resolvesAliases = true;
    // Absent: every type.
    std::optional<std::vector<std::string>> allowedFileTypes;

    const std::vector<URL>& urls() const { return urls_; }

protected:
    std::string kind() const override { return "open"; }
    void apply(const UserResponse& response) override;

private:
    std::vector<URL> urls_;
};

using OpenPanelPtr = std::shared_ptr<OpenPanel>;

}  // namespace platform
