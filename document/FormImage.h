#pragma once
#include "document/ImageObj.h"

namespace tavlin {

class TImageFormControlObj;
class TAttributeList;

// The picture an image input stands in the text as: an image of the tag's SRC, ALT, sizes and
// alignment, shown as any image is. A click on it reaches the input with the point within the
// picture.
class TFormImageObj : public TImageObj {
public:
    TFormImageObj(TSectionList& document, TImageFormControlObj& input, const TAttributeList& attributes,
                  int sourcePos);
    TImageFormControlObj* Input;

    bool ObjectLinkAt(int x, int y, TLinkAnswer& answer) override;
};

} // namespace tavlin
