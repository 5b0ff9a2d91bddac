// Pictures made by the real `tavlin render`, compared with reference pictures that were looked at
// by eye before they were committed. TAVLIN_UPDATE_REFERENCES=1 writes new references instead.
#include "tests/support/QtTestApp.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace tavlin::test {
namespace {

const QString kRenderData = QStringLiteral(TAVLIN_SOURCE_DIR "/tests/data/render/");

struct Rendered {
    int status = -1;
    QString errors;
    QImage image;
};

Rendered render(const QStringList& args, const QString& output) {
    QProcess process;
    process.start(QStringLiteral(TAVLIN_EXE), QStringList{"render"} + args + QStringList{"-o", output});
    process.waitForFinished(60000);
    Rendered result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    result.image = QImage(output);
    return result;
}

// How far two pictures of one size are apart: the share of pixels whose colour differs by more
// than a faint anti-aliasing step in any channel.
double differingShare(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    long differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int d =
                std::max({std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                          std::abs(qBlue(p[col]) - qBlue(q[col]))});
            differing += d > 48 ? 1 : 0;
        }
    }
    return double(differing) / double(std::max(1, x.width() * x.height()));
}

void expectMatchesReference(const QImage& image, const QString& referenceName) {
    const QString reference = kRenderData + referenceName;
    if (std::getenv("TAVLIN_UPDATE_REFERENCES")) {
        ASSERT_TRUE(image.save(reference, "PNG"));
        return;
    }
    const QImage expected(reference);
    ASSERT_FALSE(expected.isNull()) << reference.toStdString();
    ASSERT_EQ(image.size(), expected.size()) << "the layout's height changed";
    EXPECT_LT(differingShare(image, expected), 0.002) << referenceName.toStdString();
}

// The x range of pixels in a row band that are clearly not background.
std::pair<int, int> inkRange(const QImage& image, int top, int bottom, QRgb background) {
    int left = image.width();
    int right = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < qGray(background) - 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += wanted(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return n;
}

class RenderPicture : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApplication(); }
    QString out(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(RenderPicture, TheExampleListingAt600Pixels) {
    const Rendered r =
        render({kRenderData + "example_listing.htm", "--width", "600", "--full"}, out("l.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    ASSERT_EQ(r.image.width(), 600);
    // White like the window's viewer; the centred title; the address in the link colour.
    EXPECT_EQ(r.image.pixel(599, r.image.height() - 1), qRgb(255, 255, 255));
    const auto [left, right] = inkRange(r.image, 0, 60, qRgb(255, 255, 255));
    ASSERT_LT(left, right);
    EXPECT_NEAR((left + right) / 2, 300, 3) << "\"My Links\" stands in the middle";
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.blue() > 150 && c.red() < 80 && c.green() < 80; }),
              50);
    expectMatchesReference(r.image, "example_listing.png");
}

TEST_F(RenderPicture, BorderedTableWithSpansColoursAndACaption) {
    const Rendered r =
        render({kRenderData + "table_bordered.htm", "--width", "500", "--full"}, out("tb.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.rgb() == qRgb(0xCC, 0xCC, 0xFF); }), 2000)
        << "header row";
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.rgb() == qRgb(0, 0x80, 0); }), 1000)
        << "grid colour";
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.rgb() == qRgb(0x80, 0x80, 0x80); }), 300)
        << "frames";
    expectMatchesReference(r.image, "table_bordered.png");
}

