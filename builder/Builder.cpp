// The document builder: entry points, the state of a parse, the body loop and the inline
// dispatcher (text, style tags, fonts, line breaks, anchors).
#include "builder/Builder.h"

#include "document/Block.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <stdexcept>

namespace tavlin {

namespace {

const SymSet kInlineStyleStarts = {tagB,      tagI,   tagEM,    tagSTRONG, tagU,    tagCITE,
                                   tagVAR,    tagTT,  tagCODE,  tagKBD,    tagSAMP, tagS,
                                   tagSTRIKE, tagBIG, tagSMALL, tagSPAN,   tagSUB,  tagSUP};
const SymSet kInlineStyleEnds = {endB,      endI,   endEM,    endSTRONG, endU,    endCITE,
                                 endVAR,    endTT,  endCODE,  endKBD,    endSAMP, endS,
                                 endSTRIKE, endBIG, endSMALL, endSPAN,   endSUB,  endSUP};

} // namespace

THtmlBuilder::THtmlBuilder(TSectionList& document, const TParseOptions& options)
    : doc_(document), opt_(options) {
    InstallPictureMaker();
}

void THtmlBuilder::SetDocumentDirectory(std::string directory) {
    docDirectory_ = std::move(directory);
    doc_.Pictures.Directory = docDirectory_;
}

THtmlBuilder::~THtmlBuilder() = default;

// ---- a parse ----

void THtmlBuilder::StartParse() {
    CurCell = &doc_;
    stack_.SetStyleList(doc_.Styles.get());
    stack_.Clear();
    tagCounts_.clear();
    stack_.PushRoot();
    auto body = std::make_unique<TBodyBlock>(&doc_, &doc_, TopProps());
    BodyBlock = body.get();
    doc_.AppendSection(std::move(body));
    CurCell = &BodyBlock->Content;
    CurLink = TUrlTarget();
    InLink = false;
    BaseFontSize = 3;
    ListLevel = 0;
    TableDepth = 0;
    ScriptShift = 0;
    depth_ = 0;
    result_ = TParseResult();
    rd_.IDNames = doc_.IDs.get();
    rd_.CharSet = TopProps().CharSet;
    rd_.OnInclude = opt_.OnInclude;
    CurSection = MakeInArena<TSection>(doc_.Arena(), &doc_, nullptr, TopProps(), nullptr);
}

void THtmlBuilder::FinishParse() {
    if (CurCell) {
        CloseSection();
    }
    CurSection.reset();
    rd_.Attributes.Clear();
    CurLink = TUrlTarget();
    stack_.Clear();
    tagCounts_.clear();
    rd_.SetPreMode(false);
    rd_.NoBreakMode = rd_.PlainTextMode = false;
    if (doc_.Styles && doc_.Styles->UsesHover) {
        doc_.HoverEnabled = true;
    }
}

TParseResult THtmlBuilder::ParseHtml(bool loaded, const std::string& failure) {
    StartParse();
    try {
        if (!loaded) {
            throw std::runtime_error(failure);
        }
        Next();
        BodyLoop(SymSet{});
    } catch (const std::exception& e) {
        // The document keeps everything built before the error.
        result_.Error = e.what();
    }
    FinishParse();
    return result_;
}

// ---- sections and blocks ----

void THtmlBuilder::CloseSection() {
    if (CurSection) {
        CurCell->AppendSection(std::move(CurSection));
    }
}

void THtmlBuilder::OpenSection(const TAttributeList* attributes) {
    CloseSection();
    CurSection = MakeInArena<TSection>(doc_.Arena(), &doc_, &CurLink, TopProps(), attributes);
    CurSection->FontRuns[0].ScriptShift = ScriptShift;
}

void THtmlBuilder::OpenPreSection() {
    CloseSection();
    CurSection = MakeInArena<TPreFormated>(doc_.Arena(), &doc_, &CurLink, TopProps(), nullptr);
    CurSection->FontRuns[0].ScriptShift = ScriptShift;
    preLine_.NewLine(rd_.CharSet == DEFAULT_CHARSET); // every preformatted section is one line
}

void THtmlBuilder::AddPreChar(TokenObj& pending, char c, int32_t sourcePos) {
    if (c != '\t') {
        preLine_.Count(c);
        pending.AddChar(c, sourcePos);
        return;
    }
    for (int spaces = preLine_.Tab(); spaces > 0; --spaces) {
        pending.AddChar(' ', sourcePos);
    }
}

TSection& THtmlBuilder::EnsureSection() {
    if (!CurSection) {
        OpenSection();
    }
    return *CurSection;
}

void THtmlBuilder::ChangeFont() {
    if (CurSection) {
        CurSection->ChangeFont(TopProps(), ScriptShift);
    }
}

TCellBasic* THtmlBuilder::OpenBlock(std::unique_ptr<TBlock> block) {
    TCellBasic* outer = CurCell;
    TCellBasic* content = &block->Content;
    CurCell->AppendSection(std::move(block));
    CurCell = content;
    return outer;
}

void THtmlBuilder::CloseBlock(TCellBasic* outer) {
    CloseSection();
    CurCell = outer;
}

// ---- property stack ----

void THtmlBuilder::PushBlock(const std::string& tag, TAttributeList& attributes) {
    stack_.PushElement(tag, attributes.ClassValue(), attributes.IdValue(), attributes.StyleProperties(), {});
    ++tagCounts_[tag];
}

bool THtmlBuilder::PushInline(const std::string& tag, std::string_view pseudo) {
    if (stack_.Count() >= kMaxPropEntries) {
        return false;
    }
    TAttributeList& a = rd_.Attributes;
    stack_.PushElement(tag, a.ClassValue(), a.IdValue(), a.StyleProperties(), pseudo);
    ++tagCounts_[tag];
    return true;
}

void THtmlBuilder::PopElement(const std::string& tag) {
    const auto it = tagCounts_.find(tag);
    if (it == tagCounts_.end() || it->second == 0) {
        return;
    }
    stack_.PopElement(tag);
    --it->second;
}

void THtmlBuilder::PopTo(int count) {
    for (int i = std::max(count, 1); i < stack_.Count(); ++i) {
        if (const auto it = tagCounts_.find(stack_[i].ElemTag); it != tagCounts_.end() && it->second > 0) {
            --it->second;
        }
    }
    stack_.PopTo(count);
}

void THtmlBuilder::AssignAlign(const TAttributeList& attributes, bool onlyKnown) {
    const TAttribute* align = attributes.FindAttribute(attrALIGN);
    if (!align) {
        return;
    }
    const std::string value = toLowerAscii(align->Text);
    if (!onlyKnown || value == "left" || value == "center" || value == "right") {
        TopProps().AssignProp(piTextAlign, value);
    }
}

// ---- the body loop ----

void THtmlBuilder::BodyLoop(const SymSet& terminators) {
    while (!terminators.Has(Sym())) {
        switch (Sym()) {
        case tagTITLE:
            Title();
            break;
        case tagBODY:
            if (BodyBlock->Content.IsEmpty() && stack_.Count() == 1) {
                Body();
            } else {
                Next();
            }
            break;
        case tagP:
            Paragraph(terminators);
            break;
        case tagLI:
            ListItem(symUnknownTag, 1, false, '1', terminators);
            break;
        case tagDD:
        case tagDT:
            ListItem(tagDL, 1, false, '1', terminators);
            break;
        case tagOL:
        case tagUL:
        case tagDIR:
        case tagMENU:
        case tagDL:
            List(terminators);
            if (!terminators.Has(Sym())) {
                Next();
            }
            break;
        case tagADDRESS:
        case tagBLOCKQUOTE:
        case tagCENTER:
        case tagFORM:
        case tagDIV:
            Division(terminators);
            break;
        case tagBASE:
            Base();
            break;
        case tagLINK:
            if (BodyBlock->Content.IsEmpty() && stack_.Count() == 1) {
                Link();
            } else {
                Next();
            }
            break;
        case endFORM:
            CurForm = nullptr;
            Next();
            break;
        case tagBGSOUND:
            BgSound();
            break;
        case tagMETA:
            Meta();
            break;
        case tagSTYLE:
            Style();
            break;
        case symEof:
            Next();
            return;
        default:
            Inline(); // the inline dispatcher skips what it does not take
            break;
        }
    }
}

// ---- the inline dispatcher ----

void THtmlBuilder::Inline() {
    const HtmlSymbol sym = Sym();
    if (kInlineStyleStarts.Has(sym) || kInlineStyleEnds.Has(sym)) {
        StyleTag(sym);
        Next();
        return;
    }
    switch (sym) {
    case symText:
        EnsureSection().AppendText(rd_.Token, rd_.NoBreakMode);
        Next();
        break;
    case tagFONT:
    case tagBASEFONT:
        if (FontTag(sym == tagBASEFONT, false)) {
            ChangeFont();
        }
        Next();
        break;
    case endFONT:
        PopElement("font");
        ChangeFont();
        Next();
        break;
    case tagBR:
        LineBreak();
        Next();
        break;
    case tagH:
        Heading();
        break;
    case tagHR:
        HorizontalRule();
        break;
    case tagPRE:
        Pre();
        break;
    case tagA:
    case endA:
        Anchor(sym == tagA);
        Next();
        break;
    case tagINPUT:
    case tagSELECT:
    case tagTEXTAREA:
        FormControlTag(true);
        break;
    case tagMAP:
        Map();
        Next();
        break;
    case tagIMG:
        Image();
        Next();
        break;
    case tagPAGE:
        PageBreak();
        Next();
        break;
    case tagTABLE:
        Table();
        break;
    case tagSCRIPT:
        Script();
        Next();
        break;
    case tagNOBR:
    case endNOBR:
        rd_.NoBreakMode = sym == tagNOBR;
        Next();
        break;
    case tagWBR:
        if (rd_.NoBreakMode && CurSection) {
            CurSection->AppendChar(' ', rd_.TagStartPos, rd_.NoBreakMode);
        }
        Next();
        break;
    default:
        // Panels are read past until they are built. Everything else here is skipped too.
        Next();
        break;
    }
}

void THtmlBuilder::StyleTag(HtmlSymbol sym) {
    const std::string tag = lowerTagName(sym);
    if (isTagSymbol(sym)) {
        if (sym == tagSUB || sym == tagSUP || sym == tagBIG || sym == tagSMALL) {
            EnsureSection();
        }
        if (sym == tagSUB || sym == tagSUP) {
            ScriptShift = sym == tagSUB ? 1 : 2;
        }
        if (PushInline(tag)) {
            TopProps().TakeBackColor();
        }
    } else {
        PopElement(tag);
        if (sym == endSUB || sym == endSUP) {
            ScriptShift = 0;
        }
    }
    ChangeFont();
}

void THtmlBuilder::LineBreak() {
    if (rd_.Attributes.FindAttribute(attrCLEAR)) {
        OpenSection(&rd_.Attributes);
    } else if (CurSection && CurSection->Len() == 0) {
        CurSection->AppendChar(ph::LineBreak, rd_.TagStartPos, rd_.NoBreakMode);
    } else if (CurSection) {
        CloseSection();
    } else {
        OpenSection();
        CurSection->AppendChar(ph::LineBreak, rd_.TagStartPos, rd_.NoBreakMode);
    }
}

void THtmlBuilder::PageBreak() {
    CloseSection();
    CurCell->AppendSection(std::make_unique<TPage>(&doc_));
}

bool THtmlBuilder::FontTag(bool isBaseFont, bool inPre) {
    bool hasSize = false;
    bool hasColor = false;
    int size = 0;
    Color color = 0;
    std::string face;
    std::string charSet;
    for (const TAttribute& a : rd_.Attributes) {
        if (a.Symbol == attrSIZE) {
            // Summed in 64 bits: SIZE=+2147483647 is relative and must not overflow.
            long long wanted = a.NumValue;
            if (a.Text.size() > 1 && (a.Text[0] == '+' || a.Text[0] == '-')) {
                wanted += BaseFontSize;
            }
            size = int(std::clamp(wanted, 1LL, 7LL));
            if (isBaseFont) {
                BaseFontSize = size;
            }
            hasSize = true;
        } else if (a.Symbol == attrCOLOR) {
            hasColor = ColorFromString(a.Text, false, color) || hasColor;
        } else if (a.Symbol == attrFACE && !isBaseFont && !a.Text.empty()) {
            face = a.Text;
        } else if (a.Symbol == attrCHARSET && toUpperAscii(a.Text).find("CHARSET") != std::string::npos) {
            charSet = a.Text;
        }
    }
    if (!PushInline("font")) {
        return false;
    }
    if (!hasSize && !hasColor && face.empty() && charSet.empty()) {
        return false;
    }
    TProperties& top = TopProps();
    top.TakeBackColor();
    if (hasColor) {
        top.AssignProp(piColor, int32_t(color | PaletteRelative));
    }
    if (hasSize) {
        top.AssignProp(piFontSize, FontSizeForHtmlSize(size, doc_.DefFontSize, inPre));
    }
    if (!face.empty()) {
        top.AssignProp(piFontFamily, FirstInstalledFace(face));
    }
    if (!charSet.empty()) {
        top.SetCharSetByName(charSet);
    }
    return true;
}

void THtmlBuilder::EndLink() {
    if (InLink) {
        Anchor(false);
    }
}

void THtmlBuilder::Anchor(bool start) {
    if (!start) {
        if (InLink) {
            CurLink.Clear();
            InLink = false;
        }
        PopElement("a");
        if (CurSection) {
            CurSection->SetLink(false, TopProps(), &CurLink);
        }
        return;
    }
    const TAttribute* href = rd_.Attributes.FindAttribute(attrHREF);
    std::string_view pseudo;
    if (href) {
        EndLink();
        InLink = true;
        const TAttribute* target = rd_.Attributes.FindAttribute(attrTARGET);
        CurLink.Assign(href->Text, target ? target->Text : std::string());
        pseudo = "link";
    }
    if (PushInline("a", pseudo)) {
        TopProps().TakeBackColor();
    }
    if (CurSection) {
        CurSection->ChangeFont(TopProps(), ScriptShift);
    } else {
        OpenSection();
    }
    if (const TAttribute* name = rd_.Attributes.FindAttribute(attrNAME)) {
        std::string key = toUpperAscii(name->Text);
        if (!key.empty() && key[0] == '#') {
            key.erase(0, 1);
        }
        doc_.AddIDObject(key, CurSection.get());
        CurSection->AnchorTarget = true;
    }
    if (href) {
        CurSection->SetLink(true, TopProps(), &CurLink);
    }
}

// ---- entry points ----

namespace {

std::string DirectoryOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of(kPathSeparator);
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash);
}

} // namespace

