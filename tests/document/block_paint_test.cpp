// Blocks painted on the real Qt canvas: markers, backgrounds, borders and background pictures
// must land on the pixels the layout gives them.
#include "platform/qt/QtCanvas.h"
#include "tests/builder/BuilderTestUtil.h"
#include "tests/support/QtTestApp.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

constexpr int kW = 300;
constexpr int kH = 200;

// A picture of one colour, as the picture layer will hand blocks their images.
class SolidPicture : public TBlockPicture {
public:
    SolidPicture(int w, int h, Color colour) : bitmap_(w, h, Bitmap::fromColor(colour)) {}
    bool Prepare(Canvas&) override { return true; }
    const Bitmap* Picture() const override { return &bitmap_; }
    std::unique_ptr<TBlockPicture> CloneFor(TSectionList&) const override {
        return std::make_unique<SolidPicture>(*this);
    }

private:
    Bitmap bitmap_;
};

// Installs a picture maker for the test's duration.
class PictureMakerScope {
public:
    explicit PictureMakerScope(TBlockPictureMaker maker) { BlockPictureMaker() = std::move(maker); }
    ~PictureMakerScope() { BlockPictureMaker() = nullptr; }
};

struct Painted {
    TSectionList doc;
    ImageCanvas surface{kW, kH};
    QImage image;

    explicit Painted(const std::string& html) {
        ensureQtApplication();
        ViewerDefaults(doc);
        ParseHtmlFromBuffer(doc, "<BODY MARGINWIDTH=0 MARGINHEIGHT=0>" + html);
        int scroll = 0;
        int counter = 0;
        doc.Layout(surface.canvas(), 0, kW, kH, scroll, counter);
        doc.PaintDocument(surface.canvas(), Rect{0, 0, kW, kH}, 6000, 0, 0, 0, 0);
        image = surface.image();
    }
    Color At(int x, int y) const { return Bitmap::toColor(image.pixel(x, y)); }
    bool Dark(int x, int y) const {
        const Color c = At(x, y);
        return redOf(c) + greenOf(c) + blueOf(c) < 3 * 100;
    }
    TCellBasic& Cell() { return dynamic_cast<TBlock&>(doc[0]).Content; }
};

// The first item of the first list block in a content list.
const TBlockLI& FirstItem(const TCellBasic& cell) {
    for (int i = 0; i < cell.Count(); ++i) {
        if (const auto* list = dynamic_cast<const TBlock*>(&cell[i])) {
            return At<TBlockLI>(list->Content, 0);
        }
    }
    ADD_FAILURE() << "no list";
    throw std::runtime_error("no list");
}

TEST(BlockPaint, BulletsByLevelSitOnTheFirstBaseline) {
    Painted page("<UL><LI>x<UL><LI>y<UL><LI>z</UL></UL></UL>");
    const TBlockLI& disc = FirstItem(page.Cell());
    const TBlockLI& circle = FirstItem(disc.Content);
    const TBlockLI& square = FirstItem(circle.Content);
    ASSERT_EQ(disc.ContentX, 35);
    ASSERT_EQ(circle.ContentX, 70);
    ASSERT_EQ(square.ContentX, 105);
    const int b1 = disc.FirstBaseline;
    EXPECT_TRUE(page.Dark(35 - 13, b1 - 4)) << "a filled disc";
    EXPECT_FALSE(page.Dark(35 - 13, b1 + 2));
    const int b2 = circle.FirstBaseline;
    EXPECT_TRUE(page.Dark(70 - 16, b2 - 4)) << "the ring of a circle";
    EXPECT_FALSE(page.Dark(70 - 13, b2 - 4)) << "a circle is not filled";
    const int b3 = square.FirstBaseline;
    for (int x = 105 - 15; x < 105 - 10; ++x) {
        for (int y = b3 - 6; y < b3 - 1; ++y) {
            EXPECT_TRUE(page.Dark(x, y)) << x << "," << y;
        }
    }
    EXPECT_FALSE(page.Dark(105 - 9, b3 - 4));
}

