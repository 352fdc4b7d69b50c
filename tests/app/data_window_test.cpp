#include "session/session.h"
#include "support/temp_folder.h"
#include "tables/table_parser.h"
#include "view/data_window.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace byteloom {
namespace {

class DataWindowTest : public testing::Test
{
protected:
    DataWindowTest()
    {
        window.resize(900, 400);
        window.show();
    }

    void Open(const std::vector<std::uint8_t> &bytes)
    {
        test::WriteBytes(folder / "view.bin", bytes);
        ASSERT_EQ(session.OpenDocument(folder / "view.bin", true).status, LoadStatus::Loaded);
        window.DocumentChanged();
    }

    QImage Paint()
    {
        QImage image(window.viewport()->size(), QImage::Format_RGB32);
        window.viewport()->render(&image);
        return image;
    }

    test::TempFolder folder;
    Session session;
    DataWindow window{session};
};

TEST_F(DataWindowTest, RowsReachEveryByteAndScrollToTheLastRow)
{
    Open(std::vector<std::uint8_t>(0x1005, 0x41));
    EXPECT_EQ(window.verticalScrollBar()->maximum(), 0x100); // rows 0 .. 0x100
    Paint();
    const auto &edges = window.PaintedEdges();
    ASSERT_GE(edges.size(), 2u);
    EXPECT_EQ(edges.size(),
              static_cast<std::size_t>(window.viewport()->height() / window.RowHeight() + 1));
    // The text column starts after the hex column, and each byte has a cell of its own.
    EXPECT_GT(edges[0].Left(16), edges[0].hexRight);
    EXPECT_GT(edges[0].Right(16), edges[0].Left(16));

    window.verticalScrollBar()->setValue(window.verticalScrollBar()->maximum());
    Paint();
    ASSERT_EQ(window.PaintedEdges().size(), 1u); // the short last row only
}

// Images of 5 GiB and of 40 GiB (more rows than the scroll bar counts): Ctrl+End and the bar's
// maximum both show the last row, whose label has the digits it needs.
TEST_F(DataWindowTest, ImagesOfManyGibibytesScrollToTheirLastRow)
{
    for (const std::int64_t gibibytes : {5, 40, 100}) {
        SCOPED_TRACE(gibibytes);
        const auto path = folder / "disc.iso";
        test::WriteBytes(path, {});
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(gibibytes) << 30);
        ASSERT_EQ(session.OpenDocument(path, true).status, LoadStatus::Loaded);
        window.DocumentChanged();
        const std::int64_t lastRow = ((gibibytes << 30) - 1) / kBytesPerRow;
        const std::string lastLabel = gibibytes == 5    ? "13FFFFFF0 "
                                      : gibibytes == 40 ? "9FFFFFFF0 "
                                                        : "18FFFFFFF0 ";
        const std::string firstLabel = gibibytes == 100 ? "0000000000 " : "000000000 ";

        QTest::keyClick(&window, Qt::Key_End, Qt::ControlModifier);
        Paint();
        EXPECT_EQ(window.caret().Offset(), lastRow * kBytesPerRow);
        ASSERT_FALSE(window.PaintedRows().empty());
        EXPECT_EQ(window.PaintedRows().back().offsetLabel, lastLabel);
        EXPECT_EQ(window.verticalScrollBar()->value(), window.verticalScrollBar()->maximum());

        window.verticalScrollBar()->setValue(0);
        Paint();
        EXPECT_EQ(window.PaintedRows().front().offsetLabel, firstLabel);
        // The bar's arrows and trough and the wheel move by rows, however many rows a value of
        // the bar spans (about three on 100 GiB).
        const std::int64_t visible = window.verticalScrollBar()->pageStep(); // rows in view
        window.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(window.caret().topRow, 1);
        window.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(window.caret().topRow, 1 + visible);
        QWheelEvent notch(QPointF(10, 10),
                          QPointF(10, 10),
                          QPoint(),
                          QPoint(0, -120),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(window.viewport(), &notch);
        EXPECT_EQ(window.caret().topRow, 1 + visible + QApplication::wheelScrollLines());
        window.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(window.caret().topRow, visible + QApplication::wheelScrollLines());
        window.verticalScrollBar()->setValue(window.verticalScrollBar()->maximum());
        Paint();
        EXPECT_EQ(window.PaintedRows().front().offsetLabel, lastLabel);
        EXPECT_EQ(window.PaintedRows().size(), 1u);
        session.CloseDocument();
        std::filesystem::remove(path);
    }
}

TEST_F(DataWindowTest, TheSelectionIsHighlightedInBothColumnsInTheDesktopsColours)
{
    Open(std::vector<std::uint8_t>(64, 0x41));
    window.selection() = {2, 5, true};
    // A dark theme whose selected text would not read on its highlight.
    QPalette dark = window.palette();
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Highlight, QColor(0x90, 0xA0, 0xB0));
    dark.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    window.setPalette(dark);
    QImage image = Paint();
    const CellEdges &cells = window.PaintedEdges().front();
    // Above the glyphs, whose strokes would hide the background in any font.
    const int y = 1;
    EXPECT_EQ(image.pixelColor(cells.Left(3) + 1, y), QColor(0x90, 0xA0, 0xB0));
    EXPECT_EQ(image.pixelColor(cells.Left(16 + 3) + 1, y), QColor(0x90, 0xA0, 0xB0));
    EXPECT_EQ(image.pixelColor(cells.Left(6) + 1, y), QColor(0x20, 0x20, 0x20));
    EXPECT_GE(ContrastRatio(window.Colours().highlight, window.Colours().highlightText),
              kLegibleContrast);
    EXPECT_GE(ContrastRatio(window.Colours().hexBackground, window.Colours().evenColumn),
              kLegibleContrast);

