#include "dialogs/script_insert_dialog.h"
#include "common/path_text.h"

#include "dialogs/tab_order.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace byteloom {

namespace {

// What the address field shows, greyed, for a command script, which names its own places.
constexpr std::string_view kFromCommandsText = "from the script's commands";

} // namespace

ScriptInsertDialog::ScriptInsertDialog(FileSystem &files,
                                       const InsertDialogFields &fields,
                                       const LoadedTables &tables,
                                       std::int64_t caretOffset,
                                       Browse browse,
                                       ShowMessage showMessage,
                                       Describe describe,
                                       QWidget *parent)
    : QDialog(parent)
    , files_(files)
    , tables_(tables)
    , path_(new QLineEdit(QString::fromStdString(fields.path), this))
    , address_(new QLineEdit(QString::fromStdString(fields.address), this))
    , end_(new QLineEdit(QString::fromStdString(fields.end), this))
    , caretOffset_(caretOffset)
    , hex_(new QRadioButton(QStringLiteral("He&x"), this))
    , decimal_(new QRadioButton(QStringLiteral("&Decimal"), this))
    , found_(new QLabel(this))
    , table_(new QComboBox(this))
    , showMessage_(std::move(showMessage))
    , describe_(std::move(describe))
{
    setWindowTitle(QStringLiteral("Script Insert"));
    path_->setObjectName(QStringLiteral("path"));
    address_->setObjectName(QStringLiteral("address"));
    end_->setObjectName(QStringLiteral("end"));
    // Wide enough to say what places a dump with headers or a command script.
    for (const std::string_view text : {kFromHeadersText, kFromCommandsText})
        address_->setMinimumWidth(
            std::max(address_->minimumWidth(),
                     address_->fontMetrics().horizontalAdvance(
                         QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))
                         + 16));
    end_->setMaxLength(16);
    end_->setPlaceholderText(QStringLiteral("none"));
    table_->setObjectName(QStringLiteral("table"));
    path_->setMinimumWidth(280);
    address_->setMaxLength(99);

    auto *scriptGroup = new FieldGroup(QStringLiteral("Script &File"), this);
    scriptGroup->SetField(path_);
    auto *browseButton = new QPushButton(QStringLiteral("&Browse..."), scriptGroup);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this, browse = std::move(browse)] {
        if (const auto chosen = browse())
            path_->setText(QString::fromStdString(chosen->string()));
    });
    connect(path_, &QLineEdit::textChanged, this, &ScriptInsertDialog::FollowScript);
    auto *scriptColumn = new QVBoxLayout(scriptGroup);
    auto *scriptRow = new QHBoxLayout;
    scriptColumn->addLayout(scriptRow);
    scriptRow->addWidget(path_);
    scriptRow->addWidget(browseButton);
    found_->setObjectName(QStringLiteral("found"));
    found_->setWordWrap(true);
    found_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    found_->hide();
    scriptColumn->addWidget(found_);

    auto *addressGroup = new FieldGroup(QStringLiteral("Starting &Address"), this);
    addressGroup->SetField(address_);
    auto *addressRow = new QHBoxLayout(addressGroup);
    addressRow->addWidget(address_);
    addressRow->addWidget(hex_);
    addressRow->addWidget(decimal_);
    auto *endLabel = new QLabel(QStringLiteral("&Ends at"), addressGroup);
    endLabel->setBuddy(end_);
    addressRow->addWidget(endLabel);
    addressRow->addWidget(end_);
    (fields.decimal ? decimal_ : hex_)->setChecked(true);
    // Choosing a base writes the caret's offset in it.
    for (QRadioButton *base : {hex_, decimal_}) {
        connect(base, &QRadioButton::clicked, this, [this, caretOffset, base] {
            address_->setText(
                QString::fromStdString(InsertAddressText(caretOffset, base == decimal_)));
        });
    }

    // Titles are the tables' own bytes; each item keeps them, so that a title in another
    // code page still names its table exactly.
    auto *tableGroup = new FieldGroup(QStringLiteral("&Table File"), this);
    tableGroup->SetField(table_);
    auto *tableRow = new QHBoxLayout(tableGroup);
    table_->setEditable(true);
    table_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string &title : InsertTableChoices(tables))
        table_->addItem(QString::fromStdString(title),
                        QByteArray(title.data(), static_cast<qsizetype>(title.size())));
    table_->setCurrentIndex(table_->findData(
        QByteArray(fields.table.data(), static_cast<qsizetype>(fields.table.size()))));
    tableRow->addWidget(table_);
    shortest_ = new QCheckBox(QStringLiteral("Fe&west bytes"), tableGroup);
    shortest_->setObjectName(QStringLiteral("shortest"));
    shortest_->setToolTip(QStringLiteral(
        "Encode each run of text with the fewest bytes the table's entries allow, not the "
        "longest entry first (for a table without subtables)"));
    tableRow->addWidget(shortest_);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *insert
        = buttons->addButton(QStringLiteral("&Insert"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    insert->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ScriptInsertDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scriptGroup);
    layout->addWidget(addressGroup);
    layout->addWidget(tableGroup);
    layout->addWidget(buttons);
    SetTabOrder(
        {path_, browseButton, address_, hex_, decimal_, end_, table_, shortest_, insert, cancel});
    path_->setFocus();
    FollowScript();
}

