#include "Report.h"

#include <algorithm>

#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "App.h"
#include "internal/QtBridge.h"

TReport::TReport(ReportOptions options, Render render) : options_(std::move(options)), render_(std::move(render)) {}

bool TReport::renderTo(TPrinter& printer) {
    if (render_) render_(printer);
    bool ok = printer.end();
    pages_ = printer.pages();
    error_ = ok ? std::string() : printer.error();
    return ok;
}

bool TReport::toPdf(const std::string& path) {
    auto printer = TPrinter::pdf(path, options_.paper, options_.title);
    return renderTo(*printer);
}

std::vector<Picture> TReport::toImages() {
    auto printer = TPrinter::images(options_.paper);
    renderTo(*printer);
    return printer->takeImages();
}

namespace {
std::function<void(TReport&, const std::string&)>& previewForTests() {
    static std::function<void(TReport&, const std::string&)> show;
    return show;
}
}  // namespace

void setReportPreviewForTests(std::function<void(TReport&, const std::string& title)> show) {
    previewForTests() = std::move(show);
}

void TReport::preview(const std::string& title) {
    if (previewForTests()) return previewForTests()(*this, title);
    appEnsure();
    PageGeometry g = pageGeometry(options_.paper);
    double dpi = options_.paper.dpi;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    // The sheet named upright, then turned: a printer takes a size and an orientation.
    double wide = std::max(g.width, g.height) / dpi * 25.4, narrow = std::min(g.width, g.height) / dpi * 25.4;
    printer.setPageSize(QPageSize(QSizeF(narrow, wide), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
    printer.setPageOrientation(g.width > g.height ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF());
    printer.setDocName(qs(options_.title));
    QPrintPreviewDialog dialog(&printer);
    dialog.resize(900, 700);
    setTitleOf(&dialog, title.empty() ? options_.title : title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [this](QPrinter* device) {
        // The paper as the window has it now: the user may have turned or changed it.
        PaperOptions paper = options_.paper;
        QRectF mm = device->paperRect(QPrinter::Millimeter);
        if (paper.unit == PaperUnit::Pixels) {
            paper.width = mm.width() / 25.4 * paper.dpi;
            paper.height = mm.height() / 25.4 * paper.dpi;
        } else {
            paper.width = mm.width() / 10;
            paper.height = mm.height() / 10;
        }
        auto pages = TPrinter::over(*device, paper);
        renderTo(*pages);
    });
    dialog.exec();
}
