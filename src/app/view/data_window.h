#pragma once

#include "view/cell_edges.h"
#include "view/row_layout.h"

#include <QAbstractScrollArea>
#include <QFont>

#include <vector>

namespace byteloom {

class Session;

// The view of the document between the toolbar and the status bar: rows of 16 bytes as an
// offset column, a hex column and a text column. What a row shows is the core's row layout;
// this widget only measures, draws and scrolls.
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
    [[nodiscard]] Selection &selection() { return selection_; }
    [[nodiscard]] std::int64_t CaretOffset() const { return caretOffset_; }
    // The cell edges of the rows drawn last, top row first.
    [[nodiscard]] const std::vector<CellEdges> &PaintedEdges() const { return paintedEdges_; }

signals:
    // The status bar's offset text for the byte under the caret.
    void CaretOffsetChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class FontMeasure;
    [[nodiscard]] const QFont &TextFontOf(TextFont font) const;
    [[nodiscard]] QFont FontFor(int codePage) const;
    void UpdateScrollRanges();
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
    std::int64_t caretOffset_ = 0;
    bool caretInText_ = false;
    Selection selection_;
    std::vector<CellEdges> paintedEdges_;
    std::vector<RowLayout> paintedRows_;
};

} // namespace byteloom
