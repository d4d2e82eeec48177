#pragma once
// TPrinter: where the pages of a printed report go. A printer hands out one canvas per
// page, in page pixels (the paper at `dpi` pixels per inch, origin at the paper's top-left
// corner), whatever the device underneath: a PDF file, images in memory (for tests and
// pictures), or the desktop's printer through the print preview window (Report.h).
//
// The owner draws the first page on page(), calls newPage() before each further page and
// end() when done. A printer is used for one output and then thrown away.
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Picture.h"

enum class PaperUnit { Pixels, Centimetres };

struct PaperOptions {
    double width = 21.0, height = 29.7;  // A4 upright; in `unit`
    PaperUnit unit = PaperUnit::Centimetres;
    double dpi = 120;     // page pixels per inch (in Pixels units, the paper's own size)
    double margin = 1.0;  // each side, in `unit`
};

// The paper in page pixels: its whole size and the part inside the margins.
struct PageGeometry {
    int width = 0, height = 0;
    Rect content;
};
PageGeometry pageGeometry(const PaperOptions& paper);

class QPagedPaintDevice;

class TPrinter {
  public:
    // Pages written to a PDF file: into a temporary file beside `path`, renamed over
    // `path` by end(), so a failed report leaves an older file as it was.
    static std::unique_ptr<TPrinter> pdf(const std::string& path, const PaperOptions& paper,
                                         const std::string& title = "");
    // Pages drawn into images of the page's pixel size, white.
    static std::unique_ptr<TPrinter> images(const PaperOptions& paper);
    // Pages recorded call by call (RecordingCanvas), for tests; nothing is drawn.
    static std::unique_ptr<TPrinter> recording(const PaperOptions& paper);
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    const PageGeometry& geometry() const;
    // Page pixels per inch.
    double dpi() const;
    // The current page's canvas; the first page is started on first use.
    Canvas& page();
    void newPage();
    int pages() const;
    // Finishes the output. False when it could not be written; error() says why.
    bool end();
    const std::string& error() const;
    // The image printer's pages after end(); empty for the others.
    std::vector<Picture> takeImages();
    // The recording printer's pages; empty for the others.
    const std::vector<RecordingCanvas>& recorded() const;

    struct Impl;
    // A printer over a device of the windowing system (the preview's printer); toolkit only.
    static std::unique_ptr<TPrinter> over(QPagedPaintDevice& device, const PaperOptions& paper);

  private:
    explicit TPrinter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d_;
};
