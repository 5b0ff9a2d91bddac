#include "reader/TokenDump.h"

#include "reader/HtmlReader.h"

#include <cstdio>
#include <exception>

namespace tavlin {

std::string EscapeForDump(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = uint8_t(ch);
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 32 || c == 127) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(c));
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

namespace {

void dumpToken(const THtmlReader& reader, int32_t start, std::string& out) {
    out += '@';
    out += std::to_string(start);
    out += ' ';
    out += symbolName(reader.CurSym);
    if (reader.CurSym == tagH || reader.CurSym == endH) {
        out += " level=" + std::to_string(reader.HeadingLevel);
    }
    if (isTagSymbol(reader.CurSym) || isEndSymbol(reader.CurSym) || reader.CurSym == symUnknownTag) {
        for (const TAttribute& a : reader.Attributes) {
            out += ' ';
            out += symbolName(a.Symbol);
            out += "=\"" + EscapeForDump(a.Text) + "\"#" + std::to_string(a.NumValue);
        }
    }
    if (reader.Token.Count() > 0) {
        out += " \"" + EscapeForDump(reader.Token.View()) + '"';
    }
    out += '\n';
}

} // namespace

void DumpTokens(THtmlReader& reader, std::string& out) {
    try {
        reader.Advance();
        for (;;) {
            const int32_t start = reader.SourcePos;
            reader.NextToken();
            if (reader.CurSym == symEof) {
                out += "@" + std::to_string(reader.SourcePos + 1) + " symEof\n";
                return;
            }
            const bool isTag = reader.CurSym != symText && reader.CurSym != symLoneChar;
            dumpToken(reader,
                      isTag ? reader.TagStartPos
                            : (reader.Token.Count() ? reader.Token.PositionAt(0) : start),
                      out);
        }
    } catch (const std::exception& e) {
        out += "! ";
        out += e.what();
        out += '\n';
    }
}

} // namespace tavlin
