// Building a text section: its first font, appending text with the white-space rules, objects,
// font and link runs, the source map, and copies for another document.
#include "document/Section.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "reader/Properties.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace tavlin {

// A long listing holds a section per entry: every byte of one counts a hundred thousand times over.
static_assert(sizeof(TSection) <= 88);

namespace {

// The link fonts of a run inside a link, with the run switched to entry 0.
void GiveLinkStates(const TSection* section, TFontObj& run, const TFontInfoArray* linkStates) {
    if (!linkStates) {
        return;
    }
    // Runs of links of one style share one set of link fonts.
    run.SetLinkStates(SharedLinkStates(section, *linkStates));
}

const TFontInfoArray* LinkStatesOf(const TProperties& props) {
    return props.HasLinkFonts && props.LinkFontInfo ? props.LinkFontInfo.get() : nullptr;
}

int ClearFromAttribute(const TAttributeList* attributes, int current) {
    const TAttribute* clear = attributes ? attributes->FindAttribute(attrCLEAR) : nullptr;
    if (!clear) {
        return current;
    }
    const std::string value = toLowerAscii(clear->Text);
    return value == "left" ? 1 : value == "right" ? 2 : 3;
}

int ClearFromProps(const TProperties& props, int current) {
    ClearType clear;
    if (!props.GetClear(clear)) {
        return current;
    }
    switch (clear) {
    case ClearType::Left:
        return 1;
    case ClearType::Right:
        return 2;
    case ClearType::Both:
        return 3;
    case ClearType::None:
        return 0;
    }
    return current;
}

} // namespace

TSection::TSection(TSectionList* document, const TMyFont& font, const TUrlTarget* link,
                   const TFontInfoArray* linkStates)
    : TSection(document, SharedFont(document, font), link, linkStates) {}

TSection::TSection(TSectionList* document, FontRef font, const TUrlTarget* link,
                   const TFontInfoArray* linkStates)
    : TSectionBase(document) {
    TFontObj run(std::move(font), 0);
    if (link && !link->Url.empty()) {
        run.SetLinkNumber(SharedLink(this, *link));
        GiveLinkStates(this, run, linkStates);
    }
    FontRuns.Add(std::move(run));
}

TSection::TSection(TSectionList* document, const TUrlTarget* link, const TProperties& props,
                   const TAttributeList* attributes)
    : TSection(document, SharedFont(document, props), link, LinkStatesOf(props)) {
    LineHeight = props.GetLineHeight(FontRuns[0].Font().Desc.height);
    const std::string align = toLowerAscii(props.GetTextAlign());
    Justify = align == "right" ? 3 : align == "center" ? 2 : 1;
    ClearSide = ClearFromProps(props, ClearFromAttribute(attributes, 0));
    if (attributes && Document && !attributes->IdValue().empty()) {
        Document->AddIDObject(attributes->IdValue(), this);
    }
}

TSection::TSection(TSectionList* document, const TSection& source) : TSectionBase(document, source) {
    Justify = source.Justify;
    ClearSide = source.ClearSide;
    LineHeight = source.LineHeight;
    AnchorTarget = source.AnchorTarget;
    for (const TFontObj& run : source.FontRuns) {
        TFontObj copy = run.CopyForAnotherSection();
        copy.SetLinkNumber(LinkNumberFrom(source, run));
        FontRuns.Add(std::move(copy));
    }
    FontRuns.AppendText(source.Text());
    FontRuns.Trim(&document->Arena());
    for (const auto& image : source.Images()) {
        if (auto copy = image->CloneFor(*document)) {
            Extras().Images.push_back(std::move(copy));
        }
    }
    if (!source.Controls().empty()) {
        Extras().Controls = source.Controls();
    }
}

TSectionExtras& TSection::Extras() {
    auto* extras = static_cast<TSectionExtras*>(FontRuns.Attachment());
    if (!extras) {
        auto made = std::make_unique<TSectionExtras>();
        FontRuns.SetAttachment(made.get());
        extras = made.release();
    }
    return *extras;
}

TSection::~TSection() {
    if (Document) {
        Document->LinkRunsFreed(*this);
    }
    delete static_cast<TSectionExtras*>(FontRuns.Attachment());
}

TRunLink TSection::LinkOf(const TFontObj& run) const { return Document ? Document->LinkOf(run) : TRunLink{}; }

uint32_t TSection::LinkNumberFrom(const TSection& source, const TFontObj& run) const {
    if (!run.HasLink() || Document == source.Document) {
        return run.LinkNumber();
    }
    return Document ? Document->Links.Add(source.LinkOf(run)) : TLinkTable::kNoLink;
}

std::unique_ptr<TSectionBase> TSection::CloneFor(TSectionList& document) const {
    return MakeInArena<TSection>(document.Arena(), &document, *this);
}

