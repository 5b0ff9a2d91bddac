#pragma once
#include "reader/Attributes.h"
#include "reader/HtmlSymbol.h"
#include "reader/IDNames.h"
#include "reader/TextUtil.h"
#include "reader/TokenObj.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// The reader's one exception: the source ended inside a comment or declaration.
class EParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr char kEndOfSource = 26; // Ctrl-Z: the source yields it at its end

// Answers an include directive <!--#command NAME="value" ...-->: the command name as written
// and the parameters as NAME="value" lines. The text returned is read in place of the directive.
using IncludeHandler = std::function<std::string(std::string_view command, std::vector<std::string> params)>;

// The tokenizer: turns the bytes of an HTML source into symbols, attributes and text tokens
// with the source position of every character. One object holds one parse's state; the source
// is read byte by byte from memory, and text tokens reuse one buffer.
class THtmlReader {
    enum class LineEnd : uint8_t { None, CR, LF };

public:
    THtmlReader();

    // Source set-up. Each resets the state (SourcePos -1, flags off); the caller then reads the
    // first character with Advance (inside its handler of EParseError: a source that opens
    // with an unclosed comment fails there) before the first NextToken.
    void LoadFromBuffer(std::string_view bytes);                 // copied
    void LoadFromStrings(const std::vector<std::string>& lines); // joined with CR LF after each
    // Reads the file as the parse goes, kFilePiece bytes at a time, so that a large file is never
    // held whole beside the document made from it; false when it cannot be read (the source is
    // then empty).
    bool LoadFromFile(const std::string& path);
    // The same from a stream opened for reading; the reader closes it.
    bool LoadFromStream(std::FILE* stream);
    // True when the file could not be read to its end: the source then ends where reading failed.
    bool ReadFailed() const { return readFailed_; }
    static constexpr size_t kFilePiece = size_t(1) << 18;
    // Reads from bytes the caller keeps alive for the whole parse (no copy).
    void UseSource(std::string_view bytes);

    // Character level.
    char ReadRawChar() {
        if (!inIncluded_ && pos_ < size_) {
            ++SourcePos;
            return data_[pos_++];
        }
        return ReadRawCharSlow();
    }
    char PeekRawChar();
    void NextCh();
    // The common case inline: a byte of the main source that is no line end, tab, '<' or end
    // marker is simply the next character.
    void Advance() {
        if (!inIncluded_ && pos_ < size_) {
            const char c = data_[pos_];
            if (c != '<' && (uint8_t(c) >= 32 || (c != '\t' && c != '\n' && c != '\r' && c != 26))) {
                ++pos_;
                ++SourcePos;
                lineEnd_ = LineEnd::None;
                CurCh = c;
                CurUpCh = upperAscii(c);
                return;
            }
        }
        AdvanceSlow();
    }
    void SkipBlanks();
    // Preformatted text keeps white space as it is, tabs included.
    void SetPreMode(bool on);

    // Token level.
    void NextToken();
    void ReadTag();
    bool ReadAttribute(TAttribute& attribute);
    void ReadQuotedValue(TAttribute& attribute);
    void ReadNumberValue(TAttribute& attribute);
    void ReadBareValue(TAttribute& attribute);
    void ReadEntity();
    bool ReadText();
    void ReadScriptToken();
    void ReadTextAreaToken();

    // State, read by the builder after each token.
    char CurCh = ' ';
    char CurUpCh = ' ';
    HtmlSymbol CurSym = symEof;
    int32_t SourcePos = -1;
    int32_t TagStartPos = 0;
    int HeadingLevel = 0;
    bool InComment = false;
    bool PlainTextMode = false;
    bool PreMode = false;
    bool NoBreakMode = false;
    TAttributeList Attributes; // of the last tag
    TokenObj Token;            // characters of the last text token

    // Set by the builder: the character set character references above 255 are encoded in,
    // where ID names are registered, and who answers include directives.
    uint8_t CharSet = 1;
    TIDNameList* IDNames = nullptr;
    IncludeHandler OnInclude;

private:
    void Reset();
    // The next piece of the file being read, when there is one; the last byte read stays just
    // before it (a tab there changes how preformatted text starts).
    bool ReadMore();
    char ReadRawCharSlow();
    void AdvanceSlow();
    // Takes up to `max` bytes after the current character straight from the main source while
    // `ordinary` holds for them, and makes the last one current. `ordinary` must refuse line
    // ends, tabs, '<' and the end marker, so that the bytes are exactly what Advance would
    // deliver one by one.
    template <typename Pred> std::string_view TakeRun(size_t max, Pred ordinary);
    void SkipCommentBody();
    void ProcessIncludeDirective();
    void EmitEntityChar(char ch, int32_t pos);
    void EntityFallback();
    void ReadEntityNumber(int32_t ampPos);
    void ReadEntityName(int32_t ampPos);
    void ReadScriptProbe();

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string owned_;                           // the source, or the piece of the file, held
    std::unique_ptr<std::FILE, FileCloser> file_; // the file still being read
    bool readFailed_ = false;
    const char* data_ = nullptr;                  // the main source
    size_t size_ = 0;
    size_t pos_ = 0;
    std::string included_; // text of an include directive being read
    size_t includedPos_ = 0;
    bool inIncluded_ = false;
    LineEnd lineEnd_ = LineEnd::None;
    TokenObj entityRaw_;   // what ReadEntity consumed, for the fallback
    std::string attrName_; // upper-case name of the last attribute read
};

} // namespace tavlin
