#pragma once

#include "tables/table_editor.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTreeWidget;

namespace byteloom {

class CodePageList;
class TextDecoder;
struct DisplaySettings;

using ShowEditorMessage = std::function<void(const std::string &)>;
// Why the table cannot take a new subtable with these triggers, or nothing.
using CheckNewSubtable = std::function<std::optional<std::string>(const NewSubtable &)>;

// The grid's rows: the core's working copy, with texts shown and typed as the characters they
// are in the table's code page.
class TableEntryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    TableEntryModel(TableEditor &editor, TextDecoder &decoder, int codePage, QObject *parent);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    bool RemoveEntry(int row);
    void ShowSubtable(int number);

signals:
    // After each commit: why it was refused, or an empty text when it was not.
    void Refused(const QString &message);

private:
    TableEditor &editor_;
    TextDecoder &decoder_;
    int codePage_;
};

// The cell editor: a borderless field over the cell, 8 characters for a key and 32 for a
// text. Enter commits; leaving it for another control closes it without a change.
class EntryCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    EntryCellDelegate(QFont font, QObject *parent);

    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QFont font_;
};

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

// "New Subtable": the two triggers and any number of ranges, all hexadecimal.
class NewSubtableDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NewSubtableDialog(ShowEditorMessage showMessage,
                               CheckNewSubtable check = {},
                               QWidget *parent = nullptr);

    [[nodiscard]] const NewSubtable &Triggers() const { return triggers_; }
    [[nodiscard]] const std::vector<SubtableRange> &Ranges() const { return fields_.ranges; }
    [[nodiscard]] QLineEdit *Field(int index) const; // start trigger, end trigger, range start, end
    void AddRange();
    void accept() override;

private:
    void ReadFields();

    ShowEditorMessage showMessage_;
    CheckNewSubtable check_;
    NewSubtableFields fields_;
    NewSubtable triggers_;
    QLineEdit *startTrigger_;
    QLineEdit *endTrigger_;
    QLineEdit *rangeStart_;
    QLineEdit *rangeEnd_;
    QTreeWidget *ranges_;
};

} // namespace byteloom
