#include "shell/about_dialog.h"

#include "common/product.h"
#include "shell/artwork.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace byteloom {

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Byteloom"));
    auto *icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(64, 64));
    auto *text = new QLabel(QStringLiteral("<h3>%1 %2.%3.%4</h3>"
                                           "<p>The hex editor for people who edit and translate "
                                           "console game ROM images.</p>"
                                           "<p>Tables, scripts, relative search, banks and "
                                           "large files, exact to the byte.</p>")
                                .arg(QString::fromLatin1(kProgramCaption))
                                .arg(kVersionMajor)
                                .arg(kVersionMinor)
                                .arg(kVersionPatch),
                            this);
    text->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedWidth(420);
}

void AboutDialog::keyPressEvent(QKeyEvent *)
{
    accept();
}

} // namespace byteloom
