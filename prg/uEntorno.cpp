#include "uEntorno.h"

#include <algorithm>
#include <cstdio>

#include "Error.h"
#include "MsgBox.h"
#include "TableLayer.h"
#include "Text.h"
#include "extDefau.h"
#include "uDbf.h"

namespace {

bool isTrue(const Value& v) {
    return v.isLogical() && v.logical();
}

std::shared_ptr<uEntorno>& currentEntorno() {
    static std::shared_ptr<uEntorno> current;
    return current;
}

// Folder (with its separator) and base name (without extension) of a file name.
std::pair<std::string, std::string> folderAndBase(const std::string& file) {
    size_t slash = file.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "" : file.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return {folder, dot == std::string::npos ? name : name.substr(0, dot)};
}

// Runs `f` with the error handler answering every error with its default, so that a
// failure inside is only a failed result.
template <class F>
void ignoringErrors(F&& f) {
    ScopedErrorHandler quiet([](const ErrorRecord&) { return ErrorAction::Default; });
    try {
        f();
    } catch (const ErrorException&) {
    }
}

bool hookHeld(const EntornoFile& reg) {
    return bool(reg.hook);
}

}  // namespace

// ---- the current environment ------------------------------------------------------------

O_UR_ENTORNO::O_UR_ENTORNO(std::shared_ptr<uEntorno> entorno) : previous_(std::move(currentEntorno())) {
    currentEntorno() = std::move(entorno);
}
O_UR_ENTORNO::~O_UR_ENTORNO() {
    currentEntorno() = std::move(previous_);
}
std::shared_ptr<uEntorno> O_UR_ENTORNO::current() {
    return currentEntorno();
}

// ---- registration ------------------------------------------------------------------------

uEntorno::uEntorno() = default;

uEntorno::~uEntorno() {
    close();
}

std::map<std::string, uEntorno::Compartido>& uEntorno::compartidos() {
    static std::map<std::string, Compartido> shared;
    return shared;
}

std::string uEntorno::normalise(const std::string& file, const std::string& driver) {
    return text::upper(EXTDEFAULT(Value(file), RDDINFO(RDDI_TABLEEXT, Value(), driver)));
}

void uEntorno::add(EntornoFile file) {
    file.file = normalise(file.file, file.driver);
    file.cAlias.clear();
    file.oDbf.reset();
    aArchivos_.push_back(std::move(file));
    aIndices_.emplace_back();
}

size_t uEntorno::registration(const EntornoFile& file) {
    std::string name = normalise(file.file, file.driver);
    auto it = std::find_if(aArchivos_.begin(), aArchivos_.end(),
                           [&](const EntornoFile& r) { return r.file == name; });
    if (it != aArchivos_.end()) return size_t(it - aArchivos_.begin());
    add(file);
    return aArchivos_.size() - 1;
}

void uEntorno::addIndex(EntornoFile file, EntornoIndex index) {
    aIndices_[registration(file)].push_back(std::move(index));
}

// ---- opening -----------------------------------------------------------------------------

std::string uEntorno::nextAlias(const std::string& file) {
    std::string base = text::upper(folderAndBase(file).second);
    for (int n = 1;; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%02d", n);
        if (SELECT(base + suffix) == 0) return base + suffix;
    }
}

std::optional<std::string> uEntorno::openTable(EntornoFile& reg) {
    std::string alias = nextAlias(reg.file);
    if (reg.hook && !reg.hook(reg.file, true)) return std::nullopt;
    // A table that is not opened gives back what the hook gave it.
    auto release = [&] {
        if (reg.hook) reg.hook(reg.file, false);
    };
    std::optional<bool> shared;
    if (!reg.shared.isNil()) shared = isTrue(reg.shared);
    NETERR(false);
    bool opened = DBUSEAREA(true, reg.driver, reg.file, alias, shared, isTrue(reg.readOnly));
    if (NETERR()) {
        if (opened) DBCLOSEAREA();
        release();
        MsgAlert("El archivo " + reg.file + " no puede ser abierto de manera exclusiva", " Atención");
        return std::nullopt;
    }
    if (!opened || SELECT(alias) == 0) {
        release();
        return std::nullopt;
    }
    // Opened shared, the table is given back to the hook at once; opened exclusively it is
    // given back when it closes.
    if (reg.hook && isTrue(DBINFO(DBI_SHARED))) {
        reg.hook(reg.file, false);
        reg.hook = nullptr;
    }
    ignoringErrors([&] {
        auto [folder, base] = folderAndBase(reg.file);
        if (!ORDLISTADD(folder + base + INDEXEXT())) return;
        ORDSETFOCUS(Value(1.0));
        DBGOTOP();
    });
    return alias;
}

