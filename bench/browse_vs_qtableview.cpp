// The cell browse (tCAbreBrow) against Qt's QTableView on the layout of the vote-count
// window, and the cell browse on a 1,000,000-row roll against a 20,000-row one.
//
//   paint-page  one full page of the vote-count layout painted into an image: 38 columns
//               (station, type, 35 party columns, total), two header rows (the party logos
//               as bitmap handles over the captions, the first two cells merged), two
//               footer rows from callbacks ("Total", "Representantes", their first two cells
//               merged), a background colour per cell from a callback, about 30 lines, over
//               a "votos" memory table (driver "ARRAYRDD"). The peer: a QTableView over a
//               table model that reads the same table through the table layer in data()
//               and serves the same texts, logos (header decoration), alignments and
//               background colours, with a two-row footer view below it, rendered into a
//               QImage of the same size.
//   page-down   from the top to the last station, one page at a time, each page painted
//               (browse: pageDown() then paintTo(); view: the scroll bar a page further,
//               then render()).
//   report-pdf  the default report of the browse (every station of the scope, the two
//               header rows, the two footer rows, page numbers and date, scaled to an A4
//               sheet across) written to a PDF file, against the same rows read through the
//               table layer into an HTML table (logos as images, the header rows repeated
//               on each page, the same background colours, the footer rows last) that a
//               QTextDocument lays out and prints to a PDF file through QPdfWriter.
//   open-padron (browse only) the "padron" table of the disk driver "DBFCDX" with its tag
//               "paterno", at two sizes: open a browse in that order, paint, go to the
//               bottom, paint, type a five-letter search, paint. The rows and the tag are
//               made untimed.
//
// Usage: browse_vs_qtableview [--stations N] [--padron N] [--small N] [--repeat N]
//                             [--paints N] [--seek TEXT]
//   --stations  stations in "votos" (default 10000, at most 39996)
//   --padron    voters in the large roll (default 1000000; --rows is the same option)
//   --small     voters in the small roll (default 20000, at most --padron)
//   --repeat    runs of each measure, three times as many for the roll; the median is
//               reported (default 5)
//   --paints    page paints per paint-page run (default 20)
//   --seek      the five letters typed (default "Moral")
// Prints each side's times, then the four ratio lines (browse / view, large / small).
// Sides that disagree on the rows they reached abort the run. Run with
// QT_QPA_PLATFORM=offscreen where there is no display (set here when unset).
#include <stdlib.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "App.h"
#include "Dialog.h"
#include "ImageCanvas.h"
#include "Resources.h"
#include "System.h"
#include "TableLayer.h"
#include "arrayRdd.h"
#include "bmp_es.h"
#include "cAbreBro.h"
#include "datosWriter.h"
#include "dbfCdxDriver.h"
#include "mainConfig.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "browse_vs_qtableview: %s\n", message.c_str());
    std::exit(1);
}

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Options {
    long stations = 10000;
    long padron = 1000000;
    long small = 20000;
    int repeat = 5;
    int paints = 20;
    std::string seekText = "Moral";
};

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) fail("option " + a + " needs a value");
        std::string v = argv[++i];
        auto number = [&](long min) {
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || n < min) fail("bad value for " + a + ": " + v);
            return n;
        };
        if (a == "--stations") o.stations = number(1);
        else if (a == "--padron" || a == "--rows") o.padron = number(1);
        else if (a == "--small") o.small = number(1);
        else if (a == "--repeat") o.repeat = int(number(1));
        else if (a == "--paints") o.paints = int(number(1));
        else if (a == "--seek") o.seekText = v;
        else fail("unknown option " + a);
    }
    // Station numbers have four digits and four types each.
    if (o.stations > 9999 * 4) fail("at most 39996 stations");
    o.small = std::min(o.small, o.padron);
    return o;
}

// ---- the vote-count layout, shared by both sides ------------------------------------------------

