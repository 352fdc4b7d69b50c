#include "dialogs/table_entry_model.h"

#include "view/code_page_list.h"

namespace byteloom {

namespace {

TableEditor::Column ColumnOf(const QModelIndex &index)
{
    return index.column() == TableEntryModel::kKeyColumn ? TableEditor::Column::Key
                                                         : TableEditor::Column::Text;
}

} // namespace

TableEntryModel::TableEntryModel(TableEditor &editor,
                                 TextDecoder &decoder,
                                 int codePage,
                                 QObject *parent)
    : QAbstractTableModel(parent)
    , editor_(editor)
    , decoder_(decoder)
    , codePage_(codePage)
{}

int TableEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : editor_.RowCount();
}

int TableEntryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TableEntryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row();
    if (editor_.IsEmptyRow(row))
        return QString();
    if (index.column() == TableEntryModel::kKeyColumn)
        return QString::fromStdString(KeyCellText(editor_.KeyAt(row)));
    const std::string &text = editor_.TextAt(row);
    if (const std::string_view shown = MarkerShownAs(text); shown != text)
        return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    return QString::fromStdString(decoder_.ToUtf8(
        codePage_, {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()}));
}

QVariant TableEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section == kKeyColumn ? QStringLiteral("Key") : QStringLiteral("Text");
}

Qt::ItemFlags TableEntryModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool TableEntryModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const std::string typed = value.toString().toStdString();
    std::string text = typed;
    const bool marker = MarkerTyped(typed) != typed;
    if (marker && index.column() != TableEntryModel::kKeyColumn) {
        text = MarkerTyped(typed);
    } else if (index.column() != TableEntryModel::kKeyColumn && !typed.empty()) {
        text = decoder_.FromUtf8String(codePage_, typed);
        if (text.empty()) {
            emit Refused(QStringLiteral("Code page %1 has no place for a character of this text")
                             .arg(codePage_));
            return false;
        }
    }
    const int rows = editor_.RowCount();
    const TableEditor::Outcome outcome = editor_.Commit(index.row(), ColumnOf(index), text);
    // The reason of this commit, or none: an older reason never stays under the grid.
    emit Refused(QString::fromStdString(outcome.message));
    if (outcome.kind != TableEditor::Outcome::Changed)
        return false;
    if (editor_.RowCount() > rows) {
        // The empty row became the new entry, and a new empty row follows it.
        beginInsertRows({}, rows, rows);
        endInsertRows();
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
    return true;
}

bool TableEntryModel::RemoveEntry(int row)
{
    if (row < 0 || editor_.IsEmptyRow(row))
        return false;
    beginRemoveRows({}, row, row);
    editor_.RemoveRow(row);
    endRemoveRows();
    return true;
}

void TableEntryModel::ShowSubtable(int number)
{
    beginResetModel();
    editor_.ShowSubtable(number);
    endResetModel();
}

} // namespace byteloom
