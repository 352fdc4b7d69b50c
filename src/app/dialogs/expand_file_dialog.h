#pragma once

#include "dialogs/dialog_answer.h"
#include "dialogs/size_choice.h"

#include <QDialog>

class QLineEdit;

namespace byteloom {

// "Expand File": the expansion ("128k" chosen when it opens), "Custom Size" and the
// "Initialization Value".
class ExpandFileDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExpandFileDialog(ShowDialogMessage showMessage, QWidget *parent = nullptr);
    [[nodiscard]] const ExpandRequest &Request() const { return request_; }
    void accept() override;

private:
    SizeChoice sizes_;
    QLineEdit *fill_;
    ShowDialogMessage showMessage_;
    ExpandRequest request_;
};

} // namespace byteloom
