#include "view/data_inspector_panel.h"

#include "inspect/data_inspector.h"
#include "session/session.h"
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

int ValueRows()
{
    return static_cast<int>(EveryValueKind().size());
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
    , table_(new QTableWidget(ValueRows() + static_cast<int>(std::size(kOffsetRows)), 2, this))
{
    setObjectName(QStringLiteral("dataInspector"));
    table_->setObjectName(QStringLiteral("inspectorValues"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Little-endian"), QStringLiteral("Big-endian")});
    QStringList rows;
    for (const ValueKind kind : EveryValueKind())
        rows << QString::fromUtf8(NameOf(kind).data(), static_cast<qsizetype>(NameOf(kind).size()));
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
            table_->setItem(
                row, big ? 1 : 0, new QTableWidgetItem(QString::fromStdString(text.value_or(""))));
        }
        ++row;
    }
    for (const auto &[name, mode] : kOffsetRows) {
        DisplaySettings display = session_.display();
        SetOffsetMode(display, mode);
        const QString label
            = document.IsOpen()
                  ? QString::fromStdString(OffsetLabel(offset, display, document.Size())).trimmed()
                  : QString();
        table_->setItem(row, 0, new QTableWidgetItem(label));
        table_->setItem(row, 1, new QTableWidgetItem());
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
