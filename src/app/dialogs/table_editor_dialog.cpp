#include "dialogs/table_editor_dialog.h"

#include "dialogs/tab_order.h"
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

constexpr int kKeyColumn = 0;
constexpr int kFontHeight = 16;

QString FromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TableEditor::Column ColumnOf(const QModelIndex &index)
{
    return index.column() == kKeyColumn ? TableEditor::Column::Key : TableEditor::Column::Text;
}

} // namespace

TableEntryModel::TableEntryModel(TableEditor &editor,
                                 TextDecoder &decoder,
                                 int codePage,
                                 QObject *parent)
    : QAbstractTableModel(parent)
    , editor_(editor)
    , decoder_(decoder)
    , codePage_(codePage)
{}

int TableEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : editor_.RowCount();
}

int TableEntryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TableEntryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row();
    if (editor_.IsEmptyRow(row))
        return QString();
    if (index.column() == kKeyColumn)
        return FromUtf8(KeyCellText(editor_.KeyAt(row)));
    const std::string &text = editor_.TextAt(row);
    return FromUtf8(decoder_.ToUtf8(
        codePage_, {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()}));
}

Qt::ItemFlags TableEntryModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool TableEntryModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const std::string typed = value.toString().toStdString();
    std::string text = typed;
    if (index.column() != kKeyColumn && !typed.empty()) {
        text = decoder_.FromUtf8String(codePage_, typed);
        if (text.empty()) {
            emit Refused(QStringLiteral("Code page %1 has no place for a character of this text")
                             .arg(codePage_));
            return false;
        }
    }
    const int rows = editor_.RowCount();
    const TableEditor::Outcome outcome = editor_.Commit(index.row(), ColumnOf(index), text);
    // The reason of this commit, or none: an older reason never stays under the grid.
    emit Refused(FromUtf8(outcome.message));
    if (outcome.kind != TableEditor::Outcome::Changed)
        return false;
    if (editor_.RowCount() > rows) {
        // The empty row became the new entry, and a new empty row follows it.
        beginInsertRows({}, rows, rows);
        endInsertRows();
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 1));
    return true;
}

bool TableEntryModel::RemoveEntry(int row)
{
    if (row < 0 || editor_.IsEmptyRow(row))
        return false;
    beginRemoveRows({}, row, row);
    editor_.RemoveRow(row);
    endRemoveRows();
    return true;
}

void TableEntryModel::ShowSubtable(int number)
{
    beginResetModel();
    editor_.ShowSubtable(number);
    endResetModel();
}

EntryCellDelegate::EntryCellDelegate(QFont font, QObject *parent)
    : QStyledItemDelegate(parent)
    , font_(std::move(font))
{}

void EntryCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->font = font_;
}

QWidget *EntryCellDelegate::createEditor(QWidget *parent,
                                         const QStyleOptionViewItem &,
                                         const QModelIndex &index) const
{
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    field->setFont(font_);
    field->setMaxLength(index.column() == kKeyColumn ? kKeyCellLength : kTextCellLength);
    return field;
}

