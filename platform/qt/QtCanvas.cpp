#include "platform/qt/QtCanvas.h"

#include "platform/CodePage.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <list>
#include <memory>
#include <unordered_map>

namespace tavlin {

// One font as the canvas uses it: the resolved face, its metrics and the advance of every
// character met so far, with the fallback faces that draw the characters the face lacks.
// Entries live for the program's run; a bounded list keeps the most recently used ones.
class QtFontEntry {
public:
    explicit QtFontEntry(const FontDesc& desc) : desc_(desc) {
        font_.setFamily(QString::fromStdString(desc.name));
        font_.setPixelSize(std::max(desc.height, 1));
        font_.setBold(desc.bold());
        font_.setItalic(desc.italic());
        font_.setKerning(false);
        font_.setStyleStrategy(QFont::PreferDefault);
        raw_ = QRawFont::fromFont(font_);
        const QFontMetrics qm(font_);
        metrics_.ascent = qCeil(raw_.ascent());
        metrics_.descent = qCeil(raw_.descent());
        metrics_.height = metrics_.ascent + metrics_.descent;
        metrics_.internalLeading = std::max(metrics_.height - std::max(desc.height, 1), 0);
        metrics_.externalLeading = std::max(qRound(raw_.leading()), 0);
        metrics_.aveCharWidth = qRound(raw_.averageCharWidth());
        metrics_.maxCharWidth = qRound(raw_.maxCharWidth());
        metrics_.overhang = 0;
        underlinePos_ = std::max(qm.underlinePos(), 1);
        strikeOutPos_ = qm.strikeOutPos();
        lineWidth_ = std::max(qm.lineWidth(), 1);
        single_.fill(Glyph{0, -1, 0});
    }

    const FontDesc& desc() const { return desc_; }
    const FontMetrics& metrics() const { return metrics_; }
    const QRawFont& raw() const { return raw_; }
    int underlinePos() const { return underlinePos_; }
    int strikeOutPos() const { return strikeOutPos_; }
    int lineWidth() const { return lineWidth_; }

    // Glyph and advance of one code point, cached, with the face that draws it: 0 the font's own,
    // others a fallback face for characters it lacks.
    struct Glyph {
        quint32 index;
        int advance;
        int face;
    };
    Glyph glyph(char32_t cp) {
        if (cp < 256 && single_[cp].advance >= 0) {
            return single_[cp];
        }
        auto it = others_.find(cp);
        if (it != others_.end()) {
            return it->second;
        }
        const Glyph g = lookUp(cp);
        if (cp < 256) {
            single_[cp] = g;
        } else {
            others_.emplace(cp, g);
        }
        return g;
    }
    const QRawFont& face(int index) const { return index == 0 ? raw_ : fallbacks_[size_t(index - 1)]; }

    // The advance of each byte that is a character of its own in the font's character set, so
    // that measuring plain text needs neither decoding nor a glyph lookup per character.
    struct ByteAdvances {
        std::array<int, 256> advance;
        unsigned limit; // bytes from here on need decoding
    };
    const ByteAdvances& byteAdvances() {
        if (!byteAdvances_) {
            const SingleByteChars chars = singleByteChars(desc_.charSet);
            auto table = std::make_unique<ByteAdvances>();
            table->limit = chars.limit;
            for (unsigned b = 0; b < 256; ++b) {
                table->advance[b] = b < chars.limit ? glyph(chars.codePoints[b]).advance : 0;
            }
            byteAdvances_ = std::move(table);
        }
        return *byteAdvances_;
    }

private:
    Glyph lookUp(char32_t cp) {
        // Tabs and other control characters have no glyph; they measure as a space.
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0xA0) {
            cp = ' ';
        }
        if (!raw_.supportsCharacter(cp)) {
            if (const int fallback = fallbackFaceFor(cp); fallback > 0) {
                return glyphIn(fallback, cp);
            }
        }
        return glyphIn(0, cp); // the face's own glyph, or its box for a character none has
    }

