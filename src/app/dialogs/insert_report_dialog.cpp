#include "dialogs/insert_report_dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace byteloom {

namespace {

QTableWidget *BlockTable(const CommandScriptReport &report, QWidget *parent)
{
    const QStringList columns{QStringLiteral("Script"),
                              QStringLiteral("Line"),
                              QStringLiteral("Block"),
                              QStringLiteral("File"),
                              QStringLiteral("Range"),
                              QStringLiteral("Written"),
                              QStringLiteral("Left"),
                              QStringLiteral("Lost")};
    auto *table = new QTableWidget(
        static_cast<int>(report.blocks.size()), static_cast<int>(columns.size()), parent);
    table->setObjectName(QStringLiteral("blocks"));
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    int row = 0;
    for (const BlockReport &block : report.blocks) {
        const std::int64_t last = block.max ? *block.max : block.end - 1;
        const std::string range
            = HexOffset(block.start) + (last > block.start ? "-" + HexOffset(last) : "");
        const QString cells[] = {QString::fromStdString(block.script),
                                 QString::number(block.line),
                                 QString::fromStdString(block.name),
                                 QString::fromStdString(block.file),
                                 QString::fromStdString(range),
                                 QString::number(block.written),
                                 block.max ? QString::number(block.Left()) : QString(),
                                 QString::number(block.lost)};
        for (int column = 0; column < columns.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == 1 || column >= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
        ++row;
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch); // the block's name
    return table;
}

} // namespace

InsertReportDialog::InsertReportDialog(const CommandScriptReport &report, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Insert Report"));
    auto *layout = new QVBoxLayout(this);
    if (!report.Failed())
        layout->addWidget(BlockTable(report, this), 2);
    auto *summary = new QPlainTextEdit(QString::fromStdString(ReportSummaryText(report)), this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setReadOnly(true);
    summary->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(summary, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setAutoDefault(false);
    const QString text = QString::fromStdString(ReportText(report));
    connect(
        copy, &QPushButton::clicked, this, [text] { QGuiApplication::clipboard()->setText(text); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    layout->addWidget(buttons);
    resize(720, 420);
}

} // namespace byteloom
