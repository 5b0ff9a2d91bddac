#pragma once
#include "platform/Canvas.h"
#include "reader/IDNames.h"
#include "reader/TextUtil.h"

#include <memory>

namespace tavlin {

class TSectionList;
struct TLinkAnswer;

// Object alignment of images, panels and form controls that stand in text.
enum ObjectAlign : int { ANone = 0, ATop = 1, AMiddle = 2, ABaseline = 3, ABottom = 4, ALeft = 5, ARight = 6 };

// The alignment an ALIGN value of an image, panel or image input names; `current` when it names
// none of them.
inline int ObjectAlignOf(std::string_view align, int current) {
    const std::string upper = toUpperAscii(align);
    return upper == "TOP"                              ? ATop
           : upper == "MIDDLE" || upper == "ABSMIDDLE" ? AMiddle
           : upper == "LEFT"                           ? ALeft
           : upper == "RIGHT"                          ? ARight
                                                       : current;
}

// The common base of the objects that stand in text as one placeholder character: images,
// panels and form controls. The text section places them (line heights, float bands, x); the
// object only says how big it is and draws itself where it is put.
class TFloatingObj : public TIDObject {
public:
    TFloatingObj() = default;
    TFloatingObj(const TFloatingObj&) = default;
    TFloatingObj& operator=(const TFloatingObj&) = default;

    int Pos = 0;        // offset of its placeholder in the section text
    int ObjHeight = 0;
    int ObjWidth = 0;
    int ObjAlign = ABottom;
    int ObjX = 0;       // x after float placement, relative to the floats' LeftEdge
    int LeftSpace = 0;
    int RightSpace = 0;
    int TopSpace = 0;
    int BottomSpace = 0;
    int PlacedY = 0;    // document y of the float band it made (top of its top space)
    int DrawX = 0;      // where it was last painted, document coordinates of its own box
    int DrawYY = 0;
    bool ShowIt = false; // painted since the view last moved (controls and panels)

    bool Floats() const { return ObjAlign == ALeft || ObjAlign == ARight; }
    int FullWidth() const { return ObjWidth + LeftSpace + RightSpace; }
    int FullHeight() const { return ObjHeight + TopSpace + BottomSpace; }
    // The object's anchor: the y at which it was last painted.
    int YPosition() const override { return DrawYY; }
    bool Contains(int x, int y) const {
        return x >= DrawX && x < DrawX + ObjWidth && y >= DrawYY && y < DrawYY + ObjHeight;
    }

    // Sizes the object for a line of this width (percentage widths); 0 asks for the natural size.
    virtual void SetSizeFor(Canvas& canvas, int lineWidth) {}
    // Draws the object's box with its top-left corner at x, y (view coordinates).
    virtual void Draw(Canvas& canvas, int x, int y) {}
    // Draws it on the print copy's page; objects shared with the screen keep their place there.
    virtual void Print(Canvas& canvas, int x, int y) { Draw(canvas, x, y); }
    // A copy for the print copy of the document.
    virtual std::unique_ptr<TFloatingObj> CloneFor(TSectionList& document) const = 0;
    // Whether the object wants the document to repaint while the mouse is over it (images).
    virtual void SetHover(bool hover) {}
    // Image links: an image with ISMAP adds the point to the address.
    virtual bool IsMap() const { return false; }
    // An object that answers a link hit test itself (a client-side map, a form image button),
    // given the point relative to its box.
    virtual bool ObjectLinkAt(int x, int y, TLinkAnswer& answer) { return false; }

    // Objects with a window of their own (form controls, panels).
    virtual void PrepareForLayout(Canvas& canvas) {}
    virtual void HideWindow() {}
    virtual void ParkWindow() {} // shown far left, so that a focused control keeps its focus
    virtual bool HasFocus() const { return false; }
    virtual bool TakesFocus() const { return false; }
};

} // namespace tavlin
