#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlin {

// The tag table: rows 1-51 have an end symbol, rows 52-71 do not. Order matters: the tokenizer
// searches the rows in this order.
// clang-format off
#define TAVLIN_TAGS_WITH_END(X)                                                                  \
    X(HTML) X(TITLE) X(BODY) X(HEAD) X(B) X(I) X(H) X(EM) X(STRONG) X(U) X(CITE) X(VAR) X(TT) \
    X(CODE) X(KBD) X(SAMP) X(OL) X(UL) X(DIR) X(MENU) X(DL) X(A) X(ADDRESS) X(BLOCKQUOTE)     \
    X(PRE) X(CENTER) X(TABLE) X(TD) X(TH) X(CAPTION) X(FORM) X(TEXTAREA) X(SELECT) X(OPTION)  \
    X(FONT) X(SUB) X(SUP) X(BIG) X(SMALL) X(P) X(MAP) X(FRAMESET) X(NOFRAMES) X(SCRIPT)       \
    X(DIV) X(S) X(STRIKE) X(TR) X(NOBR) X(STYLE) X(SPAN)
#define TAVLIN_TAGS_WITHOUT_END(X)                                                               \
    X(LI) X(BR) X(HR) X(DD) X(DT) X(IMG) X(BASE) X(BUTTON) X(INPUT) X(SELECTED) X(BASEFONT)   \
    X(AREA) X(FRAME) X(PAGE) X(BGSOUND) X(WRAP) X(META) X(PANEL) X(WBR) X(LINK)

// Attribute symbols, one per distinct name (STYLE is shared with the tag; the attribute table
// itself, with its duplicate VALUE row, lives in HtmlSymbol.cpp). HTTP-EQUIV is written with '_'.
#define TAVLIN_ATTRIBUTES(X)                                                                     \
    X(HREF) X(NAME) X(SRC) X(ALT) X(ALIGN) X(TEXT) X(BGCOLOR) X(LINK) X(BACKGROUND) X(COLSPAN) \
    X(ROWSPAN) X(BORDER) X(CELLPADDING) X(CELLSPACING) X(VALIGN) X(WIDTH) X(START) X(VALUE)   \
    X(TYPE) X(CHECKBOX) X(RADIO) X(METHOD) X(ACTION) X(CHECKED) X(SIZE) X(MAXLENGTH) X(COLS)  \
    X(ROWS) X(MULTIPLE) X(SELECTED) X(FACE) X(COLOR) X(TRANSP) X(CLEAR) X(ISMAP)              \
    X(BORDERCOLOR) X(USEMAP) X(SHAPE) X(COORDS) X(NOHREF) X(HEIGHT) X(PLAIN) X(TARGET)        \
    X(NORESIZE) X(SCROLLING) X(HSPACE) X(LANGUAGE) X(FRAMEBORDER) X(MARGINWIDTH)              \
    X(MARGINHEIGHT) X(LOOP) X(ONCLICK) X(WRAP) X(NOSHADE) X(HTTP_EQUIV) X(CONTENT) X(ENCTYPE) \
    X(VLINK) X(OLINK) X(ACTIVE) X(VSPACE) X(CLASS) X(ID) X(REL) X(REV) X(NOWRAP)              \
    X(BORDERCOLORLIGHT) X(BORDERCOLORDARK) X(CHARSET)
// clang-format on

// One symbol per token kind: tags (tagB), end tags (endB), attributes (attrHREF) and the special
// symbols of text, unknown tags and attributes, the end of the source and line ends.
enum HtmlSymbol : uint8_t {
    symText,       // text in the current token
    symLoneChar,   // a single character that starts no other token
    symUnknownTag, // a tag name not in the table, or the end tag of a tag that has none
    symEof,
    symLineEnd, // only from the script and textarea token readers
    symUnknownAttr,
#define TAVLIN_X(name) tag##name,
    TAVLIN_TAGS_WITH_END(TAVLIN_X) TAVLIN_TAGS_WITHOUT_END(TAVLIN_X)
#undef TAVLIN_X
#define TAVLIN_X(name) end##name,
        TAVLIN_TAGS_WITH_END(TAVLIN_X)
#undef TAVLIN_X
#define TAVLIN_X(name) attr##name,
            TAVLIN_ATTRIBUTES(TAVLIN_X)
#undef TAVLIN_X
                symCount
};

// The STYLE tag and the STYLE attribute share one symbol.
inline constexpr HtmlSymbol attrSTYLE = tagSTYLE;
// The closing tags as the script and textarea token readers deliver them.
inline constexpr HtmlSymbol symScriptEnd = endSCRIPT;
inline constexpr HtmlSymbol symTextAreaEnd = endTEXTAREA;

inline constexpr int kTagRows = 71;
inline constexpr int kTagsWithEnd = 51;
inline constexpr int kAttributeRows = 71;

bool isTagSymbol(HtmlSymbol s);
bool isEndSymbol(HtmlSymbol s);
bool isAttributeSymbol(HtmlSymbol s);

// The symbol as written for humans and dumps: "B", "/B", "HREF", "HTTP-EQUIV", "symText".
std::string_view symbolName(HtmlSymbol s);
// The lower-case tag name the property stack uses ("b", "li"); for an end symbol the name of its
// tag; empty for anything that is not a tag.
std::string lowerTagName(HtmlSymbol s);
// The end symbol of a tag with one, else symUnknownTag; and back.
HtmlSymbol endSymbolOf(HtmlSymbol tag);
HtmlSymbol startSymbolOf(HtmlSymbol endTag);

// Searches the tag table for an upper-case name: the start symbol, or for an end tag the end
// symbol when the row has one. symUnknownTag when not found.
HtmlSymbol lookupTag(std::string_view upperName, bool endTag);
// Searches the attribute table (first row that matches wins); symUnknownAttr when not found.
HtmlSymbol lookupAttribute(std::string_view upperName);

} // namespace tavlin
