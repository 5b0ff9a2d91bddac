// Loading, anchors, bars and keys of the viewer on the offscreen platform.
#include "document/SectionList.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/ViewerCursors.h"

namespace tavlin::test {
namespace {

using ViewerLoad = ViewerTest;

int anchorY(TViewer& viewer, const std::string& name) {
    const TIDObject* target = viewer.Document().IDs->Find(name);
    return target ? target->YPosition() : -1;
}

TEST_F(ViewerLoad, AnchorsScrollToTheirNameWhateverItsCase) {
    const std::string page =
        write("page.htm", "<body>" + paras(30) + "<p><a name=\"Middle\">Here</a></p>" + paras(30, 30));
    viewer->LoadFile(page + "#middle");
    EXPECT_EQ(viewer->CurrentFileName(), page);
    const int y = anchorY(*viewer, "MIDDLE");
    ASSERT_GT(y, 300);
    EXPECT_EQ(viewer->ScrollPosition(), y);
    EXPECT_EQ(viewer->Document().YOffset, y);
    EXPECT_EQ(viewer->VisitedList().front(), page + "#middle");

    // The same file again keeps the view where it was; an anchor that does not exist too.
    viewer->ScrollTo(100);
    viewer->LoadFile(page);
    EXPECT_EQ(viewer->ScrollPosition(), 100);
    viewer->LoadFile(page + "#nowhere");
    EXPECT_EQ(viewer->ScrollPosition(), 100);

    // Another file starts at the top.
    const std::string other = write("other.htm", paragraphs(60));
    viewer->LoadFile(other);
    EXPECT_EQ(viewer->ScrollPosition(), 0);
    EXPECT_TRUE(viewer->PositionTo("#Middle") == false) << "the other page has no such anchor";
}

TEST_F(ViewerLoad, AMissingFileFailsAndTheShownDocumentStays) {
    const std::string page = write("page.htm", "<title>First</title>" + paragraphs(40));
    viewer->LoadFile(page);
    viewer->ScrollTo(200);
    const int height = viewer->DocHeight();
    const int sections = viewer->Document().Count();
    ASSERT_GT(height, 0);

    const std::string missing = path("missing.htm");
    int processingChanges = 0;
    viewer->OnProcessing = [&](TViewer*, bool) { ++processingChanges; };
    try {
        viewer->LoadFile(missing + "#top");
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()), "Can't locate file: " + missing);
    }
    EXPECT_FALSE(viewer->Processing());
    EXPECT_EQ(processingChanges, 2) << "on and off again";
    EXPECT_EQ(viewer->CurrentFileName(), page);
    EXPECT_EQ(viewer->DocumentTitle(), "First");
    EXPECT_EQ(viewer->DocHeight(), height);
    EXPECT_EQ(viewer->Document().Count(), sections);
    EXPECT_EQ(viewer->ScrollPosition(), 200);
}

TEST_F(ViewerLoad, LoadLinesAndClearDocument) {
    const std::string page = write("page.htm", paragraphs(5));
    viewer->LoadFile(page);
    viewer->ClearDocument();
    EXPECT_EQ(viewer->CurrentFileName(), page) << "ClearDocument keeps the name";
    EXPECT_EQ(viewer->DocHeight(), 0);
    EXPECT_EQ(viewer->Document().Count(), 0);

    viewer->LoadLines(
        {"<title>Help</title>", "<h1>Where are my bookmarks?</h1>", "<p>In the profile folder."});
    EXPECT_EQ(viewer->CurrentFileName(), "");
    EXPECT_EQ(viewer->DocumentTitle(), "Help");
    EXPECT_GT(viewer->DocHeight(), 20);
    EXPECT_EQ(viewer->ScrollPosition(), 0);
}

