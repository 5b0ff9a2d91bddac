// Draws Tavlin's own icon and logo into this folder. Not part of the build; run it by hand after
// changing the drawing:
//   g++ -std=c++20 -fPIC draw_artwork.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_artwork
//   QT_QPA_PLATFORM=offscreen /tmp/draw_artwork resources/
// The motif: a listing page with lines of entries, a bookmark ribbon hanging over its top edge.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace {

void drawPage(QPainter& p, const QRectF& page) {
    const double u = page.width() / 10.0;
    p.setPen(QPen(QColor(40, 60, 110), u * 0.35));
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(page, u * 0.6, u * 0.6);
    // Lines of the listing: a folder heading, then indented entries with their addresses.
    const double left = page.left() + u * 1.2;
    const double width = page.width() - u * 2.4;
    double y = page.top() + u * 4.0;
    const double step = u * 1.45;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6 && y < page.bottom() - u * 0.8; ++i, y += step) {
        const bool heading = i == 0 || i == 3;
        const double indent = heading ? 0 : u * 0.9;
        const double length = heading ? width * 0.55 : width * (i % 2 ? 0.85 : 0.7) - indent;
        p.setBrush(heading ? QColor(40, 60, 110) : QColor(30, 90, 220));
        p.drawRoundedRect(QRectF(left + indent, y, length, u * 0.6), u * 0.3, u * 0.3);
    }
}

void drawRibbon(QPainter& p, const QRectF& page) {
    const double u = page.width() / 10.0;
    const double x = page.right() - u * 3.6;
    const double top = page.top() - u * 0.8;
    const double w = u * 2.2;
    const double h = u * 4.2;
    QPainterPath ribbon;
    ribbon.moveTo(x, top);
    ribbon.lineTo(x + w, top);
    ribbon.lineTo(x + w, top + h);
    ribbon.lineTo(x + w / 2, top + h - u * 1.1);
    ribbon.lineTo(x, top + h);
    ribbon.closeSubpath();
    QLinearGradient shade(x, 0, x + w, 0);
    shade.setColorAt(0, QColor(230, 60, 50));
    shade.setColorAt(1, QColor(180, 30, 30));
    p.setPen(QPen(QColor(120, 20, 20), u * 0.2));
    p.setBrush(shade);
    p.drawPath(ribbon);
}

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double m = size * 0.12;
    drawPage(p, QRectF(m + size * 0.04, m, size - 2 * m - size * 0.08, size - 2 * m + size * 0.06));
    drawRibbon(p, QRectF(m + size * 0.04, m, size - 2 * m - size * 0.08, size - 2 * m));
    return image;
}

QImage drawLogo() {
    const int w = 112;
    const int h = 112;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(70, 120, 210));
    sky.setColorAt(1, QColor(25, 50, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, w - 4, h - 4), 14, 14);
    const QRectF page(28, 18, 56, 62);
    drawPage(p, page);
    drawRibbon(p, page);
    QFont font("Liberation Sans", 13, QFont::Bold);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(0, 82, w, 26), Qt::AlignCenter, "Tavlin");
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
    // The hicolor theme's usual sizes; the window uses 16 to 128 from the resources.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        drawIcon(size).save(QString("%1/icon-%2.png").arg(dir).arg(size));
    }
    drawLogo().save(dir + "/logo.png");
    return 0;
}
