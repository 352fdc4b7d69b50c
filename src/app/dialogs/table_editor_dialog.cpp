#include "dialogs/table_editor_dialog.h"

#include "dialogs/entry_cell_delegate.h"
#include "dialogs/tab_order.h"
#include "dialogs/table_entry_model.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"
#include "view/view_fonts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace byteloom {

namespace {

constexpr int kFontHeight = 16;

} // namespace

TableEditorDialog::TableEditorDialog(const TableFile &table,
                                     TextDecoder &decoder,
                                     const CodePageList &codePages,
                                     const DisplaySettings &display,
                                     ShowEditorMessage showMessage,
                                     QWidget *parent)
    : QDialog(parent)
    , editor_(table)
    , decoder_(decoder)
    , tableCodePage_(table.GetCodePage())
    , showMessage_(std::move(showMessage))
    , model_(new TableEntryModel(editor_, decoder, table.GetCodePage(), this))
    , title_(new QLineEdit(this))
    , codePage_(new QComboBox(this))
    , subtables_(new QComboBox(this))
    , grid_(new QTableView(this))
    , hint_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Table File Editor"));
    const std::string titleText = BareTitle(table.GetTitle(), table.GetCodePage());
    title_->setText(QString::fromStdString(decoder_.ToUtf8(
        tableCodePage_,
        {reinterpret_cast<const std::uint8_t *>(titleText.data()), titleText.size()})));
    title_->setMaxLength(static_cast<int>(kMaxTableTitleLength));

    std::vector<int> listed;
    for (const CodePageEntry &entry : codePages.Entries())
        listed.push_back(entry.number);
    codePage_->setEditable(true);
    for (const int number : CodePageChoices(tableCodePage_, listed))
        codePage_->addItem(QString::number(number));
    codePage_->setCurrentText(QString::number(tableCodePage_));
    for (const std::string &name : editor_.SubtableNames())
        subtables_->addItem(QString::fromStdString(name));
    auto *newSubtable = new QPushButton(QStringLiteral("&New Subtable"), this);
    newSubtable->setAutoDefault(false);

    // The key in the hex font, the text in its code page's font, both 16 pixels high.
    const QFont keyFont = MakeFont(display.hexFontFace, kFontHeight, true);
    const int listedIndex = codePages.FindCodePageEntry(tableCodePage_);
    const QFont textFont
        = listedIndex >= 0 ? MakeFont(codePages.At(listedIndex)->configuredFace, kFontHeight, false)
                           : MakeFont(display.defaultTextFontFace, kFontHeight, true);
    const QFontMetrics keyMetrics(keyFont);
    const QFontMetrics textMetrics(textFont);
    const int rowHeight = std::max(keyMetrics.height() + keyMetrics.leading(),
                                   textMetrics.height() + textMetrics.leading())
                          + 2;
    grid_->setModel(model_);
    grid_->setItemDelegateForColumn(TableEntryModel::kKeyColumn,
                                    new EntryCellDelegate(keyFont, grid_));
    grid_->setItemDelegateForColumn(1, new EntryCellDelegate(textFont, grid_));
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(TableEntryModel::kKeyColumn,
                          keyMetrics.horizontalAdvance(QStringLiteral(" 00000000")));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked
                           | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the grid for the buttons, as in every other dialog; the arrows move in it.
    grid_->setTabKeyNavigation(false);
    // The desktop's colours, the selected cell marked as clearly when the focus is elsewhere.
    QPalette palette = grid_->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    grid_->setPalette(palette);
    grid_->setMinimumSize(360, rowHeight * 16);
    grid_->setCurrentIndex(model_->index(0, TableEntryModel::kKeyColumn));
    auto *removeEntry = new QAction(grid_);
    removeEntry->setShortcut(QKeySequence::Delete);
    removeEntry->setShortcutContext(Qt::WidgetShortcut);
    grid_->addAction(removeEntry);
    connect(removeEntry, &QAction::triggered, this, [this] {
        const QModelIndex current = grid_->currentIndex();
        if (current.isValid() && model_->RemoveEntry(current.row()))
            grid_->setCurrentIndex(model_->index(current.row(), current.column()));
    });
    connect(model_, &TableEntryModel::Refused, this, &TableEditorDialog::SetHint);
    connect(subtables_, &QComboBox::activated, this, [this](int number) {
        model_->ShowSubtable(number);
        grid_->setCurrentIndex(model_->index(0, TableEntryModel::kKeyColumn));
    });
    connect(newSubtable, &QPushButton::clicked, this, &TableEditorDialog::NewSubtable);
    hint_->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TableEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *fields = new QGridLayout;
    // Each label's access key focuses its field.
    const auto label = [this](const char *text, QWidget *field) {
        auto *shown = new QLabel(QString::fromLatin1(text), this);
        shown->setBuddy(field);
        return shown;
    };
    fields->addWidget(label("&Title:", title_), 0, 0);
    fields->addWidget(title_, 0, 1, 1, 2);
    fields->addWidget(label("Code&Page:", codePage_), 1, 0);
    fields->addWidget(codePage_, 1, 1, 1, 2);
    fields->addWidget(label("&Subtable:", subtables_), 2, 0);
    fields->addWidget(subtables_, 2, 1);
    fields->addWidget(newSubtable, 2, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(grid_, 1);
    layout->addWidget(hint_);
    layout->addWidget(buttons);
    SetTabOrder({title_,
                 codePage_,
                 subtables_,
                 newSubtable,
                 grid_,
                 buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});
    grid_->setFocus();
}

