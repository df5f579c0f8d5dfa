#include "platform/appkit/ViewController.h"

namespace platform {

const ViewPtr& ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) setView(View::make());
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(const ViewPtr& view) {
    if (view_) view_->controller_.reset();
    view_ = view;
    if (view_) {
        view_->controller_ = sharedFromThis<ViewController>();
        view_->setNextResponder(sharedFromThis<Responder>());
    }
}

void ViewController::loadView() { setView(View::make()); }

}  // namespace platform
