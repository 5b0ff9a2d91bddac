#include "BitmapPrint.h"
#include "GifWriter.h"

#include "images/Display.h"
#include "images/ImageCache.h"
#include "images/ImageLoader.h"
#include "images/ImageTypes.h"
#include "platform/qt/QtImageDecoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>

using namespace tavlin;

namespace {

namespace fs = std::filesystem;

std::string pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string bmpOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// A picture whose lower-left pixel is magenta and whose other pixels are not.
QImage cornerPicture() {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(0, 2, qRgb(255, 0, 255));
    image.setPixel(3, 0, qRgb(255, 0, 255));
    return image;
}

std::string gifBytes(int frames, int transparent) {
    giftest::Gif g;
    g.width = 3;
    g.height = 2;
    g.globalTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < frames; ++i) {
        giftest::Frame f = giftest::frameOf(0, 0, 3, 2, [i](int x, int) { return (x + i) % 4; });
        f.transparent = transparent;
        g.frames.push_back(f);
    }
    return giftest::encode(g);
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        QtImageDecoder::install();
        dir_ = fs::temp_directory_path() / ("tavlin-images-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        setDisplayDepth(DisplayDepth::TrueColor);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    fs::path dir_;
};

} // namespace

TEST(ImageTypes, SniffedFromTheFirstBytes) {
    EXPECT_EQ(sniffImageType("GIF89a..."), ImageType::GIF89a);
    EXPECT_EQ(sniffImageType("GIF87a"), ImageType::GIF87a);
    EXPECT_EQ(sniffImageType("GIF8"), ImageType::GIF87a);
    EXPECT_EQ(sniffImageType("GIF"), ImageType::Unknown);
    EXPECT_EQ(sniffImageType("BM"), ImageType::BMP);
    EXPECT_EQ(sniffImageType("\x89PNG\r\n"), ImageType::PNG);
    EXPECT_EQ(sniffImageType("\xFF\xD8\xFF"), ImageType::JPEG);
    EXPECT_EQ(sniffImageType("\xFF"), ImageType::Unknown);
    EXPECT_EQ(sniffImageType(""), ImageType::Unknown);
    EXPECT_STREQ(imageTypeName(ImageType::GIF89a), "GIF89a");
    EXPECT_EQ(fileExtension("a/b.c/Pic.GIF"), ".GIF");
    EXPECT_EQ(fileExtension("a.b/pic"), "");
}

TEST(ImageTypes, MasksFromTheLowerLeftPixelOrAGivenColour) {
    Bitmap b(3, 2, 0xFF102030u);
    b.setPixel(0, 1, 0xFFFF00FFu);
    b.setPixel(2, 0, 0xFFFF00FFu);
    const Mask corner = makeMask(b);
    EXPECT_TRUE(corner.isTransparent(0, 1));
    EXPECT_TRUE(corner.isTransparent(2, 0));
    EXPECT_FALSE(corner.isTransparent(1, 0));
    const Mask given = makeMask(b, rgb(0x10, 0x20, 0x30));
    EXPECT_FALSE(given.isTransparent(0, 1));
    EXPECT_TRUE(given.isTransparent(1, 1));
    EXPECT_EQ(makeMask(Bitmap()).width(), 0);
}

TEST(ImageTypes, TransparentColourDeclaredByGifAndPngFiles) {
    int t = 0;
    // GIF89a: the graphic control block right after the global table names index 2 (green).
    std::optional<Color> c = transparentColorOfFile(".GIF", gifBytes(1, 2), t);
    EXPECT_EQ(t, TGif);
    EXPECT_EQ(c, rgb(0, 255, 0));
    t = 0;
    EXPECT_FALSE(transparentColorOfFile(".gif", gifBytes(1, -1), t));
    EXPECT_EQ(t, 0);
    std::string g87 = gifBytes(1, 2);
    g87[4] = '7';
    EXPECT_FALSE(transparentColorOfFile(".gif", g87, t));
    EXPECT_FALSE(transparentColorOfFile(".bmp", gifBytes(1, 2), t));

    // PNG with a palette whose tRNS has 2 entries: the colour is palette entry 1.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(1, 2, 3, 255), qRgba(200, 100, 50, 0), qRgba(9, 9, 9, 255)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    const std::string png = pngOf(indexed);
    t = 0;
    c = transparentColorOfFile(".png", png, t);
    if (png.find("tRNS") != std::string::npos) {
        EXPECT_EQ(t, TPng);
        const size_t trns = png.find("tRNS");
        const int entries = uint8_t(png[trns - 1]);
        const Color expected = entries == 2 ? rgb(200, 100, 50) : entries == 1 ? rgb(1, 2, 3) : c.value_or(0);
        EXPECT_EQ(c, expected);
    }
    // A truecolour PNG without tRNS: nothing; an RGBA one stops after IHDR.
    t = 0;
    EXPECT_FALSE(transparentColorOfFile(".png", pngOf(cornerPicture()), t));
    QImage rgba(2, 2, QImage::Format_ARGB32);
    rgba.fill(qRgba(0, 0, 0, 0));
    EXPECT_FALSE(transparentColorOfFile(".png", pngOf(rgba), t));
    EXPECT_EQ(t, 0);
    EXPECT_FALSE(transparentColorOfFile(".png", std::string("\x89PNG\r\n\x1A\n\xFF\xFF\xFF\xFFIHDR", 16), t));
}

