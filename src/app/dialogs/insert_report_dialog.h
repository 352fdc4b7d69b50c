#pragma once

#include "scripts/script_report.h"

#include <QDialog>

namespace byteloom {

// "Insert Report": what a command script insert did, block by block in a table (script, line,
// name, file, range, bytes written, left and lost), then the totals, the losses, the files
// written and the tables' notes; or the errors that stopped it. "Copy" puts the whole report on
// the clipboard as text.
class InsertReportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit InsertReportDialog(const CommandScriptReport &report, QWidget *parent = nullptr);
};

} // namespace byteloom