TEST(BlockPaint, NumbersEndTenPixelsLeftOfTheText) {
    Painted page("<OL START=8><LI>x</OL>");
    const TBlockLI& item = FirstItem(page.Cell());
    const int b = item.FirstBaseline;
    bool inked = false;
    for (int x = 0; x < 35 - 10; ++x) {
        for (int y = b - 12; y < b; ++y) {
            inked = inked || page.Dark(x, y);
        }
    }
    EXPECT_TRUE(inked) << "the label 8. stands left of the gap";
    for (int x = 35 - 10; x < 35; ++x) {
        for (int y = b - 14; y < b + 4; ++y) {
            EXPECT_FALSE(page.Dark(x, y)) << x << "," << y;
        }
    }
}

TEST(BlockPaint, BackgroundFillsThePaddingAndTheBorderSurroundsIt) {
    Painted page("<DIV STYLE=\"background-color:#00FF00; border:4px solid #0000FF; padding:6px; "
                 "width:100px\">x</DIV>");
    EXPECT_EQ(page.At(1, 1), rgb(0, 0, 255));
    EXPECT_EQ(page.At(118, 20), rgb(0, 0, 255)) << "right border";
    EXPECT_EQ(page.At(5, 5), rgb(0, 255, 0));
    EXPECT_EQ(page.At(113, 20), rgb(0, 255, 0)) << "right padding";
    EXPECT_EQ(page.At(121, 20), rgb(255, 255, 255)) << "outside the box";
}

TEST(BlockPaint, BackgroundPicturesTileAsTheStyleSays) {
    PictureMakerScope maker([](TSectionList&, const std::string& name) -> std::unique_ptr<TBlockPicture> {
        return std::make_unique<SolidPicture>(10, 10, name == "red.gif" ? rgb(255, 0, 0) : rgb(0, 0, 255));
    });
    Painted row("<DIV STYLE=\"background: url(red.gif) repeat-x; height:40px\"></DIV>"
                "<DIV STYLE=\"background-image: url(blue.gif); background-repeat: no-repeat; "
                "background-position: center; height:40px; width:100px\"></DIV>");
    EXPECT_EQ(row.At(3, 3), rgb(255, 0, 0));
    EXPECT_EQ(row.At(295, 9), rgb(255, 0, 0)) << "repeated across";
    EXPECT_EQ(row.At(3, 12), rgb(255, 255, 255)) << "not down";
    EXPECT_EQ(row.At(50, 40 + 20), rgb(0, 0, 255)) << "one tile in the middle";
    EXPECT_EQ(row.At(42, 40 + 20), rgb(255, 255, 255));
    EXPECT_EQ(row.At(50, 40 + 12), rgb(255, 255, 255));
}

TEST(BlockPaint, MarkerPictureReplacesTheBullet) {
    PictureMakerScope maker([](TSectionList&, const std::string&) -> std::unique_ptr<TBlockPicture> {
        return std::make_unique<SolidPicture>(8, 8, rgb(255, 0, 0));
    });
    Painted page("<UL STYLE=\"list-style-image: url(m.gif)\"><LI>x</UL>");
    const TBlockLI& item = FirstItem(page.Cell());
    ASSERT_NE(item.MarkerImage(), nullptr);
    const int b = item.FirstBaseline;
    EXPECT_EQ(page.At(35 - 16, b - 1), rgb(255, 0, 0)) << "bottom on the baseline";
    EXPECT_EQ(page.At(35 - 9, b - 8), rgb(255, 0, 0));
    EXPECT_EQ(page.At(35 - 16, b), rgb(255, 255, 255));
    EXPECT_EQ(page.At(35 - 13, b - 4), rgb(255, 0, 0)) << "no disc over it";
}

} // namespace
} // namespace tavlin::test
