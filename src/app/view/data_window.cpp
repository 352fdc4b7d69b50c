#include "view/data_window.h"

#include "common/command_ids.h"
#include "session/session.h"
#include "settings/stored_colour.h"
#include "shell/artwork.h"
#include "view/code_page_list.h"
#include "view/mouse_controller.h"
#include "view/offset_label.h"
#include "view/scroll_mapping.h"
#include "view/table_entry_box.h"
#include "view/text_mode.h"
#include "view/view_fonts.h"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

namespace byteloom {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

class DataWindow::FontMeasure : public TextMeasure
{
public:
    explicit FontMeasure(const DataWindow &window)
        : window_(window)
    {}

    int HexWidth(std::string_view text) override { return window_.LaidOut(0, text).advance; }
    int TextWidth(TextFont font, std::string_view utf8) override
    {
        return window_.LaidOut(1 + static_cast<int>(font), utf8).advance;
    }

private:
    const DataWindow &window_;
};

const DataWindow::LaidOutText &DataWindow::LaidOut(int fontSlot, std::string_view utf8) const
{
    std::string key(1, static_cast<char>(fontSlot));
    key += utf8;
    if (const auto found = laidOut_.find(key); found != laidOut_.end())
        return found->second;
    // Texts seen once (a long run of unusual bytes) must not pile up.
    if (laidOut_.size() >= 16384)
        laidOut_.clear();
    const QFont &font = fontSlot == 0 ? hexFont_ : TextFontOf(static_cast<TextFont>(fontSlot - 1));
    const QString text = FromUtf8(utf8);
    LaidOutText &laid = laidOut_[std::move(key)];
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.text.setText(text);
    laid.text.prepare(QTransform(), font);
    laid.advance = QFontMetrics(font).horizontalAdvance(text);
    return laid;
}

DataWindow::DataWindow(Session &session, QWidget *parent)
    : QAbstractScrollArea(parent)
    , session_(session)
    , mouse_(new MouseController(*this))
    , entryBox_(new TableEntryBox(*this))
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    SetOffsetMode(session_.display(), OffsetMode::Hex);
    connect(
        verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &DataWindow::ScrollBarAction);
    SettingsChanged();
}

QFont DataWindow::FontFor(int codePage) const
{
    const DisplaySettings &display = session_.display();
    const CodePageList &codePages = session_.codePages();
    const int index = codePages.FindCodePageEntry(codePage);
    if (index < 0)
        return defaultFont_;
    return MakeFont(codePages.At(index)->configuredFace, display.fontSize, false);
}

void DataWindow::SettingsChanged()
{
    const DisplaySettings &display = session_.display();
    hexFont_ = MakeFont(display.hexFontFace, display.fontSize, true);
    defaultFont_ = MakeFont(display.defaultTextFontFace, display.fontSize, true);
    unicodeFont_ = MakeFont(display.unicodeFontFace, display.fontSize, false);
    const CodePageEntry *entry = CurrentCodePage(display, session_.codePages());
    codePageFont_ = entry ? FontFor(entry->number) : defaultFont_;
    const TableFile *table = session_.tables().Current();
    tableFont_ = table ? FontFor(table->GetCodePage()) : defaultFont_;
    laidOut_.clear();

    const QFontMetrics hex(hexFont_);
    TextFont mode = TextFont::Default;
    if (table)
        mode = TextFont::Table;
    else if (display.unicodeText)
        mode = TextFont::Unicode;
    else if (entry)
        mode = TextFont::CodePage;
    charWidth_ = std::max(hex.horizontalAdvance(QLatin1Char('0')), 1);
    rowHeight_
        = std::max({hex.height() + hex.leading(), QFontMetrics(TextFontOf(mode)).height(), 1});
    DocumentChanged();
}

const QFont &DataWindow::TextFontOf(TextFont font) const
{
    switch (font) {
    case TextFont::Unicode:
        return unicodeFont_;
    case TextFont::CodePage:
        return codePageFont_;
    case TextFont::Table:
        return tableFont_;
    case TextFont::Default:
        break;
    }
    return defaultFont_;
}

void DataWindow::DocumentChanged()
{
    UpdateScrollRanges();
    CaretChanged();
}

