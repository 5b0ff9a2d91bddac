// The block constructs of the builder: paragraphs, lists and their items, division-like
// elements, headings, rules and preformatted text.
#include "builder/Builder.h"
#include "document/Block.h"
#include "document/SectionList.h"
#include "reader/TextUtil.h"

#include <algorithm>

namespace tavlin {

namespace {

// What a paragraph holds: its end is implied by any symbol outside this set.
const SymSet kParagraphInline = {
    tagB,      endB,      tagI,          endI,     tagBR,    tagEM,       endEM,       tagSTRONG,
    endSTRONG, tagU,      endU,          tagCITE,  tagVAR,   endCITE,     endVAR,      tagTT,
    tagCODE,   tagKBD,    tagSAMP,       endTT,    endCODE,  endKBD,      endSAMP,     tagIMG,
    tagA,      endA,      symUnknownTag, symText,  tagINPUT, tagTEXTAREA, endTEXTAREA, tagSELECT,
    tagFONT,   endFONT,   tagBASEFONT,   tagSUB,   endSUB,   tagSUP,      endSUP,      tagBIG,
    endBIG,    tagSMALL,  endSMALL,      tagMAP,   tagPAGE,  tagSCRIPT,   endSCRIPT,   tagS,
    endS,      tagSTRIKE, endSTRIKE,     tagPANEL, tagNOBR,  endNOBR,     tagWBR,      tagSPAN,
    endSPAN};

// What a list passes to the inline dispatcher.
const SymSet kListInline = kParagraphInline | SymSet{tagTABLE, tagH, endH, tagHR, tagPRE};
// What a list item passes to the inline dispatcher; anything else not handled ends the item.
const SymSet kItemInline = kParagraphInline | SymSet{tagTABLE, tagH};
// What a heading holds.
const SymSet kHeadingInline = {
    symText,   tagB,        endB,        tagI,      endI,     tagBR,    tagEM,       endEM,     tagSTRONG,
    endSTRONG, tagU,        endU,        tagCITE,   endCITE,  tagVAR,   endVAR,      tagTT,     endTT,
    tagCODE,   endCODE,     tagKBD,      endKBD,    tagSAMP,  endSAMP,  tagIMG,      tagA,      endA,
    tagINPUT,  tagTEXTAREA, endTEXTAREA, tagSELECT, tagFONT,  endFONT,  tagBASEFONT, tagSUB,    endSUB,
    tagSUP,    endSUP,      tagBIG,      endBIG,    tagSMALL, endSMALL, tagSCRIPT,   endSCRIPT, tagS,
    endS,      tagSTRIKE,   endSTRIKE,   tagPANEL,  tagNOBR,  endNOBR,  tagWBR,      tagSPAN,   endSPAN};
// Where a division standing in a list ends.
const SymSet kInsideList = {endOL, tagLI, endUL, endDIR, endMENU, endDL, tagDD, tagDT, endBLOCKQUOTE, symEof};
const SymSet kListEnds = {endOL, endUL, endDIR, endMENU, endDL, endBLOCKQUOTE};
const SymSet kNestedLists = {tagOL, tagUL, tagDIR, tagMENU, tagDL};
const SymSet kBulletLists = {tagOL, tagUL, tagDIR, tagMENU};
const SymSet kPreStyleTags = {
    tagB,   endB,     tagI,     endI,    tagEM,  endEM,     tagSTRONG, endSTRONG, tagU,
    endU,   tagCITE,  endCITE,  tagVAR,  endVAR, tagTT,     endTT,     tagCODE,   endCODE,
    tagKBD, endKBD,   tagSAMP,  endSAMP, tagSUB, endSUB,    tagSUP,    endSUP,    tagBIG,
    endBIG, tagSMALL, endSMALL, tagS,    endS,   tagSTRIKE, endSTRIKE, tagSPAN,   endSPAN};

std::string ItemTag(HtmlSymbol sym) {
    return sym == tagDD ? "dd" : sym == tagDT ? "dt" : "li";
}

} // namespace

// ---- paragraphs ----

void THtmlBuilder::Paragraph(const SymSet& terminators) {
    if (terminators.Has(tagP)) {
        return;
    }
    CloseSection();
    rd_.SkipBlanks();
    TAttributeList attributes = rd_.Attributes;
    Next();
    // A run of empty paragraphs collapses into one, with the attributes of the last.
    while (Sym() == tagP || Sym() == endP) {
        if (Sym() == tagP) {
            attributes = rd_.Attributes;
        }
        rd_.SkipBlanks();
        Next();
    }
    PushBlock("p", attributes);
    AssignAlign(attributes, true);
    TCellBasic* outer = OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
    while (!terminators.Has(Sym())) {
        if (Sym() == symUnknownTag) {
            Next();
        } else if (kParagraphInline.Has(Sym())) {
            Inline();
        } else {
            break; // an implied </P>
        }
    }
    CloseSection();
    PopElement("p");
    CloseBlock(outer);
    if (Sym() == endP) {
        Next();
    }
}

// ---- lists ----

void THtmlBuilder::List(const SymSet& terminators) {
    if (!CanNest()) {
        return; // too deep: the caller skips the tag and the content goes into the block that holds it
    }
    Nest nest(depth_);
    const HtmlSymbol listSym = Sym();
    int number = 1;
    char type = '1';
    bool plain = false;
    if (listSym == tagOL) {
        if (const TAttribute* start = rd_.Attributes.FindAttribute(attrSTART);
            start && start->NumValue >= 0) {
            number = start->NumValue;
        }
        if (const TAttribute* t = rd_.Attributes.FindAttribute(attrTYPE); t && !t->Text.empty()) {
            type = t->Text[0];
        }
    } else if (listSym == tagUL) {
        plain = rd_.Attributes.FindAttribute(attrPLAIN) != nullptr;
    }
    CloseSection();
    PushBlock(lowerTagName(listSym), rd_.Attributes);
    auto block = MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps());
    block->ListIndent = kBulletLists.Has(listSym);
    TCellBasic* outer = OpenBlock(std::move(block));
    Next();
    if (kListEnds.Has(Sym())) {
        PopElement(lowerTagName(Sym()));
        CloseBlock(outer);
        return;
    }
    const int savedLevel = ListLevel;
    if (kBulletLists.Has(listSym)) {
        ++ListLevel;
    }
    const HtmlSymbol ownEnd = endSymbolOf(listSym);
    while (Sym() != ownEnd && Sym() != symEof && !terminators.Has(Sym())) {
        const HtmlSymbol sym = Sym();
        if (sym == tagP) {
            Paragraph(terminators);
        } else if (kNestedLists.Has(sym)) {
            List(terminators);
            if (!terminators.Has(Sym())) {
                Next();
            }
        } else if (sym == tagLI || sym == tagDD || sym == tagDT) {
            ListItem(listSym, number, plain, type, terminators);
            number = number < INT32_MAX ? number + 1 : number;
        } else if (sym == tagADDRESS || sym == tagBLOCKQUOTE) {
            Division(terminators);
        } else if (sym == tagCENTER || sym == tagDIV || sym == tagFORM) {
            Division(kInsideList | terminators);
        } else if (kListInline.Has(sym)) {
            Inline();
        } else {
            Next();
        }
    }
    ListLevel = savedLevel;
    CloseSection();
    if (isEndSymbol(Sym())) {
        PopElement(lowerTagName(Sym()));
    }
    CurCell->TrimLastBottomMargin();
    CloseBlock(outer);
}

