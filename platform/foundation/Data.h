#pragma once

// An immutable-by-convention byte buffer, the value type behind property-list data.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Data {
public:
    Data() = default;
    explicit Data(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    Data(const void* bytes, std::size_t size)
        : bytes_(static_cast<const std::uint8_t*>(bytes), static_cast<const std::uint8_t*>(bytes) + size) {}
    static Data fromString(std::string_view text) { return Data(text.data(), text.size()); }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t>& mutableBytes() { return bytes_; }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::string_view view() const { return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}; }
    std::string toString() const { return std::string(view()); }

    // The platform's standard description: the byte count followed by "bytes".
    std::string description() const { return std::to_string(bytes_.size()) + " bytes"; }

    friend bool operator==(const Data&, const Data&) = default;

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace platform
