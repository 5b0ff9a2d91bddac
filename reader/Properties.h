#pragma once
#include "platform/Canvas.h"
#include "platform/Geometry.h"
#include "reader/PropertyMemo.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavlin {

class TStyleList;
class TPropStack;

// Sentinels stored in integer property values and box results.
inline constexpr int32_t NotSet = -12345678;     // no value
inline constexpr int32_t AutoValue = -12348766;  // a margin of "auto" in the style
inline constexpr int32_t AutoResult = -12348765; // a computed box value that is auto

// The 42 style properties, by index. Names are in PropertyName().
enum PropIndex : int {
    piFontFamily,
    piFontSize,
    piFontStyle,
    piFontWeight,
    piTextAlign,
    piTextDecoration,
    piBorderStyle,
    piColor,
    piBackgroundColor,
    piBorderColor,
    piMarginTop,
    piMarginRight,
    piMarginBottom,
    piMarginLeft,
    piPaddingTop,
    piPaddingRight,
    piPaddingBottom,
    piPaddingLeft,
    piBorderTopWidth,
    piBorderRightWidth,
    piBorderBottomWidth,
    piBorderLeftWidth,
    piBorderTopStyle,
    piBorderRightStyle,
    piBorderBottomStyle,
    piBorderLeftStyle,
    piWidth,
    piHeight,
    piTop,
    piLeft,
    piVisibility,
    piLineHeight,
    piBackgroundImage,
    piBackgroundPosition,
    piBackgroundRepeat,
    piVerticalAlign,
    piPosition,
    piZIndex,
    piListStyleType,
    piListStyleImage,
    piFloat,
    piClear,
    PropCount
};

// The first and last of the box properties (background colour .. left).
inline constexpr int kFirstBoxProp = piBackgroundColor;
inline constexpr int kLastBoxProp = piLeft;
inline constexpr int kBoxPropCount = kLastBoxProp - kFirstBoxProp + 1;

// One property value: empty, an integer, a real or a string.
using PropValue = std::variant<std::monostate, int32_t, double, std::string>;

inline bool isEmptyValue(const PropValue& v) {
    return std::holds_alternative<std::monostate>(v);
}
inline bool isIntValue(const PropValue& v) {
    return std::holds_alternative<int32_t>(v);
}
inline bool isRealValue(const PropValue& v) {
    return std::holds_alternative<double>(v);
}
inline bool isStringValue(const PropValue& v) {
    return std::holds_alternative<std::string>(v);
}
// The string, or empty for other kinds.
const std::string& stringOf(const PropValue& v);

std::string_view PropertyName(int index);
// Exact, case-sensitive lookup; -1 for an unknown name.
int PropertyIndex(std::string_view name);

// One font of a link state. Size is in points; Style is FontStyleBits.
struct ThtFontInfo {
    std::string Name;
    int32_t Size = 12;
    int Style = 0;
    tavlin::Color Color = 0;
    tavlin::Color BgColor = clNone;
    uint8_t CharSet = 1;

    friend bool operator==(const ThtFontInfo&, const ThtFontInfo&) = default;
};

// The four fonts of a link: 0 the link, 1 visited, 2 under the mouse, 3 visited under the mouse.
struct TFontInfoArray {
    std::array<ThtFontInfo, 4> Ar;
    void Assign(const TFontInfoArray& other) { Ar = other.Ar; }
    friend bool operator==(const TFontInfoArray&, const TFontInfoArray&) = default;
};

// A font as the properties give it: what the canvas needs (face, em height in pixels, style,
// character set), the text colour and the background colour (clNone: drawn transparently).
// A document section builds its TMyFont from this.
struct FontChoice {
    FontDesc desc;
    Color color = 0;
    Color bgColor = clNone;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};
FontChoice fontChoiceOf(const ThtFontInfo& info);

// Object alignment shared by images, panels and form controls standing in text.
enum class AlignmentType : uint8_t {
    None = 0,
    Top = 1,
    Middle = 2,
    Baseline = 3,
    Bottom = 4,
    Left = 5,
    Right = 6
};
enum class ClearType : uint8_t { None = 0, Left = 1, Right = 2, Both = 3 };
enum class PositionType : uint8_t { Static = 0, Absolute = 1, Relative = 2 };
enum class VisibilityType : uint8_t { Visible, Hidden };
// In the order of the list-style-type names: blank means the list's default.
enum class ListStyleType : uint8_t {
    Blank,
    Circle,
    Decimal,
    Disc,
    LowerAlpha,
    LowerRoman,
    None,
    Square,
    UpperAlpha,
    UpperRoman
};

