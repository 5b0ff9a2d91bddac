// Links, history and the mouse over the viewer on the offscreen platform.
#include "document/FontObj.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/ViewerCursors.h"

namespace tavlin::test {
namespace {

using ViewerLinks = ViewerTest;
using ViewerMouse = ViewerTest;

// Where the first link of the first line stands: inside the body margins (10, 5).
const QPoint kFirstLink(14, 9);

bool anyLinkVisited(TViewer& viewer) {
    bool visited = false;
    viewer.Document().ForEachTextSection([&](TSection& section) {
        for (int i = 0; i < section.FontRuns.Count(); ++i) {
            visited = visited || (section.FontRuns[i].HasLink() && section.FontRuns[i].Visited);
        }
    });
    return visited;
}

TEST_F(ViewerLinks, ClickingALocalLinkLoadsItAndMarksItVisited) {
    const std::string two = write("two.htm", "<title>Two</title><p>Second page");
    const std::string one = write("one.htm", "<title>One</title><a href=\"two.htm\">Second</a> and more");
    std::vector<std::string> clicked;
    viewer->OnHotSpotClick = [&](TViewer*, const std::string& url, bool& handled) {
        clicked.push_back(url);
        handled = false;
    };
    viewer->SetHistoryMaxCount(5);
    viewer->LoadFile(one);
    EXPECT_FALSE(anyLinkVisited(*viewer));
    move(kFirstLink);
    EXPECT_EQ(viewer->CoveredURL(), "two.htm");
    EXPECT_EQ(viewer->CursorNumber(), crLinkHand);
    click(kFirstLink);
    EXPECT_EQ(clicked, std::vector<std::string>{"two.htm"});
    EXPECT_EQ(viewer->CurrentFileName(), two);
    EXPECT_EQ(viewer->DocumentTitle(), "Two");
    ASSERT_FALSE(viewer->VisitedList().empty());
    EXPECT_EQ(viewer->VisitedList().front(), two);
    EXPECT_TRUE(errors.empty());

    // Back on the first page its link shows as visited.
    viewer->LoadFile(one);
    EXPECT_TRUE(anyLinkVisited(*viewer));
    ASSERT_EQ(viewer->HistoryList().size(), 3u);
    EXPECT_EQ(viewer->HistoryList()[0].Name, one);
    EXPECT_EQ(viewer->HistoryList()[1].Name, two);
    EXPECT_EQ(viewer->HistoryList()[1].Title, "Two");
    EXPECT_EQ(viewer->HistoryList()[2].Name, one);
    EXPECT_EQ(viewer->HistoryIndex(), 0);
}

TEST_F(ViewerLinks, AWebAddressDoesNothing) {
    const std::string page = write(
        "page.htm", "<a href=\"http://www.example.com/\">Example</a> <a href=\"https://e.org/a.html\">B</a>");
    int clicks = 0;
    viewer->OnHotSpotClick = [&](TViewer*, const std::string&, bool&) { ++clicks; };
    viewer->LoadFile(page);
    click(kFirstLink);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(viewer->CurrentFileName(), page);
    viewer->FollowLink("https://e.org/a.html");
    viewer->FollowLink("notes.txt");
    EXPECT_EQ(viewer->CurrentFileName(), page);
    EXPECT_TRUE(errors.empty()) << "nothing was tried, so nothing failed";
    EXPECT_TRUE(viewer->VisitedList().empty());
}

TEST_F(ViewerLinks, AHandledClickIsLeftToTheHostAndABrokenLinkIsShown) {
    write("page.htm", "<a href=\"gone.htm\">Gone</a>");
    viewer->LoadFile(path("page.htm"));
    viewer->OnHotSpotClick = [](TViewer*, const std::string&, bool& handled) { handled = true; };
    click(kFirstLink);
    EXPECT_TRUE(errors.empty());
    viewer->OnHotSpotClick = nullptr;
    click(kFirstLink);
    EXPECT_EQ(errors, std::vector<std::string>{"Can't locate file: " + path("gone.htm")});
    EXPECT_EQ(viewer->CurrentFileName(), path("page.htm"));
}

TEST_F(ViewerLinks, HistoryOnlyWhenItsLengthAllows) {
    const std::string page =
        write("page.htm", "<body><a href=\"#end\">To the end</a>" + paras(80) +
                              "<p><a name=\"end\">The end</a> <a href=\"two.htm\">Two</a>");
    write("two.htm", "<p>two");
    int changes = 0;
    viewer->OnHistoryChange = [&](TViewer*) { ++changes; };
    viewer->LoadFile(page);
    click(kFirstLink);
    EXPECT_GT(viewer->ScrollPosition(), 0) << "the anchor was followed";
    viewer->FollowLink("two.htm");
    EXPECT_EQ(viewer->CurrentFileName(), path("two.htm"));
    EXPECT_TRUE(viewer->HistoryList().empty());
    EXPECT_EQ(changes, 0);

    viewer->SetHistoryMaxCount(2);
    viewer->LoadFile(page);
    viewer->FollowLink("#end");
    viewer->FollowLink("two.htm");
    EXPECT_EQ(viewer->HistoryList().size(), 2u) << "cut to HistoryMaxCount";
    EXPECT_EQ(viewer->HistoryList()[0].Name, path("two.htm"));
    EXPECT_GT(changes, 0);
    viewer->SetHistoryMaxCount(1);
    EXPECT_TRUE(viewer->HistoryList().empty()) << "lowering the length clears the history";
}

TEST_F(ViewerLinks, VisitedListKeepsItsLengthAndOrder) {
    viewer->LoadFile(write("page.htm", "<a href=\"a.htm\">A</a>"));
    viewer->SetVisitedMaxCount(2);
    viewer->MarkVisited("/x/1.htm");
    viewer->MarkVisited("/x/2.htm");
    viewer->MarkVisited("/X/1.HTM");
    EXPECT_EQ(viewer->VisitedList(), (std::vector<std::string>{"/x/1.htm", "/x/2.htm"}))
        << "moved to the front";
    viewer->MarkVisited(path("A.HTM"));
    EXPECT_EQ(viewer->VisitedList().size(), 2u);
    EXPECT_TRUE(anyLinkVisited(*viewer)) << "a link is matched without regard to case";
    viewer->SetVisitedMaxCount(0);
    viewer->MarkVisited("/x/3.htm");
    EXPECT_TRUE(viewer->VisitedList().empty());
}

TEST_F(ViewerMouse, HoverReportsTheLinkAndClearsWhenTheMouseLeaves) {
    viewer->SethtOptions(htOverLinksActive);
    viewer->LoadFile(write("page.htm", "<a href=\"x.htm\">A link</a><p>Plain text below it"));
    std::vector<std::string> covered;
    viewer->OnHotSpotCovered = [&](TViewer*, const std::string& url) { covered.push_back(url); };
    move(kFirstLink);
    EXPECT_TRUE(viewer->HoverTimer().isActive());
    ASSERT_TRUE(viewer->Document().HoverLink);
    EXPECT_TRUE(viewer->Document().HoverLink.Run().Hover);
    move(kFirstLink + QPoint(2, 0));
    EXPECT_EQ(covered, std::vector<std::string>{"x.htm"}) << "once per change of link";
    move(QPoint(380, 200));
    EXPECT_EQ(viewer->CursorNumber(), 0) << "the arrow away from text";
    EXPECT_EQ(covered, (std::vector<std::string>{"x.htm", ""}));

    move(kFirstLink);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&surface(), &leave);
    viewer->HoverTimerTick();
    EXPECT_FALSE(viewer->HoverTimer().isActive());
    EXPECT_FALSE(viewer->Document().HoverLink);
    EXPECT_EQ(covered.back(), "");
    EXPECT_EQ(viewer->CoveredURL(), "");
}

TEST_F(ViewerMouse, MiddleClickScrollsUntilReleasedAway) {
    viewer->LoadFile(write("long.htm", paragraphs(200)));
    press(Qt::MiddleButton, QPoint(100, 100));
    release(Qt::MiddleButton, QPoint(100, 100));
    EXPECT_TRUE(viewer->MiddleScrollMode()) << "a click at one spot keeps the mode";
    EXPECT_EQ(viewer->CursorNumber(), crUpDownCursor);

    move(QPoint(100, 110));
    EXPECT_FALSE(viewer->AutoScrolling()) << "within 20 pixels nothing moves";
    move(QPoint(100, 170));
    EXPECT_TRUE(viewer->AutoScrolling());
    QTest::qWait(350);
    const int moved = viewer->ScrollPosition();
    EXPECT_GE(moved, 3 * 32) << "32 pixels a step more than 60 pixels away";
    EXPECT_EQ(moved % 32, 0);
    EXPECT_EQ(viewer->CursorNumber(), crDownOnlyCursor);

    move(QPoint(100, 60));
    viewer->AutoScrollStep();
    EXPECT_EQ(viewer->ScrollPosition() % 32, 24) << "8 up between 20 and 60 pixels above";
    EXPECT_EQ(viewer->CursorNumber(), crUpOnlyCursor);

    release(Qt::MiddleButton, QPoint(100, 60));
    EXPECT_FALSE(viewer->MiddleScrollMode());
    EXPECT_FALSE(viewer->AutoScrolling());
    const int stopped = viewer->ScrollPosition();
    QTest::qWait(250);
    EXPECT_EQ(viewer->ScrollPosition(), stopped);

    // Another button ends the mode too, and so does a key.
    press(Qt::MiddleButton, QPoint(50, 50));
    press(Qt::LeftButton, QPoint(50, 50));
    EXPECT_FALSE(viewer->MiddleScrollMode());
    press(Qt::MiddleButton, QPoint(50, 50));
    key(Qt::Key_Down);
    EXPECT_FALSE(viewer->MiddleScrollMode());
}

TEST_F(ViewerMouse, DraggingPastTheEdgeScrollsAndSelects) {
    viewer->LoadFile(write("long.htm", paragraphs(200)));
    const int height = viewer->PaintPanel().height();
    press(Qt::LeftButton, QPoint(20, 30));
    ASSERT_GE(viewer->DragAnchor(), 0);
    move(QPoint(20, height + 5), Qt::LeftButton);
    EXPECT_TRUE(viewer->AutoScrolling());
    viewer->AutoScrollStep();
    EXPECT_EQ(viewer->ScrollPosition(), 16) << "one line a step just below the surface";
    move(QPoint(20, height + 40), Qt::LeftButton);
    viewer->AutoScrollStep();
    EXPECT_EQ(viewer->ScrollPosition(), 16 + 8 * 16) << "eight lines a step further away";
    EXPECT_GT(viewer->Document().SelEnd, viewer->DragAnchor()) << "the selection follows";
    release(Qt::LeftButton, QPoint(20, height + 40));
    EXPECT_FALSE(viewer->AutoScrolling());
}

TEST_F(ViewerMouse, ARightClickReportsTheLinkAndTheWord) {
    viewer->LoadFile(write("page.htm", "<a href=\"x.htm\">Linked words</a> plain"));
    TRightClickParameters seen;
    int calls = 0;
    viewer->OnRightClick = [&](TViewer*, const TRightClickParameters& parameters) {
        seen = parameters;
        ++calls;
    };
    press(Qt::RightButton, kFirstLink);
    release(Qt::RightButton, kFirstLink);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen.URL, "x.htm");
    EXPECT_EQ(seen.ClickWord, "Linked");
    EXPECT_EQ(seen.Point, kFirstLink);
    EXPECT_EQ(viewer->CurrentFileName(), path("page.htm")) << "a right click follows nothing";
}

