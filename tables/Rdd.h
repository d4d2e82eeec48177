#pragma once
// The driver interface of the table layer.
//
// A driver hands the layer a table of operations (RddFuncTable). Each operation acts on
// one work area's state, an object the driver derives from Area, and answers success or
// failure; queries answer through an out parameter. Operations a driver leaves empty are
// the layer's defaults (see RddDefaults.cpp). The layer calls every operation with the
// area current, so callbacks that read fields (keys, conditions, filters) read that area.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Expr.h"
#include "Value.h"

struct FieldDesc {
    std::string name;  // upper case
    char type = 'C';   // C N L D M
    int len = 0;
    int dec = 0;
};
using Structure = std::vector<FieldDesc>;

// Evaluated in the current area: keys, FOR and WHILE conditions, filters, progress.
using Block = std::function<Value()>;

struct OpenInfo {
    std::string file;  // as the caller gave it
    std::string alias;
    bool shared = true;
    bool readOnly = false;
};

// The condition of the next order creation, fields in the order ORDCONDSET takes them.
struct OrderCondition {
    std::string forText;
    Block forBlock;
    bool all = false;
    Block whileBlock;
    Block evalBlock;  // progress; its result decides whether to go on
    long evalStep = 0;
    long startRecord = 0;
    long next = 0;
    long record = 0;
    bool rest = false;
    bool descending = false;
    bool additive = false;
    bool useCurrent = false;
    bool custom = false;
    bool noOptimize = false;
    std::string whileText;
    bool temporary = false;
    bool useFilter = false;
    bool exclusive = false;
    // Filled by the layer when it compiled forText itself (lets drivers skip needless work).
    std::shared_ptr<const CompiledExpr> forExpr;
};

struct OrderCreateInfo {
    std::string bag;
    std::string tag;
    std::string keyText;
    Block keyBlock;
    bool unique = false;
    std::shared_ptr<const CompiledExpr> keyExpr;  // when the layer compiled keyText
    std::optional<OrderCondition> condition;      // the pending ORDCONDSET, if any
};

// Order information requests.
enum DbOrderInfo : int {
    DBOI_CONDITION = 1,
    DBOI_EXPRESSION = 2,
    DBOI_POSITION = 3,
    DBOI_RECNO = 4,
    DBOI_NAME = 5,
    DBOI_NUMBER = 6,
    DBOI_BAGNAME = 7,
    DBOI_BAGEXT = 8,
    DBOI_ORDERCOUNT = 9,
    DBOI_KEYCOUNT = 26,
    DBOI_SCOPETOP = 39,
    DBOI_SCOPEBOTTOM = 40,
    DBOI_SCOPETOPCLEAR = 41,
    DBOI_SCOPEBOTTOMCLEAR = 42,
};

struct OrderInfo {
    Value order;          // tag name, 1-based number, or NIL for the current order
    std::string bag;
    bool hasNewValue = false;
    Value newValue;       // a scope value to set; NIL clears
    Value result;
};

struct OrderListInfo {
    std::string bag;
    Value focus;   // ORDLSTFOCUS: a tag name or number to select
    Value result;  // ORDLSTFOCUS: the tag that was current
};

// Table information requests.
enum DbInfo : int {
    DBI_ISDBF = 1,
    DBI_FULLPATH = 10,
    DBI_TABLEEXT = 27,
    DBI_SHARED = 36,
};
// Driver information requests.
enum RddInfo : int { RDDI_TABLEEXT = 5, RDDI_ORDBAGEXT = 6 };

struct LockInfo {
    long record = 0;    // 0: the current record
    bool file = false;  // a file lock request
    bool result = false;
};

struct FilterInfo {
    Block block;
    std::string text;
};

struct RddNode;

// The layer's part of a work area; a driver derives its area state from it.
class Area {
public:
    virtual ~Area() = default;