void ScriptInsertDialog::FollowScript()
{
    const std::filesystem::path path = PathOfText(path_->text().toStdString());
    const std::optional<std::string> found = path.empty() ? std::nullopt : describe_(path);
    const QString foundText = QString::fromStdString(found.value_or(std::string()));
    if (foundText != found_->text() || found_->isVisible() != found.has_value()) {
        found_->setText(foundText);
        found_->setVisible(found.has_value());
        adjustSize(); // room for an error that takes two lines
    }
    const PlacedBy placedBy = found ? PlacedBy::Commands
                              : !path.empty() && ScriptFileHasHeaders(files_, path)
                                  ? PlacedBy::Headers
                                  : PlacedBy::Address;
    if (placedBy == placedBy_)
        return;
    placedBy_ = placedBy;
    const std::string_view placedText
        = placedBy == PlacedBy::Headers ? kFromHeadersText : kFromCommandsText;
    address_->setText(
        placedBy == PlacedBy::Address
            ? QString::fromStdString(InsertAddressText(caretOffset_, decimal_->isChecked()))
            : QString::fromUtf8(placedText.data(), static_cast<qsizetype>(placedText.size())));
    address_->setCursorPosition(0);
    for (QWidget *field : {static_cast<QWidget *>(address_),
                           static_cast<QWidget *>(hex_),
                           static_cast<QWidget *>(decimal_)})
        field->setEnabled(placedBy == PlacedBy::Address);
    end_->setEnabled(placedBy != PlacedBy::Commands);
    table_->setEnabled(placedBy != PlacedBy::Commands);
    shortest_->setEnabled(placedBy != PlacedBy::Commands);
}

std::string ScriptInsertDialog::TableTitle() const
{
    const int index = table_->findText(table_->currentText(), Qt::MatchExactly);
    if (index >= 0) {
        const QByteArray title = table_->itemData(index).toByteArray();
        return std::string(title.constData(), static_cast<std::size_t>(title.size()));
    }
    return table_->currentText().toStdString();
}

void ScriptInsertDialog::accept()
{
    FollowScript();
    if (placedBy_ == PlacedBy::Commands) {
        request_ = {};
        request_.path = path_->text().toStdString();
        QDialog::accept();
        return;
    }
    const auto read
        = ReadInsertDialog({path_->text().toStdString(),
                            placedBy_ == PlacedBy::Headers ? "0" : address_->text().toStdString(),
                            decimal_->isChecked(),
                            TableTitle(),
                            end_->text().trimmed().toStdString()},
                           tables_);
    if (const auto *message = std::get_if<std::string>(&read)) {
        showMessage_(*message);
        return;
    }
    request_ = std::get<InsertRequest>(read);
    request_.place.shortest = shortest_->isChecked();
    QDialog::accept();
}

} // namespace byteloom
