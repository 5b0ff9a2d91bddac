#include "document/FormImage.h"

#include "document/FormControl.h"
#include "document/SectionBase.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <cstdlib>

namespace tavlin {

TFormImageObj::TFormImageObj(TImageFormControlObj& input, const TAttributeList& attributes) : Input(&input) {
    ObjWidth = ObjHeight = kDefaultSize;
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrWIDTH:
            ObjWidth = std::clamp(a.NumValue, 1, kMaxControlExtent);
            sized_ = true;
            break;
        case attrHEIGHT:
            ObjHeight = std::clamp(a.NumValue, 1, kMaxControlExtent);
            sized_ = true;
            break;
        case attrALT:
            AltText = a.Text;
            break;
        case attrALIGN:
            ObjAlign = ObjectAlignOf(a.Text, ObjAlign);
            break;
        case attrHSPACE:
            LeftSpace = RightSpace = std::min(std::abs(a.NumValue), 40);
            break;
        case attrVSPACE:
            TopSpace = BottomSpace = std::min(std::abs(a.NumValue), 40);
            break;
        default:
            break;
        }
    }
    input.Image = this;
}

void TFormImageObj::SetSizeFor(Canvas& canvas, int lineWidth) {
    if (!sized_ && !AltText.empty()) {
        canvas.setFont(Input->Font);
        const Size text = canvas.textExtent(AltText);
        ObjWidth = std::clamp(text.cx + 8, kDefaultSize, kMaxControlExtent);
        ObjHeight = std::max(text.cy + 8, kDefaultSize);
    }
}

void TFormImageObj::Draw(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    canvas.fillRect(box, 0xC0C0C0);
    canvas.frameRect(box, 0x808080, 1);
    if (!AltText.empty()) {
        CanvasStateSaver saver(canvas);
        canvas.intersectClip(box);
        canvas.setFont(Input->Font);
        canvas.setTextColor(0);
        canvas.setBkMode(BkMode::Transparent);
        canvas.textOut(x + 4, y + 4 + canvas.fontMetrics().ascent, std::string_view(AltText).substr(0, 1000));
    }
}

std::unique_ptr<TFloatingObj> TFormImageObj::CloneFor(TSectionList& document) const {
    return std::make_unique<TFormImageObj>(*this); // the input keeps the screen's picture
}

bool TFormImageObj::ObjectLinkAt(int x, int y, TLinkAnswer& answer) {
    Input->PendingX = x;
    Input->PendingY = y;
    answer.FormControl = Input;
    return true;
}

} // namespace tavlin
