#include "document/ImageObj.h"

#include "document/MapItem.h"
#include "images/ImageError.h"
#include "images/ImageTypes.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <cstdlib>

namespace tavlin {

namespace {

// The alternative text's font: 8-point "Arial" on a 96-pixel-per-inch screen.
const FontDesc& AltFont() {
    static const FontDesc font{"Arial", 11, 0, 1};
    return font;
}

constexpr Color kFrameShadow = rgb(0x80, 0x80, 0x80);
constexpr Color kFrameLight = rgb(0xFF, 0xFF, 0xFF);

int SpaceOf(const TAttribute& a) {
    return int(std::min<long long>(std::llabs(a.NumValue), TImageObj::kMaxSpace));
}

// a * b / c rounded, in 64 bits, kept to a size the layout can add up.
int MulDivSize(long long a, long long b, long long c) {
    if (c == 0) {
        return 0;
    }
    const long long q = (2 * a * b + c) / (2 * c);
    return int(std::clamp<long long>(q, 0, TImageObj::kMaxSize));
}

} // namespace

TImageObj::TImageObj(TSectionList* document, const TAttributeList& attributes, int sourcePos)
    : SourcePos(sourcePos), document_(document) {
    ObjAlign = ABottom;
    bool hspaceGiven = false;
    for (const TAttribute& a : attributes) {
        ReadAttribute(a, hspaceGiven);
    }
    if (!hspaceGiven) {
        LeftSpace = RightSpace = Floats() ? 3 : 0;
    }
    BottomSpace = TopSpace;
}

TImageObj::TImageObj(TSectionList* document, const std::string& name) : Source(name), document_(document) {
    ObjAlign = ABottom;
    NoBorder = true;
}

TImageObj::TImageObj(TSectionList* document, const TImageObj& source)
    : TFloatingObj(source), TAnimatable(), SourcePos(source.SourcePos), SpecWidth(source.SpecWidth),
      WidthIsPercent(source.WidthIsPercent), SpecHeight(source.SpecHeight), Source(source.Source),
      Alt(source.Alt), NoBorder(source.NoBorder), Transparency(source.Transparency),
      ServerMap(source.ServerMap), UseMap(source.UseMap), MapName(source.MapName),
      HoverActive(source.HoverActive), InLink(source.InLink), LinkColor(source.LinkColor),
      DrawWidth(source.DrawWidth), DrawHeight(source.DrawHeight), SizeKnown(source.SizeKnown),
      HasBorder(source.HasBorder), document_(document), kind_(source.kind_), pending_(source.pending_),
      item_(source.item_), mask_(source.mask_), naturalWidth_(source.naturalWidth_),
      naturalHeight_(source.naturalHeight_) {
    // The copy is made while the new document is still being built: it touches only the shared
    // cache entry, and does not animate (the print copy draws the frame shown).
    if (item_) {
        ++item_->UseCount;
    }
    if (source.gif_) {
        gif_ = std::make_unique<TGIFImage>(*source.gif_);
    }
    animation_ = gif_ ? gif_.get() : source.animation_;
    pending_ = false; // the print copy never waits: what has not come is drawn as the placeholder
}

TImageObj::~TImageObj() {
    ReleasePicture();
    if (document_) {
        if (document_->HoverImage == this) {
            document_->HoverImage = nullptr;
        }
        std::erase_if(document_->MissingImages, [this](const auto& entry) { return entry.second == this; });
        if (InIDs && document_->IDs) {
            document_->IDs->RemoveObject(this);
        }
    }
}

void TImageObj::ReleasePicture() {
    LeaveAnimations();
    if (item_ && document_ && !Source.empty() && document_->Pictures.Cache) {
        document_->Pictures.Cache->DecUsage(Source);
    }
    item_ = nullptr;
    mask_ = nullptr;
    animation_ = nullptr;
    gif_.reset();
    tileCopy_.reset();
}

void TImageObj::ReadAttribute(const TAttribute& a, bool& hspaceGiven) {
    switch (a.Symbol) {
    case attrSRC:
        Source = a.Text;
        break;
    case attrALT:
        Alt = a.Text;
        break;
    case attrALIGN:
        ObjAlign = ObjectAlignOf(a.Text, ObjAlign);
        break;
    case attrBORDER:
        NoBorder = a.NumValue == 0;
        break;
    case attrWIDTH:
        WidthIsPercent = a.Text.find('%') != std::string::npos && a.NumValue >= 1 && a.NumValue <= 100;
        SpecWidth = std::clamp(a.NumValue, 0, kMaxSize);
        break;
    case attrHEIGHT:
        SpecHeight = std::clamp(a.NumValue, 1, kMaxSize);
        break;
    case attrHSPACE:
        LeftSpace = RightSpace = SpaceOf(a);
        hspaceGiven = true;
        break;
    case attrVSPACE:
        TopSpace = SpaceOf(a);
        break;
    case attrTRANSP:
        Transparency = LLCorner;
        break;
    case attrISMAP:
        ServerMap = true;
        break;
    case attrUSEMAP: {
        UseMap = true;
        MapName = toUpperAscii(trimView(a.Text));
        if (MapName.size() > 1 && MapName[0] == '#') {
            MapName.erase(0, 1);
        }
        break;
    }
    case attrACTIVE:
        HoverActive = true;
        break;
    default:
        break;
    }
}

void TImageObj::ApplyStyle(const TProperties& props) {
    AlignmentType align{};
    if (props.GetFloat(align) && (align == AlignmentType::Left || align == AlignmentType::Right)) {
        ObjAlign = align == AlignmentType::Left ? ALeft : ARight;
        if (RightSpace == 0) {
            LeftSpace = RightSpace = 3;
        }
    } else if (props.GetVerticalAlign(align)) {
        switch (align) {
        case AlignmentType::Top:
            ObjAlign = ATop;
            break;
        case AlignmentType::Middle:
            ObjAlign = AMiddle;
            break;
        case AlignmentType::Baseline:
        case AlignmentType::Bottom:
            ObjAlign = ABottom;
            break;
        default:
            break;
        }
    }
    const auto given = [&props](int index) {
        const PropValue& v = props.Props[size_t(index)];
        return !isEmptyValue(v) && !(isIntValue(v) && std::get<int32_t>(v) == NotSet);
    };
    if (!given(piMarginLeft) && !given(piMarginRight) && !given(piMarginTop) && !given(piMarginBottom) &&
        !given(piWidth) && !given(piHeight)) {
        return;
    }
    TVMarginArray v;
    props.GetVMarginArray(v);
    const TMarginArray box = GetBoxMetrics(v, 0, 0, 16, 8);
    const auto space = [](int32_t value) {
        return value == NotSet || value == AutoResult ? 0 : std::clamp(value, 0, kMaxSpace);
    };
    if (given(piMarginLeft)) {
        LeftSpace = space(box[piMarginLeft]);
    }
    if (given(piMarginRight)) {
        RightSpace = space(box[piMarginRight]);
    }
    if (given(piMarginTop)) {
        TopSpace = space(box[piMarginTop]);
    }
    if (given(piMarginBottom)) {
        BottomSpace = space(box[piMarginBottom]);
    }
    if (given(piWidth)) {
        SpecWidth = box[piWidth] == AutoResult ? 0 : std::clamp(box[piWidth], 0, kMaxSize);
        WidthIsPercent = false;
    }
    if (given(piHeight)) {
        SpecHeight = std::clamp(box[piHeight], 0, kMaxSize);
    }
}

// ---- the picture ----

const Bitmap* TImageObj::PlainPicture() const {
    if (!document_ || !document_->ShowImages || kind_ == PictureKind::None ||
        kind_ == PictureKind::Placeholder) {
        return &placeholderPicture();
    }
    if (kind_ == PictureKind::Error) {
        return &errorPicture();
    }
    return kind_ == PictureKind::Cached && item_ ? item_->Picture.bitmap.get() : nullptr;
}

bool TImageObj::PlaceholderCase() const {
    return !document_ || !document_->ShowImages || kind_ == PictureKind::None ||
           kind_ == PictureKind::Placeholder || kind_ == PictureKind::Error;
}

void TImageObj::Fetch() {
    TDocumentImages& pictures = document_->Pictures;
    if (!pictures.HasRequestHandlers()) {
        Source = pictures.Expand(Source);
    }
    const std::string key = TStringBitmapList::Key(Source);
    const bool waiting = std::any_of(document_->MissingImages.begin(), document_->MissingImages.end(),
                                     [&key](const auto& entry) { return entry.first == key; });
    ImageFetch fetched;
    if (!waiting) {
        fetched = pictures.Get(Source, Transparency);
    }
    if (waiting || fetched.pending) {
        pending_ = true;
        kind_ = PictureKind::Placeholder;
        document_->MissingImages.emplace_back(key, this);
        return;
    }
    if (!fetched.item) {
        kind_ = PictureKind::Error;
        mask_ = &errorPictureMask();
        Transparency = LLCorner;
        naturalWidth_ = naturalHeight_ = 16;
        return;
    }
    TakeFetched(fetched);
}

void TImageObj::TakeFetched(const ImageFetch& fetched) {
    item_ = fetched.item;
    const LoadedPicture& picture = item_->Picture;
    naturalWidth_ = picture.width();
    naturalHeight_ = picture.height();
    if (picture.gif) {
        kind_ = PictureKind::Animated;
        animation_ = picture.gif.get();
        const long long cost =
            (long long)picture.gif->Width * picture.gif->Height * picture.gif->FrameCount();
        long long& spent = document_->Pictures.AnimatedPixels;
        if (spent + cost > kMaxPicturePixels) {
            return;
        }
        spent += cost;
        gif_ = std::make_unique<TGIFImage>(*picture.gif);
        animation_ = gif_.get();
        gif_->SetAnimate(false);
        if (!HoverActive) {
            JoinAnimations();
        }
        return;
    }
    kind_ = PictureKind::Cached;
    mask_ = item_->Mask.get();
}

void TImageObj::PictureDelivered() {
    pending_ = false;
    kind_ = PictureKind::None;
    SizeKnown = false;
}

void TImageObj::Arrange(Canvas& canvas, int availableWidth) {
    if (document_ && document_->ShowImages && kind_ == PictureKind::None && !Source.empty()) {
        Fetch();
    } else if (document_ && document_->ShowImages && kind_ == PictureKind::None) {
        kind_ = PictureKind::Error;
        mask_ = &errorPictureMask();
        Transparency = LLCorner;
    }
    SetSizes(canvas, availableWidth);
    ObjWidth = DrawWidth;
    ObjHeight = DrawHeight;
    HasBorder = !NoBorder && InLink;
    if (HasBorder) {
        ObjWidth += 2;
        ObjHeight += 2;
    }
}

void TImageObj::SetSizes(Canvas& canvas, int availableWidth) {
    if (SizeKnown) {
        return;
    }
    const bool placeholder = PlaceholderCase();
    const Bitmap* plain = PlainPicture();
    const int naturalW = placeholder && plain ? plain->width() : naturalWidth_;
    const int naturalH = placeholder && plain ? plain->height() : naturalHeight_;
    if (WidthIsPercent) {
        DrawWidth = MulDivSize(std::max(availableWidth, 0), SpecWidth, 100);
        DrawHeight = SpecHeight > 0 ? SpecHeight : naturalH;
    } else if (placeholder) {
        const bool both = SpecWidth > 0 && SpecHeight > 0;
        DrawWidth = both ? SpecWidth : naturalW;
        DrawHeight = both ? SpecHeight : naturalH;
        SizeKnown = both;
    } else {
        DrawWidth = SpecWidth > 0    ? SpecWidth
                    : SpecHeight > 0 ? MulDivSize(SpecHeight, naturalW, naturalH)
                                     : naturalW;
        DrawHeight = SpecHeight > 0  ? SpecHeight
                     : SpecWidth > 0 ? MulDivSize(SpecWidth, naturalH, naturalW)
                                     : naturalH;
        SizeKnown = true;
    }
    if (placeholder && !SizeKnown) {
        GrowForAltText(canvas);
    }
}

void TImageObj::GrowForAltText(Canvas& canvas) {
    Size text;
    if (!Alt.empty()) {
        const FontDesc saved = canvas.font();
        canvas.setFont(AltFont());
        text = canvas.textExtent(Alt);
        canvas.setFont(saved);
    }
    DrawWidth = std::min(std::max(DrawWidth, text.cx + 2 + kAltTextLeft), kMaxSize);
    DrawHeight = std::min(std::max(DrawHeight, std::max(kMinPlaceholder, text.cy)), kMaxSize);
}

// ---- drawing ----

void TImageObj::Draw(Canvas& canvas, int x, int y) {
    const bool placeholder = PlaceholderCase();
    const int b = HasBorder ? 1 : 0;
    const int left = x + b;
    const int top = y + b;
    if (!placeholder) {
        DrawPicture(canvas, left, top);
    } else if (DrawWidth >= kMinPlaceholder && DrawHeight >= kMinPlaceholder) {
        DrawPicture(canvas, left + kPlaceholderInset, top + kPlaceholderInset);
    }
    const Rect textBox{left + kAltTextLeft, top + kPlaceholderInset, left + DrawWidth - 2,
                       top + DrawHeight - 1};
    if (placeholder && !HasBorder) {
        DrawAltText(canvas, textBox, 0);
        const int right = left + DrawWidth - 1;
        const int bottom = top + DrawHeight - 1;
        canvas.drawLine(left, top, right, top, kFrameShadow);
        canvas.drawLine(left, top, left, bottom, kFrameShadow);
        canvas.drawLine(left, bottom, right + 1, bottom, kFrameLight);
        canvas.drawLine(right, top, right, bottom, kFrameLight);
    }
    if (HasBorder) {
        if (placeholder) {
            DrawAltText(canvas, textBox, LinkColor);
        }
        canvas.frameRect(Rect{x, y, x + ObjWidth, y + ObjHeight}, LinkColor);
    }
}

void TImageObj::DrawPicture(Canvas& canvas, int x, int y) {
    const bool printing = document_ && document_->Printing;
    if (animation_ && document_ && document_->ShowImages) {
        if (!printing) {
            animation_->Draw(canvas, x, y, DrawWidth, DrawHeight);
            ShownInPaint = true;
            return;
        }
        const Bitmap& frame = animation_->Composite();
        const std::optional<Mask>& frameMask = animation_->CompositeMask();
        const Rect source{0, 0, frame.width(), frame.height()};
        const Rect dest{x, y, x + DrawWidth, y + DrawHeight};
        if (frameMask) {
            canvas.drawMaskedBitmap(frame, *frameMask, source, dest);
        } else {
            canvas.drawBitmap(frame, source, dest);
        }
        return;
    }
    const Bitmap* picture = PlainPicture();
    if (!picture || picture->isEmpty()) {
        return;
    }
    const bool special = PlaceholderCase();
    const Rect source{0, 0, picture->width(), picture->height()};
    const Rect dest = special ? Rect{x, y, x + picture->width(), y + picture->height()}
                              : Rect{x, y, x + DrawWidth, y + DrawHeight};
    const bool isError = kind_ == PictureKind::Error && document_ && document_->ShowImages;
    const Mask* mask = isError ? &errorPictureMask() : Transparency != NotTransp ? mask_ : nullptr;
    if (mask && mask->width() == picture->width() && mask->height() == picture->height()) {
        canvas.drawMaskedBitmap(*picture, *mask, source, dest);
    } else {
        canvas.drawBitmap(*picture, source, dest);
    }
}

// The alternative text word-wrapped into the box; lines that would not fit whole below the box's
// top are left out, and a word wider than the box stands alone, clipped.
void TImageObj::DrawAltText(Canvas& canvas, const Rect& box, Color color) {
    if (Alt.empty() || box.isEmpty()) {
        return;
    }
    CanvasStateSaver saver(canvas);
    canvas.intersectClip(box);
    canvas.setFont(AltFont());
    canvas.setTextColor(color);
    canvas.setBkMode(BkMode::Transparent);
    const int lineHeight = std::max(canvas.textExtent("A").cy, 1);
    const int ascent = canvas.fontMetrics().ascent;
    const int spaceWidth = canvas.textWidth(" ");
    std::string_view rest = Alt;
    std::string line;
    int lineWidth = 0;
    int y = box.top;
    while (box.bottom - y >= lineHeight) {
        rest = trimView(rest);
        if (rest.empty()) {
            break;
        }
        const size_t space = rest.find(' ');
        const std::string_view word = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space);
        const int wordWidth = canvas.textWidth(word);
        if (!line.empty() && lineWidth + wordWidth > box.width()) {
            canvas.textOut(box.left, y + ascent, line);
            y += lineHeight;
            line.clear();
            lineWidth = 0;
        }
        line.append(word);
        line += ' ';
        lineWidth += wordWidth + spaceWidth;
    }
    if (!line.empty() && box.bottom - y >= lineHeight) {
        canvas.textOut(box.left, y + ascent, line);
    }
}

