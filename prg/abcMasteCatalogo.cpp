// The maintenance controller's menus and button bars (add, edit, delete and print, enabled
// by the user object's permissions) and the ready-made code/description catalogue windows
// with their in-cell edit.
#include <span>

#include "Bar.h"
#include "Get.h"
#include "Menu.h"
#include "Resources.h"
#include "TableLayer.h"
#include "abcMaste.h"
#include "btnBmp.h"
#include "btnBmp_abc.h"
#include "cAbreBro.h"
#include "mAbreBro.h"
#include "main.h"
#include "wAbreBro.h"

namespace {

// One maintenance action as its bar button and its menu item show it.
struct Accion {
    const char* buttonText;  // mant_button's menu text
    const char* menuText;    // the menu item's caption, and mant_menuButton's button text
    const char* message;
    const char* image;
    const char* actionText;
    int level;  // 0: always enabled
    std::function<void()> run;
};

bool withPrint(const std::string& extras) {
    return extras.find_first_of("Ii") != std::string::npos;
}

std::string imageBytes(const char* name) {
    return BTNBMP_ABC(name).text();
}

TWindowBase& frameOf(WBrowseCore& window) {
    return dynamic_cast<TWindowBase&>(window);
}

// The window's report, titled as the window.
void reportOf(WBrowseCore* window) {
    if (window && window->oBrw) window->oBrw->report(frameOf(*window).title());
}

std::function<bool()> permission(const std::string& option, int level) {
    if (level == 0) return {};
    return [option, level] { return abcMaster::oUsr().permiso(option, level); };
}

}  // namespace

namespace {

std::vector<Accion> acciones(abcMaster& m, const std::string& extras) {
    std::vector<Accion> list = {
        {"(&A)gregar", "&Agregar", "Agregar un registro nuevo", "nuevo", "::mant_add()", 2,
         [&m] { m.mant_add(); }},
        {"(&M)odificar", "&Modificar", "Modificar el registro actual", "editar", "::mant_edit()", 2,
         [&m] { m.mant_edit(); }},
        {"(&E)liminar", "&Eliminar", "Eliminar el registro actual", "borrar", "::mant_delete()", 3,
         [&m] { m.mant_delete(); }},
    };
    if (withPrint(extras))
        list.push_back({"(&I)mprimir", "&Imprimir", "", "impresora", "::oWnd:report()", 0,
                        [&m] { reportOf(m.oWnd.get()); }});
    return list;
}

// The popup of the maintenance actions in the menu being defined, when one is.
void addPopup(const std::string& title, const std::vector<Accion>& list, const std::string& option,
              bool withMessagesAndImages) {
    TMenu* menu = TMenu::building();
    if (!menu) return;
    menu->addMenu(title.empty() ? "&Edición" : title, [&](TMenu& popup) {
        for (const Accion& a : list) {
            if (a.level == 0) popup.separator();
            MenuItemOptions o;
            o.action = a.run;
            o.enabled = a.level == 0 || abcMaster::oUsr().permiso(option, a.level);
            if (withMessagesAndImages) {
                o.message = a.message;
                std::string bytes = imageBytes(a.image);
                o.image = pictureFromBmp(
                    std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                    a.image);
            }
            popup.add(a.menuText, o);
        }
    });
}

// A 3D bar at the top of the window with a button per action.
TBar* addBar(WBrowseCore& window, const std::vector<Accion>& list, const std::string& option,
             bool menuTexts) {
    TBar* bar = frameOf(window).add<TBar>(BarOptions{.is3D = true});
    if (!window.oBar) window.oBar = bar;
    for (const Accion& a : list)
        _tBtnBmp::newBar({.message = a.message,
                          .action = [run = a.run](TBtnBmp&) { run(); },
                          .bar = bar,
                          .actionText = a.actionText,
                          .bWhen = permission(option, a.level),
                          .mnuTxt = menuTexts ? a.menuText : a.buttonText,
                          .image1 = imageBytes(a.image)});
    return bar;
}

}  // namespace

void abcMaster::mant_menu(const std::string& title, const std::string& option,
                          const std::string& extras) {
    addPopup(title, acciones(*this, extras), option, false);
}

