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

// "Script Insert": the script file, the starting address in Hex or Decimal, and the table (or
// "none"). Insert with an empty file name or an unknown title shows why and stays open;
// otherwise Request() holds what to insert.
class ScriptInsertDialog : public QDialog
{
    Q_OBJECT

public:
    using Browse = std::function<std::optional<std::filesystem::path>()>;
    using ShowMessage = std::function<void(const std::string &)>;

    ScriptInsertDialog(const InsertDialogFields &fields,
                       const LoadedTables &tables,
                       std::int64_t caretOffset,
                       Browse browse,
                       ShowMessage showMessage,
                       QWidget *parent = nullptr);

    [[nodiscard]] const InsertRequest &Request() const { return request_; }
    void accept() override;

private:
    [[nodiscard]] std::string TableTitle() const;

    const LoadedTables &tables_;
    QLineEdit *path_;
    QLineEdit *address_;
    QRadioButton *hex_;
    QRadioButton *decimal_;
    QComboBox *table_;
    ShowMessage showMessage_;
    InsertRequest request_;
};

} // namespace byteloom
