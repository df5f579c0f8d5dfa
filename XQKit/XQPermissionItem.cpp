#include "XQKit/XQPermissionItem.h"

#include "XQKit/XQPermissionManager.h"

using namespace platform;

const ImageViewPtr& XQPermissionItem::iconView() {
    if (!iconView_) {
        iconView_ = View::make<ImageView>();
        iconView_->imageScaling = ImageScaling::ProportionallyUpOrDown;
    }
    return iconView_;
}

const ButtonPtr& XQPermissionItem::checkBtn() {
    if (!checkBtn_) checkBtn_ = Button::checkbox("", sharedFromThis<Object>(), "checkBtnClick");
    return checkBtn_;
}

const TextFieldPtr& XQPermissionItem::infoLabel() {
    if (!infoLabel_) {
        infoLabel_ = TextField::labelWithString("");
        infoLabel_->setFont(Font::systemFont(10));
        infoLabel_->textColor = Color::lightGray();
    }
    return infoLabel_;
}

const ButtonPtr& XQPermissionItem::authBtn() {
    if (!authBtn_) {
        authBtn_ = Button::withTitle(XQPermissionLocalized("Authorize"), sharedFromThis<Object>(), "authBtnClick");
        authBtn_->bezelColor = Color::controlAccent();
    }
    return authBtn_;
}

void XQPermissionItem::didCreate() {
    defineAction("checkBtnClick", [this](const ObjectPtr&) { checkBtnClick(); });
    defineAction("authBtnClick", [this](const ObjectPtr&) { authBtnClick(); });
    addSubview(iconView());
    addSubview(checkBtn());
    addSubview(infoLabel());
    addSubview(authBtn());
}

void XQPermissionItem::configure() {
    if (!model) return;
    switch (model->authType) {
        case XQPermissionAuthType::accessibility:
            iconView()->setImage(XQPermissionImage("Accessbility@2x.png"));
            checkBtn()->setTitle(XQPermissionLocalized("Accessibility permission authorization"));
            break;
        case XQPermissionAuthType::fullDiskAccess:
            iconView()->setImage(XQPermissionImage("Folder@2x.png"));
            checkBtn()->setTitle(XQPermissionLocalized("Full disk access authorization"));
            break;
        case XQPermissionAuthType::screenCapture:
            iconView()->setImage(XQPermissionImage("ScreenRecording@2x.png"));
            checkBtn()->setTitle(XQPermissionLocalized("Screen recording permission authorization"));
            break;
        case XQPermissionAuthType::none: break;
    }
    if (!model->desc.empty()) infoLabel()->setStringValue("*" + model->desc);
    refreshState();
    setNeedsLayout(true);
}

bool XQPermissionItem::isGranted() const {
    if (!model || model->authType == XQPermissionAuthType::none) return false;
    return XQPermissionManager::shared()->isGranted(model->authType);
}

void XQPermissionItem::refreshState() {
    bool granted = isGranted();
    checkBtn()->setState(granted ? ControlState::On : ControlState::Off);
    authBtn()->setHidden(granted);
}

void XQPermissionItem::layout() {
    double W = bounds().width(), H = bounds().height();
    checkBtn()->sizeToFit();
    infoLabel()->sizeToFit();
    authBtn()->sizeToFit();
    bool hasInfo = !infoLabel()->stringValue().empty();

    Rect icon{0, hasInfo ? H / 2 - 25 : H / 2 - 10, 20, 20};
    iconView()->setFrame(icon);
    Size check = checkBtn()->frame().size;
    checkBtn()->setFrameOrigin({30, hasInfo ? icon.midY() - check.height / 2 : H / 2 - 10});
    infoLabel()->setFrameOrigin({30, H / 2 + 5});
    Size auth = authBtn()->frame().size;
    authBtn()->setFrameOrigin({W - auth.width, H / 2 - auth.height / 2});
}

void XQPermissionItem::openSetting() {
    if (!model) return;
    auto manager = XQPermissionManager::shared();
    switch (model->authType) {
        case XQPermissionAuthType::accessibility: manager->openPrivacyAccessibilitySetting(); break;
        case XQPermissionAuthType::fullDiskAccess: manager->openFullDiskAccessSetting(); break;
        case XQPermissionAuthType::screenCapture: manager->openScreenCaptureSetting(); break;
        case XQPermissionAuthType::none: break;
    }
}

void XQPermissionItem::checkBtnClick() {
    // The click toggled the box; the state is the test's to decide, at the next refresh.
    checkBtn()->setState(checkBtn()->state() == ControlState::Off ? ControlState::On : ControlState::Off);
    openSetting();
}

void XQPermissionItem::authBtnClick() { openSetting(); }
