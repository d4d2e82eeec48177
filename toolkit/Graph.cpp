// The chart control: its widget, its data and what it shows. The drawing is in GraphDraw.cpp.
#include "Graph.h"

#include <QMouseEvent>
#include <QPointer>
#include <algorithm>

#include "ImageCanvas.h"
#include "Window.h"
#include "internal/CanvasWidget.h"
#include "internal/Widgets.h"

namespace {

// Paints the chart; a right click opens the control's menu (when it has one), then tells
// the owner.
class GraphWidget : public CanvasWidget<TGraph> {
  public:
    using CanvasWidget::CanvasWidget;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (!owner || e->button() != Qt::RightButton) return QWidget::mousePressEvent(e);
        QPoint at = e->position().toPoint();
        if (owner->lPopUp) {
            QPointer<QWidget> alive(this);
            owner->popupMenu(at.y(), at.x());
            if (!alive || !owner) return;  // the menu's action ended the control
        }
        if (owner->bRClicked) owner->bRClicked(*owner, at.y(), at.x());
    }
};

std::unique_ptr<ControlImpl> graphImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new GraphWidget(parent.impl().client);
    return impl;
}

std::array<FontSpec, 9> defaultFonts() {
    auto arial = [](int height, bool bold, double angle = 0) {
        FontSpec f;
        f.face = "Arial";
        f.height = height;
        f.bold = bold;
        f.angle = angle;
        return f;
    };
    return {arial(15, true), arial(10, false), arial(10, false), arial(10, false), arial(10, true),
            arial(10, true, 89.8), arial(10, true), arial(10, false), arial(11, true)};
}

}  // namespace

TGraph::TGraph(TWindowBase& parent, GraphOptions options)
    : TControl(parent, options.id, options.rect, graphImpl(parent)), aFont(defaultFonts()) {
    static_cast<GraphWidget*>(impl_->widget.data())->owner = this;
}

TGraph::~TGraph() {
    if (auto* w = static_cast<GraphWidget*>(impl_->widget.data())) w->owner = nullptr;
}

void TGraph::AddSerie(std::vector<double> values, std::string name, Color color, int type,
                      std::optional<bool> with3D) {
    GraphSerie serie{std::move(name), color, type, with3D};
    aSeries.push_back(serie);
    aSTemp.push_back(std::move(serie));
    aData.push_back(values);
    aDTemp.push_back(std::move(values));
}

std::vector<std::string> TGraph::SetYVals(std::vector<std::string> labels) {
    std::vector<std::string> previous = std::move(aYTemp);
    aYVals = labels;
    aYTemp = std::move(labels);
    return previous;
}

void TGraph::SelSerie(int n) {
    aYVals = aYTemp;
    if (n < 1 || n > int(aSTemp.size())) {
        aSeries = aSTemp;
        aData = aDTemp;
        return;
    }
    aSeries = {aSTemp[n - 1]};
    aData = {aDTemp[n - 1]};
}

void TGraph::SelPeriod(int n) {
    size_t categories = aYTemp.size();
    for (const auto& values : aDTemp) categories = std::max(categories, values.size());
    if (n < 1 || size_t(n) > categories) return;
    aSeries = aSTemp;
    aData.clear();
    for (const auto& values : aDTemp) aData.push_back({size_t(n) <= values.size() ? values[n - 1] : 0.0});
    aYVals = size_t(n) <= aYTemp.size() ? std::vector<std::string>{aYTemp[n - 1]} : std::vector<std::string>{};
}

void TGraph::Refresh() {
    if (impl_->widget) impl_->widget->update();
}

void TGraph::End() {
    aSeries.clear();
    aSTemp.clear();
    aData.clear();
    aDTemp.clear();
    aYVals.clear();
    aYTemp.clear();
    Refresh();
}

void TGraph::Paint(Canvas& canvas) {
    Rect px = pixelRect();
    draw(canvas, px.width, px.height);
}

Picture TGraph::render(int width, int height) {
    ImageCanvas canvas(std::max(width, 1), std::max(height, 1), nClrPane);
    draw(canvas, width, height);
    return canvas.toPicture();
}