CaretView DataWindow::View()
{
    Document &document = session_.document();
    CaretView view{document.Size(), std::max(viewport()->height() / rowHeight_, 1), {}};
    const DisplaySettings &display = session_.display();
    const CodePageEntry *entry = CurrentCodePage(display, session_.codePages());
    TableFile *table = session_.tables().Current();
    if (display.unicodeText) {
        view.startsPair = [](std::int64_t offset) {
            return offset % 2 == 0;
        };
    } else if (table || entry) {
        // Ask the row layout, which knows the table's keys and the lead bytes.
        view.startsPair = [this](std::int64_t offset) {
            const DisplaySettings &settings = session_.display();
            RowSource source{session_.document(),
                             settings,
                             session_.tables().Current(),
                             session_.codePages(),
                             session_.decoder(),
                             {}};
            const RowLayout row = BuildRow(source, offset / kBytesPerRow * kBytesPerRow, 0);
            const auto at = static_cast<std::size_t>(offset % kBytesPerRow);
            return at + 1 < row.text.size() && row.text[at].ZeroWidth();
        };
    }
    return view;
}

void DataWindow::CaretChanged()
{
    // The view follows the caret; the top row stays in range and the scroll bar shows it.
    caret_.topRow = std::clamp<std::int64_t>(caret_.topRow, 0, LastRow());
    const int barValue = ScrollValueOfRow(caret_.topRow, LastRow());
    if (verticalScrollBar()->value() != barValue) {
        const QSignalBlocker quiet(verticalScrollBar());
        verticalScrollBar()->setValue(barValue);
    }
    if (session_.display().unicodeText)
        AlignTextCaretToUnit(caret_, 2);
    KeepCaretColumnVisible();
    const Document &document = session_.document();
    emit CaretOffsetChanged(document.IsOpen() ? QString::fromStdString(StatusOffsetText(
                                caret_.Offset(), session_.display(), document.Size()))
                                              : QString());
    viewport()->update();
}

void DataWindow::KeepCaretColumnVisible()
{
    if (caret_.row < 0 || caret_.row >= static_cast<int>(paintedEdges_.size()))
        return;
    const CellEdges &cells = paintedEdges_[static_cast<std::size_t>(caret_.row)];
    const int first = cells.Left(caret_.column) / charWidth_;
    const int last
        = std::max(cells.Right(caret_.column), cells.Left(caret_.column) + charWidth_) / charWidth_;
    const int columns = std::max(viewport()->width() / charWidth_, 1);
    QScrollBar *bar = horizontalScrollBar();
    if (first < bar->value())
        bar->setValue(first);
    else if (last >= bar->value() + columns)
        bar->setValue(last - columns + 1);
}

void DataWindow::Report(SelectionEffect effect)
{
    if (effect != SelectionEffect::Unchanged)
        emit SelectionChanged(effect == SelectionEffect::Made);
    CaretChanged();
}

std::int64_t DataWindow::LastRow() const
{
    const Document &document = session_.document();
    return document.IsOpen() && document.Size() > 0 ? (document.Size() - 1) / kBytesPerRow : 0;
}

void DataWindow::UpdateScrollRanges()
{
    const int visibleRows = std::max(viewport()->height() / rowHeight_, 1);
    verticalScrollBar()->setRange(0, ScrollMaximum(LastRow()));
    verticalScrollBar()->setPageStep(visibleRows);
    verticalScrollBar()->setSingleStep(1);
    const int columns = std::max(viewport()->width() / charWidth_, 1);
    horizontalScrollBar()->setRange(0, std::max(widestRow_ / charWidth_ + 1 - columns, 0));
    horizontalScrollBar()->setPageStep(columns);
}

void DataWindow::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
    // The caret's byte stays in view: the rows scroll under a window that got shorter.
    const int visible = std::max(viewport()->height() / rowHeight_, 1);
    if (caret_.row >= visible) {
        caret_.topRow += caret_.row - visible + 1;
        caret_.row = visible - 1;
    }
    CaretChanged();
}

void DataWindow::ScrollRows(std::int64_t rows)
{
    caret_.topRow = std::clamp<std::int64_t>(caret_.topRow + rows, 0, LastRow());
    const QSignalBlocker quiet(verticalScrollBar());
    verticalScrollBar()->setValue(ScrollValueOfRow(caret_.topRow, LastRow()));
    emit CaretOffsetChanged(QString::fromStdString(
        StatusOffsetText(caret_.Offset(), session_.display(), session_.document().Size())));
    viewport()->update();
}

