// The browse window's shared logic: lists of indexes and reports, the default bar and menu,
// the registry of bar buttons with its pop-up menu and accelerators, the index, the scope
// filter on the bar and closing.
#include "wAbreBro.h"

#include <algorithm>

#include "Menu.h"
#include "MsgBar.h"
#include "Tabs.h"
#include "Resources.h"
#include "Rdd.h"
#include "TableLayer.h"
#include "Text.h"
#include "menuRadi.h"
#include "rBloquea.h"
#include "tGetFer.h"

namespace {

// A text (or, for orders, a number) becomes a one-element list, a non-list an empty one,
// and a list whose first element is a list stands for that first element.
std::vector<Value> listOf(const Value& v, bool numbersToo = false) {
    if (v.isText() || (numbersToo && v.isNumber())) return {v};
    if (!v.isArray()) return {};
    const Array& a = *v.array();
    if (!a.empty() && a[0].isArray()) return *a[0].array();
    return a;
}

std::vector<std::string> textsOf(const std::vector<Value>& values, size_t n) {
    std::vector<std::string> out;
    for (size_t i = 0; i < n; ++i) out.push_back(i < values.size() && values[i].isText() ? values[i].text() : "");
    return out;
}

bool sameOrder(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return text::upper(text::rtrim(a.text())) == text::upper(text::rtrim(b.text()));
    if (a.isNumber() && b.isNumber()) return a.num() == b.num();
    return false;
}

}  // namespace

WBrowseCore::~WBrowseCore() = default;

// ---- construction -------------------------------------------------------------------------

void WBrowseCore::newPrev(const Value& indexTxt, const Value& indexNum, const Value& indexMsg, const Value& printTxt,
                          const Value& printBlk, const Value& printMsg, Value& initialIndex,
                          const DblClickSpec& dblClick, bool edit, const Value& yesNo, const Value& del,
                          const Value& delAction) {
    std::vector<Value> captions = listOf(indexTxt);
    std::vector<Value> orders = listOf(indexNum, true);
    // Orders without captions stand for the captions.
    if (captions.empty())
        for (const Value& o : orders) captions.push_back(Value(o.toText()));
    aIndexTxt.clear();
    for (const Value& c : captions) aIndexTxt.push_back(c.toText());
    size_t n = aIndexTxt.size();
    orders.resize(n);
    for (size_t i = 0; i < n; ++i)
        if (!orders[i].isText() && !orders[i].isNumber()) orders[i] = Value(aIndexTxt[i]);
    aIndexNum = orders;
    aIndexMsg = textsOf(listOf(indexMsg), n);

    std::vector<Value> reports = listOf(printTxt);
    aPrintTxt.clear();
    for (const Value& r : reports) aPrintTxt.push_back(r.toText());
    std::vector<Value> blocks = printBlk.isBlock() ? std::vector<Value>{printBlk} : listOf(printBlk);
    blocks.resize(aPrintTxt.size());
    aPrintBlk = blocks;
    aPrintMsg = textsOf(listOf(printMsg), aPrintTxt.size());

    if (initialIndex.isEmptyValue() && !aIndexNum.empty()) initialIndex = aIndexNum[0];
    lAction = bool(dblClick.callback) || !dblClick.functionName.empty();
    lBtnAction = true;
    lEdit = edit;
    lBtnYesNo = !yesNo.isEmptyValue();
    lBtnDel = !del.isEmptyValue();

    if (delAction.isBlock()) {
        bBtnDel = [delAction] { delAction.call(); };
    } else if (delAction.isText() && !delAction.text().empty()) {
        Block block = compileBlock(delAction.text());
        bBtnDel = [this, block] {
            if (block && oBrw) oBrw->inAlias(block);
        };
    } else {
        bBtnDel = [this] { defaultDelete(); };
    }
    aIndexObj.assign(n, nullptr);
}

// Locks the current record with retry, then deletes it or, when deleted, recovers it.
void WBrowseCore::defaultDelete() {
    if (!oBrw) return;
    bool nowDeleted = oBrw->inAlias([] {
        if (!RBLOQUEAR()) return false;
        if (DELETED()) DBRECALL();
        else DBDELETE();
        DBCOMMIT();
        DBUNLOCK();
        return DELETED();
    });
    if (nowDeleted) oBrw->Refresh();
}

