// The builder's form steps: FORM makes the current form; INPUT, SELECT and TEXTAREA make
// controls in the current section, with the options and text they hold.
#include "builder/Builder.h"
#include "document/FormImage.h"
#include "document/HtmlForm.h"
#include "document/SectionList.h"

#include <optional>

namespace tavlin {

namespace {

constexpr size_t kMaxOptionText = 255;

std::string_view Capped(std::string_view text, size_t limit) {
    return text.substr(0, limit);
}

} // namespace

void THtmlBuilder::StartForm() {
    doc_.Forms.push_back(std::make_unique<ThtmlForm>(doc_, &rd_.Attributes));
    CurForm = doc_.Forms.back().get();
}

ThtmlForm& THtmlBuilder::CurrentForm() {
    if (!CurForm) {
        doc_.Forms.push_back(std::make_unique<ThtmlForm>(doc_, nullptr));
        CurForm = doc_.Forms.back().get();
    }
    return *CurForm;
}

bool THtmlBuilder::FormControlsFull() const {
    return doc_.FormControls && doc_.FormControls->size() >= size_t(kMaxFormControls);
}

void THtmlBuilder::FormControlTag(bool moveOn) {
    const HtmlSymbol sym = Sym();
    if (FormControlsFull()) {
        // Past the limit, controls are read past as if they were unknown.
        if (sym == tagSELECT) {
            SkipSelect();
        } else if (sym == tagTEXTAREA) {
            SkipTextArea();
        }
        if (moveOn && (sym != tagSELECT || Sym() == endSELECT)) {
            Next();
        }
        return;
    }
    TSection& section = EnsureSection();
    const std::string tag = sym == tagINPUT ? "input" : sym == tagSELECT ? "select" : "textarea";
    const bool pushed = PushInline(tag);
    TFormControlObj& control = MakeFormControl(CurrentForm(), sym, rd_.Attributes, rd_.TagStartPos);
    if (auto* image = dynamic_cast<TImageFormControlObj*>(&control)) {
        section.AddObject(std::make_unique<TFormImageObj>(doc_, *image, rd_.Attributes, rd_.TagStartPos),
                          rd_.TagStartPos, rd_.NoBreakMode);
    } else if (control.InLine()) {
        section.AddControl(&control, rd_.TagStartPos, rd_.NoBreakMode);
    }
    if (auto* list = dynamic_cast<TListBoxFormControlObj*>(&control)) {
        SelectOptions(*list);
    } else if (auto* area = dynamic_cast<TTextAreaFormControlObj*>(&control)) {
        TextAreaContent(*area);
    }
    control.ApplyStyle(TopProps());
    if (pushed) {
        PopElement(tag);
    }
    // A SELECT ends at the symbol that ended its options; only its own end tag is passed.
    if (moveOn && (sym != tagSELECT || Sym() == endSELECT)) {
        Next();
    }
}

void THtmlBuilder::SelectOptions(TListBoxFormControlObj& list) {
    const bool noBreak = rd_.NoBreakMode;
    rd_.NoBreakMode = false;
    static const SymSet ends = {tagP,  symEof, endTABLE,   tagTD,      endTD,    tagTR,    endTR,
                                tagTH, endTH,  tagCAPTION, endCAPTION, tagINPUT, endSELECT};
    std::optional<TFormOption> pending;
    bool hasValue = false;
    const auto finish = [&] {
        if (pending) {
            pending->Text = trimmed(pending->Text);
            if (!hasValue) {
                pending->Value = pending->Text;
            }
            list.AddOption(std::move(*pending));
            pending.reset();
        }
    };
    Next();
    while (!ends.Has(Sym())) {
        if (Sym() == symText && pending && pending->Text.size() < kMaxOptionText) {
            pending->Text += Capped(rd_.Token.View(), kMaxOptionText - pending->Text.size());
        } else if (Sym() == tagOPTION || Sym() == endOPTION) {
            finish();
            if (Sym() == tagOPTION) {
                pending.emplace();
                pending->Selected = rd_.Attributes.FindAttribute(attrSELECTED) != nullptr;
                const TAttribute* value = rd_.Attributes.FindAttribute(attrVALUE);
                hasValue = value != nullptr;
                if (value) {
                    pending->Value = std::string(Capped(value->Text, kMaxOptionText));
                }
            }
        }
        Next();
    }
    finish();
    list.ContentComplete();
    rd_.NoBreakMode = noBreak;
}

void THtmlBuilder::TextAreaContent(TTextAreaFormControlObj& area) {
    const std::string_view lineEnd = area.WrapMode == MemoWrap::Off ? "\r\n" : " ";
    std::string line;
    rd_.ReadTextAreaToken();
    while (Sym() != symTextAreaEnd && Sym() != symEof) {
        if (Sym() == symLineEnd) {
            area.AddText(line);
            area.AddText(lineEnd);
            line.clear();
        } else if (line.size() < kMaxInitialText) {
            line += rd_.Token.View();
        }
        rd_.ReadTextAreaToken();
    }
    if (Sym() == symTextAreaEnd) {
        while (rd_.CurCh != '>' && rd_.CurCh != kEndOfSource) {
            rd_.Advance();
        }
        if (rd_.CurCh == '>') {
            rd_.Advance();
        }
    }
    area.AddText(line);
    area.ContentComplete();
}

} // namespace tavlin
