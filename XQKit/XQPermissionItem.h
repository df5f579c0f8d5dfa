#pragma once

// One row of the permission window: the permission's icon, a display-only check box titled with the
// permission, an optional explanation under it and an "Authorize" button on the right that opens the
// permission's System Settings pane. The row is flipped: its origin is the top-left corner.

#include <memory>

#include "XQKit/XQPermissionModel.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/ImageView.h"
#include "platform/appkit/TextField.h"
#include "platform/appkit/View.h"

class XQPermissionItem : public platform::View {
public:
    bool isFlipped() const override { return true; }

    const platform::ImageViewPtr& iconView();
    const platform::ButtonPtr& checkBtn();
    const platform::TextFieldPtr& infoLabel();
    const platform::ButtonPtr& authBtn();
    // Set right after the row is made; present whenever the row is configured.
    XQPermissionModelPtr model;

    // Applies the model: icon, check box title, explanation, then the state.
    void configure();
    // Granted: the check box on and the authorize button hidden; otherwise (and always for `none`)
    // the check box off and the button shown.
    void refreshState();
    // Whether the row's permission is granted, as the row shows it (`none` never is).
    bool isGranted() const;

    // The check box only shows the state: a click is undone, then the pane is opened.
    void checkBtnClick();
    void authBtnClick();

    void didCreate() override;
    void layout() override;

private:
    void openSetting();
    platform::ImageViewPtr iconView_;
    platform::ButtonPtr checkBtn_;
    platform::TextFieldPtr infoLabel_;
    platform::ButtonPtr authBtn_;
};

using XQPermissionItemPtr = std::shared_ptr<XQPermissionItem>;