void THtmlBuilder::ListItem(HtmlSymbol listSym, int number, bool plain, char type,
                            const SymSet& terminators) {
    if (!CanNest()) {
        Next();
        return;
    }
    Nest nest(depth_);
    const std::string tag = ItemTag(Sym());
    const bool inList = kNestedLists.Has(listSym);
    CloseSection();
    PushBlock(tag, rd_.Attributes);
    const std::string listTag = inList ? std::string(symbolName(listSym)) : std::string();
    TCellBasic* outer = OpenBlock(
        MakeInArena<TBlockLI>(doc_.Arena(), &doc_, CurCell, TopProps(), listTag, number, ListLevel, plain, type));
    OpenSection();
    rd_.SkipBlanks();
    Next();
    const SymSet divisionEnds = kInsideList | terminators;
    while (!terminators.Has(Sym())) {
        const HtmlSymbol sym = Sym();
        if (sym == tagP) {
            if (!inList) {
                break;
            }
            Paragraph(terminators);
        } else if (kNestedLists.Has(sym)) {
            List(terminators);
            if (!terminators.Has(Sym())) {
                Next();
            }
        } else if (sym == tagADDRESS || sym == tagBLOCKQUOTE || sym == tagCENTER || sym == tagDIV ||
                   sym == tagFORM) {
            Division(divisionEnds);
        } else if (sym == symUnknownTag) {
            Next();
        } else if (kItemInline.Has(sym)) {
            Inline();
        } else {
            break; // another item, a list end, a rule, preformatted text ...
        }
    }
    CloseSection();
    PopElement(tag);
    CurCell->TrimLastBottomMargin();
    CloseBlock(outer);
}

