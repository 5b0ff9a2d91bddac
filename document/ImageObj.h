#pragma once
#include "document/Block.h"
#include "document/FloatingObj.h"
#include "document/SectionList.h"
#include "images/GIFImage.h"

#include <memory>
#include <string>

namespace tavlin {

class TAttributeList;
class TProperties;
class TMapItem;
struct TBitmapItem;

// A picture in a document: an IMG standing in text (inline or floating), or the background
// picture of a block. It takes its picture from the document's cache at its first Arrange, draws
// the placeholder with its alternative text while it has none, and sizes itself from its
// attributes and the picture.
class TImageObj : public TFloatingObj, public TAnimatable {
public:
    static constexpr int kMaxSpace = 40;
    // Given sizes beyond this are taken as this: no screen or page is that big, and sums of
    // sizes stay far from overflow.
    static constexpr int kMaxSize = 32000;
    // The placeholder box: the picture 4 pixels in, the text 24 pixels from the left.
    static constexpr int kPlaceholderInset = 4;
    static constexpr int kAltTextLeft = 24;
    static constexpr int kMinPlaceholder = 24;

    TImageObj(TSectionList* document, const TAttributeList& attributes, int sourcePos);
    // A block's background picture.
    TImageObj(TSectionList* document, const std::string& name);
    // A copy for another document (printing): shares the cached picture; an animation is copied
    // so that it runs on its own.
    TImageObj(TSectionList* document, const TImageObj& source);
    ~TImageObj() override;

    int SourcePos = 0;
    int SpecWidth = 0; // 0: not given
    bool WidthIsPercent = false;
    int SpecHeight = 0;
    std::string Source;
    std::string Alt;
    bool NoBorder = false;
    int Transparency = 0;
    bool ServerMap = false; // ISMAP
    bool UseMap = false;
    std::string MapName;
    bool HoverActive = false;
    bool Hovered = false;
    bool InLink = false; // stands inside a link: framed in the link colour unless BORDER=0
    Color LinkColor = rgb(0, 0, 255);
    int DrawWidth = 0;
    int DrawHeight = 0;
    bool SizeKnown = false;
    bool HasBorder = false;
    bool InIDs = false; // entered in the document's ID list under its ID

    enum class PictureKind { None, Placeholder, Error, Cached, Animated };
    PictureKind Kind() const { return kind_; }
    bool Pending() const { return pending_; }
    // The plain picture drawn (cached, placeholder or error picture), or null for an animation.
    const Bitmap* PlainPicture() const;
    // The animation drawn: the image's own copy, or the cache's picture shown still when the
    // document's animation budget is spent.
    TGIFImage* Animation() const { return animation_; }

    // Float and vertical-align, margins, width and height from the element's style.
    void ApplyStyle(const TProperties& props);
    // Fetches the picture when needed and fixes the sizes for a line of this width.
    void Arrange(Canvas& canvas, int availableWidth);
    // A pending picture arrived (or failed): the object takes it at its next Arrange.
    void PictureDelivered();
    // The picture as a plain bitmap for tiling a background: none for the error picture.
    const Bitmap* TileBitmap();
    // The mask to draw the plain picture through, or null.
    const Mask* PictureMask() const { return mask_; }

    // TFloatingObj
    void SetSizeFor(Canvas& canvas, int lineWidth) override { Arrange(canvas, lineWidth); }
    void Draw(Canvas& canvas, int x, int y) override;
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList& document) const override;
    void SetHover(bool hover) override;
    bool IsMap() const override { return ServerMap; }
    bool ObjectLinkAt(int x, int y, TLinkAnswer& answer) override;

    // TAnimatable
    void Rewind() override;
    void StopAnimation() override;
    void StartAnimation() override;
    bool StepAnimation() override;

private:
    void ReadAttribute(const TAttribute& a, bool& hspaceGiven);
    void Fetch();
    void TakeFetched(const ImageFetch& fetched);
    void SetSizes(Canvas& canvas, int availableWidth);
    void GrowForAltText(Canvas& canvas);
    bool PlaceholderCase() const;
    void DrawPicture(Canvas& canvas, int x, int y);
    void DrawAltText(Canvas& canvas, const Rect& box, Color color);
    void JoinAnimations();
    void LeaveAnimations();
    void ReleasePicture();

    TSectionList* document_ = nullptr;
    PictureKind kind_ = PictureKind::None;
    bool pending_ = false;
    TBitmapItem* item_ = nullptr; // the cache entry used (counted in its UseCount)
    const Mask* mask_ = nullptr;
    std::unique_ptr<TGIFImage> gif_; // owned copy that animates
    TGIFImage* animation_ = nullptr;
    std::unique_ptr<Bitmap> tileCopy_; // the current frame of an animation, for tiling
    int tileFrame_ = 0;
    int naturalWidth_ = 0;
    int naturalHeight_ = 0;
};

// Wraps an image object as the picture a block paints (background, list marker).
class TImageBlockPicture : public TBlockPicture {
public:
    TImageBlockPicture(TSectionList& document, const std::string& name);
    TImageBlockPicture(TSectionList& document, const TImageBlockPicture& source);
    bool Prepare(Canvas& canvas) override;
    const Bitmap* Picture() const override;
    std::unique_ptr<TBlockPicture> CloneFor(TSectionList& document) const override;

private:
    TImageObj image_;
};

} // namespace tavlin
