// Record, navigation, order and field operations of the table layer: each checks that the
// current area holds a table and dispatches to its driver.
#include <cmath>

#include "TableLayer.h"
#include "Text.h"
#include "WorkAreas.h"

namespace {
const RddFuncTable& fn(Area& a) { return a.rdd->funcs; }

bool flag(bool (*op)(Area&, bool&), bool whenUnused) {
    Area* a = areaOrNull();
    if (!a) return whenUnused;
    bool out = whenUnused;
    op(*a, out);
    return out;
}
}  // namespace

// ---- navigation ------------------------------------------------------------------------

bool DBGOTOP() {
    Area* a = areaFor("DBGOTOP");
    return a && fn(*a).goTop(*a);
}
bool DBGOBOTTOM() {
    Area* a = areaFor("DBGOBOTTOM");
    return a && fn(*a).goBottom(*a);
}
bool DBSKIP(long n) {
    Area* a = areaFor("DBSKIP");
    return a && fn(*a).skip(*a, n);
}
bool DBGOTO(long rec) {
    Area* a = areaFor("DBGOTO");
    return a && fn(*a).goTo(*a, rec);
}
long RECNO() {
    Area* a = areaOrNull();
    long out = 0;
    if (a) fn(*a).recNo(*a, out);
    return out;
}
long LASTREC() {
    Area* a = areaOrNull();
    long out = 0;
    if (a) fn(*a).recCount(*a, out);
    return out;
}
bool EOF_() {
    Area* a = areaOrNull();
    return a ? flag(fn(*a).eof, true) : true;
}
bool BOF() {
    Area* a = areaOrNull();
    return a ? flag(fn(*a).bof, true) : true;
}
bool FOUND() {
    Area* a = areaOrNull();
    return a ? flag(fn(*a).found, false) : false;
}
bool DELETED() {
    Area* a = areaOrNull();
    return a ? flag(fn(*a).deleted, false) : false;
}

bool DBSEEK(const Value& key, bool soft, bool last) {
    Area* a = areaFor("DBSEEK");
    if (!a) return false;
    if (!fn(*a).seek(*a, soft, key, last)) return false;
    return FOUND();
}

// ---- orders ----------------------------------------------------------------------------

bool ORDCONDSET(const OrderCondition& condition) {
    Area* a = areaFor("ORDCONDSET");
    if (!a) return false;
    OrderCondition c = condition;
    if (!c.forText.empty() && !c.forBlock) {
        c.forBlock = compileBlock(c.forText, &c.forExpr);
        if (!c.forBlock) return false;
    }
    a->pendingCondition = std::move(c);
    return true;
}

bool ORDCREATE(const std::string& bag, const std::string& tag, const std::string& keyText,
               Block keyBlock, bool unique) {
    Area* a = areaFor("ORDCREATE");
    if (!a) return false;
    OrderCreateInfo info;
    info.bag = bag;
    info.tag = tag;
    info.keyText = keyText;
    info.unique = unique;
    info.keyBlock = std::move(keyBlock);
    if (!info.keyBlock) {
        info.keyBlock = compileBlock(keyText, &info.keyExpr);
        if (!info.keyBlock) {
            a->pendingCondition.reset();
            return false;
        }
    }
    info.condition = std::move(a->pendingCondition);
    a->pendingCondition.reset();
    return fn(*a).ordCreate(*a, info);
}

bool ORDLISTADD(const std::string& bag, const std::string& tag) {
    Area* a = areaFor("ORDLISTADD");
    if (!a) return false;
    OrderListInfo info{bag, tag.empty() ? Value() : Value(tag), Value()};
    return fn(*a).ordListAdd(*a, info);
}

void ORDLISTCLEAR() {
    if (Area* a = areaFor("ORDLISTCLEAR")) fn(*a).ordListClear(*a);
}

