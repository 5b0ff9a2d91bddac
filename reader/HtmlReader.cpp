#include "reader/HtmlReader.h"

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "reader/NameTable.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace tavlin {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

// Upper case of every byte (ASCII letters only), by table: it is taken for every character.
constexpr std::array<char, 256> kUpper = [] {
    std::array<char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        t[size_t(i)] = (i >= 'a' && i <= 'z') ? char(i - 'a' + 'A') : char(i);
    }
    return t;
}();

inline char upperOf(char c) {
    return kUpper[uint8_t(c)];
}
inline bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
// After its first letter an attribute name takes letters, digits, '-' and '_' (LAST_MODIFIED).
inline bool isAttributeNameChar(char c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '_';
}
// White space between attributes and after values; a tab only arrives in preformatted text.
inline bool isBlank(char c) {
    return c == ' ' || c == CR || c == '\t';
}

// Names of the character references, case-sensitive, searched in order: eight special rows,
// then the characters 160 to 255.
constexpr std::string_view kEntityNames[] = {
    "amp",    "lt",     "gt",     "quot",   "rsquo",  "ndash",  "trade",  "hellip", "nbsp",   "iexcl",
    "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",   "laquo",
    "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute",
    "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute",
    "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute",
    "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
    "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute", "ucirc",
    "uuml",   "yacute", "thorn",  "yuml"};
static_assert(std::size(kEntityNames) == 104);
constexpr int kHellipRow = 7;
constexpr char kSpecialEntityChars[] = {'&', '<', '>', '"', '\'', '-', char(153)};

// The character of a row other than hellip.
char entityChar(size_t row) {
    return row < std::size(kSpecialEntityChars) ? kSpecialEntityChars[row] : char(row - 8 + 160);
}

constexpr size_t kMaxTagName = 255;
constexpr int32_t kMaxTextToken = 100;

} // namespace

THtmlReader::THtmlReader() {
    Reset();
}

void THtmlReader::Reset() {
    SourcePos = -1;
    TagStartPos = 0;
    HeadingLevel = 0;
    InComment = PlainTextMode = PreMode = NoBreakMode = false;
    CurSym = symEof;
    CurCh = CurUpCh = ' ';
    pos_ = 0;
    included_.clear();
    includedPos_ = 0;
    inIncluded_ = false;
    lineEnd_ = LineEnd::None;
    Attributes.Clear();
    Token.Clear();
}

void THtmlReader::UseSource(std::string_view bytes) {
    file_.reset(); // a file being read is read no further
    readFailed_ = false;
    data_ = bytes.data();
    size_ = bytes.size();
    Reset();
    // A UTF-8 byte-order mark opening the source is no content; positions still count it.
    pos_ = utf8BomLength(bytes);
    SourcePos = int32_t(pos_) - 1;
}

void THtmlReader::SetPreMode(bool on) {
    PreMode = on;
    // The character current when the mode changes was read under the other rule for tabs.
    const bool fromTab = !inIncluded_ && pos_ > 0 && data_[pos_ - 1] == '\t';
    if (on && fromTab && CurCh == ' ') {
        CurCh = CurUpCh = '\t';
    } else if (!on && CurCh == '\t') {
        CurCh = CurUpCh = ' ';
    }
}

void THtmlReader::LoadFromBuffer(std::string_view bytes) {
    owned_.assign(bytes);
    UseSource(owned_);
}

void THtmlReader::LoadFromStrings(const std::vector<std::string>& lines) {
    owned_.clear();
    for (const std::string& line : lines) {
        owned_ += line;
        owned_ += "\r\n";
    }
    UseSource(owned_);
}

bool THtmlReader::LoadFromFile(const std::string& path) {
    return LoadFromStream(std::fopen(path.c_str(), "rb"));
}

bool THtmlReader::LoadFromStream(std::FILE* stream) {
    file_.reset(stream);
    owned_.resize(file_ ? kFilePiece : 0);
    const size_t got = file_ ? std::fread(owned_.data(), 1, owned_.size(), file_.get()) : 0;
    const bool read = file_ && !std::ferror(file_.get());
    owned_.resize(read ? got : 0);
    auto file = std::move(file_);
    UseSource(owned_);
    if (read && got == kFilePiece) {
        file_ = std::move(file);
    }
    return read;
}

