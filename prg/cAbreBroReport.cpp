// The default report of a cell browse: every row of its order and scope laid out on
// pages through the same line drawing as the screen, scaled to the page width.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <numeric>

#include "ScaledCanvas.h"
#include "TableLayer.h"
#include "cAbreBro.h"

namespace {

const FontSpec kTitleFont{.height = 20, .bold = true};
const FontSpec kPageFont{.height = 12};

std::string today() {
    std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&t, &tm);
    char s[16];
    std::snprintf(s, sizeof s, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
    return s;
}

// Where things go on a page: bands in page pixels, the browse's lines in its own pixels
// (scaled onto the page by `scale`).
struct PagePlan {
    PageGeometry page;
    double scale = 1;
    double titleBand = 0, footBand = 0;
    int width = 0;  // last pixel column of a line, browse pixels
    int headerHeight = 0, lineHeight = 0, footerHeight = 0;
    int headerRows = 0, footerRows = 0;
    int linesPerPage = 1;
    double regionHeight = 0;  // browse pixels between the bands

    int headersHeight() const { return headerRows * headerHeight; }
    int footersHeight() const { return footerRows * footerHeight; }
    // Pages for `rows` rows: the footers follow the last row, on a page of their own when
    // they do not fit under it.
    int pages(long rows) const {
        if (rows <= 0) return 1;
        long n = (rows + linesPerPage - 1) / linesPerPage;
        long last = rows - (n - 1) * linesPerPage;
        if (footerRows > 0 && headersHeight() + last * lineHeight + footersHeight() > regionHeight) ++n;
        return int(n);
    }
};

PaperOptions paperFor(int columnsWidth) {
    PaperOptions upright;
    // Wide browses go across the sheet.
    if (columnsWidth > pageGeometry(upright).content.width) std::swap(upright.width, upright.height);
    return upright;
}

}  // namespace

namespace {
int columnsWidth(const std::vector<int>& w) {
    return std::accumulate(w.begin(), w.end(), 0);
}
}  // namespace

TReport tCAbreBrow::reportOf(const std::string& title) {
    ReportOptions options{.title = title.empty() ? std::string("Reporte") : title,
                          .paper = paperFor(columnsWidth(GetColSizes()))};
    auto render = [this, title = options.title](TPrinter& printer) {
        std::optional<AliasScope> area;
        if (isTable()) area.emplace(cAlias);
        int columns = columnsWidth(GetColSizes());
        PagePlan plan;
        plan.page = printer.geometry();
        const Rect& content = plan.page.content;
        plan.scale = columns > content.width ? content.width / columns : 1.0;
        plan.titleBand = kTitleFont.height * 1.6;
        plan.footBand = kPageFont.height * 1.8;
        // The screen's rules run one pixel left of the first column (outside the control);
        // on paper that pixel is kept inside the margin.
        plan.width = int(std::floor(content.width / plan.scale)) - 2;
        int fontLine = oFont.textHeight() + 2;
        plan.lineHeight = nLineHeight > 0 ? nLineHeight : fontLine;
        plan.headerHeight = nHeaderHeight > 0 ? nHeaderHeight : fontLine;
        plan.footerHeight = nFooterHeight > 0 ? nFooterHeight : fontLine;
        plan.headerRows = lDrawHeaders ? int(aHeaders.size()) : 0;
        plan.footerRows = lDrawFooters ? int(aFooters.size()) : 0;
        plan.regionHeight = (content.height - plan.titleBand - plan.footBand) / plan.scale;
        plan.linesPerPage = std::max(1, int((plan.regionHeight - plan.headersHeight()) / plan.lineHeight));

        long saved = currentRowId();
        auto firstRow = [this] {
            if (bGoTop) bGoTop();
            return isTable() ? !atEof() : bLogicLen && bLogicLen() > 0;
        };
        long rows = 0;
        if (firstRow())
            for (rows = 1; Skip(1) == 1;) ++rows;
        int pages = plan.pages(rows);
        std::string date = today();

        bool any = firstRow();
        long drawn = 0;
        for (int p = 1; p <= pages; ++p) {
            if (p > 1) printer.newPage();
            Canvas& dc = printer.page();
            dc.setTextColor(colors::black);
            dc.setFont(kTitleFont);
            Rect band{content.top, content.left, content.width, plan.titleBand};
            dc.text(band, title, TextAlign::Left | TextAlign::SingleLine | TextAlign::VCenter);
            dc.setFont(kPageFont);
            dc.text(band, date, TextAlign::Right | TextAlign::SingleLine | TextAlign::VCenter);
            dc.text(Rect{content.bottom() - plan.footBand, content.left, content.width, plan.footBand},
                    "Página " + std::to_string(p) + " de " + std::to_string(pages),
                    TextAlign::Center | TextAlign::SingleLine | TextAlign::VCenter);

            ScaledCanvas lines(dc, plan.scale, Point{content.left + plan.scale, content.top + plan.titleBand});
            lines.setFont(oFont.spec());
            int y = 0;
            auto place = [&](LineArgs a, int height) {
                a.top = y;
                a.height = height;
                a.width = plan.width;
                a.allColumns = true;
                wBrwLine(&lines, a);
                y += height;
            };
            for (int r = 0; r < plan.headerRows; ++r) place(headLineArgs(r), plan.headerHeight);
            for (int l = 1; l <= plan.linesPerPage && any && drawn < rows; ++l) {
                if (drawn > 0 && Skip(1) != 1) break;
                place(bodyLineArgs(l), plan.lineHeight);
                ++drawn;
            }
            if (p == pages)
                for (int i = 1; i <= plan.footerRows; ++i)
                    place(footLineArgs(i), plan.footerHeight);
        }

        // Back to the row that was current.
        if (isTable()) {
            inAlias([saved] { return DBGOTO(saved); });
        } else {
            if (bGoTop) bGoTop();
            while (currentRowId() != saved && Skip(1) == 1) {
            }
        }
    };
    return TReport(std::move(options), std::move(render));
}

void tCAbreBrow::report(const std::string& title) {
    reportOf(title).preview();
}