tCAbreBrow* WBrowseCore::browse(const BrowseSource& source, std::vector<BrowseRow> headers, ColSizes sizes,
                                std::function<void(TWBrowse&)> change, DblClickSpec dblClick,
                                std::function<void(int, int, int)> rClicked, const std::string& alias,
                                std::function<void(int, int, int)> lClicked, SeekCallback seek, bool seekEOF) {
    TWindowBase& w = frame();
    CAbreBrowNew a;
    a.nWidth = w.width();
    a.nHeight = w.height() - w.clientTop();
    a.nTop = w.clientTop();
    a.source = source;
    a.aHeaders = std::move(headers);
    a.aColSizes = std::move(sizes);
    a.oWnd = &w;
    a.bChange = std::move(change);
    a.bLDblClick = std::move(dblClick);
    a.bRClicked = std::move(rClicked);
    a.lUpdate = true;
    a.cAlias = alias;
    a.bLClicked = std::move(lClicked);
    a.bSeek = std::move(seek);
    a.lSeekEOF = seekEOF;
    oBrw = tCAbreBrow::New(std::move(a));
    // Control+letter clicks the registered button of that letter.
    oBrw->bKeyDown = [this](int key, int flags) { return (flags & 2) && acceleratorKey(char32_t(key)); };
    return oBrw;
}

int WBrowseCore::indexPosition(const Value& index) const {
    for (size_t i = 0; i < aIndexNum.size(); ++i)
        if (sameOrder(aIndexNum[i], index)) return int(i + 1);
    return 0;
}

void WBrowseCore::ownBrowse() {
    oBrw->oClase = static_cast<WBrowseCore*>(this);
    // Reports without their own callback print the browse.
    for (Value& block : aPrintBlk)
        if (!block.isBlock())
            block = Value(Callable([this](const std::vector<Value>&) {
                oBrw->report(frame().title());
                return Value();
            }));
}

tCAbreBrow* WBrowseCore::browseOf(WTbrowseNew& a) {
    browse(a.source, std::move(a.aHeaders), std::move(a.aColSizes), std::move(a.bChange), a.bLDblClick,
           std::move(a.bRClicked), a.cAlias, std::move(a.bLClicked), std::move(a.bSeek), a.lSeekEOF);
    if (a.oBrush) oBrw->oBrush = *a.oBrush;
    return oBrw;
}

void WBrowseCore::newPost(const Value& initialIndex, MenuArg menu, const BarraArg& bar) {
    ownBrowse();
    oBrw->nIndex = indexPosition(initialIndex);
    if (oBrw->nIndex == 0 && !aIndexNum.empty()) oBrw->nIndex = 1;
    if (menu.kind == MenuArg::Kind::Default) installMenu(menuDefault());
    else if (menu.kind == MenuArg::Kind::Given) installMenu(std::move(menu.menu));
    uBarra = bar;
    barras();
    if (oBrw->isTable() && oBrw->nIndex > 0) setIndex(oBrw->nIndex);
}

WBrowseCore::FramePlace WBrowseCore::framePlace(const WTbrowseNew& a) {
    TFont font;
    double rowUnit = a.lPixel ? 1 : font.textHeight(), colUnit = a.lPixel ? 1 : font.textWidth("B");
    FramePlace p;
    p.top = int(a.nTop * rowUnit);
    p.left = int(a.nLeft * colUnit);
    int width = int((a.nRight - a.nLeft) * colUnit), height = int((a.nBottom - a.nTop) * rowUnit);
    if (width > 0) p.width = width;
    if (height > 0) p.height = height;
    return p;
}

void WBrowseCore::browseMenuOnRightClick() {
    if (!oBrw || oBrw->bRClicked) return;
    oBrw->bRClicked = [this](int row, int col, int) {
        Rect r = oBrw->pixelRect();
        showMenu(int(r.top) + row, int(r.left) + col, 0, &frame());
    };
}

void WBrowseCore::closeWith(bool ok) {
    if (ok && oBrw) oBrw->lOk = true;
    end();
}

// ---- bar and menu -------------------------------------------------------------------------

