#include "platform/foundation/UniformType.h"

#include <algorithm>
#include <map>
#include <set>

namespace platform {

struct UniformType::Impl {
    std::string identifier;
    std::string key;                // lower-case identifier
    std::set<std::string> lineage;  // lower-case identifiers of itself and every type it conforms to
    std::vector<std::string> extensions;
    bool dynamic = false;
};

namespace {

struct Declaration {
    const char* identifier;
    std::vector<const char*> conformsTo;
    std::vector<const char*> extensions;
};

// The system's types, in the order a lookup by extension tries them.
const std::vector<Declaration>& declarations() {
    static const std::vector<Declaration> list = {
        // roots and the file-system hierarchy
        {"public.item", {}, {}},
        {"public.content", {}, {}},
        {"public.composite-content", {"public.content"}, {}},
        {"public.data", {"public.item"}, {}},
        {"public.directory", {"public.item"}, {}},
        {"public.folder", {"public.directory"}, {}},
        {"public.volume", {"public.folder"}, {}},
        {"public.symlink", {"public.item"}, {}},
        {"public.executable", {"public.item"}, {}},
        {"public.unix-executable", {"public.data", "public.executable"}, {}},
        // packages and bundles
        {"com.apple.package", {"public.directory"}, {}},
        {"com.apple.bundle", {"public.directory"}, {}},
        {"com.apple.application", {"public.executable"}, {}},
        {"com.apple.application-bundle", {"com.apple.application", "com.apple.bundle", "com.apple.package"}, {"app"}},
        {"com.apple.application-file", {"com.apple.application", "public.data"}, {}},
        {"com.apple.plugin", {"com.apple.bundle", "com.apple.package"}, {"plugin", "bundle"}},
        {"com.apple.kernel-extension", {"com.apple.bundle", "com.apple.package"}, {"kext"}},
        {"com.apple.xpc-service", {"com.apple.bundle", "com.apple.package"}, {"xpc"}},
        {"com.apple.framework", {"com.apple.bundle"}, {"framework"}},
        {"com.apple.rtfd", {"com.apple.package", "public.composite-content"}, {"rtfd"}},
        {"com.apple.xcode.project", {"com.apple.package"}, {"xcodeproj"}},
        // text
        {"public.text", {"public.data", "public.content"}, {}},
        {"public.plain-text", {"public.text"}, {"txt", "text"}},
        {"public.utf8-plain-text", {"public.plain-text"}, {}},
        {"public.utf16-plain-text", {"public.plain-text"}, {}},
        {"public.rtf", {"public.text"}, {"rtf"}},
        {"public.html", {"public.text"}, {"html", "htm"}},
        {"public.xml", {"public.text"}, {"xml"}},
        {"public.json", {"public.text"}, {"json"}},
        {"public.yaml", {"public.text"}, {"yaml", "yml"}},
        {"public.log", {"public.plain-text"}, {"log"}},
        {"public.delimited-values-text", {"public.text"}, {}},
        {"public.comma-separated-values-text", {"public.delimited-values-text"}, {"csv"}},
        {"public.tab-separated-values-text", {"public.delimited-values-text"}, {"tsv"}},
        {"public.source-code", {"public.plain-text"}, {}},
        {"public.c-source", {"public.source-code"}, {"c"}},
        {"public.c-header", {"public.source-code"}, {"h"}},
        {"public.c-plus-plus-source", {"public.source-code"}, {"cpp", "cc", "cxx", "cp", "c++"}},
        {"public.c-plus-plus-header", {"public.source-code"}, {"hpp", "hh", "hxx"}},
        {"public.objective-c-source", {"public.source-code"}, {"m"}},
        {"public.objective-c-plus-plus-source", {"public.source-code"}, {"mm"}},
        {"public.swift-source", {"public.source-code"}, {"swift"}},
        {"public.script", {"public.source-code"}, {}},
        {"public.shell-script", {"public.script"}, {"sh", "command"}},
        {"public.python-script", {"public.script"}, {"py"}},
        {"public.ruby-script", {"public.script"}, {"rb"}},
        {"com.netscape.javascript-source", {"public.script"}, {"js"}},
        {"com.apple.property-list", {"public.data"}, {"plist"}},
        // images, documents, audio and video, fonts
        {"public.image", {"public.data", "public.content"}, {}},
        {"public.jpeg", {"public.image"}, {"jpg", "jpeg", "jpe"}},
        {"public.png", {"public.image"}, {"png"}},
        {"com.compuserve.gif", {"public.image"}, {"gif"}},
        {"public.tiff", {"public.image"}, {"tif", "tiff"}},
        {"com.microsoft.bmp", {"public.image"}, {"bmp"}},
        {"com.microsoft.ico", {"public.image"}, {"ico"}},
        {"com.apple.icns", {"public.image"}, {"icns"}},
        {"public.heif-standard", {"public.image"}, {}},
        {"public.heic", {"public.heif-standard"}, {"heic"}},
        {"public.heif", {"public.heif-standard"}, {"heif"}},
        {"org.webmproject.webp", {"public.image"}, {"webp"}},
        {"public.svg-image", {"public.image"}, {"svg"}},
        {"com.adobe.pdf", {"public.data", "public.composite-content"}, {"pdf"}},
        {"public.audiovisual-content", {"public.data", "public.content"}, {}},
        {"public.movie", {"public.audiovisual-content"}, {}},
        {"public.mpeg-4", {"public.movie"}, {"mp4"}},
        {"com.apple.quicktime-movie", {"public.movie"}, {"mov"}},
        {"public.avi", {"public.movie"}, {"avi"}},
        {"public.audio", {"public.audiovisual-content"}, {}},
        {"public.mp3", {"public.audio"}, {"mp3"}},
        {"public.mpeg-4-audio", {"public.audio"}, {"m4a"}},
        {"com.microsoft.waveform-audio", {"public.audio"}, {"wav"}},
        {"public.aiff-audio", {"public.audio"}, {"aiff", "aif"}},
        {"org.xiph.flac", {"public.audio"}, {"flac"}},
        {"public.font", {"public.data", "public.content"}, {}},
        {"public.truetype-ttf-font", {"public.font"}, {"ttf"}},
        {"public.opentype-font", {"public.font"}, {"otf"}},
        // archives and disk images
        {"public.archive", {"public.data"}, {}},
        {"com.pkware.zip-archive", {"public.data", "public.archive"}, {}},
        {"public.zip-archive", {"com.pkware.zip-archive"}, {"zip"}},
        {"com.sun.java-archive", {"com.pkware.zip-archive", "public.executable"}, {"jar"}},
        {"public.tar-archive", {"public.data", "public.archive"}, {"tar"}},
        {"org.gnu.gnu-zip-archive", {"public.data", "public.archive"}, {"gz", "gzip"}},
        {"org.gnu.gnu-zip-tar-archive", {"org.gnu.gnu-zip-archive"}, {"tgz"}},
        {"public.bzip2-archive", {"public.data", "public.archive"}, {"bz2", "bzip2"}},
        {"public.tar-bzip2-archive", {"public.bzip2-archive"}, {"tbz", "tbz2"}},
        {"org.tukaani.xz-archive", {"public.data", "public.archive"}, {"xz"}},
        {"org.tukaani.lzma-archive", {"public.data", "public.archive"}, {"lzma"}},
        {"org.7-zip.7-zip-archive", {"public.data", "public.archive"}, {"7z"}},
        {"com.rarlab.rar-archive", {"public.data", "public.archive"}, {"rar"}},
        {"public.cpio-archive", {"public.data", "public.archive"}, {"cpio"}},
        {"com.apple.xar-archive", {"public.data", "public.archive"}, {"xar"}},
        {"com.apple.installer-package-archive", {"public.data", "public.archive"}, {"pkg"}},
        {"public.disk-image", {"public.data"}, {}},
        {"com.apple.disk-image-udif", {"public.disk-image"}, {"dmg"}},
        {"public.iso-image", {"public.disk-image"}, {"iso"}},
    };
    return list;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct Registry {
    std::map<std::string, std::shared_ptr<const UniformType::Impl>> byIdentifier;  // lower-case keys
    std::map<std::string, std::vector<std::shared_ptr<const UniformType::Impl>>> byExtension;

    Registry() {
        const auto& list = declarations();
        std::map<std::string, const Declaration*> declared;
        for (const auto& d : list) declared[lowered(d.identifier)] = &d;
        for (const auto& d : list) {
            auto impl = std::make_shared<UniformType::Impl>();
            impl->identifier = d.identifier;
            impl->key = lowered(d.identifier);
            // Walk the conformance graph upwards.
            std::vector<std::string> pending{impl->key};
            while (!pending.empty()) {
                std::string current = pending.back();
                pending.pop_back();
                if (!impl->lineage.insert(current).second) continue;
                if (auto it = declared.find(current); it != declared.end())
                    for (const char* parent : it->second->conformsTo) pending.push_back(lowered(parent));
            }
            for (const char* extension : d.extensions) impl->extensions.emplace_back(extension);
            byIdentifier[impl->key] = impl;
            for (const char* extension : d.extensions) byExtension[extension].push_back(impl);
        }
    }
};

const Registry& registry() {
    static const Registry instance;
    return instance;
}

// Dynamic identifiers: "dyn.a" and the text "?0=<supertype>:1=<extension>" in 5-bit letters.
constexpr std::string_view kDynamicPrefix = "dyn.a";
constexpr std::string_view kDynamicAlphabet = "abcdefghkmnpqrstuvwxyz0123456789";

std::string encodeDynamic(std::string_view payload) {
    std::string out(kDynamicPrefix);
    unsigned buffer = 0;
    int bits = 0;
    for (unsigned char c : payload) {
        buffer = (buffer << 8) | c;
        bits += 8;
        while (bits >= 5) {
            out += kDynamicAlphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) out += kDynamicAlphabet[(buffer << (5 - bits)) & 31];
    return out;
}

std::optional<std::string> decodeDynamic(std::string_view identifier) {
    if (identifier.substr(0, kDynamicPrefix.size()) != kDynamicPrefix) return std::nullopt;
    std::string payload;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : identifier.substr(kDynamicPrefix.size())) {
        auto value = kDynamicAlphabet.find(c);
        if (value == std::string_view::npos) return std::nullopt;
        buffer = (buffer << 5) | static_cast<unsigned>(value);
        bits += 5;
        if (bits >= 8) {
            payload += static_cast<char>((buffer >> (bits - 8)) & 0xFF);
            bits -= 8;
        }
    }
    return payload;
}

bool isUsableExtension(std::string_view extension) {
    return !extension.empty() && extension.find_first_of("/.") == std::string_view::npos &&
           extension.find('\0') == std::string_view::npos;
}

std::shared_ptr<const UniformType::Impl> makeDynamic(const std::string& extension,
                                                     const std::shared_ptr<const UniformType::Impl>& supertype) {
    auto impl = std::make_shared<UniformType::Impl>();
    impl->identifier = encodeDynamic("?0=" + supertype->key + ":1=" + extension);
    impl->key = impl->identifier;
    impl->lineage = supertype->lineage;
    impl->lineage.insert(impl->key);
    impl->extensions = {extension};
    impl->dynamic = true;
    return impl;
}

}  // namespace

UniformType UniformType::declared(std::string_view identifier) {
    return UniformType(registry().byIdentifier.at(lowered(identifier)));
}

std::optional<UniformType> UniformType::withIdentifier(std::string_view identifier) {
    const auto& known = registry().byIdentifier;
    if (auto it = known.find(lowered(identifier)); it != known.end()) return UniformType(it->second);
    auto payload = decodeDynamic(identifier);
    if (!payload || payload->rfind("?0=", 0) != 0) return std::nullopt;
    auto separator = payload->find(":1=");
    if (separator == std::string::npos) return std::nullopt;
    std::string supertype = payload->substr(3, separator - 3), extension = payload->substr(separator + 3);
    auto parent = known.find(supertype);
    if (parent == known.end() || !isUsableExtension(extension) || extension != lowered(extension)) return std::nullopt;
    auto impl = makeDynamic(extension, parent->second);
    if (impl->identifier != identifier) return std::nullopt;
    return UniformType(impl);
}

std::optional<UniformType> UniformType::withFilenameExtension(std::string_view extension, const UniformType& supertype) {
    if (!isUsableExtension(extension)) return std::nullopt;
    std::string key = lowered(extension);
    const auto& byExtension = registry().byExtension;
    if (auto it = byExtension.find(key); it != byExtension.end())
        for (const auto& impl : it->second)
            if (impl->lineage.count(supertype.impl_->key)) return UniformType(impl);
    // A dynamic supertype cannot be the parent of another dynamic type: its declared lineage serves.
    auto parent = supertype.impl_;
    if (parent->dynamic) parent = registry().byIdentifier.at("public.data");
    return UniformType(makeDynamic(key, parent));
}

std::optional<std::string> UniformType::preferredIdentifierForFilenameExtension(std::string_view extension) {
    if (!isUsableExtension(extension)) return std::nullopt;
    std::string key = lowered(extension);
    const auto& byExtension = registry().byExtension;
    if (auto it = byExtension.find(key); it != byExtension.end()) return it->second.front()->identifier;
    return makeDynamic(key, registry().byIdentifier.at("public.data"))->identifier;
}

bool UniformType::identifierConformsTo(std::string_view identifier, std::string_view conformsTo) {
    if (lowered(identifier) == lowered(conformsTo)) return true;
    auto type = withIdentifier(identifier);
    auto super = withIdentifier(conformsTo);
    return type && super && type->conforms(*super);
}

const std::string& UniformType::identifier() const { return impl_->identifier; }
bool UniformType::isDynamic() const { return impl_->dynamic; }
const std::vector<std::string>& UniformType::filenameExtensions() const { return impl_->extensions; }

std::optional<std::string> UniformType::preferredFilenameExtension() const {
    if (impl_->extensions.empty()) return std::nullopt;
    return impl_->extensions.front();
}

std::vector<std::string> UniformType::supertypeIdentifiers() const {
    std::vector<std::string> result;
    const auto& known = registry().byIdentifier;
    for (const auto& key : impl_->lineage) {
        if (key == impl_->key) continue;
        auto it = known.find(key);
        result.push_back(it != known.end() ? it->second->identifier : key);
    }
    return result;
}

bool UniformType::conforms(const UniformType& type) const { return impl_->lineage.count(type.impl_->key) > 0; }

bool operator==(const UniformType& a, const UniformType& b) { return a.impl_->key == b.impl_->key; }

UniformType UniformType::item() { return declared("public.item"); }
UniformType UniformType::content() { return declared("public.content"); }
UniformType UniformType::data() { return declared("public.data"); }
UniformType UniformType::directory() { return declared("public.directory"); }
UniformType UniformType::folder() { return declared("public.folder"); }
UniformType UniformType::package() { return declared("com.apple.package"); }
UniformType UniformType::bundle() { return declared("com.apple.bundle"); }
UniformType UniformType::application() { return declared("com.apple.application"); }
UniformType UniformType::applicationBundle() { return declared("com.apple.application-bundle"); }
UniformType UniformType::text() { return declared("public.text"); }
UniformType UniformType::plainText() { return declared("public.plain-text"); }
UniformType UniformType::image() { return declared("public.image"); }
UniformType UniformType::jpeg() { return declared("public.jpeg"); }
UniformType UniformType::png() { return declared("public.png"); }
UniformType UniformType::pdf() { return declared("com.adobe.pdf"); }
UniformType UniformType::archive() { return declared("public.archive"); }
UniformType UniformType::zip() { return declared("public.zip-archive"); }
UniformType UniformType::tarArchive() { return declared("public.tar-archive"); }
UniformType UniformType::gzip() { return declared("org.gnu.gnu-zip-archive"); }
UniformType UniformType::sevenZipArchive() { return declared("org.7-zip.7-zip-archive"); }
UniformType UniformType::rarArchive() { return declared("com.rarlab.rar-archive"); }

}  // namespace platform
