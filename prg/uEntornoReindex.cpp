// The index generation dialog of a table environment: a list of its tables with two marks
// each ("Indices": rebuild the index file, "Depurar": compact the table first), the index
// definitions of the current table, and the regeneration run through progress meters over
// the cells of both lists.
#include <filesystem>

#include "Control.h"
#include "Dialog.h"
#include "Error.h"
#include "Mdi.h"
#include "Meter.h"
#include "MsgBox.h"
#include "Resources.h"
#include "TableLayer.h"
#include "cAbreBro.h"
#include "fileIo.h"
#include "uEntorno.h"

namespace {

bool isTrue(const Value& v) {
    return v.isLogical() && v.logical();
}

constexpr long kMeterStep = 25;  // records between two refreshes of the meter

// Keeps the table layer from opening production indexes while the indexes are rebuilt.
class NoAutoOpen {
  public:
    NoAutoOpen() : saved_(tableSettings().autoOpen) { tableSettings().autoOpen = false; }
    ~NoAutoOpen() { tableSettings().autoOpen = saved_; }
    NoAutoOpen(const NoAutoOpen&) = delete;
    NoAutoOpen& operator=(const NoAutoOpen&) = delete;

  private:
    bool saved_;
};

// Builds one definition into `bag` in the current area.
bool buildIndex(TMeter* meter, const EntornoIndex& def, const std::string& bag) {
    if (meter) meter->setTotal(double(LASTREC()));
    OrderCondition c;
    c.forText = def.forText;
    c.all = def.all;
    if (!def.whileText.empty()) {
        c.whileBlock = compileBlock(def.whileText);
        if (!c.whileBlock) return false;
    }
    c.whileText = def.whileText;
    c.evalBlock = [meter] {
        if (meter) meter->set(double(RECNO()));
        return Value(true);
    };
    c.evalStep = kMeterStep;
    c.startRecord = RECNO();
    c.next = def.next;
    c.record = def.record;
    c.rest = def.rest;
    c.descending = def.descend;
    c.additive = def.additive;
    c.useCurrent = def.useCurrent;
    c.custom = def.custom;
    c.noOptimize = def.noOptimize;
    c.temporary = def.temporary;
    c.useFilter = def.useFilter;
    c.exclusive = def.exclusive;
    if (!ORDCONDSET(c)) return false;
    return ORDCREATE(def.bag.empty() ? bag : def.bag, def.tag, def.key, {}, def.unique);
}

bool changed(const Status& st) {
    return st.ok();
}

}  // namespace

bool uEntorno::rebuildIndexes(const std::vector<EntornoIndex>& defs, bool compact,
                              const std::function<void(size_t, const BuildStep&)>& through) {
    ORDLISTCLEAR();
    // A table held in memory has no index file: its tags are built where they are.
    std::string production, side;
    if (Value full = DBINFO(DBI_FULLPATH); full.isText() && !full.text().empty() && !INDEXEXT().empty()) {
        std::filesystem::path p(full.text());
        production = (p.parent_path() / p.stem()).string() + INDEXEXT();
        side = production + ".new~";
    }
    if (compact) {
        // The old index no longer fits a compacted table: it goes before the records move.
        if (!production.empty() && !changed(posixio::removeFile(production))) return false;
        if (!DBPACK_()) return false;
    }
    if (!side.empty()) (void)posixio::removeFile(side);
    bool ok = true;
    for (size_t i = 0; i < defs.size(); ++i)
        through(i, [&](TMeter* meter) { ok = buildIndex(meter, defs[i], side) && ok; });
    ORDLISTCLEAR();
    if (side.empty() || !posixio::exists(side)) return ok;
    if (!ok) {
        (void)posixio::removeFile(side);
        return false;
    }
    Status st = posixio::renameFile(side, production);
    if (st.ok()) st = posixio::syncFolderOf(production);
    if (!st.ok()) {
        ErrorRecord r = makeError(EG_WRITE, 1011, "BASE", "reindex");
        r.description += " (" + st.message() + ")";
        r.fileName = production;
        r.canDefault = true;
        raiseError(r);
        return false;
    }
    return true;
}