    // The user's own colours, when they chose them.
    session.display().useSystemColours = false;
    image = Paint();
    EXPECT_EQ(image.pixelColor(cells.Left(3) + 1, y), QColor(0xBB, 0xBB, 0xBB));
    EXPECT_EQ(image.pixelColor(cells.Left(6) + 1, y), QColor(0xFF, 0xFF, 0xFF));
}

TEST_F(DataWindowTest, TablesWithMarkersAndTheStatusOffset)
{
    QSignalSpy offsets(&window, &DataWindow::CaretOffsetChanged);
    Open({0x81, 0x40, 0xFF, 0x41});
    ASSERT_FALSE(offsets.isEmpty());
    EXPECT_EQ(offsets.last().first().toString(), QStringLiteral("Offset: 00000000 "));

    session.tables().Add(ParseTable("8140=wide\n41=A\n/FF\n", "t.tbl").table);
    window.SettingsChanged();
    Paint();
    const CellEdges &cells = window.PaintedEdges().front();
    EXPECT_EQ(cells.Right(16), cells.Left(16)); // the key's first byte
    EXPECT_GT(cells.Right(17), cells.Left(17));
    EXPECT_EQ(cells.Right(18) - cells.Left(18), kMarkerWidth);
}

// Cell texts are laid out once and kept: after the fonts change, the view must show what a
// window opened with the new fonts shows, and the cells measure the new widths.
TEST_F(DataWindowTest, ANewFontSizeRedrawsEveryCellInTheNewSize)
{
    Open(std::vector<std::uint8_t>{0x41, 0x42, 0x8A, 0x00, 0xFF, 0x7E});
    session.tables().Add(ParseTable("41=Alpha\n42=B\n", "t.tbl").table);
    window.SettingsChanged();
    const QImage before = Paint();
    const int hexWidthBefore = window.PaintedEdges().front().Right(0);

    session.display().fontSize -= 6; // a height in pixels, negative
    window.SettingsChanged();
    const QImage after = Paint();
    EXPECT_GT(window.PaintedEdges().front().Right(0), hexWidthBefore);

    DataWindow fresh(session);
    fresh.resize(window.size());
    fresh.show();
    QImage expected(fresh.viewport()->size(), QImage::Format_RGB32);
    fresh.viewport()->render(&expected);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, expected);
}

} // namespace
} // namespace byteloom
