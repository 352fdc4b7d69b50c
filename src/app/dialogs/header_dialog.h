#pragma once

#include "inspect/rom_header.h"

#include <QDialog>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace byteloom {

class Document;
class UndoJournal;

// "Check Header": the cartridge header the document carries, its title and each checksum as
// stored and as computed (with progress over a large image). Fix writes the computed values as
// one undo step and checks again; an image whose header is not recognised is said so.
class HeaderDialog : public QDialog
{
    Q_OBJECT

public:
    HeaderDialog(Document &document,
                 UndoJournal &journal,
                 std::function<void()> edited,
                 QWidget *parent = nullptr);

private:
    void Check();
    void Fix();

    Document &document_;
    UndoJournal &journal_;
    std::function<void()> edited_;
    QPlainTextEdit *report_;
    QPushButton *fix_;
    HeaderCheck check_;
};

} // namespace byteloom
