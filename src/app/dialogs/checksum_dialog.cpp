#include "dialogs/checksum_dialog.h"

#include "dialogs/tab_order.h"
#include "dialogs/work_progress.h"
#include "inspect/checksum.h"
#include "scripts/script_report.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace byteloom {

ChecksumDialog::ChecksumDialog(Document &document, ByteRange range, QWidget *parent)
    : QDialog(parent)
    , document_(document)
    , range_(range)
    , kind_(new QComboBox(this))
    , value_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Checksum"));
    for (const char *name : {"crc32", "adler32", "md5", "sha1", "sha256", "sum16"})
        kind_->addItem(QString::fromLatin1(name));
    value_->setObjectName(QStringLiteral("value"));
    value_->setReadOnly(true);
    value_->setMinimumWidth(value_->fontMetrics().horizontalAdvance(QString(64, QLatin1Char('F'))));
    auto *form = new QFormLayout;
    // Read-only, but the range can be selected and copied.
    auto *bytes = new QLineEdit(QString::fromStdString(HexOffset(range.offset) + " to "
                                                       + HexOffset(range.End() - 1) + " ("
                                                       + std::to_string(range.length) + " bytes)"),
                                this);
    bytes->setReadOnly(true);
    form->addRow(QStringLiteral("B&ytes:"), bytes);
    form->addRow(QStringLiteral("&Algorithm:"), kind_);
    form->addRow(QStringLiteral("Val&ue:"), value_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *compute
        = buttons->addButton(QStringLiteral("C&ompute"), QDialogButtonBox::ActionRole);
    QPushButton *copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    compute->setDefault(true);
    connect(compute, &QPushButton::clicked, this, &ChecksumDialog::Compute);
    connect(copy, &QPushButton::clicked, this, [this] {
        QGuiApplication::clipboard()->setText(value_->text());
    });
    connect(kind_, &QComboBox::currentTextChanged, value_, &QLineEdit::clear);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    SetTabOrder({bytes, kind_, value_, compute, copy, buttons->button(QDialogButtonBox::Close)});
    kind_->setFocus();
}

void ChecksumDialog::Compute()
{
    WorkProgress progress(this, QStringLiteral("Computing the checksum..."));
    const ChecksumResult result = Checksum(document_,
                                           range_,
                                           *ChecksumKindOfName(kind_->currentText().toStdString()),
                                           progress.Callback());
    value_->setText(result.status.ok()          ? QString::fromStdString(result.value)
                    : result.status.cancelled() ? QString()
                                                : QString::fromStdString(result.status.message()));
}

} // namespace byteloom
