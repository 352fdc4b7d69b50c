#pragma once

#include "session/search_state.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QLabel;
class QRadioButton;

namespace byteloom {

// "Find": what to find with its history, Hex or Text, Relative or Value, and the option list
// of the Text modes. The rules are the core's (SearchState); "&Find Next" (the default) asks
// confirm to prepare the pattern, and a message keeps the dialog open.
class FindDialog : public QDialog
{
    Q_OBJECT

public:
    // confirm prepares and remembers the pattern from what was typed (UTF-8); an empty result
    // lets the dialog close, a message is shown and keeps it open.
    using Confirm = std::function<std::string(const std::string &typed)>;
    using ShowMessage = std::function<void(const std::string &)>;

    FindDialog(SearchState &state,
               Confirm confirm,
               ShowMessage showMessage,
               QWidget *parent = nullptr);

    void accept() override;

private:
    void ShowOptions();
    [[nodiscard]] std::string CurrentOption() const;

    SearchState &state_;
    Confirm confirm_;
    ShowMessage showMessage_;
    QComboBox *what_;
    QRadioButton *hex_;
    QRadioButton *text_;
    QRadioButton *relative_;
    QRadioButton *value_;
    QGroupBox *optionsGroup_ = nullptr;
    QLabel *optionLabel_;
    QComboBox *options_;
    // A relative search's values: their width and byte order, and the characters' order.
    QGroupBox *relativeGroup_;
    QCheckBox *wide_;
    QCheckBox *bigEndian_;
    QLineEdit *sequence_;
};

} // namespace byteloom