void DataWindow::ScrollToRow(std::int64_t row)
{
    ScrollRows(std::clamp<std::int64_t>(row, 0, LastRow()) - caret_.topRow);
}

void DataWindow::SetDifferences(std::shared_ptr<const std::vector<DifferenceRun>> runs)
{
    differences_ = std::move(runs);
    viewport()->update();
}

void DataWindow::ScrollBarAction(int action)
{
    const std::int64_t page = std::max(viewport()->height() / rowHeight_, 1);
    std::int64_t rows = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        rows = 1;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        rows = -1;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        rows = page;
        break;
    case QAbstractSlider::SliderPageStepSub:
        rows = -page;
        break;
    default:
        return; // a drag of the handle goes through the bar's value
    }
    ScrollRows(rows);
    // The bar then takes the value the view already has, and changes nothing more.
    verticalScrollBar()->setSliderPosition(verticalScrollBar()->value());
}

void DataWindow::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0 || event->modifiers() != Qt::NoModifier || !session_.document().IsOpen()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch is 120 eighths of a degree and moves the rows the system asks for; finer wheels
    // add up to notches.
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0)
        ScrollRows(-std::int64_t{notches} * QApplication::wheelScrollLines());
    event->accept();
}

void DataWindow::scrollContentsBy(int, int)
{
    // The caret keeps its window row and column; its byte follows the scroll.
    caret_.topRow = RowOfScrollValue(verticalScrollBar()->value(), LastRow());
    emit CaretOffsetChanged(QString::fromStdString(
        StatusOffsetText(caret_.Offset(), session_.display(), session_.document().Size())));
    viewport()->update();
}

namespace {

// Fills the backgrounds of a row's cells, a run of neighbours of one colour at a time.
class BackgroundRuns
{
public:
    explicit BackgroundRuns(QPainter &painter)
        : painter_(painter)
    {}
    ~BackgroundRuns() { Flush(); }

    void Add(const QRect &rect, QRgb colour)
    {
        if (!run_.isEmpty() && colour == colour_ && rect.left() == run_.right() + 1) {
            run_.setRight(rect.right());
            return;
        }
        Flush();
        run_ = rect;
        colour_ = colour;
    }

    void Flush()
    {
        if (!run_.isEmpty())
            painter_.fillRect(run_, QColor(colour_));
        run_ = {};
    }

private:
    QPainter &painter_;
    QRect run_;
    QRgb colour_ = 0;
};

// Sets the pen only when its colour changes.
// A byte that differs from the compared file: the column's own background tinted red, so that it
// shows on light and dark colours alike.
QRgb CellBackground(const ViewColours &colours, bool selected, bool differs, std::uint32_t own)
{
    if (selected)
        return StoredColour(colours.highlight).rgb();
    const QColor colour = StoredColour(own);
    if (!differs)
        return colour.rgb();
    const auto tint = [](int channel, int red) {
        return (channel * 3 + red * 2) / 5;
    };
    return qRgb(tint(colour.red(), 255), tint(colour.green(), 0), tint(colour.blue(), 0));
}

void UsePen(QPainter &painter, QRgb &current, QRgb colour)
{
    if (colour != current) {
        painter.setPen(QColor(colour));
        current = colour;
    }
}

} // namespace

