// The default report of the cell browse: every row of the order and scope once, in order,
// on as many pages as they need, headers on every page, footers after the last row, page
// numbers, nothing outside the printable part of the page, the position put back; over a
// table on both drivers and over an array, written as PDF and as images.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "Dialog.h"
#include "GuiHarness.h"
#include "TableLayer.h"
#include "cAbreBro.h"
#include "testSupport.h"

namespace {

struct PageText {
    Rect r;
    std::string text;
};

std::vector<PageText> textsOf(const RecordingCanvas& c) {
    std::vector<PageText> out;
    for (const std::string& op : c.opsOf("text")) {
        std::istringstream in(op.substr(5));
        PageText t;
        char comma, x;
        int align;
        in >> t.r.left >> comma >> t.r.top >> t.r.width >> x >> t.r.height >> align;
        std::getline(in, t.text);
        if (!t.text.empty() && t.text[0] == ' ') t.text.erase(0, 1);
        out.push_back(t);
    }
    return out;
}

// What the recorded pages of a report show.
struct Printed {
    std::vector<std::vector<std::string>> rows;  // per page, the first cells of body rows
    std::vector<std::string> pageNumbers;
    int titles = 0, headers = 0, footers = 0;
    bool footersLast = true;  // no body row after a footer
    std::vector<std::string> outside;  // texts not inside the printable part
};

Printed readPages(const TPrinter& printer, const std::string& rowPrefix) {
    Printed p;
    const Rect& content = printer.geometry().content;
    for (const RecordingCanvas& page : printer.recorded()) {
        p.rows.emplace_back();
        bool footerSeen = false;
        for (const PageText& t : textsOf(page)) {
            if (t.r.left < content.left - 0.01 || t.r.right() > content.right() + 0.01 ||
                t.r.top < content.top - 0.01 || t.r.bottom() > content.bottom() + 0.01)
                p.outside.push_back(t.text);
            if (t.text.rfind("Página ", 0) == 0) p.pageNumbers.push_back(t.text);
            else if (t.text == "H1") ++p.headers;
            else if (t.text == "Padrón de prueba") ++p.titles;
            else if (t.text == "Total") ++p.footers, footerSeen = true;
            else if (t.text.rfind(rowPrefix, 0) == 0) {
                p.rows.back().push_back(t.text);
                if (footerSeen) p.footersLast = false;
            }
        }
    }
    return p;
}

class ReportFixture : public DiskTest {
  protected:
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        DiskTest::TearDown();
    }
    tCAbreBrow* make(CAbreBrowNew args, int width = 300) {
        dialog = std::make_unique<TDialog>(DialogOptions{" Prueba", width, 250, Units::Pixels});
        args.oWnd = dialog.get();
        args.nWidth = width;
        args.nHeight = 250;
        tCAbreBrow* b = tCAbreBrow::New(std::move(args));
        b->nLineHeight = b->nHeaderHeight = b->nFooterHeight = 20;
        b->setFooters({[](tCAbreBrow&) { return BrowseRow{"Total", "9"}; }});
        b->lDrawFooters = true;
        return b;
    }
    Printed print(tCAbreBrow& b, const std::string& prefix) {
        TReport report = b.reportOf("Padrón de prueba");
        printer = TPrinter::recording(report.options().paper);
        EXPECT_TRUE(report.renderTo(*printer));
        return readPages(*printer, prefix);
    }
    GuiHarness harness;
    std::unique_ptr<TDialog> dialog;
    std::unique_ptr<TPrinter> printer;
};

// Body rows per page of the report of a browse like the fixture's (portrait A4).
int linesPerPage(const Printed& p) {
    return p.rows.empty() ? 0 : int(p.rows.front().size());
}

void expectWhole(const Printed& p, const std::vector<std::string>& expected) {
    std::vector<std::string> all;
    for (const auto& page : p.rows) all.insert(all.end(), page.begin(), page.end());
    EXPECT_EQ(all, expected);  // every row once, in order
    int pages = int(p.rows.size());
    ASSERT_EQ(int(p.pageNumbers.size()), pages);
    for (int i = 1; i <= pages; ++i)
        EXPECT_EQ(p.pageNumbers[size_t(i - 1)], "Página " + std::to_string(i) + " de " + std::to_string(pages));
    EXPECT_EQ(p.titles, pages);
    EXPECT_EQ(p.headers, pages);
    EXPECT_EQ(p.footers, 1);
    EXPECT_TRUE(p.footersLast);
    EXPECT_TRUE(p.outside.empty()) << p.outside.front();
}

