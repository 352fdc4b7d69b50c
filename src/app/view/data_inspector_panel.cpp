#include "view/data_inspector_panel.h"

#include "inspect/data_inspector.h"
#include "session/editing.h"
#include "session/session.h"
#include "view/character_at.h"
#include "view/data_window.h"
#include "view/offset_label.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QTableWidget>

namespace byteloom {

namespace {

constexpr std::pair<const char *, OffsetMode> kOffsetRows[]
    = {{"offset (hex)", OffsetMode::Hex},
       {"offset (decimal)", OffsetMode::Decimal},
       {"SNES LoROM", OffsetMode::SnesLoRom},
       {"SNES HiROM", OffsetMode::SnesHiRom}};

// After the values: the character rows and the selection's value, then the offsets.
constexpr const char *kTextRows[] = {"character", "table entry", "selection"};

int ValueRows()
{
    return static_cast<int>(EveryValueKind().size());
}

int RowCount()
{
    return ValueRows() + static_cast<int>(std::size(kTextRows) + std::size(kOffsetRows));
}

QTableWidgetItem *Item(const std::string &text)
{
    return new QTableWidgetItem(QString::fromStdString(text));
}

} // namespace

DataInspectorPanel::DataInspectorPanel(Session &session,
                                       DataWindow &view,
                                       ShowMessage showMessage,
                                       QWidget *parent)
    : QDockWidget(QStringLiteral("Data Inspector"), parent)
    , session_(session)
    , view_(view)
    , showMessage_(std::move(showMessage))
    , table_(new QTableWidget(RowCount(), 2, this))
{
    setObjectName(QStringLiteral("dataInspector"));
    table_->setObjectName(QStringLiteral("inspectorValues"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Little-endian"), QStringLiteral("Big-endian")});
    QStringList rows;
    for (const ValueKind kind : EveryValueKind())
        rows << QString::fromUtf8(NameOf(kind).data(), static_cast<qsizetype>(NameOf(kind).size()));
    for (const char *name : kTextRows)
        rows << QString::fromLatin1(name);
    for (const auto &[name, mode] : kOffsetRows)
        rows << QString::fromLatin1(name);
    table_->setVerticalHeaderLabels(rows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Wide enough for a 64-bit value in each byte order without eliding it.
    table_->setWordWrap(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setMinimumWidth(
        table_->fontMetrics().horizontalAdvance(QStringLiteral("offset (decimal)"))
        + 2 * table_->fontMetrics().horizontalAdvance(QStringLiteral("-9223372036854775808  ")));
    setWidget(table_);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &DataInspectorPanel::EditValue);
}

void DataInspectorPanel::Refresh()
{
    Document &document = session_.document();
    const std::int64_t offset = view_.caret().Offset();
    // No more than the widest value: 8 bytes, whatever the document's size.
    std::vector<std::uint8_t> bytes(8);
    bytes.resize(static_cast<std::size_t>(document.IsOpen() && offset >= 0 ? std::max<std::int64_t>(
                                              document.ReadBlock(offset, bytes), 0)
                                                                           : 0));
    int row = 0;
    for (const ValueKind kind : EveryValueKind()) {
        for (const bool big : {false, true}) {
            const bool shown = !big || ByteCount(kind) > 1;
            const auto text = shown ? FormatValue(kind, bytes, big) : std::nullopt;
            table_->setItem(row, big ? 1 : 0, Item(text.value_or("")));
        }
        ++row;
    }
    const CharacterRows characters = CharactersAt(document,
                                                  offset,
                                                  session_.display(),
                                                  session_.codePages(),
                                                  session_.decoder(),
                                                  session_.tables().Current());
    for (const std::string *text : {&characters.codePage, &characters.table}) {
        table_->setItem(row, 0, Item(*text));
        table_->setItem(row++, 1, Item({}));
    }
    // A selection of up to 8 bytes as one number, in both byte orders.
    const ByteRange selected = SelectedSpan(view_.selection());
    std::vector<std::uint8_t> selection(static_cast<std::size_t>(
        selected.length > 0 && selected.length <= 8 ? selected.length : 0));
    if (!selection.empty() && document.ReadBlock(selected.offset, selection) != selected.length)
        selection.clear();
    for (const bool big : {false, true})
        table_->setItem(row, big ? 1 : 0, Item(SelectionValue(selection, big).value_or("")));
    ++row;
    for (const auto &[name, mode] : kOffsetRows) {
        DisplaySettings display = session_.display();
        SetOffsetMode(display, mode);
        const QString label
            = document.IsOpen()
                  ? QString::fromStdString(OffsetLabel(offset, display, document.Size())).trimmed()
                  : QString();
        table_->setItem(row, 0, new QTableWidgetItem(label));
        table_->setItem(row, 1, Item({}));
        ++row;
    }
}

void DataInspectorPanel::EditValue(int row, int column)
{
    if (row >= ValueRows() || table_->item(row, column)->text().isEmpty())
        return;
    const ValueKind kind = EveryValueKind()[static_cast<std::size_t>(row)];
    bool typed = false;
    const QString text
        = QInputDialog::getText(this,
                                QStringLiteral("Data Inspector"),
                                table_->verticalHeaderItem(row)->text() + QLatin1Char(':'),
                                QLineEdit::Normal,
                                table_->item(row, column)->text(),
                                &typed);
    if (!typed)
        return;
    if (const auto message = WriteTypedValue(session_.document(),
                                             session_.journal(),
                                             view_.caret().Offset(),
                                             kind,
                                             text.trimmed().toStdString(),
                                             column == 1))
        return showMessage_(*message);
    emit Edited();
    Refresh();
}

} // namespace byteloom
