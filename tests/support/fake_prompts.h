#pragma once

#include "platform/user_prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace byteloom::test {

// Answers the core's questions from a script and records what was asked and shown.
class FakePrompts : public UserPrompts
{
public:
    std::deque<SaveAnswer> saveAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::filesystem::path>> openPaths;
    std::deque<std::optional<std::filesystem::path>> savePaths;
    std::vector<std::string> asked;
    std::vector<std::string> messages;
    std::vector<MessageKind> kinds; // one a message
    std::vector<std::string> dialogTitles;

    SaveAnswer AskToSave(const std::string &text) override
    {
        asked.push_back(text);
        return Take(saveAnswers, SaveAnswer::Cancel);
    }
    bool AskYesNo(const std::string &text) override
    {
        asked.push_back(text);
        return Take(yesNoAnswers, false);
    }
    void ShowMessage(const std::string &text, MessageKind kind = MessageKind::Information) override
    {
        messages.push_back(text);
        kinds.push_back(kind);
    }
    std::optional<std::filesystem::path> ChooseFileToOpen(const std::string &title,
                                                          std::span<const FileFilter>) override
    {
        dialogTitles.push_back(title);
        return Take(openPaths, std::optional<std::filesystem::path>());
    }
    std::optional<std::filesystem::path> ChooseFileToSave(const std::string &title,
                                                          std::span<const FileFilter>,
                                                          const std::filesystem::path &) override
    {
        dialogTitles.push_back(title);
        return Take(savePaths, std::optional<std::filesystem::path>());
    }

private:
    template<typename T>
    static T Take(std::deque<T> &answers, T otherwise)
    {
        if (answers.empty())
            return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace byteloom::test