constexpr int kColumns = 38, kFirstParty = 3, kTotal = 38, kParties = 35;
constexpr int kLines = 30;  // body lines of a page

// Everything both sides show besides the rows: captions, logos, column widths and colours,
// the footer values. Colours are made distinct so that the per-cell rule has work to do.
struct VoteLayout {
    int lineHeight = 0;
    std::vector<int> widths;
    std::vector<std::string> captions;
    std::vector<std::string> logoBytes;  // BMP files, by party
    std::vector<Color> partyColor;       // by column, 1-based; 0 for the non-party columns
    Color pane = colors::white;
    BrowseRow totals, seats;  // footer rows: caption, "", 35 values, total
    int width() const { return std::accumulate(widths.begin(), widths.end(), 0) + scrollBarWidth() + 3; }
    int height() const { return lineHeight * (4 + kLines) + scrollBarWidth() + 2; }
};

std::string voteText(const Value& v) {
    long n = long(v.num());
    return n == 0 ? std::string() : std::to_string(n);
}

// One displayed row of the current "votos" record: the 38 texts, the row's greatest party
// vote and the winning column (the rightmost party column holding it).
struct VoteRow {
    BrowseRow texts;
    long max = 0;
    int winner = 1;
};

VoteRow readVoteRow() {
    VoteRow r;
    r.texts.reserve(kColumns);
    r.texts.emplace_back(std::to_string(long(FIELDGET(1).num())));
    r.texts.emplace_back(FIELDGET(2).text());
    for (int c = kFirstParty; c < kTotal; ++c) {
        Value v = FIELDGET(c);
        long n = long(v.num());
        if (n >= r.max) {
            r.max = n;
            r.winner = c;
        }
        r.texts.emplace_back(voteText(v));
    }
    r.texts.emplace_back(voteText(FIELDGET(kTotal)));
    return r;
}

// The "votos" table with `stations` stations of office P, district 0, in the tag "casilla"
// scoped to that count key, as the vote-count window has it. Answers the layout.
VoteLayout makeVotos(long stations) {
    if (!DBCREATE("votos", votosStructure(), "ARRAYRDD", true, "VOTOS")) fail("cannot create votos");
    std::mt19937_64 rng(20240607);
    const char* types[] = {"B1", "C1", "E1", "S1"};
    std::vector<long> sums(kParties, 0);
    for (long i = 0; i < stations; ++i) {
        if (!DBAPPEND()) fail("cannot append to votos");
        FIELDPUT(1, Value(i / 4 + 1));
        FIELDPUT(2, Value(types[i % 4]));
        long total = 0;
        for (int p = 0; p < kParties; ++p) {
            long v = long(rng() % 7 == 0 ? 0 : rng() % 300);
            FIELDPUT(kFirstParty + p, Value(v));
            sums[size_t(p)] += v;
            total += v;
        }
        FIELDPUT(kTotal, Value(total));
        FIELDPUT(39, Value("P"));
        FIELDPUT(40, Value(0));
    }
    ORDCONDSET({.forText = "!deleted()"});
    if (!ORDCREATE("", "casilla", "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo"))
        fail("cannot index votos");
    DBCLOSEAREA();
    // One area for each side, so that neither moves the other's record.
    for (const char* alias : {"VOTOSQT", "VOTOS"}) {
        if (!DBUSEAREA(true, "ARRAYRDD", "votos", alias, true)) fail("cannot open votos");
        ORDSETFOCUS(Value("casilla"));
        ORDSCOPE(0, Value("P00"));
        ORDSCOPE(1, Value("P00"));
        DBGOTOP();
    }

    VoteLayout l;
    l.lineHeight = TFont().textHeight();
    l.widths = {50, 34};
    l.widths.resize(kColumns - 1, 40);
    l.widths.push_back(56);
    l.captions = {"CASILLA", "TIPO"};
    l.partyColor.assign(kColumns + 1, 0);
    long all = 0;
    l.totals = {"Total", ""};
    l.seats = {"Representantes", ""};
    for (int p = 0; p < kParties; ++p) {
        const Partido& party = PARTIDOS()[size_t(p)];
        l.captions.emplace_back(party.siglas);
        Value bytes = BITMAPSLOGOS(party.logo);
        if (!bytes.isText()) fail(std::string("no logo for ") + party.siglas);
        l.logoBytes.push_back(bytes.text());
        l.partyColor[size_t(kFirstParty + p)] = RGB(80 + p * 5, 255 - p * 4, 120 + (p * 37) % 130);
        l.totals.emplace_back(sums[size_t(p)] ? std::to_string(sums[size_t(p)]) : std::string());
        l.seats.emplace_back(std::to_string(p % 4));
        all += sums[size_t(p)];
    }
    l.captions.emplace_back("TOTAL");
    l.totals.emplace_back(std::to_string(all));
    l.seats.emplace_back("");
    return l;
}