TFontObj& TSection::ChangeFont(const TMyFont& font, int scriptShift) {
    return ChangeFont(SharedFont(this, font), scriptShift);
}

TFontObj& TSection::ChangeFont(FontRef font, int scriptShift) {
    TFontObj& last = FontRuns.Last();
    if (last.Pos == Len()) {
        last.SetFont(std::move(font));
        last.ScriptShift = uint8_t(scriptShift);
        return last;
    }
    TFontObj run(std::move(font), Len());
    run.ScriptShift = uint8_t(scriptShift);
    run.SetLinkNumber(last.LinkNumber()); // `last` goes stale once the list grows
    FontRuns.Add(std::move(run));
    return FontRuns.Last();
}

void TSection::ChangeFont(const TProperties& props, int scriptShift) {
    TFontObj& run = ChangeFont(SharedFont(this, props), scriptShift);
    if (run.HasLink()) {
        GiveLinkStates(this, run, LinkStatesOf(props));
    }
}

TFontObj& TSection::SetLink(const TMyFont& font, const TUrlTarget* link, const TFontInfoArray* linkStates) {
    return SetLink(SharedFont(this, font), link, linkStates);
}

TFontObj& TSection::SetLink(FontRef font, const TUrlTarget* link, const TFontInfoArray* linkStates) {
    const int shift = FontRuns.Last().ScriptShift;
    TFontObj& run = ChangeFont(std::move(font), shift);
    const bool starts = link && !link->Url.empty();
    if (starts) {
        run.SetLinkNumber(SharedLink(this, *link));
        GiveLinkStates(this, run, linkStates);
    } else {
        run.SetLinkNumber(TLinkTable::kNoLink);
    }
    return run;
}

void TSection::SetLink(bool start, const TProperties& props, const TUrlTarget* link) {
    SetLink(SharedFont(this, props), start ? link : nullptr, LinkStatesOf(props));
}

bool TSection::IsNoBreakSpaceAt(int i) const {
    const std::string_view text = Text();
    if (i < 0 || i >= Len() || static_cast<unsigned char>(text[size_t(i)]) != ph::NoBreakSpace) {
        return false;
    }
    if (FontRuns.GetFontObjAt(i).Font().Desc.charSet != DEFAULT_CHARSET) {
        return true;
    }
    // In UTF-8 text the byte may continue a character that started up to three bytes before.
    for (int back = 1; back <= 3 && back <= i; ++back) {
        if (utf8SequenceLength(text, size_t(i - back)) > size_t(back)) {
            return false;
        }
    }
    return true;
}

int TSection::CharLengthAt(int i) const {
    if (i < 0 || i >= Len()) {
        return 1;
    }
    const uint8_t charSet = FontRuns.GetFontObjAt(i).Font().Desc.charSet;
    return int(std::max<size_t>(1, characterLength(Text(), size_t(i), charSet)));
}

void TSection::MapSourcePos(int offset, int32_t sourcePos) {
    // A character continues the last run when its source offset follows the run's last one.
    const size_t runs = FontRuns.MapSize();
    const IndexObj last = runs > 0 ? FontRuns.MapRun(runs - 1) : IndexObj{};
    if (runs == 0 || last.Index + (offset - last.Pos) != sourcePos) {
        FontRuns.AddMapRun({offset, sourcePos});
    }
}

void TSection::RemapLastChar(int32_t sourcePos) {
    const int offset = Len() - 1;
    const size_t runs = FontRuns.MapSize();
    if (runs > 0 && FontRuns.MapRun(runs - 1).Pos == offset) {
        FontRuns.DropLastMapRun();
    }
    MapSourcePos(offset, sourcePos);
}

void TSection::AppendRaw(std::string_view chars, const int32_t* positions) {
    if (chars.empty()) {
        return;
    }
    const int first = Len();
    FontRuns.AppendText(chars);
    // Characters from consecutive source offsets continue whatever run the first one joins.
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 || positions[i] != positions[i - 1] + 1) {
            MapSourcePos(first + int(i), positions[i]);
        }
    }
    ForgetWidths();
}

namespace {

bool IsCollapsible(char c) { return c == ph::NoBrSpace; }

// The NOBR rules on a token: collapsible spaces next to spaces or each other go, the rest
// become no-break spaces.
void SettleNoBreakSpaces(std::string& chars, std::vector<int32_t>& positions) {
    std::string out;
    std::vector<int32_t> outPositions;
    out.reserve(chars.size());
    outPositions.reserve(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        const char c = chars[i];
        if (IsCollapsible(c)) {
            const bool afterSpace = !out.empty() && (out.back() == ' ' || IsCollapsible(out.back()));
            const bool beforeSpace = i + 1 < chars.size() && chars[i + 1] == ' ';
            if (afterSpace || beforeSpace) {
                continue;
            }
        }
        out.push_back(c);
        outPositions.push_back(positions[i]);
    }
    for (char& c : out) {
        if (IsCollapsible(c)) {
            c = static_cast<char>(ph::NoBreakSpace);
        }
    }
    chars = std::move(out);
    positions = std::move(outPositions);
}

bool IsSpaceLike(char c) {
    return c == ' ' || IsCollapsible(c) || static_cast<unsigned char>(c) == ph::NoBreakSpace;
}

} // namespace

