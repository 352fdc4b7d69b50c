#include "shell/manual_window.h"

#include "dialogs/tab_order.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace byteloom {

namespace {

constexpr int kBlockRole = Qt::UserRole;

} // namespace

ManualWindow::ManualWindow(const QUrl &source, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , search_(new QLineEdit(this))
    , searchResult_(new QLabel(this))
    , contents_(new QListWidget(this))
    , page_(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Byteloom Help"));
    page_->setOpenExternalLinks(true);
    page_->setSource(source);

    auto *searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(search_);
    search_->setPlaceholderText(QStringLiteral("A word of the manual; Enter finds the next"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::returnPressed, this, &ManualWindow::FindNext);
    connect(search_, &QLineEdit::textChanged, searchResult_, &QLabel::clear);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(searchResult_);

    ListHeadings();
    connect(contents_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            return;
        // The heading at the top of the page.
        const int position = contents_->item(row)->data(kBlockRole).toInt();
        QTextCursor cursor(page_->document());
        cursor.setPosition(position);
        page_->moveCursor(QTextCursor::End);
        page_->setTextCursor(cursor);
        page_->ensureCursorVisible();
    });
    auto *split = new QSplitter(this);
    split->addWidget(contents_);
    split->addWidget(page_);
    split->setStretchFactor(1, 1);
    split->setSizes({180, 600});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    SetTabOrder({search_, contents_, page_});
    resize(820, 640);

    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void ManualWindow::ListHeadings()
{
    for (QTextBlock block = page_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0 || block.text().trimmed().isEmpty())
            continue;
        auto *item = new QListWidgetItem(
            QString(2 * (level - 1), QLatin1Char(' ')) + block.text().trimmed(), contents_);
        item->setData(kBlockRole, block.position());
    }
}

void ManualWindow::FocusSearch()
{
    search_->setFocus();
    search_->selectAll();
}

void ManualWindow::FocusContents()
{
    contents_->setFocus();
}

bool ManualWindow::FindNext()
{
    const QString text = search_->text();
    if (text.isEmpty())
        return false;
    if (page_->find(text))
        return true;
    // Round from the top once.
    page_->moveCursor(QTextCursor::Start);
    if (page_->find(text)) {
        searchResult_->setText(QStringLiteral("From the top"));
        return true;
    }
    searchResult_->setText(QStringLiteral("Not in the manual"));
    return false;
}

} // namespace byteloom