// ---- division-like elements ----

void THtmlBuilder::Division(const SymSet& terminators) {
    switch (Sym()) {
    case tagADDRESS:
    case tagBLOCKQUOTE:
        CloseSection();
        List(terminators);
        if (!terminators.Has(Sym())) {
            Next();
        }
        break;
    case tagCENTER:
        Center(terminators);
        break;
    case tagDIV:
        Div(terminators);
        break;
    default:
        Form(terminators);
        break;
    }
}

void THtmlBuilder::Center(const SymSet& terminators) {
    if (!CanNest()) {
        Next();
        return;
    }
    Nest nest(depth_);
    CloseSection();
    TAttributeList none;
    PushBlock("center", none);
    OpenSection();
    Next();
    BodyLoop(terminators | SymSet{endCENTER});
    PopElement("center");
    OpenSection();
    if (Sym() == endCENTER) {
        Next();
    }
}

void THtmlBuilder::Div(const SymSet& terminators) {
    if (!CanNest()) {
        Next();
        return;
    }
    Nest nest(depth_);
    CloseSection();
    PushBlock("div", rd_.Attributes);
    AssignAlign(rd_.Attributes, false);
    TCellBasic* outer = OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
    OpenSection();
    Next();
    BodyLoop(terminators | SymSet{endDIV});
    PopElement("div");
    CloseSection();
    CurCell->TrimLastBottomMargin();
    CloseBlock(outer);
    OpenSection();
    if (Sym() == endDIV) {
        Next();
    }
}

void THtmlBuilder::Form(const SymSet& terminators) {
    // A FORM inside a form closes the first and opens a second.
    while (Sym() == tagFORM) {
        if (!CanNest()) {
            Next();
            return;
        }
        Nest nest(depth_);
        CloseSection();
        PushBlock("form", rd_.Attributes);
        TCellBasic* outer = OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
        StartForm();
        Next();
        BodyLoop(terminators | SymSet{tagFORM, endFORM});
        PopElement("form");
        CloseSection();
        CurCell->TrimLastBottomMargin();
        CloseBlock(outer);
        if (Sym() == endFORM) {
            CurForm = nullptr;
            Next();
        }
    }
}

// ---- headings and rules ----

void THtmlBuilder::Heading() {
    const int level = rd_.HeadingLevel;
    if (level < 1 || level > 6) {
        Next();
        return;
    }
    CloseSection();
    const std::string tag = "h" + std::to_string(level);
    TAttributeList attributes = rd_.Attributes;
    PushBlock(tag, attributes);
    AssignAlign(attributes, false);
    rd_.SkipBlanks();
    Next();
    if (Sym() == tagCENTER) {
        TopProps().AssignProp(piTextAlign, std::string("center"));
        Next();
    }
    TCellBasic* outer = OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
    OpenSection(&attributes);
    while (true) {
        const HtmlSymbol sym = Sym();
        if (sym == tagP) {
            Paragraph(SymSet{});
        } else if (sym == symUnknownTag) {
            Next();
        } else if (kHeadingInline.Has(sym)) {
            Inline();
        } else {
            break;
        }
    }
    CloseSection();
    PopElement(tag);
    CloseBlock(outer);
    if (Sym() == endH) {
        Next();
    }
}

void THtmlBuilder::HorizontalRule() {
    CloseSection();
    PushBlock("hr", rd_.Attributes);
    auto rule = std::make_unique<THorzLine>(&doc_, TopProps(), rd_.Attributes);
    CurCell->AppendSection(std::make_unique<THRBlock>(&doc_, CurCell, TopProps(), std::move(rule)));
    PopElement("hr");
    Next();
}

// ---- preformatted text ----

