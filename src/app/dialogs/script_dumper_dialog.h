#pragma once

#include "scripts/pointer_dump.h"
#include "tables/script_dialogs.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace byteloom {

// "Script Dumper": the file to write, the range and Clean. OK with an empty file name shows
// "Please give a file name" and stays open, and so does a No to replacing a file whose name was
// typed; otherwise Request() holds what to dump. With "Pointer table" checked, the strings that
// table points to are dumped instead, as a command script: PointerTableChosen() holds it.
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
                       const PointerTableFields &pointers,
                       QWidget *parent = nullptr);

    [[nodiscard]] const DumpRequest &Request() const { return request_; }
    [[nodiscard]] const std::optional<PointerTable> &PointerTableChosen() const
    {
        return pointerTable_;
    }
    void accept() override;

private:
    FileSystem &files_;
    QLineEdit *path_;
    QLineEdit *start_;
    QLineEdit *length_;
    QCheckBox *clean_;
    QGroupBox *pointers_;
    QLineEdit *pointerStart_;
    QLineEdit *count_;
    QComboBox *size_;
    QComboBox *type_;
    QCheckBox *bigEndian_;
    QLineEdit *header_;
    QLineEdit *offsetting_;
    QLineEdit *base_;
    QLineEdit *endToken_;
    ShowMessage showMessage_;
    AskYesNo askYesNo_;
    std::filesystem::path chosen_; // the last name chosen in the Save dialog
    DumpRequest request_;
    std::optional<PointerTable> pointerTable_;
};

} // namespace byteloom