// ---- the dialog -----------------------------------------------------------------------------

class ReindexDialog {
  public:
    ReindexDialog(uEntorno& entorno, const ReindexArgs& args) : entorno_(entorno), args_(args) {}
    ~ReindexDialog() {
        for (int h : {ticked_, blank_})
            if (h) DeleteMemBitmap(h);
    }

    void run();

  private:
    struct Row {
        std::string file;
        bool index = false;
        bool compact = false;
    };

    int accessLevel() const;
    Value markCell(bool marked) const;
    void loadDefinitions();
    void click(const BrowseDblClick& e);
    void reindexando();
    void rebuildRow(size_t row);

    uEntorno& entorno_;
    const ReindexArgs& args_;
    std::vector<Row> rows_;
    int level_ = 3;
    int ticked_ = 0, blank_ = 0;
    bool running_ = false;  // the dialog cannot close halfway through a rebuild
    std::unique_ptr<TDialog> dialog_;
    tCAbreBrow* files_ = nullptr;
    tCAbreBrow* indexes_ = nullptr;
};

int ReindexDialog::accessLevel() const {
    if (args_.user) {
        std::string option = args_.level.isText() ? args_.level.text() : "";
        if (args_.user->permiso(option, 3)) return 3;
        return args_.user->permiso(option, 2) ? 2 : 1;
    }
    return args_.level.isNumber() ? int(args_.level.num()) : 3;
}

Value ReindexDialog::markCell(bool marked) const {
    if (!ticked_) return Value(marked ? "Si" : "");
    return Value(double(marked ? ticked_ : blank_));
}

void ReindexDialog::loadDefinitions() {
    auto tags = std::make_shared<Array>();
    size_t row = size_t(files_->nAt - 1);
    if (row < entorno_.aIndices().size())
        for (const EntornoIndex& def : entorno_.aIndices()[row]) tags->push_back(Value(Array{Value(def.tag)}));
    if (tags->empty()) tags->push_back(Value(Array{Value(std::string(10, ' '))}));
    indexes_->SetArray(tags, true);
    indexes_->goTop();
    indexes_->Refresh();
}

void ReindexDialog::click(const BrowseDblClick& e) {
    size_t row = size_t(files_->nAt - 1);
    if (row >= rows_.size()) return;
    int col = e.nCol ? files_->nAtCol(e.nCol) : files_->nColAct;
    Row& r = rows_[row];
    if (col == 2 && level_ >= 2) {
        r.index = !r.index;
        if (!r.index) r.compact = false;
    } else if (col == 3 && level_ >= 3) {
        r.compact = !r.compact;
        if (r.compact) r.index = true;
    } else {
        return;
    }
    files_->drawSelect();
}

void ReindexDialog::rebuildRow(size_t row) {
    const EntornoFile& reg = entorno_.aArchivos()[row];
    auto env = std::make_shared<uEntorno>();
    O_UR_ENTORNO current(env);
    std::string alias;
    env->add(EntornoFile{.file = reg.file,
                         .privateArea = Value(false),
                         .aliasOut = &alias,
                         .shared = Value(false),
                         .readOnly = Value(false),
                         .hook = reg.hook});
    if (!env->open()) return;
    DBSELECTAREA(alias);
    indexes_->goTop();
    uEntorno::rebuildIndexes(entorno_.aIndices()[row], rows_[row].compact,
                             [&](size_t, const uEntorno::BuildStep& build) {
                                 indexes_->meter(1, [&](const std::vector<Value>& a) {
                                     build(meterOf(a.front()));
                                     return Value();
                                 }, {});
                                 indexes_->goDown();
                             });
    env->close();
}

