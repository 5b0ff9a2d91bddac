// Head elements (TITLE, BASE, META, BGSOUND, LINK, STYLE, SCRIPT), the BODY tag, what is read
// past until it is built (SELECT, TEXTAREA), and plain-text files.
#include "builder/Builder.h"
#include "document/Block.h"
#include "document/SectionList.h"
#include "platform/Files.h"
#include "reader/StyleSheet.h"
#include "reader/TextUtil.h"

#include <algorithm>

namespace tavlin {

namespace {

std::string AttributeText(const TAttributeList& attributes, HtmlSymbol symbol) {
    const TAttribute* a = attributes.FindAttribute(symbol);
    return a ? a->Text : std::string();
}

// Line breaks of a fetched style sheet as CR LF, whatever the file used.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            const char pair = c == '\r' ? '\n' : '\r';
            if (i + 1 < text.size() && text[i + 1] == pair) {
                ++i;
            }
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// The directory part of a URL, for the url(...) values of a style sheet fetched from it.
std::string UrlBase(std::string name) {
    if (const size_t query = name.find('?'); query != std::string::npos) {
        name.erase(query);
    }
    const size_t scheme = name.find("//");
    const size_t from = scheme == std::string::npos ? 0 : scheme + 2;
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos || slash < from) {
        return name + "/";
    }
    return name.substr(0, slash + 1);
}

std::string DirectoryOfFile(const std::string& fileName) {
    const size_t slash = fileName.find_last_of(kPathSeparator);
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

} // namespace

// ---- head elements ----

void THtmlBuilder::Title() {
    Next();
    while (Sym() == symText) {
        result_.DocTitle += rd_.Token.View();
        Next();
    }
}

void THtmlBuilder::Base() {
    if (const TAttribute* href = rd_.Attributes.FindAttribute(attrHREF)) {
        result_.BaseUrl = href->Text;
    }
    if (const TAttribute* target = rd_.Attributes.FindAttribute(attrTARGET)) {
        result_.BaseTarget = target->Text;
    }
    Next();
}

void THtmlBuilder::Meta() {
    const std::string httpEquiv = AttributeText(rd_.Attributes, attrHTTP_EQUIV);
    const std::string name = AttributeText(rd_.Attributes, attrNAME);
    const std::string content = AttributeText(rd_.Attributes, attrCONTENT);
    if (opt_.HtmlViewer && equalsNoCase(httpEquiv, "content-type")) {
        TopProps().SetCharSetByContentType(content);
        rd_.CharSet = TopProps().CharSet;
    }
    if (opt_.OnMeta) {
        opt_.OnMeta(httpEquiv, name, content);
    }
    Next();
}

void THtmlBuilder::BgSound() {
    const TAttribute* src = rd_.Attributes.FindAttribute(attrSRC);
    if (opt_.OnSoundRequest && src) {
        const TAttribute* loop = rd_.Attributes.FindAttribute(attrLOOP);
        opt_.OnSoundRequest(src->Text, loop ? loop->NumValue : 1, false);
    }
    Next();
}

void THtmlBuilder::Link() {
    const std::string rel = AttributeText(rd_.Attributes, attrREL);
    const std::string rev = AttributeText(rd_.Attributes, attrREV);
    const TAttribute* href = rd_.Attributes.FindAttribute(attrHREF);
    if (href && doc_.Styles && (equalsNoCase(rel, "stylesheet") || equalsNoCase(rev, "stylesheet"))) {
        try {
            std::string text;
            std::string base;
            if (opt_.OnStreamRequest) {
                std::string name = href->Text;
                if (opt_.OnExpandName) {
                    name = opt_.OnExpandName(name);
                    base = UrlBase(name);
                }
                if (!opt_.OnStreamRequest(name, text)) {
                    text.clear();
                }
            } else {
                std::string file = opt_.ExpandName ? opt_.ExpandName(href->Text) : HTMLToDos(href->Text);
                if (!opt_.ExpandName && !file.empty() && file[0] != kPathSeparator &&
                    !docDirectory_.empty()) {
                    file = joinPath(docDirectory_, file);
                }
                base = DirectoryOfFile(file);
                text = readWholeFile(file).value_or(std::string());
            }
            if (!text.empty()) {
                ParseStyleSheetText(*doc_.Styles, WithCrLf(text), base);
            }
        } catch (const std::exception&) {
            // A style sheet that cannot be fetched or read is dropped.
        }
    }
    Next();
}

void THtmlBuilder::Style() {
    // The style-sheet reader takes the characters after the tag straight from the source and
    // stops at the '<' of the closing tag (or the end).
    if (doc_.Styles) {
        ParseStyleSheet(
            *doc_.Styles, rd_.CurCh,
            [this] {
                rd_.NextCh();
                return rd_.CurCh;
            },
            {}, [this] { return rd_.PeekRawChar(); });
    }
    rd_.CurUpCh = upperAscii(rd_.CurCh);
    Next();
}

void THtmlBuilder::Script() {
    if (!opt_.OnScript) {
        do {
            rd_.ReadScriptToken();
        } while (Sym() != symScriptEnd && Sym() != symEof);
        return;
    }
    const std::string language = AttributeText(rd_.Attributes, attrLANGUAGE);
    const std::string name = AttributeText(rd_.Attributes, attrNAME);
    std::string text;
    text.reserve(32500);
    rd_.PlainTextMode = true;
    while (true) {
        rd_.ReadScriptToken();
        if (Sym() == symScriptEnd || Sym() == symEof) {
            break;
        }
        if (Sym() == symLineEnd) {
            text += "\r\n";
        } else {
            text += rd_.Token.View();
        }
    }
    rd_.PlainTextMode = false;
    opt_.OnScript(name, std::move(text), language);
}

void THtmlBuilder::Body() {
    CurSection.reset(); // text before BODY is dropped
    PushBlock("body", rd_.Attributes);
    int marginWidth = opt_.MarginWidth;
    int marginHeight = opt_.MarginHeight;
    TProperties& top = TopProps();
    for (const TAttribute& a : rd_.Attributes) {
        Color color = 0;
        const bool isColor = ColorFromString(a.Text, false, color);
        switch (a.Symbol) {
        case attrTEXT:
            if (isColor) {
                top.AssignProp(piColor, int32_t(color | PaletteRelative));
            }
            break;
        case attrBGCOLOR:
            if (isColor) {
                top.AssignProp(piBackgroundColor, int32_t(color));
            }
            break;
        case attrBACKGROUND:
            top.AssignProp(piBackgroundImage, "url(" + a.Text + ")");
            break;
        case attrLINK:
        case attrVLINK:
        case attrOLINK:
            if (isColor && doc_.Styles) {
                doc_.Styles->SetLinkColor(a.Symbol == attrLINK    ? "link"
                                          : a.Symbol == attrVLINK ? "visited"
                                                                  : "hover",
                                          color);
            }
            if (a.Symbol == attrOLINK) {
                doc_.HoverEnabled = true;
            }
            break;
        case attrMARGINWIDTH:
            marginWidth = std::clamp(a.NumValue, 0, 200);
            break;
        case attrMARGINHEIGHT:
            marginHeight = std::clamp(a.NumValue, 0, 200);
            break;
        default:
            break;
        }
    }
    top.AssignProp(piMarginLeft, int32_t(marginWidth));
    top.AssignProp(piMarginRight, int32_t(marginWidth));
    top.AssignProp(piMarginTop, int32_t(marginHeight));
    top.AssignProp(piMarginBottom, int32_t(marginHeight));
    doc_.ClearSections(); // the body block made at the start holds nothing yet
    auto body = std::make_unique<TBodyBlock>(&doc_, &doc_, top);
    BodyBlock = body.get();
    doc_.AppendSection(std::move(body));
    CurCell = &BodyBlock->Content;
    std::string picture;
    if (top.GetBackgroundImage(picture)) {
        doc_.SetBackgroundName(picture);
    }
    if (const Color background = top.GetBackgroundColor(); background != clNone) {
        doc_.SetBackground(background | PaletteRelative);
    }
    OpenSection();
    Next();
}

// ---- read past until built ----

void THtmlBuilder::SkipSelect() {
    const bool noBreak = rd_.NoBreakMode;
    rd_.NoBreakMode = false;
    static const SymSet ends = {tagP,  symEof, endTABLE,   tagTD,      endTD,    tagTR,    endTR,
                                tagTH, endTH,  tagCAPTION, endCAPTION, tagINPUT, endSELECT};
    Next();
    while (!ends.Has(Sym())) {
        Next();
    }
    rd_.NoBreakMode = noBreak;
}

void THtmlBuilder::SkipTextArea() {
    do {
        rd_.ReadTextAreaToken();
    } while (Sym() != symTextAreaEnd && Sym() != symEof);
    if (Sym() == symTextAreaEnd) {
        while (rd_.CurCh != '>' && rd_.CurCh != kEndOfSource) {
            rd_.Advance();
        }
        if (rd_.CurCh == '>') {
            rd_.Advance();
        }
    }
}

// ---- plain text ----

TParseResult THtmlBuilder::ParsePlainText(std::string_view bytes) {
    StartParse();
    try {
        CloseSection();
        TAttributeList none;
        PushBlock("pre", none);
        OpenPreSection();
        TokenObj pending;
        auto flush = [&] {
            if (pending.Count() > 0) {
                CurSection->AppendText(pending, false);
                pending.Clear();
            }
        };
        // Line ends as the reader normalises them: CR LF, LF CR, CR and LF each end one line.
        for (size_t i = utf8BomLength(bytes); i < bytes.size() && bytes[i] != kEndOfSource; ++i) {
            const char c = bytes[i];
            if (c == '\r' || c == '\n') {
                if (i + 1 < bytes.size() && bytes[i + 1] == (c == '\r' ? '\n' : '\r')) {
                    ++i;
                }
                flush();
                OpenPreSection();
                continue;
            }
            AddPreChar(pending, c, int32_t(std::min<size_t>(i, INT32_MAX)));
            if (pending.Count() >= kPreChunk) {
                flush();
            }
        }
        flush();
        CloseSection();
        PopElement("pre");
    } catch (const std::exception& e) {
        result_.Error = e.what();
    }
    FinishParse();
    return result_;
}

} // namespace tavlin
