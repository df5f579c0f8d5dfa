// The paths a key press takes through the agent, each beside a baseline doing the same work directly.

#include <benchmark/benchmark.h>
#include <plist/plist.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TorvaneTool/SpacePreview.h"
#include "XQKit/XQLog.h"
#include "platform/appkit/Workspace.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/system/Session.h"

using namespace platform;

namespace {

// A private home with one edition installed and the preview switched off.
struct Home {
    std::string path;
    Home() {
        char pattern[] = "/tmp/xqbench-XXXXXX";
        path = mkdtemp(pattern);
        setenv("HOME", path.c_str(), 1);
        setenv("XQ_APPLICATION_DIRS", (path + "/Applications").c_str(), 1);
        std::string app = path + "/Applications/TorvanePro.app/Contents";
        std::filesystem::create_directories(app + "/MacOS");
        Dictionary urlType{{"CFBundleURLSchemes", Array{Value("TorvanePro")}}};
        Dictionary info{{"CFBundleIdentifier", Value("com.holmquay.TorvanePro")},
                        {"CFBundleExecutable", Value("TorvanePro")},
                        {"CFBundleShortVersionString", Value("1.0")},
                        {"CFBundleURLTypes", Array{Value(urlType)}}};
        std::ofstream(app + "/Info.plist") << PropertyList::serialize(Value(info), PropertyList::Format::XML)->toString();
        std::ofstream(app + "/MacOS/TorvanePro") << "#!/bin/sh\n";
        chmod((app + "/MacOS/TorvanePro").c_str(), 0755);
        auto defaults = UserDefaults::suite(kTorvaneGroupSuite);
        defaults->set("configPro", Value(Dictionary{{"spacePreviewStyle", Value(0)}}));
        defaults->synchronize();
        Session::shared().setTrusted(true);
        // The hand-off is measured without starting the handler process.
        Workspace::shared()->setLauncher([](const LaunchRequest&) { return 999999; });
    }
    ~Home() { std::filesystem::remove_all(path); }
};

Home& home() {
    static Home instance;
    return instance;
}

SessionEvent* baselineCallback(EventTapProxy, SessionEventType, SessionEvent* event, void*) { return event; }

void BM_TapCallback_OtherKey(benchmark::State& state) {
    home();
    SessionEvent event = SessionEvent::keyboard(0, true, 0);
    for (auto _ : state) benchmark::DoNotOptimize(eventTapCallback(nullptr, kSessionEventKeyDown, &event, nullptr));
}
BENCHMARK(BM_TapCallback_OtherKey);

void BM_TapCallback_Baseline(benchmark::State& state) {
    SessionEvent event = SessionEvent::keyboard(0, true, 0);
    auto callback = baselineCallback;
    benchmark::DoNotOptimize(callback);
    for (auto _ : state) benchmark::DoNotOptimize(callback(nullptr, kSessionEventKeyDown, &event, nullptr));
}
BENCHMARK(BM_TapCallback_Baseline);

void BM_BareSpace_PreviewOff(benchmark::State& state) {
    home();
    SessionEvent event = SessionEvent::keyboard(49, true, 0);
    for (auto _ : state) benchmark::DoNotOptimize(eventTapCallback(nullptr, kSessionEventKeyDown, &event, nullptr));
}
BENCHMARK(BM_BareSpace_PreviewOff);

void BM_BareSpace_Baseline_Stat(benchmark::State& state) {
    std::string path = UserDefaults::suite(kTorvaneGroupSuite)->path();
    struct stat info {};
    for (auto _ : state) benchmark::DoNotOptimize(::stat(path.c_str(), &info));
}
BENCHMARK(BM_BareSpace_Baseline_Stat);

std::vector<std::string> tenArchives() {
    std::vector<std::string> urls;
    for (int i = 0; i < 10; ++i) urls.push_back("file:///Users/me/Downloads/archive%20" + std::to_string(i) + ".zip");
    return urls;
}

void BM_HandOff_TenArchives(benchmark::State& state) {
    home();
    auto defaults = UserDefaults::suite(kTorvaneGroupSuite);
    defaults->set("configPro", Value(Dictionary{{"spacePreviewStyle", Value(1)}}));
    defaults->synchronize();
    Session::shared().setFinderSelection(tenArchives());
    for (auto _ : state) benchmark::DoNotOptimize(checkSelectedFileTellTorvaneToPreview());
    defaults->set("configPro", Value(Dictionary{{"spacePreviewStyle", Value(0)}}));
    defaults->synchronize();
}
BENCHMARK(BM_HandOff_TenArchives);

void BM_HandOff_Baseline_PlistWriteRename(benchmark::State& state) {
    std::string path = home().path + "/baseline.plist";
    for (auto _ : state) {
        plist_t root = plist_new_dict();
        plist_t list = plist_new_array();
        for (int i = 0; i < 10; ++i)
            plist_array_append_item(list, plist_new_string(("/Users/me/Downloads/archive " + std::to_string(i) + ".zip").c_str()));
        plist_dict_set_item(root, "FinderSyncSelectedUrls", list);
        plist_dict_set_item(root, "configPro", plist_new_dict());
        char* bytes = nullptr;
        uint32_t length = 0;
        plist_to_bin(root, &bytes, &length);
        std::string temporary = path + ".tmp";
        FILE* file = fopen(temporary.c_str(), "wb");
        fwrite(bytes, 1, length, file);
        fclose(file);
        rename(temporary.c_str(), path.c_str());
        free(bytes);
        plist_free(root);
    }
}
BENCHMARK(BM_HandOff_Baseline_PlistWriteRename);

void BM_XQLog_Off(benchmark::State& state) {
    XQ_LOG_RELEASE = false;
    for (auto _ : state) XQLog("未开启 插件预览 功能");
}
BENCHMARK(BM_XQLog_Off);

__attribute__((noinline)) void emptyFunction(const char* text) { benchmark::DoNotOptimize(text); }

void BM_XQLog_Baseline_EmptyCall(benchmark::State& state) {
    for (auto _ : state) emptyFunction("未开启 插件预览 功能");
}
BENCHMARK(BM_XQLog_Baseline_EmptyCall);

}  // namespace

BENCHMARK_MAIN();
