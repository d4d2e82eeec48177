#include "Printer.h"

#include <stdio.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <optional>

#include "App.h"
#include "internal/PainterCanvas.h"
#include "internal/QtBridge.h"

namespace {

constexpr double kCmPerInch = 2.54;
constexpr int kPdfResolution = 600;  // device dots per inch of the PDF files written

double toPixels(double v, const PaperOptions& p) {
    return p.unit == PaperUnit::Pixels ? v : v / kCmPerInch * p.dpi;
}

}  // namespace

PageGeometry pageGeometry(const PaperOptions& paper) {
    PageGeometry g;
    g.width = std::max(1, int(std::lround(toPixels(paper.width, paper))));
    g.height = std::max(1, int(std::lround(toPixels(paper.height, paper))));
    double m = std::max(0.0, toPixels(paper.margin, paper));
    m = std::min({m, (g.width - 1) / 2.0, (g.height - 1) / 2.0});
    g.content = Rect{m, m, g.width - 2 * m, g.height - 2 * m};
    return g;
}

struct TPrinter::Impl {
    PaperOptions paper;
    PageGeometry geometry;
    // One of the three devices.
    std::unique_ptr<QPdfWriter> pdf;
    std::string pdfPath, pdfTemp;
    QPagedPaintDevice* paged = nullptr;
    bool toImages = false;
    std::vector<QImage> images;
    bool recording = false;
    std::vector<RecordingCanvas> recorded;

    std::unique_ptr<QPainter> painter;
    std::unique_ptr<PainterCanvas> canvas;
    int pages = 0;
    bool ended = false;
    std::string error;

    void startPainter(QPaintDevice& device) {
        painter = std::make_unique<QPainter>();
        if (!painter->begin(&device)) {
            error = "cannot write " + (pdfPath.empty() ? std::string("to the printer") : pdfPath);
            painter.reset();
            return;
        }
        painter->setRenderHint(QPainter::TextAntialiasing);
        // Page pixels to device dots.
        double s = device.logicalDpiX() / paper.dpi;
        if (!toImages) painter->scale(s, device.logicalDpiY() / paper.dpi);
        canvas = std::make_unique<PainterCanvas>(*painter);
    }

    void startPage() {
        ++pages;
        if (recording) {
            recorded.emplace_back();
        } else if (toImages) {
            finishImage();
            images.emplace_back(geometry.width, geometry.height, QImage::Format_RGB32);
            images.back().fill(Qt::white);
            startPainter(images.back());
        } else if (pages == 1) {
            startPainter(*paged);
        } else if (painter && !paged->newPage()) {
            error = "cannot start page " + std::to_string(pages);
        }
    }
    void finishImage() {
        canvas.reset();
        if (painter) painter->end();
        painter.reset();
    }
};

TPrinter::TPrinter(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {
    d_->geometry = pageGeometry(d_->paper);
}
TPrinter::~TPrinter() {
    if (!d_->ended) end();
}

namespace {
QPageSize pageSizeOf(const PageGeometry& g, double dpi) {
    return QPageSize(QSizeF(g.width / dpi * 25.4, g.height / dpi * 25.4), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}
}  // namespace

std::unique_ptr<TPrinter> TPrinter::pdf(const std::string& path, const PaperOptions& paper, const std::string& title) {
    appEnsure();
    auto d = std::make_unique<Impl>();
    d->paper = paper;
    d->pdfPath = path;
    d->pdfTemp = path + ".part";
    PageGeometry g = pageGeometry(paper);
    d->pdf = std::make_unique<QPdfWriter>(qs(d->pdfTemp));
    d->pdf->setResolution(kPdfResolution);
    d->pdf->setPageLayout(QPageLayout(pageSizeOf(g, paper.dpi), QPageLayout::Portrait, QMarginsF()));
    d->pdf->setTitle(qs(title));
    d->pdf->setCreator("Urnalia");
    d->paged = d->pdf.get();
    return std::unique_ptr<TPrinter>(new TPrinter(std::move(d)));
}

std::unique_ptr<TPrinter> TPrinter::images(const PaperOptions& paper) {
    appEnsure();
    auto d = std::make_unique<Impl>();
    d->paper = paper;
    d->toImages = true;
    return std::unique_ptr<TPrinter>(new TPrinter(std::move(d)));
}

std::unique_ptr<TPrinter> TPrinter::recording(const PaperOptions& paper) {
    auto d = std::make_unique<Impl>();
    d->paper = paper;
    d->recording = true;
    return std::unique_ptr<TPrinter>(new TPrinter(std::move(d)));
}

std::unique_ptr<TPrinter> TPrinter::over(QPagedPaintDevice& device, const PaperOptions& paper) {
    auto d = std::make_unique<Impl>();
    d->paper = paper;
    d->paged = &device;
    return std::unique_ptr<TPrinter>(new TPrinter(std::move(d)));
}

const PageGeometry& TPrinter::geometry() const {
    return d_->geometry;
}
double TPrinter::dpi() const {
    return d_->paper.dpi;
}

Canvas& TPrinter::page() {
    if (d_->pages == 0) d_->startPage();
    if (d_->recording) return d_->recorded.back();
    if (d_->canvas) return *d_->canvas;
    // The device refused: drawing goes nowhere and end() reports it.
    static RecordingCanvas nowhere;
    nowhere.clear();
    return nowhere;
}

void TPrinter::newPage() {
    if (d_->pages == 0) d_->startPage();
    d_->startPage();
}

int TPrinter::pages() const {
    return d_->pages;
}

bool TPrinter::end() {
    if (d_->ended) return d_->error.empty();
    if (d_->pages == 0) page();  // an output has at least one page
    d_->ended = true;
    d_->canvas.reset();
    if (d_->painter && d_->painter->isActive()) d_->painter->end();
    d_->painter.reset();
    if (d_->pdf) {
        d_->pdf.reset();  // flushes and closes the file
        if (d_->error.empty() && ::rename(d_->pdfTemp.c_str(), d_->pdfPath.c_str()) != 0)
            d_->error = "cannot write " + d_->pdfPath;
        if (!d_->error.empty()) ::remove(d_->pdfTemp.c_str());
    }
    return d_->error.empty();
}

const std::string& TPrinter::error() const {
    return d_->error;
}

const std::vector<RecordingCanvas>& TPrinter::recorded() const {
    return d_->recorded;
}

std::vector<Picture> TPrinter::takeImages() {
    std::vector<Picture> out;
    for (const QImage& image : d_->images) out.push_back(fromQImage(image));
    d_->images.clear();
    return out;
}
