#pragma once

#include "common/status.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace byteloom {

// The settings as an INI text, every value under its whole key path ("SOFTWARE/Byteloom/Size")
// with its type in front ("dword:0000000f", "sz:MS Mincho"). The first part of a path is the
// section ("[SOFTWARE]"), the rest the key ("Byteloom\Size"), escaped as the settings files of
// earlier Byteloom versions were written, so that they are read as they are.
using SettingsValues = std::map<std::string, std::string>;

// Reads every "key=value" line under its section; lines it cannot make sense of are skipped.
[[nodiscard]] SettingsValues ParseSettingsText(std::string_view text);
// Writes values so that ParseSettingsText gives them back byte for byte.
[[nodiscard]] std::string FormatSettingsText(const SettingsValues &values);

// Typed values held in memory, as the settings file holds them.
class SettingsValuesStore : public SettingsStore
{
public:
    explicit SettingsValuesStore(SettingsValues values = {})
        : values_(std::move(values))
    {}

    [[nodiscard]] std::optional<std::uint32_t> ReadNumber(std::string_view key,
                                                          std::string_view name) const override;
    [[nodiscard]] std::optional<std::string> ReadText(std::string_view key,
                                                      std::string_view name) const override;
    bool WriteNumber(std::string_view key, std::string_view name, std::uint32_t value) override;
    bool WriteText(std::string_view key, std::string_view name, std::string_view value) override;

    [[nodiscard]] const SettingsValues &Values() const { return values_; }

protected:
    SettingsValues values_;
    bool changed_ = false; // since the values were read or last saved

private:
    [[nodiscard]] const std::string *Find(std::string_view key, std::string_view name) const;
    void Put(std::string_view key, std::string_view name, std::string value);
};

// The settings file in the user's configuration folder. Writes are kept in memory until Save(),
// which writes the whole file through the safe writer; values of other keys in the file are
// kept as they were.
class SettingsFile : public SettingsValuesStore
{
public:
    explicit SettingsFile(std::filesystem::path path, FileSystem &files);

    // Reads the file; a file that does not exist yet is empty settings. A file that exists but
    // cannot be read is reported, and Save() then leaves it alone rather than write over it.
    Status Load();
    Status Save() override;

private:
    std::filesystem::path path_;
    FileSystem &files_;
    bool unreadable_ = false;
};

} // namespace byteloom