    int areaNo = 0;
    std::string alias;
    const RddNode* rdd = nullptr;
    Structure fields;
    uint64_t stamp = 0;  // unique per open table, never reused
    std::optional<OrderCondition> pendingCondition;
    FilterInfo filter;  // block empty: no filter

    int fieldPos(const std::string& upperName) const;  // 1-based, 0 when absent

private:
    friend bool areaOpenBase(Area&, const OpenInfo&);
    std::unordered_map<std::string, int> index_;
};

struct RddFuncTable {
    bool (*init)() = nullptr;  // once, when the driver is registered
    std::unique_ptr<Area> (*newArea)() = nullptr;
    bool (*createFields)(Area&, const Structure&) = nullptr;
    bool (*create)(Area&, const OpenInfo&) = nullptr;
    bool (*open)(Area&, const OpenInfo&) = nullptr;
    bool (*close)(Area&) = nullptr;
    bool (*getValue)(Area&, int field, Value& out) = nullptr;
    bool (*putValue)(Area&, int field, const Value&) = nullptr;
    // Writes values[i] into field firstField + i, skipping NIL; all or nothing.
    bool (*putRecord)(Area&, int firstField, const std::vector<Value>& values) = nullptr;
    bool (*goTo)(Area&, long rec) = nullptr;
    bool (*goToId)(Area&, const Value& id) = nullptr;
    bool (*goTop)(Area&) = nullptr;
    bool (*goBottom)(Area&) = nullptr;
    bool (*skip)(Area&, long n) = nullptr;
    bool (*skipRaw)(Area&, long n) = nullptr;
    bool (*skipFilter)(Area&, long direction) = nullptr;
    bool (*setFilter)(Area&, const FilterInfo&) = nullptr;
    bool (*clearFilter)(Area&) = nullptr;
    bool (*filterText)(Area&, std::string& out) = nullptr;
    bool (*bof)(Area&, bool& out) = nullptr;
    bool (*eof)(Area&, bool& out) = nullptr;
    bool (*found)(Area&, bool& out) = nullptr;
    bool (*seek)(Area&, bool soft, const Value& key, bool last) = nullptr;
    bool (*deleteRec)(Area&) = nullptr;
    bool (*recall)(Area&) = nullptr;
    bool (*deleted)(Area&, bool& out) = nullptr;
    bool (*append)(Area&, bool unlockAll) = nullptr;
    bool (*lock)(Area&, LockInfo&) = nullptr;
    bool (*unlock)(Area&, long rec) = nullptr;  // 0: every lock of the area
    bool (*recId)(Area&, Value& out) = nullptr;
    bool (*recNo)(Area&, long& out) = nullptr;
    bool (*recCount)(Area&, long& out) = nullptr;
    bool (*pack)(Area&) = nullptr;
    bool (*zap)(Area&) = nullptr;
    bool (*info)(Area&, int what, Value& out) = nullptr;
    bool (*flush)(Area&) = nullptr;
    bool (*ordListAdd)(Area&, OrderListInfo&) = nullptr;
    bool (*ordListClear)(Area&) = nullptr;
    bool (*ordListFocus)(Area&, OrderListInfo&) = nullptr;
    bool (*ordCreate)(Area&, const OrderCreateInfo&) = nullptr;
    bool (*ordInfo)(Area&, int what, OrderInfo&) = nullptr;
    bool (*rddInfo)(int what, Value& out) = nullptr;
};

// Driver kinds for RDDREGISTER.
enum RddKind : int { RDT_FULL = 1, RDT_TRANSFER = 2 };

struct RddNode {
    std::string name;  // upper case
    int id = -1;
    int kind = RDT_FULL;
    RddFuncTable funcs;
};

// A driver's entry point: fills `table` and keeps the driver number the layer assigns.
using RddGetFuncTable = bool (*)(RddFuncTable& table, int driverId);

// Makes a driver known by name so RDDREGISTER can install it.
void rddProvide(const std::string& name, RddGetFuncTable entry);