void WBrowseCore::barras() {
    if (uBarra.kind == BarraArg::Kind::Default) {
        oBar = frame().add<TBar>();
        auto button = [this](BtnBmpBarArgs a) {
            a.bar = oBar;
            _tBtnBmp::newBar(std::move(a));
        };
        if (lBtnYesNo) {
            button({.resName1 = "paloma", .message = "Seleccionar el registro actual",
                    .action = [this](TBtnBmp&) { closeWith(true); }, .mnuTxt = "(&A)ceptar"});
            button({.resName1 = "cruz", .message = "Regresar sin seleccionar un registro",
                    .action = [this](TBtnBmp&) { closeWith(false); }, .mnuTxt = "(&C)ancelar"});
        } else {
            button({.resName1 = "DOOROPEN", .resName2 = "DOORCLOSE", .message = "Cerrar el catálogo",
                    .action = [this](TBtnBmp&) { closeWith(true); }, .mnuTxt = "(&C)errar"});
            if (lAction && lBtnAction)
                button({.resName1 = "CONSULTAR", .message = "Consulta los datos del registro actual",
                        .action = [this](TBtnBmp&) { oBrw->lDblClick(std::nullopt, std::nullopt, 0, false, false); },
                        .group = true, .mnuTxt = "Consult(&a)r"});
            if (lAction && lEdit) {
                button({.resName1 = "EDITBUT", .message = "Modifica el registro",
                        .action = [this](TBtnBmp&) { oBrw->lDblClick(std::nullopt, std::nullopt, 0, true, false); },
                        .mnuTxt = "(&M)odificar"});
                button({.resName1 = "NUEVO", .message = "Agregar un nuevo registro",
                        .action = [this](TBtnBmp&) { oBrw->lDblClick(std::nullopt, std::nullopt, 0, true, true); },
                        .mnuTxt = "(&N)uevo"});
            }
            if (lAction && lBtnDel)
                button({.resName1 = "ELIMINAR", .message = "Elimina o recupera un registro",
                        .action = [this](TBtnBmp&) { bBtnDel(); }, .mnuTxt = "(&E)liminar/recuperar"});
        }
        if (!aPrintTxt.empty())
            button({.resName1 = "printer", .message = "Imprime los reportes",
                    .action =
                        [this](TBtnBmp&) {
                            Array options;
                            for (const std::string& t : aPrintTxt) options.push_back(Value(t));
                            int choice = MENURADIOBUTTON({Value(std::move(options)), Value(1), "Reportes"});
                            if (choice > 0) runReport(choice);
                        },
                    .group = true});
    } else if (uBarra.kind == BarraArg::Kind::Build && uBarra.build) {
        if (std::unique_ptr<TMenu> menu = uBarra.build(*this)) installMenu(std::move(menu));
    }
    if (oBar) {
        if (!oBar->bMMoved) oBar->bMMoved = [](TBar& b, int, int) { b.setCursor(MouseCursor::Hand); };
        if (!oBar->bRClicked)
            oBar->bRClicked = [this](TBar& b, int row, int col) {
                Rect r = b.pixelRect();
                showMenu(int(r.top) + row, int(r.left) + col, 0, &frame());
            };
    }
    // The status bar: the search text as its message, the record counter in a grey item.
    TWindowBase& w = frame();
    oMsgBar = w.add<TMsgBar>();
    TMsgBar* bar = oMsgBar;
    TMsgItem* counter = bar->AddItem(MsgItemOptions{65, "", 16777215, 8421504});
    if (oBrw) {
        oBrw->oSeek = BrowseDisplay{[bar](const std::string& text) {
            bar->SetMsg(text);
            bar->Refresh();
        }};
        oBrw->oMsgRecNo = BrowseDisplay{[counter](const std::string& text) { counter->SetText(text); }};
    }
    // The index tabs, right above the status bar.
    if (!aIndexTxt.empty()) {
        oTabs = w.add<TTabs>(TabsOptions{Rect{}, aIndexTxt, oBrw ? std::max(1, oBrw->nIndex) : 1,
                                         [this](int option) { tabAction(option); }});
        oTabs->movePixels(Rect{0, 0, double(w.width()), double(oTabs->tabsHeight())});
        w.dockBottom(oTabs);
    }
    if (oBrw) takeClient(oBrw);
}

namespace {
TMenuItem* item(TMenu& m, const std::string& caption, const std::string& message, std::function<void()> action) {
    MenuItemOptions o;
    o.action = std::move(action);
    o.message = message;
    return m.add(caption, o);
}
}  // namespace

