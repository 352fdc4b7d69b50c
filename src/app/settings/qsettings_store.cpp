#include "settings/qsettings_store.h"

namespace byteloom {

namespace {

const QString kNumberType = QStringLiteral("dword:");
const QString kTextType = QStringLiteral("sz:");

QString KeyPath(std::string_view key, std::string_view name)
{
    QString path = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path + QLatin1Char('/')
           + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

QSettingsStore::QSettingsStore(const QString &fileName)
    : settings_(fileName.isEmpty() ? std::make_unique<QSettings>(QSettings::IniFormat,
                                                                 QSettings::UserScope,
                                                                 QStringLiteral("Byteloom"),
                                                                 QStringLiteral("Byteloom"))
                                   : std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{}

std::optional<QString>
QSettingsStore::Read(std::string_view key, std::string_view name, const QString &type) const
{
    const QString stored = settings_->value(KeyPath(key, name)).toString();
    if (!stored.startsWith(type))
        return std::nullopt;
    return stored.mid(type.size());
}

std::optional<std::uint32_t> QSettingsStore::ReadNumber(std::string_view key,
                                                        std::string_view name) const
{
    const auto text = Read(key, name, kNumberType);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const uint value = text->toUInt(&ok, 16);
    return ok ? std::optional<std::uint32_t>(value) : std::nullopt;
}

std::optional<std::string> QSettingsStore::ReadText(std::string_view key,
                                                    std::string_view name) const
{
    const auto text = Read(key, name, kTextType);
    return text ? std::optional<std::string>(text->toStdString()) : std::nullopt;
}

bool QSettingsStore::Write(std::string_view key, std::string_view name, const QString &value)
{
    settings_->setValue(KeyPath(key, name), value);
    settings_->sync();
    return settings_->status() == QSettings::NoError && settings_->isWritable();
}

bool QSettingsStore::WriteNumber(std::string_view key, std::string_view name, std::uint32_t value)
{
    return Write(key, name, kNumberType + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')));
}

bool QSettingsStore::WriteText(std::string_view key, std::string_view name, std::string_view value)
{
    return Write(key,
                 name,
                 kTextType + QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

} // namespace byteloom
