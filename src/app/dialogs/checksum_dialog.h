#pragma once

#include "common/byte_range.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace byteloom {

class Document;

// "Checksum": the checksum of the selection, or of the whole file, in the kind chosen; Compute
// shows it (with progress and Cancel for a large range) and Copy puts it on the clipboard.
class ChecksumDialog : public QDialog
{
    Q_OBJECT

public:
    ChecksumDialog(Document &document, ByteRange range, QWidget *parent = nullptr);

private:
    void Compute();

    Document &document_;
    ByteRange range_;
    QComboBox *kind_;
    QLineEdit *value_;
};

} // namespace byteloom
