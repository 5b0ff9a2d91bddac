// IMG and MAP as the builder reads them: images in text and in PRE, IDs, maps found by USEMAP.
#include "document/ImageObj.h"
#include "document/MapItem.h"
#include "tests/builder/BuilderTestUtil.h"

namespace tavlin::test {
namespace {

const std::string kRing = std::string(TAVLIN_TEST_DATA) + "/images/ring.gif";

TImageObj* ImageById(Built& b, const std::string& id) {
    return dynamic_cast<TImageObj*>(b.doc.IDs->Find(id));
}

TEST(BuilderImages, ImagesStandInTextAndInPre) {
    Built b(
        "<p id=p>a<img src=x.gif id=Pic style=\"float: right; margin-top: 4px\">b<nobr><img src=y.gif></nobr>"
        "<pre>c<img src=z.gif>d</pre>");
    const TImageObj* floating = ImageById(b, "PIC");
    ASSERT_NE(floating, nullptr) << "entered under its ID";
    EXPECT_EQ(floating->Source, "x.gif");
    EXPECT_EQ(floating->ObjAlign, ARight) << "the style's float";
    EXPECT_EQ(floating->TopSpace, 4);
    EXPECT_EQ(Shape(b.Cell()), "p('a\\4b\\7') pre(pre'c\\4d')") << "7: an image in NOBR";
}

TEST(BuilderImages, AMapIsFoundByItsNameAndAnswersForTheImage) {
    Built b("<map name=Shapes><area shape=rect coords=0,0,11,23 href=left.htm>text"
            "<area shape=rect coords=12,0,23,23 nohref></map>"
            "<p><a href=whole.htm><img id=i src=\"" +
            kRing + "\" usemap=#SHAPES border=0></a>");
    ASSERT_EQ(b.doc.Pictures.MapList.size(), 1u);
    EXPECT_EQ(b.doc.Pictures.MapList[0]->MapName, "SHAPES");
    b.Layout(400);
    b.Paint({0, 0, 400, 600});
    ASSERT_NE(ImageById(b, "I"), nullptr);
    const TImageObj& image = *ImageById(b, "I");
    TLinkAnswer left;
    ASSERT_TRUE(b.doc.LinkAtPoint(b.canvas, image.DrawX + 3, image.DrawYY + 3, left));
    EXPECT_EQ(left.Target.Url, "left.htm");
    TLinkAnswer right;
    EXPECT_FALSE(b.doc.LinkAtPoint(b.canvas, image.DrawX + 20, image.DrawYY + 3, right))
        << "NOHREF: not even the enclosing link";
}

TEST(BuilderImages, AMapWithThreeStrayTagsIsAbandoned) {
    Built b("<map name=m><area coords=0,0,1,1 href=a><b><i><u><area coords=0,0,1,1 href=b></map>x");
    EXPECT_TRUE(b.doc.Pictures.MapList.empty());
}

} // namespace
} // namespace tavlin::test
