#pragma once

#include <QDialog>

namespace byteloom {

// About Byteloom: the program's name, version and purpose. Any key or the button closes it.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace byteloom
