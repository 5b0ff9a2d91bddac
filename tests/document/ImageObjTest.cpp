// Image objects: attribute rules, sizing, the placeholder box, link frames, the shared cache and
// hostile picture names.
#include "document/ImageObj.h"
#include "images/ImageCache.h"
#include "images/ImageError.h"
#include "reader/Attributes.h"
#include "tests/document/FixedCanvas.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace tavlin::test {
namespace {

const std::string kImages = std::string(TAVLIN_TEST_DATA) + "/images/";

TAttributeList Attrs(std::initializer_list<std::pair<HtmlSymbol, std::string>> values) {
    TAttributeList list;
    for (const auto& [symbol, text] : values) {
        list.Add(TAttribute{symbol, text, int32_t(std::strtol(text.c_str(), nullptr, 10))});
    }
    return list;
}

struct ImageDoc {
    TSectionList doc;
    FixedCanvas canvas;

    std::unique_ptr<TImageObj> Make(std::initializer_list<std::pair<HtmlSymbol, std::string>> values,
                                    int width = 400) {
        auto image = std::make_unique<TImageObj>(&doc, Attrs(values), 0);
        image->Arrange(canvas, width);
        return image;
    }
};

TEST(ImageObj, AttributesAreReadWithinBounds) {
    TSectionList doc;
    const TImageObj floating(&doc, Attrs({{attrALIGN, "left"}, {attrVSPACE, "5"}}), 0);
    EXPECT_EQ(floating.ObjAlign, ALeft);
    EXPECT_EQ(floating.LeftSpace, 3) << "a float keeps 3 pixels each side without HSPACE";
    EXPECT_EQ(floating.TopSpace, 5);
    EXPECT_EQ(floating.BottomSpace, 5);

    const TImageObj hostile(&doc,
                            Attrs({{attrALIGN, "absmiddle"},
                                   {attrHSPACE, "-2147483648"},
                                   {attrWIDTH, "2000000000"},
                                   {attrHEIGHT, "-5"},
                                   {attrUSEMAP, "  #Shapes "}}),
                            0);
    EXPECT_EQ(hostile.ObjAlign, AMiddle);
    EXPECT_EQ(hostile.LeftSpace, 40);
    EXPECT_EQ(hostile.SpecWidth, TImageObj::kMaxSize);
    EXPECT_EQ(hostile.SpecHeight, 1);
    EXPECT_EQ(hostile.MapName, "SHAPES");

    const TImageObj percent(&doc, Attrs({{attrWIDTH, "50%"}, {attrUSEMAP, "#"}}), 0);
    EXPECT_TRUE(percent.WidthIsPercent);
    EXPECT_EQ(percent.MapName, "#") << "a lone hash stays";
    const TImageObj overHundred(&doc, Attrs({{attrWIDTH, "150%"}}), 0);
    EXPECT_FALSE(overHundred.WidthIsPercent);
}

TEST(ImageObj, SizesKeepProportionsAndPercentagesFollowTheWidth) {
    ImageDoc d;
    const std::string photo = kImages + "photo.jpg"; // 40 x 30
    EXPECT_EQ(d.Make({{attrSRC, photo}})->ObjWidth, 40);
    const auto wide = d.Make({{attrSRC, photo}, {attrWIDTH, "80"}});
    EXPECT_EQ(wide->DrawHeight, 60);
    const auto low = d.Make({{attrSRC, photo}, {attrHEIGHT, "15"}});
    EXPECT_EQ(low->DrawWidth, 20);

    const auto half = d.Make({{attrSRC, photo}, {attrWIDTH, "50%"}}, 300);
    EXPECT_EQ(half->DrawWidth, 150);
    EXPECT_EQ(half->DrawHeight, 30);
    half->Arrange(d.canvas, 500);
    EXPECT_EQ(half->DrawWidth, 250) << "a percentage follows every layout";
}

TEST(ImageObj, APlaceholderGrowsToHoldItsText) {
    ImageDoc d;
    d.doc.ShowImages = false;
    // Arial 8 pt is 11 pixels high, 5 pixels a character on the fixed canvas.
    const auto labelled = d.Make({{attrSRC, kImages + "ring.gif"}, {attrALT, "Ring text"}});
    EXPECT_EQ(labelled->Kind(), TImageObj::PictureKind::None) << "nothing is fetched with images off";
    EXPECT_EQ(labelled->DrawWidth, 9 * 5 + 26);
    EXPECT_EQ(labelled->DrawHeight, 24);
    const auto sized = d.Make({{attrALT, "Ring text"}, {attrWIDTH, "10"}, {attrHEIGHT, "12"}});
    EXPECT_EQ(sized->DrawWidth, 10) << "both sizes given: the box keeps them";

    labelled->Draw(d.canvas, 100, 50);
    ASSERT_EQ(d.canvas.texts.size(), 1u);
    EXPECT_EQ(d.canvas.texts[0].x, 124);
    EXPECT_EQ(d.canvas.texts[0].text, "Ring text ");
    EXPECT_EQ(d.canvas.texts[0].font.name, "Arial");
}

TEST(ImageObj, ALinkFramesItsPictureUnlessBorderIsZero) {
    ImageDoc d;
    auto framed = std::make_unique<TImageObj>(&d.doc, Attrs({{attrSRC, kImages + "ring.gif"}}), 0);
    framed->InLink = true;
    framed->LinkColor = rgb(0, 0, 255);
    framed->Arrange(d.canvas, 400);
    EXPECT_EQ(framed->ObjWidth, 26);
    framed->Draw(d.canvas, 10, 20);
    ASSERT_FALSE(d.canvas.rects.empty());
    EXPECT_EQ(d.canvas.rects.back().rect, (Rect{10, 20, 36, 46}));
    EXPECT_EQ(d.canvas.rects.back().color, rgb(0, 0, 255));

    auto bare =
        std::make_unique<TImageObj>(&d.doc, Attrs({{attrSRC, kImages + "ring.gif"}, {attrBORDER, "0"}}), 0);
    bare->InLink = true;
    bare->Arrange(d.canvas, 400);
    EXPECT_EQ(bare->ObjWidth, 24);
}

TEST(ImageObj, NamesDifferingInCaseAndBlanksShareOneCacheEntry) {
    ImageDoc d;
    auto first = d.Make({{attrSRC, kImages + "ring.gif"}});
    std::string shouted = kImages + "RING.GIF";
    for (char& c : shouted) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    auto second = d.Make({{attrSRC, "  " + shouted + " "}});
    EXPECT_EQ(second->Kind(), TImageObj::PictureKind::Cached);
    ASSERT_EQ(d.doc.Pictures.Cache->Count(), 1);
    TBitmapItem* entry = d.doc.Pictures.Cache->Find(kImages + "ring.gif");
    EXPECT_EQ(entry->UseCount, 2);
    second.reset();
    EXPECT_EQ(entry->UseCount, 1);
    EXPECT_EQ(first->PlainPicture(), entry->Picture.bitmap.get()) << "the picture is shared, not copied";
}

TEST(ImageObj, AMissingPictureIsLookedForOnce) {
    ImageDoc d;
    int asked = 0;
    d.doc.Pictures.Requests.OnBitmapRequest = [&asked](const std::string&, Color&) {
        ++asked;
        return std::optional<Bitmap>();
    };
    std::vector<std::unique_ptr<TImageObj>> images;
    for (int i = 0; i < 1000; ++i) {
        images.push_back(d.Make({{attrSRC, "missing.gif"}}));
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(images.back()->Kind(), TImageObj::PictureKind::Error);
    EXPECT_EQ(images.back()->DrawWidth, 26) << "the smallest placeholder box";
}

TEST(ImageObj, RepeatedLargePicturesAreNotCopiedWithoutBound) {
    ImageDoc d;
    const auto own = d.Make({{attrSRC, kImages + "blink.gif"}});
    EXPECT_TRUE(own->Animation()->IsCopy);
    d.doc.Pictures.AnimatedPixels = kMaxPicturePixels;
    const auto still = d.Make({{attrSRC, kImages + "blink.gif"}});
    EXPECT_FALSE(still->Animation()->IsCopy) << "over the budget: the cache's picture, not animated";
    EXPECT_EQ(d.doc.AnimatedImages.size(), 1u);

    // Backgrounds of many blocks share one masked tile.
    TImageBlockPicture first(d.doc, kImages + "ring.gif");
    TImageBlockPicture second(d.doc, kImages + "ring.gif");
    ASSERT_TRUE(first.Prepare(d.canvas));
    ASSERT_TRUE(second.Prepare(d.canvas));
    ASSERT_NE(first.Picture(), nullptr);
    EXPECT_EQ(first.Picture(), second.Picture());
    EXPECT_TRUE(first.Picture()->mask.has_value()) << "the GIF's transparency travels with the tile";
}

TEST(ImageObj, ADirectoryAFifoOrADeviceIsNoPicture) {
    TempDir dir;
    const std::string fifo = dir.file("pipe.gif");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ImageDoc d;
    for (const std::string& name : {dir.path(), fifo, std::string("/dev/zero")}) {
        EXPECT_EQ(d.Make({{attrSRC, name}})->Kind(), TImageObj::PictureKind::Error) << name;
    }
}

} // namespace
} // namespace tavlin::test
