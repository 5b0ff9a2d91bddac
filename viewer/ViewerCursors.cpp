#include "viewer/ViewerCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace tavlin {

namespace {

constexpr int kSize = 32;

// Every cursor is black with a white outline, so it shows on any background.
void strokeAndFill(QPainter& p, const QPainterPath& path) {
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    p.drawPath(path);
}

QPixmap blankPixmap() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A pointing hand: the index finger up, the other fingers folded.
QCursor linkHand() {
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10, 1, 5, 16), 2.5, 2.5);    // index finger
    hand.addRoundedRect(QRectF(14.5, 9, 4.5, 9), 2.2, 2.2); // middle finger
    hand.addRoundedRect(QRectF(18.5, 10, 4.5, 9), 2.2, 2.2);
    hand.addRoundedRect(QRectF(22.5, 11.5, 4, 8), 2, 2);
    QPainterPath palm;
    palm.moveTo(10, 14);
    palm.lineTo(5, 12);
    palm.quadTo(3, 13, 4.5, 16);
    palm.lineTo(10, 25);
    palm.lineTo(12, 29);
    palm.lineTo(25, 29);
    palm.lineTo(26.5, 19);
    palm.closeSubpath();
    hand = hand.united(palm);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    // Finger gaps.
    p.drawLine(QPointF(15, 12), QPointF(15, 18));
    p.drawLine(QPointF(19, 12), QPointF(19, 18));
    p.drawLine(QPointF(23, 13), QPointF(23, 19));
    p.end();
    return QCursor(pixmap, 12, 1);
}

// The text cursor: an I-beam with serifs.
QCursor textCursor() {
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    QPainterPath beam;
    beam.addRect(QRectF(15, 7, 1, 18));
    beam.addRect(QRectF(12, 6, 3, 1));
    beam.addRect(QRectF(16, 6, 3, 1));
    beam.addRect(QRectF(12, 25, 3, 1));
    beam.addRect(QRectF(16, 25, 3, 1));
    strokeAndFill(p, beam);
    p.end();
    return QCursor(pixmap, 15, 16);
}

void addTriangle(QPainterPath& path, bool up, double tipY) {
    const double baseY = up ? tipY + 7 : tipY - 7;
    path.moveTo(16, tipY);
    path.lineTo(23, baseY);
    path.lineTo(9, baseY);
    path.closeSubpath();
}

// The scroll cursors: a centre dot with triangles pointing where the view may move.
QCursor scrollCursor(bool up, bool down) {
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addEllipse(QPointF(16, 16), 3, 3);
    if (up) {
        addTriangle(shape, true, 2);
    }
    if (down) {
        addTriangle(shape, false, 30);
    }
    strokeAndFill(p, shape);
    p.end();
    return QCursor(pixmap, 16, 16);
}

struct CursorSet {
    std::array<QCursor, 6> cursors;
    CursorSet() {
        cursors[0] = QCursor(Qt::ArrowCursor);
        cursors[crLinkHand] = linkHand();
        cursors[crTextCursor] = textCursor();
        cursors[crUpDownCursor] = scrollCursor(true, true);
        cursors[crUpOnlyCursor] = scrollCursor(true, false);
        cursors[crDownOnlyCursor] = scrollCursor(false, true);
    }
};

CursorSet& cursorSet() {
    static CursorSet* set = new CursorSet; // lives as long as the program
    return *set;
}

} // namespace

const QCursor& CustomCursor(int number) {
    CursorSet& set = cursorSet();
    return set.cursors[number >= 1 && number <= 5 ? size_t(number) : 0];
}

int CustomCursorNumber(const QCursor& cursor) {
    if (cursor.shape() != Qt::BitmapCursor) {
        return 0;
    }
    const CursorSet& set = cursorSet();
    const qint64 key = cursor.pixmap().cacheKey();
    for (int i = 1; i <= 5; ++i) {
        if (set.cursors[size_t(i)].pixmap().cacheKey() == key) {
            return i;
        }
    }
    return 0;
}

} // namespace tavlin
