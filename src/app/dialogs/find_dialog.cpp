#include "dialogs/find_dialog.h"

#include "dialogs/tab_order.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace byteloom {

FindDialog::FindDialog(SearchState &state,
                       Confirm confirm,
                       ShowMessage showMessage,
                       QWidget *parent)
    : QDialog(parent)
    , state_(state)
    , confirm_(std::move(confirm))
    , showMessage_(std::move(showMessage))
    , what_(new QComboBox(this))
    , hex_(new QRadioButton(QStringLiteral("He&x"), this))
    , text_(new QRadioButton(QStringLiteral("&Text"), this))
    , relative_(new QRadioButton(QStringLiteral("&Relative"), this))
    , value_(new QRadioButton(QStringLiteral("&Value"), this))
    , optionLabel_(new QLabel(this))
    , options_(new QComboBox(this))
    , relativeGroup_(new QGroupBox(QStringLiteral("Relative Values"), this))
    , wide_(new QCheckBox(QStringLiteral("1&6-bit values"), relativeGroup_))
    , bigEndian_(new QCheckBox(QStringLiteral("&Big-endian"), relativeGroup_))
    , sequence_(new QLineEdit(relativeGroup_))
{
    setWindowTitle(QStringLiteral("Find"));
    what_->setObjectName(QStringLiteral("what"));
    options_->setObjectName(QStringLiteral("options"));
    OpenFindDialog(state_);

    // The history, newest first, the newest in the field.
    what_->setEditable(true);
    what_->setInsertPolicy(QComboBox::NoInsert);
    what_->lineEdit()->setMaxLength(static_cast<int>(kMaxPatternLength));
    what_->setMinimumWidth(260);
    for (auto entry = state_.history.rbegin(); entry != state_.history.rend(); ++entry)
        what_->addItem(QString::fromStdString(*entry));
    what_->setCurrentIndex(state_.history.empty() ? -1 : 0);
    auto *whatLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    whatLabel->setBuddy(what_);

    auto *inputGroup = new QGroupBox(QStringLiteral("Input Type"), this);
    auto *inputLayout = new QVBoxLayout(inputGroup);
    inputLayout->addWidget(hex_);
    inputLayout->addWidget(text_);
    auto *searchGroup = new QGroupBox(QStringLiteral("Search Type"), this);
    auto *searchLayout = new QVBoxLayout(searchGroup);
    searchLayout->addWidget(relative_);
    searchLayout->addWidget(value_);
    optionsGroup_ = new QGroupBox(QStringLiteral("Special Options"), this);
    auto *optionsLayout = new QVBoxLayout(optionsGroup_);
    options_->setEditable(true);
    options_->setInsertPolicy(QComboBox::NoInsert);
    options_->setMinimumContentsLength(14);
    options_->lineEdit()->setMaxLength(static_cast<int>(SearchState::kChoiceLength));
    optionLabel_->setBuddy(options_);
    optionsLayout->addWidget(optionLabel_);
    optionsLayout->addWidget(options_);
    text_->setChecked(true);
    value_->setChecked(true);

    // Kept for the whole run, as the history is.
    wide_->setObjectName(QStringLiteral("wide"));
    bigEndian_->setObjectName(QStringLiteral("bigEndian"));
    sequence_->setObjectName(QStringLiteral("sequence"));
    wide_->setChecked(state_.relativeWidth == 2);
    bigEndian_->setChecked(state_.relativeBigEndian);
    bigEndian_->setEnabled(wide_->isChecked());
    connect(wide_, &QCheckBox::toggled, bigEndian_, &QCheckBox::setEnabled);
    sequence_->setText(QString::fromStdString(state_.relativeSequence));
    sequence_->setPlaceholderText(QStringLiteral("the characters' own codes"));
    sequence_->setToolTip(
        QStringLiteral("The characters in the order the game keeps them (a kana row, say); "
                       "empty for the alphabet's order"));
    auto *relativeLayout = new QFormLayout(relativeGroup_);
    auto *widthRow = new QHBoxLayout;
    widthRow->addWidget(wide_);
    widthRow->addWidget(bigEndian_);
    relativeLayout->addRow(widthRow);
    auto *sequenceLabel = new QLabel(QStringLiteral("Se&quence:"), relativeGroup_);
    sequenceLabel->setBuddy(sequence_);
    relativeLayout->addRow(sequenceLabel, sequence_);

    // Each button first keeps the option list's text as the choice of the mode it leaves.
    connect(hex_, &QRadioButton::clicked, this, [this] {
        ChooseInputType(state_, InputType::Hex, CurrentOption());
        ShowOptions();
    });
    connect(text_, &QRadioButton::clicked, this, [this] {
        ChooseInputType(state_, InputType::Text, CurrentOption());
        ShowOptions();
    });
    connect(relative_, &QRadioButton::clicked, this, [this] {
        ChooseSearchType(state_, SearchType::Relative, CurrentOption());
        ShowOptions();
    });
    connect(value_, &QRadioButton::clicked, this, [this] {
        ChooseSearchType(state_, SearchType::Value, CurrentOption());
        ShowOptions();
    });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *findNext
        = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    findNext->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *groups = new QHBoxLayout;
    groups->addWidget(inputGroup);
    groups->addWidget(searchGroup);
    groups->addWidget(optionsGroup_);
    auto *layout = new QVBoxLayout(this);
    auto *whatRow = new QHBoxLayout;
    whatRow->addWidget(whatLabel);
    whatRow->addWidget(what_, 1);
    layout->addLayout(whatRow);
    layout->addLayout(groups);
    layout->addWidget(relativeGroup_);
    // The dialog fits what it shows: the Relative Values come and go with the search type.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(buttons);
    SetTabOrder({what_,
                 hex_,
                 text_,
                 relative_,
                 value_,
                 options_,
                 wide_,
                 bigEndian_,
                 sequence_,
                 findNext,
                 cancel});
    ShowOptions();
    what_->setFocus();
}

std::string FindDialog::CurrentOption() const
{
    return options_->currentText().toStdString();
}

void FindDialog::ShowOptions()
{
    relativeGroup_->setVisible(state_.searchType == SearchType::Relative);
    const OptionList list = OptionListFor(state_);
    // Hex mode has no options: their frame goes too, rather than standing empty.
    optionsGroup_->setVisible(list.shown);
    if (!list.shown)
        return;
    // "C&haracter Set:", "F&ont Table Layout:": clear of the dialog's other keys.
    optionLabel_->setText(QString::fromStdString(list.label).insert(1, QLatin1Char('&')));
    options_->clear();
    for (const std::string &item : list.items)
        options_->addItem(QString::fromStdString(item));
    options_->setCurrentIndex(list.preselected);
}

void FindDialog::accept()
{
    state_.relativeWidth = wide_->isChecked() ? 2 : 1;
    state_.relativeBigEndian = bigEndian_->isChecked();
    state_.relativeSequence = CleanSequence(sequence_->text().toStdString());
    const std::string message = confirm_(what_->currentText().toStdString());
    if (!message.empty()) {
        showMessage_(message);
        return;
    }
    QDialog::accept();
}

} // namespace byteloom
