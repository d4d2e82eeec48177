#pragma once
// abcMaster: the controller of one maintenance "option" of the application. It opens the
// option's tables together in a table environment (uEntorno), calls the application's
// method that builds the option's browse window, shows the window, and then adds, edits
// and deletes records as the window's menu and buttons ask. An option is open at most
// once: asking for it again brings its window to the front.
//
// Applications derive from it and register the methods that build their windows by name
// (registraMetodo); an empty method name means the main table's base name.
//
// Ownership: the controller owns its window (oWnd) and its environment. While the window
// is open the option registry (hWnd) holds the controller too when it is managed by a
// shared_ptr, so `std::make_shared<archivo>()->New(...)` may be dropped by the caller. A
// window that closes hands its controller to a list of retired ones, destroyed at the
// next opening or by abcMasterCierraTodo (never from inside the window's own close).
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Value.h"
#include "uEntorno.h"

class WBrowseCore;
struct BrowseDblClick;
class TMdiFrame;
class uDBF;

// A table of an option: name, flag (the open mode of the main table, the area sharing of
// a secondary one) and driver.
struct TablaSpec {
    std::string name;
    Value flag;
    std::string driver;
    TablaSpec(std::string n, Value f = Value(), std::string d = "")
        : name(std::move(n)), flag(std::move(f)), driver(std::move(d)) {}
    TablaSpec(const char* n) : name(n) {}
};

// The `tables` argument: one table name, or a list of names and specs (the first is the
// main table).
struct Tablas {
    std::vector<TablaSpec> specs;
    Tablas(const char* name) : specs{TablaSpec(name)} {}
    Tablas(std::string name) : specs{TablaSpec(std::move(name))} {}
    Tablas(std::initializer_list<TablaSpec> list) : specs(list) {}
    Tablas(std::vector<TablaSpec> list) : specs(std::move(list)) {}
};

// One entry of the option registry: closed (known), being opened, or open with its window.
struct OpcionAbierta {
    bool abriendo = false;
    WBrowseCore* ventana = nullptr;
    class abcMaster* controlador = nullptr;  // the controller that opened it
    std::shared_ptr<class abcMaster> dueno;  // keeps the controller while the window is open
    bool cerrada() const { return !abriendo && !ventana; }
};

// Arguments of the catalogue windows, in position order.
struct CatalogoArgs {
    std::string alias;
    std::string name;
    std::string option;
    std::vector<int> columnWidths;
    std::string extras;
    TMdiFrame* frame = nullptr;  // catalogo only; empty: the program's main frame
};

class abcMaster : public Object, public std::enable_shared_from_this<abcMaster> {
  public:
    // A window-building method: (alias of the main table, extra arguments).
    using Metodo = std::function<void(const std::string& alias, const std::vector<Value>& extra)>;
    // The in-browse add's initialisation of the fresh record.
    using Init = std::function<void()>;

    abcMaster();
    ~abcMaster() override;
    abcMaster(const abcMaster&) = delete;
    abcMaster& operator=(const abcMaster&) = delete;

    std::string className() const override { return "ABCMASTER"; }

    // ---- members ----
    const std::string& cAlias() const { return cAlias_; }
    bool lDlg = false;
    const std::shared_ptr<uEntorno>& oEntorno() const { return oEntorno_; }
    std::unique_ptr<WBrowseCore> oWnd;

    // ---- opening ----
    abcMaster& New(const Tablas& tables, std::vector<Value> extra = {});
    abcMaster& abrirOpcion(const std::string& method, const Tablas& tables,
                           std::vector<Value> extra = {});

    // ---- menus and buttons ----
    void mant_menu(const std::string& title = "&Edición", const std::string& option = "",
                   const std::string& extras = "");
    void mant_button(WBrowseCore& window, const std::string& option = "",
                     const std::string& extras = "");
    void mant_menuButton(const std::string& title, WBrowseCore& window,
                         const std::string& option = "", const std::string& extras = "");

    // ---- maintenance ----
    void mant_click();
    void mant_add(Init init = {}, WBrowseCore* window = nullptr,
                  std::optional<bool> dialog = std::nullopt);
    void mant_edit(WBrowseCore* window = nullptr, std::optional<bool> dialog = std::nullopt);
    void mant_delete(WBrowseCore* window = nullptr);

    // A fresh record: the first deleted record of the order "deleted", blanked, or a new one.
    bool dbAppend();
    bool dbAppend(const std::string& alias);
    bool dbAppend(uDBF& buffer);
    // Deletes every record of the current order (within top..bottom when top is given).
    bool dbDelete(const Value& top = Value(), const Value& bottom = Value(),
                  const std::string& alias = "");
    bool validaClave(const Value& key, const std::string& order, bool adding,
                     const std::string& message = "", const std::string& alias = "");
    void refrescaBrowse(bool accepted, WBrowseCore* window = nullptr);

    // ---- catalogues ----
    void catalogo(const CatalogoArgs& args);
    void catalogoSdi(const CatalogoArgs& args);

    // ---- module-wide state ----
    static std::map<std::string, OpcionAbierta>& hWnd();
    static const uUsuario& oUsr();
    static void oUsr(std::shared_ptr<const uUsuario> user);

    // The double-click handler of `window`'s browse called with the six arguments
    // (empty row, column and key state); its result.
    static Value dblClick(WBrowseCore& window, bool lModif, bool lNew);

  protected:
    // Registers a window-building method under `name` (any case).
    void registraMetodo(const std::string& name, Metodo method);

  private:
    struct Opening;
    friend struct Opening;
    friend void abcMasterCierraTodo();
    void catalogoWindow(const CatalogoArgs& args, bool child);
    void catalogo_click(const BrowseDblClick& e, const std::string& option);
    void showWindow(const std::string& key);
    bool closing(const std::string& key);
    std::string aliasOf(WBrowseCore* window) const;
    bool appendIn(const std::string& alias, uDBF* buffer);
    static void retire(std::shared_ptr<abcMaster> controller);

    std::string cAlias_;
    std::shared_ptr<uEntorno> oEntorno_;
    std::map<std::string, Metodo> metodos_;
};

// Closes every window still held in the option registry and destroys the retired
// controllers; the program calls it before its main window goes.
void abcMasterCierraTodo();
