#include "reader/HtmlSymbol.h"

#include "reader/NameTable.h"
#include "reader/TextUtil.h"

#include <array>

namespace tavlin {

namespace {

struct TagRow {
    std::string_view name;
    HtmlSymbol start;
    HtmlSymbol end;
};

#define TAVLIN_X(name) TagRow{#name, tag##name, end##name},
#define TAVLIN_Y(name) TagRow{#name, tag##name, symUnknownTag},
constexpr TagRow kTags[] = {TAVLIN_TAGS_WITH_END(TAVLIN_X) TAVLIN_TAGS_WITHOUT_END(TAVLIN_Y)};
#undef TAVLIN_X
#undef TAVLIN_Y
static_assert(std::size(kTags) == kTagRows);

struct AttrRow {
    std::string_view name;
    HtmlSymbol symbol;
};

// In the order they are searched; the second VALUE row can never match.
constexpr AttrRow kAttributes[] = {
    {"HREF", attrHREF},
    {"NAME", attrNAME},
    {"SRC", attrSRC},
    {"ALT", attrALT},
    {"ALIGN", attrALIGN},
    {"TEXT", attrTEXT},
    {"BGCOLOR", attrBGCOLOR},
    {"LINK", attrLINK},
    {"BACKGROUND", attrBACKGROUND},
    {"COLSPAN", attrCOLSPAN},
    {"ROWSPAN", attrROWSPAN},
    {"BORDER", attrBORDER},
    {"CELLPADDING", attrCELLPADDING},
    {"CELLSPACING", attrCELLSPACING},
    {"VALIGN", attrVALIGN},
    {"WIDTH", attrWIDTH},
    {"START", attrSTART},
    {"VALUE", attrVALUE},
    {"TYPE", attrTYPE},
    {"CHECKBOX", attrCHECKBOX},
    {"RADIO", attrRADIO},
    {"METHOD", attrMETHOD},
    {"ACTION", attrACTION},
    {"CHECKED", attrCHECKED},
    {"SIZE", attrSIZE},
    {"MAXLENGTH", attrMAXLENGTH},
    {"COLS", attrCOLS},
    {"ROWS", attrROWS},
    {"MULTIPLE", attrMULTIPLE},
    {"VALUE", attrVALUE},
    {"SELECTED", attrSELECTED},
    {"FACE", attrFACE},
    {"COLOR", attrCOLOR},
    {"TRANSP", attrTRANSP},
    {"CLEAR", attrCLEAR},
    {"ISMAP", attrISMAP},
    {"BORDERCOLOR", attrBORDERCOLOR},
    {"USEMAP", attrUSEMAP},
    {"SHAPE", attrSHAPE},
    {"COORDS", attrCOORDS},
    {"NOHREF", attrNOHREF},
    {"HEIGHT", attrHEIGHT},
    {"PLAIN", attrPLAIN},
    {"TARGET", attrTARGET},
    {"NORESIZE", attrNORESIZE},
    {"SCROLLING", attrSCROLLING},
    {"HSPACE", attrHSPACE},
    {"LANGUAGE", attrLANGUAGE},
    {"FRAMEBORDER", attrFRAMEBORDER},
    {"MARGINWIDTH", attrMARGINWIDTH},
    {"MARGINHEIGHT", attrMARGINHEIGHT},
    {"LOOP", attrLOOP},
    {"ONCLICK", attrONCLICK},
    {"WRAP", attrWRAP},
    {"NOSHADE", attrNOSHADE},
    {"HTTP-EQUIV", attrHTTP_EQUIV},
    {"CONTENT", attrCONTENT},
    {"ENCTYPE", attrENCTYPE},
    {"VLINK", attrVLINK},
    {"OLINK", attrOLINK},
    {"ACTIVE", attrACTIVE},
    {"VSPACE", attrVSPACE},
    {"CLASS", attrCLASS},
    {"ID", attrID},
    {"STYLE", attrSTYLE},
    {"REL", attrREL},
    {"REV", attrREV},
    {"NOWRAP", attrNOWRAP},
    {"BORDERCOLORLIGHT", attrBORDERCOLORLIGHT},
    {"BORDERCOLORDARK", attrBORDERCOLORDARK},
    {"CHARSET", attrCHARSET},
};
static_assert(std::size(kAttributes) == kAttributeRows);

constexpr std::string_view kSpecialNames[] = {"symText", "symLoneChar", "symUnknownTag",
                                              "symEof",  "symLineEnd",  "symUnknownAttr"};

// "/NAME" for every end symbol, built once.
const std::array<std::string, kTagsWithEnd>& endNames() {
    static const std::array<std::string, kTagsWithEnd> names = [] {
        std::array<std::string, kTagsWithEnd> out;
        for (int i = 0; i < kTagsWithEnd; ++i) {
            out[size_t(i)] = "/" + std::string(kTags[i].name);
        }
        return out;
    }();
    return names;
}

std::string_view attributeName(HtmlSymbol s) {
    for (const AttrRow& row : kAttributes) {
        if (row.symbol == s) {
            return row.name;
        }
    }
    return "?";
}

} // namespace

bool isTagSymbol(HtmlSymbol s) {
    return s >= tagHTML && s <= tagLINK;
}
bool isEndSymbol(HtmlSymbol s) {
    return s >= endHTML && s <= endSPAN;
}
bool isAttributeSymbol(HtmlSymbol s) {
    return (s >= attrHREF && s < symCount) || s == attrSTYLE;
}

std::string_view symbolName(HtmlSymbol s) {
    if (s < tagHTML) {
        return kSpecialNames[s];
    }
    if (isTagSymbol(s)) {
        return kTags[s - tagHTML].name;
    }
    if (isEndSymbol(s)) {
        return endNames()[size_t(s - endHTML)];
    }
    if (s < symCount) {
        return attributeName(s);
    }
    return "?";
}

std::string lowerTagName(HtmlSymbol s) {
    if (isTagSymbol(s)) {
        return toLowerAscii(kTags[s - tagHTML].name);
    }
    if (isEndSymbol(s)) {
        return toLowerAscii(kTags[s - endHTML].name);
    }
    return {};
}

HtmlSymbol endSymbolOf(HtmlSymbol tag) {
    if (tag >= tagHTML && tag < tagHTML + kTagsWithEnd) {
        return HtmlSymbol(endHTML + (tag - tagHTML));
    }
    return symUnknownTag;
}

HtmlSymbol startSymbolOf(HtmlSymbol endTag) {
    return isEndSymbol(endTag) ? HtmlSymbol(tagHTML + (endTag - endHTML)) : symUnknownTag;
}

HtmlSymbol lookupTag(std::string_view upperName, bool endTag) {
    static const NameTable table(kTags, [](const TagRow& row) { return row.name; });
    const int row = table.Find(upperName);
    if (row < 0) {
        return symUnknownTag;
    }
    return endTag ? kTags[row].end : kTags[row].start;
}

HtmlSymbol lookupAttribute(std::string_view upperName) {
    static const NameTable table(kAttributes, [](const AttrRow& row) { return row.name; });
    const int row = table.Find(upperName);
    return row < 0 ? symUnknownAttr : kAttributes[row].symbol;
}

} // namespace tavlin
