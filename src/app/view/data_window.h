#pragma once

#include <QAbstractScrollArea>

namespace byteloom {

class Session;

// The view of the document between the toolbar and the status bar. It shows the rows of the
// document once the hex view is built; until then an empty page.
class DataWindow : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit DataWindow(Session &session, QWidget *parent = nullptr);

    // The document changed size or was replaced.
    void DocumentChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Session &session_;
};

} // namespace byteloom