template <class Driver>
class TableReport : public ReportFixture {
  protected:
    // "padron": rows N0001.. with a descending tag and a scope over part of it.
    void fill(int count) {
        const std::string driver = Driver::name;
        ASSERT_TRUE(DBCREATE("padron", {{"clave", 'C', 6, 0}, {"edad", 'N', 3, 0}}, driver));
        ASSERT_TRUE(DBUSEAREA(true, driver, "padron", "PADRON", false));
        for (int i = 1; i <= count; ++i) {
            ASSERT_TRUE(DBAPPEND());
            char key[8];
            std::snprintf(key, sizeof key, "N%04d", i);
            FIELDPUT(1, Value(key));
            FIELDPUT(2, Value(i % 90));
        }
        ASSERT_TRUE(ORDCREATE("padron", "clave", "clave"));
        ORDSETFOCUS("clave");
        DBGOTOP();
    }
    tCAbreBrow* browse() {
        return make({.source = BrowseSource([] { return BrowseRow{FIELDGET(1), FIELDGET(2)}; }),
                     .aHeaders = {{"H1", "Edad"}}, .aColSizes = ColSizes{100, 50}, .cAlias = "PADRON"});
    }
    static std::vector<std::string> keys(int from, int to) {
        std::vector<std::string> out;
        for (int i = from; i <= to; ++i) {
            char key[8];
            std::snprintf(key, sizeof key, "N%04d ", i);
            out.push_back(key);
        }
        return out;
    }
};
TYPED_TEST_SUITE(TableReport, BothDrivers);

TYPED_TEST(TableReport, EveryRowOfTheScopeOncePaginatedAndThePositionPutBack) {
    auto& t = *this;
    t.fill(400);
    // The scope leaves out the first and the last rows of the order.
    ORDSCOPE(0, Value("N0011"));
    ORDSCOPE(1, Value("N0390"));
    DBGOTOP();
    tCAbreBrow* b = t.browse();
    for (int i = 0; i < 7; ++i) b->goDown();
    long before = RECNO();
    ASSERT_EQ(before, 18);
    int rowPos = b->nRowPos;

    Printed p = t.print(*b, "N0");
    expectWhole(p, t.keys(11, 390));
    int perPage = linesPerPage(p);
    ASSERT_GT(perPage, 10);
    EXPECT_EQ(int(p.rows.size()), (380 + perPage - 1) / perPage);
    EXPECT_EQ(RECNO(), before);
    EXPECT_EQ(b->nRowPos, rowPos);
    EXPECT_EQ(FIELDGET(1).text(), "N0018 ");
}

TYPED_TEST(TableReport, AnEmptyBrowsePrintsOnePageWithTitleHeadersAndFooters) {
    auto& t = *this;
    t.fill(0);
    Printed empty = t.print(*t.browse(), "N0");
    ASSERT_EQ(empty.rows.size(), 1u);
    EXPECT_TRUE(empty.rows[0].empty());
    expectWhole(empty, {});
}

TYPED_TEST(TableReport, PageCountFollowsTheRowsWithTheFootersAfterTheLastRow) {
    auto& t = *this;
    t.fill(1000);
    int perPage = linesPerPage(t.print(*t.browse(), "N0"));
    // A page filled to its last line leaves no room for the footer: it goes onto a page of
    // its own.
    struct Case {
        int rows, pages;
    };
    for (Case c : {Case{perPage - 1, 1}, Case{perPage, 2}, Case{perPage + 1, 2}, Case{2 * perPage - 1, 2}}) {
        char last[8];
        std::snprintf(last, sizeof last, "N%04d", c.rows);
        ORDSCOPE(0, Value("N0001"));
        ORDSCOPE(1, Value(last));
        DBGOTOP();
        Printed p = t.print(*t.browse(), "N0");
        SCOPED_TRACE(c.rows);
        EXPECT_EQ(int(p.rows.size()), c.pages);
        expectWhole(p, t.keys(1, c.rows));
    }
}