TParseResult ParseHtmlFromFile(TSectionList& document, const std::string& fileName,
                               const TParseOptions& options) {
    THtmlBuilder builder(document, options);
    builder.SetDocumentDirectory(DirectoryOf(fileName));
    const bool loaded = builder.Reader().LoadFromFile(fileName);
    TParseResult result = builder.ParseHtml(loaded, "Can't locate file: " + fileName);
    if (builder.Reader().ReadFailed()) {
        result.ReadFailed = true;
        result.Error = "Can't read all of file: " + fileName;
    }
    return result;
}

TParseResult ParseHtmlFromBuffer(TSectionList& document, std::string_view bytes,
                                 const TParseOptions& options) {
    THtmlBuilder builder(document, options);
    builder.Reader().LoadFromBuffer(bytes);
    return builder.ParseHtml(true, {});
}

TParseResult ParseHtmlFromStrings(TSectionList& document, const std::vector<std::string>& lines,
                                  const TParseOptions& options) {
    THtmlBuilder builder(document, options);
    builder.Reader().LoadFromStrings(lines);
    return builder.ParseHtml(true, {});
}

TParseResult ParsePlainTextFromFile(TSectionList& document, const std::string& fileName) {
    const TParseOptions options;
    THtmlBuilder builder(document, options);
    const std::optional<std::string> bytes = readWholeFile(fileName);
    TParseResult result = builder.ParsePlainText(bytes ? std::string_view(*bytes) : std::string_view());
    if (!bytes) {
        result.Error = "Can't locate file: " + fileName;
    }
    return result;
}

TParseResult ParsePlainTextFromStrings(TSectionList& document, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    const TParseOptions options;
    THtmlBuilder builder(document, options);
    return builder.ParsePlainText(text);
}

} // namespace tavlin