void THtmlBuilder::Pre() {
    CloseSection();
    PushBlock("pre", rd_.Attributes);
    const int preDepth = stack_.Count();
    TCellBasic* outer = OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
    TCellBasic* preCell = CurCell;
    OpenPreSection();
    rd_.SetPreMode(true);
    TokenObj pending;
    bool innerParagraph = false;
    bool innerForm = false;
    bool skipLineEnd = false;
    auto flush = [&] {
        if (pending.Count() > 0) {
            if (!CurSection) {
                OpenPreSection();
            }
            CurSection->AppendText(pending, rd_.NoBreakMode);
            pending.Clear();
        }
    };
    // Closes an inner paragraph or form block: what follows goes to the PRE block again.
    auto closeInner = [&](bool& open, const char* tag) {
        if (!open) {
            return;
        }
        flush();
        CloseSection();
        PopElement(tag);
        CurCell = preCell;
        OpenPreSection();
        open = false;
    };
    auto openInner = [&](bool& open, const char* tag) {
        flush();
        CloseSection();
        PushBlock(tag, rd_.Attributes);
        OpenBlock(MakeInArena<TBlock>(doc_.Arena(), &doc_, CurCell, TopProps()));
        OpenPreSection();
        open = true;
    };
    while (true) {
        const char c = rd_.CurCh;
        if (c == kEndOfSource) {
            break;
        }
        if (c == '\r') {
            if (!skipLineEnd) {
                flush();
                OpenPreSection(); // every source line is a section of its own
            }
            skipLineEnd = false;
            rd_.Advance();
            continue;
        }
        skipLineEnd = false;
        if (c == '&') {
            Next();
            for (int i = 0; i < rd_.Token.Count(); ++i) {
                AddPreChar(pending, rd_.Token.Chars()[i], rd_.Token.PositionAt(i));
            }
            continue;
        }
        if (c != '<') {
            AddPreChar(pending, c, rd_.SourcePos);
            if (pending.Count() > kPreChunk) {
                flush();
            }
            rd_.Advance();
            continue;
        }
        Next();
        const HtmlSymbol sym = Sym();
        if (sym == endPRE || sym == endTD || sym == endTH) {
            break;
        }
        if (sym == symText) {
            pending.AppendToken(rd_.Token); // a '<' that starts no tag
        } else if (sym == tagP) {
            if (innerParagraph) {
                closeInner(innerParagraph, "p");
            } else {
                flush();
            }
            if (rd_.CurCh == '\r') {
                rd_.Advance();
            }
            openInner(innerParagraph, "p");
        } else if (sym == endP) {
            closeInner(innerParagraph, "p");
        } else if (kPreStyleTags.Has(sym)) {
            flush();
            StyleTag(sym);
        } else if (sym == tagBR) {
            flush();
            OpenPreSection();
            skipLineEnd = true;
        } else if (sym == tagFONT || sym == tagBASEFONT) {
            flush();
            if (FontTag(sym == tagBASEFONT, true)) {
                ChangeFont();
            }
        } else if (sym == endFONT) {
            flush();
            for (int i = stack_.Count(); i-- > preDepth;) {
                if (stack_[i].ElemTag == "font") {
                    PopElement("font"); // only an entry pushed inside the PRE
                    ChangeFont();
                    break;
                }
            }
        } else if (sym == tagFORM) {
            closeInner(innerParagraph, "p");
            closeInner(innerForm, "form");
            openInner(innerForm, "form");
            StartForm();
        } else if (sym == endFORM) {
            closeInner(innerParagraph, "p");
            closeInner(innerForm, "form");
            CurForm = nullptr;
        } else if (sym == tagA || sym == endA) {
            flush();
            Anchor(sym == tagA);
        } else if (sym == tagPAGE) {
            flush();
            CloseSection();
            CurCell->AppendSection(std::make_unique<TPage>(&doc_));
            OpenPreSection();
        } else if (sym == tagSCRIPT) {
            flush();
            Script();
        } else if (sym == tagINPUT || sym == tagSELECT || sym == tagTEXTAREA) {
            flush();
            FormControlTag(false);
        } else if (sym == tagMAP) {
            flush();
            Map();
        } else if (sym == tagIMG) {
            flush();
            Image();
        }
        // Every other tag is ignored (panels are read past).
    }
    flush();
    CloseSection();
    rd_.SetPreMode(false);
    PopTo(preDepth - 1);
    CurCell = outer;
    Next();
}

} // namespace tavlin
