#pragma once
// The document builder: a recursive-descent reader over the token stream that fills a section
// list with text sections, blocks, list items, rules and page breaks, keeping a property stack
// that mirrors the open elements.
#include "builder/HtmlParser.h"
#include "builder/TabStops.h"
#include "document/Section.h"
#include "reader/HtmlReader.h"
#include "reader/Properties.h"

#include <bitset>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

namespace tavlin {

class TSectionList;
class TCellBasic;
class TBodyBlock;
class TBlock;
class ThtmlForm;
class TListBoxFormControlObj;
class TTextAreaFormControlObj;

// A set of symbols: the terminators a construct ends at, and the symbols it takes.
class SymSet {
public:
    SymSet() = default;
    SymSet(std::initializer_list<HtmlSymbol> symbols) {
        for (HtmlSymbol s : symbols) {
            bits_.set(s);
        }
    }
    bool Has(HtmlSymbol s) const { return bits_.test(s); }
    SymSet operator|(const SymSet& other) const {
        SymSet joined;
        joined.bits_ = bits_ | other.bits_;
        return joined;
    }

private:
    std::bitset<symCount> bits_;
};

class THtmlBuilder {
public:
    // Constructs deeper than this are read flat into the innermost one allowed, so no input can
    // exhaust the stack; real pages never come near it.
    static constexpr int kMaxNesting = 200;
    // Inline elements are not pushed beyond this many stack entries: a million unclosed tags
    // cost neither a million entries nor a search through them at every end tag.
    static constexpr int kMaxPropEntries = 512;
    // Text is handed to preformatted sections in pieces of about this many characters.
    static constexpr int kPreChunk = 200;
    // Form controls past this many in one document are read past: each is a platform window.
    static constexpr int kMaxFormControls = 10000;

    THtmlBuilder(TSectionList& document, const TParseOptions& options);
    ~THtmlBuilder();
    THtmlBuilder(const THtmlBuilder&) = delete;
    THtmlBuilder& operator=(const THtmlBuilder&) = delete;

    // The reader, for the entry points to load the source into.
    THtmlReader& Reader() { return rd_; }
    // Reads the loaded source to its end. `loaded` false: the source could not be read, and
    // `failure` says why.
    TParseResult ParseHtml(bool loaded, const std::string& failure);
    // Reads bytes as plain text: every line a preformatted section.
    TParseResult ParsePlainText(std::string_view bytes);
    // Where relative LINK names are found when the host does not expand names.
    void SetDocumentDirectory(std::string directory);

private:
    // ---- state ----
    void StartParse();
    void FinishParse();
    HtmlSymbol Sym() const { return rd_.CurSym; }
    void Next() { rd_.NextToken(); }

    // ---- sections and blocks ----
    void CloseSection();
    void OpenSection(const TAttributeList* attributes = nullptr);
    void OpenPreSection();
    // One character of preformatted text into `pending`; a tab becomes spaces to the next stop.
    void AddPreChar(TokenObj& pending, char c, int32_t sourcePos);
    TSection& EnsureSection();
    void ChangeFont();
    // Appends a block to CurCell and makes its content current; returns the cell it replaced.
    TCellBasic* OpenBlock(std::unique_ptr<TBlock> block);
    void CloseBlock(TCellBasic* outer);

    // ---- property stack ----
    // Block constructs always push (their depth is bounded by kMaxNesting); inline elements only
    // while the stack is below kMaxPropEntries. Both take class, id and style from the attributes.
    void PushBlock(const std::string& tag, TAttributeList& attributes);
    bool PushInline(const std::string& tag, std::string_view pseudo = {});
    // Pops the nearest entry of the tag; a tag with no entry costs no search.
    void PopElement(const std::string& tag);
    void PopTo(int count);
    TProperties& TopProps() { return stack_.TopProps(); }
    void AssignAlign(const TAttributeList& attributes, bool onlyKnown);

    // ---- the constructs ----
    void BodyLoop(const SymSet& terminators);
    void Inline();
    void StyleTag(HtmlSymbol sym);
    void LineBreak();
    bool FontTag(bool isBaseFont, bool inPre);
    void Anchor(bool start);
    void EndLink();
    void Paragraph(const SymSet& terminators);
    void List(const SymSet& terminators);
    void ListItem(HtmlSymbol listSym, int number, bool plain, char type, const SymSet& terminators);
    void Division(const SymSet& terminators);
    void Center(const SymSet& terminators);
    void Div(const SymSet& terminators);
    void Form(const SymSet& terminators);
    void Heading();
    void HorizontalRule();
    void Pre();
    void PageBreak();
    void Image();
    void Map();
    // Blocks make their background pictures as image objects.
    static void InstallPictureMaker();

    // ---- tables ----
    struct TableState;
    void Table();
    void TableRow(TableState& t, const TAttributeList* attributes);
    void TableCell(TableState& t);
    void TableCaption(TableState& t);
    void FinishCell(TableState& t);
    void FinishRow(TableState& t);
    void TextBeforeTable(TableState& t);

    // ---- forms (BuilderForms.cpp) ----
    void StartForm();
    ThtmlForm& CurrentForm();
    bool FormControlsFull() const;
    // INPUT, SELECT or TEXTAREA at the current symbol; with moveOn, reads the next token after
    // it (preformatted text reads on by characters instead).
    void FormControlTag(bool moveOn);
    void SelectOptions(TListBoxFormControlObj& list);
    void TextAreaContent(TTextAreaFormControlObj& area);

    // ---- head elements and what is read past ----
    void Title();
    void Body();
    void Base();
    void Meta();
    void BgSound();
    void Link();
    void Style();
    void Script();
    void SkipSelect();
    void SkipTextArea();

    // Counts one level of nesting for the lifetime of a construct.
    class Nest {
    public:
        explicit Nest(int& depth) : depth_(depth) { ++depth_; }
        ~Nest() { --depth_; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

    private:
        int& depth_;
    };
    // False when a construct must be read flat into the one that holds it.
    bool CanNest() const { return depth_ < kMaxNesting; }

    TSectionList& doc_;
    const TParseOptions& opt_;
    THtmlReader rd_;
    TPropStack stack_;
    TCellBasic* CurCell = nullptr;
    ThtmlForm* CurForm = nullptr;
    std::unique_ptr<TSection> CurSection;
    TabStops preLine_; // columns of the preformatted line being read
    TBodyBlock* BodyBlock = nullptr;
    bool InLink = false;
    TUrlTarget CurLink;
    int BaseFontSize = 3;
    int ListLevel = 0;
    int TableDepth = 0;
    int ScriptShift = 0;
    TParseResult result_;
    int depth_ = 0;
    std::string docDirectory_;
    std::map<std::string, int, std::less<>> tagCounts_; // entries on the stack per tag
};

} // namespace tavlin
