#pragma once

#include "dialogs/dialog_answer.h"
#include "dialogs/size_choice.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace byteloom {

// "Split File": the bank size ("4k" chosen when it opens), "Custom Size" and "Header (Hex)".
class SplitFileDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SplitFileDialog(ShowDialogMessage showMessage, QWidget *parent = nullptr);
    [[nodiscard]] const SplitRequest &Request() const { return request_; }
    void accept() override;

private:
    SizeChoice sizes_;
    QCheckBox *header_;
    QLineEdit *headerText_;
    ShowDialogMessage showMessage_;
    SplitRequest request_;
};

} // namespace byteloom
