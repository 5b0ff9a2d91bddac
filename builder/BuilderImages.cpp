// Images and client-side image maps: IMG becomes an image object in the current section, MAP a
// map in the document's list.
#include "builder/Builder.h"
#include "document/ImageObj.h"
#include "document/MapItem.h"
#include "document/SectionList.h"
#include "reader/TextUtil.h"

namespace tavlin {

namespace {

std::unique_ptr<TBlockPicture> MakeBlockPicture(TSectionList& document, const std::string& name) {
    return std::make_unique<TImageBlockPicture>(document, name);
}

} // namespace

void THtmlBuilder::InstallPictureMaker() {
    if (!BlockPictureMaker()) {
        BlockPictureMaker() = MakeBlockPicture;
    }
}

void THtmlBuilder::Image() {
    TSection& section = EnsureSection();
    const bool pushed = PushInline("img");
    auto image = std::make_unique<TImageObj>(&doc_, rd_.Attributes, rd_.TagStartPos);
    image->ApplyStyle(TopProps());
    image->InLink = InLink;
    if (InLink) {
        image->LinkColor = TopProps().GetFont().color;
    }
    if (const std::string& id = rd_.Attributes.IdValue(); !id.empty() && doc_.IDs) {
        doc_.IDs->AddObject(toUpperAscii(id), image.get());
        image->InIDs = true;
    }
    section.AddObject(std::move(image), rd_.TagStartPos, rd_.NoBreakMode);
    if (pushed) {
        PopElement("img");
    }
}

void THtmlBuilder::Map() {
    // A map with a third stray token is abandoned there.
    auto map = std::make_unique<TMapItem>();
    if (const TAttribute* name = rd_.Attributes.FindAttribute(attrNAME)) {
        map->MapName = toUpperAscii(name->Text);
    }
    int stray = 0;
    Next();
    while (Sym() != endMAP && Sym() != symEof) {
        if (Sym() == tagAREA) {
            map->AddArea(rd_.Attributes);
        } else if (Sym() != symText && ++stray >= 3) {
            return;
        }
        Next();
    }
    if (Sym() == endMAP) {
        doc_.Pictures.MapList.push_back(std::move(map));
    }
}

} // namespace tavlin
