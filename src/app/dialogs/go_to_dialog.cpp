#include "dialogs/go_to_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace byteloom {

GoToDialog::GoToDialog(std::function<void(const std::string &)> showMessage,
                       Read read,
                       QWidget *parent)
    : QDialog(parent)
    , field_(new QLineEdit(this))
    , meaning_(new QLabel(this))
    , showMessage_(std::move(showMessage))
    , read_(std::move(read))
{
    setWindowTitle(QStringLiteral("Jump to Offset"));
    field_->setMaxLength(16); // every digit of a 64-bit offset
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("&Offset (Hex):"), this);
    label->setBuddy(field_);
    layout->addWidget(label);
    layout->addWidget(field_);
    meaning_->setObjectName(QStringLiteral("meaning"));
    layout->addWidget(meaning_);
    layout->addWidget(buttons);
    connect(field_, &QLineEdit::textChanged, this, [this](const QString &text) {
        meaning_->setText(QString::fromStdString(read_(text.trimmed().toStdString()).description));
    });
}

QString GoToDialog::Text() const
{
    return field_->text();
}

void GoToDialog::accept()
{
    if (field_->text().trimmed().isEmpty()) {
        showMessage_("Please input an offset");
        return;
    }
    const GoToReading reading = read_(field_->text().trimmed().toStdString());
    if (!reading.offset) {
        showMessage_(reading.description);
        return;
    }
    offset_ = reading.offset;
    QDialog::accept();
}

} // namespace byteloom