// Placement of a background image on one axis.
enum class BgPlacement : uint8_t { Unset, TopLeft, Center, BottomRight, Percent, Length };
struct BgPosition {
    BgPlacement kind = BgPlacement::TopLeft;
    int value = 0; // percent for Percent, pixels for Length
};
struct TBackgroundPosition {
    BgPosition x, y;
    bool repeatX = true;
    bool repeatY = true;
    // The pixel offset of an image of `imageSize` in an area of `areaSize` on one axis.
    static int Offset(const BgPosition& p, int areaSize, int imageSize);
};

// The style values of properties 8..29 (background colour .. left), as stored.
using TVMarginArray = std::array<PropValue, kBoxPropCount>;
// The same properties resolved to pixels (colours as colours, side styles as 0/1 flags).
struct TMarginArray {
    std::array<int32_t, kBoxPropCount> values{};
    int autoCount = 0; // how many of margin-left, margin-right and width came out auto
    int32_t& operator[](int propIndex) { return values[size_t(propIndex - kFirstBoxProp)]; }
    int32_t operator[](int propIndex) const { return values[size_t(propIndex - kFirstBoxProp)]; }
};

// Converts a length text ("12px", "1.5em", "50%") to pixels. `base` is what percentages (and,
// with `multiplier`, bare numbers) are taken of; any unit not known gives `defaultValue`.
int LengthToPixels(std::string_view text, int base, int emSize, int exSize, int defaultValue,
                   bool multiplier = false);
// Resolves box values against a containing width and height.
TMarginArray GetBoxMetrics(const TVMarginArray& v, int width, int height, int emSize, int exSize);

// Colour parsing: names, #rgb/#rrggbb, bare hex (unless strict) and rgb(r,g,b).
bool ColorFromString(std::string_view text, bool strict, Color& result);

// The 42 values of an entry, and which remembered computation (see PropertyMemo) they are an
// unchanged copy of. Every write goes through the non-const index, which forgets that: an entry
// changed in any way is never taken for the copy it started as.
class TPropValues {
public:
    const PropValue& operator[](size_t i) const { return values_[i]; }
    PropValue& operator[](size_t i) {
        copyOf_ = 0;
        return values_[i];
    }
    // The serial of the remembered values these are a copy of; 0 for none.
    uint64_t CopyOf() const { return copyOf_; }
    void MarkCopyOf(uint64_t serial) { copyOf_ = serial; }
    void Forget() { copyOf_ = 0; }

private:
    std::array<PropValue, PropCount> values_;
    uint64_t copyOf_ = 0;
};

// The style properties of one element, and of one style-sheet entry.
class TProperties {
public:
    TProperties();
    ~TProperties();
    TProperties(const TProperties&) = delete;
    TProperties& operator=(const TProperties&) = delete;

    void CopyFrom(const TProperties& other);
    // The whole computed state of another entry, its STYLE declarations aside.
    void CopyComputed(const TProperties& other);
    // Whether a child pushed on this entry and on `other` would inherit the same values.
    bool HandsDownSameAs(const TProperties& other) const;
    void CopyRoot(const TProperties& defaults);
    void Inherit(const TProperties& parent);
    void Reinherit(const TProperties& parent);
    void AssignProp(int index, const PropValue& value);
    void Merge(const TProperties& rule);
    void SetPropByName(std::string_view name, std::string_view value);
    void SetPropByIndex(int index, std::string_view value);
    void Combine(const TStyleList& styles, std::string_view tag, std::string_view cls, std::string_view id,
                 std::string_view pseudo, const TProperties* inlineStyle);
    void TakeBackColor();
    void SetCharSetByName(std::string_view name);
    // Sets CharSet from a META content type ("text/html; charset=windows-1251").
    void SetCharSetByContentType(std::string_view content);

