#include "shell/main_flat_window.h"

#include "common/product.h"

#include <QAction>
#include <QMenuBar>

namespace byteloom {

namespace {

QString NoDocumentTitle()
{
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QString::fromLatin1(kProgramCaption))
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionPatch);
}

} // namespace

MainFlatWindow::MainFlatWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(NoDocumentTitle());
    resize(800, 600);
    BuildMenus();
}

void MainFlatWindow::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *exit = file->addAction(tr("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

} // namespace byteloom
