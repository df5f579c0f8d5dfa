#include "platform/foundation/UserDefaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/PropertyList.h"

namespace platform {

namespace {

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size,
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

enum class LoadResult { Missing, Loaded, Corrupt };

LoadResult loadDictionary(const std::string& path, Dictionary& out) {
    auto bytes = FileManager::defaultManager().contents(path);
    if (!bytes) return LoadResult::Missing;
    if (auto value = PropertyList::parse(*bytes); value && value->dictionary()) {
        out = *value->dictionary();
        return LoadResult::Loaded;
    }
    out.clear();
    return LoadResult::Corrupt;
}

std::string corruptName(const std::string& path) {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    std::string candidate = path + ".corrupt-" + stamp;
    for (int n = 2; FileManager::defaultManager().fileExists(candidate); ++n)
        candidate = path + ".corrupt-" + stamp + "-" + std::to_string(n);
    return candidate;
}

bool isPropertyListValue(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Absent:
        case Value::Kind::Object: return false;
        case Value::Kind::Array:
            for (const auto& element : *value.array())
                if (!isPropertyListValue(element)) return false;
            return true;
        case Value::Kind::Dictionary:
            for (const auto& [key, element] : *value.dictionary())
                if (!isPropertyListValue(element)) return false;
            return true;
        default: return true;
    }
}

}  // namespace

// One preferences file, shared by every store of that file in this process.
class PreferenceDomain {
public:
    explicit PreferenceDomain(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::shared_ptr<const Dictionary> snapshot() {
        std::lock_guard lock(mutex_);
        refreshLocked();
        return merged_;
    }

    void write(const std::string& key, std::optional<Value> value) {
        std::lock_guard lock(mutex_);
        refreshLocked();
        auto next = std::make_shared<Dictionary>(*merged_);
        if (value)
            (*next)[key] = *value;
        else
            next->erase(key);
        merged_ = std::move(next);
        pending_[key] = std::move(value);
    }

    bool synchronize() {
        std::lock_guard lock(mutex_);
        std::string folder = path_.substr(0, path_.rfind('/'));
        // Other processes of the user take the same lock around their read-modify-write.
        std::string lockPath = folder + "/." + path_.substr(path_.rfind('/') + 1) + ".lock";
        int lockFd = -1;
        if (!pending_.empty()) {
            lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (lockFd < 0 && errno == ENOENT && FileManager::defaultManager().createDirectory(folder))
                lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        }
        if (lockFd >= 0) ::flock(lockFd, LOCK_EX);

        Dictionary disk;
        FileStamp stamp = stampOf(path_);
        LoadResult loaded = LoadResult::Loaded;
        if (merged_ && stamp.exists && stamp == stamp_ && lastLoad_ == LoadResult::Loaded)
            disk = *merged_;  // nobody replaced the file since we read it: our view is current
        else
            loaded = loadDictionary(path_, disk);
        bool ok = true;
        bool wrote = false;
        if (!pending_.empty()) {
            if (loaded == LoadResult::Corrupt) ::rename(path_.c_str(), corruptName(path_).c_str());
            for (const auto& [key, value] : pending_) {
                if (value)
                    disk[key] = *value;
                else
                    disk.erase(key);
            }
            auto bytes = PropertyList::serialize(Value(disk), PropertyList::Format::Binary);
            ok = bytes && FileManager::defaultManager().writeAtomically(path_, *bytes);
            if (ok) {
                pending_.clear();
                stamp = stampOf(path_);
                wrote = true;
            }
        }
        if (lockFd >= 0) ::close(lockFd);  // closing releases the lock

        stamp_ = stamp;
        lastLoad_ = wrote ? LoadResult::Loaded : loaded;
        applyPending(disk);
        merged_ = std::make_shared<const Dictionary>(std::move(disk));
        return ok;
    }

private:
    void refreshLocked() {
        FileStamp stamp = stampOf(path_);
        if (merged_ && stamp == stamp_) return;
        Dictionary disk;
        lastLoad_ = stamp.exists ? loadDictionary(path_, disk) : LoadResult::Missing;
        stamp_ = stamp;
        applyPending(disk);
        merged_ = std::make_shared<const Dictionary>(std::move(disk));
    }

    void applyPending(Dictionary& values) const {
        for (const auto& [key, value] : pending_) {
            if (value)
                values[key] = *value;
            else
                values.erase(key);
        }
    }

    std::string path_;
    std::mutex mutex_;
    FileStamp stamp_;
    LoadResult lastLoad_ = LoadResult::Missing;  // what reading the file at stamp_ gave
    std::shared_ptr<const Dictionary> merged_;
    std::map<std::string, std::optional<Value>> pending_;  // changes not yet in the file
};

namespace {

// The process-wide cache of preference files, standing in for the preferences daemon.
class DomainRegistry {
public:
    static DomainRegistry& shared() {
        static DomainRegistry registry;
        return registry;
    }