// ---- our side: the cell browse ------------------------------------------------------------

struct VotosBrowse {
    std::unique_ptr<TDialog> dialog;
    tCAbreBrow* browse = nullptr;
    std::shared_ptr<VoteRow> last = std::make_shared<VoteRow>();
};

VotosBrowse makeVotosBrowse(const VoteLayout& l) {
    VotosBrowse v;
    v.dialog = std::make_unique<TDialog>(DialogOptions{" Conteo de votos para Presidente", l.width(), l.height(),
                                                       Units::Pixels});
    BrowseRow logos = {"", ""};
    for (const std::string& bytes : l.logoBytes) logos.emplace_back(long(CreateMemBitmap(bytes)));
    logos.emplace_back("");
    auto last = v.last;
    CAbreBrowNew a;
    a.nWidth = l.width();
    a.nHeight = l.height();
    a.oWnd = v.dialog.get();
    a.source = BrowseSource([last] {
        *last = readVoteRow();
        return last->texts;
    });
    a.aHeaders = {logos, BrowseRow(l.captions.begin(), l.captions.end())};
    a.aColSizes = ColSizes(l.widths);
    a.cAlias = "VOTOS";
    tCAbreBrow* b = tCAbreBrow::New(std::move(a));
    b->aJustify.assign(kColumns, Value(true));
    b->aJustify[1] = Value(false);
    b->unirHead(1, 2, 1);
    b->lDrawFooters = true;
    BrowseRow totals = l.totals, seats = l.seats;
    b->setFooters({[totals](tCAbreBrow&) { return totals; }, [seats](tCAbreBrow&) { return seats; }});
    b->unirFoot(1, 2);
    std::vector<Color> colours = l.partyColor;
    Color pane = l.pane;
    b->nClrPane = ColorSpec([last, colours, pane](int col, const BrowseRow& row) -> std::optional<Color> {
        if (col == kTotal) return colours[size_t(last->winner)] ? colours[size_t(last->winner)] : pane;
        if (col >= kFirstParty && col < kTotal && size_t(col) <= row.size() && !row[size_t(col - 1)].text().empty() &&
            std::atol(row[size_t(col - 1)].text().c_str()) == last->max)
            return colours[size_t(col)];
        return pane;
    });
    v.browse = b;
    return v;
}

// ---- the peer: QTableView over a table model --------------------------------------------------

