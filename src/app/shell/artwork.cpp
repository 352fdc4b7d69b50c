#include "shell/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace byteloom {

namespace {

constexpr int kSize = 32; // drawn at twice the toolbar's 16 pixels for sharp scaling

const QColor kInk(40, 52, 70);
const QColor kAccent(38, 120, 200);
const QColor kPaper(250, 250, 245);

QPixmap Canvas(int size = kSize)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Page(QPainter &p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 7, r.top());
    path.lineTo(r.right(), r.top() + 7);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 7, r.top()), QPointF(r.right() - 7, r.top() + 7));
    p.drawLine(QPointF(r.right() - 7, r.top() + 7), QPointF(r.right(), r.top() + 7));
}

void Arrow(QPainter &p, bool toRight)
{
    QPainterPath path;
    const double s = toRight ? 1 : -1;
    const double c = kSize / 2.0;
    path.moveTo(c - s * 9, c + 7);
    path.cubicTo(c - s * 9, c - 6, c + s * 2, c - 6, c + s * 6, c - 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kAccent, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF(
        {QPointF(c + s * 11, c + 1), QPointF(c + s * 2, c - 9), QPointF(c + s * 1, c + 4)}));
}

void Draw(QPainter &p, int image)
{
    p.setPen(QPen(kInk, 2));
    switch (image) {
    case 0: // New: a blank page with a spark
        Page(p, QRectF(7, 3, 18, 26));
        p.setPen(QPen(kAccent, 2));
        p.drawLine(QPointF(11, 14), QPointF(21, 14));
        p.drawLine(QPointF(11, 19), QPointF(18, 19));
        break;
    case 1: // Open: a folder
        p.setBrush(QColor(236, 196, 96));
        p.drawRoundedRect(QRectF(3, 8, 26, 19), 2, 2);
        p.setBrush(QColor(250, 220, 130));
        p.drawPolygon(
            QPolygonF({QPointF(3, 27), QPointF(8, 14), QPointF(30, 14), QPointF(26, 27)}));
        break;
    case 2: // Save: a disk
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 3, 3);
        p.setBrush(kPaper);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    case 3: // Cut: scissors, with pale handles and blue blades that show on dark toolbars too
        p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 20), QPointF(22, 4));
        p.drawLine(QPointF(21, 20), QPointF(10, 4));
        p.setPen(QPen(kInk, 2));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(5, 19, 8, 8));
        p.drawEllipse(QRectF(19, 19, 8, 8));
        break;
    case 4: // Copy: two pages
        Page(p, QRectF(4, 3, 15, 20));
        Page(p, QRectF(13, 9, 15, 20));
        break;
    case 5: // Paste: a clipboard with a page
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
        p.setBrush(kInk);
        p.drawRect(QRectF(11, 3, 8, 5));
        Page(p, QRectF(14, 12, 14, 17));
        break;
    case 7: // Help: a question mark in a circle
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(kPaper);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 15, QFont::Bold));
        p.drawText(QRectF(3, 2, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case 8: // Redo
        Arrow(p, true);
        break;
    case 9: // Undo
        Arrow(p, false);
        break;
    case 10: // Search: a magnifier, its glass pale and its handle blue, on any toolbar
        p.setPen(QPen(kAccent, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 19), QPointF(27, 27));
        p.setPen(QPen(kInk, 3));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(4, 4, 16, 16));
        break;
    default:
        break;
    }
}

} // namespace

QIcon ToolbarImage(int image)
{
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, image);
    return QIcon(pixmap);
}

// Bytes woven like threads on a loom: the warp in the product's blue, the weft in ink.
QIcon ApplicationIcon()
{
    QPixmap pixmap = Canvas(64);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(12 + i * 11, 9, 7, 46), 3, 3);
    }
    for (int j = 0; j < 3; ++j) {
        p.setBrush(kPaper);
        for (int i = 0; i < 4; ++i) {
            if ((i + j) % 2 == 0)
                p.drawRoundedRect(QRectF(9 + i * 11, 16 + j * 13, 13, 6), 3, 3);
        }
    }
    return QIcon(pixmap);
}

QPixmap SplashPicture()
{
    QPixmap pixmap(400, 286);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 400, 286);
    gradient.setColorAt(0, kInk);
    gradient.setColorAt(1, QColor(24, 80, 140));
    p.fillRect(pixmap.rect(), gradient);
    p.setPen(QColor(255, 255, 255, 36));
    p.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 11));
    for (int row = 0; row < 14; ++row)
        p.drawText(
            10, 18 + row * 20, QStringLiteral("42 79 74 65 6C 6F 6F 6D  00 01 02 03 04 05 06 07"));
    ApplicationIcon().paint(&p, QRect(50, 70, 96, 96));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 30, QFont::Bold));
    p.drawText(
        QRect(160, 94, 230, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Byteloom"));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    p.drawText(QRect(0, 196, 400, 28),
               Qt::AlignCenter,
               QStringLiteral("The hex editor for ROM translators"));
    return pixmap;
}

QPixmap MarkerImage(int marker)
{
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (marker == 0) {
        // A line break: the return arrow.
        p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(13, 3), QPointF(13, 10), QPointF(4, 10)}));
        p.drawPolyline(QPolygonF({QPointF(7, 7), QPointF(4, 10), QPointF(7, 13)}));
    } else {
        // The end of a string: a filled stop block.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 50));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 7, 6, 2));
    }
    return pixmap;
}

} // namespace byteloom
