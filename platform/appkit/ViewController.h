#pragma once

// A view controller owns its view, made on first use by `loadView` (a plain view unless overridden),
// and is told around each layout pass of that view.

#include <memory>
#include <string>

#include "platform/appkit/Responder.h"
#include "platform/appkit/View.h"

namespace platform {

class ViewController : public Responder {
public:
    template <class T = ViewController, class... Args>
    static std::shared_ptr<T> make(Args&&... args) {
        return std::make_shared<T>(std::forward<Args>(args)...);
    }

    // Loads the view when needed (`loadView`, then `viewDidLoad`).
    const ViewPtr& view();
    void setView(const ViewPtr& view);
    bool isViewLoaded() const { return view_ != nullptr; }
    std::string title;
    Size preferredContentSize;
    Value representedObject;

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}
    virtual void viewWillLayout() {}
    virtual void viewDidLayout() {}

private:
    ViewPtr view_;
};

using ViewControllerPtr = std::shared_ptr<ViewController>;

}  // namespace platform
