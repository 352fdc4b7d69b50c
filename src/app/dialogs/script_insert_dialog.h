#pragma once

#include "tables/script_dialogs.h"

#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace byteloom {

// "Script Insert": the script file, the starting address in Hex or Decimal (greyed, "from the
// script's headers", for a dump with headers), where the text's room ends ("Ends at", empty for
// none), and the table (or "none"). Insert with an empty file name, an unknown title or an end
// that is not hexadecimal shows why and stays open; otherwise Request() holds what to insert.
class ScriptInsertDialog : public QDialog
{
    Q_OBJECT

public:
    using Browse = std::function<std::optional<std::filesystem::path>()>;
    using ShowMessage = std::function<void(const std::string &)>;

    ScriptInsertDialog(FileSystem &files,
                       const InsertDialogFields &fields,
                       const LoadedTables &tables,
                       std::int64_t caretOffset,
                       Browse browse,
                       ShowMessage showMessage,
                       QWidget *parent = nullptr);

    [[nodiscard]] const InsertRequest &Request() const { return request_; }
    void accept() override;

private:
    [[nodiscard]] std::string TableTitle() const;
    // Greys the address for a script whose headers place it, and gives it back otherwise.
    void FollowScript();

    FileSystem &files_;
    const LoadedTables &tables_;
    QLineEdit *path_;
    QLineEdit *address_;
    QLineEdit *end_;
    std::int64_t caretOffset_;
    bool fromHeaders_ = false;
    QRadioButton *hex_;
    QRadioButton *decimal_;
    QComboBox *table_;
    ShowMessage showMessage_;
    InsertRequest request_;
};

} // namespace byteloom
