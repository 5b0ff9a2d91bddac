// Pictures in the window viewer: animation under the timer, image maps, hover activation, the
// history, the cache across documents, pictures delivered late and picture documents.
#include "document/ImageObj.h"
#include "document/SectionList.h"
#include "images/ImageCache.h"
#include "platform/Files.h"
#include "tests/viewer/ViewerTestSupport.h"

#include <filesystem>

namespace tavlin::test {
namespace {

const std::string kImages = std::string(TAVLIN_TEST_DATA) + "/images/";

class ViewerImages : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        for (const char* name : {"ring.gif", "blink.gif", "three.gif"}) {
            std::filesystem::copy_file(kImages + name, path(name));
        }
        // Animation steps only when the test fires the timer, on the test's clock.
        viewer->Document().MakeTimer = [] { return std::make_unique<ManualTimer>(); };
    }
    TImageObj* image(const std::string& id) {
        return dynamic_cast<TImageObj*>(viewer->Document().IDs->Find(id));
    }
    QPoint at(const TImageObj& img, int x, int y) const {
        return QPoint(img.DrawX + x, img.DrawYY - viewer->ScrollPosition() + y);
    }
    void paint() { (void)surface().grab(); }
    void tick() { static_cast<ManualTimer&>(*viewer->Document().AnimationTimer).fire(); }
    uint32_t now = 1000;
};

TEST_F(ViewerImages, AnAnimationStepsOnlyWhileItIsSeen) {
    viewer->LoadFile(write("a.htm", paragraphs(60, "<img id=a src=three.gif>")));
    TImageObj* anim = image("A");
    ASSERT_NE(anim, nullptr);
    ASSERT_NE(anim->Animation(), nullptr);
    anim->Animation()->SetClock([this] { return now; });
    anim->StartAnimation(); // restarted on the test's clock
    paint();
    ASSERT_TRUE(viewer->Document().AnimationTimer->isActive());
    now += 150;
    tick(); // the first step after a start only times the frame
    now += 150;
    tick();
    EXPECT_EQ(anim->Animation()->CurrentFrame, 2);
    viewer->ScrollTo(1000);
    paint();
    const int shown = anim->Animation()->CurrentFrame;
    now += 1000;
    tick();
    tick();
    EXPECT_EQ(anim->Animation()->CurrentFrame, shown) << "out of view: no steps";
    viewer->ScrollTo(0);
    paint();
    now += 150;
    tick();
    EXPECT_NE(anim->Animation()->CurrentFrame, shown) << "back in view, it goes on";
}

TEST_F(ViewerImages, AMapClickFollowsTheAreaUnderThePoint) {
    std::vector<std::string> clicked;
    viewer->OnHotSpotClick = [&clicked](TViewer*, const std::string& url, bool& handled) {
        clicked.push_back(url);
        handled = true;
    };
    viewer->LoadFile(write("m.htm", "<map name=shapes>"
                                    "<area shape=circle coords=6,6,5 nohref>"
                                    "<area shape=rect coords=0,0,11,23 href=rect.htm>"
                                    "<area shape=circ coords=18,6,5 href=circle.htm>"
                                    "<area shape=poly coords=12,12,23,12,23,23 href=poly.htm></map>"
                                    "<p><img id=m src=ring.gif usemap=#Shapes>"));
    paint();
    const TImageObj& map = *image("M");
    click(at(map, 3, 20));
    click(at(map, 18, 6));
    click(at(map, 21, 20));
    click(at(map, 6, 6));   // NOHREF
    click(at(map, 14, 21)); // below the polygon's edge: no area
    EXPECT_EQ(clicked, (std::vector<std::string>{"rect.htm", "circle.htm", "poly.htm"}));
}

TEST_F(ViewerImages, HoverShowsTheSecondFrameOfAnActivePicture) {
    viewer->LoadFile(write("h.htm", "<p>text<p><img id=h src=blink.gif active>"));
    paint();
    TImageObj& hover = *image("H");
    EXPECT_FALSE(hover.Animation()->Animate) << "an active picture waits for the pointer";
    move(at(hover, 5, 5));
    EXPECT_EQ(hover.Animation()->CurrentFrame, 2);
    move(QPoint(300, 5));
    EXPECT_EQ(hover.Animation()->CurrentFrame, 1);
}

