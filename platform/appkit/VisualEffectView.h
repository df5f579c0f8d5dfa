#pragma once

// A visual-effect view: the translucent material behind a window's content. Without a compositor it
// is drawn as the material's tint for the effective appearance.

#include <memory>

#include "platform/appkit/View.h"

namespace platform {

enum class VisualEffectMaterial { Titlebar = 3, Selection = 4, Menu = 5, Popover = 6, Sidebar = 7,
                                  HeaderView = 10, Sheet = 11, WindowBackground = 12, HUDWindow = 13,
                                  FullScreenUI = 15, ToolTip = 17, ContentBackground = 18,
                                  UnderWindowBackground = 21, UnderPageBackground = 22 };
enum class VisualEffectBlendingMode { BehindWindow = 0, WithinWindow = 1 };
enum class VisualEffectState { FollowsWindowActiveState = 0, Active = 1, Inactive = 2 };

class VisualEffectView : public View {
public:
    VisualEffectMaterial material = VisualEffectMaterial::WindowBackground;
    VisualEffectBlendingMode blendingMode = VisualEffectBlendingMode::BehindWindow;
    VisualEffectState state = VisualEffectState::FollowsWindowActiveState;
    bool isEmphasized = false;
    ImagePtr maskImage;

    // The colour the material is drawn with in `appearance`.
    ColorPtr materialColor(const AppearancePtr& appearance) const;
    void draw(GraphicsContext& context, const Rect& dirtyRect) override;
};

using VisualEffectViewPtr = std::shared_ptr<VisualEffectView>;

}  // namespace platform
