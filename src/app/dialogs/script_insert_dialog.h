#pragma once

#include "tables/script_dialogs.h"

#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace byteloom {

// "Script Insert": the script file, the starting address in Hex or Decimal (greyed, "from the
// script's headers", for a dump with headers), where the text's room ends ("Ends at", empty for
// none), and the table (or "none"). Insert with an empty file name, an unknown title or an end
// that is not hexadecimal shows why and stays open; otherwise Request() holds what to insert.
// A command script names its own tables and places: the dialog says what it found in it, greys
// the rest, and CommandScriptChosen() is true.
class ScriptInsertDialog : public QDialog
{
    Q_OBJECT

public:
    using Browse = std::function<std::optional<std::filesystem::path>()>;
    using ShowMessage = std::function<void(const std::string &)>;
    // What the file holds when it is a command script ("Command script: 3 blocks, 681
    // pointers", or its first error); nothing for any other script.
    using Describe = std::function<std::optional<std::string>(const std::filesystem::path &)>;

    ScriptInsertDialog(FileSystem &files,
                       const InsertDialogFields &fields,
                       const LoadedTables &tables,
                       std::int64_t caretOffset,
                       Browse browse,
                       ShowMessage showMessage,
                       Describe describe,
                       QWidget *parent = nullptr);

    [[nodiscard]] const InsertRequest &Request() const { return request_; }
    [[nodiscard]] bool CommandScriptChosen() const { return placedBy_ == PlacedBy::Commands; }
    void accept() override;

private:
    [[nodiscard]] std::string TableTitle() const;
    // Greys the address for a script whose headers place it, and everything but the path for a
    // command script; gives them back otherwise.
    void FollowScript();

    enum class PlacedBy { Address, Headers, Commands };
    FileSystem &files_;
    const LoadedTables &tables_;
    QLineEdit *path_;
    QLineEdit *address_;
    QLineEdit *end_;
    QCheckBox *shortest_ = nullptr;
    std::int64_t caretOffset_;
    PlacedBy placedBy_ = PlacedBy::Address;
    QRadioButton *hex_;
    QRadioButton *decimal_;
    QLabel *found_;
    QComboBox *table_;
    ShowMessage showMessage_;
    Describe describe_;
    InsertRequest request_;
};

} // namespace byteloom
