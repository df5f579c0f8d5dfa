#include "XQKit/XQPermissionViewController.h"

#include <limits>

#include "XQKit/XQPermissionManager.h"
#include "platform/appkit/Application.h"
#include "platform/appkit/Window.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/Bundle.h"

using namespace platform;

// ---- box ------------------------------------------------------------------------------------------

void XQPermissionBoxView::didCreate() {
    Box::didCreate();
    boxType = BoxType::Custom;
    title = "";
    titlePosition = TitlePosition::NoTitle;
    cornerRadius = 15;
    borderWidth = 0;
    contentViewMargins = {0, 0};
    updateFillColor();
}

void XQPermissionBoxView::viewDidChangeEffectiveAppearance() { updateFillColor(); }

void XQPermissionBoxView::updateFillColor() {
    auto match = Appearance::applicationEffective()->bestMatch({AppearanceName::DarkAqua, AppearanceName::Aqua});
    bool dark = match && *match == AppearanceName::DarkAqua;
    fillColor = dark ? Color::white(0, 0.15) : Color::white(1, 0.4);
    setNeedsDisplay(true);
}

// ---- view controller ------------------------------------------------------------------------------

XQPermissionViewController::XQPermissionViewController() {
    defineAction("displayInFinder", [this](const ObjectPtr&) { displayInFinder(); });
    defineAction("lookTutorialVideo", [this](const ObjectPtr&) { lookTutorialVideo(); });
    defineAction("quitApp", [this](const ObjectPtr&) { quitApp(); });
    defineAction("skip", [this](const ObjectPtr&) { skip(); });
}

const VisualEffectViewPtr& XQPermissionViewController::effectView() {
    if (!effectView_) {
        effectView_ = View::make<VisualEffectView>();
        effectView_->blendingMode = VisualEffectBlendingMode::BehindWindow;
    }
    return effectView_;
}

const TextFieldPtr& XQPermissionViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = TextField::wrappingLabelWithString(XQPermissionLocalizedFormat("Permission sub Title"));
        titleLabel_->setFont(Font::systemFont(15));
        titleLabel_->alignment = TextAlignment::Center;
    }
    return titleLabel_;
}

const ButtonPtr& XQPermissionViewController::openBtn() {
    if (!openBtn_) {
        auto image = XQPermissionImage("search_finder@2x.png");
        image->isTemplate = true;
        openBtn_ = Button::withImage(image, sharedFromThis<Object>(), "displayInFinder");
        openBtn_->setBordered(false);
        openBtn_->toolTip = XQPermissionLocalized("Display in Finder");
    }
    return openBtn_;
}

const std::shared_ptr<XQPermissionBoxView>& XQPermissionViewController::box() {
    if (!box_) box_ = View::make<XQPermissionBoxView>();
    return box_;
}

const ButtonPtr& XQPermissionViewController::lookBtn() {
    if (!lookBtn_) {
        lookBtn_ = Button::withTitle(XQPermissionLocalized("View permission setting tutorail"),
                                     sharedFromThis<Object>(), "lookTutorialVideo");
        lookBtn_->bezelColor = Color::controlAccent();
        // Decided once: a link set later does not bring the button back.
        const auto& link = XQPermissionManager::shared()->tutorialLink;
        lookBtn_->setHidden(!link || link->empty());
    }
    return lookBtn_;
}

const ButtonPtr& XQPermissionViewController::quitBtn() {
    if (!quitBtn_) quitBtn_ = Button::withTitle(XQPermissionLocalized("Quit App"), sharedFromThis<Object>(), "quitApp");
    return quitBtn_;
}

const ButtonPtr& XQPermissionViewController::skipBtn() {
    if (!skipBtn_) skipBtn_ = Button::withTitle(XQPermissionLocalized("Skip"), sharedFromThis<Object>(), "skip");
    return skipBtn_;
}

