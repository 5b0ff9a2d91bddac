#pragma once
#include "document/FloatingObj.h"
#include "platform/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace tavlin {

class TSectionList;
class TAttributeList;

// The window a panel shows: a child of the viewer's paint panel that the host fills.
class TPanelWindow {
public:
    virtual ~TPanelWindow() = default;
    virtual void SetName(const std::string& name) = 0;
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual Rect Bounds() const = 0;
    // The window's own visibility flag, which the host may change.
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    // Shows or hides the window on the screen, its flag unchanged.
    virtual void Show(bool shown) = 0;
    virtual Color Colour() const = 0;
    virtual void SetColour(Color colour) = 0;
};

// What the viewer gives panels: their windows and its panel events.
struct TPanelHost {
    std::function<std::unique_ptr<TPanelWindow>()> MakeWindow;
    std::function<void(const std::string& name, TPanelWindow& panel, const std::string& src,
                       const std::string& type)>
        OnPanelCreate;
    std::function<void(TPanelWindow& panel)> OnPanelDestroy;
};

// A panel standing in text: a placeholder window the host fills; printed as a framed box with
// its alternative text.
class TPanelObj : public TFloatingObj {
public:
    static constexpr int kDefaultWidth = 30;
    static constexpr int kDefaultHeight = 20;
    static constexpr int kMaxSpace = 40;
    static constexpr int kTextInset = 15;

    // position is the source offset of the tag; host may be null (no window: printing only).
    TPanelObj(TSectionList* document, TPanelHost* host, const TAttributeList& attributes, int position);
    TPanelObj(TSectionList* document, const TPanelObj& source); // copy for printing
    ~TPanelObj() override;

    std::string Name;
    std::string AltText;
    std::string Src;
    std::string Type;
    int SourcePos = 0;
    std::unique_ptr<TPanelWindow> Panel;

    void Draw(Canvas& canvas, int x, int y) override;
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList& document) const override;
    void HideWindow() override;
    void ParkWindow() override;

private:
    void Join();

    TSectionList* document_;
    TPanelHost* host_;
    Rect printBounds_{0, 0, kDefaultWidth, kDefaultHeight};
    Color printColour_ = 0xFFFFFF;
    bool printVisible_ = true;
};

} // namespace tavlin