void DataWindow::DrawRow(QPainter &painter, const RowLayout &row, const CellEdges &cells, int y)
{
    const ViewColours &colours = colours_;
    const int shift = -horizontalScrollBar()->value() * charWidth_;

    painter.setFont(hexFont_);
    const LaidOutText &label = LaidOut(0, row.offsetLabel);
    painter.fillRect(QRect(shift, y, label.advance, rowHeight_),
                     StoredColour(colours.addressBackground));
    QRgb pen = StoredColour(colours.address).rgb();
    painter.setPen(QColor(pen));
    painter.drawStaticText(shift, y, label.text);

    {
        BackgroundRuns backgrounds(painter);
        for (int i = 0; i < row.byteCount; ++i) {
            const HexCell &cell = row.hex[static_cast<std::size_t>(i)];
            const QRect rect(cells.Left(i) + shift, y, cells.Right(i) - cells.Left(i), rowHeight_);
            backgrounds.Add(
                rect, CellBackground(colours, cell.selected, cell.differs, colours.hexBackground));
        }
    }
    for (int i = 0; i < row.byteCount; ++i) {
        const HexCell &cell = row.hex[static_cast<std::size_t>(i)];
        UsePen(painter,
               pen,
               StoredColour(cell.selected    ? colours.highlightText
                            : cell.evenGroup ? colours.evenColumn
                                             : colours.oddColumn)
                   .rgb());
        painter.drawStaticText(cells.Left(i) + shift, y, LaidOut(0, cell.text).text);
    }

    const int textSlot = 1 + static_cast<int>(row.font);
    painter.setFont(TextFontOf(row.font));
    {
        BackgroundRuns backgrounds(painter);
        for (int i = 0; i < row.byteCount; ++i) {
            const TextCell &cell = row.text[static_cast<std::size_t>(i)];
            const int cellIndex = kBytesPerRow + i;
            if (cells.Right(cellIndex) > cells.Left(cellIndex)) {
                backgrounds.Add(
                    QRect(cells.Left(cellIndex) + shift,
                          y,
                          cells.Right(cellIndex) - cells.Left(cellIndex),
                          rowHeight_),
                    CellBackground(colours, cell.selected, cell.differs, colours.textBackground));
            }
        }
    }
    for (int i = 0; i < row.byteCount; ++i) {
        const TextCell &cell = row.text[static_cast<std::size_t>(i)];
        const int cellIndex = kBytesPerRow + i;
        const int left = cells.Left(cellIndex) + shift;
        if (cells.Right(cellIndex) == cells.Left(cellIndex))
            continue;
        if (cell.marker != Marker::None) {
            QPixmap image = MarkerImage(cell.marker == Marker::Newline ? 0 : 1);
            // The line break's blue arrow would vanish into a blue selection: selected, it takes
            // the selected text's colour.
            if (cell.selected && cell.marker == Marker::Newline) {
                QPainter tint(&image);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tint.fillRect(image.rect(), StoredColour(colours.highlightText));
            }
            painter.drawPixmap(left, y + (rowHeight_ - kMarkerWidth) / 2, image);
            continue;
        }
        UsePen(
            painter, pen, StoredColour(cell.selected ? colours.highlightText : colours.text).rgb());
        painter.drawStaticText(left, y, LaidOut(textSlot, cell.text).text);
    }
}

// A line under the caret byte in the column the caret is not in.
void DataWindow::DrawPartnerMark(QPainter &painter, std::int64_t topRow)
{
    const std::int64_t windowRow = caret_.Offset() / kBytesPerRow - topRow;
    if (windowRow < 0 || windowRow >= static_cast<std::int64_t>(paintedEdges_.size()))
        return;
    const CellEdges &cells = paintedEdges_[static_cast<std::size_t>(windowRow)];
    const RowLayout &row = paintedRows_[static_cast<std::size_t>(windowRow)];
    const auto column = static_cast<int>(caret_.Offset() % kBytesPerRow);
    int left = 0;
    int right = 0;
    if (caret_.InText()) {
        left = cells.Left(column);
        right = cells.Right(column);
        if (column < row.byteCount && row.hex[static_cast<std::size_t>(column)].text.ends_with(' '))
            right -= charWidth_;
    } else {
        // Past zero-width cells to the cell that carries the glyph.
        int cell = kBytesPerRow + column;
        while (cell < 2 * kBytesPerRow - 1 && cells.Right(cell) == cells.Left(cell))
            ++cell;
        left = cells.Left(cell);
        right = cells.Right(cell);
    }
    const int shift = -horizontalScrollBar()->value() * charWidth_;
    const int y = static_cast<int>(windowRow + 1) * rowHeight_ - 2;
    painter.setPen(QPen(StoredColour(colours_.text), 1));
    painter.drawLine(left + shift, y, right + shift, y);

    // The caret: on the cell's left edge, or on the second digit after a high nibble.
    int caretX = cells.Left(caret_.column) + shift;
    if (caret_.nibbleMark != caret_.column && (!caret_.InText() || !session_.tables().Current()))
        caretX += charWidth_;
    const int top = static_cast<int>(windowRow) * rowHeight_;
    // Without the focus the caret fades halfway into the background.
    QColor caretColour = StoredColour(colours_.text);
    if (!hasFocus()) {
        const QColor behind = StoredColour(colours_.hexBackground);
        caretColour.setRgb((caretColour.red() + behind.red()) / 2,
                           (caretColour.green() + behind.green()) / 2,
                           (caretColour.blue() + behind.blue()) / 2);
    }
    painter.setPen(QPen(caretColour, 2));
    painter.drawLine(caretX, top + 1, caretX, top + rowHeight_ - 1);
}

