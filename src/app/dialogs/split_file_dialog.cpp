#include "dialogs/split_file_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace byteloom {

SplitFileDialog::SplitFileDialog(ShowDialogMessage showMessage, QWidget *parent)
    : QDialog(parent)
    , sizes_(this,
             QStringLiteral("&Bank Size"),
             kBankSizes,
             {"&4 KiB", "&8 KiB", "&16 KiB", "&32 KiB", "&64 KiB"})
    , header_(new QCheckBox(QStringLiteral("&Header (Hex)"), this))
    , headerText_(new QLineEdit(this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Split File"));
    headerText_->setMaxLength(static_cast<int>(kSizeFieldLength));
    headerText_->setObjectName(QStringLiteral("header"));
    // The header's size is typed only when the file has one.
    headerText_->setEnabled(false);
    connect(header_, &QCheckBox::toggled, headerText_, &QLineEdit::setEnabled);
    auto *headerRow = new QHBoxLayout;
    headerRow->addWidget(header_);
    headerRow->addWidget(headerText_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sizes_.Group());
    layout->addLayout(sizes_.CustomRow());
    layout->addLayout(headerRow);
    layout->addWidget(OkCancel(this));
    sizes_.First()->setFocus();
}

void SplitFileDialog::accept()
{
    const auto answer = ReadSplitDialog({sizes_.Chosen(),
                                         sizes_.Custom(),
                                         sizes_.CustomText(),
                                         header_->isChecked(),
                                         headerText_->text().toStdString()});
    if (!Answered(answer, showMessage_))
        return;
    request_ = *answer.request;
    QDialog::accept();
}

} // namespace byteloom
