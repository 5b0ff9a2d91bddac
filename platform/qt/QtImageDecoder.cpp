#include "platform/qt/QtImageDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

namespace tavlin {

std::optional<Bitmap> QtImageDecoder::decode(std::string_view bytes, long long maxPixels,
                                             std::string& error) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        error = reader.canRead() ? "Picture has no size" : reader.errorString().toStdString();
        return std::nullopt;
    }
    if (qint64(size.width()) * size.height() > maxPixels) {
        error = "Picture too large";
        return std::nullopt;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        error = reader.errorString().toStdString();
        return std::nullopt;
    }
    const bool alpha = image.hasAlphaChannel();
    image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Bitmap out(image.width(), image.height());
    out.hasAlpha = alpha;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        uint32_t* row = out.row(y);
        for (int x = 0; x < image.width(); ++x) {
            row[x] = alpha ? line[x] : (line[x] | 0xFF000000u);
        }
    }
    return out;
}

void QtImageDecoder::install() {
    static QtImageDecoder decoder;
    // Our own limit (maxPixels) is the one that counts; Qt's default would stop short of it.
    QImageReader::setAllocationLimit(512);
    setImageDecoder(&decoder);
}

} // namespace tavlin
