#include "platform/appkit/Alert.h"

#include <algorithm>

#include "platform/appkit/ImageView.h"
#include "platform/appkit/TextField.h"
#include "platform/system/UserResponses.h"

namespace platform {

ButtonPtr Alert::addButton(const std::string& title) {
    auto button = Button::withTitle(title);
    button->setTag(static_cast<int>(ModalResponse::FirstButtonReturn + static_cast<long>(buttons_.size())));
    buttons_.push_back(button);
    window_.reset();
    return button;
}

const ButtonPtr& Alert::suppressionButton() {
    if (!suppressionButton_) suppressionButton_ = Button::checkbox("Do not show this message again");
    return suppressionButton_;
}

void Alert::ensureButton() {
    // An alert without buttons gets the platform's single "OK".
    if (buttons_.empty()) addButton("OK");
}

PresentedDialog Alert::presentation(bool sheet) {
    PresentedDialog d;
    d.kind = "alert";
    d.title = messageText;
    d.message = informativeText;
    for (auto& b : buttons_) d.buttons.push_back(b->title());
    if (showsSuppressionButton) d.checkbox = suppressionButton()->title();
    d.sheet = sheet;
    return d;
}

void Alert::apply(const UserResponse& response) {
    if (response.checkbox && showsSuppressionButton)
        suppressionButton()->setState(*response.checkbox ? ControlState::On : ControlState::Off);
}

long Alert::runModal() {
    ensureButton();
    auto self = sharedFromThis<Alert>();
    UserResponse r = UserResponses::shared().runModal(presentation(false));
    apply(r);
    return r.response;
}

void Alert::beginSheetModal(const WindowPtr& parent, std::function<void(long)> handler) {
    ensureButton();
    auto self = sharedFromThis<Alert>();
    auto sheet = window();
    if (parent) parent->setAttachedSheet(sheet);
    std::weak_ptr<Window> weakParent = parent;
    // The alert lives until its sheet ends.
    UserResponses::shared().begin(presentation(parent != nullptr),
                                  [self, weakParent, handler = std::move(handler)](const UserResponse& r) {
                                      self->apply(r);
                                      if (auto p = weakParent.lock()) p->setAttachedSheet(nullptr);
                                      if (handler) handler(r.response);
                                  });
}

WindowPtr Alert::window() {
    if (window_) return window_;
    ensureButton();
    // A narrow panel, everything centred and stacked: icon, message, text, accessory, check box,
    // buttons (the first at the bottom-right when two, stacked full width otherwise).
    const double width = 260, margin = 16, inner = width - 2 * margin;
    std::vector<std::pair<ViewPtr, double>> rows;  // view and the gap above it
    auto iconView = ImageView::withImage(icon ? icon : Image::empty());
    iconView->setFrameSize({64, 64});
    iconView->imageScaling = ImageScaling::ProportionallyUpOrDown;
    rows.emplace_back(iconView, 20);
    auto message = TextField::wrappingLabelWithString(messageText);
    message->setFont(Font::boldSystemFont(13));
    message->alignment = TextAlignment::Center;
    message->preferredMaxLayoutWidth = inner;
    message->setFrameSize({inner, message->sizeThatFits({inner, 0}).height});
    rows.emplace_back(message, 12);
    if (!informativeText.empty()) {
        auto info = TextField::wrappingLabelWithString(informativeText);
        info->setFont(Font::systemFont(11));
        info->alignment = TextAlignment::Center;
        info->preferredMaxLayoutWidth = inner;
        info->setFrameSize({inner, info->sizeThatFits({inner, 0}).height});
        rows.emplace_back(info, 6);
    }
    if (accessoryView) rows.emplace_back(accessoryView, 10);
    if (showsSuppressionButton) {
        suppressionButton()->sizeToFit();
        rows.emplace_back(suppressionButton(), 10);
    }
    double height = 0;
    for (auto& [v, gap] : rows) height += gap + v->frame().size.height;
    const double buttonHeight = 24, buttonGap = 8;
    bool sideBySide = buttons_.size() == 2;
    std::size_t buttonRows = sideBySide ? 1 : buttons_.size();
    height += 16 + static_cast<double>(buttonRows) * buttonHeight + static_cast<double>(buttonRows - 1) * buttonGap + margin;

    window_ = Window::make({0, 0, width, height}, WindowStyleMask::Titled | WindowStyleMask::FullSizeContentView);
    window_->titlebarAppearsTransparent = true;
    window_->titleVisibility = TitleVisibility::Hidden;
    for (int i = 0; i < 3; ++i)
        if (auto b = window_->standardWindowButton(static_cast<WindowButtonKind>(i))) b->setHidden(true);
    auto content = View::make({0, 0, width, height});
    content->setFlipped(true);
    double y = 0;
    for (auto& [v, gap] : rows) {
        y += gap;
        Size s = v->frame().size;
        v->setFrameOrigin({std::floor((width - s.width) / 2), y});
        content->addSubview(v);
        y += s.height;
    }
    y += 16;
    if (sideBySide) {
        double w = (inner - buttonGap) / 2;
        // The first button is the default one, on the right.
        buttons_[1]->setFrame({margin, y, w, buttonHeight});
        buttons_[0]->setFrame({margin + w + buttonGap, y, w, buttonHeight});
        buttons_[0]->bezelColor = Color::controlAccent();
        content->addSubview(buttons_[1]);
        content->addSubview(buttons_[0]);
    } else {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            buttons_[i]->setFrame({margin, y, inner, buttonHeight});
            if (i == 0) buttons_[i]->bezelColor = Color::controlAccent();
            content->addSubview(buttons_[i]);
            y += buttonHeight + buttonGap;
        }
    }
    window_->setContentView(content);
    window_->center();
    return window_;
}

}  // namespace platform
