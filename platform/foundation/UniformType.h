#pragma once

// Uniform type identifiers: the registry of the system types a user meets ("public.data",
// "public.zip-archive", "com.apple.application-bundle", ...), with their conformance and their file-name
// extensions, and dynamic types ("dyn.a...") made for extensions no declared type claims. Extensions
// match without regard to case. Immutable values; the registry is fixed and usable from any thread.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class UniformType {
public:
    // A declared type, or a dynamic identifier this registry made; absent otherwise.
    static std::optional<UniformType> withIdentifier(std::string_view identifier);
    // The first declared type claiming the extension that conforms to `supertype`; otherwise a dynamic
    // type for the extension that conforms to `supertype`. Absent for an empty extension or one holding
    // "/" or ".".
    static std::optional<UniformType> withFilenameExtension(std::string_view extension, const UniformType& supertype);
    static std::optional<UniformType> withFilenameExtension(std::string_view extension) {
        return withFilenameExtension(extension, data());
    }
    // The identifier of the preferred type for an extension with no conformance asked: the first
    // declared type claiming it, else a dynamic identifier (conforming to public.data).
    static std::optional<std::string> preferredIdentifierForFilenameExtension(std::string_view extension);
    // Whether the type named `identifier` conforms to the one named `conformsTo` (false when either
    // is unknown, unless both are the same text).
    static bool identifierConformsTo(std::string_view identifier, std::string_view conformsTo);

    const std::string& identifier() const;
    bool isDynamic() const;
    bool isDeclared() const { return !isDynamic(); }
    const std::vector<std::string>& filenameExtensions() const;
    std::optional<std::string> preferredFilenameExtension() const;
    // Every type this one conforms to, itself excluded.
    std::vector<std::string> supertypeIdentifiers() const;
    bool conforms(const UniformType& type) const;
    bool isSupertype(const UniformType& type) const { return type.conforms(*this); }

    friend bool operator==(const UniformType& a, const UniformType& b);

    // Common system types.
    static UniformType item();
    static UniformType content();
    static UniformType data();
    static UniformType directory();
    static UniformType folder();
    static UniformType package();
    static UniformType bundle();
    static UniformType application();
    static UniformType applicationBundle();
    static UniformType text();
    static UniformType plainText();
    static UniformType image();
    static UniformType jpeg();
    static UniformType png();
    static UniformType pdf();
    static UniformType archive();
    static UniformType zip();
    static UniformType tarArchive();
    static UniformType gzip();
    static UniformType sevenZipArchive();
    static UniformType rarArchive();

    struct Impl;

private:
    explicit UniformType(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    static UniformType declared(std::string_view identifier);
    std::shared_ptr<const Impl> impl_;
};

}  // namespace platform
