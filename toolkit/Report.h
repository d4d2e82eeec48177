#pragma once
// TReport: a printed report, described by a function that draws all of its pages onto a
// printer (Printer.h). The same drawing gives a PDF file, page images, and the print
// preview window from which the user prints or saves a PDF. The drawing runs once per
// output (and again when the preview changes paper), so it must start from the beginning
// every time and leave whatever it walks as it found it.
#include <functional>
#include <string>
#include <vector>

#include "Printer.h"

struct ReportOptions {
    std::string title;  // the PDF's title and the preview window's
    PaperOptions paper;
};

class TReport {
  public:
    using Render = std::function<void(TPrinter&)>;
    TReport(ReportOptions options, Render render);

    const ReportOptions& options() const { return options_; }
    // False (with error()) when the file cannot be written; nothing is left half written.
    bool toPdf(const std::string& path);
    std::vector<Picture> toImages();
    // Draws every page onto `printer` and ends it; false (with error()) when it failed.
    bool renderTo(TPrinter& printer);
    // Opens the print preview window, modal, titled `title` (the report's when empty);
    // answers when the user closes it. Page set-up changes in the window lay out again.
    void preview(const std::string& title = "");
    // Pages of the last output made.
    int pages() const { return pages_; }
    const std::string& error() const { return error_; }

  private:
    ReportOptions options_;
    Render render_;
    int pages_ = 0;
    std::string error_;
};

// Replaces the preview window (tests): `show` receives the report and the title asked for
// instead of the window opening; an empty function restores the window.
void setReportPreviewForTests(std::function<void(TReport&, const std::string& title)> show);