std::string ORDSETFOCUS(const Value& tag, const std::string& bag) {
    Area* a = areaOrNull();
    if (!a) return "";
    OrderListInfo info{bag, tag, Value()};
    fn(*a).ordListFocus(*a, info);
    return info.result.text();
}

namespace {
Value orderInfo(int what, const Value& order, const std::string& bag, bool hasNew,
                const Value& newValue) {
    Area* a = areaOrNull();
    if (!a) return Value();
    OrderInfo info;
    info.order = order;
    info.bag = bag;
    info.hasNewValue = hasNew;
    info.newValue = newValue;
    if (!fn(*a).ordInfo(*a, what, info)) return Value();
    return info.result;
}
Value orderArg(int order) { return order ? Value(order) : Value(); }
}  // namespace

Value ORDSCOPE(int which, const Value& value) {
    if (value.isNil())
        return orderInfo(which == 0 ? DBOI_SCOPETOPCLEAR : DBOI_SCOPEBOTTOMCLEAR, Value(), "", false,
                         Value());
    return orderInfo(which == 0 ? DBOI_SCOPETOP : DBOI_SCOPEBOTTOM, Value(), "", true, value);
}
Value ORDSCOPE(int which, std::nullopt_t) {
    return orderInfo(which == 0 ? DBOI_SCOPETOP : DBOI_SCOPEBOTTOM, Value(), "", false, Value());
}
long ORDKEYNO() { return long(orderInfo(DBOI_POSITION, Value(), "", false, Value()).num()); }
long ORDKEYCOUNT() { return long(orderInfo(DBOI_KEYCOUNT, Value(), "", false, Value()).num()); }
std::string INDEXKEY(int order) {
    return orderInfo(DBOI_EXPRESSION, orderArg(order), "", false, Value()).text();
}
std::string ORDNAME(int order) {
    return orderInfo(DBOI_NAME, orderArg(order), "", false, Value()).text();
}
int ORDNUMBER(const std::string& tag) {
    return int(orderInfo(DBOI_NUMBER, tag.empty() ? Value() : Value(tag), "", false, Value()).num());
}
std::string ORDFOR(int order) {
    return orderInfo(DBOI_CONDITION, orderArg(order), "", false, Value()).text();
}
std::string INDEXEXT() {
    Area* a = areaOrNull();
    Value out;
    if (a)
        fn(*a).rddInfo(RDDI_ORDBAGEXT, out);
    else if (const RddNode* node = rddFind(""))
        node->funcs.rddInfo(RDDI_ORDBAGEXT, out);
    return out.text();
}
Value DBORDERINFO(int what, const std::string& bag, const Value& order, const Value& newValue,
                  bool hasNewValue) {
    return orderInfo(what, order, bag, hasNewValue, newValue);
}

// ---- records ---------------------------------------------------------------------------

bool DBAPPEND(bool unlockAll) {
    Area* a = areaFor("DBAPPEND");
    return a && fn(*a).append(*a, unlockAll);
}
bool DBDELETE() {
    Area* a = areaFor("DBDELETE");
    return a && fn(*a).deleteRec(*a);
}
bool DBRECALL() {
    Area* a = areaFor("DBRECALL");
    return a && fn(*a).recall(*a);
}
bool DBRLOCK(long rec) {
    Area* a = areaOrNull();
    if (!a) return false;
    LockInfo li;
    li.record = rec;
    return fn(*a).lock(*a, li) && li.result;
}
bool RLOCK() { return DBRLOCK(0); }
bool FLOCK() {
    Area* a = areaOrNull();
    if (!a) return false;
    LockInfo li;
    li.file = true;
    return fn(*a).lock(*a, li) && li.result;
}
void DBRUNLOCK(long rec) {
    if (Area* a = areaOrNull()) fn(*a).unlock(*a, rec);
}
void DBUNLOCK() { DBRUNLOCK(0); }
void DBUNLOCKALL() {
    auto& L = layer();
    int saved = L.current;
    for (size_t i = 1; i < L.areas.size(); ++i)
        if (L.areas[i]) {
            L.current = int(i);
            fn(*L.areas[i]).unlock(*L.areas[i], 0);
        }
    L.current = saved;
}
void DBCOMMIT() {
    if (Area* a = areaOrNull()) fn(*a).flush(*a);
}
void DBCOMMITALL() {
    auto& L = layer();
    int saved = L.current;
    for (size_t i = 1; i < L.areas.size(); ++i)
        if (L.areas[i]) {
            L.current = int(i);
            fn(*L.areas[i]).flush(*L.areas[i]);
        }
    L.current = saved;
}

