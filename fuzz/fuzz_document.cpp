// The whole path of a page: bytes through the builder into a document, laid out at two widths,
// painted in bands on a fixed-metric canvas (on screen and as a paginated print copy), and asked
// every query at points spread over it; forms submit and reset. Pictures come from the host by name,
// never from files: a ".gif" name is a small animation, a name starting with "w" comes later, any
// other is missing.
#include "builder/HtmlParser.h"
#include "document/HtmlForm.h"
#include "document/SectionList.h"
#include "tests/document/FixedCanvas.h"
#include "tests/images/GifWriter.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

using namespace tavlin;

namespace {

const std::string& Animation() {
    static const std::string bytes = [] {
        giftest::Gif gif;
        gif.width = gif.height = 4;
        gif.globalTable = {0xFFFFFF, 0xFF0000};
        gif.loop = 0;
        for (uint8_t index : {0, 1}) {
            giftest::Frame frame;
            frame.width = frame.height = 4;
            frame.pixels.assign(16, index);
            frame.delayCs = 5;
            frame.transparent = 0;
            gif.frames.push_back(frame);
        }
        return giftest::encode(gif);
    }();
    return bytes;
}

ImageRequestHandlers::Stream PictureByName(const std::string& name) {
    if (!name.empty() && (name[0] == 'w' || name[0] == 'W')) {
        return {true, {}};
    }
    const bool gif = name.size() >= 4 &&
                     (name.substr(name.size() - 4) == ".gif" || name.substr(name.size() - 4) == ".GIF");
    return {false, gif ? Animation() : std::string()};
}

void PaintBands(TSectionList& doc, Canvas& canvas, int width, int height) {
    const int band = 480;
    for (int top : {0, height / 2, std::max(0, height - band)}) {
        doc.SetYOffset(top);
        doc.PaintDocument(canvas, Rect{0, 0, width, band}, 6000, 0, 0, 0, 0);
    }
}

void PrintPages(const TSectionList& doc, int width) {
    std::unique_ptr<TSectionList> copy = doc.CloneFor();
    copy->Printing = true;
    test::FixedCanvas canvas;
    int scrollWidth = 0;
    int counter = 0;
    const int height = copy->Layout(canvas, 0, width, 600, scrollWidth, counter);
    int top = 0;
    for (int page = 0; page < 20 && top < height; ++page) {
        copy->SetYOffset(top);
        copy->PageBottom = top + 600;
        copy->PaintDocument(canvas, Rect{0, 0, width, 600}, width, 0, 0, 0, 0);
        top = std::max(top + 1, copy->PageBottom);
    }
}

void Ask(TSectionList& doc, Canvas& canvas, int width, int height) {
    for (int i = 0; i <= 8; ++i) {
        const int x = int(int64_t(width) * i / 8);
        const int y = int(int64_t(height) * i / 8);
        TPositionHit hit;
        const int position = doc.PositionAt(canvas, x, y, hit);
        TLinkAnswer answer;
        doc.LinkAtPoint(canvas, x, y, answer);
        TFloatingObj* object = nullptr;
        int objX = 0;
        int objY = 0;
        doc.ObjectAt(x, y, object, objX, objY);
        char ch = 0;
        TSectionBase* section = nullptr;
        doc.CharAt(std::max(position, 0), ch, section);
        int px = 0;
        int py = 0;
        doc.PositionToXY(&canvas, std::max(position, 0), px, py);
        doc.DocToSourcePos(std::max(position, 0));
        doc.SourceToDocPos(y, i % 2 == 0);
    }
    doc.ClearHover();
    doc.SearchText(0, "a", false);
    doc.SearchText(0, "The", true);
    doc.OnClipboardText = [](std::string_view) {};
    doc.SelStart = 0;
    doc.SelEnd = 1 << 30;
    doc.CopyToClipboard();
    int anchor = 0;
    int index = 0;
    doc.SectionAtY(height / 2, anchor, index);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TSectionList doc;
    doc.SetDefaults("Times New Roman", "Courier New", 10, 5, 1, true, true, 0xFFFFFF, rgb(0, 0, 255),
                    rgb(128, 0, 128), rgb(0, 0, 255), 0, 12);
    doc.Pictures.Requests.OnImageRequest = PictureByName;
    ParseHtmlFromBuffer(doc, bytes);
    test::FixedCanvas canvas;
    for (const int width : {640, 90}) {
        int scrollWidth = 0;
        int counter = 0;
        const int height = doc.Layout(canvas, 0, width, 480, scrollWidth, counter);
        PaintBands(doc, canvas, width, height);
        Ask(doc, canvas, width, height);
    }
    doc.DeliverImage("w.gif", Animation());
    PrintPages(doc, 500);
    // Forms submit (to a host that keeps nothing) and reset.
    TFormHost host;
    host.OnFormSubmit = [](TFormSubmission) {};
    doc.FormHost = &host;
    for (const auto& form : doc.Forms) {
        form->Submit("extra=1");
        form->ResetControls();
    }
    return 0;
}
