#include "dialogs/go_to_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace byteloom {

GoToDialog::GoToDialog(std::function<void(const std::string &)> showMessage, QWidget *parent)
    : QDialog(parent)
    , field_(new QLineEdit(this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Jump to Offset"));
    field_->setMaxLength(16); // every digit of a 64-bit offset
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Offset (Hex):"), this));
    layout->addWidget(field_);
    layout->addWidget(buttons);
}

QString GoToDialog::Text() const
{
    return field_->text();
}

void GoToDialog::accept()
{
    if (field_->text().isEmpty()) {
        showMessage_("Please input an offset");
        return;
    }
    QDialog::accept();
}

} // namespace byteloom