// ---- hit tests, hover, animation ----

bool TImageObj::ObjectLinkAt(int x, int y, TLinkAnswer& answer) {
    if (!UseMap || !document_) {
        return false;
    }
    const TMapItem* map = document_->Pictures.FindMap(MapName);
    if (!map) {
        return false;
    }
    // The map decides alone: a point outside its areas, or in a NOHREF area, is no link.
    answer.HasTarget = map->LinkAt(x, y, answer.Target);
    return true;
}

void TImageObj::SetHover(bool hover) {
    if (hover == Hovered) {
        return;
    }
    Hovered = hover;
    if (!HoverActive || !gif_) {
        return;
    }
    if (hover) {
        if (gif_->FrameCount() == 2) {
            gif_->SetCurrentFrame(2);
        } else {
            gif_->SetAnimate(true);
            JoinAnimations();
        }
    } else {
        gif_->SetAnimate(false);
        gif_->SetCurrentFrame(1);
        LeaveAnimations();
    }
}

void TImageObj::JoinAnimations() {
    if (!document_ || !gif_) {
        return;
    }
    auto& list = document_->AnimatedImages;
    if (std::find(list.begin(), list.end(), this) == list.end()) {
        list.push_back(this);
    }
}

void TImageObj::LeaveAnimations() {
    if (document_ && !document_->AnimatedImages.empty()) {
        std::erase(document_->AnimatedImages, static_cast<TAnimatable*>(this));
    }
}

