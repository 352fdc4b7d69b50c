#include "dialogs/expand_file_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace byteloom {

ExpandFileDialog::ExpandFileDialog(ShowDialogMessage showMessage, QWidget *parent)
    : QDialog(parent)
    , sizes_(this,
             QStringLiteral("&File Expansion"),
             kExpansionSizes,
             {"12&8 KiB", "25&6 KiB", "&512 KiB", "&1 MiB", "&2 MiB"})
    , fill_(new QLineEdit(this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Expand File"));
    fill_->setMaxLength(static_cast<int>(kSizeFieldLength));
    fill_->setObjectName(QStringLiteral("fill"));
    auto *fillRow = new QFormLayout;
    fillRow->addRow(QStringLiteral("Initialization &Value"), fill_);
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
