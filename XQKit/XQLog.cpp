#include "XQKit/XQLog.h"

#include <cstdlib>

#include "XQKit/AppInfo.h"
#include "platform/appkit/EventMonitor.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/JSON.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ProcessInfo.h"

using platform::Array;
using platform::Dictionary;
using platform::Value;

namespace {
bool initialSwitch(const char* name) {
    const char* value = std::getenv(name);
    return value && std::string_view(value) == "1";
}

// JSON's null, described the way the platform describes its null object.
class JSONNull final : public platform::Object {
public:
    std::string description() const override { return "<null>"; }
};

void removeLastComma(std::string& text) {
    if (auto comma = text.rfind(','); comma != std::string::npos) text.erase(comma, 1);
}

// Nesting deeper than the 8-bit depth counter allows is shown as an ellipsis instead of recursing on.
constexpr std::uint8_t kMaxDepth = 255;

std::string renderNested(const Value& value, std::uint8_t depth, bool quoteText) {
    if (const auto* dictionary = value.dictionary())
        return depth >= kMaxDepth ? std::string("{…}") : XQLogRenderDictionary(*dictionary, depth + 1);
    if (const auto* array = value.array())
        return depth >= kMaxDepth ? std::string("[…]") : XQLogRenderArray(*array, depth + 1);
    if (const auto* flag = value.boolValue()) return *flag ? "true" : "false";
    if (const auto* data = value.data()) return XQLogRenderData(*data);
    if (const auto* text = value.string()) return quoteText ? "\"" + *text + "\"" : *text;
    return value.description();  // "nil" for an absent value
}
}  // namespace

std::atomic<bool> XQ_LOG_RELEASE{initialSwitch("XQ_LOG_RELEASE")};
std::atomic<bool> XQ_LOG_MORE{initialSwitch("XQ_LOG_MORE")};

std::string __XQLogStyle::prefix() const {
    switch (case_) {
        case Case::default_: return {};
        case Case::success: return "✅";
        case Case::failure: return "❌";
        case Case::warning: return "\u26A0\uFE0F";
        case Case::flag: return "🚩";
        case Case::emoji: return text_;
        case Case::number:
            if (number_ == 10) return "🔟";
            if (number_ >= 0 && number_ <= 9) return std::string(1, static_cast<char>('0' + number_)) + "\uFE0F\u20E3";
            return "🔢";
    }
    return {};
}

std::string XQLogRenderDictionary(const Dictionary& dictionary, std::uint8_t depth) {
    std::string indent(depth, '\t');
    std::string text = "{\n";
    for (const auto& [key, value] : dictionary) {
        std::string keyText = key.empty() ? key : "\"" + key + "\"";
        text += indent + "\t" + keyText + ": " + renderNested(value, depth, true) + ",\n";
    }
    removeLastComma(text);
    return text + indent + "}";
}

std::string XQLogRenderArray(const Array& array, std::uint8_t depth) {
    std::string indent(depth, '\t');
    std::string text = "[\n";
    for (const auto& value : array) text += indent + "\t" + renderNested(value, depth, false) + ",\n";
    removeLastComma(text);
    return text + indent + "]";
}

std::string XQLogRenderData(const platform::Data& data) {
    std::optional<Value> parsed = platform::parseJSON(data.view(), Value(platform::ObjectPtr(std::make_shared<JSONNull>())));
    if (parsed && (parsed->array() || parsed->dictionary())) {
        const Value& value = *parsed;
        std::string text = value.array() ? XQLogRenderArray(*value.array(), 0) : XQLogRenderDictionary(*value.dictionary(), 0);
        std::string flat;
        for (char c : text) {
            if (c == '\t') continue;
            flat += c == '\n' ? ' ' : c;
        }
        return "DATA:【 " + flat + " 】";
    }
    if (parsed) return data.description();
    if (platform::isValidUTF8(data.view())) return "DATA:【 " + data.toString() + " 】";
    return data.description();
}

std::string XQLogRender(const Value& item) {
    if (const auto* dictionary = item.dictionary()) return XQLogRenderDictionary(*dictionary, 0);
    if (const auto* array = item.array()) return XQLogRenderArray(*array, 0);
    if (const auto* data = item.data()) return XQLogRenderData(*data);
    return item.description();
}