std::unique_ptr<TMenu> WBrowseCore::menuDefault() {
    bool table = oBrw && !oBrw->lMatriz && oBrw->cAlias != "ARRAY";
    aIndexObj.assign(aIndexTxt.size(), nullptr);
    auto open = [this](bool modify, bool add) {
        return [this, modify, add] { oBrw->lDblClick(std::nullopt, std::nullopt, 0, modify, add); };
    };
    return TMenu::bar([&](TMenu& m) {
        if (lBtnYesNo) {
            m.addMenu("&Registro", [this](TMenu& r) {
                item(r, "&Aceptar", "Seleccionar el registro actual", [this] { closeWith(true); });
                item(r, "&Cancelar", "Regresar sin seleccionar un registro", [this] { closeWith(false); });
            }, "Aceptar o cancelar");
        } else if (lAction) {
            m.addMenu("&Editar", [&](TMenu& e) {
                if (lBtnAction) item(e, "&Consultar", "Consulta los datos del registro actual", open(false, false));
                if (lEdit) {
                    e.separator();
                    item(e, "&Modificar", "Modifica el registro", open(true, false));
                    item(e, "&Nuevo", "Agregar un nuevo registro", open(true, true));
                    if (lBtnDel) e.separator();
                }
                if (lBtnDel) item(e, "&Eliminar/recuperar", "Elimina o recupera un registro", [this] { bBtnDel(); });
                if (table && text::upper(RDDSETDEFAULT()) == "ODBC") e.add("&Refresacar", [this] { refresODBC(); });
            }, "Opciones de edición");
        }
        if (!aIndexTxt.empty()) {
            m.addMenu("&Orden", [this](TMenu& o) {
                for (size_t i = 0; i < aIndexTxt.size(); ++i) {
                    MenuItemOptions opt;
                    opt.action = bloqueIndice(int(i + 1));
                    opt.checkable = true;
                    opt.checked = oBrw && oBrw->nIndex == int(i + 1);
                    opt.message = aIndexMsg[i];
                    aIndexObj[i] = o.add(aIndexTxt[i], opt);
                }
            }, "Cambia el orden para la busqueda");
        }
        if (!aPrintTxt.empty()) {
            m.addMenu("&Reportes", [this](TMenu& r) {
                for (size_t i = 0; i < aPrintTxt.size(); ++i)
                    item(r, aPrintTxt[i], aPrintMsg[i], [this, i] { runReport(int(i + 1)); });
            }, "Imprime los reportes");
        }
        if (!lBtnYesNo) item(m, "&Cerrar", "Cerrar el catálogo", [this] { closeWith(true); });
    });
}

void WBrowseCore::runReport(int n) {
    if (n < 1 || size_t(n) > aPrintBlk.size()) return;
    const Value& block = aPrintBlk[size_t(n - 1)];
    if (block.isBlock()) block.call();
}

// ---- registered buttons ---------------------------------------------------------------------

void WBrowseCore::addMenu(_tBtnBmp& button) {
    if (aMnuBtns.empty()) cMnuLetras.clear();
    aMnuBtns.push_back(&button);
    cMnuLetras.push_back(mnuTxtAccelerator(button.cMnuTxt()));
    if (!bRClickedWindow) bRClickedWindow = [this](int row, int col) { showMenu(row, col, 0, &frame()); };
}

bool WBrowseCore::acceleratorKey(char32_t key) {
    std::string letter = text::upper(std::string(1, char(key)));
    if (key == 0 || key > 127) return false;
    for (size_t i = 0; i < cMnuLetras.size(); ++i)
        if (cMnuLetras[i] == letter) {
            aMnuBtns[i]->click();
            return true;
        }
    return false;
}

void WBrowseCore::showMenu(int row, int col) {
    showMenu(row, col, 0, &frame());
}

void WBrowseCore::showMenu(int row, int col, int, TWindowBase* reference) {
    if (aMnuBtns.empty()) return;
    auto menu = TMenu::popup([this](TMenu& m) {
        for (_tBtnBmp* b : aMnuBtns) {
            MenuItemOptions opt;
            opt.action = [b] { b->click(); };
            opt.enabled = !b->bWhen || b->bWhen();
            if (const Picture* p = memBitmap(b->hBitmap(1))) opt.image = *p;
            m.add(b->cMnuTxt(), opt);
        }
    });
    menu->activate(row, col, reference ? reference : &frame());
}

// ---- the index -------------------------------------------------------------------------------

std::function<void()> WBrowseCore::bloqueIndice(int n) {
    return [this, n] { setIndex(n); };
}

void WBrowseCore::indexChecks(int n) {
    for (size_t i = 0; i < aIndexObj.size(); ++i)
        if (aIndexObj[i]) aIndexObj[i]->setChecked(int(i + 1) == n);
}