void TImageObj::Rewind() {
    if (gif_) {
        gif_->SetCurrentFrame(1);
    }
}

void TImageObj::StopAnimation() {
    if (gif_) {
        gif_->SetAnimate(false);
    }
}

void TImageObj::StartAnimation() {
    if (gif_) {
        gif_->SetAnimate(true);
    }
}

bool TImageObj::StepAnimation() {
    return gif_ && gif_->Step();
}

std::unique_ptr<TFloatingObj> TImageObj::CloneFor(TSectionList& document) const {
    return std::make_unique<TImageObj>(&document, *this);
}

const Bitmap* TImageObj::TileBitmap() {
    if (kind_ == PictureKind::Error) {
        return nullptr;
    }
    if (animation_) {
        if (!tileCopy_ || tileFrame_ != animation_->CurrentFrame) {
            tileCopy_ = std::make_unique<Bitmap>(animation_->Composite());
            if (animation_->CompositeMask()) {
                tileCopy_->mask = *animation_->CompositeMask();
            }
            tileFrame_ = animation_->CurrentFrame;
        }
        return tileCopy_.get();
    }
    if (kind_ != PictureKind::Cached || !item_ || !item_->Picture.bitmap) {
        return nullptr;
    }
    const Bitmap& picture = *item_->Picture.bitmap;
    if (!mask_ || mask_->width() != picture.width() || mask_->height() != picture.height()) {
        return &picture;
    }
    return document_->Pictures.MaskedTile(Source, picture, *mask_);
}

// ---- block pictures ----

TImageBlockPicture::TImageBlockPicture(TSectionList& document, const std::string& name)
    : image_(&document, name) {}

TImageBlockPicture::TImageBlockPicture(TSectionList& document, const TImageBlockPicture& source)
    : image_(&document, source.image_) {}

bool TImageBlockPicture::Prepare(Canvas& canvas) {
    image_.Arrange(canvas, 0);
    return image_.Kind() != TImageObj::PictureKind::Error;
}

const Bitmap* TImageBlockPicture::Picture() const {
    return const_cast<TImageObj&>(image_).TileBitmap();
}

std::unique_ptr<TBlockPicture> TImageBlockPicture::CloneFor(TSectionList& document) const {
    return std::make_unique<TImageBlockPicture>(document, *this);
}

} // namespace tavlin