TEST_F(ViewerLoad, BarsShowOnlyForWhatDoesNotFit) {
    const int barSize = viewer->BarSize();
    ASSERT_GT(barSize, 5);
    // A short document: no bar, position 0, but the layout still leaves room for the bar.
    std::string words;
    for (int i = 0; i < 60; ++i) {
        words += "word" + std::to_string(i) + " ";
    }
    viewer->LoadFile(write("short.htm", "<p>" + words + "</p>"));
    EXPECT_LT(viewer->DocHeight(), 300);
    EXPECT_FALSE(viewer->VScrollBar().isVisible());
    EXPECT_FALSE(viewer->HScrollBar().isVisible());
    EXPECT_EQ(viewer->ScrollPosition(), 0);
    EXPECT_EQ(viewer->PaintPanel().geometry(), QRect(1, 1, 398, 298));
    EXPECT_LE(viewer->DocWidth(), 400 - 3 - barSize) << "lines wrap short of the bar's room";
    EXPECT_GT(viewer->DocWidth(), 400 - 3 - barSize - 80);

    // htShowVScroll keeps the bar, disabled.
    viewer->SethtOptions(htShowVScroll);
    EXPECT_TRUE(viewer->VScrollBar().isVisibleTo(viewer.get()));
    EXPECT_FALSE(viewer->VScrollBar().isEnabled());
    EXPECT_EQ(viewer->PaintPanel().width(), 400 - barSize - 2);
    viewer->SethtOptions(0);

    // A long document: the vertical bar, the surface beside it, range and page for 32-bit positions.
    viewer->LoadFile(write("long.htm", paragraphs(100)));
    EXPECT_TRUE(viewer->VScrollBar().isVisibleTo(viewer.get()));
    EXPECT_TRUE(viewer->VScrollBar().isEnabled());
    EXPECT_FALSE(viewer->HScrollBar().isVisibleTo(viewer.get()));
    EXPECT_EQ(viewer->PaintPanel().geometry(), QRect(1, 1, 400 - barSize - 2, 298));
    EXPECT_EQ(viewer->VScrollBar().Max(), viewer->DocHeight());
    EXPECT_EQ(viewer->VScrollBar().Page(), 299);
    EXPECT_EQ(viewer->VScrollBar().maximum(), viewer->DocHeight() - 298);
    EXPECT_EQ(viewer->VScrollBar().LargeChange, 298 - 16);

    // Something wider than the control: the horizontal bar takes its height off the surface.
    viewer->LoadFile(write("wide.htm", "<pre>" + std::string(200, 'W') + "</pre>"));
    EXPECT_TRUE(viewer->HScrollBar().isVisibleTo(viewer.get()));
    EXPECT_EQ(viewer->PaintPanel().height(), 298 - barSize);
    key(Qt::Key_Right);
    EXPECT_EQ(viewer->HScrollPosition(), 15);
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(viewer->HScrollPosition(), 0);

    // No bars at all, whatever the document.
    viewer->SetScrollBars(TScrollStyle::ssNone);
    EXPECT_FALSE(viewer->HScrollBar().isVisibleTo(viewer.get()));
    EXPECT_FALSE(viewer->VScrollBar().isVisibleTo(viewer.get()));
    EXPECT_EQ(viewer->PaintPanel().geometry(), QRect(1, 1, 398, 298));

    viewer->SetBorderStyle(TBorderStyle::htNone);
    EXPECT_EQ(viewer->PaintPanel().geometry(), QRect(0, 0, 400, 300));
}