TEST(SpecialPictures, SixteenBySixteenWithTheErrorMask) {
    EXPECT_EQ(placeholderPicture().width(), 16);
    EXPECT_EQ(errorPicture().height(), 16);
    EXPECT_EQ(errorPictureMask().width(), 16);
    EXPECT_TRUE(errorPictureMask().isTransparent(0, 0));
    EXPECT_FALSE(errorPictureMask().isTransparent(5, 5));
    EXPECT_NE(placeholderPicture(), errorPicture());
}

TEST_F(Files, PngKeepsItsAlphaAndBmpLoadsAsIs) {
    QImage rgba(3, 1, QImage::Format_ARGB32);
    rgba.setPixel(0, 0, qRgba(255, 0, 0, 255));
    rgba.setPixel(1, 0, qRgba(0, 255, 0, 128));
    rgba.setPixel(2, 0, qRgba(0, 0, 255, 0));
    int t = 0;
    std::optional<LoadedBitmap> png = loadPictureFile(write("a.png", pngOf(rgba)), t);
    ASSERT_TRUE(png);
    EXPECT_TRUE(png->picture.hasAlpha);
    EXPECT_EQ(png->picture.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(png->picture.pixel(1, 0) >> 24, 128u);
    EXPECT_EQ(t, 0);

    t = LLCorner;
    std::optional<LoadedBitmap> bmp = loadPictureFile(write("c.bmp", bmpOf(cornerPicture())), t);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(t, LLCorner);
    ASSERT_TRUE(bmp->mask);
    EXPECT_TRUE(bmp->mask->isTransparent(3, 0));
    EXPECT_FALSE(bmp->mask->isTransparent(1, 1));

    t = 0;
    EXPECT_FALSE(loadPictureFile((dir_ / "missing.bmp").string(), t));
    EXPECT_FALSE(loadPictureFile(write("junk.bmp", "BMjunk"), t));
    EXPECT_FALSE(loadPictureStream("BM short", t));
    t = LLCorner;
    std::optional<LoadedBitmap> stream = loadPictureStream(bmpOf(cornerPicture()), t);
    ASSERT_TRUE(stream);
    EXPECT_TRUE(stream->mask->isTransparent(0, 2));
}

TEST_F(Files, DisplayConversionOnPaletteScreens) {
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.setPixel(x, y, qRgb(x * 16, y * 16, 77));
        }
    }
    const std::string path = write("g.bmp", bmpOf(image));
    setDisplayDepth(DisplayDepth::Colors16);
    int t = 0;
    std::optional<LoadedBitmap> loaded = loadPictureFile(path, t);
    ASSERT_TRUE(loaded);
    const std::set<uint32_t> sys(systemPalette20().begin(), systemPalette20().end());
    for (uint32_t p : loaded->picture.pixels()) {
        EXPECT_TRUE(sys.count(p));
    }
}

TEST_F(Files, GetImageCachesByNameAndFlattensSingleFrameGifs) {
    TStringBitmapList cache;
    const std::string one = write("one.gif", gifBytes(1, 0));
    int t = 0;
    ImageFetch a = GetImage(cache, one, t);
    ASSERT_TRUE(a.picture());
    EXPECT_FALSE(a.fromCache);
    ASSERT_TRUE(a.picture()->bitmap);           // one frame: a plain bitmap
    EXPECT_EQ(t, TGif);                         // with the GIF's own mask
    EXPECT_TRUE(a.mask()->isTransparent(0, 0)); // index 0
    EXPECT_EQ(a.item->UseCount, 1);

    // Same name in another case with blanks around it: the same entry.
    int t2 = 0;
    ImageFetch b = GetImage(cache, "  " + one.substr(0, one.size() - 3) + "GIF \t", t2);
    EXPECT_EQ(cache.Count(), 1);
    (void)b;
    int t3 = 0;
    ImageFetch c = GetImage(cache, one, t3);
    EXPECT_TRUE(c.fromCache);
    EXPECT_EQ(c.item, a.item);
    EXPECT_EQ(t3, TGif);
    EXPECT_EQ(c.item->UseCount, 3);

    // Several frames: the GIF itself, handling its own transparency.
    int t4 = 0;
    ImageFetch anim = GetImage(cache, write("two.gif", gifBytes(2, -1)), t4);
    ASSERT_TRUE(anim.picture()->gif);
    EXPECT_EQ(anim.picture()->gif->FrameCount(), 2);
    EXPECT_EQ(anim.mask(), nullptr);

    // A plain bitmap fetched again with TRANSP gets its lower-left mask then.
    const std::string bmp = write("c.bmp", bmpOf(cornerPicture()));
    int t5 = 0;
    GetImage(cache, bmp, t5);
    int t6 = LLCorner;
    ImageFetch masked = GetImage(cache, bmp, t6);
    ASSERT_NE(masked.mask(), nullptr);
    EXPECT_EQ(masked.item->Transp, LLCorner);

    int t7 = 0;
    EXPECT_FALSE(GetImage(cache, (dir_ / "none.png").string(), t7).item);
    EXPECT_FALSE(GetImage(cache, "", t7).item);
    // A corrupt GIF falls through to file loading and fails there too.
    EXPECT_FALSE(GetImage(cache, write("bad.gif", "GIF89a\x01\0\x01\0\0\0\0\x21\x99"), t7).item);
}

