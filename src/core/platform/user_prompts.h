#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace byteloom {

enum class SaveAnswer { Yes, No, Cancel };

// What a message box's icon says: a note, something lost or left out, or a failure.
enum class MessageKind { Information, Warning, Error };

// One entry of a file dialog's filter list: what the user reads, and the patterns
// ("*.smc;*.fig") it stands for.
struct FileFilter
{
    std::string text;
    std::string patterns;
};

// The extension a name typed without one takes in a save dialog, so that the file is what the
// filter chosen promised: "bps" for "*.bps"; nothing for a filter of several patterns or of
// every file.
[[nodiscard]] inline std::string DefaultSuffix(const FileFilter &filter)
{
    const std::string &patterns = filter.patterns;
    if (!patterns.starts_with("*.") || patterns.find_first_of(";*?", 2) != std::string::npos)
        return {};
    return patterns.substr(2);
}

// What the core asks of the user. The editor answers with its dialogs; tests answer with a
// script of their own. Every message box has the caption "Byteloom RC7".
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // The save prompt (Yes, No, Cancel; exclamation icon).
    virtual SaveAnswer AskToSave(const std::string &text) = 0;
    virtual bool AskYesNo(const std::string &text) = 0;
    // A message with an OK button and the icon of its kind.
    virtual void ShowMessage(const std::string &text, MessageKind kind = MessageKind::Information)
        = 0;
    virtual std::optional<std::filesystem::path>
    ChooseFileToOpen(const std::string &title, std::span<const FileFilter> filters) = 0;
    virtual std::optional<std::filesystem::path>
    ChooseFileToSave(const std::string &title,
                     std::span<const FileFilter> filters,
                     const std::filesystem::path &initial)
        = 0;
};

} // namespace byteloom
