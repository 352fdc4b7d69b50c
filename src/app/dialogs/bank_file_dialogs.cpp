#include "dialogs/bank_file_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace byteloom {

namespace {

QDialogButtonBox *OkCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// Shows the answer's messages; returns whether the dialog may close with its request.
template<typename Request>
bool Answered(const DialogAnswer<Request> &answer, const ShowDialogMessage &showMessage)
{
    for (const std::string &message : answer.messages)
        showMessage(message);
    return answer.request.has_value();
}

} // namespace

SplitFileDialog::SplitFileDialog(ShowDialogMessage showMessage, QWidget *parent)
    : QDialog(parent)
    , sizes_(this, QStringLiteral("Bank Size"), kBankSizes, {"4k", "8k", "16k", "32k", "64k"})
    , header_(new QCheckBox(QStringLiteral("Header (Hex)"), this))
    , headerText_(new QLineEdit(this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Split File"));
    headerText_->setMaxLength(static_cast<int>(kSizeFieldLength));
    headerText_->setObjectName(QStringLiteral("header"));
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

ExpandFileDialog::ExpandFileDialog(ShowDialogMessage showMessage, QWidget *parent)
    : QDialog(parent)
    , sizes_(this,
             QStringLiteral("File Expansion"),
             kExpansionSizes,
             {"128k", "256k", "512k", "1024k", "2048k"})
    , fill_(new QLineEdit(this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Expand File"));
    fill_->setMaxLength(static_cast<int>(kSizeFieldLength));
    fill_->setObjectName(QStringLiteral("fill"));
    auto *fillRow = new QFormLayout;
    fillRow->addRow(QStringLiteral("Initialization Value"), fill_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sizes_.Group());
    layout->addLayout(sizes_.CustomRow());
    layout->addLayout(fillRow);
    layout->addWidget(OkCancel(this));
    sizes_.First()->setFocus();
}

void ExpandFileDialog::accept()
{
    const auto answer = ReadExpandDialog(
        {sizes_.Chosen(), sizes_.Custom(), sizes_.CustomText(), fill_->text().toStdString()});
    if (!Answered(answer, showMessage_))
        return;
    request_ = *answer.request;
    QDialog::accept();
}

} // namespace byteloom
