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
// "Please give a file name" and stays open; otherwise Request() holds what to dump.
class ScriptDumperDialog : public QDialog
{
    Q_OBJECT

public:
    using Browse = std::function<std::optional<std::filesystem::path>()>;
    using ShowMessage = std::function<void(const std::string &)>;

    ScriptDumperDialog(const DumpDialogFields &fields,
                       Browse browse,
                       ShowMessage showMessage,
                       QWidget *parent = nullptr);

    [[nodiscard]] const DumpRequest &Request() const { return request_; }
    void accept() override;

private:
    QLineEdit *path_;
    QLineEdit *start_;
    QLineEdit *length_;
    QCheckBox *clean_;
    ShowMessage showMessage_;
    DumpRequest request_;
};

} // namespace byteloom
