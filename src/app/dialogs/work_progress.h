#pragma once

#include "common/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace byteloom {

// Progress for long work done on the window's thread: after half a second a progress dialog
// appears, and its Cancel stops the work at the next report. Work that ends sooner shows
// nothing.
class WorkProgress
{
public:
    WorkProgress(QWidget *parent, QString label);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // The callback to hand to the core; it must not outlive this object.
    [[nodiscard]] ProgressCallback Callback();
    // Whether the user pressed Cancel.
    [[nodiscard]] bool Cancelled() const { return cancelled_; }

private:
    bool Report(std::int64_t done, std::int64_t total);

    QWidget *parent_;
    QString label_;
    QElapsedTimer clock_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
};

} // namespace byteloom