namespace {
// A field number outside 1..field count is the caller's mistake: an error, not a quiet NIL.
bool fieldInRange(const Area& a, int n, const char* operation) {
    if (n >= 1 && n <= int(a.fields.size())) return true;
    std::string detail =
        " (field " + std::to_string(n) + " of " + std::to_string(a.fields.size()) + ")";
    raiseLayerError(EG_BOUND, 1132, operation, detail);
    return false;
}
}  // namespace

Value FIELDGET(int n) {
    Area* a = areaOrNull();
    Value out;
    if (a && fieldInRange(*a, n, "FIELDGET")) fn(*a).getValue(*a, n, out);
    return out;
}
Value FIELDPUT(int n, const Value& v) {
    Area* a = areaFor("FIELDPUT");
    if (!a || !fieldInRange(*a, n, "FIELDPUT") || !fn(*a).putValue(*a, n, v)) return Value();
    return v;
}
bool DBPUTREC(const std::vector<Value>& values, int firstField) {
    Area* a = areaFor("DBPUTREC");
    return a && fn(*a).putRecord(*a, firstField, values);
}
std::string FIELDNAME(int n) {
    Area* a = areaOrNull();
    if (!a || n < 1 || n > int(a->fields.size())) return "";
    return a->fields[size_t(n - 1)].name;
}
int FIELDPOS(const std::string& name) {
    Area* a = areaOrNull();
    return a ? a->fieldPos(text::upper(text::rtrim(name))) : 0;
}
int FCOUNT() {
    Area* a = areaOrNull();
    return a ? int(a->fields.size()) : 0;
}
Structure DBSTRUCT() {
    Area* a = areaOrNull();
    return a ? a->fields : Structure();
}

void DBEVAL(const Block& block, const DbEvalScope& scope) {
    Area* a = areaFor("DBEVAL");
    if (!a) return;
    if (scope.record > 0) {
        DBGOTO(scope.record);
        if (!EOF_() && (!scope.forBlock || scope.forBlock().logical())) block();
        return;
    }
    if (!scope.rest && scope.next <= 0 && !scope.whileBlock) DBGOTOP();
    long count = 0;
    while (!EOF_()) {
        if (scope.next > 0 && count++ >= scope.next) break;
        if (scope.whileBlock && !scope.whileBlock().logical()) break;
        if (!scope.forBlock || scope.forBlock().logical()) block();
        DBSKIP(1);
    }
}

bool DBSETFILTER(const Block& block, const std::string& text) {
    Area* a = areaFor("DBSETFILTER");
    return a && fn(*a).setFilter(*a, FilterInfo{block, text});
}
void DBCLEARFILTER() {
    if (Area* a = areaOrNull()) fn(*a).clearFilter(*a);
}
std::string DBFILTER() {
    Area* a = areaOrNull();
    std::string out;
    if (a) fn(*a).filterText(*a, out);
    return out;
}

bool DBPACK_() {
    Area* a = areaFor("__DBPACK");
    return a && fn(*a).pack(*a);
}
bool DBZAP_() {
    Area* a = areaFor("__DBZAP");
    return a && fn(*a).zap(*a);
}

Value DBINFO(int what, const Value&) {
    Area* a = areaOrNull();
    Value out;
    if (a) fn(*a).info(*a, what, out);
    return out;
}
