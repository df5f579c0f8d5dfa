// xq-gallery: renders every screen and component of the library to PNG files in a folder, so that a
// person can look at them.
//
//   xq-gallery [--dark] [FOLDER]      (FOLDER defaults to "gallery")
//
// Each entry below makes a window or a view; it is laid out and rendered at the screen's scale.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/appkit/Alert.h"
#include "platform/appkit/Box.h"
#include "platform/appkit/Button.h"
#include "platform/appkit/ProgressIndicator.h"
#include "platform/appkit/Renderer.h"
#include "platform/appkit/TextField.h"
#include "platform/appkit/VisualEffectView.h"
#include "platform/appkit/Window.h"
#include "XQKit/ColorExtension.h"
#include "XQKit/ViewExtension.h"

using namespace platform;

namespace {

struct Entry {
    std::string name;
    std::function<WindowPtr()> make;
};

WindowPtr alertWindow(const std::string& title, const std::string& message, std::vector<std::string> buttons,
                      const std::string& checkbox = {}) {
    auto alert = Alert::make();
    alert->messageText = title;
    alert->informativeText = message;
    if (!checkbox.empty()) {
        alert->showsSuppressionButton = true;
        alert->suppressionButton()->setTitle(checkbox);
    }
    for (auto& b : buttons) alert->addButton(b);
    return alert->window();
}

ViewPtr caption(const std::string& text, double x, double y) {
    auto label = TextField::labelWithString(text);
    label->setFont(Font::systemFont(11));
    label->setFrameOrigin({x, y});
    return label;
}

// Every layer style the views use: background, border, round and partly round corners, a shape
// mask, a text layer, a vibrant backdrop and a tinted spinner.
WindowPtr layerStyles() {
    const double W = 640, H = 340;
    auto window = Window::make({0, 0, W, H}, WindowStyleMask::Titled | WindowStyleMask::Closable);
    window->title = "Layer styles";
    auto root = View::make({0, 0, W, H});
    root->setFlipped(true);
    window->setContentView(root);

    auto effect = View::make<VisualEffectView>({0, 0, W, H});
    root->addSubview(effect);

    auto tile = [&](double x, double y) {
        auto v = View::make({x, y, 120, 80});
        root->addSubview(v);
        return v;
    };
    auto plain = tile(20, 20);
    setBgColor(plain, colorWithHexString("#3478F6"));
    root->addSubview(caption("background", 20, 104));

    auto bordered = tile(170, 20);
    setBgColor(bordered, Color::whiteColor());
    setBorder(bordered, colorWithHexString("#FF9500"), 4);
    root->addSubview(caption("border 4", 170, 104));

    auto rounded = tile(320, 20);
    setBgColor(rounded, colorWithHexString("#34C759"));
    setBorder(rounded, Color::black()->withAlphaComponent(0.3), 1, 20);
    root->addSubview(caption("corner radius 20", 320, 104));

    auto someCorners = tile(470, 20);
    setBgColor(someCorners, colorWithHexString("#AF52DE"));
    setCornerRadius(someCorners, 30, CornerMask::MinXMaxY | CornerMask::MaxXMinY);
    root->addSubview(caption("two corners", 470, 104));

    auto masked = tile(20, 140);
    setBgColor(masked, colorWithHexString("#FF3B30"));
    auto mask = ShapeLayer::make();
    mask->setFrame({0, 0, 120, 80});
    mask->path = BezierPath::oval({20, 0, 80, 80});
    masked->layer()->mask = mask;
    root->addSubview(caption("oval mask", 20, 224));

    auto text = tile(170, 140);
    setBgColor(text, Color::black()->withAlphaComponent(0.8));
    setCornerRadius(text, 10);
    auto textLayer = TextLayer::make();
    textLayer->setFrame({8, 8, 104, 64});
    textLayer->string = "Text layer 文字 ✓";
    textLayer->fontSize = 14;
    textLayer->isWrapped = true;
    text->layer()->addSublayer(textLayer);
    root->addSubview(caption("text layer", 170, 224));

    auto box = View::make<Box>({320, 140, 120, 80});
    box->boxType = BoxType::Custom;
    box->cornerRadius = 15;
    box->borderWidth = 0;
    box->fillColor = colorWith(Color::white(1, 0.4), Color::white(0, 0.15));
    box->titlePosition = TitlePosition::NoTitle;
    root->addSubview(box);
    root->addSubview(caption("box", 320, 224));

    auto spinner = View::make<ProgressIndicator>({490, 150, 60, 60});
    spinner->style = ProgressIndicatorStyle::Spinning;
    spinner->startAnimation();
    auto clamp = Filter::named("CIColorClamp");
    clamp->setDefaults();
    clamp->setValue("inputMinComponents", Value(Array{Value(0.2), Value(0.47), Value(0.96), Value(0.0)}));
    clamp->setValue("inputMaxComponents", Value(Array{Value(0.2), Value(0.47), Value(0.96), Value(1.0)}));
    spinner->contentFilters = {clamp};
    root->addSubview(spinner);
    root->addSubview(caption("tinted spinner", 470, 224));

    auto push = Button::withTitle("Push button");
    push->setFrameOrigin({20, 270});
    auto accent = Button::withTitle("Accent");
    accent->bezelColor = Color::controlAccent();
    accent->setFrameOrigin({150, 270});
    auto check = Button::checkbox("Check box");
    check->setState(ControlState::On);
    check->setFrameOrigin({260, 274});
    auto field = TextField::textFieldWithString("Text field");
    field->setFrame({380, 268, 200, 24});
    addSubviews(root, {push, accent, check, field});
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = "gallery";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dark")
            Appearance::setApplication(Appearance::darkAqua());
        else if (arg == "-h" || arg == "--help") {
            std::printf("usage: xq-gallery [--dark] [FOLDER]\n");
            return 0;
        } else
            folder = arg;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "xq-gallery: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    const std::vector<Entry> entries = {
        {"alert-one-button", [] { return alertWindow("Update finished", "Everything is up to date.", {"OK"}); }},
        {"alert-two-buttons",
         [] { return alertWindow("Kind tips", "Accessibility Tips", {"To Authorize", "Cancel"}); }},
        {"alert-three-buttons",
         [] { return alertWindow("Save changes?", "Your changes will be lost otherwise.", {"Save", "Don't Save", "Cancel"}); }},
        {"alert-checkbox",
         [] { return alertWindow("Delete the item?", "It cannot be restored.", {"Delete", "Cancel"}, "Do not ask again"); }},
        {"layer-styles", layerStyles},
    };
    int failures = 0;
    for (const auto& entry : entries) {
        auto window = entry.make();
        std::string path = folder + "/" + entry.name + ".png";
        if (Renderer::writePNG(window, path)) {
            std::printf("%s\n", path.c_str());
        } else {
            std::fprintf(stderr, "xq-gallery: could not write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