QColor qColor(Color c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// The station rows, read through the table layer: a row is fetched (38 fields) when a cell
// of another row is asked for, as the browse reads one row per line.
class VotosModel : public QAbstractTableModel {
  public:
    VotosModel(const VoteLayout& l, std::vector<long> records) : l_(l), records_(std::move(records)) {
        for (const std::string& bytes : l.logoBytes) {
            QPixmap p;
            p.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), uint(bytes.size()), "BMP");
            logos_.push_back(p);
        }
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(records_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }

    QVariant data(const QModelIndex& i, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::BackgroundRole && role != Qt::TextAlignmentRole) return {};
        int col = i.column() + 1;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignVCenter | (col == 2 ? Qt::AlignLeft : Qt::AlignRight));
        const VoteRow& r = rowAt(i.row());
        if (role == Qt::DisplayRole) return QString::fromStdString(r.texts[size_t(col - 1)].text());
        Color c = l_.pane;
        if (col == kTotal && l_.partyColor[size_t(r.winner)]) c = l_.partyColor[size_t(r.winner)];
        else if (col >= kFirstParty && col < kTotal && !r.texts[size_t(col - 1)].text().empty() &&
                 std::atol(r.texts[size_t(col - 1)].text().c_str()) == r.max)
            c = l_.partyColor[size_t(col)];
        return QBrush(qColor(c));
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= kColumns) return {};
        if (role == Qt::DisplayRole) return QString::fromStdString(l_.captions[size_t(section)]);
        if (role == Qt::DecorationRole && section >= kFirstParty - 1 && section < kTotal - 1)
            return logos_[size_t(section - (kFirstParty - 1))];
        return {};
    }

    // The current "votos" record of row `row` (tag order), for the agreement check.
    long recordOf(int row) const { return records_[size_t(row)]; }

  private:
    const VoteRow& rowAt(int row) const {
        if (row != cachedRow_) {
            evalInAlias("VOTOSQT", [&] {
                DBGOTO(records_[size_t(row)]);
                cached_ = readVoteRow();
                return Value();
            });
            cachedRow_ = row;
        }
        return cached_;
    }

    const VoteLayout& l_;
    std::vector<long> records_;
    std::vector<QPixmap> logos_;
    mutable int cachedRow_ = -1;
    mutable VoteRow cached_;
};

// The two footer rows, from the same values.
class FooterModel : public QAbstractTableModel {
  public:
    explicit FooterModel(const VoteLayout& l) : l_(l) {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& i, int role) const override {
        const BrowseRow& r = i.row() == 0 ? l_.totals : l_.seats;
        if (role == Qt::DisplayRole) return QString::fromStdString(r[size_t(i.column())].text());
        if (role == Qt::BackgroundRole) return QBrush(qColor(sysColorBtnFace()));
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignVCenter | Qt::AlignRight);
        return {};
    }

  private:
    const VoteLayout& l_;
};

// A station view over a footer view, as large as the browse.
struct VotosView {
    std::unique_ptr<QWidget> box;
    QTableView* view = nullptr;
    std::unique_ptr<VotosModel> model;
    std::unique_ptr<FooterModel> footerModel;
};

void styleView(QTableView* v, const VoteLayout& l) {
    v->verticalHeader()->hide();
    v->verticalHeader()->setMinimumSectionSize(1);
    v->verticalHeader()->setDefaultSectionSize(l.lineHeight);
    for (int c = 0; c < kColumns; ++c) v->setColumnWidth(c, l.widths[size_t(c)]);
    v->setFont(QFont(QString::fromStdString(FontSpec().face)));
    QFont f = v->font();
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(FontSpec().height);
    v->setFont(f);
}

VotosView makeVotosView(const VoteLayout& l, std::vector<long> records) {
    VotosView v;
    v.box = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(v.box.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    v.model = std::make_unique<VotosModel>(l, std::move(records));
    v.footerModel = std::make_unique<FooterModel>(l);
    v.view = new QTableView;
    v.view->setModel(v.model.get());
    styleView(v.view, l);
    v.view->horizontalHeader()->setIconSize(QSize(l.widths[2] - 2, l.lineHeight));
    v.view->horizontalHeader()->setFixedHeight(2 * l.lineHeight);
    auto* footer = new QTableView;
    footer->setModel(v.footerModel.get());
    styleView(footer, l);
    footer->horizontalHeader()->hide();
    footer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    footer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    footer->setSpan(0, 0, 1, 2);
    footer->setSpan(1, 0, 1, 2);
    footer->setFixedHeight(2 * l.lineHeight + 2 * footer->frameWidth());
    layout->addWidget(v.view);
    layout->addWidget(footer);
    v.box->resize(l.width(), l.height());
    v.box->show();
    QApplication::processEvents();
    return v;
}

// Record numbers of the scoped "votos" tag, in order.
std::vector<long> votosRecords() {
    std::vector<long> out;
    evalInAlias("VOTOSQT", [&] {
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) out.push_back(RECNO());
        return Value();
    });
    return out;
}