bool THtmlReader::ReadMore() {
    if (!file_) {
        return false;
    }
    const char last = size_ > 0 ? data_[size_ - 1] : '\0';
    owned_.resize(1 + kFilePiece);
    owned_[0] = last;
    const size_t got = std::fread(owned_.data() + 1, 1, kFilePiece, file_.get());
    owned_.resize(1 + got);
    if (got < kFilePiece) {
        // The end of the file, or a failure to read on: the source ends here either way, but a
        // failure must not pass for the end of the document.
        readFailed_ = std::ferror(file_.get()) != 0;
        file_.reset();
    }
    data_ = owned_.data();
    size_ = owned_.size();
    pos_ = 1;
    return got > 0;
}

// ---- characters ----

char THtmlReader::ReadRawCharSlow() {
    if (inIncluded_) {
        if (includedPos_ < included_.size()) {
            return included_[includedPos_++];
        }
        inIncluded_ = false;
        included_.clear();
    }
    if (pos_ >= size_ && !ReadMore()) {
        return kEndOfSource;
    }
    ++SourcePos;
    return data_[pos_++];
}

char THtmlReader::PeekRawChar() {
    if (inIncluded_) {
        if (includedPos_ < included_.size()) {
            return included_[includedPos_];
        }
        inIncluded_ = false;
        included_.clear();
    }
    return pos_ < size_ || ReadMore() ? data_[pos_] : kEndOfSource;
}

template <typename Pred> std::string_view THtmlReader::TakeRun(size_t max, Pred ordinary) {
    if (inIncluded_ || pos_ >= size_) {
        return {};
    }
    const char* p = data_ + pos_;
    const size_t limit = std::min(max, size_ - pos_);
    size_t n = 0;
    while (n < limit && ordinary(p[n])) {
        ++n;
    }
    if (n > 0) {
        pos_ += n;
        SourcePos += int32_t(n);
        lineEnd_ = LineEnd::None;
        CurCh = p[n - 1];
        CurUpCh = upperOf(CurCh);
    }
    return {p, n};
}

void THtmlReader::NextCh() {
    char c = ReadRawChar();
    if ((c == LF && lineEnd_ == LineEnd::CR) || (c == CR && lineEnd_ == LineEnd::LF)) {
        c = ReadRawChar(); // the second byte of a CR LF or LF CR pair
    }
    if (c == LF) {
        lineEnd_ = LineEnd::LF;
        c = CR;
    } else if (c == CR) {
        lineEnd_ = LineEnd::CR;
    } else {
        lineEnd_ = LineEnd::None;
        if (c == '\t' && !PreMode) {
            c = ' '; // preformatted text keeps tabs: its reader expands them to tab stops
        }
    }
    CurCh = c;
    CurUpCh = upperOf(c);
    if (c == kEndOfSource && InComment) {
        throw EParseError("Open Comment at End of HTML File");
    }
}

void THtmlReader::AdvanceSlow() {
    for (;;) {
        NextCh();
        if (CurCh != '<' || PlainTextMode || PeekRawChar() != '!') {
            return;
        }
        NextCh(); // at '!'
        InComment = true;
        NextCh();
        bool isComment = false;
        if (CurCh == '-') {
            NextCh();
            isComment = CurCh == '-';
        }
        if (isComment) {
            NextCh();
            if (OnInclude && CurUpCh == '#' && !inIncluded_) {
                ProcessIncludeDirective();
            } else {
                SkipCommentBody();
            }
        } else {
            while (CurUpCh != '>') {
                NextCh();
            }
            InComment = false;
        }
    }
}

void THtmlReader::SkipCommentBody() {
    // Still inside the comment even when an attribute of an include directive has read (and
    // closed) a comment of its own: the end of the source here is an open comment.
    InComment = true;
    for (;;) {
        while (CurUpCh != '-') {
            NextCh();
        }
        NextCh();
        if (CurCh != '-') {
            continue;
        }
        while (CurCh == '-') {
            NextCh();
        }
        while (CurCh == ' ' || CurCh == CR) {
            NextCh();
        }
        if (CurCh == '>') {
            break;
        }
    }
    InComment = false;
}

