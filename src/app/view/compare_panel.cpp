#include "view/compare_panel.h"
#include "common/path_text.h"

#include "dialogs/work_progress.h"
#include "document/load_messages.h"
#include "session/editing.h"
#include "session/session.h"
#include "view/data_window.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace byteloom {

// The runs of differences, read as the view scrolls: a comparison may hold millions.
class DifferenceModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Show(const std::vector<DifferenceRun> *runs)
    {
        beginResetModel();
        runs_ = runs;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() || !runs_ ? 0 : static_cast<int>(runs_->size());
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !runs_)
            return {};
        const DifferenceRun &run = (*runs_)[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case 0:
            return QStringLiteral("%1").arg(run.offset, 8, 16, QLatin1Char('0')).toUpper();
        case 1:
            return QString::number(run.length);
        default:
            return run.onlyIn == 0   ? QString()
                   : run.onlyIn == 1 ? QStringLiteral("only in the first file")
                                     : QStringLiteral("only in the second file");
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return section == 0   ? QStringLiteral("Offset")
               : section == 1 ? QStringLiteral("Length")
                              : QStringLiteral("Where");
    }

private:
    const std::vector<DifferenceRun> *runs_ = nullptr;
};

ComparePanel::ComparePanel(Session &main,
                           DataWindow &mainView,
                           std::function<void(std::int64_t)> jumpMain,
                           QWidget *parent)
    : QDockWidget(QStringLiteral("Compare"), parent)
    , main_(main)
    , mainView_(mainView)
    , jumpMain_(std::move(jumpMain))
    , summary_(new QLabel(this))
    , list_(new QTableView(this))
    , model_(new DifferenceModel(this))
{
    setObjectName(QStringLiteral("compare"));
    // Shown only by Compare With: an empty panel from the window's popup would compare nothing.
    toggleViewAction()->setVisible(false);
    summary_->setObjectName(QStringLiteral("compareSummary"));
    summary_->setWordWrap(true);
    list_->setObjectName(QStringLiteral("differences"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    const auto showRun = [this](const QModelIndex &index) {
        if (runs_)
            ShowBoth((*runs_)[static_cast<std::size_t>(index.row())].offset);
    };
    connect(list_, &QTableView::activated, this, showRun);
    connect(list_, &QTableView::clicked, this, showRun);
    auto *again = new QPushButton(QStringLiteral("Compare &Again"), this);
    connect(again, &QPushButton::clicked, this, [this] { (void)Recompare(); });

    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Vertical, body);
    auto *listSide = new QWidget(splitter_);
    auto *listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(summary_);
    listLayout->addWidget(list_);
    listLayout->addWidget(again, 0, Qt::AlignRight);
    splitter_->addWidget(listSide);
    layout->addWidget(splitter_);
    setWidget(body);
}

ComparePanel::~ComparePanel()
{
    // The compared view reads its session to the last: it goes first.
    delete otherView_;
}

std::optional<std::string> ComparePanel::Open(const std::filesystem::path &path)
{
    // The second file is read through the same page size, so that the core compares page by
    // page; it is never written.
    auto other = std::make_unique<Session>(main_.document().PageSize(), main_.files());
    const LoadResult loaded = other->OpenDocument(path, true);
    if (loaded.status != LoadStatus::Loaded)
        return DescribeLoadFailure(loaded, TextOfPath(path.filename()));
    other->display() = main_.display();
    // The old comparison stays until the new one is made: Cancel leaves the panel as it was.
    if (const Status compared = Compute(*other); !compared.ok())
        return compared.cancelled() ? std::string() : compared.message();
    delete otherView_;
    other_ = std::move(other);
    otherView_ = new DataWindow(*other_);
    otherView_->setObjectName(QStringLiteral("comparedView"));
    otherView_->SetReadOnly(true);
    splitter_->insertWidget(0, otherView_);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 1);
    setWindowTitle(
        QStringLiteral("Compare with %1").arg(QString::fromStdString(TextOfPath(path.filename()))));
    DataWindow *view = otherView_;
    connect(&mainView_, &DataWindow::CaretOffsetChanged, view, [this, view] {
        FollowScroll(mainView_, *view);
    });
    connect(view, &DataWindow::CaretOffsetChanged, this, [this, view] {
        FollowScroll(*view, mainView_);
    });
    ShowResult();
    show();
    view->ScrollToRow(mainView_.caret().topRow);
    return std::nullopt;
}

