#pragma once

#include "platform/user_prompts.h"

class QWidget;

namespace byteloom {

// The core's questions as the editor's message boxes and file dialogs.
class QtPrompts : public UserPrompts
{
public:
    explicit QtPrompts(QWidget *owner);

    SaveAnswer AskToSave(const std::string &text) override;
    bool AskYesNo(const std::string &text) override;
    void ShowMessage(const std::string &text, MessageKind kind = MessageKind::Information) override;
    std::optional<std::filesystem::path>
    ChooseFileToOpen(const std::string &title, std::span<const FileFilter> filters) override;
    std::optional<std::filesystem::path>
    ChooseFileToSave(const std::string &title,
                     std::span<const FileFilter> filters,
                     const std::filesystem::path &initial) override;

private:
    QWidget *owner_;
};

} // namespace byteloom
