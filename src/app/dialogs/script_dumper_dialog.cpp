#include "dialogs/script_dumper_dialog.h"

#include "dialogs/tab_order.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
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
                                       QWidget *parent)
    : QDialog(parent)
    , files_(files)
    , path_(new QLineEdit(QString::fromStdString(fields.path), this))
    , start_(new QLineEdit(QString::fromStdString(fields.start), this))
    , length_(new QLineEdit(QString::fromStdString(fields.length), this))
    , clean_(new QCheckBox(QStringLiteral("Clean"), this))
    , showMessage_(std::move(showMessage))
    , askYesNo_(std::move(askYesNo))
{
    setWindowTitle(QStringLiteral("Script Dumper"));
    path_->setObjectName(QStringLiteral("path"));
    start_->setObjectName(QStringLiteral("start"));
    length_->setObjectName(QStringLiteral("length"));
    clean_->setChecked(fields.clean);
    path_->setMinimumWidth(280);

    auto *browseButton = new QPushButton(QStringLiteral("Browse.."), this);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this, browse = std::move(browse)] {
        if (const auto chosen = browse()) {
            chosen_ = *chosen;
            path_->setText(QString::fromStdString(chosen->string()));
        }
    });
    auto *file = new QHBoxLayout;
    file->addWidget(path_);
    file->addWidget(browseButton);

    auto *numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("Starting Offset (Hex)"), start_);
    numbers->addRow(QStringLiteral("Length (Hex)"), length_);

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
    layout->addWidget(buttons);
    SetTabOrder({path_,
                 browseButton,
                 start_,
                 length_,
                 clean_,
                 buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});
    path_->setFocus();
}

void ScriptDumperDialog::accept()
{
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
