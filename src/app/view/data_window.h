#pragma once

#include "view/caret_state.h"
#include "view/cell_edges.h"
#include "view/row_layout.h"
#include "view/view_colours.h"

#include "view/key_controller.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QStaticText>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace byteloom {

class MouseController;
class Session;
class TableEntryBox;

// The view of the document between the toolbar and the status bar: rows of 16 bytes as an
// offset column, a hex column and a text column. What a row shows is the core's row layout;
// this widget only measures, draws and scrolls, and hands its input to small controllers (keys,
// mouse, the table entry box) that turn it into core calls.
class DataWindow : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit DataWindow(Session &session, QWidget *parent = nullptr);

    // The document was opened, replaced, resized or edited: scroll ranges and a repaint.
    void DocumentChanged();
    // Fonts, grouping or text mode changed: the fonts are made again and the rows laid out.
    void SettingsChanged();

    [[nodiscard]] int RowHeight() const { return rowHeight_; }
    [[nodiscard]] int CharWidth() const { return charWidth_; }
    // The width that shows a whole row: offsets, 16 bytes one to a group, and their text.
    [[nodiscard]] int WholeRowWidth() const;
    [[nodiscard]] CaretState &caret() { return caret_; }
    [[nodiscard]] Selection &selection() { return caret_.selection; }
    [[nodiscard]] std::int64_t CaretOffset() const { return caret_.Offset(); }
    // The cell edges of the rows drawn last, top row first.
    [[nodiscard]] const std::vector<CellEdges> &PaintedEdges() const { return paintedEdges_; }
    [[nodiscard]] const std::vector<RowLayout> &PaintedRows() const { return paintedRows_; }
    [[nodiscard]] const ViewColours &Colours() const { return colours_; }
    // What the caret moves know of the window.
    [[nodiscard]] CaretView View();
    // The caret moved in the core: scroll to its row and column, repaint, tell the status bar.
    void CaretChanged();
    // Writes what the table entry box holds, as Enter would, and closes it: before any command
    // runs, so that typed text is never lost.
    void CommitEntryBox();
    // A view that only shows: the caret moves and selects, but no key, text or popup edits.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    [[nodiscard]] bool ReadOnly() const { return readOnly_; }
    // The bytes that differ from a compared file (runs in offset order, shared with the panel
    // that lists them), coloured until the next call; nullptr for none.
    void SetDifferences(std::shared_ptr<const std::vector<DifferenceRun>> runs);
    // Scrolls so that row (clamped to the document's rows) is the top one; the caret keeps its
    // window row, as with the scroll bar.
    void ScrollToRow(std::int64_t row);
    // How the edit popup learns which of its commands are enabled.
    void SetCommandEnabled(std::function<bool(int command)> enabled)
    {
        commandEnabled_ = std::move(enabled);
    }

signals:
    // The status bar's offset text for the byte under the caret.
    void CaretOffsetChanged(const QString &text);
    // A selection was made or dropped: the commands that need one follow.
    void SelectionChanged(bool made);
    // Bytes of the document changed.
    void Edited();
    // Insert toggled the mode that Paste reads.
    void OverwriteChanged();
    // Shift+Tab made another table (or none) current.
    void TableStepped();
    // A command of the edit popup, by its main-menu number.
    void CommandRequested(int command);
    // Something the user should notice, for the status bar.
    void StatusMessage(const QString &text);
    // An edit that could not be made, and the system's reason, for a message box.
    void EditFailed(const QString &reason);

protected:
    void ReportFailedEdit();
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent *event) override;
    [[nodiscard]] QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    friend class KeyController;
    friend class MouseController;
    friend class TableEntryBox;

    void Report(SelectionEffect effect);
    // Moves the view by rows, exactly: past 2^31 - 1 rows a step of the scroll bar's own spans
    // several rows, so its arrows, its trough and the wheel move the view here instead.
    void ScrollRows(std::int64_t rows);
    void ScrollBarAction(int action);
    void KeepCaretColumnVisible();
    class FontMeasure;
    // A cell's text laid out once in its font: a view shows a few hundred distinct texts, and
    // laying one out costs far more than drawing it.
    struct LaidOutText
    {
        QStaticText text;
        int advance = 0;
    };
    // fontSlot 0 is the hex font, 1 + a TextFont the text fonts.
    const LaidOutText &LaidOut(int fontSlot, std::string_view utf8) const;
    [[nodiscard]] const QFont &TextFontOf(TextFont font) const;
    [[nodiscard]] QFont FontFor(int codePage) const;
    void UpdateScrollRanges();
    // The document's last row (0 without a document).
    [[nodiscard]] std::int64_t LastRow() const;
    void DrawRow(QPainter &painter, const RowLayout &row, const CellEdges &cells, int y);
    void DrawPartnerMark(QPainter &painter, std::int64_t topRow);

    Session &session_;
    QFont hexFont_;
    QFont defaultFont_;
    QFont unicodeFont_;
    QFont codePageFont_;
    QFont tableFont_;
    int charWidth_ = 1;
    int rowHeight_ = 1;
    int widestRow_ = 0;
    CaretState caret_;
    std::function<bool(int)> commandEnabled_;
    int wheelRemainder_ = 0; // eighths of a degree not yet turned into rows
    bool readOnly_ = false;
    std::shared_ptr<const std::vector<DifferenceRun>> differences_;
    KeyController keys_{*this};
    MouseController *mouse_;
    TableEntryBox *entryBox_;
    std::vector<CellEdges> paintedEdges_;
    std::vector<RowLayout> paintedRows_;
    ViewColours colours_; // the colours of the last paint
    // Keyed by the font slot's character and the text; emptied when the fonts change.
    mutable std::unordered_map<std::string, LaidOutText> laidOut_;
};

} // namespace byteloom