    // Queries.
    FontChoice GetFont() const;
    void GetFontInfo(ThtFontInfo& info) const;
    // The same, worked out once and shared by the copies of this entry: never changed in place,
    // so the same object stands for the same font.
    const std::shared_ptr<const ThtFontInfo>& SharedFontInfo() const;
    Color GetBackgroundColor() const;
    Color GetFontColor() const;
    bool GetBackgroundImage(std::string& name) const;
    TBackgroundPosition GetBackgroundPosition() const;
    bool GetVerticalAlign(AlignmentType& align) const;
    bool GetFloat(AlignmentType& align) const;
    bool GetClear(ClearType& clear) const;
    PositionType GetPosition() const;
    VisibilityType GetVisibility() const;
    bool IsHidden() const { return GetVisibility() == VisibilityType::Hidden; }
    int32_t GetZIndex() const;
    ListStyleType GetListStyleType() const;
    bool GetListStyleImage(std::string& name) const;
    int GetLineHeight(int normalHeight) const;
    bool HasBorderStyle() const;
    void GetVMarginArray(TVMarginArray& v) const;
    TMarginArray GetBoxMetrics(int width, int height) const;
    // The text alignment as stored ("left", "center", "right", "none" ...).
    std::string GetTextAlign() const;
    // The font size in points (the default size when not a number).
    double GetFontSize() const;

    TPropValues Props;
    std::array<bool, PropCount> OwnFlags{};
    std::string ElemTag;
    std::string ElemClass;
    std::string ElemId;
    std::string ElemPseudo;
    std::unique_ptr<TProperties> InlineStyle; // a copy of the element's STYLE declarations
    Color BackColor = clNone;
    uint8_t CharSet = 1;
    int32_t EmSize = 16;
    int32_t ExSize = 8;
    bool HasLinkFonts = false;
    std::unique_ptr<TFontInfoArray> LinkFontInfo;
    // The viewer's default font size in points, the base of the size keywords.
    double DefFontSize = 12;
    // The entry below this one on the property stack (or the element a temporary link-state
    // entry stands on); null for the root and for style-sheet entries.
    const TProperties* Parent = nullptr;

private:
    void UpdateLinkFonts(int index, const PropValue& value);
    void BuildLinkFonts(const TStyleList& styles);
    std::string LinkStyleKey() const;
    void ApplyContextualRules(const TStyleList& styles, std::string_view tag, std::string_view cls,
                              std::string_view pseudo);
    void ResolveFontSize(double parentPoints);
    void InheritValues(const TProperties& parent, bool onlyNotOwn);

    // Worked out once and shared by the copies of an entry: a copy never changes it.
    mutable std::shared_ptr<const ThtFontInfo> cachedFont_;
    std::string faceFallback_ = "Times New Roman"; // the parent's face, when no listed face is installed
    bool ownCharSet_ = false;                      // CharSet was set on this element
    const TStyleList* combinedWith_ = nullptr;     // the style sheet of the last Combine
};

// The property stack mirroring the open elements; entry 0 is the root.
class TPropStack {
public:
    TPropStack();
    ~TPropStack();

    void SetStyleList(const TStyleList* styles) { styles_ = styles; }
    const TStyleList* StyleList() const { return styles_; }

    void Clear();
    // Pushes the root entry, a copy of the style sheet's "default" entry.
    void PushRoot();
    TProperties& PushElement(std::string_view tag, std::string_view cls, std::string_view id,
                             const TProperties* inlineStyle, std::string_view pseudo);
    void PopElement(std::string_view tag);
    // Removes the top entry (temporary entries, and constructs that pop unconditionally).
    void Pop();
    // Removes entries until `count` remain.
    void PopTo(int count);
    TProperties& TopProps() { return *items_.back(); }
    const TProperties& TopProps() const { return *items_.back(); }

    int Count() const { return int(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    TProperties& operator[](int i) { return *items_[size_t(i)]; }
    const TProperties& operator[](int i) const { return *items_[size_t(i)]; }

private:
    // Entries are reused: each is a large block, and allocating one per element cost more than
    // the cascade itself.
    std::unique_ptr<TProperties> Fresh();
    void Recycle(std::unique_ptr<TProperties> props);

    std::vector<std::unique_ptr<TProperties>> items_;
    std::vector<std::unique_ptr<TProperties>> spare_;
    PropertyMemo memo_;
    const TStyleList* styles_ = nullptr;
};

// Font sizes of FONT SIZE=1..7 in points for the default size, proportional and inside PRE.
double FontSizeForHtmlSize(int size, double defFontSize, bool inPre);
// The character-set number for a name like "RUSSIAN_CHARSET"; false when unknown.
bool CharSetFromName(std::string_view name, uint8_t& charSet);
// The first installed face of a comma list (generic names mapped, quotes removed); empty when
// none is installed.
std::string FirstInstalledFace(std::string_view faceList);

} // namespace tavlin
