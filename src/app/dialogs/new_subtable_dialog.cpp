#include "dialogs/new_subtable_dialog.h"

#include "dialogs/tab_order.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace byteloom {

NewSubtableDialog::NewSubtableDialog(ShowEditorMessage showMessage,
                                     CheckNewSubtable check,
                                     QWidget *parent)
    : QDialog(parent)
    , showMessage_(std::move(showMessage))
    , check_(std::move(check))
    , startTrigger_(new QLineEdit(this))
    , endTrigger_(new QLineEdit(this))
    , rangeStart_(new QLineEdit(this))
    , rangeEnd_(new QLineEdit(this))
    , ranges_(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("New Subtable"));
    for (QLineEdit *field : {startTrigger_, endTrigger_})
        field->setMaxLength(8);
    // Ranges are offsets, which reach past 4 GiB.
    for (QLineEdit *field : {rangeStart_, rangeEnd_})
        field->setMaxLength(16);

    auto *triggers = new QGroupBox(QStringLiteral("Triggers"), this);
    auto *triggerFields = new QGridLayout(triggers);
    triggerFields->addWidget(Labelled(QStringLiteral("&Start:"), startTrigger_), 0, 0);
    triggerFields->addWidget(startTrigger_, 0, 1);
    triggerFields->addWidget(Labelled(QStringLiteral("&End:"), endTrigger_), 1, 0);
    triggerFields->addWidget(endTrigger_, 1, 1);

    auto *rangeGroup = new QGroupBox(QStringLiteral("Ranges"), this);
    auto *rangeFields = new QGridLayout(rangeGroup);
    auto *addRange = new QPushButton(QStringLiteral("&Add Range"), rangeGroup);
    addRange->setAutoDefault(false);
    ranges_->setColumnCount(2);
    ranges_->setHeaderLabels({QStringLiteral("Start"), QStringLiteral("End")});
    ranges_->setRootIsDecorated(false);
    rangeFields->addWidget(Labelled(QStringLiteral("S&tart:"), rangeStart_), 0, 0);
    rangeFields->addWidget(rangeStart_, 0, 1);
    rangeFields->addWidget(Labelled(QStringLiteral("E&nd:"), rangeEnd_), 1, 0);
    rangeFields->addWidget(rangeEnd_, 1, 1);
    rangeFields->addWidget(addRange, 2, 1);
    rangeFields->addWidget(ranges_, 3, 0, 1, 2);
    connect(addRange, &QPushButton::clicked, this, &NewSubtableDialog::AddRange);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewSubtableDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(triggers);
    layout->addWidget(rangeGroup);
    layout->addWidget(buttons);
    SetTabOrder({startTrigger_, endTrigger_, rangeStart_, rangeEnd_, addRange, ranges_});
}

QLineEdit *NewSubtableDialog::Field(int index) const
{
    const std::array<QLineEdit *, 4> fields{startTrigger_, endTrigger_, rangeStart_, rangeEnd_};
    return fields.at(static_cast<std::size_t>(index));
}

void NewSubtableDialog::ReadFields()
{
    fields_.startTrigger = startTrigger_->text().trimmed().toStdString();
    fields_.endTrigger = endTrigger_->text().trimmed().toStdString();
    fields_.rangeStart = rangeStart_->text().trimmed().toStdString();
    fields_.rangeEnd = rangeEnd_->text().trimmed().toStdString();
}

void NewSubtableDialog::AddRange()
{
    ReadFields();
    if (auto message = AddRangeFromFields(fields_)) {
        showMessage_(*message);
        return;
    }
    const SubtableRange &added = fields_.ranges.back();
    new QTreeWidgetItem(ranges_,
                        {QString::fromStdString(RangeBoundText(added.low)),
                         QString::fromStdString(RangeBoundText(added.high))});
    rangeStart_->clear();
    rangeEnd_->clear();
    rangeStart_->setFocus();
}

void NewSubtableDialog::accept()
{
    ReadFields();
    auto message = ReadNewSubtable(fields_, triggers_);
    if (!message && check_)
        message = check_(triggers_);
    if (message) {
        showMessage_(*message);
        return;
    }
    QDialog::accept();
}

} // namespace byteloom
