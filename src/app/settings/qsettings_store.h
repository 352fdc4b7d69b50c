#pragma once

#include "settings/settings_store.h"

#include <QSettings>

#include <memory>

namespace byteloom {

// The settings in a QSettings file in the user's configuration folder, under the same key paths
// and value names as the registry keys; each value keeps its type ("dword:" or "sz:").
class QSettingsStore : public SettingsStore
{
public:
    // Without a file name: the user's configuration folder.
    explicit QSettingsStore(const QString &fileName = {});

    [[nodiscard]] std::optional<std::uint32_t> ReadNumber(std::string_view key,
                                                          std::string_view name) const override;
    [[nodiscard]] std::optional<std::string> ReadText(std::string_view key,
                                                      std::string_view name) const override;
    bool WriteNumber(std::string_view key, std::string_view name, std::uint32_t value) override;
    bool WriteText(std::string_view key, std::string_view name, std::string_view value) override;

private:
    [[nodiscard]] std::optional<QString>
    Read(std::string_view key, std::string_view name, const QString &type) const;
    bool Write(std::string_view key, std::string_view name, const QString &value);

    std::unique_ptr<QSettings> settings_;
};

} // namespace byteloom
