// Any settings file, and any values in it of any type: the file reads the same after it is
// written again, the editor starts with sound settings, and what it writes back reads back the
// same.
#include "session/session.h"
#include "settings/settings_file.h"
#include "settings/settings_io.h"
#include "settings/settings_store.h"
#include "view/row_layout.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace {

using namespace byteloom;

// Answers each read from the input: absent, a number, or a text, as the bytes say.
class InputStore : public SettingsStore
{
public:
    InputStore(const std::uint8_t *data, std::size_t size)
        : data_(data)
        , size_(size)
    {}

    std::optional<std::uint32_t> ReadNumber(std::string_view, std::string_view) const override
    {
        if (Take() % 3 != 1)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Take();
        return value;
    }
    std::optional<std::string> ReadText(std::string_view, std::string_view) const override
    {
        if (Take() % 3 != 2)
            return std::nullopt;
        std::string text;
        for (std::size_t length = Take(); length > 0 && position_ < size_; --length)
            text += static_cast<char>(Take());
        return text;
    }
    bool WriteNumber(std::string_view key, std::string_view name, std::uint32_t value) override
    {
        written_[std::string(key) + "\\" + std::string(name)] = value;
        return true;
    }
    bool WriteText(std::string_view key, std::string_view name, std::string_view value) override
    {
        written_[std::string(key) + "\\" + std::string(name)] = std::string(value);
        return true;
    }

    std::map<std::string, std::variant<std::uint32_t, std::string>> written_;

private:
    std::uint8_t Take() const { return position_ < size_ ? data_[position_++] : 0; }

    const std::uint8_t *data_;
    std::size_t size_;
    mutable std::size_t position_ = 0;
};

// Reads back what a save wrote.
class WrittenStore : public SettingsStore
{
public:
    explicit WrittenStore(const InputStore &from)
        : values_(from.written_)
    {}
    std::optional<std::uint32_t> ReadNumber(std::string_view key,
                                            std::string_view name) const override
    {
        const auto found = values_.find(std::string(key) + "\\" + std::string(name));
        if (found == values_.end() || !std::holds_alternative<std::uint32_t>(found->second))
            return std::nullopt;
        return std::get<std::uint32_t>(found->second);
    }
    std::optional<std::string> ReadText(std::string_view key, std::string_view name) const override
    {
        const auto found = values_.find(std::string(key) + "\\" + std::string(name));
        if (found == values_.end() || !std::holds_alternative<std::string>(found->second))
            return std::nullopt;
        return std::get<std::string>(found->second);
    }
    bool WriteNumber(std::string_view, std::string_view, std::uint32_t) override { return true; }
    bool WriteText(std::string_view, std::string_view, std::string_view) override { return true; }

private:
    std::map<std::string, std::variant<std::uint32_t, std::string>> values_;
};

bool Sound(const DisplaySettings &display)
{
    const int height = display.fontSize < 0 ? -display.fontSize : display.fontSize;
    const bool grouping = display.grouping == 1 || display.grouping == 2 || display.grouping == 4
                          || display.grouping == 8;
    return grouping && height >= 6 && height <= 96 && display.addressColor <= 0xFFFFFF
           && display.textBackground <= 0xFFFFFF && display.highlightColor <= 0xFFFFFF;
}

// The editor starts from store with sound settings, and what it writes there reads back (from
// the store reread gives) as the same settings.
template<typename Reread>
void CheckStartAndSave(Session &session, SettingsStore &store, Reread reread)
{
    session.display() = DisplaySettings{};
    session.options() = ProgramOptions{};
    LoadSettings(store, session.Settings());
    if (!Sound(session.display()) || session.options().recentFiles.size() > 4)
        __builtin_trap();
    const DisplaySettings loaded = session.display();
    const std::vector<std::string> recent = session.options().recentFiles;
    if (!SaveSettings(store, session.Settings()).empty())
        __builtin_trap();
    session.display() = DisplaySettings{};
    session.options() = ProgramOptions{};
    LoadSettings(reread(), session.Settings());
    const DisplaySettings &again = session.display();
    if (again.grouping != loaded.grouping || again.fontSize != loaded.fontSize
        || again.hexFontFace != loaded.hexFontFace || again.highlightColor != loaded.highlightColor
        || session.options().recentFiles != recent)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Session session;
    // The bytes as a settings file: its written form is a fixed point.
    const SettingsValues values
        = ParseSettingsText(std::string_view(reinterpret_cast<const char *>(data), size));
    if (ParseSettingsText(FormatSettingsText(values)) != values)
        __builtin_trap();
    SettingsValuesStore file(values);
    CheckStartAndSave(session, file, [&] {
        return SettingsValuesStore(ParseSettingsText(FormatSettingsText(file.Values())));
    });
    // The bytes as typed values, whatever their type.
    InputStore typed(data, size);
    CheckStartAndSave(session, typed, [&] { return WrittenStore(typed); });
    return 0;
}
