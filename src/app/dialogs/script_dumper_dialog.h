#pragma once

#include "tables/script_dialogs.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;

namespace byteloom {

// "Script Dumper": the file to write, the range and Clean. OK with an empty file name shows
// "Please give a file name" and stays open, and so does a No to replacing a file whose name was
// typed; otherwise Request() holds what to dump.
class ScriptDumperDialog : public QDialog
{
    Q_OBJECT

public:
    using Browse = std::function<std::optional<std::filesystem::path>()>;
    using ShowMessage = std::function<void(const std::string &)>;
    using AskYesNo = std::function<bool(const std::string &)>;

    ScriptDumperDialog(FileSystem &files,
                       const DumpDialogFields &fields,
                       Browse browse,
                       ShowMessage showMessage,
                       AskYesNo askYesNo,
                       QWidget *parent = nullptr);

    [[nodiscard]] const DumpRequest &Request() const { return request_; }
    void accept() override;

private:
    FileSystem &files_;
    QLineEdit *path_;
    QLineEdit *start_;
    QLineEdit *length_;
    QCheckBox *clean_;
    ShowMessage showMessage_;
    AskYesNo askYesNo_;
    std::filesystem::path chosen_; // the last name chosen in the Save dialog
    DumpRequest request_;
};

} // namespace byteloom
