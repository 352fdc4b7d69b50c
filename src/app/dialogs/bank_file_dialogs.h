#pragma once

#include "dialogs/size_choice.h"
#include "document/bank_dialogs.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;

namespace byteloom {

using ShowDialogMessage = std::function<void(const std::string &)>;

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