TableEditorDialog::~TableEditorDialog() = default;

void TableEditorDialog::SetHint(const QString &message)
{
    hint_->setText(message);
}

void TableEditorDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter belongs to the grid: it opens the cell editor, and commits from inside it; it
    // must not close the dialog.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget *focus = focusWidget();
    if (enter && focus && (focus == grid_ || grid_->isAncestorOf(focus))) {
        if (focus == grid_)
            grid_->edit(grid_->currentIndex());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TableEditorDialog::NewSubtable()
{
    NewSubtableDialog dialog(
        showMessage_,
        [this](const byteloom::NewSubtable &triggers) {
            return editor_.RefuseStartTrigger(triggers.startTrigger);
        },
        this);
    const int answer = dialog.exec();
    grid_->setFocus(); // the keys go on to the grid, whatever the answer
    if (answer != QDialog::Accepted)
        return;
    if (auto refused = editor_.AddSubtable(
            dialog.Triggers().startTrigger, dialog.Triggers().endTrigger, dialog.Ranges())) {
        showMessage_(*refused);
        return;
    }
    subtables_->addItem(QString::fromStdString(editor_.SubtableNames().back()));
    subtables_->setCurrentIndex(editor_.ShownSubtable());
    model_->ShowSubtable(editor_.ShownSubtable());
    grid_->setCurrentIndex(model_->index(0, TableEntryModel::kKeyColumn));
}

void TableEditorDialog::accept()
{
    int codePage = 0;
    const auto available = [this](int number) {
        return decoder_.Supports(number);
    };
    if (auto message = ReadCodePageField(
            codePage_->currentText().trimmed().toStdString(), available, codePage)) {
        showMessage_(*message);
        codePage_->setFocus();
        return;
    }
    const std::string typedTitle = title_->text().toStdString();
    std::string title = decoder_.FromUtf8String(tableCodePage_, typedTitle);
    if (title.empty() && !typedTitle.empty()) {
        showMessage_("Code page " + std::to_string(tableCodePage_)
                     + " has no place for a character of this title");
        title_->setFocus();
        return;
    }
    acceptedTitle_ = std::move(title);
    acceptedCodePage_ = codePage;
    QDialog::accept();
}

TableFile TableEditorDialog::Result() const
{
    return editor_.Result(acceptedTitle_, acceptedCodePage_);
}

} // namespace byteloom
