#include "TableLayer.h"

#include <algorithm>

#include "Text.h"
#include "WorkAreas.h"

LayerState& layer() {
    static LayerState state;
    return state;
}

TableSettings& tableSettings() {
    static TableSettings settings;
    return settings;
}

void raiseLayerError(int genCode, int subCode, const std::string& operation,
                     const std::string& detail) {
    ErrorRecord r = makeError(genCode, subCode, "DBCMD", operation);
    r.description += detail;
    r.canDefault = true;
    raiseError(r);
}

Area* areaOrNull() {
    auto& L = layer();
    if (L.current <= 0 || L.current >= int(L.areas.size())) return nullptr;
    return L.areas[size_t(L.current)].get();
}

Area* areaFor(const char* operation) {
    Area* a = areaOrNull();
    if (!a) raiseLayerError(EG_NOTABLE, 2001, operation);
    return a;
}

int lowestFreeArea() {
    auto& L = layer();
    for (size_t i = 1; i < L.areas.size(); ++i)
        if (!L.areas[i]) return int(i);
    L.areas.emplace_back();
    return int(L.areas.size() - 1);
}

int currentAreaNo() { return layer().current; }
Area* currentArea() { return areaOrNull(); }

int Area::fieldPos(const std::string& upperName) const {
    auto it = index_.find(upperName);
    return it == index_.end() ? 0 : it->second;
}

std::string aliasFromFile(const std::string& file) {
    std::string base = file;
    size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base = base.substr(slash + 1);
    size_t dot = base.find('.');
    if (dot != std::string::npos) base = base.substr(0, dot);
    return text::upper(base);
}

namespace {
bool aliasInUse(const std::string& alias, const Area* except) {
    for (auto& a : layer().areas)
        if (a && a.get() != except && a->alias == alias) return true;
    return false;
}

// The alias that `info` opens under; false, with the error raised, when an area other than
// `except` has it.
bool claimAlias(const OpenInfo& info, const Area* except, std::string* alias) {
    *alias = text::upper(info.alias.empty() ? aliasFromFile(info.file) : info.alias);
    if (!aliasInUse(*alias, except)) return true;
    raiseLayerError(EG_DUPALIAS, 1011, *alias);
    return false;
}
}  // namespace

bool areaOpenBase(Area& area, const OpenInfo& info) {
    std::string alias;
    if (!claimAlias(info, &area, &alias)) return false;
    area.alias = alias;
    area.stamp = layer().nextStamp++;
    area.index_.clear();
    for (size_t i = 0; i < area.fields.size(); ++i) {
        area.fields[i].name = text::upper(area.fields[i].name);
        area.index_.emplace(area.fields[i].name, int(i + 1));
    }
    return true;
}

void areaCloseBase(Area& area) {
    area.alias.clear();
    area.stamp = 0;
}

// ---- drivers ---------------------------------------------------------------------------

void rddProvide(const std::string& name, RddGetFuncTable entry) {
    layer().provided[text::upper(name)] = entry;
}

const RddNode* rddFind(const std::string& name) {
    auto& L = layer();
    auto it = L.drivers.find(text::upper(name.empty() ? L.defaultDriver : name));
    return it == L.drivers.end() ? nullptr : &it->second;
}

int RDDREGISTER(const std::string& name, int kind) {
    auto& L = layer();
    std::string key = text::upper(name);
    if (L.drivers.count(key)) return 1;
    auto p = L.provided.find(key);
    if (p == L.provided.end()) return 3;
    RddNode node;
    node.name = key;
    node.kind = kind;
    node.id = L.nextDriverId;
    if (!p->second(node.funcs, node.id)) return 3;
    rddFillDefaults(node.funcs);
    ++L.nextDriverId;
    RddNode& stored = L.drivers[key] = std::move(node);
    if (!stored.funcs.init()) {
        L.drivers.erase(key);
        return 3;
    }
    return 0;
}

std::string RDDSETDEFAULT(const std::string& name) {
    auto& L = layer();
    std::string previous = L.defaultDriver;
    if (!name.empty()) L.defaultDriver = text::upper(name);
    return previous;
}

Value RDDINFO(int what, const Value&, const std::string& driver) {
    const RddNode* node = rddFind(driver);
    Value out;
    if (node) node->funcs.rddInfo(what, out);
    return out;
}

// ---- areas -----------------------------------------------------------------------------