TEST(GetImageHandlers, BitmapAndStreamRequests) {
    TStringBitmapList cache;
    ImageRequestHandlers bitmaps;
    bitmaps.OnBitmapRequest = [](const std::string& name, Color& colour) -> std::optional<Bitmap> {
        if (name == "none") {
            return std::nullopt;
        }
        Bitmap b(2, 2, 0xFF0000FFu);
        b.setPixel(1, 1, 0xFFFFFFFFu);
        if (name == "keyed") {
            colour = rgb(255, 255, 255);
        }
        return b;
    };
    int t = 0;
    ImageFetch keyed = GetImage(cache, "keyed", t, bitmaps);
    EXPECT_EQ(t, TGif);
    EXPECT_TRUE(keyed.mask()->isTransparent(1, 1));
    EXPECT_EQ(keyed.item->Transp, TGif);
    t = 0;
    EXPECT_EQ(GetImage(cache, "plain", t, bitmaps).mask(), nullptr);
    EXPECT_FALSE(GetImage(cache, "none", t, bitmaps).item);

    ImageRequestHandlers streams;
    streams.OnImageRequest = [](const std::string& name) {
        ImageRequestHandlers::Stream s;
        s.wait = name == "later";
        if (name == "anim") {
            s.bytes = gifBytes(3, -1);
        } else if (name == "png") {
            QImage image(2, 2, QImage::Format_RGB32);
            image.fill(qRgb(1, 2, 3));
            s.bytes = pngOf(image);
        }
        return s;
    };
    QtImageDecoder::install();
    t = 0;
    ImageFetch later = GetImage(cache, "later", t, streams);
    EXPECT_TRUE(later.pending);
    EXPECT_FALSE(later.item);
    ImageFetch anim = GetImage(cache, "anim", t, streams);
    ASSERT_TRUE(anim.picture() && anim.picture()->gif);
    ImageFetch png = GetImage(cache, "png", t, streams);
    ASSERT_TRUE(png.picture() && png.picture()->bitmap);
    EXPECT_EQ(png.picture()->bitmap->pixel(0, 0), 0xFF010203u);
    EXPECT_FALSE(GetImage(cache, "empty", t, streams).item);
}

TEST(ImageCache, AgeingAndImageCacheCount) {
    TStringBitmapList cache;
    auto add = [&](const std::string& name) {
        LoadedPicture p;
        p.bitmap = std::make_unique<Bitmap>(1, 1);
        cache.Add(name, std::move(p), nullptr, 0);
    };
    add("a");
    add("b");
    add("c");
    cache.DecUsage("a"); // a and b are no longer shown; c still is
    cache.DecUsage("B ");
    EXPECT_EQ(cache.MaxIdle(), 5);
    for (int load = 1; load <= 5; ++load) {
        cache.BumpAndCheck();
    }
    EXPECT_EQ(cache.Count(), 3);   // idle 5 is not more than 5
    EXPECT_TRUE(cache.Fetch("b")); // fetched again: idle 0, in use
    cache.DecUsage("b");
    cache.BumpAndCheck();
    EXPECT_EQ(cache.Count(), 2); // a went (idle 6), b stays (idle 1), c is in use
    EXPECT_FALSE(cache.Find("A"));

    cache.SetCacheCount(0); // b (idle 1, unused) goes at once
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_TRUE(cache.Find("c"));
    cache.SetCacheCount(99);
    EXPECT_EQ(cache.MaxIdle(), 20);
    cache.SetCacheCount(-3);
    EXPECT_EQ(cache.MaxIdle(), 0);
    cache.IncUsage("c");
    EXPECT_EQ(cache.Find("c")->UseCount, 2);
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(TStringBitmapList::Key(" \x01pic.Gif\x20\x1f"), "PIC.GIF");
}
