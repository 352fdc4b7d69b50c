#pragma once

#include "tables/table_editor.h"

#include <QAbstractTableModel>

namespace byteloom {

class TextDecoder;

// The grid's rows: the core's working copy, with texts shown and typed as the characters they
// are in the table's code page.
class TableEntryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kKeyColumn = 0;

    TableEntryModel(TableEditor &editor, TextDecoder &decoder, int codePage, QObject *parent);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant
    headerData(int section, Qt::Orientation orientation, int role) const override;
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

} // namespace byteloom