// ---- the measures -------------------------------------------------------------------------------

struct PagingResult {
    double seconds = 0;
    int pages = 0;
    long lastRecord = 0;
};

PagingResult pageBrowse(VotosBrowse& b, ImageCanvas& canvas) {
    tCAbreBrow& brw = *b.browse;
    brw.goTop();
    PagingResult r;
    auto start = Clock::now();
    for (;;) {
        brw.pageDown();
        if (brw.lHitBottom) break;
        brw.paintTo(canvas);
        ++r.pages;
    }
    r.seconds = since(start);
    r.lastRecord = RECNO();
    return r;
}

PagingResult pageView(VotosView& v, QImage& image) {
    QScrollBar* bar = v.view->verticalScrollBar();
    bar->setValue(0);
    PagingResult r;
    auto start = Clock::now();
    while (bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + bar->pageStep());
        v.box->render(&image);
        ++r.pages;
    }
    r.seconds = since(start);
    r.lastRecord = v.model->recordOf(v.model->rowCount() - 1);
    return r;
}

struct VotesFigures {
    double paintBrowse = 0, paintView = 0, pageBrowse = 0, pageView = 0;
    double reportBrowse = 0, reportQt = 0;
};

// ---- report-pdf -------------------------------------------------------------------------------

long fileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? -1 : long(n);
}

// Pages of a PDF file written by Qt: its page objects.
int pdfPages(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string pdf((std::istreambuf_iterator<char>(in)), {});
    int n = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (at + 11 < pdf.size() && pdf[at + 11] != 's') ++n;
    return n;
}

QString htmlCell(const std::string& text, Color back, bool right, int span = 1) {
    QString c = QString("<td style=\"white-space:nowrap\" bgcolor=\"%1\"").arg(qColor(back).name());
    if (right) c += " align=\"right\"";
    if (span > 1) c += QString(" colspan=\"%1\"").arg(span);
    return c + ">" + QString::fromStdString(text).toHtmlEscaped() + "</td>";
}

// The peer: the rows as an HTML table in a QTextDocument, printed to a PDF. Logos and
// font are sized so that the 38 columns fit the width of the sheet, as the report's do.
constexpr int kLogoWidth = 18;
void reportQt(const VoteLayout& l, const std::vector<long>& records, const std::string& path) {
    QTextDocument doc;
    QFont font(QString::fromStdString(FontSpec().face));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(5.5);
    doc.setDefaultFont(font);
    for (size_t i = 0; i < l.logoBytes.size(); ++i) {
        QImage logo;
        logo.loadFromData(reinterpret_cast<const uchar*>(l.logoBytes[i].data()), int(l.logoBytes[i].size()), "BMP");
        doc.addResource(QTextDocument::ImageResource, QUrl(QString("logo:%1").arg(i)), logo);
    }
    QString html = "<h3>Conteo de votos para Presidente</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"1\" "
                   "width=\"100%\"><thead><tr><td colspan=\"2\"></td>";
    for (size_t i = 0; i < l.logoBytes.size(); ++i) html += QString("<td><img src=\"logo:%1\" width=\"%2\"></td>").arg(i).arg(kLogoWidth);
    html += "<td></td></tr><tr>";
    for (const std::string& caption : l.captions) html += htmlCell(caption, sysColorBtnFace(), false);
    html += "</tr></thead>";
    evalInAlias("VOTOSQT", [&] {
        for (long rec : records) {
            DBGOTO(rec);
            VoteRow r = readVoteRow();
            html += "<tr>";
            for (int col = 1; col <= kColumns; ++col) {
                Color c = l.pane;
                if (col == kTotal && l.partyColor[size_t(r.winner)]) c = l.partyColor[size_t(r.winner)];
                else if (col >= kFirstParty && col < kTotal && !r.texts[size_t(col - 1)].text().empty() &&
                         std::atol(r.texts[size_t(col - 1)].text().c_str()) == r.max)
                    c = l.partyColor[size_t(col)];
                html += htmlCell(r.texts[size_t(col - 1)].text(), c, col != 2);
            }
            html += "</tr>";
        }
        return Value();
    });
    for (const BrowseRow* footer : {&l.totals, &l.seats}) {
        html += "<tr>" + htmlCell((*footer)[0].text(), sysColorBtnFace(), false, 2);
        for (int col = 3; col <= kColumns; ++col) html += htmlCell((*footer)[size_t(col - 1)].text(), sysColorBtnFace(), true);
        html += "</tr>";
    }
    html += "</table>";
    doc.setHtml(html);
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
    doc.print(&writer);
}