namespace {
const RddNode* driverFor(const std::string& name, const char* operation) {
    const RddNode* node = rddFind(name);
    if (!node)
        raiseLayerError(EG_ARG, 1015, operation,
                        " (unknown driver " + text::upper(name.empty() ? layer().defaultDriver : name) + ")");
    return node;
}

// Closes the table of slot `no` and frees the slot; the driver closes with the area current.
void closeSlot(int no) {
    auto& L = layer();
    if (no <= 0 || no >= int(L.areas.size()) || !L.areas[size_t(no)]) return;
    int saved = L.current;
    L.current = no;
    Area& a = *L.areas[size_t(no)];
    a.rdd->funcs.close(a);
    L.areas[size_t(no)].reset();
    L.current = saved;
}

// Installs a fresh driver area in slot `no` (which must be free) and makes it current.
Area& installArea(const RddNode& node, int no) {
    auto& L = layer();
    std::unique_ptr<Area> area = node.funcs.newArea();
    area->areaNo = no;
    area->rdd = &node;
    L.areas[size_t(no)] = std::move(area);
    L.current = no;
    return *L.areas[size_t(no)];
}
}  // namespace

bool DBCREATE(const std::string& file, const Structure& structure, const std::string& driver,
              bool keepOpen, const std::string& alias) {
    auto& L = layer();
    const RddNode* node = driverFor(driver, "DBCREATE");
    if (!node) return false;
    OpenInfo info{file, alias, false, false};
    // A create refused for its alias must not have replaced the table of that name.
    std::string claimed;
    if (!claimAlias(info, nullptr, &claimed)) return false;
    int previous = L.current;
    int no = lowestFreeArea();
    Area& area = installArea(*node, no);
    bool ok = node->funcs.createFields(area, structure) && node->funcs.create(area, info);
    if (!ok) {
        L.areas[size_t(no)].reset();
        L.current = previous;
        return false;
    }
    if (!keepOpen) {
        closeSlot(no);
        L.current = previous;
    }
    return true;
}

bool DBUSEAREA(bool newArea, const std::string& driver, const std::string& file,
               const std::string& alias, std::optional<bool> shared, bool readOnly) {
    auto& L = layer();
    const RddNode* node = driverFor(driver, "DBUSEAREA");
    if (!node) return false;
    // The drivers set the flag when another user holds the table; any other failure clears it.
    NETERR(false);
    if (newArea) {
        L.current = lowestFreeArea();
    } else {
        if (L.current <= 0) L.current = lowestFreeArea();
        while (L.current >= int(L.areas.size())) L.areas.emplace_back();
        closeSlot(L.current);
    }
    int no = L.current;
    Area& area = installArea(*node, no);
    OpenInfo info{file, alias, shared.value_or(!tableSettings().exclusive), readOnly};
    if (!node->funcs.open(area, info)) {
        L.areas[size_t(no)].reset();
        return false;
    }
    return true;
}

void DBCLOSEAREA() { closeSlot(layer().current); }

void DBCLOSEALL() {
    auto& L = layer();
    for (size_t i = 1; i < L.areas.size(); ++i) closeSlot(int(i));
    L.current = 1;
}

bool DBSELECTAREA(int area) {
    auto& L = layer();
    if (area < 0) return false;
    if (area == 0) area = lowestFreeArea();
    while (area >= int(L.areas.size())) L.areas.emplace_back();
    L.current = area;
    return true;
}

bool DBSELECTAREA(const std::string& alias) {
    if (alias == "0") return DBSELECTAREA(0);
    int no = SELECT(alias);
    if (no == 0) {
        raiseLayerError(EG_NOALIAS, 1002, text::upper(alias));
        return false;
    }
    return DBSELECTAREA(no);
}

int SELECT(const std::string& alias) {
    auto& L = layer();
    if (alias.empty()) return L.current;
    std::string key = text::upper(alias);
    for (size_t i = 1; i < L.areas.size(); ++i)
        if (L.areas[i] && L.areas[i]->alias == key) return int(i);
    return 0;
}

std::string ALIAS(int no) {
    auto& L = layer();
    if (no == 0) no = L.current;
    if (no <= 0 || no >= int(L.areas.size()) || !L.areas[size_t(no)]) return "";
    return L.areas[size_t(no)]->alias;
}

std::string RDDNAME() {
    Area* a = areaOrNull();
    return a ? a->rdd->name : "";
}

bool USED() { return areaOrNull() != nullptr; }

Value evalInAlias(const std::string& alias, const std::function<Value()>& fn) {
    auto& L = layer();
    int no = SELECT(alias);
    if (no == 0) {
        raiseLayerError(EG_NOALIAS, 1002, text::upper(alias));
        return Value();
    }
    int saved = L.current;
    L.current = no;
    struct Restore {
        int saved;
        ~Restore() { layer().current = saved; }
    } restore{saved};
    return fn();
}

bool NETERR(std::optional<bool> set) {
    bool previous = layer().netErr;
    if (set) layer().netErr = *set;
    return previous;
}
