#include <memory>

#include "TorvaneTool/AppDelegate.h"

int main(int argc, char** argv) {
    auto delegate = std::make_shared<AppDelegate>();
    return platform::ApplicationMain(argc, argv, delegate);
}
