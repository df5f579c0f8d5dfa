#include <memory>

#include "TorvaneTool/AppDelegate.h"
#include "platform/system/SessionService.h"

int main(int argc, char** argv) {
    // The simulated session is driven from outside (xq-session) the way a user drives a desktop.
    platform::SessionService::start();
    auto delegate = std::make_shared<AppDelegate>();
    return platform::ApplicationMain(argc, argv, delegate);
}