TEST_F(ReportFixture, AnArrayBrowseKeepsItsElementAndAWideOneIsScaledOntoTheSheet) {
    Array rows;
    for (int r = 1; r <= 150; ++r) {
        Array row;
        row.push_back(Value("A" + std::to_string(1000 + r)));
        for (int c = 2; c <= 38; ++c) row.push_back(Value("c" + std::to_string(c)));
        rows.push_back(Value(std::move(row)));
    }
    BrowseRow heads(38, Value("x"));
    heads[0] = Value("H1");
    heads[37] = Value("ULTIMA");
    std::vector<int> widths(38, 60);
    tCAbreBrow* b = make({.source = Value(std::move(rows)), .aHeaders = {heads}, .aColSizes = ColSizes(widths)}, 600);
    for (int i = 0; i < 5; ++i) b->goDown();
    b->nColPos = 20;  // scrolled: the report still starts at the first column
    ASSERT_EQ(b->nAt, 6);

    Printed p = print(*b, "A1");
    std::vector<std::string> expected;
    for (int r = 1; r <= 150; ++r) expected.push_back("A" + std::to_string(1000 + r));
    expectWhole(p, expected);
    EXPECT_EQ(b->nAt, 6);
    // Turned across the sheet and scaled: the last column ends at the right margin.
    const PageGeometry& g = printer->geometry();
    EXPECT_GT(g.width, g.height);
    double lastRight = 0;
    for (const PageText& t : textsOf(printer->recorded()[0]))
        if (t.text == "ULTIMA") lastRight = t.r.right();
    EXPECT_NEAR(lastRight, g.content.right(), 3);
}

TYPED_TEST(TableReport, WritesAPdfFileAndPageImagesWithNothingInTheMargins) {
    auto& t = *this;
    t.fill(150);
    tCAbreBrow* b = t.browse();
    TReport report = b->reportOf("Padrón");
    int pages = int(t.print(*b, "N0").rows.size());
    ASSERT_GE(pages, 2);

    std::string path = t.folder + "/reporte.pdf";
    ASSERT_TRUE(report.toPdf(path)) << report.error();
    EXPECT_EQ(report.pages(), pages);
    std::ifstream in(path, std::ios::binary);
    std::string pdf((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    std::regex page("/Type\\s*/Page[^s]");
    EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()), pages);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    std::vector<Picture> images = report.toImages();
    ASSERT_EQ(int(images.size()), pages);
    PageGeometry g = pageGeometry(report.options().paper);
    for (const Picture& img : images) {
        ASSERT_EQ(img.width, g.width);
        ASSERT_EQ(img.height, g.height);
        int inked = 0, marginInk = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                if (img.at(x, y) == colors::white) continue;
                bool inside = x >= g.content.left - 1 && x <= g.content.right() + 1 && y >= g.content.top - 1 &&
                              y <= g.content.bottom() + 1;
                (inside ? inked : marginInk)++;
            }
        EXPECT_GT(inked, 1000);
        EXPECT_EQ(marginInk, 0);
    }

    // A folder that is not there: a clear error, and no file.
    std::string bad = t.folder + "/no/such/folder/r.pdf";
    EXPECT_FALSE(report.toPdf(bad));
    EXPECT_NE(report.error().find(bad), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST_F(ReportFixture, ThePreviewWindowOpensOnTheReportAndCloses) {
    Array rows;
    for (int r = 1; r <= 40; ++r) rows.push_back(Value(Array{Value("A" + std::to_string(1000 + r)), Value("b")}));
    tCAbreBrow* b = make({.source = Value(std::move(rows)), .aHeaders = {{"H1", "B"}}, .aColSizes = ColSizes{80, 80}});
    std::string title;
    harness.onNextModal([&](WindowView& w) {
        title = w.title();
        if (const char* dir = getenv("URNALIA_SHOTS")) w.grab(std::string(dir) + "/preview.png");
        w.close();
    });
    b->report("Vista de prueba");
    EXPECT_EQ(title, "Vista de prueba");
    EXPECT_EQ(b->nAt, 1);
}

}  // namespace
