#pragma once
#include "viewer/DocumentLoad.h"
#include "viewer/ViewerSettings.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

namespace tavlin {

class TSectionList;
class TStringBitmapList;
class ImageCanvas;
class Canvas;

// The viewer's document without a window: loaded, laid out for a width and painted into
// pictures, with the same settings and engine as the window control. The command line renders
// through it and the tests and benchmarks measure with it. Needs a GUI application (fonts).
class THeadlessView {
public:
    explicit THeadlessView(const TViewerSettings& settings = TViewerSettings::Listing());
    ~THeadlessView();
    THeadlessView(const THeadlessView&) = delete;
    THeadlessView& operator=(const THeadlessView&) = delete;

    // Raises EInOutError "Can't locate file: <name>" when there is no such file.
    void LoadFile(const std::string& name);
    void LoadLines(const std::vector<std::string>& lines);
    // Shows one picture file as a document of its own, as the viewer does.
    void LoadImageFile(const std::string& name);

    // Lays the document out `width` pixels wide for a view `height` pixels high; returns the
    // document's height.
    int Layout(int width, int height);
    int DocHeight() const { return docHeight_; }
    int DocWidth() const { return docWidth_; }

    // A picture of the view `width` x `height` whose top is document y `top`: the background
    // colour, then the band of the document. A null picture when it cannot be made.
    QImage Render(int width, int height, int top);
    // Paints the band into a canvas already cleared to the background (view coordinates).
    void PaintBand(Canvas& canvas, int width, int height, int top);

    // The whole text as "Copy to Clipboard" gives it after selecting everything, in UTF-8 with
    // CR LF line ends; lay the document out first, since its lines decide the line ends.
    std::string AllText();

    TSectionList& Document() { return *document_; }
    const TLoadResult& LoadResult() const { return loaded_; }
    Color Background() const;

private:
    Canvas& MeasureCanvas();
    void Load(const std::string& name, bool image);

    TViewerSettings settings_;
    std::unique_ptr<TSectionList> document_;
    std::shared_ptr<TStringBitmapList> imageCache_; // kept across loads, as the viewer keeps it
    std::unique_ptr<ImageCanvas> measure_;
    TLoadResult loaded_;
    std::string fileName_;
    int docHeight_ = 0;
    int docWidth_ = 0;
};

} // namespace tavlin
