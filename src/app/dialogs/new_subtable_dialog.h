#pragma once

#include "tables/table_editor.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QTreeWidget;

namespace byteloom {

using ShowEditorMessage = std::function<void(const std::string &)>;
// Why the table cannot take a new subtable with these triggers, or nothing.
using CheckNewSubtable = std::function<std::optional<std::string>(const NewSubtable &)>;

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
