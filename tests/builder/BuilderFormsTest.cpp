// Forms and form controls as the builder makes them, with headless controls: what each tag
// becomes, the options and text read into them, their submissions, and hostile sizes.
#include "builder/Builder.h"
#include "document/FormControl.h"
#include "document/HtmlForm.h"
#include "tests/builder/BuilderTestUtil.h"

namespace tavlin::test {
namespace {

// A built page whose submissions are collected (delivered at once: no event loop here).
struct FormPage : Built {
    explicit FormPage(std::string_view html) : Built(html) {
        host.OnFormSubmit = [this](TFormSubmission s) { submitted.push_back(std::move(s)); };
        doc.FormHost = &host;
    }
    TFormControlObj& Control(int i) {
        return dynamic_cast<TFormControlObj&>(*(*doc.FormControls)[size_t(i)]);
    }
    template <typename T> T& As(int i) { return dynamic_cast<T&>(Control(i)); }
    std::string Kinds() {
        std::string out;
        for (TFloatingObj* c : *doc.FormControls) {
            out += std::string(out.empty() ? "" : " ") + dynamic_cast<TFormControlObj&>(*c).KindName();
        }
        return out;
    }
    TFormHost host;
    std::vector<TFormSubmission> submitted;
};

TEST(BuilderForms, TagsAndTypesMakeTheirControlsAndPlaceholders) {
    FormPage p("a<INPUT>b<INPUT TYPE=PassWord><INPUT TYPE=Submit><INPUT TYPE=reset><INPUT TYPE=button>"
               "<INPUT TYPE=checkbox><INPUT TYPE=radio><INPUT TYPE=hidden><INPUT TYPE=image>"
               "<INPUT TYPE=textarea-ish><SELECT><OPTION>x</SELECT><SELECT SIZE=1></SELECT>"
               "<SELECT SIZE=2></SELECT><SELECT MULTIPLE></SELECT><TEXTAREA></TEXTAREA>c"
               "<NOBR><INPUT></NOBR>");
    EXPECT_EQ(p.Kinds(),
              "edit edit button button button checkbox radio hidden image edit combo combo listbox "
              "listbox textarea edit");
    // Hidden and image inputs take no control placeholder (the image stands as a picture).
    EXPECT_EQ(Shape(p.Cell()), "'a\\2b\\2\\2\\2\\2\\2\\2\\4\\2\\2\\2\\2\\2\\2c\\6'");
    EXPECT_EQ(p.As<TEditFormControlObj>(0).Size, 15);
    // One implicit form holds the controls outside any FORM.
    ASSERT_EQ(p.doc.Forms.size(), 1u);
    EXPECT_EQ(p.doc.Forms[0]->FormMethod, "Get");
    EXPECT_EQ(p.doc.Forms[0]->NonHiddenCount, 15);
}

TEST(BuilderForms, FormsTakeTheirAttributesAndEndAtTheirEndTag) {
    FormPage p("<FORM ACTION=/a METHOD=postal TARGET=t ENCTYPE=e><INPUT NAME=one></FORM><INPUT NAME=two>"
               "<FORM><INPUT NAME=three><FORM><INPUT NAME=four>");
    ASSERT_EQ(p.doc.Forms.size(), 4u);
    const ThtmlForm& first = *p.doc.Forms[0];
    EXPECT_EQ(first.FormAction + "|" + first.FormMethod + "|" + first.FormTarget + "|" + first.FormEncType,
              "/a|post|t|e");
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(p.doc.Forms[i]->Controls.size(), 1u);
    }
    EXPECT_EQ(p.doc.Forms[1]->Controls[0]->Name, "two"); // the implicit form after the first
    EXPECT_EQ(p.doc.Forms[3]->Controls[0]->Name, "four");
}

TEST(BuilderForms, OptionsAndTextAreaContentAreRead) {
    FormPage p("<SELECT NAME=s><OPTION>  One <OPTION VALUE=2 SELECTED>Two</OPTION> stray <OPTION SELECTED>"
               "Three</SELECT><TEXTAREA NAME=t>a <b>b</b>\nc &amp; d\n</TEXTAREA>"
               "<TEXTAREA NAME=u WRAP=OFF>x\ny</TEXTAREA>");
    const auto& combo = p.As<TComboFormControlObj>(0);
    ASSERT_EQ(combo.Options.size(), 3u);
    EXPECT_EQ(combo.Options[0].Text + "=" + combo.Options[0].Value, "One=One");
    EXPECT_EQ(combo.Options[1].Text + "=" + combo.Options[1].Value, "Two=2");
    EXPECT_TRUE(combo.Options[1].Selected);
    EXPECT_EQ(combo.Control->currentItem(), 2); // the last option marked SELECTED
    EXPECT_EQ(p.As<TTextAreaFormControlObj>(1).InitialText, "a <b>b</b> c & d ");
    EXPECT_EQ(p.As<TTextAreaFormControlObj>(2).InitialText, "x\r\ny");
    EXPECT_EQ(p.As<TTextAreaFormControlObj>(1).Control->text(), "a <b>b</b> c & d ");
}

TEST(BuilderForms, SubmissionPairsFollowEachKindsRules) {
    FormPage p("<FORM ACTION=x><INPUT NAME=e VALUE=v><INPUT TYPE=checkbox NAME=c1 CHECKED>"
               "<INPUT TYPE=checkbox NAME=c2><INPUT TYPE=radio NAME=r VALUE=a CHECKED>"
               "<INPUT TYPE=radio NAME=R VALUE=b><INPUT TYPE=hidden NAME=h VALUE=\"x y\">"
               "<SELECT NAME=m MULTIPLE><OPTION SELECTED>p<OPTION>q<OPTION VALUE=R SELECTED>r</SELECT>"
               "<SELECT NAME=one SIZE=3><OPTION>s<OPTION SELECTED>t</SELECT><SELECT NAME=none></SELECT>"
               "<TEXTAREA NAME=t>text</TEXTAREA><INPUT TYPE=submit NAME=go><INPUT TYPE=submit>"
               "<INPUT TYPE=image NAME=map>");
    ThtmlForm& form = *p.doc.Forms[0];
    EXPECT_EQ(form.Submission(),
              (std::vector<std::string>{"e=v", "c1=on", "r=a", "h=x y", "m=p", "m=R", "one=t", "t=text"}));
    // Two radio buttons whose names differ in case are one group.
    p.Control(4).Control->setChecked(true); // as the platform does before reporting the click
    p.Control(4).Clicked();
    EXPECT_FALSE(p.Control(3).Control->checked());
    p.Control(10).Clicked(); // the named submit button
    p.Control(11).Clicked(); // an unnamed one adds nothing
    ASSERT_EQ(p.submitted.size(), 2u);
    EXPECT_EQ(p.submitted[0].Results.back(), "go=Submit");
    EXPECT_EQ(p.submitted[1].Results.back(), "t=text");
    EXPECT_EQ(p.submitted[0].Action, "x");
    // An image input clicked adds its point, once.
    auto& image = p.As<TImageFormControlObj>(12);
    image.PendingX = 10;
    image.PendingY = 20;
    image.Clicked();
    const std::vector<std::string>& last = p.submitted.back().Results;
    EXPECT_EQ(std::vector<std::string>(last.end() - 2, last.end()),
              (std::vector<std::string>{"map.x=10", "map.y=20"}));
    EXPECT_EQ(form.Submission().size(), 8u);
}

TEST(BuilderForms, PresetValuesAndReset) {
    FormPage p("<INPUT NAME=e VALUE=v><INPUT TYPE=checkbox VALUE=Yes><SELECT MULTIPLE><OPTION VALUE=a>A"
               "<OPTION VALUE=b SELECTED>B<OPTION VALUE=A>C</SELECT><SELECT><OPTION>x<OPTION>y</SELECT>");
    p.Control(0).SetData(0, "typed");
    p.Control(1).SetData(0, "yes");
    p.Control(2).SetData(0, "a");
    p.Control(3).SetData(0, "y");
    EXPECT_EQ(p.Control(0).Control->text(), "typed");
    EXPECT_TRUE(p.Control(1).Control->checked());
    const FormControl& list = *p.Control(2).Control;
    EXPECT_TRUE(list.itemSelected(0) && !list.itemSelected(1) && list.itemSelected(2));
    EXPECT_EQ(p.Control(3).Control->currentItem(), 1);
    p.doc.Forms[0]->ResetControls();
    EXPECT_EQ(p.Control(0).Control->text(), "v");
    EXPECT_FALSE(p.Control(1).Control->checked());
    EXPECT_TRUE(!list.itemSelected(0) && list.itemSelected(1) && !list.itemSelected(2));
    EXPECT_EQ(p.Control(3).Control->currentItem(), 0);
}

TEST(BuilderForms, SizesFromAttributesAndFont) {
    FormPage p("<INPUT SIZE=4><INPUT SIZE=\"12, 3\"><INPUT SIZE=\"ab, c\"><INPUT TYPE=submit VALUE=Go>"
               "<SELECT><OPTION>longer text</SELECT><SELECT SIZE=2><OPTION>a</SELECT>"
               "<SELECT MULTIPLE></SELECT><TEXTAREA ROWS=2 COLS=10></TEXTAREA><INPUT STYLE=\"width: 50px; "
               "height: 30px\">");
    p.Layout(600);
    const int zero = p.canvas.textWidth("0");
    const int letter = p.canvas.textExtent("A").cy;
    EXPECT_EQ(p.As<TEditFormControlObj>(1).Size, 12);
    EXPECT_EQ(p.As<TEditFormControlObj>(2).Size, 20);
    EXPECT_EQ(p.Control(0).ObjWidth, zero * 4 + 5);
    EXPECT_EQ(p.Control(3).ObjWidth, p.canvas.textWidth("Go") + 20);
    EXPECT_EQ(p.Control(3).ObjHeight, letter + 8);
    EXPECT_EQ(p.As<TListBoxFormControlObj>(5).Rows, 2);
    EXPECT_EQ(p.As<TListBoxFormControlObj>(6).Rows, 1); // no options: one row
    EXPECT_EQ(p.Control(5).Control->clientSize().cy, letter * 2);
    EXPECT_EQ(p.Control(7).Control->clientSize().cy, letter * 2 + 5);
    EXPECT_EQ(p.Control(7).Control->clientSize().cx, p.canvas.textWidth("s") * 10 + 5);
    EXPECT_EQ(p.Control(8).ObjWidth, 50);
    EXPECT_EQ(p.Control(8).ObjHeight, 30);
}

TEST(BuilderForms, HostileSizesAndCountsStayBounded) {
    std::string huge = "<SELECT SIZE=2000000000>";
    for (int i = 0; i < 1000000; ++i) {
        huge += "<OPTION>o";
    }
    huge += "</SELECT><TEXTAREA ROWS=-1 COLS=-5>" + std::string(50 << 20, 'x') +
            "</TEXTAREA><INPUT SIZE=2000000000><INPUT STYLE=\"width: 90000000px\">";
    FormPage p(huge);
    p.Layout(600);
    auto& list = p.As<TListBoxFormControlObj>(0);
    EXPECT_EQ(list.Options.size(), size_t(kMaxOptions));
    EXPECT_EQ(list.ObjHeight, kMaxControlExtent + 4);
    auto& area = p.As<TTextAreaFormControlObj>(1);
    EXPECT_EQ(area.InitialText.size(), kMaxInitialText);
    EXPECT_EQ(area.Rows, 5);
    EXPECT_EQ(area.Cols, 30);
    EXPECT_LE(p.Control(2).ObjWidth, kMaxControlExtent);
    EXPECT_LE(p.Control(3).ObjWidth, kMaxControlExtent);
    p.Paint(Rect{0, 0, 600, 400}); // the pictures of huge controls draw in bounded time

    std::string many;
    for (int i = 0; i < 100000; ++i) {
        many += "<INPUT>";
    }
    FormPage crowded(many);
    EXPECT_EQ(crowded.doc.FormControls->size(), size_t(THtmlBuilder::kMaxFormControls));
}

} // namespace
} // namespace tavlin::test