void THtmlReader::ProcessIncludeDirective() {
    NextCh();
    std::string command;
    while (isUpperLetter(CurUpCh)) {
        command += CurCh;
        NextCh();
    }
    std::vector<std::string> params;
    TAttribute attribute;
    while (ReadAttribute(attribute)) {
        params.push_back(attrName_ + "=\"" + attribute.Text + "\"");
    }
    SkipCommentBody();
    std::string text = OnInclude(command, std::move(params));
    if (!text.empty()) {
        included_ = std::move(text);
        includedPos_ = 0;
        inIncluded_ = true;
    }
}

void THtmlReader::SkipBlanks() {
    while (isBlank(CurCh)) {
        Advance();
    }
}

// ---- tokens ----

void THtmlReader::NextToken() {
    Token.Clear();
    if (CurCh == kEndOfSource) {
        CurSym = symEof;
        return;
    }
    if (CurCh == '<') {
        ReadTag();
    } else if (CurCh == '&') {
        ReadEntity();
    } else if (!ReadText()) {
        CurSym = symLoneChar;
        Token.AddChar(CurCh, SourcePos);
        Advance();
    }
}

void THtmlReader::ReadTag() {
    TagStartPos = SourcePos;
    Advance();
    bool endTag = false;
    if (CurUpCh == '/') {
        endTag = true;
        Advance();
    } else if (!isUpperLetter(CurUpCh)) {
        CurSym = symText;
        Token.AddChar('<', TagStartPos);
        return;
    }
    char name[kMaxTagName];
    size_t length = 0;
    while (isUpperLetter(CurUpCh)) {
        if (length < kMaxTagName) {
            name[length++] = CurUpCh;
        }
        for (const char c : TakeRun(SIZE_MAX, [](char b) { return isAsciiLetter(b); })) {
            if (length < kMaxTagName) {
                name[length++] = upperAscii(c);
            }
        }
        Advance();
    }
    CurSym = lookupTag(std::string_view(name, length), endTag);
    SkipBlanks();
    HeadingLevel = 0;
    if ((CurSym == tagH || CurSym == endH) && CurUpCh >= '1' && CurUpCh <= '6') {
        HeadingLevel = CurUpCh - '0';
        Advance();
    }
    Attributes.Clear();
    while (ReadAttribute(Attributes.AddNew())) {
    }
    Attributes.RemoveLast(); // the slot the last, failed read was given
    while (CurUpCh != '>' && CurCh != kEndOfSource) {
        Advance();
    }
    if (CurSym != tagSTYLE && CurCh == '>') {
        Advance();
    }
}

bool THtmlReader::ReadAttribute(TAttribute& attribute) {
    attribute.Symbol = symUnknownAttr;
    attribute.Text.clear();
    SkipBlanks();
    if (!isUpperLetter(CurUpCh)) {
        return false;
    }
    attrName_.clear();
    while (isAttributeNameChar(CurCh)) {
        if (attrName_.size() < kMaxTagName) {
            attrName_ += CurUpCh;
        }
        for (const char c : TakeRun(SIZE_MAX, isAttributeNameChar)) {
            if (attrName_.size() < kMaxTagName) {
                attrName_ += upperAscii(c);
            }
        }
        Advance();
    }
    attribute.Symbol = lookupAttribute(attrName_);
    SkipBlanks();
    attribute.NumValue = attribute.Symbol == attrBORDER ? 1 : 0;
    if (CurUpCh != '=') {
        return true;
    }
    Advance();
    SkipBlanks();
    if (CurCh == '"' || CurCh == '\'') {
        ReadQuotedValue(attribute);
    } else if (CurCh == '+' || CurCh == '-' || isAsciiDigit(CurCh)) {
        ReadNumberValue(attribute);
    } else {
        ReadBareValue(attribute);
    }
    if (attribute.Symbol == attrID && !attribute.Text.empty() && IDNames) {
        IDNames->AddPositionMark(attribute.Text, SourcePos);
    }
    return true;
}