void abcMaster::mant_button(WBrowseCore& window, const std::string& option,
                            const std::string& extras) {
    addBar(window, acciones(*this, extras), option, false);
}

void abcMaster::mant_menuButton(const std::string& title, WBrowseCore& window,
                                const std::string& option, const std::string& extras) {
    std::vector<Accion> list = acciones(*this, extras);
    TBar* bar = addBar(window, list, option, true);
    bar->bMMoved = [](TBar& b, int, int) { b.setCursor(MouseCursor::Hand); };
    bar->bRClicked = [&window](TBar& b, int row, int col) {
        Rect r = b.pixelRect();
        window.showMenu(int(r.top) + row, int(r.left) + col, 0, &frameOf(window));
    };
    addPopup(title, list, option, true);
}

// ---- catalogues --------------------------------------------------------------------------

void abcMaster::catalogo(const CatalogoArgs& args) {
    catalogoWindow(args, true);
}

void abcMaster::catalogoSdi(const CatalogoArgs& args) {
    catalogoWindow(args, false);
}

void abcMaster::catalogoWindow(const CatalogoArgs& args, bool child) {
    // The line reads the browse's alias, which the window's close empties.
    auto browse = std::make_shared<tCAbreBrow*>(nullptr);
    const std::string alias = args.alias;
    auto line = [browse, alias]() -> BrowseRow {
        const std::string& current = *browse ? (*browse)->cAlias : alias;
        if (current.empty() || SELECT(current) == 0) return {Value(""), Value("")};
        tCAbreBrow::AliasScope in(current);
        return {FIELDGET(FIELDPOS("CLAVE")), FIELDGET(FIELDPOS("DESCRIP"))};
    };
    const std::string option = args.option, extras = args.extras,
                      title = "Ca&tálogo de " + args.name;
    WTbrowseNew a;
    a.source = BrowseSource(std::function<BrowseRow()>(line));
    a.aHeaders = {{Value("Clave"), Value("Descripción")}};
    a.bLDblClick =
        DblClickSpec([this, option](const BrowseDblClick& e) { catalogo_click(e, option); });
    a.cTitle = " Catálogo de " + args.name;
    a.uBarra = BarraArg([this, title, option, extras](WBrowseCore& window) {
        return OMENU([&](TMenu&) { mant_menuButton(title, window, option, extras); });
    });
    a.oMenu = MenuArg::none();
    a.aIndexNum = Value(Array{Value("clave"), Value("descrip")});
    a.aIndexTxt = Value(Array{Value("Clave"), Value("Descripción")});
    a.uIndex = Value("clave");
    a.aColSizes = ColSizes(args.columnWidths);
    a.cAlias = alias;
    if (child) {
        a.oWnd = args.frame ? args.frame : mainFrame();
        oWnd = uMTBrowse::New(MTbrowseNew{.base = std::move(a)});
    } else {
        oWnd = uWTbrowse::New(std::move(a));
    }
    if (oWnd) *browse = oWnd->oBrw;
}

void abcMaster::catalogo_click(const BrowseDblClick& e, const std::string& option) {
    auto* b = dynamic_cast<tCAbreBrow*>(e.oBrow);
    if (!b || !oUsr().permiso(option, 2)) return;
    const int col = b->nColAct;
    const char* field = col == 1 ? "CLAVE" : col == 2 ? "DESCRIP" : nullptr;
    if (!field) return;
    const std::string alias = b->cAlias;
    Value value = evalInAlias(alias, [field] { return FIELDGET(FIELDPOS(field)); });
    EditColOptions o{.cPicture = "@!"};
    if (col == 1)
        o.bValid = [this, alias, adding = e.lNew](TGet& get) {
            return validaClave(get.value(), "clave", adding, "", alias);
        };
    const bool accepted = b->lEditCol(col, value, o);
    // A single silent attempt at the lock: a refused one stores nothing.
    const bool stored =
        accepted && evalInAlias(alias, [field, &value] {
                        return Value(RLOCK() && !FIELDPUT(FIELDPOS(field), value).isNil());
                    }).logical();
    refrescaBrowse(accepted, static_cast<WBrowseCore*>(b->oClase));
    if (e.result) *e.result = Value(stored);
}
