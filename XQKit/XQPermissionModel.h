#pragma once

// One row of the permission window: a permission and the explanation shown under its title.

#include <memory>
#include <string>

#include "XQKit/XQPermissionAuthType.h"
#include "platform/runtime/Object.h"

class XQPermissionModel;
using XQPermissionModelPtr = std::shared_ptr<XQPermissionModel>;

class XQPermissionModel : public platform::Object {
public:
    static XQPermissionModelPtr make(XQPermissionAuthType authType, std::string desc) {
        return std::make_shared<XQPermissionModel>(authType, std::move(desc));
    }
    XQPermissionModel(XQPermissionAuthType authType, std::string desc) : authType(authType), desc(std::move(desc)) {}

    XQPermissionAuthType authType;
    std::string desc;  // empty: nothing to explain
};