void XQPermissionViewController::loadView() {
    auto root = View::make<XQPermissionView>({0, 0, 600, 300});
    setView(root);
    for (const ViewPtr& subview : std::vector<ViewPtr>{effectView(), titleLabel(), openBtn(), box(), lookBtn(),
                                                       quitBtn(), skipBtn()})
        root->addSubview(subview);
}

std::vector<XQPermissionItemPtr> XQPermissionViewController::items() {
    std::vector<XQPermissionItemPtr> rows;
    for (const auto& subview : box()->contentView()->subviews())
        if (auto row = std::dynamic_pointer_cast<XQPermissionItem>(subview)) rows.push_back(row);
    return rows;
}

double XQPermissionViewController::windowHeight(std::size_t count) const {
    double n = static_cast<double>(count);
    return itemSpace * (n + 1) + itemHeight * n + 180;
}

void XQPermissionViewController::reloadItems() {
    const auto& content = box()->contentView();
    for (const auto& row : items()) row->removeFromSuperview();
    for (const auto& model : authTypes) {
        auto row = View::make<XQPermissionItem>();
        row->model = model;
        row->configure();
        content->addSubview(row);
    }
    if (auto window = view()->window()) {
        Rect frame = window->frame();
        frame.size.height = windowHeight(authTypes.size());
        window->setFrame(frame, true);
    }
    view()->setNeedsLayout(true);
}

void XQPermissionViewController::refreshItems() {
    // The all-passed callback may close the window that owns this controller.
    auto self = sharedFromThis<XQPermissionViewController>();
    bool allGranted = true;
    for (const auto& row : items()) {
        row->refreshState();
        if (!row->isGranted()) allGranted = false;
    }
    if (allGranted && allAuthPassedHandler) allAuthPassedHandler();
}

void XQPermissionViewController::viewDidLayout() {
    const auto& root = view();
    double W = root->bounds().width();
    double n = static_cast<double>(authTypes.size());

    effectView()->setFrame(root->bounds());
    openBtn()->setFrame({W - 26, 8, 18, 18});

    Size title = titleLabel()->sizeThatFits({W - 80, std::numeric_limits<double>::infinity()});
    titleLabel()->setFrame({W / 2 - title.width / 2, 60, title.width, title.height});

    box()->setFrame({40, titleLabel()->frame().maxY() + 20, W - 80, itemSpace * (n + 1) + itemHeight * n});
    box()->contentView()->setFrame(box()->contentRect());
    // The content view is not flipped: walking from the last row up puts the first model on top.
    double contentWidth = box()->contentView()->bounds().width();
    double offset = itemSpace;
    auto rows = items();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        (*it)->setFrame({30, offset, contentWidth - 60, itemHeight});
        offset = (*it)->frame().maxY() + itemSpace;
    }

    Rect boxFrame = box()->frame();
    for (const auto& button : {lookBtn(), quitBtn(), skipBtn()}) button->sizeToFit();
    double top = boxFrame.maxY() + 10;
    lookBtn()->setFrameOrigin({boxFrame.minX(), top});
    skipBtn()->setFrameOrigin({boxFrame.maxX() - skipBtn()->frame().width(), top});
    quitBtn()->setFrameOrigin({skipBtn()->frame().minX() - 5 - quitBtn()->frame().width(), top});
}

void XQPermissionViewController::displayInFinder() {
    Workspace::shared()->activateFileViewerSelecting({URL::fileURLWithPath(Bundle::main()->bundlePath())});
}

void XQPermissionViewController::lookTutorialVideo() {
    const auto& link = XQPermissionManager::shared()->tutorialLink;
    if (!link) return;
    if (auto url = URL::parse(*link)) Workspace::shared()->openURL(*url);
}

void XQPermissionViewController::quitApp() {
    if (quitHandler) quitHandler();
    Application::shared()->terminate(sharedFromThis<Object>());
}

void XQPermissionViewController::skip() {
    if (skipHandler) skipHandler();
}
