#pragma once
// Internal data of the in-memory engine: tables, their orders and the per-area state.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Rdd.h"
#include "orderEntries.h"
#include "rowStore.h"

struct RecordInfo {
    bool deleted = false;
    int lockOwner = 0;  // area number holding the record lock, 0 when unlocked
};

// Which record changes can alter an order's key or FOR result: the fields it reads (by
// 1-based position), the deleted flag, or anything (an opaque callable, recNo(), ...).
struct OrderDeps {
    std::vector<bool> fields;
    bool deleted = false;
    bool everything = true;
    bool touchedBy(int field) const {
        return everything || (field > 0 && size_t(field) < fields.size() && fields[size_t(field)]);
    }
};

struct MemoryOrder {
    std::string tag;
    std::string keyText;
    Block keyBlock;
    std::optional<OrderCondition> condition;
    OrderEntries entries;
    OrderDeps deps;  // of key and FOR together
};

struct MemoryTable {
    std::string name;
    RowStore rows;
    std::vector<RecordInfo> info;
    int openCount = 0;
    bool exclusive = false;
    Structure structure;
    std::vector<std::unique_ptr<MemoryOrder>> orders;
    Array blank;

    long count() const { return rows.count(); }
    // A new record's values: the empty value of every field.
    const Array& blankRow() {
        if (blank.size() != structure.size()) {
            blank.clear();
            for (const FieldDesc& f : structure) blank.push_back(Value::emptyOf(f.type, f.len));
        }
        return blank;
    }
    // Rows may have been added to a shared row array behind the engine's back.
    RecordInfo& infoOf(long rec) {
        if (info.size() < size_t(count())) info.resize(size_t(count()));
        return info[size_t(rec - 1)];
    }
};

struct Scope {
    std::optional<Value> top;
    std::optional<Value> bottom;
};

struct AreaState : Area {
    std::shared_ptr<MemoryTable> table;
    OpenInfo openInfo;
    bool shared = false;  // opened shared (the creating area holds the table exclusively)
    long recNo = 0;
    bool bof = false;
    bool eof = false;
    bool found = false;
    std::vector<long> locks;
    int currentOrder = 0;
    std::vector<Scope> scopes;
    long keyPos = 0;  // 1-based position of the current record's entry, 0 = none
    std::vector<Value> scratch;          // converted values of a whole-record write
    std::vector<uint8_t> scratchFlags;  // which of them some key reads

    // Cached scope bounds of the current order: [first, end) positions.
    struct ScopeCache {
        const MemoryOrder* order = nullptr;
        unsigned long version = 0;
        size_t first = 0, end = 0;
        bool valid = false;
    } scopeCache;

    MemoryOrder* order(int n) const {
        return n >= 1 && n <= int(table->orders.size()) ? table->orders[size_t(n - 1)].get() : nullptr;
    }
    bool atEnd() const { return eof || recNo < 1 || recNo > table->count(); }
};

inline AreaState& state(Area& a) { return static_cast<AreaState&>(a); }

// Registry and errors (arrayRdd.cpp).
void arrayRaise(int genCode, int subCode, const std::string& description, const std::string& file,
                bool canDefault, bool canRetry = false);

// Navigation used by the order code (arrayRdd.cpp).
void goToRecord(AreaState& s, long rec);
void goToEof(AreaState& s);
bool isHidden(AreaState& s);

// Orders (arrayRddOrder.cpp).
int compareKey(const Value& stored, const Value& sought);  // prefix rule for text
int compareFull(const Value& a, const Value& b);           // total order of full keys
Value evalKey(const MemoryOrder& o);
bool evalFor(const MemoryOrder& o);
// Applies one record change to an order: `newKey`/`forNow` evaluated after the change,
// `oldKey`/`forBefore` before it (`oldKey` absent for a new record).
void MODIFYINDEX(AreaState& s, MemoryOrder& o, long rec, const Value& newKey, bool forNow,
                 const std::optional<Value>& oldKey, bool forBefore = false);
// First or last entry inside the current order's scope: [first, end) positions.
void SEEKSCOPE(AreaState& s, size_t& first, size_t& end);
long currentEntryPos(AreaState& s);  // 1-based, 0 when the current record has no entry
bool orderedGoTop(AreaState& s);
bool orderedGoBottom(AreaState& s);
bool orderedSkipRaw(AreaState& s, long n);
void rebuildAfterPack(AreaState& s, const std::vector<long>& newNumber);
OrderDeps depsOf(const Structure& st, const std::shared_ptr<const CompiledExpr>& key,
                 const std::optional<OrderCondition>& cond, bool keyOpaque);

// Operations shared between the engine's files.
bool AR_GOTOP(Area& a);
bool AR_GOBOTTOM(Area& a);
bool AR_GETVALUE(Area& a, int field, Value& out);
bool AR_PUTVALUE(Area& a, int field, const Value& v);
bool AR_PUTREC(Area& a, int firstField, const std::vector<Value>& values);
bool AR_APPEND(Area& a, bool unlockAll);
bool AR_DELETE(Area& a);
bool AR_RECALL(Area& a);
bool AR_DELETED(Area& a, bool& out);
bool AR_LOCK(Area& a, LockInfo& li);
bool AR_UNLOCK(Area& a, long rec);
bool AR_PACK(Area& a);
bool AR_ZAP(Area& a);
bool AR_SEEK(Area& a, bool soft, const Value& key, bool last);
bool AR_ORDLSTADD(Area& a, OrderListInfo& info);
bool AR_ORDLSTFOCUS(Area& a, OrderListInfo& info);
bool AR_ORDCREATE(Area& a, const OrderCreateInfo& info);
bool AR_ORDINFO(Area& a, int what, OrderInfo& info);