bool EntryCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    // Focus taken by another control closes the field without a change, except by OK, which
    // takes what was typed with everything else; the window merely losing the focus to another
    // program leaves it open.
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const auto *next = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
            const auto *box
                = next ? qobject_cast<QDialogButtonBox *>(next->parentWidget()) : nullptr;
            if (box
                && box->buttonRole(const_cast<QAbstractButton *>(next))
                       == QDialogButtonBox::AcceptRole)
                emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return false;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

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
    title_->setText(FromUtf8(decoder_.ToUtf8(
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
        subtables_->addItem(FromUtf8(name));
    auto *newSubtable = new QPushButton(QStringLiteral("New Subtable"), this);
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
    grid_->setItemDelegateForColumn(kKeyColumn, new EntryCellDelegate(keyFont, grid_));
    grid_->setItemDelegateForColumn(1, new EntryCellDelegate(textFont, grid_));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(kKeyColumn, keyMetrics.horizontalAdvance(QStringLiteral(" 00000000")));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked
                           | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the grid for the buttons, as in every other dialog; the arrows move in it.
    grid_->setTabKeyNavigation(false);
    // Black and white, the selected cell inverted, whether or not the grid has the focus.
    QPalette palette = grid_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::Text, Qt::black);
        palette.setColor(group, QPalette::Highlight, Qt::black);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    grid_->setPalette(palette);
    grid_->setMinimumSize(360, rowHeight * 16);
    grid_->setCurrentIndex(model_->index(0, kKeyColumn));
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
        grid_->setCurrentIndex(model_->index(0, kKeyColumn));
    });
    connect(newSubtable, &QPushButton::clicked, this, &TableEditorDialog::NewSubtable);
    hint_->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TableEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Title:"), this), 0, 0);
    fields->addWidget(title_, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("CodePage:"), this), 1, 0);
    fields->addWidget(codePage_, 1, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Subtable:"), this), 2, 0);
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
    subtables_->addItem(FromUtf8(editor_.SubtableNames().back()));
    subtables_->setCurrentIndex(editor_.ShownSubtable());
    model_->ShowSubtable(editor_.ShownSubtable());
    grid_->setCurrentIndex(model_->index(0, kKeyColumn));
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

NewSubtableDialog::NewSubtableDialog(ShowEditorMessage showMessage,
                                     CheckNewSubtable check,
                                     QWidget *parent)
    : QDialog(parent)
    , showMessage_(std::move(showMessage))
    , check_(std::move(check))
    , startTrigger_(new QLineEdit(this))
    , endTrigger_(new QLineEdit(this))
    , rangeStart_(new QLineEdit(this))
    , rangeEnd_(new QLineEdit(this))
    , ranges_(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("New Subtable"));
    for (QLineEdit *field : {startTrigger_, endTrigger_})
        field->setMaxLength(8);
    // Ranges are offsets, which reach past 4 GiB.
    for (QLineEdit *field : {rangeStart_, rangeEnd_})
        field->setMaxLength(16);

    auto *triggers = new QGroupBox(QStringLiteral("Triggers"), this);
    auto *triggerFields = new QGridLayout(triggers);
    triggerFields->addWidget(new QLabel(QStringLiteral("Start:"), triggers), 0, 0);
    triggerFields->addWidget(startTrigger_, 0, 1);
    triggerFields->addWidget(new QLabel(QStringLiteral("End:"), triggers), 1, 0);
    triggerFields->addWidget(endTrigger_, 1, 1);

    auto *rangeGroup = new QGroupBox(QStringLiteral("Ranges"), this);
    auto *rangeFields = new QGridLayout(rangeGroup);
    auto *addRange = new QPushButton(QStringLiteral("Add Range"), rangeGroup);
    addRange->setAutoDefault(false);
    ranges_->setColumnCount(2);
    ranges_->setHeaderLabels({QStringLiteral("Start"), QStringLiteral("End")});
    ranges_->setRootIsDecorated(false);
    rangeFields->addWidget(new QLabel(QStringLiteral("Start:"), rangeGroup), 0, 0);
    rangeFields->addWidget(rangeStart_, 0, 1);
    rangeFields->addWidget(new QLabel(QStringLiteral("End:"), rangeGroup), 1, 0);
    rangeFields->addWidget(rangeEnd_, 1, 1);
    rangeFields->addWidget(addRange, 2, 1);
    rangeFields->addWidget(ranges_, 3, 0, 1, 2);
    connect(addRange, &QPushButton::clicked, this, &NewSubtableDialog::AddRange);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewSubtableDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(triggers);
    layout->addWidget(rangeGroup);
    layout->addWidget(buttons);
    SetTabOrder({startTrigger_, endTrigger_, rangeStart_, rangeEnd_, addRange, ranges_});
}

QLineEdit *NewSubtableDialog::Field(int index) const
{
    const std::array<QLineEdit *, 4> fields{startTrigger_, endTrigger_, rangeStart_, rangeEnd_};
    return fields.at(static_cast<std::size_t>(index));
}

void NewSubtableDialog::ReadFields()
{
    fields_.startTrigger = startTrigger_->text().trimmed().toStdString();
    fields_.endTrigger = endTrigger_->text().trimmed().toStdString();
    fields_.rangeStart = rangeStart_->text().trimmed().toStdString();
    fields_.rangeEnd = rangeEnd_->text().trimmed().toStdString();
}

void NewSubtableDialog::AddRange()
{
    ReadFields();
    if (auto message = AddRangeFromFields(fields_)) {
        showMessage_(*message);
        return;
    }
    const SubtableRange &added = fields_.ranges.back();
    new QTreeWidgetItem(
        ranges_, {FromUtf8(RangeBoundText(added.low)), FromUtf8(RangeBoundText(added.high))});
    rangeStart_->clear();
    rangeEnd_->clear();
    rangeStart_->setFocus();
}

void NewSubtableDialog::accept()
{
    ReadFields();
    auto message = ReadNewSubtable(fields_, triggers_);
    if (!message && check_)
        message = check_(triggers_);
    if (message) {
        showMessage_(*message);
        return;
    }
    QDialog::accept();
}

} // namespace byteloom