TEST_F(ViewerImages, BackAndForwardRestoreDocumentAndPosition) {
    int changes = 0;
    viewer->OnHistoryChange = [&changes](TViewer*) { ++changes; };
    viewer->SetHistoryMaxCount(5);
    const std::string a = write("a.htm", paragraphs(80, "<a href=b.htm>to b</a>"));
    write("b.htm", paragraphs(80, "<a href=ring.gif>the ring</a>"));
    viewer->LoadFile(a);
    viewer->ScrollTo(400);
    viewer->FollowLink("b.htm");
    viewer->ScrollTo(200);
    viewer->FollowLink("ring.gif");
    EXPECT_EQ(viewer->FileKind(), ImgType);
    ASSERT_EQ(viewer->HistoryList().size(), 3u);
    const int recorded = changes;

    viewer->GoBack();
    EXPECT_EQ(viewer->CurrentFileName(), path("b.htm"));
    EXPECT_EQ(viewer->ScrollPosition(), 200);
    viewer->GoBack();
    EXPECT_EQ(viewer->CurrentFileName(), a);
    EXPECT_EQ(viewer->ScrollPosition(), 400);
    EXPECT_EQ(viewer->HistoryIndex(), 2);
    viewer->GoBack(); // nothing further back
    EXPECT_EQ(viewer->HistoryIndex(), 2);
    viewer->GoFwd();
    viewer->GoFwd();
    EXPECT_EQ(viewer->FileKind(), ImgType);
    EXPECT_EQ(viewer->HistoryList().size(), 3u) << "walking adds no entries";
    EXPECT_EQ(changes, recorded + 4);

    viewer->SetHistoryMaxCount(1);
    EXPECT_TRUE(viewer->HistoryList().empty()) << "lowering the count clears the history";
}

TEST_F(ViewerImages, TheCacheSharesAPictureAndAgesItOut) {
    viewer->SetImageCacheCount(2);
    viewer->LoadFile(write("one.htm", "<img id=a src=ring.gif><img id=b src=\" RING.GIF \">"));
    const auto cache = viewer->Document().Pictures.Cache;
    ASSERT_EQ(cache->Count(), 1);
    EXPECT_EQ(image("A")->PlainPicture(), image("B")->PlainPicture());
    for (int load = 1; load <= 3; ++load) {
        EXPECT_EQ(cache->Count(), 1) << "kept for " << load - 1 << " loads";
        viewer->LoadLines({"<p>" + std::to_string(load)});
    }
    EXPECT_EQ(cache->Count(), 0) << "idle longer than ImageCacheCount loads";
}

TEST_F(ViewerImages, APictureAnnouncedAsComingLaterIsShownWhenItArrives) {
    std::vector<std::string> asked;
    viewer->OnImageRequest = [&asked](TViewer*, const std::string& src) {
        asked.push_back(src);
        return TImageStream::WaitStream();
    };
    viewer->LoadFile(write("w.htm", "<p><img id=a src=late.gif><img id=b src=LATE.gif alt=\"on its way\">"));
    EXPECT_EQ(asked, (std::vector<std::string>{"late.gif"})) << "asked once, not expanded";
    ASSERT_TRUE(image("B")->Pending());
    EXPECT_GT(image("B")->DrawWidth, 26) << "the placeholder holds the text meanwhile";
    viewer->InsertImage("late.gif", readWholeFile(kImages + "ring.gif").value());
    EXPECT_EQ(image("A")->Kind(), TImageObj::PictureKind::Cached);
    EXPECT_EQ(image("B")->DrawWidth, 24);
}

TEST_F(ViewerImages, APictureLinkOpensAPictureDocumentWithImagesOff) {
    viewer->SetViewImages(false);
    viewer->LoadFile(write("l.htm", "<a href=ring.gif>ring</a>"));
    viewer->FollowLink("ring.gif");
    EXPECT_EQ(viewer->FileKind(), ImgType);
    EXPECT_EQ(viewer->CurrentFileName(), path("ring.gif"));
    EXPECT_TRUE(viewer->Document().ShowImages) << "a picture document shows its picture";
    EXPECT_EQ(viewer->Document().Pictures.Cache->Count(), 1);
}

} // namespace
} // namespace tavlin::test
