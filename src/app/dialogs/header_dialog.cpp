#include "dialogs/header_dialog.h"

#include "dialogs/work_progress.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace byteloom {

HeaderDialog::HeaderDialog(Document &document,
                           UndoJournal &journal,
                           std::function<void()> edited,
                           QWidget *parent)
    : QDialog(parent)
    , document_(document)
    , journal_(journal)
    , edited_(std::move(edited))
    , report_(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Check Header"));
    report_->setObjectName(QStringLiteral("report"));
    report_->setReadOnly(true);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setMinimumWidth(
        report_->fontMetrics().horizontalAdvance(QString(60, QLatin1Char('0'))));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    fix_ = buttons->addButton(QStringLiteral("&Fix"), QDialogButtonBox::ActionRole);
    connect(fix_, &QPushButton::clicked, this, &HeaderDialog::Fix);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(report_);
    layout->addWidget(buttons);
    Check();
}

void HeaderDialog::Check()
{
    {
        WorkProgress progress(parentWidget(), QStringLiteral("Checking the header..."));
        check_ = CheckHeader(document_, progress.Callback());
    }
    const bool checked = check_.status.ok();
    report_->setPlainText(QString::fromStdString(checked ? HeaderReport(check_)
                                                 : check_.status.cancelled()
                                                     ? std::string("The check was cancelled.\n")
                                                     : check_.status.message()));
    fix_->setEnabled(checked && check_.Recognised() && !check_.Right());
}

void HeaderDialog::Fix()
{
    if (const Status fixed = FixHeader(document_, journal_, check_); !fixed.ok()) {
        report_->appendPlainText(QString::fromStdString(fixed.message()));
        return;
    }
    edited_();
    Check();
}

} // namespace byteloom