std::string XQLogFunctionName(std::string_view pretty) {
    auto open = pretty.find('(');
    if (open == std::string_view::npos) return std::string(pretty);
    std::string_view head = pretty.substr(0, open);
    // The name is the last word before the parameters, without class or namespace qualifiers.
    if (auto space = head.rfind(' '); space != std::string_view::npos) head.remove_prefix(space + 1);
    if (auto colons = head.rfind("::"); colons != std::string_view::npos) head.remove_prefix(colons + 2);
    while (!head.empty() && (head.front() == '*' || head.front() == '&')) head.remove_prefix(1);
    // One "_:" per parameter, counting top-level commas.
    std::string_view params = pretty.substr(open + 1);
    int depth = 0, count = 0;
    bool any = false;
    for (char c : params) {
        if (c == '(' || c == '<') ++depth;
        else if ((c == ')' || c == '>') && depth > 0) --depth;
        else if (c == ')' && depth == 0) break;
        else if (c == ',' && depth == 0) ++count;
        if (c != ' ' && c != ')' && depth >= 0) any = true;
    }
    std::string_view inside = params.substr(0, params.find(')'));
    if (inside.empty() || inside == "void") any = false;
    std::string name(head);
    name += "(";
    if (any)
        for (int i = 0; i <= count; ++i) name += "_:";
    return name + ")";
}

void XQLogWrite(const std::vector<Value>& items, const __XQLogStyle& style, std::string_view file,
                std::string_view function, int line) {
    if (!XQ_LOG_RELEASE.load(std::memory_order_relaxed)) return;
    std::string message;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) message += "👈\n";
        message += XQLogRender(items[i]);
    }
    if (items.size() >= 2) message += "👈";
    if (std::string prefix = style.prefix(); !prefix.empty()) message = prefix + " " + message;

    std::string text = message;
    if (XQ_LOG_MORE.load(std::memory_order_relaxed)) {
        std::string_view fileName = file;
        if (auto slash = fileName.rfind('/'); slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
        text += "\n[ " + std::string(function) + " 第" + std::to_string(line) + "行 ] in " + std::string(fileName);
    }
    if (platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({26, 0, 0})) {
        std::string subsystem = platform::Bundle::main()->bundleIdentifier().value_or(App_Name());
        platform::OSLog(subsystem, "XQLog").log(text);
    } else {
        platform::NSLog(text);
    }
}

std::shared_ptr<__XQLog>& __XQLog::shared() {
    static std::shared_ptr<__XQLog> instance = std::make_shared<__XQLog>();
    return instance;
}

void __XQLog::checkChord(std::uint16_t keyCode, std::uint64_t modifierFlags) {
    constexpr std::uint64_t kAllFour = 0x1E0000;  // Control, Option, Shift, Command
    if ((modifierFlags & kAllFour) != kAllFour) return;
    if (keyCode == 35) XQ_LOG_RELEASE.store(!XQ_LOG_RELEASE.load());
    if (keyCode == 46) XQ_LOG_MORE.store(!XQ_LOG_MORE.load());
}

void __XQLog::addKeyMonitor() {
    constexpr platform::EventMask kMask = 0x1400;  // key down and flags changed
    if (!localMonitor_)
        localMonitor_ = platform::EventMonitor::addLocalMonitor(kMask, [](const platform::EventPtr& event) {
            checkChord(event->keyCode(), event->modifierFlags());
            return event;
        });
    if (!globalMonitor_)
        globalMonitor_ = platform::EventMonitor::addGlobalMonitor(
            kMask, [](const platform::EventPtr& event) { checkChord(event->keyCode(), event->modifierFlags()); });
    platform::dispatch::main().asyncAfter(10.0, [self = sharedFromThis<__XQLog>()] { self->removeKeyMonitor(); });
}

void __XQLog::removeKeyMonitor() {
    if (localMonitor_) {
        platform::EventMonitor::removeMonitor(localMonitor_);
        localMonitor_.reset();
    }
    if (globalMonitor_) {
        platform::EventMonitor::removeMonitor(globalMonitor_);
        globalMonitor_.reset();
    }
}