void measureReport(const Options& o, VotosBrowse& b, const VoteLayout& l, VotesFigures& f) {
    std::string dir = fs::temp_directory_path().string();
    std::string ours = dir + "/urnalia_bench_report.pdf", peer = dir + "/urnalia_bench_report_qt.pdf";
    std::vector<long> records = votosRecords();
    std::vector<double> tb, tq;
    int pagesB = 0, pagesQ = 0, runs = std::min(o.repeat, 3);  // whole reports: fewer runs
    for (int rep = 0; rep < runs; ++rep) {
        auto start = Clock::now();
        TReport report = b.browse->reportOf("Conteo de votos para Presidente");
        if (!report.toPdf(ours)) fail("report: " + report.error());
        tb.push_back(since(start));
        start = Clock::now();
        reportQt(l, records, peer);
        tq.push_back(since(start));
    }
    pagesB = pdfPages(ours);
    pagesQ = pdfPages(peer);
    f.reportBrowse = median(tb);
    f.reportQt = median(tq);
    std::printf("report-pdf  browse %8.1f ms (%d pages, %ld bytes)   qtextdocument %8.1f ms (%d pages, %ld bytes)  "
                "(median of %d)\n",
                f.reportBrowse * 1e3, pagesB, fileSize(ours), f.reportQt * 1e3, pagesQ, fileSize(peer), runs);
    if (const char* dir = getenv("URNALIA_BENCH_IMAGES")) {
        std::error_code ec;
        fs::copy_file(ours, std::string(dir) + "/report.pdf", fs::copy_options::overwrite_existing, ec);
        fs::copy_file(peer, std::string(dir) + "/report_qtextdocument.pdf", fs::copy_options::overwrite_existing, ec);
    }
    std::remove(ours.c_str());
    std::remove(peer.c_str());
}

