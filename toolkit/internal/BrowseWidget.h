#pragma once
// The windowing side of the grid: a widget with a backing image the grid draws into, two
// scroll bars over its right and bottom edges, and the events handed to the grid.
#include <QImage>
#include <QScrollBar>
#include <QWidget>

class TWBrowse;
class TScrollBar;

class BrowseWidget : public QWidget {
  public:
    explicit BrowseWidget(QWidget* parent);

    void attach(TWBrowse* owner) { owner_ = owner; }
    void detach() { owner_ = nullptr; }
    // The image the grid draws on, as large as the widget.
    QImage& backing();
    void showScroll(const TScrollBar& bar);
    void setResizeLine(int x);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void layoutScrollBars();
    void scrollAction(bool vertical, int action);

    TWBrowse* owner_ = nullptr;
    QImage backing_;
    QScrollBar* vBar_;
    QScrollBar* hBar_;
    int resizeLine_ = -1;
    bool painting_ = false;
};