    std::shared_ptr<PreferenceDomain> domain(const std::string& path) {
        std::lock_guard lock(mutex_);
        auto& slot = domains_[path];
        if (!slot) slot = std::make_shared<PreferenceDomain>(path);
        return slot;
    }

    Dictionary registered() {
        std::lock_guard lock(mutex_);
        return registered_;
    }
    Value registeredValue(const std::string& key) {
        std::lock_guard lock(mutex_);
        auto it = registered_.find(key);
        return it == registered_.end() ? Value() : it->second;
    }
    void registerDefaults(const Dictionary& defaults) {
        std::lock_guard lock(mutex_);
        for (const auto& [key, value] : defaults) registered_[key] = value;
    }
    void resetRegistered() {
        std::lock_guard lock(mutex_);
        registered_.clear();
    }
    std::shared_ptr<UserDefaults> standard(const std::string& path, const std::string& name) {
        std::lock_guard lock(mutex_);
        if (!standard_ || standard_->path() != path) {
            auto& slot = domains_[path];
            if (!slot) slot = std::make_shared<PreferenceDomain>(path);
            standard_ = std::make_shared<UserDefaults>(name, slot, true);
        }
        return standard_;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<PreferenceDomain>> domains_;
    Dictionary registered_;
    std::shared_ptr<UserDefaults> standard_;
};

const char* kGlobalDomainName = "NSGlobalDomain";

std::string preferencesFolder() { return FileManager::defaultManager().homeDirectory() + "/Library/Preferences"; }

bool isAppGroupName(const std::string& name) {
    return name.rfind("group.", 0) == 0 || name.find(".group.") != std::string::npos;
}

std::string pathForDomain(const std::string& name) {
    if (name == kGlobalDomainName) return preferencesFolder() + "/.GlobalPreferences.plist";
    if (isAppGroupName(name))
        return FileManager::defaultManager().homeDirectory() + "/Library/Group Containers/" + name +
               "/Library/Preferences/" + name + ".plist";
    return preferencesFolder() + "/" + name + ".plist";
}

std::string standardDomainName() {
    if (auto identifier = Bundle::main()->bundleIdentifier()) return *identifier;
    return ProcessInfo::processInfo().processName();
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

}  // namespace

UserDefaults::UserDefaults(std::string name, std::shared_ptr<PreferenceDomain> domain, bool searchesGlobal)
    : name_(std::move(name)), domain_(std::move(domain)), searchesGlobal_(searchesGlobal) {}

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    std::string name = standardDomainName();
    return DomainRegistry::shared().standard(pathForDomain(name), name);
}

std::shared_ptr<UserDefaults> UserDefaults::suite(const std::string& name) {
    if (name.empty() || name == kGlobalDomainName || name.find('/') != std::string::npos || name == "." ||
        name == "..")
        return nullptr;
    return std::make_shared<UserDefaults>(name, DomainRegistry::shared().domain(pathForDomain(name)), true);
}

std::shared_ptr<UserDefaults> UserDefaults::globalDomain() {
    return std::make_shared<UserDefaults>(kGlobalDomainName,
                                          DomainRegistry::shared().domain(pathForDomain(kGlobalDomainName)), false);
}

void UserDefaults::registerDefaults(const Dictionary& defaults) { DomainRegistry::shared().registerDefaults(defaults); }
void UserDefaults::resetRegisteredDefaults() { DomainRegistry::shared().resetRegistered(); }

const std::string& UserDefaults::path() const { return domain_->path(); }

Value UserDefaults::object(const std::string& key) const {
    auto own = domain_->snapshot();
    if (auto it = own->find(key); it != own->end()) return it->second;
    if (searchesGlobal_) {
        auto global = DomainRegistry::shared().domain(pathForDomain(kGlobalDomainName))->snapshot();
        if (auto it = global->find(key); it != global->end()) return it->second;
    }
    return DomainRegistry::shared().registeredValue(key);
}

bool UserDefaults::set(const std::string& key, const Value& value) {
    if (value.isAbsent()) {
        domain_->write(key, std::nullopt);
        return true;
    }
    if (!isPropertyListValue(value)) return false;
    domain_->write(key, value);
    return true;
}

void UserDefaults::removeObject(const std::string& key) { domain_->write(key, std::nullopt); }

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    Value value = object(key);
    if (const auto* text = value.string()) return *text;
    if (value.isNumber()) return value.description();
    return std::nullopt;
}

std::optional<Array> UserDefaults::array(const std::string& key) const {
    Value value = object(key);
    if (const auto* list = value.array()) return *list;
    return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(const std::string& key) const {
    auto list = array(key);
    if (!list) return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& element : *list) {
        if (!element.string()) return std::nullopt;
        texts.push_back(*element.string());
    }
    return texts;
}

std::optional<Dictionary> UserDefaults::dictionary(const std::string& key) const {
    Value value = object(key);
    if (const auto* dict = value.dictionary()) return *dict;
    return std::nullopt;
}

std::optional<Data> UserDefaults::data(const std::string& key) const {
    Value value = object(key);
    if (const auto* bytes = value.data()) return *bytes;
    return std::nullopt;
}

std::int64_t UserDefaults::integer(const std::string& key) const {
    Value value = object(key);
    if (value.isNumber() || value.boolValue() || value.string()) return value.integerValue().value_or(0);
    return 0;
}

double UserDefaults::doubleValue(const std::string& key) const {
    Value value = object(key);
    if (value.isNumber() || value.boolValue() || value.string()) return value.doubleValue().value_or(0);
    return 0;
}

float UserDefaults::floatValue(const std::string& key) const { return static_cast<float>(doubleValue(key)); }

bool UserDefaults::boolean(const std::string& key) const {
    Value value = object(key);
    if (const auto* flag = value.boolValue()) return *flag;
    if (value.isNumber()) return value.doubleValue().value_or(0) != 0;
    if (const auto* text = value.string()) {
        if (equalsIgnoringCase(*text, "yes") || equalsIgnoringCase(*text, "true")) return true;
        return value.integerValue().value_or(0) != 0;
    }
    return false;
}

std::optional<URL> UserDefaults::url(const std::string& key) const {
    Value value = object(key);
    const std::string* text = value.string();
    if (!text || text->empty()) return std::nullopt;
    if ((*text)[0] == '/' || (*text)[0] == '~') return URL::fileURLWithPath(expandingTildeInPath(*text));
    return URL::parse(*text);
}

void UserDefaults::setURL(const std::optional<URL>& value, const std::string& key) {
    if (!value) {
        removeObject(key);
        return;
    }
    set(key, Value(value->isFileURL() ? value->path() : value->absoluteString()));
}

bool UserDefaults::synchronize() { return domain_->synchronize(); }

Dictionary UserDefaults::persistentDomain() const { return *domain_->snapshot(); }

Dictionary UserDefaults::dictionaryRepresentation() const {
    Dictionary result = DomainRegistry::shared().registered();
    if (searchesGlobal_)
        for (const auto& [key, value] : *DomainRegistry::shared().domain(pathForDomain(kGlobalDomainName))->snapshot())
            result[key] = value;
    for (const auto& [key, value] : *domain_->snapshot()) result[key] = value;
    return result;
}

}  // namespace platform
