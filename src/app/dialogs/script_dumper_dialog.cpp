#include "dialogs/script_dumper_dialog.h"
#include "common/path_text.h"

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
#include <QVBoxLayout>

namespace byteloom {

ScriptDumperDialog::ScriptDumperDialog(FileSystem &files,
                                       const DumpDialogFields &fields,
                                       Browse browse,
                                       ShowMessage showMessage,
                                       AskYesNo askYesNo,
                                       const PointerTableFields &pointers,
                                       QWidget *parent)
    : QDialog(parent)
    , files_(files)
    , path_(new QLineEdit(QString::fromStdString(fields.path), this))
    , start_(new QLineEdit(QString::fromStdString(fields.start), this))
    , length_(new QLineEdit(QString::fromStdString(fields.length), this))
    , clean_(new QCheckBox(QStringLiteral("&Clean"), this))
    , pointers_(new QGroupBox(QStringLiteral("&Pointer table"), this))
    , pointerStart_(new QLineEdit(QString::fromStdString(pointers.start), pointers_))
    , count_(new QLineEdit(QString::fromStdString(pointers.count), pointers_))
    , size_(new QComboBox(pointers_))
    , type_(new QComboBox(pointers_))
    , bigEndian_(new QCheckBox(QStringLiteral("Big-&endian"), pointers_))
    , header_(new QLineEdit(QString::fromStdString(pointers.header), pointers_))
    , offsetting_(new QLineEdit(QString::fromStdString(pointers.offsetting), pointers_))
    , base_(new QLineEdit(QString::fromStdString(pointers.base), pointers_))
    , endToken_(new QLineEdit(QString::fromStdString(pointers.endToken), pointers_))
    , showMessage_(std::move(showMessage))
    , askYesNo_(std::move(askYesNo))
{
    setWindowTitle(QStringLiteral("Script Dumper"));
    path_->setObjectName(QStringLiteral("path"));
    start_->setObjectName(QStringLiteral("start"));
    length_->setObjectName(QStringLiteral("length"));
    clean_->setChecked(fields.clean);
    path_->setMinimumWidth(280);

    auto *browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this, browse = std::move(browse)] {
        if (const auto chosen = browse()) {
            chosen_ = *chosen;
            path_->setText(QString::fromStdString(chosen->string()));
        }
    });
    auto *file = new QHBoxLayout;
    file->addWidget(Labelled(QStringLiteral("Script &file:"), path_));
    file->addWidget(path_);
    file->addWidget(browseButton);

    auto *numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("&Starting Offset (Hex)"), start_);
    numbers->addRow(QStringLiteral("&Length (Hex)"), length_);

    // The strings a pointer table points to, as a command script, instead of the range.
    pointers_->setObjectName(QStringLiteral("pointers"));
    pointers_->setCheckable(true);
    pointers_->setChecked(false);
    pointerStart_->setObjectName(QStringLiteral("pointerStart"));
    count_->setObjectName(QStringLiteral("count"));
    for (const int bits : {8, 16, 24, 32})
        size_->addItem(QStringLiteral("%1 bits").arg(bits), bits);
    size_->setCurrentIndex(size_->findData(pointers.bits));
    for (const char *type : {"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB"})
        type_->addItem(QString::fromLatin1(type));
    type_->setCurrentText(QString::fromStdString(pointers.type));
    bigEndian_->setChecked(pointers.bigEndian);
    header_->setPlaceholderText(QStringLiteral("0"));
    offsetting_->setPlaceholderText(QStringLiteral("0"));
    base_->setPlaceholderText(QStringLiteral("the table's own"));
    endToken_->setPlaceholderText(QStringLiteral("the table's"));
    auto *pointerForm = new QFormLayout(pointers_);
    pointerForm->addRow(QStringLiteral("S&tart (Hex)"), pointerStart_);
    pointerForm->addRow(QStringLiteral("C&ount (Hex)"), count_);
    pointerForm->addRow(QStringLiteral("Si&ze"), size_);
    pointerForm->addRow(QStringLiteral("&Address type"), type_);
    pointerForm->addRow(QString(), bigEndian_);
    pointerForm->addRow(QStringLiteral("&Header (Hex)"), header_);
    pointerForm->addRow(QStringLiteral("Offsetti&ng (Hex)"), offsetting_);
    pointerForm->addRow(QStringLiteral("Base (He&x)"), base_);
    pointerForm->addRow(QStringLiteral("En&d token (Hex)"), endToken_);
    connect(pointers_, &QGroupBox::toggled, this, [this](bool on) {
        for (QWidget *field : {static_cast<QWidget *>(start_),
                               static_cast<QWidget *>(length_),
                               static_cast<QWidget *>(clean_)})
            field->setEnabled(!on);
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ScriptDumperDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addLayout(numbers);
    auto *cleanRow = new QHBoxLayout;
    cleanRow->addWidget(clean_);
    auto *cleanNote
        = new QLabel(QStringLiteral("(%1)").arg(QString::fromUtf8(kCleanNotExactNote)), this);
    cleanNote->setEnabled(false);
    cleanRow->addWidget(cleanNote, 1);
    layout->addLayout(cleanRow);
    layout->addWidget(pointers_);
    layout->addWidget(buttons);
    SetTabOrder({path_,
                 browseButton,
                 start_,
                 length_,
                 clean_,
                 pointers_,
                 pointerStart_,
                 count_,
                 size_,
                 type_,
                 bigEndian_,
                 header_,
                 offsetting_,
                 base_,
                 endToken_,
                 buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});
    path_->setFocus();
}

void ScriptDumperDialog::accept()
{
    pointerTable_.reset();
    if (pointers_->isChecked()) {
        const auto table = ReadPointerTableFields({pointerStart_->text().trimmed().toStdString(),
                                                   count_->text().trimmed().toStdString(),
                                                   size_->currentData().toInt(),
                                                   type_->currentText().toStdString(),
                                                   bigEndian_->isChecked(),
                                                   header_->text().trimmed().toStdString(),
                                                   offsetting_->text().trimmed().toStdString(),
                                                   base_->text().trimmed().toStdString(),
                                                   endToken_->text().trimmed().toStdString()});
        if (const auto *message = std::get_if<std::string>(&table))
            return showMessage_(*message);
        if (path_->text().isEmpty())
            return showMessage_(kGiveFileNameMessage);
        const std::filesystem::path path = PathOfText(path_->text().toStdString());
        if (const auto question = ReplaceFileQuestion(files_, path, chosen_);
            question && !askYesNo_(*question))
            return;
        request_ = {path, {}, false};
        pointerTable_ = std::get<PointerTable>(table);
        QDialog::accept();
        return;
    }
    const auto read = ReadDumpDialog({path_->text().toStdString(),
                                      start_->text().toStdString(),
                                      length_->text().toStdString(),
                                      clean_->isChecked()});
    if (const auto *message = std::get_if<std::string>(&read)) {
        showMessage_(*message);
        return;
    }
    const DumpRequest &request = std::get<DumpRequest>(read);
    if (const auto question = ReplaceFileQuestion(files_, request.path, chosen_);
        question && !askYesNo_(*question))
        return;
    request_ = request;
    QDialog::accept();
}

} // namespace byteloom