    Glyph glyphIn(int faceIndex, char32_t cp) const {
        const QRawFont& f = face(faceIndex);
        const QList<quint32> indexes = f.glyphIndexesForString(QString::fromUcs4(&cp, 1));
        if (indexes.isEmpty()) {
            return {0, 0, 0};
        }
        const QList<QPointF> advances = f.advancesForGlyphIndexes(indexes.mid(0, 1));
        return {indexes[0], advances.isEmpty() ? 0 : qRound(advances[0].x()), faceIndex};
    }

    // The face fontconfig picks for a character this font lacks, as Qt's own text layout asks
    // for it; 0 when no installed face has the character.
    int fallbackFaceFor(char32_t cp) {
        QTextLayout layout(QString::fromUcs4(&cp, 1), font_);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QRawFont picked = run.rawFont();
            if (!picked.isValid() || !picked.supportsCharacter(cp)) {
                continue;
            }
            const auto known = std::find(fallbacks_.begin(), fallbacks_.end(), picked);
            if (known != fallbacks_.end()) {
                return int(known - fallbacks_.begin()) + 1;
            }
            fallbacks_.push_back(picked);
            return int(fallbacks_.size());
        }
        return 0;
    }

    FontDesc desc_;
    QFont font_;
    QRawFont raw_;
    std::vector<QRawFont> fallbacks_;
    FontMetrics metrics_;
    int underlinePos_ = 1;
    int strikeOutPos_ = 0;
    int lineWidth_ = 1;
    std::array<Glyph, 256> single_{};
    std::unordered_map<char32_t, Glyph> others_;
    std::unique_ptr<ByteAdvances> byteAdvances_;
};

namespace {

struct FontDescHash {
    size_t operator()(const FontDesc& d) const {
        return std::hash<std::string>()(d.name) ^ (size_t(d.height) << 8) ^ (size_t(d.style) << 24) ^
               (size_t(d.charSet) << 28);
    }
};

// Counts the times the shared entries were dropped: a canvas holding an entry of an earlier
// generation must look it up again.
uint64_t gEntryGeneration = 0;

// All canvases share the font entries; a few hundred fonts cover any real document.
QtFontEntry& fontEntryFor(const FontDesc& desc) {
    static std::unordered_map<FontDesc, std::unique_ptr<QtFontEntry>, FontDescHash> entries;
    auto it = entries.find(desc);
    if (it == entries.end()) {
        if (entries.size() > 1000) {
            entries.clear();
            ++gEntryGeneration;
        }
        it = entries.emplace(desc, std::make_unique<QtFontEntry>(desc)).first;
    }
    return *it->second;
}

// Bytes to glyphs with whole-pixel advances; a multi-byte character's advance goes to its first byte.
template <typename Visit>
void forEachGlyph(QtFontEntry& entry, std::string_view text, Visit visit) {
    thread_local std::vector<DecodedChar> chars;
    decodeText(text, entry.desc().charSet, chars);
    for (const DecodedChar& d : chars) {
        visit(d, entry.glyph(d.codePoint));
    }
}

} // namespace

// Without a clip of its own the canvas draws everywhere the painter does.
QtCanvas::QtCanvas(QPainter& painter)
    : painter_(painter), clip_{INT_MIN / 4, INT_MIN / 4, INT_MAX / 4, INT_MAX / 4} {}

QtCanvas::~QtCanvas() = default;

QtFontEntry& QtCanvas::entry() {
    SelectedFont& selected = fonts_[current_];
    if (!selected.entry || generation_ != gEntryGeneration) {
        fonts_[current_ ^ 1].entry = nullptr;
        selected.entry = &fontEntryFor(selected.desc);
        generation_ = gEntryGeneration;
    }
    return *selected.entry;
}

