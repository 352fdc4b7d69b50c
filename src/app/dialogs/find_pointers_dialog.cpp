#include "dialogs/find_pointers_dialog.h"

#include "dialogs/tab_order.h"
#include "scripts/script_report.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace byteloom {

namespace {

constexpr const char *kAnyForm = "any form";

QString HexText(std::int64_t value)
{
    return QString::fromStdString(HexOffset(value).substr(value < 0 ? 2 : 1))
        .prepend(value < 0 ? QStringLiteral("-") : QString());
}

} // namespace

FindPointersDialog::FindPointersDialog(const PointerState &last,
                                       std::int64_t target,
                                       std::function<void(const std::string &)> showMessage,
                                       QWidget *parent)
    : QDialog(parent)
    , size_(new QComboBox(this))
    , type_(new QComboBox(this))
    , little_(new QRadioButton(QStringLiteral("&Little-endian"), this))
    , big_(new QRadioButton(QStringLiteral("&Big-endian"), this))
    , header_(new QLineEdit(HexText(last.header), this))
    , offsetting_(new QLineEdit(HexText(last.shape.form.offsetting), this))
    , showMessage_(std::move(showMessage))
{
    setWindowTitle(QStringLiteral("Find Pointers"));
    for (const int bits : {16, 24, 32})
        size_->addItem(QStringLiteral("%1 bits").arg(bits), bits);
    size_->setCurrentIndex(size_->findData(last.shape.form.bits));
    for (const char *type : {"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB", kAnyForm})
        type_->addItem(QString::fromLatin1(type));
    type_->setCurrentText(QString::fromUtf8(NameOf(last.shape.form.type).data()));
    (last.shape.bigEndian ? big_ : little_)->setChecked(true);
    header_->setObjectName(QStringLiteral("header"));
    offsetting_->setObjectName(QStringLiteral("offsetting"));
    // "any form" tries every size, type and byte order, without offsetting.
    connect(type_, &QComboBox::currentTextChanged, this, [this](const QString &type) {
        const bool any = type == QLatin1String(kAnyForm);
        for (QWidget *field : {static_cast<QWidget *>(size_),
                               static_cast<QWidget *>(little_),
                               static_cast<QWidget *>(big_),
                               static_cast<QWidget *>(offsetting_)})
            field->setEnabled(!any);
    });

    auto *order = new QHBoxLayout;
    order->addWidget(little_);
    order->addWidget(big_);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Size:"), size_);
    form->addRow(QStringLiteral("&Type:"), type_);
    form->addRow(QStringLiteral("B&yte order:"), order);
    qobject_cast<QLabel *>(form->labelForField(order))->setBuddy(little_);
    form->addRow(QStringLiteral("&Header (hex):"), header_);
    form->addRow(QStringLiteral("&Offsetting (hex):"), offsetting_);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *find = buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    find->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindPointersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Pointers to %1").arg(QString::fromStdString(HexOffset(target))), this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    SetTabOrder({size_, type_, little_, big_, header_, offsetting_, find, cancel});
    type_->setFocus();
}

void FindPointersDialog::accept()
{
    const auto read = ReadPointerForm({size_->currentData().toInt(),
                                       type_->currentText() == QLatin1String(kAnyForm)
                                           ? std::string("any")
                                           : type_->currentText().toStdString(),
                                       big_->isChecked(),
                                       header_->text().trimmed().toStdString(),
                                       offsetting_->text().trimmed().toStdString()});
    if (const auto *message = std::get_if<std::string>(&read)) {
        showMessage_(*message);
        return;
    }
    request_ = std::get<PointerRequest>(read);
    QDialog::accept();
}

} // namespace byteloom
