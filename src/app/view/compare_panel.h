#pragma once

#include "common/status.h"
#include "inspect/compare.h"

#include <QDockWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QSplitter;
class QTableView;

namespace byteloom {

class DataWindow;
class DifferenceModel;
class Session;

// "Compare": a second file, read-only, beside the document; both views scroll together, the
// bytes that differ are coloured in both, and the runs of differences are listed. The
// comparison itself is the core's; this panel shows it and keeps the two views side by side.
class ComparePanel : public QDockWidget
{
    Q_OBJECT

public:
    // jumpMain moves the document's caret (and its view) to an offset.
    ComparePanel(Session &main,
                 DataWindow &mainView,
                 std::function<void(std::int64_t)> jumpMain,
                 QWidget *parent = nullptr);
    ~ComparePanel() override;

    // Opens the file read-only and compares; the message says why it could not be (a file
    // that cannot be read, Cancel pressed), and the panel stays as it was.
    [[nodiscard]] std::optional<std::string> Open(const std::filesystem::path &path);
    // Compares again, with progress: Cancelled, a read failure, or Ok.
    Status Recompare();
    // The document changed: another document (or none) is compared again or ends the
    // comparison; edits to a document held whole are compared again at once, while a paged one
    // waits for Compare Again (a pass over gigabytes takes seconds).
    void MainChanged();
    // Ends the comparison and lets the second file go.
    void Stop();

    [[nodiscard]] bool Comparing() const { return other_ != nullptr; }
    [[nodiscard]] DataWindow *OtherView() const { return otherView_; }
    // Next (or previous) difference from the caret of the view that has the focus; both views
    // go there. False when there is none that way.
    bool Step(bool forward);
    // Both views to offset.
    void ShowBoth(std::int64_t offset);

private:
    // Compares the document with other; a failure (Cancelled, a read) is in the status.
    Status Compute(Session &other);
    void ShowResult();
    void FollowScroll(DataWindow &from, DataWindow &to);
    void closeEvent(QCloseEvent *event) override;

    Session &main_;
    DataWindow &mainView_;
    std::function<void(std::int64_t)> jumpMain_;
    std::unique_ptr<Session> other_;
    DataWindow *otherView_ = nullptr;
    QSplitter *splitter_ = nullptr;
    QLabel *summary_;
    QTableView *list_;
    DifferenceModel *model_;
    // The runs of the last comparison, shared with both views, and the summary they give.
    std::shared_ptr<const std::vector<DifferenceRun>> runs_;
    std::string summaryText_;
    // The document and the state of its bytes the runs belong to.
    std::uint64_t comparedGeneration_ = 0;
    std::uint64_t comparedState_ = 0;
    bool syncing_ = false;
};

} // namespace byteloom