Status ComparePanel::Compute(Session &other)
{
    Comparison comparison;
    {
        WorkProgress progress(this, QStringLiteral("Comparing..."));
        comparison = CompareDocuments(main_.document(), other.document(), progress.Callback());
    }
    // Whatever came of it, it belongs to this state of the document: it is not tried again
    // until the document changes or Compare Again is pressed.
    comparedGeneration_ = main_.DocumentGeneration();
    comparedState_ = main_.journal().State();
    if (!comparison.status.ok())
        return comparison.status;
    summaryText_ = ComparisonSummary(comparison);
    runs_ = std::make_shared<const std::vector<DifferenceRun>>(std::move(comparison.runs));
    return Status::Ok();
}

Status ComparePanel::Recompare()
{
    if (!other_)
        return Status::Ok();
    const Status compared = Compute(*other_);
    if (!compared.ok()) {
        // A comparison of another state of the bytes would mislead: nothing is shown.
        runs_.reset();
        summaryText_ = compared.cancelled() ? "The comparison was cancelled: press Compare Again."
                                            : compared.message();
    }
    ShowResult();
    return compared;
}

void ComparePanel::MainChanged()
{
    if (!other_)
        return;
    if (!main_.document().IsOpen())
        return Stop();
    // The compared view reads the bytes in the document's text mode and grouping.
    if (!(other_->display() == main_.display())) {
        other_->display() = main_.display();
        otherView_->SettingsChanged();
    }
    const bool another = main_.DocumentGeneration() != comparedGeneration_;
    const bool edited = main_.journal().State() != comparedState_;
    if (another || (edited && !main_.document().IsPaged() && !other_->document().IsPaged()))
        (void)Recompare(); // a failure is in the summary
    else if (edited)
        summary_->setText(QString::fromStdString(
            "The document changed since this comparison: press Compare Again. " + summaryText_));
}

void ComparePanel::Stop()
{
    runs_.reset();
    summaryText_.clear();
    ShowResult();
    delete otherView_;
    otherView_ = nullptr;
    other_.reset();
    setWindowTitle(QStringLiteral("Compare"));
    hide();
}

void ComparePanel::closeEvent(QCloseEvent *event)
{
    Stop();
    event->accept();
}

void ComparePanel::ShowResult()
{
    summary_->setText(QString::fromStdString(summaryText_));
    model_->Show(runs_.get());
    mainView_.SetDifferences(runs_);
    if (otherView_)
        otherView_->SetDifferences(runs_);
}

void ComparePanel::FollowScroll(DataWindow &from, DataWindow &to)
{
    if (syncing_ || from.caret().topRow == to.caret().topRow)
        return;
    syncing_ = true;
    to.ScrollToRow(from.caret().topRow);
    syncing_ = false;
}

bool ComparePanel::Step(bool forward)
{
    if (!other_)
        return false;
    const DataWindow &from = otherView_->hasFocus() ? *otherView_ : mainView_;
    const std::int64_t caret = from.CaretOffset();
    if (!runs_)
        return false;
    const auto target = forward ? NextDifference(*runs_, caret) : PreviousDifference(*runs_, caret);
    if (target)
        ShowBoth(*target);
    return target.has_value();
}

void ComparePanel::ShowBoth(std::int64_t offset)
{
    if (!other_)
        return;
    // The document's view goes first; the compared view takes its top row, then its caret
    // goes to the same byte (scrolling only if its window is shorter).
    syncing_ = true;
    jumpMain_(offset);
    DataWindow &view = *otherView_;
    view.ScrollToRow(mainView_.caret().topRow);
    view.selection() = {};
    PlaceCaret(view.caret(),
               view.View(),
               std::min(offset, std::max<std::int64_t>(other_->document().Size() - 1, 0)),
               view.caret().InText());
    view.CaretChanged();
    syncing_ = false;
    // A run past the end of one file is followed on in the other, whose caret reaches it.
    if (offset >= main_.document().Size())
        view.setFocus();
    else if (offset >= other_->document().Size())
        mainView_.setFocus();
    if (!runs_)
        return;
    // The list marks the run the carets are on.
    const auto &runs = *runs_;
    const auto run = std::partition_point(runs.begin(), runs.end(), [&](const DifferenceRun &r) {
        return r.offset + r.length <= offset;
    });
    if (run != runs.end() && run->offset <= offset) {
        const QSignalBlocker quiet(list_);
        list_->selectRow(static_cast<int>(run - runs.begin()));
    }
}

} // namespace byteloom