bool uEntorno::open() {
    if (lAbierto_) return true;
    hEntorno_.clear();
    std::map<std::string, Compartido>& shared = compartidos();
    for (size_t i = 0; i < aArchivos_.size(); ++i) {
        EntornoFile& reg = aArchivos_[i];
        std::string alias;
        if (reg.ownArea()) {
            std::optional<std::string> opened = openTable(reg);
            if (!opened) break;
            alias = *opened;
        } else if (auto it = shared.find(reg.file); it != shared.end()) {
            ++it->second.nContador;
            alias = it->second.cAlias;
        } else {
            std::optional<std::string> opened = openTable(reg);
            if (!opened) break;
            alias = *opened;
            shared[reg.file] = Compartido{alias, 1};
        }
        // The area is counted (or open) from here on, so a failure below gives it back.
        hEntorno_.emplace_back(alias, Abierto{nullptr, !reg.ownArea(), i});
        std::shared_ptr<uDBF> buffer;
        try {
            buffer = std::make_shared<uDBF>(alias);
        } catch (const ErrorException&) {
            break;
        }
        hEntorno_.back().second.oDbf = buffer;
        reg.cAlias = alias;
        reg.oDbf = buffer;
        if (reg.aliasOut) *reg.aliasOut = alias;
        if (reg.bufferOut) *reg.bufferOut = buffer;
    }
    if (hEntorno_.size() == aArchivos_.size() &&
        std::all_of(hEntorno_.begin(), hEntorno_.end(), [](const auto& e) { return bool(e.second.oDbf); })) {
        if (!aArchivos_.empty()) DBSELECTAREA(hEntorno_.front().first);
        lAbierto_ = true;
        return true;
    }
    for (auto it = hEntorno_.rbegin(); it != hEntorno_.rend(); ++it) closeFile(it->first, it->second);
    hEntorno_.clear();
    DBSELECTAREA(0);
    return false;
}

// ---- closing -----------------------------------------------------------------------------

void uEntorno::closeFile(const std::string& alias, const Abierto& table) {
    EntornoFile& reg = aArchivos_[table.archivo];
    auto closeArea = [&] {
        if (SELECT(alias) == 0) return;
        DBSELECTAREA(alias);
        DBCLOSEAREA();
    };
    if (table.lCompartido) {
        std::map<std::string, Compartido>& shared = compartidos();
        auto it = std::find_if(shared.begin(), shared.end(),
                               [&](const auto& e) { return e.second.cAlias == alias; });
        if (it != shared.end() && --it->second.nContador <= 0) {
            shared.erase(it);
            closeArea();
        }
    } else {
        closeArea();
    }
    if (hookHeld(reg)) reg.hook(reg.file, false);
}

bool uEntorno::close() {
    if (!lAbierto_) return true;
    for (auto& [alias, table] : hEntorno_) closeFile(alias, table);
    hEntorno_.clear();
    DBSELECTAREA(0);
    lAbierto_ = false;
    return true;
}

bool uEntorno::close(const std::string& alias) {
    if (!lAbierto_) return true;
    std::string wanted = text::upper(alias);
    auto it = std::find_if(hEntorno_.begin(), hEntorno_.end(), [&](const auto& e) { return e.first == wanted; });
    if (it == hEntorno_.end()) return true;
    auto entry = *it;
    hEntorno_.erase(it);
    closeFile(entry.first, entry.second);
    return true;
}

bool uEntorno::close(const uDBF& buffer) {
    return close(buffer.cAlias());
}

// ---- lookups -----------------------------------------------------------------------------

std::string uEntorno::alias(int n) const {
    if (n < 1 || size_t(n) > aArchivos_.size()) return "";
    return aArchivos_[n - 1].cAlias;
}

std::string uEntorno::alias(const std::string& name) const {
    std::string wanted = text::upper(name);
    bool withExtension = wanted.find('.') != std::string::npos;
    for (const EntornoFile& reg : aArchivos_) {
        std::string registered = reg.file;
        if (!withExtension) registered = registered.substr(0, registered.find_last_of('.'));
        if (registered == wanted) return reg.cAlias;
    }
    return "";
}

std::shared_ptr<uDBF> uEntorno::object(int n) const {
    if (n < 1 || size_t(n) > aArchivos_.size()) return nullptr;
    return aArchivos_[n - 1].oDbf;
}

std::shared_ptr<uDBF> uEntorno::object(const std::string& alias) const {
    std::string wanted = text::upper(alias);
    for (const auto& [a, table] : hEntorno_)
        if (a == wanted) return table.oDbf;
    return nullptr;
}
