#pragma once
#include "document/FloatingObj.h"

#include <string>

namespace tavlin {

class TImageFormControlObj;
class TAttributeList;

// The picture an image input stands in the text as: a raised button face of the tag's WIDTH and
// HEIGHT with its ALT text. A click on it reaches the input with the point within the picture.
class TFormImageObj : public TFloatingObj {
public:
    static constexpr int kDefaultSize = 24;

    TFormImageObj(TImageFormControlObj& input, const TAttributeList& attributes);
    TImageFormControlObj* Input;
    std::string AltText;

    void SetSizeFor(Canvas& canvas, int lineWidth) override;
    void Draw(Canvas& canvas, int x, int y) override;
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList& document) const override;
    bool ObjectLinkAt(int x, int y, TLinkAnswer& answer) override;

private:
    bool sized_ = false; // WIDTH or HEIGHT given
};

} // namespace tavlin
