#pragma once

#include "view/offset_label.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;

namespace byteloom {

// Jump to Offset: one field, a hexadecimal offset or an address in the offset column's mode;
// under it, which file offset that is, as it is typed. An empty field is refused with "Please
// input an offset", and a text that names no offset of the file with what is wrong with it; the
// dialog then stays open.
class GoToDialog : public QDialog
{
    Q_OBJECT

public:
    using Read = std::function<GoToReading(const std::string &)>;
    // showMessage tells the user why the text is refused; read reads it (ReadGoToText).
    GoToDialog(std::function<void(const std::string &)> showMessage,
               Read read,
               QWidget *parent = nullptr);

    [[nodiscard]] QString Text() const;
    // The offset the text names, once accepted.
    [[nodiscard]] std::optional<std::int64_t> Offset() const { return offset_; }
    void accept() override;

private:
    QLineEdit *field_;
    QLabel *meaning_;
    std::function<void(const std::string &)> showMessage_;
    Read read_;
    std::optional<std::int64_t> offset_;
};

} // namespace byteloom