int DataWindow::WholeRowWidth() const
{
    const int chars = OffsetColumnChars(session_.display(), session_.document().Size())
                      + 3 * kBytesPerRow + 2 + kBytesPerRow;
    return chars * charWidth_ + verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

void DataWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const DisplaySettings &display = session_.display();
    colours_ = ColoursFor(display, DesktopColoursOf(palette()));
    painter.fillRect(area, StoredColour(colours_.hexBackground));
    painter.fillRect(QRect(0,
                           0,
                           OffsetColumnChars(display, session_.document().Size()) * charWidth_,
                           area.height()),
                     StoredColour(colours_.addressBackground));
    paintedEdges_.clear();
    paintedRows_.clear();
    Document &document = session_.document();
    if (!document.IsOpen() || document.Size() == 0)
        return;

    const std::int64_t topRow = caret_.topRow;
    const std::int64_t lastRow = LastRow();
    const std::int64_t rows = area.height() / rowHeight_ + 1;
    RowSource source{document,
                     display,
                     session_.tables().Current(),
                     session_.codePages(),
                     session_.decoder(),
                     caret_.selection,
                     differences_ ? std::span<const DifferenceRun>(*differences_)
                                  : std::span<const DifferenceRun>()};
    FontMeasure measure(*this);
    const int grouping = EffectiveGrouping(display);
    int carry = 0; // the top row starts fresh
    int widest = 0;
    for (std::int64_t k = 0; k < rows && topRow + k <= lastRow; ++k) {
        RowLayout row = BuildRow(source, (topRow + k) * kBytesPerRow, carry);
        carry = row.carryOut;
        const CellEdges cells = BuildCellEdges(row, grouping, measure);
        DrawRow(painter, row, cells, static_cast<int>(k) * rowHeight_);
        widest = std::max(widest, cells.TextRight());
        paintedEdges_.push_back(cells);
        paintedRows_.push_back(std::move(row));
    }
    DrawPartnerMark(painter, topRow);
    // Rows whose bytes could not be read show only what was read; the reason goes to the
    // status bar (a message box here would repaint into the same failure again).
    if (auto error = session_.document().TakeIoError())
        emit StatusMessage(QString::fromStdString(*error));
    if (widest != widestRow_) {
        widestRow_ = widest;
        UpdateScrollRanges();
    }
}

void DataWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // The popup's commands act on the main document, never on a view that only shows.
    if (!session_.document().IsOpen() || readOnly_)
        return;
    QMenu menu(this);
    if (event->pos().x()
        >= OffsetColumnChars(session_.display(), session_.document().Size()) * charWidth_) {
        // The edit popup over the hex and text columns.
        const std::pair<const char *, int> commands[] = {{"Select &Line", kCmdSelectLine},
                                                         {"&Copy", kCmdCopy},
                                                         {"Cu&t", kCmdCut},
                                                         {"&Paste", kCmdPaste},
                                                         {"&Follow Pointer", kCmdFollowPointer}};
        for (const auto &[text, command] : commands) {
            const int chosen = command;
            QAction *item = menu.addAction(QString::fromLatin1(text));
            item->setEnabled(!commandEnabled_ || commandEnabled_(chosen));
            connect(
                item, &QAction::triggered, this, [this, chosen] { emit CommandRequested(chosen); });
        }
        menu.exec(event->globalPos());
        return;
    }
    const std::pair<const char *, OffsetMode> modes[] = {
        {"He&x", OffsetMode::Hex},
        {"&Decimal", OffsetMode::Decimal},
        {"SNES &HiROM", OffsetMode::SnesHiRom},
        {"SNES &LoROM", OffsetMode::SnesLoRom},
        {"&Bank:Offset", OffsetMode::BankOffset},
    };
    // One mode at a time, the current one ticked.
    auto *group = new QActionGroup(&menu);
    const OffsetMode current = OffsetModeOf(session_.display());
    for (const auto &[text, mode] : modes) {
        const OffsetMode chosen = mode;
        QAction *item = menu.addAction(QString::fromLatin1(text));
        item->setCheckable(true);
        item->setChecked(mode == current);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, chosen] {
            SetOffsetMode(session_.display(), chosen);
            DocumentChanged();
        });
    }
    menu.exec(event->globalPos());
}

} // namespace byteloom