TEST_F(ViewerLoad, KeysScrollBySixteenPagesAndToTheEnds) {
    viewer->LoadFile(write("long.htm", paragraphs(100)));
    const int surface = viewer->PaintPanel().height();
    key(Qt::Key_Down);
    EXPECT_EQ(viewer->ScrollPosition(), 16);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    EXPECT_EQ(viewer->ScrollPosition(), 16);
    key(Qt::Key_PageDown);
    EXPECT_EQ(viewer->ScrollPosition(), 16 + surface - 16);
    key(Qt::Key_End);
    EXPECT_EQ(viewer->ScrollPosition(), viewer->DocHeight() - surface) << "the last surface height shows";
    EXPECT_EQ(viewer->VScrollBar().value(), viewer->ScrollPosition());
    key(Qt::Key_Down);
    EXPECT_EQ(viewer->ScrollPosition(), viewer->DocHeight() - surface);
    key(Qt::Key_Home);
    EXPECT_EQ(viewer->ScrollPosition(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(viewer->ScrollPosition(), 0);

    // The bar's own arrows and pages go through the same clamped steps.
    viewer->VScrollBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(viewer->ScrollPosition(), 16);
    viewer->VScrollBar().triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(viewer->Document().YOffset, viewer->DocHeight() - surface);
    viewer->VScrollBar().triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(viewer->ScrollPosition(), viewer->DocHeight() - surface - (surface - 16));
    viewer->VScrollBar().setSliderPosition(500); // the thumb dragged
    EXPECT_EQ(viewer->ScrollPosition(), 500);
    EXPECT_EQ(viewer->Document().YOffset, 500);
}

TEST_F(ViewerLoad, APackedPositionSurvivesAResize) {
    viewer->LoadFile(write("long.htm", paragraphs(80)));
    viewer->ScrollTo(700);
    int markY = 0;
    int index = -1;
    ASSERT_NE(viewer->Document().SectionAtY(700, markY, index), nullptr);
    const TPackedPosition before = viewer->Position();
    EXPECT_EQ(PackedMarkIndex(before), index);
    EXPECT_EQ(PackedOffset(before), 700 - markY);

    // Narrower, the paragraphs wrap and everything moves down; the same text stays at the top.
    viewer->resize(150, 300);
    const int newMarkY = (*viewer->Document().PositionList)[size_t(index)]->AnchorY();
    ASSERT_GT(newMarkY, markY);
    EXPECT_EQ(viewer->ScrollPosition(), newMarkY + (700 - markY));
    EXPECT_EQ(viewer->Position(), before);

    // A plain offset and a mark that does not exist.
    viewer->SetPosition(40);
    EXPECT_EQ(viewer->ScrollPosition(), 40);
    viewer->SetPosition(PackPosition(100000, 3));
    EXPECT_EQ(viewer->ScrollPosition(), 40);
}

TEST_F(ViewerLoad, ASectionThatCannotBeLaidOutIsReportedAndDropped) {
    class Impossible : public TSectionBase {
    public:
        using TSectionBase::TSectionBase;
        int Arrange(Canvas&, int, int, int, int, int, int, IndentManager&, int&, int&) override {
            throw EProcessError("Table has too many Columns");
        }
    };
    viewer->LoadFile(write("page.htm", paragraphs(3)));
    const int sections = viewer->Document().Count();
    viewer->Document().AppendSection(std::make_unique<Impossible>(&viewer->Document()));
    viewer->LayoutView();
    EXPECT_EQ(errors, std::vector<std::string>{"Table has too many Columns"});
    EXPECT_EQ(viewer->Document().Count(), sections);
    EXPECT_GT(viewer->DocHeight(), 0);
}

TEST_F(ViewerLoad, MetaRefreshIsReportedAfterTheLoad) {
    int delay = -5;
    std::string url;
    bool processingDuringEvent = true;
    viewer->OnMetaRefresh = [&](TViewer* v, int d, const std::string& u) {
        delay = d;
        url = u;
        processingDuringEvent = v->Processing();
    };
    viewer->LoadFile(
        write("r.htm", "<head><meta http-equiv=\"Refresh\" content=\"7; URL=next.htm\"></head><p>x"));
    EXPECT_EQ(delay, 7);
    EXPECT_EQ(url, "next.htm");
    EXPECT_FALSE(processingDuringEvent);
    EXPECT_EQ(viewer->MetaRefreshDelay(), 7);

    delay = -5;
    viewer->LoadFile(write("plain.htm", "<p>no refresh"));
    EXPECT_EQ(delay, -5);
}

TEST_F(ViewerLoad, NewFontDefaultsApplyFromTheNextDocument) {
    const std::string page = write("page.htm", paragraphs(10));
    viewer->SetDefFontSize(10);
    viewer->LoadFile(page);
    const int small = viewer->DocHeight();
    viewer->SetDefFontSize(20);
    viewer->SetDefFontName("Arial");
    viewer->resize(401, 300); // a re-layout keeps the fonts the document was read with
    EXPECT_EQ(viewer->DocHeight(), small);
    viewer->LoadFile(page);
    EXPECT_GT(viewer->DocHeight(), small * 3 / 2);
}

TEST_F(ViewerLoad, BorderAndBarParametersChangeOnlyWhenAsked) {
    viewer->LoadFile(write("long.htm", paragraphs(100)));
    EXPECT_FALSE(viewer->BorderPanel().BorderShown()) << "htFocused without the focus";
    viewer->SetBorderStyle(TBorderStyle::htSingle);
    EXPECT_TRUE(viewer->BorderPanel().BorderShown());
    viewer->SetBorderStyle(TBorderStyle::htNone);
    EXPECT_FALSE(viewer->BorderPanel().BorderShown());

    const int sent = viewer->VScrollBar().SendCount();
    viewer->ArrangeBars();
    viewer->ArrangeBars();
    EXPECT_EQ(viewer->VScrollBar().SendCount(), sent) << "nothing changed, nothing sent";
    viewer->ScrollTo(50);
    EXPECT_EQ(viewer->VScrollBar().SendCount(), sent + 1);

    // Images off and on again: laid out anew, the view stays on the same text.
    viewer->ScrollTo(900);
    const TPackedPosition before = viewer->Position();
    viewer->SetViewImages(false);
    EXPECT_EQ(viewer->Position(), before);
    EXPECT_FALSE(viewer->Document().ShowImages);
}

TEST_F(ViewerLoad, ABackgroundPictureIsTiledFromTheDocumentOrigin) {
    // A 10 x 10 tile: red above its sixth row, blue from it down.
    QImage tile(10, 10, QImage::Format_RGB32);
    tile.fill(Qt::red);
    for (int y = 6; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            tile.setPixel(x, y, qRgb(0, 0, 255));
        }
    }
    ASSERT_TRUE(tile.save(QString::fromStdString(path("tile.bmp")), "BMP"));
    viewer->LoadFile(write("page.htm", "<body background=\"tile.bmp\">" + paras(60)));
    const auto surfacePixel = [this](int x, int y) {
        return viewer->PaintPanel().grab().toImage().pixel(x, y);
    };
    EXPECT_EQ(surfacePixel(350, 0), qRgb(255, 0, 0));
    EXPECT_EQ(surfacePixel(350, 6), qRgb(0, 0, 255));
    EXPECT_EQ(surfacePixel(350, 16), qRgb(0, 0, 255));
    key(Qt::Key_Down); // 16 down: the tiles move up with the text
    EXPECT_EQ(surfacePixel(350, 0), qRgb(0, 0, 255));
    EXPECT_EQ(surfacePixel(350, 4), qRgb(255, 0, 0));

    viewer->SetViewImages(false);
    EXPECT_EQ(surfacePixel(350, 4), qRgb(255, 255, 255)) << "without images, the colour only";
}

TEST_F(ViewerLoad, APaletteScreenReducesPicturesToItsColours) {
    QImage ramp(64, 8, QImage::Format_RGB32);
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 8; ++y) {
            ramp.setPixel(x, y, qRgb(x * 4, 255 - x * 4, 128));
        }
    }
    ASSERT_TRUE(ramp.save(QString::fromStdString(path("ramp.bmp")), "BMP"));
    const std::string page = write("page.htm", "<body background=\"ramp.bmp\">");
    struct DepthBack {
        ~DepthBack() { setDisplayDepth(DisplayDepth::TrueColor); }
    } restore;
    viewer->SetDisplayDepth(DisplayDepth::Colors16);
    viewer->LoadFile(page);
    const QImage shown = viewer->PaintPanel().grab().toImage();
    const Palette& palette = defaultPalette();
    for (int x = 0; x < 64; ++x) {
        const uint32_t pixel = shown.pixel(x, 3) | 0xFF000000u;
        ASSERT_NE(std::find(palette.begin(), palette.end(), pixel), palette.end()) << "x " << x;
    }
    viewer->SetDisplayDepth(DisplayDepth::TrueColor);
    viewer->LoadFile(page);
    EXPECT_EQ(viewer->PaintPanel().grab().toImage().pixel(10, 3), qRgb(40, 215, 128));
}

TEST_F(ViewerLoad, PropertiesKeepTheirRangesAndDefaults) {
    TViewer fresh;
    EXPECT_EQ(fresh.width(), 150);
    EXPECT_EQ(fresh.DefFontSize(), 12);
    EXPECT_EQ(fresh.VisitedMaxCount(), 50);
    EXPECT_EQ(fresh.HistoryMaxCount(), 0);
    EXPECT_EQ(fresh.htOptions(), unsigned(htPrintTableBackground));
    EXPECT_EQ(fresh.DefHotSpotColor(), rgb(0, 0, 255));
    EXPECT_EQ(fresh.DefVisitedLinkColor(), rgb(128, 0, 128));
    fresh.SetDefPreFontName(std::string(40, 'c'));
    EXPECT_EQ(fresh.DefPreFontName().size(), 33u);
    fresh.SetHistoryMaxCount(5);
    fresh.SetHistoryMaxCount(-1);
    EXPECT_EQ(fresh.HistoryMaxCount(), 5);
    fresh.SetImageCacheCount(-3);
    EXPECT_EQ(fresh.ImageCacheCount(), 0);
    EXPECT_EQ(fresh.CursorNumber(), crTextCursor);
}

} // namespace
} // namespace tavlin::test
