#pragma once

#include "common/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace byteloom {

// Where the settings live: typed values (32-bit numbers and texts) under key paths such as
// "SOFTWARE\Byteloom". A value of the other type reads as absent.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    [[nodiscard]] virtual std::optional<std::uint32_t> ReadNumber(std::string_view key,
                                                                  std::string_view name) const = 0;
    [[nodiscard]] virtual std::optional<std::string> ReadText(std::string_view key,
                                                              std::string_view name) const = 0;
    // Each returns false when the value could not be written.
    virtual bool WriteNumber(std::string_view key, std::string_view name, std::uint32_t value) = 0;
    virtual bool WriteText(std::string_view key, std::string_view name, std::string_view value) = 0;
    // Puts what was written on the disk, for a store that keeps writes until then.
    virtual Status Save() { return Status::Ok(); }
};

} // namespace byteloom