VotesFigures measureVotes(const Options& o) {
    VoteLayout l = makeVotos(o.stations);
    VotosBrowse b = makeVotosBrowse(l);
    VotosView v = makeVotosView(l, votosRecords());
    ImageCanvas canvas(b.browse->width(), b.browse->height());
    QImage image(v.box->size(), QImage::Format_RGB32);
    if (b.browse->width() != image.width() || b.browse->height() != image.height())
        fail("the two sides are not the same size");
    std::printf("votos: %ld stations; page %dx%d pixels, %d lines of %d pixels (view: %d rows shown)\n",
                o.stations, image.width(), image.height(), b.browse->nRowCount(), l.lineHeight,
                v.view->verticalScrollBar()->pageStep());

    std::vector<double> paintB, paintV, pageB, pageV;
    for (int rep = 0; rep < o.repeat; ++rep) {
        b.browse->goTop();
        auto start = Clock::now();
        for (int i = 0; i < o.paints; ++i) b.browse->paintTo(canvas);
        paintB.push_back(since(start) / o.paints);
        v.view->verticalScrollBar()->setValue(0);
        start = Clock::now();
        for (int i = 0; i < o.paints; ++i) v.box->render(&image);
        paintV.push_back(since(start) / o.paints);

        PagingResult pb = pageBrowse(b, canvas);
        PagingResult pv = pageView(v, image);
        if (pb.lastRecord != pv.lastRecord)
            fail("the sides ended on different stations: " + std::to_string(pb.lastRecord) + " and " +
                 std::to_string(pv.lastRecord));
        if (rep == 0) std::printf("page-down: browse %d pages, view %d pages\n", pb.pages, pv.pages);
        pageB.push_back(pb.seconds);
        pageV.push_back(pv.seconds);
    }
    VotesFigures f{median(paintB), median(paintV), median(pageB), median(pageV), 0, 0};
    std::printf("paint-page  browse %8.3f ms   qtableview %8.3f ms  (median of %d, each %d paints)\n",
                f.paintBrowse * 1e3, f.paintView * 1e3, o.repeat, o.paints);
    std::printf("page-down   browse %8.3f ms   qtableview %8.3f ms  (median of %d)\n", f.pageBrowse * 1e3,
                f.pageView * 1e3, o.repeat);
    measureReport(o, b, l, f);
    b.browse->goTop();
    b.browse->paintTo(canvas);
    v.view->verticalScrollBar()->setValue(0);
    v.box->render(&image);
    if (const char* dir = getenv("URNALIA_BENCH_IMAGES")) {
        canvas.savePng(std::string(dir) + "/browse.png");
        image.save(QString::fromStdString(std::string(dir) + "/qtableview.png"));
    }
    DBCLOSEALL();
    HB_ERASEARRAYRDD(Value("votos"));
    return f;
}

// ---- the roll -------------------------------------------------------------------------------------

constexpr const char* kPaternoKey = "paterno-(\" \"+materno)-(\" \"+nombre)";

// A folder holding padron.dbf of `rows` voters with its tag "paterno".
std::string makePadron(const std::string& parent, long rows) {
    std::string folder = parent + "/padron" + std::to_string(rows);
    datos::DatosOptions d;
    d.folder = folder;
    d.padronRows = uint64_t(rows);
    std::vector<datos::TableSummary> summary;
    Status s = datos::writeDatos(d, &summary);
    if (!s.ok()) fail("cannot write the sample tables: " + s.message());
    tableSettings().defaultFolder = folder;
    tableSettings().autoOpen = false;
    if (!DBUSEAREA(true, "DBFCDX", "padron", "", false)) fail("cannot open padron");
    ORDCONDSET({.forText = "!deleted()"});
    if (!ORDCREATE("", "paterno", kPaternoKey)) fail("cannot build the tag paterno");
    DBCLOSEAREA();
    tableSettings().autoOpen = true;
    return folder;
}

// The timed steps of a browse on the roll, in order.
constexpr const char* kPadronSteps[] = {"new", "paint", "goBottom", "paint", "seek", "paint"};
constexpr size_t kPadronStepCount = std::size(kPadronSteps);

struct PadronRun {
    double open = 0, browse = 0;
    std::array<double, kPadronStepCount> steps{};
    std::string found;  // the paterno reached by the search
};

