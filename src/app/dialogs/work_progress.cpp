#include "dialogs/work_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace byteloom {

namespace {

constexpr qint64 kQuietMilliseconds = 500;
constexpr int kSteps = 1000;

} // namespace

WorkProgress::WorkProgress(QWidget *parent, QString label)
    : parent_(parent)
    , label_(std::move(label))
{
    clock_.start();
}

WorkProgress::~WorkProgress()
{
    delete dialog_;
}

ProgressCallback WorkProgress::Callback()
{
    return [this](std::int64_t done, std::int64_t total) {
        return Report(done, total);
    };
}

bool WorkProgress::Report(std::int64_t done, std::int64_t total)
{
    if (!dialog_) {
        if (clock_.elapsed() < kQuietMilliseconds)
            return true;
        dialog_ = new QProgressDialog(label_, QStringLiteral("Cancel"), 0, kSteps, parent_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setValue(total > 0 ? static_cast<int>(done * kSteps / total) : 0);
    QCoreApplication::processEvents();
    cancelled_ = dialog_->wasCanceled();
    return !cancelled_;
}

} // namespace byteloom
