// The maintenance controller's opening and closing of an option: the option registry, the
// table environment, the window-building method called by name, the window's close check,
// the user object and the call of the window's double-click handler.
#include "abcMaste.h"

#include "Error.h"
#include "Text.h"
#include "cAbreBro.h"
#include "mAbreBro.h"
#include "wAbreBro.h"

namespace {

// The user object when none was set: every permission granted.
class TodoPermitido : public uUsuario {
  public:
    bool permiso(const std::string&, int) const override { return true; }
};

std::shared_ptr<const uUsuario>& userSlot() {
    static std::shared_ptr<const uUsuario> user = std::make_shared<TodoPermitido>();
    return user;
}

// Windows and controllers whose option closed: destroyed later, never from inside the
// window's own close.
std::vector<std::unique_ptr<WBrowseCore>>& retiredWindows() {
    static std::vector<std::unique_ptr<WBrowseCore>> list;
    return list;
}
std::vector<std::shared_ptr<abcMaster>>& retiredControllers() {
    static std::vector<std::shared_ptr<abcMaster>> list;
    return list;
}

void purgeRetired() {
    // Moved out first: a controller going down may not touch the lists while they change.
    auto windows = std::move(retiredWindows());
    auto controllers = std::move(retiredControllers());
    retiredWindows().clear();
    retiredControllers().clear();
    windows.clear();
    controllers.clear();
}

// The base file name: without folder and extension.
std::string baseName(const std::string& file) {
    std::string name = file.substr(
        file.find_last_of("/\\") == std::string::npos ? 0 : file.find_last_of("/\\") + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void focus(WBrowseCore& window) {
    if (auto* w = dynamic_cast<tWAbreBrow*>(&window))
        w->restore();
    else if (auto* c = dynamic_cast<tMAbreBrow*>(&window))
        c->activate();
    if (window.oBrw) window.oBrw->SetFocus();
}

}  // namespace

abcMaster::abcMaster() = default;

abcMaster::~abcMaster() {
    if (!oWnd) return;
    // Going down with the window open: the option closes with it, without the close check.
    for (auto& [key, entry] : hWnd())
        if (entry.ventana == oWnd.get()) entry = OpcionAbierta{};
    if (auto* w = dynamic_cast<tWAbreBrow*>(oWnd.get()))
        w->bValid = nullptr;
    else if (auto* c = dynamic_cast<tMAbreBrow*>(oWnd.get()))
        c->bValid = nullptr;
    if (oWnd->oBrw) oWnd->oBrw->cAlias.clear();
    oWnd.reset();
    if (oEntorno_) oEntorno_->close();
}

std::map<std::string, OpcionAbierta>& abcMaster::hWnd() {
    static std::map<std::string, OpcionAbierta> registry;
    return registry;
}

const uUsuario& abcMaster::oUsr() {
    return *userSlot();
}

void abcMaster::oUsr(std::shared_ptr<const uUsuario> user) {
    userSlot() = user ? std::move(user) : std::make_shared<TodoPermitido>();
}

void abcMaster::registraMetodo(const std::string& name, Metodo method) {
    metodos_[text::upper(name)] = std::move(method);
}

abcMaster& abcMaster::New(const Tablas& tables, std::vector<Value> extra) {
    return abrirOpcion("", tables, std::move(extra));
}

abcMaster& abcMaster::abrirOpcion(const std::string& method, const Tablas& tables,
                                  std::vector<Value> extra) {
    purgeRetired();
    if (tables.specs.empty() || tables.specs[0].name.empty()) {
        raiseError(ErrorRecord{.genCode = EG_ARG,
                               .subCode = 1,
                               .subsystem = "ABCMASTER",
                               .description = "An option needs its main table",
                               .operation = "abrirOpcion"});
        return *this;
    }
    const TablaSpec& main = tables.specs[0];
    const std::string key = method + main.name;
    auto& registry = hWnd();
    OpcionAbierta& entry = registry[key];
    if (entry.ventana) {
        focus(*entry.ventana);
        return *this;
    }
    if (entry.abriendo) return *this;
    // The environment of an open option would be lost, and its tables with it.
    if (oEntorno_ && oEntorno_->lAbierto()) {
        raiseError(ErrorRecord{.genCode = EG_ARG,
                               .subCode = 3,
                               .subsystem = "ABCMASTER",
                               .description = "The controller runs an open option already",
                               .operation = "abrirOpcion"});
        return *this;
    }
    entry.abriendo = true;

    oEntorno_ = std::make_shared<uEntorno>();
    O_UR_ENTORNO current(oEntorno_);
    oEntorno_->add(EntornoFile{.file = main.name,
                               .privateArea = Value(true),
                               .aliasOut = &cAlias_,
                               .shared = main.flag,
                               .driver = main.driver});
    for (size_t i = 1; i < tables.specs.size(); ++i) {
        const TablaSpec& s = tables.specs[i];
        oEntorno_->add(EntornoFile{.file = s.name, .privateArea = s.flag, .driver = s.driver});
    }
    // Whatever goes wrong from here on, the option does not stay half open.
    auto giveUp = [&] {
        oWnd.reset();
        oEntorno_->close();
        registry[key] = OpcionAbierta{};
    };
    try {
        if (!oEntorno_->open()) {
            registry[key] = OpcionAbierta{};
            return *this;
        }
        const std::string name = method.empty() ? baseName(main.name) : method;
        auto found = metodos_.find(text::upper(name));
        if (found == metodos_.end())
            raiseError(
                ErrorRecord{.genCode = EG_NOFUNC,
                            .subCode = 2,
                            .subsystem = "ABCMASTER",
                            .description = "No method " + name + " builds the option's window",
                            .operation = "abrirOpcion"});
        else
            found->second(cAlias_, extra);
    } catch (...) {
        giveUp();
        throw;
    }
    if (!oWnd) {
        giveUp();
        return *this;
    }
    registry[key] =
        OpcionAbierta{.ventana = oWnd.get(), .controlador = this, .dueno = weak_from_this().lock()};
    showWindow(key);
    return *this;
}

void abcMaster::showWindow(const std::string& key) {
    WBrowseCore& w = *oWnd;
    w.nMenuInfo = 2;
    if (w.oBrw) w.oBrw->lCellStyle = true;
    if (auto* top = dynamic_cast<tWAbreBrow*>(&w)) {
        auto previous = std::move(top->bValid);
        top->bValid = [this, key, previous](TWindow& self) {
            return (!previous || previous(self)) && closing(key);
        };
        top->activate();
    } else if (auto* child = dynamic_cast<tMAbreBrow*>(&w)) {
        auto previous = std::move(child->bValid);
        child->bValid = [this, key, previous](TMdiChild& self) {
            return (!previous || previous(self)) && closing(key);
        };
        child->activate();
    }
}

bool abcMaster::closing(const std::string& key) {
    if (oWnd && oWnd->oBrw) oWnd->oBrw->cAlias.clear();
    OpcionAbierta& entry = hWnd()[key];
    std::shared_ptr<abcMaster> owner = std::move(entry.dueno);
    entry = OpcionAbierta{};
    if (oEntorno_) oEntorno_->close();
    if (oWnd) retiredWindows().push_back(std::move(oWnd));
    if (owner) retiredControllers().push_back(std::move(owner));
    return true;
}

void abcMasterCierraTodo() {
    for (auto& [key, entry] : abcMaster::hWnd()) {
        if (!entry.ventana) continue;
        abcMaster* controller = entry.controlador;
        entry.ventana->end();
        // A window whose own check refused to close goes all the same.
        if (entry.ventana && controller) controller->closing(key);
    }
    purgeRetired();
}

Value abcMaster::dblClick(WBrowseCore& window, bool lModif, bool lNew) {
    Value result;
    tCAbreBrow* b = window.oBrw;
    if (!b || !b->bLDblClick) return result;
    b->bLDblClick(BrowseDblClick{
        .lModif = lModif, .lNew = lNew, .oBrow = b, .oClase = b->oClase, .result = &result});
    return result;
}

std::string abcMaster::aliasOf(WBrowseCore* window) const {
    if (window && window->oBrw && !window->oBrw->cAlias.empty()) return window->oBrw->cAlias;
    return cAlias_;
}
