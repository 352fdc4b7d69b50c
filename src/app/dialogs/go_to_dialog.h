#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;

namespace byteloom {

// Jump to Offset: one field of at most 9 hex digits. An empty field is refused with
// "Please input an offset" and the dialog stays open.
class GoToDialog : public QDialog
{
    Q_OBJECT

public:
    // showMessage tells the user about an empty field.
    GoToDialog(std::function<void(const std::string &)> showMessage, QWidget *parent = nullptr);

    [[nodiscard]] QString Text() const;
    void accept() override;

private:
    QLineEdit *field_;
    std::function<void(const std::string &)> showMessage_;
};

} // namespace byteloom