// Text and link text alternate line by line, so the font before the current one is kept too:
// switching back to it is a compare, not a lookup.
void QtCanvas::setFont(const FontDesc& font) {
    if (generation_ != gEntryGeneration) {
        fonts_[0].entry = fonts_[1].entry = nullptr;
        generation_ = gEntryGeneration;
    }
    if (fonts_[current_].entry && font == fonts_[current_].desc) {
        return;
    }
    current_ ^= 1;
    SelectedFont& selected = fonts_[current_];
    if (selected.entry && font == selected.desc) {
        return;
    }
    selected.desc = font;
    selected.entry = &fontEntryFor(font);
    if (generation_ != gEntryGeneration) {
        fonts_[current_ ^ 1].entry = nullptr; // dropped by the lookup just made
        generation_ = gEntryGeneration;
    }
}

FontMetrics QtCanvas::fontMetrics() { return entry().metrics(); }

namespace {

// Measures the leading bytes that are characters of their own from the byte table, calling
// visit(i, x) with each byte's end; returns how many it took. The rest starts a character.
template <typename Visit>
size_t measureSingleBytes(const QtFontEntry::ByteAdvances& table, std::string_view text, int& x,
                          Visit visit) {
    size_t i = 0;
    for (; i < text.size(); ++i) {
        const auto b = uint8_t(text[i]);
        if (b >= table.limit) {
            break;
        }
        x += table.advance[b];
        visit(i, x);
    }
    return i;
}

} // namespace

Size QtCanvas::textExtent(std::string_view text) {
    QtFontEntry& e = entry();
    int width = 0;
    const size_t plain = measureSingleBytes(e.byteAdvances(), text, width, [](size_t, int) {});
    if (plain < text.size()) {
        forEachGlyph(e, text.substr(plain),
                     [&](const DecodedChar&, const QtFontEntry::Glyph& g) { width += g.advance; });
    }
    return {width, e.metrics().height};
}

void QtCanvas::characterEnds(std::string_view text, std::vector<int>& ends) {
    ends.resize(text.size());
    QtFontEntry& e = entry();
    int x = 0;
    const size_t plain =
        measureSingleBytes(e.byteAdvances(), text, x, [&](size_t i, int end) { ends[i] = end; });
    if (plain == text.size()) {
        return;
    }
    forEachGlyph(e, text.substr(plain), [&](const DecodedChar& d, const QtFontEntry::Glyph& g) {
        x += g.advance;
        for (uint32_t k = 0; k < d.length; ++k) {
            ends[plain + d.offset + k] = x;
        }
    });
}

const int* QtCanvas::byteAdvances(unsigned& limit) {
    const QtFontEntry::ByteAdvances& table = entry().byteAdvances();
    limit = table.limit;
    return table.advance.data();
}

QColor QtCanvas::toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

