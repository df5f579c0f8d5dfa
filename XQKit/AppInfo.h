#pragma once

// Facts about this application, the user and the system; finding, starting and opening other
// applications. The read-once values are functions computed on first call and fixed afterwards.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"

// Read once.
const std::string& APP_Version();
const std::string& APP_Build_Number();
const std::string& App_Name();
const std::string& Bundle_Id();
const std::string& System_OS_Version();
std::optional<std::int64_t> OwnerAccountID();

// Computed on each call.
bool AppIsDarkTheme();
bool SystemIsDarkTheme();
std::string DocumentPath();
std::string LibraryPath();
std::string CachePath();
std::optional<std::string> BundlePath(const std::string& name);
std::optional<std::string> GUIUserName();
std::optional<std::string> GUIUserDisplayName();

std::optional<platform::URL> AppUrl(const std::string& bundleId);
bool AppIsInstalled(const std::string& bundleId);
std::optional<std::string> AppInfoValue(const std::string& key, const std::string& bundleId);
std::optional<std::string> AppInfoValue(const std::string& key, const platform::URL& appUrl);
std::optional<std::string> AppVersion(const std::string& bundleId);
std::optional<std::string> AppVersion(const platform::URL& url);
bool AppIsRunning(const std::string& bundleId);
void RunAppWithName(const std::string& name, double delay, std::function<void()> success = nullptr);
void RunAppWithBundleID(const std::string& bundleId, std::optional<std::vector<std::string>> arguments, bool activates,
                        std::function<void(bool)> completion = nullptr);
bool OpenUrl(const std::string& text);

// The choice `AppUrl` makes among installed copies: development builds dropped, highest version first
// (stable), the first under /Applications, else the first. `versionOf` reads a copy's version.
std::optional<platform::URL> SelectAppUrl(const std::vector<platform::URL>& urls,
                                          const std::function<std::string(const platform::URL&)>& versionOf);
