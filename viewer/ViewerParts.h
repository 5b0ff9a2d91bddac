#pragma once
#include <QScrollBar>
#include <QWidget>

namespace tavlin {

class TViewer;

// The plain panel that fills the control and draws its single-line border when asked.
class TBorderPanel : public QWidget {
    Q_OBJECT
public:
    explicit TBorderPanel(QWidget* parent);
    void SetBorderShown(bool shown);
    bool BorderShown() const { return borderShown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool borderShown_ = false;
};

// The drawing surface. It erases nothing itself; its paint and mouse notifications go to the viewer.
class TPaintPanel : public QWidget {
    Q_OBJECT
public:
    TPaintPanel(QWidget* parent, TViewer& viewer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TViewer& viewer_;
};

// The vertical bar. It keeps position, page and range as 32-bit values of its own, hands them to
// the toolkit's bar only when one changed, and turns every scroll action into a new position that
// the viewer clamps and applies.
class T32ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    T32ScrollBar(QWidget* parent, TViewer& viewer);

    int Position() const { return position_; }
    int Page() const { return page_; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int LargeChange = 0;
    static constexpr int kSmallChange = 16;

    // Range min..max with a page of `page` pixels: the highest position is max - page + 1.
    void SetParams(int min, int max, int page, int position);
    void SetPosition(int position) { SetParams(min_, max_, page_, position); }
    // Times the toolkit's bar was told new parameters (a change of any of the four).
    int SendCount() const { return sendCount_; }

private:
    void onAction(int action);

    TViewer& viewer_;
    int position_ = 0;
    int page_ = 0;
    int min_ = 0;
    int max_ = 0;
    int sendCount_ = 0;
    bool sending_ = false;
};

} // namespace tavlin