TEST_F(RenderPicture, TwoColumnPageWithANavigationTable) {
    const Rendered r = render({kRenderData + "table_columns.htm", "--width", "600", "--full"}, out("tc.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    // The navigation column is dark from the top of the page to the bottom of the row, and the
    // text column beside it starts right of it.
    EXPECT_EQ(r.image.pixel(2, 2), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(r.image.pixel(2, r.image.height() - 2), qRgb(0x33, 0x66, 0x99));
    int leftmostBlack = r.image.width();
    for (int y = 60; y < 90; ++y) {
        for (int x = 0; x < leftmostBlack; ++x) {
            const QColor c = r.image.pixelColor(x, y);
            leftmostBlack = c.red() < 60 && c.green() < 60 && c.blue() < 60 ? x : leftmostBlack;
        }
    }
    EXPECT_GT(leftmostBlack, 140);
    EXPECT_LT(leftmostBlack, 160);
    expectMatchesReference(r.image, "table_columns.png");
}

TEST_F(RenderPicture, HeadingsListsPreFontsAndColours) {
    const Rendered r = render({kRenderData + "styles.htm", "--width", "600", "--full"}, out("s.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    EXPECT_EQ(r.image.pixel(0, 0), qRgb(0xFF, 0xFF, 0xF0)) << "the body's own background";
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.red() > 150 && c.green() < 60 && c.blue() < 60; }),
              30)
        << "red text";
    EXPECT_GT(countPixels(r.image, [](QColor c) { return c.green() > 90 && c.red() < 60 && c.blue() > 90; }),
              30)
        << "teal text";
    expectMatchesReference(r.image, "styles.png");
}

TEST_F(RenderPicture, FormControlsDrawTheirPictures) {
    const Rendered r =
        render({kRenderData + "forms.htm", "--images", "--width", "480", "--full"}, out("f.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    // Sunken boxes: the button shadow's grey frames the white fields.
    EXPECT_GT(countPixels(r.image,
                          [](QColor c) { return c.red() == 0x80 && c.green() == 0x80 && c.blue() == 0x80; }),
              500);
    expectMatchesReference(r.image, "forms.png");
}

// A converted Chrome zh-CN export with Japanese, Korean, Cyrillic, Greek and symbol titles: the
// characters Times New Roman lacks are drawn by the faces fontconfig picks, not as boxes.
TEST_F(RenderPicture, AConvertedCjkListing) {
    const Rendered r = render({kRenderData + "cjk_listing.htm", "--width", "600", "--full"}, out("c.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    expectMatchesReference(r.image, "cjk_listing.png");
}

TEST_F(RenderPicture, APrintedPageOfTheExampleListing) {
    QProcess print;
    print.start(QStringLiteral(TAVLIN_EXE),
                {"print", kRenderData + "example_listing.htm", "--header", "Page #PAGENUM of the list",
                 "--footer", "The footer", "-o", out("p.pdf")});
    ASSERT_TRUE(print.waitForFinished(60000));
    ASSERT_EQ(print.exitCode(), 0) << print.readAllStandardError().toStdString();
    QProcess raster;
    raster.start("pdftoppm",
                 {"-r", "60", "-png", "-singlefile", "-f", "1", "-l", "1", out("p.pdf"), out("page")});
    ASSERT_TRUE(raster.waitForFinished(60000));
    const QImage page(out("page.png"));
    ASSERT_FALSE(page.isNull());
    // The body starts 2 cm (47 pixels at 60 per inch) from the left edge; nothing is left of it
    // but the header and footer, which start 50 screen pixels (31 here) in.
    const auto [left, right] = inkRange(page, 60, page.height() - 60, qRgb(255, 255, 255));
    EXPECT_GE(left, 47);
    EXPECT_LT(right, page.width() - 47);
    EXPECT_NEAR(inkRange(page, 0, 40, qRgb(255, 255, 255)).first, 31, 2) << "the header";
    expectMatchesReference(page, "printed_page.png");
}

// The top-left corner of the n-th ring: the bounding box of its strongly red pixels, rings being
// told apart by a gap of rows without red.
QPoint ringCorner(const QImage& image, int n) {
    const auto red = [&image](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 180 && c.green() < 60 && c.blue() < 60;
    };
    int ring = -1;
    bool inRing = false;
    QPoint corner(image.width(), -1);
    for (int y = 0; y < image.height(); ++y) {
        int left = image.width();
        for (int x = 0; x < image.width(); ++x) {
            if (red(x, y)) {
                left = std::min(left, x);
            }
        }
        const bool hasRed = left < image.width();
        if (hasRed && !inRing) {
            ++ring;
        }
        inRing = hasRed;
        if (hasRed && ring == n) {
            corner.setX(std::min(corner.x(), left));
            corner.setY(corner.y() < 0 ? y : corner.y());
        }
    }
    return corner;
}

TEST_F(RenderPicture, PicturesOverTilesOverColourAndOfEveryFormat) {
    const Rendered r =
        render({kRenderData + "images.htm", "--images", "--width", "400", "--full"}, out("i.png"));
    ASSERT_EQ(r.status, 0) << r.errors.toStdString();
    // The transparent GIF's corners show what lies beneath: the tiles, then the block's colour.
    const QPoint overTiles = ringCorner(r.image, 0);
    ASSERT_GE(overTiles.y(), 0);
    const QRgb tile = r.image.pixel(overTiles);
    EXPECT_TRUE(tile == qRgb(255, 255, 160) || tile == qRgb(160, 220, 160)) << std::hex << tile;
    const QPoint overColour = ringCorner(r.image, 1);
    ASSERT_GE(overColour.y(), 0);
    EXPECT_EQ(r.image.pixel(overColour), qRgb(0x40, 0x80, 0xFF));
    expectMatchesReference(r.image, "images.png");

    const Rendered placeholders = render({kRenderData + "images.htm", "--width", "400"}, out("p.png"));
    ASSERT_EQ(placeholders.status, 0);
    EXPECT_LT(ringCorner(placeholders.image, 0).y(), 0) << "without --images, no picture is drawn";
}

TEST_F(RenderPicture, HeightWidthAndFailures) {
    const Rendered top =
        render({kRenderData + "styles.htm", "--width", "320", "--height", "100"}, out("t.png"));
    ASSERT_EQ(top.status, 0) << top.errors.toStdString();
    EXPECT_EQ(top.image.size(), QSize(320, 100));

    const Rendered missing = render({kRenderData + "no-such-file.htm"}, out("m.png"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.errors.contains("Can't locate file: " + kRenderData + "no-such-file.htm"));
    EXPECT_TRUE(missing.image.isNull());

    const Rendered badWidth = render({kRenderData + "styles.htm", "--width", "0"}, out("w.png"));
    EXPECT_EQ(badWidth.status, 2);
    EXPECT_TRUE(badWidth.errors.contains("--width"));
}

} // namespace
} // namespace tavlin::test