int WBrowseCore::setIndex(std::optional<int> which) {
    int n = which.value_or(oBrw->nIndex);
    if (n < 1 || size_t(n) > aIndexNum.size()) return oBrw->nIndex;
    const Value order = aIndexNum[size_t(n - 1)];
    oBrw->inAlias([&] { return ORDSETFOCUS(order); });
    if (oTabs) oTabs->SetOption(n);
    oBrw->nIndex = n;
    indexChecks(n);
    oBrw->nLen = oBrw->inAlias([] { return ORDKEYCOUNT(); });
    oBrw->setSeeked("");
    oBrw->upStable();
    oBrw->vSetPos(oBrw->inAlias([] { return ORDNAME().empty() ? RECNO() : ORDKEYNO(); }));
    oBrw->Refresh();
    return oBrw->nIndex;
}

// A range filter on the bar: a label and a field per scope end; one field sets both ends.
void WBrowseCore::barraScope(const std::string& label1, const std::string& label2, const std::string& picture) {
    if (!oBar || !oBrw) return;
    TWindowBase& w = frame();
    oBar->setFont(oBrw->oFont);
    int left = oBar->nextLeft() + TBar::kGroupGap;
    auto addPair = [&](const std::string& caption) {
        std::string text = caption.empty() ? "&Filtro" : caption;
        int labelWidth = oBrw->oFont.textWidth(text) + 6;
        w.add<TSay>(SayOptions{Rect{7, double(left), double(labelWidth), 16}, text});
        left += labelWidth;
        auto value = std::make_shared<Value>(std::string(100, ' '));
        GetOptions o{Rect{5, double(left), 100, 17},
                     GetBinding{[value] { return *value; }, [value](const Value& v) { *value = v; }}, picture};
        left += 100 + 6;
        aScopeGets.push_back(w.add<tGetFer>(std::move(o)));
    };
    aScopeGets.clear();
    addPair(label1);
    bool two = !label2.empty();
    if (two) addPair(label2);
    auto scopeFrom = [this](TGet& g, std::optional<int> which) {
        Value v(text::rtrim(g.text()));
        oBrw->inAlias([&] {
            if (!which || *which == 0) ORDSCOPE(0, v);
            if (!which || *which == 1) ORDSCOPE(1, v);
            return 0;
        });
        oBrw->upStable();
    };
    if (two) {
        aScopeGets[0]->bChanged = [scopeFrom](TGet& g) { scopeFrom(g, 0); };
        aScopeGets[1]->bChanged = [scopeFrom](TGet& g) { scopeFrom(g, 1); };
        aScopeGets[0]->setTabNext(*aScopeGets[1]);
        aScopeGets[1]->setTabNext(*oBrw);
        oBrw->setTabNext(*aScopeGets[0]);
    } else {
        aScopeGets[0]->bChanged = [scopeFrom](TGet& g) { scopeFrom(g, std::nullopt); };
        aScopeGets[0]->setTabNext(*oBrw);
        oBrw->setTabNext(*aScopeGets[0]);
    }
    tabAction = [this](int n) {
        oBrw->inAlias([] {
            ORDSCOPE(0, Value());
            ORDSCOPE(1, Value());
            return 0;
        });
        for (tGetFer* g : aScopeGets) g->setValue(Value(std::string(100, ' ')));
        setIndex(n);
        oBrw->SetFocus();
    };
}

void WBrowseCore::refresODBC() {
    // The reopen goes to a new area first: when the driver cannot open the table, the
    // browse stays on its table as it was and the layer's error has been shown.
    std::string alias = oBrw->cAlias;
    std::string file = oBrw->inAlias([] { return DBINFO(DBI_FULLPATH).toText(); });
    int previous = currentAreaNo();
    std::string temporary = alias + "_ODBC";
    bool opened = DBUSEAREA(true, "odbc", file, temporary, true);
    if (!opened) {
        if (previous != currentAreaNo()) DBSELECTAREA(previous);
        return;
    }
    DBCLOSEAREA();
    oBrw->inAlias([] {
        DBCLOSEAREA();
        return 0;
    });
    DBUSEAREA(true, "odbc", file, alias, true);
    if (previous != currentAreaNo()) DBSELECTAREA(previous);
    oBrw->Refresh();
}

// ---- size and closing ---------------------------------------------------------------------------

void WBrowseCore::reSize(int sizeType, int width, int height) {
    if (oBrw) oBrw->Refresh();
    if (bResizedBy) bResizedBy(sizeType, width, height);
}

bool WBrowseCore::end() {
    std::string alias = oBrw ? oBrw->cAlias : "";
    if (oBrw) oBrw->cAlias = "";
    bool closed = closeFrame();
    if (!closed && oBrw) oBrw->cAlias = alias;
    return closed;
}
