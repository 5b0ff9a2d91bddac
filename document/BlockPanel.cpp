#include "document/BlockPanel.h"

#include "document/SectionList.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <cstdlib>

namespace tavlin {

namespace {

int SpaceOf(const TAttribute& a) {
    return std::min(std::abs(a.NumValue), TPanelObj::kMaxSpace);
}

} // namespace

TPanelObj::TPanelObj(TSectionList* document, TPanelHost* host, const TAttributeList& attributes, int position)
    : SourcePos(position), document_(document), host_(host) {
    ObjAlign = ABottom;
    LeftSpace = RightSpace = 3;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrNAME:
            Name = a.Text;
            break;
        case attrALT:
            AltText = a.Text;
            break;
        case attrALIGN:
            ObjAlign = ObjectAlignOf(a.Text, ObjAlign);
            break;
        case attrWIDTH:
            width = std::clamp(a.NumValue, 0, 32000);
            break;
        case attrHEIGHT:
            height = std::clamp(a.NumValue, 0, 32000);
            break;
        case attrHSPACE:
            LeftSpace = RightSpace = SpaceOf(a);
            break;
        case attrVSPACE:
            TopSpace = BottomSpace = SpaceOf(a);
            break;
        case attrSRC:
            Src = a.Text;
            break;
        case attrTYPE:
            Type = a.Text;
            break;
        default:
            break;
        }
    }
    // Parked out of sight until the first paint places it.
    printBounds_ = Rect{-400, -400, -400 + width, -400 + height};
    if (host_ && host_->MakeWindow) {
        Panel = host_->MakeWindow();
    }
    if (Panel) {
        Panel->SetName(Name);
        Panel->SetBounds(printBounds_);
        Panel->SetColour(0xFFFFFF);
        Panel->SetVisible(true);
        if (host_->OnPanelCreate) {
            host_->OnPanelCreate(Name, *Panel, Src, Type);
        }
        printBounds_ = Panel->Bounds();
    }
    ObjWidth = printBounds_.width();
    ObjHeight = printBounds_.height();
    Join();
}

TPanelObj::TPanelObj(TSectionList* document, const TPanelObj& source)
    : TFloatingObj(source), Name(source.Name), AltText(source.AltText), Src(source.Src), Type(source.Type),
      SourcePos(source.SourcePos), document_(document), host_(source.host_) {
    printBounds_ = source.Panel ? source.Panel->Bounds() : source.printBounds_;
    printColour_ = source.Panel ? source.Panel->Colour() : source.printColour_;
    printVisible_ = source.Panel ? source.Panel->Visible() : source.printVisible_;
    if (host_ && host_->MakeWindow) {
        Panel = host_->MakeWindow();
    }
    if (Panel) {
        Panel->SetBounds(printBounds_);
        Panel->SetColour(printColour_);
        Panel->SetVisible(printVisible_);
        Panel->Show(false); // the print copy draws a picture of it instead
    }
    Join();
}

TPanelObj::~TPanelObj() {
    if (Panel && host_ && host_->OnPanelDestroy) {
        host_->OnPanelDestroy(*Panel);
    }
    if (document_) {
        std::erase(document_->Panels, this);
        if (document_->HoverImage == this) {
            document_->HoverImage = nullptr;
        }
    }
}

void TPanelObj::Join() {
    if (document_) {
        document_->Panels.push_back(this);
    }
}

std::unique_ptr<TFloatingObj> TPanelObj::CloneFor(TSectionList& document) const {
    return std::make_unique<TPanelObj>(&document, *this);
}

void TPanelObj::Draw(Canvas& canvas, int x, int y) {
    if (document_ && document_->Printing) {
        if (!printVisible_) {
            return;
        }
        const Rect box{x, y, x + ObjWidth, y + ObjHeight};
        canvas.fillRect(box, printColour_ & 0x00FFFFFF);
        canvas.frameRect(box, 0, 1);
        if (!AltText.empty()) {
            CanvasStateSaver saver(canvas);
            canvas.intersectClip(box);
            canvas.setTextColor(0);
            canvas.setBkMode(BkMode::Transparent);
            canvas.textOut(x + kTextInset, y + kTextInset + canvas.fontMetrics().ascent, AltText);
        }
        return;
    }
    if (Panel) {
        Panel->SetBounds(Rect{x, y, x + ObjWidth, y + ObjHeight});
        Panel->Show(Panel->Visible());
    }
}

void TPanelObj::HideWindow() {
    if (Panel) {
        Panel->Show(false);
    }
}

void TPanelObj::ParkWindow() {
    if (Panel) {
        Panel->SetBounds(Rect{-4000, DrawYY, -4000 + ObjWidth, DrawYY + ObjHeight});
        Panel->Show(Panel->Visible());
    }
}

} // namespace tavlin