TEST_F(ViewerMouse, DraggingSelectsAndADoubleClickTakesAWord) {
    viewer->LoadFile(write("page.htm", "Alpha beta gamma delta"));
    press(Qt::LeftButton, QPoint(12, 9));
    EXPECT_EQ(viewer->DragAnchor(), 0);
    move(QPoint(60, 9), Qt::LeftButton);
    release(Qt::LeftButton, QPoint(60, 9));
    EXPECT_EQ(viewer->SelectionStart(), 0);
    EXPECT_GT(viewer->Document().SelEnd, 3);
    EXPECT_EQ(viewer->CaretPos(), viewer->Document().SelEnd);

    viewer->SetNoSelect(true);
    EXPECT_EQ(viewer->Document().SelEnd, viewer->Document().SelStart);
    viewer->SetNoSelect(false);

    bool doubled = false;
    viewer->OnMouseDouble = [&](TViewer*) { doubled = true; };
    mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(14, 9), Qt::LeftButton);
    EXPECT_TRUE(doubled);
    EXPECT_EQ(viewer->Document().SelStart, 0);
    EXPECT_EQ(viewer->Document().SelEnd, 5) << "\"Alpha\"";
    EXPECT_EQ(viewer->CaretPos(), 0);
}

TEST_F(ViewerMouse, DoubleClickSelectsAWordOfUtf8TextAndKeepsItAfterTheRelease) {
    viewer->LoadFile(write("page.htm", "<meta http-equiv=content-type content=\"text/html; charset=utf-8\">"
                                       "na\xC3\xAFve\xE2\x80\x94word caf\xC3\xA9"));
    const QPoint onFirstWord(16, 9);
    press(Qt::LeftButton, onFirstWord);
    release(Qt::LeftButton, onFirstWord);
    mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, onFirstWord, Qt::LeftButton);
    release(Qt::LeftButton, onFirstWord);
    // The em dash ends the word; the two-byte letter belongs to it.
    EXPECT_EQ(viewer->Document().SelStart, 0);
    EXPECT_EQ(viewer->Document().SelEnd, 6) << "\"na\xC3\xAFve\"";
    EXPECT_EQ(viewer->CaretPos(), 0);
}

} // namespace
} // namespace tavlin::test
