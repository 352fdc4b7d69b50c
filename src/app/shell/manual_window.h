#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace byteloom {

// "Byteloom Help": the manual, with its headings as a contents list beside it and a search
// field above it. Escape and Ctrl+W close it.
class ManualWindow : public QWidget
{
    Q_OBJECT

public:
    // source: the manual's page ("qrc:/manual/welcome.html").
    explicit ManualWindow(const QUrl &source, QWidget *parent = nullptr);

    // Help > Search and Help > Index: the search field, or the contents list, takes the keys.
    void FocusSearch();
    void FocusContents();
    [[nodiscard]] QListWidget *Contents() const { return contents_; }
    [[nodiscard]] QTextBrowser *Page() const { return page_; }
    // The next place the search text stands, from the cursor on, round to the top; says so in
    // the window when there is none.
    bool FindNext();

private:
    void ListHeadings();

    QLineEdit *search_;
    QLabel *searchResult_;
    QListWidget *contents_;
    QTextBrowser *page_;
};

} // namespace byteloom
