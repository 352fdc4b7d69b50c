#pragma once

#include "scripts/pointer_search.h"

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace byteloom {

// "Find Pointers": the pointers' size, address type (or "any form"), byte order, header and
// offsetting, as last used; the place they point to is named in the dialog. Find with fields
// that do not read (see ReadPointerForm) shows why and stays open; otherwise Request() holds
// what to search for.
class FindPointersDialog : public QDialog
{
    Q_OBJECT

public:
    FindPointersDialog(const PointerState &last,
                       std::int64_t target,
                       std::function<void(const std::string &)> showMessage,
                       QWidget *parent = nullptr);

    [[nodiscard]] const PointerRequest &Request() const { return request_; }
    void accept() override;

private:
    QComboBox *size_;
    QComboBox *type_;
    QRadioButton *little_;
    QRadioButton *big_;
    QLineEdit *header_;
    QLineEdit *offsetting_;
    std::function<void(const std::string &)> showMessage_;
    PointerRequest request_;
};

} // namespace byteloom