void ReindexDialog::reindexando() {
    NoAutoOpen noAutoOpen;
    running_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{running_};
    files_->goTop();
    for (size_t row = 0; row < rows_.size(); ++row) {
        bool treat = true;
        if (args_.confirm)
            treat = isTrue(files_->meter(-1, [&](const std::vector<Value>& a) {
                                 TMeter* m = meterOf(a.front());
                                 return Value(m && args_.confirm(*m, rows_[row].file));
                             }, {}));
        if (treat && (rows_[row].index || rows_[row].compact)) rebuildRow(row);
        files_->goDown();
    }
    files_->goTop();
}

void ReindexDialog::run() {
    if (TMdiFrame* frame = TMdiFrame::appFrame(); frame && !frame->openChildren().empty()) {
        MsgAlert("No debe tener abiertas otras opciones", " Atención");
        return;
    }
    if (!args_.tickedImage.empty()) {
        ticked_ = CreateMemBitmap(resourceBytes(args_.tickedImage));
        blank_ = CreateMemBitmap(resourceBytes(args_.blankImage));
    }
    level_ = accessLevel();
    bool automatic = bool(args_.confirm);
    for (const EntornoFile& reg : entorno_.aArchivos()) rows_.push_back({reg.file, automatic, false});

    std::string title = !args_.title.empty() ? args_.title
                        : automatic          ? " Actualización de archivos"
                                             : " Organización de archivos";
    dialog_ = std::make_unique<TDialog>(DialogOptions{.title = title, .width = 304, .height = 242});
    TDialog& d = *dialog_;
    d.bValid = [this](TDialog&) { return !running_; };
    d.add<TSay>(SayOptions{.rect = {5, 7, 60, 8}, .text = "&Archivos"});
    auto rowValues = std::make_shared<Array>(rows_.size(), Value(Array{}));
    files_ = tCAbreBrow::New(CAbreBrowNew{.nTop = 12,
                                          .nLeft = 5,
                                          .nWidth = 80,
                                          .nHeight = 94,
                                          .source = BrowseSource(Value(rowValues)),
                                          .aHeaders = {{"Archivo", "Indices", "Depurar"}},
                                          .aColSizes = ColSizes{100, 20, 20},
                                          .oWnd = &d,
                                          .bChange = [this](TWBrowse&) { loadDefinitions(); },
                                          .bLDblClick = std::function<void(const BrowseDblClick&)>(
                                              [this](const BrowseDblClick& e) { click(e); })});
    files_->bLine = [this] {
        size_t i = size_t(files_->nAt - 1);
        if (i >= rows_.size()) return BrowseRow{"", "", ""};
        return BrowseRow{Value(rows_[i].file), markCell(rows_[i].index), markCell(rows_[i].compact)};
    };
    files_->aColSizes = ColSizes{100, 20, 20};
    files_->lCellStyle = level_ == 3;
    d.add<TSay>(SayOptions{.rect = {37, 95, 50, 8}, .text = "&Indices"});
    indexes_ = tCAbreBrow::New(CAbreBrowNew{.nTop = 44,
                                            .nLeft = 93,
                                            .nWidth = 55,
                                            .nHeight = 62,
                                            .source = BrowseSource(Value(std::make_shared<Array>())),
                                            .aColSizes = ColSizes{100},
                                            .oWnd = &d});
    indexes_->lDrawHeaders = false;
    loadDefinitions();
    if (!automatic) {
        d.add<TButton>(ButtonOptions{.rect = {5, 98, 42, 12}, .caption = "&Generar", .action = [this] {
                                         reindexando();
                                     }});
        d.add<TButton>(ButtonOptions{.rect = {20, 98, 42, 12}, .caption = "&Cancelar", .action = [&d] {
                                         d.end();
                                     }});
    }
    ActivateOptions show{.centered = true, .modal = true};
    if (automatic)
        show.onShown = [this](TDialog& dlg) {
            reindexando();
            dlg.end();
        };
    d.activate(show);
}

void uEntorno::reindex(const ReindexArgs& args) {
    ReindexDialog(*this, args).run();
}