Color QtCanvas::fromQColor(const QColor& c) {
    return rgb(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

void QtCanvas::textOut(int x, int baselineY, std::string_view text) {
    QtFontEntry& e = entry();
    // One glyph run per face: characters the font lacks are drawn by their fallback faces, at the
    // advances measured with those faces.
    struct FaceRun {
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    thread_local std::vector<FaceRun> runs;
    for (FaceRun& run : runs) {
        run.glyphs.clear();
        run.positions.clear();
    }
    int advance = 0;
    forEachGlyph(e, text, [&](const DecodedChar&, const QtFontEntry::Glyph& g) {
        if (size_t(g.face) >= runs.size()) {
            runs.resize(size_t(g.face) + 1);
        }
        runs[size_t(g.face)].glyphs.push_back(g.index);
        runs[size_t(g.face)].positions.push_back(QPointF(advance, 0));
        advance += g.advance;
    });
    const FontMetrics& m = e.metrics();
    if (bkMode_ == BkMode::Opaque && bkColor_ != clNone) {
        fillRect(Rect{x, baselineY - m.ascent, x + advance, baselineY + m.descent}, bkColor_);
    }
    if (textColor_ == clNone) {
        return;
    }
    const QColor color = toQColor(textColor_);
    painter_.setPen(color);
    for (size_t face = 0; face < runs.size(); ++face) {
        if (runs[face].glyphs.isEmpty()) {
            continue;
        }
        QGlyphRun run;
        run.setRawFont(e.face(int(face)));
        run.setGlyphIndexes(runs[face].glyphs);
        run.setPositions(runs[face].positions);
        painter_.drawGlyphRun(QPointF(x, baselineY), run);
    }
    if (font().underline()) {
        painter_.fillRect(QRect(x, baselineY + e.underlinePos(), advance, e.lineWidth()), color);
    }
    if (font().strikeOut()) {
        painter_.fillRect(QRect(x, baselineY - e.strikeOutPos(), advance, e.lineWidth()), color);
    }
}

void QtCanvas::fillRect(const Rect& r, Color color) {
    if (color == clNone || r.isEmpty()) {
        return;
    }
    painter_.fillRect(QRect(r.left, r.top, r.width(), r.height()), toQColor(color));
}

void QtCanvas::frameRect(const Rect& r, Color color, int width) {
    if (r.isEmpty() || width <= 0) {
        return;
    }
    const int w = std::min({width, r.width(), r.height()});
    fillRect({r.left, r.top, r.right, r.top + w}, color);
    fillRect({r.left, r.bottom - w, r.right, r.bottom}, color);
    fillRect({r.left, r.top + w, r.left + w, r.bottom - w}, color);
    fillRect({r.right - w, r.top + w, r.right, r.bottom - w}, color);
}

void QtCanvas::drawLine(int x1, int y1, int x2, int y2, Color color, int width, PenStyle style) {
    if (color == clNone || style == PenStyle::None) {
        return;
    }
    QPen pen(toQColor(color));
    pen.setWidth(std::max(width, 1));
    pen.setCapStyle(Qt::FlatCap);
    pen.setStyle(style == PenStyle::Dash ? Qt::DashLine : style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    painter_.setPen(pen);
    painter_.drawLine(x1, y1, x2, y2);
}

void QtCanvas::drawEllipse(const Rect& r, Color pen, Color fill) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(pen == clNone ? QPen(Qt::NoPen) : QPen(toQColor(pen)));
    painter_.setBrush(fill == clNone ? QBrush(Qt::NoBrush) : QBrush(toQColor(fill)));
    painter_.drawEllipse(QRect(r.left, r.top, r.width() - 1, r.height() - 1));
    painter_.restore();
}

void QtCanvas::drawPolygon(const std::vector<Point>& points, Color pen, Color fill) {
    QPolygon polygon;
    for (const Point& p : points) {
        polygon << QPoint(p.x, p.y);
    }
    painter_.save();
    painter_.setPen(pen == clNone ? QPen(Qt::NoPen) : QPen(toQColor(pen)));
    painter_.setBrush(fill == clNone ? QBrush(Qt::NoBrush) : QBrush(toQColor(fill)));
    painter_.drawPolygon(polygon);
    painter_.restore();
}

void QtCanvas::invertRect(const Rect& r) {
    if (r.isEmpty()) {
        return;
    }
    painter_.save();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.fillRect(QRect(r.left, r.top, r.width(), r.height()), Qt::white);
    painter_.restore();
}

QImage QtCanvas::toQImage(const Bitmap& bitmap) {
    return toQImage(bitmap, bitmap.mask ? &*bitmap.mask : nullptr,
                    Rect{0, 0, bitmap.width(), bitmap.height()});
}

QImage QtCanvas::toQImage(const Bitmap& bitmap, const Mask* mask, const Rect& part) {
    const bool transparent = bitmap.hasAlpha || mask;
    QImage image(part.width(), part.height(), transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    for (int y = part.top; y < part.bottom; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y - part.top));
        const uint32_t* src = bitmap.row(y);
        for (int x = part.left; x < part.right; ++x) {
            uint32_t p = bitmap.hasAlpha ? src[x] : (src[x] | 0xFF000000u);
            if (mask && mask->isTransparent(x, y)) {
                p = 0;
            }
            line[x - part.left] = p;
        }
    }
    return image;
}

// The drawing area in the painter's coordinates: the clip within the device.
Rect QtCanvas::visibleArea() const {
    Rect area = clip_;
    const QPaintDevice* device = painter_.device();
    bool invertible = false;
    const QTransform toUser = painter_.worldTransform().inverted(&invertible);
    if (device && invertible) {
        const QRect bounds = toUser.mapRect(QRect(0, 0, device->width(), device->height()));
        area = area.intersected(
            Rect{bounds.left() - 1, bounds.top() - 1, bounds.right() + 2, bounds.bottom() + 2});
    }
    return area;
}

// Only the part of the picture that lands in the visible area is converted and drawn, so a
// large picture (or one stretched far) costs what shows of it, not its whole size.
void QtCanvas::drawPicture(const Bitmap& bitmap, const Mask* mask, const Rect& source, const Rect& dest) {
    if (bitmap.isEmpty() || source.isEmpty() || dest.isEmpty()) {
        return;
    }
    const Rect src = source.intersected(Rect{0, 0, bitmap.width(), bitmap.height()});
    const Rect visible = dest.intersected(visibleArea());
    if (src.isEmpty() || visible.isEmpty()) {
        return;
    }
    const double sx = double(source.width()) / dest.width();
    const double sy = double(source.height()) / dest.height();
    const auto sourceX = [&](int x) { return source.left + (x - dest.left) * sx; };
    const auto sourceY = [&](int y) { return source.top + (y - dest.top) * sy; };
    const Rect part = Rect{int(std::floor(sourceX(visible.left))), int(std::floor(sourceY(visible.top))),
                           int(std::ceil(sourceX(visible.right))), int(std::ceil(sourceY(visible.bottom)))}
                          .intersected(src);
    if (part.isEmpty()) {
        return;
    }
    const QImage image = toQImage(bitmap, mask, part);
    if (image.isNull()) {
        return;
    }
    const QRectF target(dest.left + (part.left - source.left) / sx, dest.top + (part.top - source.top) / sy,
                        part.width() / sx, part.height() / sy);
    painter_.drawImage(target, image);
}

void QtCanvas::drawBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest) {
    drawPicture(bitmap, bitmap.mask ? &*bitmap.mask : nullptr, source, dest);
}

void QtCanvas::drawMaskedBitmap(const Bitmap& bitmap, const Mask& mask, const Rect& source,
                                const Rect& dest) {
    if (mask.width() != bitmap.width() || mask.height() != bitmap.height()) {
        drawBitmap(bitmap, source, dest);
        return;
    }
    drawPicture(bitmap, &mask, source, dest);
}

void QtCanvas::intersectClip(const Rect& r) {
    clip_ = clip_.intersected(r);
    painter_.setClipRect(QRect(clip_.left, clip_.top, std::max(clip_.width(), 0), std::max(clip_.height(), 0)),
                         Qt::ReplaceClip);
}

Rect QtCanvas::clipBox() const { return clip_; }

void QtCanvas::save() {
    painter_.save();
    clipStack_.push_back(clip_);
}

void QtCanvas::restore() {
    if (clipStack_.empty()) {
        return;
    }
    painter_.restore();
    clip_ = clipStack_.back();
    clipStack_.pop_back();
}

ImageCanvas::ImageCanvas(int width, int height, Color background)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
    image_.fill(QtCanvas::toQColor(background));
    painter_ = std::make_unique<QPainter>(&image_);
    canvas_ = std::make_unique<QtCanvas>(*painter_);
}

ImageCanvas::~ImageCanvas() {
    canvas_.reset();
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
}

const QImage& ImageCanvas::image() {
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
    return image_;
}

} // namespace tavlin
