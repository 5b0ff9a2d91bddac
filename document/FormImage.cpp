#include "document/FormImage.h"

#include "document/FormControl.h"
#include "document/SectionBase.h"

namespace tavlin {

TFormImageObj::TFormImageObj(TSectionList& document, TImageFormControlObj& input,
                             const TAttributeList& attributes, int sourcePos)
    : TImageObj(&document, attributes, sourcePos), Input(&input) {
    input.Image = this;
}

bool TFormImageObj::ObjectLinkAt(int x, int y, TLinkAnswer& answer) {
    Input->PendingX = x;
    Input->PendingY = y;
    answer.FormControl = Input;
    return true;
}

} // namespace tavlin