void TSection::AppendFlowing(std::string_view chars, const int32_t* positions, bool noBreak) {
    // Spaces right after floating objects at the very start are dropped too.
    if (!chars.empty() && Len() > 0 && int(Images().size()) == Len() &&
        std::all_of(Images().begin(), Images().end(), [](const auto& obj) { return obj->Floats(); }) &&
        IsSpaceLike(chars[0])) {
        chars.remove_prefix(1);
        ++positions;
    }
    const int from = Len();
    AppendRaw(chars, positions);
    if (!noBreak) {
        // Outside NOBR a collapsible space is an ordinary one.
        std::replace(FontRuns.TextData() + from, FontRuns.TextData() + Len(), ph::NoBrSpace, ' ');
    }
}

void TSection::AppendChars(std::string_view text, const int32_t* sourcePositions, bool noBreak) {
    if (text.empty()) {
        return;
    }
    if (IsPreformatted()) {
        if (TakesMoreText()) {
            AppendRaw(text, sourcePositions);
        }
        return;
    }
    const char lastChar = Len() == 0 ? 0 : Text().back();
    const bool endsWithSpace = lastChar == ' ' || IsNoBreakSpaceAt(Len() - 1);
    // A line break after a trailing space replaces the space.
    if (text[0] == ph::LineBreak && endsWithSpace) {
        FontRuns.TextData()[Len() - 1] = ph::LineBreak;
        RemapLastChar(sourcePositions[0]);
        ForgetWidths();
        return;
    }
    if (!noBreak) {
        // Taken straight from the token: only a collapsible space at the start may go.
        const bool dropFirst = (text[0] == ' ' || IsCollapsible(text[0])) &&
                               (Len() == 0 || lastChar == ph::LineBreak || lastChar == ' ');
        const size_t skip = dropFirst ? 1 : 0;
        AppendFlowing(text.substr(skip), sourcePositions + skip, false);
        return;
    }
    std::string chars(text);
    std::vector<int32_t> positions(sourcePositions, sourcePositions + text.size());
    const bool afterBreakable = Len() == 0 || lastChar == ph::NoBrSpace || lastChar == ph::LineBreak ||
                                lastChar == ' ' || IsNoBreakSpaceAt(Len() - 1);
    if (afterBreakable && chars[0] == ph::NoBrSpace) {
        chars.erase(chars.begin());
        positions.erase(positions.begin());
    }
    SettleNoBreakSpaces(chars, positions);
    AppendFlowing(chars, positions.data(), true);
}

void TSection::AppendText(const TokenObj& token, bool noBreak) {
    AppendChars(token.View(), token.Positions(), noBreak);
}

void TSection::AppendChar(char code, int32_t sourcePos, bool noBreak) {
    AppendChars(std::string_view(&code, 1), &sourcePos, noBreak);
}

TFloatingObj& TSection::AddObject(std::unique_ptr<TFloatingObj> object, int32_t sourcePos, bool noBreak) {
    object->Pos = Len();
    const char code = noBreak && !object->Floats() ? ph::NoBrImage : ph::Image;
    auto& images = Extras().Images;
    images.push_back(std::move(object));
    AppendRaw(std::string_view(&code, 1), &sourcePos);
    return *images.back();
}

void TSection::AddControl(TFloatingObj* control, int32_t sourcePos, bool noBreak) {
    control->Pos = Len();
    Extras().Controls.push_back(control);
    const char code = noBreak ? ph::NoBrControl : ph::FormControl;
    AppendRaw(std::string_view(&code, 1), &sourcePos);
}

void TSection::Finish() {
    // Text, source map and runs grew by appends; a finished section keeps only what it holds.
    FontRuns.Trim(Document ? &Document->Arena() : nullptr);
}

bool TSection::FinishAndKeep() {
    Finish();
    return IsPreformatted() || Len() > 0 || AnchorTarget || ClearSide != 0 || InIDs;
}

TPreFormated::TPreFormated(TSectionList* document, const TPreFormated& source) : TSection(document, source) {}

std::unique_ptr<TSectionBase> TPreFormated::CloneFor(TSectionList& document) const {
    return std::make_unique<TPreFormated>(&document, *this);
}

} // namespace tavlin
