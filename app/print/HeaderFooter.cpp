#include "app/print/HeaderFooter.h"

#include "platform/System.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <algorithm>

namespace tavlin {

namespace {

constexpr QPoint kMarkAt{50, 40};
constexpr double kMarkPoints = 8;

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

QFont markFont() {
    QFont font(QStringLiteral("Arial"));
    // Points at the screen's resolution: the canvas counts screen pixels.
    font.setPixelSize(pointsToPixels(kMarkPoints));
    return font;
}

std::string timestamp() {
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat).toStdString();
}

// Draws the text with its left end at x and its baseline `baselineFromTop(metrics)` below y.
template <typename Baseline> void drawMark(QPainter& canvas, const std::string& text, Baseline baseline) {
    const QFont font = markFont();
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    const QFontMetrics metrics(font, canvas.device());
    canvas.drawText(QPoint(kMarkAt.x(), baseline(metrics)), QString::fromStdString(text));
}

} // namespace

std::string ReplaceFirst(std::string text, std::string_view token, std::string_view value) {
    if (token.empty()) {
        return text;
    }
    const auto same = [](char a, char b) { return upper(a) == upper(b); };
    const auto at = std::search(text.begin(), text.end(), token.begin(), token.end(), same);
    if (at != text.end()) {
        text.replace(size_t(at - text.begin()), token.size(), value);
    }
    return text;
}

std::string PageMarkText(const std::string& text, int page, const std::string& fileName) {
    std::string result = ReplaceFirst(text, "#PAGENUM", std::to_string(page));
    result = ReplaceFirst(std::move(result), "#TIMESTAMP", timestamp());
    return ReplaceFirst(std::move(result), "#FILENAME", fileName);
}

void DrawPageHeader(QPainter& canvas, const std::string& text) {
    canvas.setBackgroundMode(Qt::TransparentMode);
    drawMark(canvas, text, [](const QFontMetrics& m) { return kMarkAt.y() + m.ascent(); });
}

void DrawPageFooter(QPainter& canvas, const std::string& text) {
    drawMark(canvas, text, [](const QFontMetrics& m) { return kMarkAt.y() - m.descent(); });
}

} // namespace tavlin
