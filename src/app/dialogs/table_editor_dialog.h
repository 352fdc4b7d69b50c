#pragma once

#include "dialogs/new_subtable_dialog.h"
#include "tables/table_editor.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace byteloom {

class CodePageList;
class TableEntryModel;
class TextDecoder;
struct DisplaySettings;

// "Table File Editor": the title, the code page, the subtable shown, and the grid of its
// entries with an empty row for a new one. Everything is done on a working copy; Result() is
// the table as OK leaves it.
class TableEditorDialog : public QDialog
{
    Q_OBJECT

public:
    TableEditorDialog(const TableFile &table,
                      TextDecoder &decoder,
                      const CodePageList &codePages,
                      const DisplaySettings &display,
                      ShowEditorMessage showMessage,
                      QWidget *parent = nullptr);
    ~TableEditorDialog() override;

    [[nodiscard]] QTableView *Grid() const { return grid_; }
    [[nodiscard]] QLabel *Hint() const { return hint_; }
    [[nodiscard]] QLineEdit *TitleField() const { return title_; }
    [[nodiscard]] QComboBox *CodePageField() const { return codePage_; }
    [[nodiscard]] QComboBox *SubtableList() const { return subtables_; }
    // The table as edited; valid after the dialog was accepted.
    [[nodiscard]] TableFile Result() const;
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void NewSubtable();
    void SetHint(const QString &message);

    TableEditor editor_;
    TextDecoder &decoder_;
    int tableCodePage_;
    ShowEditorMessage showMessage_;
    TableEntryModel *model_ = nullptr;
    QLineEdit *title_ = nullptr;
    QComboBox *codePage_ = nullptr;
    QComboBox *subtables_ = nullptr;
    QTableView *grid_ = nullptr;
    QLabel *hint_ = nullptr;
    std::string acceptedTitle_;
    int acceptedCodePage_ = 0;
};

} // namespace byteloom
