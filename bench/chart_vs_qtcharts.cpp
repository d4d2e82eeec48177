// The chart control (TGraph) against Qt Charts on the results chart of the election:
//
//   render-chart  two series ("Votos", 0 to 5000, and "Representantes", 0 to 25) over the
//                 35 parties, flat bars, both grids, the legend and four titles, drawn into
//                 a 1280 x 720 image. TGraph: draw() into an ImageCanvas. The peer: a QChart
//                 with a QBarSeries of the same two sets, a category axis with the 35
//                 labels, a value axis with its grid, the legend, the title (with the
//                 subtitle under it) and both axis titles, animations off, rendered through
//                 its QGraphicsScene into a QImage of the same size.
//   3D            TGraph alone, the same chart in 3D.
//
// Both sides are drawn untimed first, then timed in turns; the median of each is reported.
//
// Usage: chart_vs_qtcharts [--reps N] [--shot PREFIX]
//   --reps  draws of each side (default 200)
//   --shot  also writes both pictures to PREFIX-tgraph.png and PREFIX-qtcharts.png
// Prints each side's median time, the 3D time and last the ratio line. Run with
// QT_QPA_PLATFORM=offscreen where there is no display (set here when unset).
#include <stdlib.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "App.h"
#include "Graph.h"
#include "ImageCanvas.h"
#include "TopWindow.h"
#include "chartSample.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1280, kHeight = 720;

double timed(const std::function<void()>& f) {
    auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The results window's chart, as the graph window sets it up.
void fill(TGraph& g, const ChartSample& s) {
    g.cTitle = "Total de votos";
    g.cSubTit = "Elecciones";
    g.cTitX = "Votos";
    g.cTitY = "Partidos";
    g.nClrPane = 15724527;
    g.AddSerie(s.votes, "Votos", 5100);
    g.AddSerie(s.seats, "Representantes", 10100);
    g.SetYVals(s.parties);
}

// The same chart in Qt Charts; the scene owns the chart.
struct QtSide {
    QGraphicsScene scene;
    QChart* chart = new QChart;

    explicit QtSide(const ChartSample& s) {
        auto* series = new QBarSeries;
        auto* votes = new QBarSet("Votos");
        auto* seats = new QBarSet("Representantes");
        QStringList labels;
        for (size_t i = 0; i < s.parties.size(); ++i) {
            *votes << s.votes[i];
            *seats << s.seats[i];
            labels << QString::fromStdString(s.parties[i]);
        }
        votes->setColor(QColor(236, 19, 0));
        seats->setColor(QColor(116, 39, 0));
        series->append(votes);
        series->append(seats);
        chart->addSeries(series);
        chart->setTitle("<b>Total de votos</b><br>Elecciones");
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->setBackgroundBrush(QColor(239, 239, 239));
        auto* x = new QBarCategoryAxis;
        x->append(labels);
        x->setTitleText("Partidos");
        auto* y = new QValueAxis;
        y->setTitleText("Votos");
        y->setTickCount(5);
        y->setRange(0, 5000);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        chart->legend()->setVisible(true);
        chart->legend()->setAlignment(Qt::AlignRight);
        scene.addItem(chart);
        chart->setGeometry(0, 0, kWidth, kHeight);
        scene.setSceneRect(0, 0, kWidth, kHeight);
    }
    QImage render() {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(0, 0, kWidth, kHeight), QRectF(0, 0, kWidth, kHeight));
        return image;
    }
};

}  // namespace

int main(int argc, char** argv) {
    int reps = 200;
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) reps = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc) shot = argv[++i];
        else {
            std::fprintf(stderr, "usage: chart_vs_qtcharts [--reps N] [--shot PREFIX]\n");
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    appEnsure();
    ChartSample sample = resultsSample();
    TWindow window(WindowOptions{.title = "chart", .width = kWidth, .height = kHeight});
    TGraph* graph = window.add<TGraph>(GraphOptions{.rect = {0, 0, double(kWidth), double(kHeight)}});
    fill(*graph, sample);
    QtSide qt(sample);

    long sink = 0;  // keeps the peer's picture read
    auto ours = [&] {
        ImageCanvas canvas(kWidth, kHeight, graph->nClrPane);
        graph->draw(canvas, kWidth, kHeight);
    };
    auto peer = [&] {
        QImage image = qt.render();
        sink += long(image.pixel(640, 400));
    };
    for (int i = 0; i < 5; ++i) ours(), peer();  // warm both: fonts, caches, the chart's layout
    if (!shot.empty()) {  // both pictures, for looking at them
        ImageCanvas canvas(kWidth, kHeight, graph->nClrPane);
        graph->draw(canvas, kWidth, kHeight);
        canvas.savePng(shot + "-tgraph.png");
        qt.render().save(QString::fromStdString(shot + "-qtcharts.png"));
    }

    std::vector<double> tOurs, tPeer, t3D;
    for (int i = 0; i < reps; ++i) {
        if (i % 2 == 0) tOurs.push_back(timed(ours)), tPeer.push_back(timed(peer));
        else tPeer.push_back(timed(peer)), tOurs.push_back(timed(ours));
    }
    graph->l3D = true;
    for (int i = 0; i < 5; ++i) ours();
    for (int i = 0; i < reps; ++i) t3D.push_back(timed(ours));

    double a = median(tOurs), b = median(tPeer), c = median(t3D);
    std::printf("render-chart tgraph   %8.3f ms (median of %d)\n", a * 1e3, reps);
    std::printf("render-chart qtcharts %8.3f ms (median of %d)\n", b * 1e3, reps);
    std::printf("render-chart tgraph 3D %7.3f ms (median of %d)\n", c * 1e3, reps);
    std::printf("(checksum %ld)\n", sink);
    std::printf("ratio render-chart tgraph/qtcharts = %.2f\n", b > 0 ? a / b : 0.0);
    return 0;
}