namespace {

// The number of an attribute value: blanks and one trailing '%' removed, rounded; 0 when the
// value is not a number.
int32_t attributeNumber(std::string_view text) {
    std::string_view t = trimView(text);
    if (!t.empty() && t.back() == '%') {
        t.remove_suffix(1);
    }
    double v = 0;
    return parseReal(t, v) ? roundHalfEven(v) : 0;
}

} // namespace

void THtmlReader::ReadQuotedValue(TAttribute& attribute) {
    const HtmlSymbol saved = CurSym;
    const char quote = CurCh;
    Advance();
    while (CurCh != quote && CurCh != kEndOfSource) {
        if (CurCh == '&') {
            Token.Clear();
            ReadEntity(); // leaves the character after the reference current
            attribute.Text.append(Token.Chars(), size_t(Token.Count()));
            Token.Clear();
            continue;
        }
        if (CurCh != CR) {
            attribute.Text += CurCh == '\t' ? ' ' : CurCh;
        }
        attribute.Text += TakeRun(
            SIZE_MAX, [quote](char b) { return b != quote && b != '&' && b != '<' && uint8_t(b) >= 32; });
        Advance();
    }
    if (CurCh == quote) {
        Advance();
    }
    attribute.NumValue = attributeNumber(attribute.Text);
    CurSym = saved;
}

void THtmlReader::ReadNumberValue(TAttribute& attribute) {
    if (CurCh == '+' || CurCh == '-') {
        attribute.Text += CurCh;
        Advance();
    }
    while (!isBlank(CurCh) && CurCh != kEndOfSource && CurCh != '%' && CurCh != '>') {
        attribute.Text += CurUpCh;
        Advance();
    }
    SkipBlanks();
    attribute.NumValue = attributeNumber(attribute.Text);
    if (CurCh == '%') {
        attribute.Text += '%';
        Advance();
    }
}

void THtmlReader::ReadBareValue(TAttribute& attribute) {
    while (!isBlank(CurCh) && CurCh != kEndOfSource && CurCh != '>') {
        attribute.Text += CurCh;
        attribute.Text += TakeRun(SIZE_MAX, [](char b) { return uint8_t(b) > 32 && b != '>' && b != '<'; });
        Advance();
    }
}

// ---- character references ----

void THtmlReader::EmitEntityChar(char ch, int32_t pos) {
    Token.AddChar(ch, pos);
}

// The reference reads as the text that was written.
void THtmlReader::EntityFallback() {
    Token.AppendToken(entityRaw_);
}

void THtmlReader::ReadEntity() {
    CurSym = symText;
    const int32_t ampPos = SourcePos;
    entityRaw_.Clear();
    entityRaw_.AddChar('&', ampPos);
    Advance();
    if (CurCh == '#') {
        entityRaw_.AddChar('#', SourcePos);
        Advance();
        ReadEntityNumber(ampPos);
    } else {
        ReadEntityName(ampPos);
    }
}

void THtmlReader::ReadEntityNumber(int32_t ampPos) {
    int digits = 0;
    int32_t n = 0;
    while (isAsciiDigit(CurCh)) {
        if (digits == 5) {
            EntityFallback(); // a sixth digit: not a reference
            return;
        }
        entityRaw_.AddChar(CurCh, SourcePos);
        n = n * 10 + (CurCh - '0');
        ++digits;
        Advance();
    }
    if (CurCh == ';') {
        entityRaw_.AddChar(';', SourcePos);
        Advance();
    }
    if (digits == 0 || (n < 32 && n != 9 && n != 10)) {
        EntityFallback();
        return;
    }
    if (n > 255) {
        // Beyond one byte: the character in the current character set (UTF-8 under DEFAULT).
        const bool surrogate = n >= 0xD800 && n <= 0xDFFF;
        const std::string bytes = surrogate ? std::string("?") : encodeCodePoint(char32_t(n), CharSet);
        for (char b : bytes) {
            EmitEntityChar(b, ampPos);
        }
        return;
    }
    EmitEntityChar(n == 9 ? ' ' : char(n), ampPos);
}