// One run: the table opened in "paterno" order (timed apart), then the browse.
PadronRun browsePadron(const std::string& folder, const std::string& typed) {
    PadronRun r;
    auto start = Clock::now();
    if (!DBUSEAREA(true, "DBFCDX", folder + "/padron", "PADRON", true, true)) fail("cannot open padron");
    ORDSETFOCUS(Value("paterno"));
    DBGOTOP();
    r.open = since(start);

    int lh = TFont().textHeight();
    int w = 700, h = lh * (1 + kLines) + scrollBarWidth() + 2;
    start = Clock::now();
    auto stepStart = start;
    size_t step = 0;
    auto stepDone = [&] {
        auto now = Clock::now();
        r.steps[step++] = std::chrono::duration<double>(now - stepStart).count();
        stepStart = now;
    };
    auto dialog = std::make_unique<TDialog>(DialogOptions{" Padrón", w, h, Units::Pixels});
    CAbreBrowNew a;
    a.nWidth = w;
    a.nHeight = h;
    a.oWnd = dialog.get();
    a.source = BrowseSource([] {
        return BrowseRow{FIELDGET(1), FIELDGET(2), FIELDGET(3), FIELDGET(4), FIELDGET(10)};
    });
    a.aHeaders = {{"Paterno", "Materno", "Nombre", "Clave", "Sección"}};
    a.aColSizes = ColSizes{150, 150, 170, 150, 60};
    a.cAlias = "PADRON";
    tCAbreBrow* b = tCAbreBrow::New(std::move(a));
    ImageCanvas canvas(b->width(), b->height());
    stepDone();
    b->paintTo(canvas);
    stepDone();
    b->goBottom();
    stepDone();
    b->paintTo(canvas);
    stepDone();
    for (char c : typed) b->seek(std::string(1, c));
    stepDone();
    b->paintTo(canvas);
    stepDone();
    r.browse = since(start);
    r.found = FIELDGET(1).text();
    dialog.reset();
    DBCLOSEAREA();
    return r;
}

double measurePadron(const std::string& folder, long rows, const Options& o) {
    std::vector<double> opens, browses;
    std::array<std::vector<double>, kPadronStepCount> steps;
    std::string found;
    int runs = 3 * o.repeat;  // short runs: more of them for a steady median
    for (int rep = 0; rep < runs; ++rep) {
        PadronRun r = browsePadron(folder, o.seekText);
        opens.push_back(r.open);
        browses.push_back(r.browse);
        for (size_t i = 0; i < kPadronStepCount; ++i) steps[i].push_back(r.steps[i]);
        found = r.found;
    }
    std::printf("open-padron %7ld rows: browse %8.3f ms (table open %6.3f ms), search \"%s\" reached \"%s\"\n", rows,
                median(browses) * 1e3, median(opens) * 1e3, o.seekText.c_str(), found.c_str());
    std::printf("   steps, ms:");
    for (size_t i = 0; i < kPadronStepCount; ++i) std::printf(" %s %.3f", kPadronSteps[i], median(steps[i]) * 1e3);
    std::printf("\n");
    return median(browses);
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parseOptions(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    appEnsure();
    arrayRddRegister();
    dbfCdxRegister();

    VotesFigures votes = measureVotes(o);

    char tmpl[] = "/tmp/urnalia_bench_XXXXXX";
    if (!mkdtemp(tmpl)) fail("cannot make a temporary folder");
    std::string parent = tmpl;
    auto start = Clock::now();
    std::string large = makePadron(parent, o.padron);
    std::string small = makePadron(parent, o.small);
    std::printf("padron tables and tags made in %.1f s (untimed)\n", since(start));
    double big = measurePadron(large, o.padron, o);
    double little = measurePadron(small, o.small, o);
    std::error_code ec;
    fs::remove_all(parent, ec);

    std::printf("ratio paint-page browse/qtableview = %.2f\n", votes.paintBrowse / votes.paintView);
    std::printf("ratio page-down browse/qtableview = %.2f\n", votes.pageBrowse / votes.pageView);
    std::printf("ratio open-padron %s/%s = %.2f\n", o.padron == 1000000 ? "1m" : std::to_string(o.padron).c_str(),
                o.small == 20000 ? "20k" : std::to_string(o.small).c_str(), big / little);
    std::printf("ratio report-pdf browse/qtextdocument = %.2f\n", votes.reportBrowse / votes.reportQt);
    return 0;
}