void THtmlReader::ReadEntityName(int32_t ampPos) {
    char name[6];
    size_t length = 0;
    while (isAsciiDigit(CurUpCh) || isUpperLetter(CurUpCh)) {
        if (length == sizeof name) {
            EntityFallback(); // a seventh character: not a reference
            return;
        }
        name[length++] = CurCh;
        entityRaw_.AddChar(CurCh, SourcePos);
        Advance();
    }
    if (CurCh == ';') {
        entityRaw_.AddChar(';', SourcePos);
        Advance();
    }
    static const NameTable table(kEntityNames, [](std::string_view n) { return n; });
    const int found = table.Find(std::string_view(name, length));
    if (found >= 0) {
        const size_t row = size_t(found);
        if (row == kHellipRow) {
            for (int32_t k = 0; k < 3; ++k) {
                EmitEntityChar('.', ampPos + k);
            }
        } else {
            EmitEntityChar(entityChar(row), ampPos);
        }
        return;
    }
    EntityFallback();
}

// ---- text ----

bool THtmlReader::ReadText() {
    Token.Clear();
    while (Token.Count() < kMaxTextToken) {
        const auto c = uint8_t(CurCh);
        if ((c < 32 && c != 13 && c != '\t') || c == '&' || c == '<') {
            break;
        }
        if (PreMode || (CurCh != ' ' && CurCh != CR)) {
            Token.AddChar(CurCh, SourcePos);
            const int32_t next = SourcePos + 1;
            const size_t room = size_t(kMaxTextToken - Token.Count());
            Token.AddRun(PreMode
                             ? TakeRun(room, [](char b) { return uint8_t(b) >= 32 && b != '&' && b != '<'; })
                             : TakeRun(room, [](char b) { return uint8_t(b) > 32 && b != '&' && b != '<'; }),
                         next);
            Advance();
        } else {
            Token.AddChar(NoBreakMode ? char(5) : ' ', SourcePos);
            SkipBlanks();
        }
    }
    if (Token.Count() == 0) {
        return false;
    }
    CurSym = symText;
    return true;
}

void THtmlReader::ReadScriptProbe() {
    Token.AddChar('<', SourcePos);
    Advance();
    for (int n = 0; n < 7 && (CurUpCh == '/' || isUpperLetter(CurUpCh)); ++n) {
        Token.AddChar(CurCh, SourcePos);
        Advance();
    }
    if (CurCh == '>') {
        Token.AddChar('>', SourcePos);
        Advance();
    }
    CurSym = equalsNoCase(Token.View(), "</script>") ? symScriptEnd : symUnknownTag;
}

void THtmlReader::ReadScriptToken() {
    Token.Clear();
    if (CurCh == kEndOfSource) {
        CurSym = symEof;
    } else if (CurCh == CR) {
        CurSym = symLineEnd;
        Advance();
    } else if (CurCh == '<') {
        ReadScriptProbe();
    } else {
        while (CurCh != CR && CurCh != kEndOfSource && CurCh != '<' && Token.Count() < kMaxTextToken) {
            Token.AddChar(CurCh, SourcePos);
            Advance();
        }
        CurSym = symText;
    }
}

void THtmlReader::ReadTextAreaToken() {
    Token.Clear();
    if (CurCh == kEndOfSource) {
        CurSym = symEof;
    } else if (CurCh == CR) {
        CurSym = symLineEnd;
        Advance();
    } else if (CurCh == '<') {
        while (CurCh != ' ' && CurCh != CR && CurCh != '>' && CurCh != kEndOfSource) {
            Token.AddChar(CurCh, SourcePos);
            Advance();
        }
        CurSym = equalsNoCase(Token.View(), "</textarea") ? symTextAreaEnd : symUnknownTag;
    } else if (CurCh == '&') {
        ReadEntity();
    } else {
        while (CurCh != CR && CurCh != kEndOfSource && CurCh != '&' && CurCh != '<' &&
               Token.Count() < kMaxTextToken) {
            Token.AddChar(CurCh, SourcePos);
            Advance();
        }
        if (Token.Count() > 0) {
            CurSym = symText;
        } else {
            CurSym = symLoneChar;
            Token.AddChar(CurCh, SourcePos);
            Advance();
        }
    }
}

} // namespace tavlin
