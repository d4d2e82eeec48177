#pragma once
// The record buffer: an in-memory copy of one record of one open table. Data-entry
// dialogs edit the buffer and write it back in one step, under a record lock, when the
// user accepts. Fields are reached by name (`field`/`setField`), by position
// (`fieldGet`/`fieldPut`) or as the whole value list `aDatos`. Navigation and order
// operations are forwarded to the work area, the buffer reloading itself after each move;
// child buffers can follow it through relations.
//
// A buffer is held by whoever created it (usually through a shared_ptr, so that other
// buffers can relate to it) and never closes its area by itself. Every operation on the
// table runs in the buffer's own work area and restores the caller's current area.
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Rdd.h"
#include "Value.h"

class uDBF : public Object {
  public:
    using Hook = std::function<void(uDBF&)>;
    using KeyFn = std::function<Value(uDBF&)>;
    using Condition = std::function<bool(uDBF&)>;
    struct Relation {
        std::shared_ptr<uDBF> child;
        KeyFn key;
    };
    // The scope and callables of `dbEval`. An empty forCond admits every record, an empty
    // whileCond sets no limit; both see the buffer before it is reloaded for the record
    // under test, so they read that record through the area.
    struct EvalArgs {
        Hook each;
        Condition forCond;
        Condition whileCond;
        long next = 0;
        long record = 0;
        bool rest = false;
    };

    // A buffer on `alias` (the current area's when empty), holding its current record.
    // An alias that is not open raises the layer's error and unwinds.
    explicit uDBF(const std::string& alias = "");

    std::string className() const override { return "UDBF"; }
    std::vector<std::pair<std::string, Value>> members() const override;

    // ---- data ------------------------------------------------------------------------
    std::span<Value> aDatos() { return values_; }
    std::span<const Value> aDatos() const { return values_; }
    const std::vector<std::string>& aCampos() const { return names_; }
    const std::vector<Relation>& aRelacion() const { return relations_; }
    const std::string& cAlias() const { return alias_; }
    int nArea() const { return area_; }

    Hook bChange;           // after every load through change (and blank)
    Hook bSave;             // at the start of save
    Hook bSaved;            // at the end of save, also after a refused lock
    bool lDirecto = false;  // fieldGet/fieldPut go straight to the table
    bool lOem = false;      // text is stored in code page 850 and handled in Windows-1252
    long nRegistro = 0;     // the record the buffer belongs to
    bool lGuardado = false;  // the last save wrote the record (false: refused lock or value)

    // ---- navigation, each followed by change -----------------------------------------
    uDBF& dbGoTo(long record);
    uDBF& dbGoTop();
    uDBF& dbGoBottom();
    uDBF& dbSkip(long n = 1);
    bool dbSeek(const Value& key, bool softSeek = false, bool last = false);
    bool eof();
    bool bof();

    // load, then seek every related child with its key, then bChange.
    uDBF& change();
    // Reads every field into aDatos; with `again` from record nRegistro, otherwise
    // nRegistro takes the area's current record first.
    uDBF& load(bool again = false);
    // Writes aDatos back to record nRegistro (see uDbf.cpp for the steps). keepLock given
    // (any non-NIL value) keeps the record lock; commit false skips the commit.
    uDBF& save(const Value& keepLock = Value(), const Value& commit = Value());
    // The empty value of every field, with relations and bChange, position unchanged.
    uDBF& blank();

    // ---- fields ----------------------------------------------------------------------
    // Positions outside 1..fCount raise the "BASE" bound error and unwind.
    Value fieldGet(int n);
    // Direct mode writes the table first (no lock); a value the table refuses leaves the
    // buffer unchanged and answers NIL.
    Value fieldPut(int n, const Value& value);
    int fieldPos(std::string_view name) const;  // 0 when absent
    std::string fieldName(int n) const;         // "" outside 1..fCount
    // By name, always from and into aDatos (also in direct mode). A name that is no field
    // raises "Variable does not exist" ("BASE" 1003 reading, 1004 assigning) and unwinds.
    const Value& field(std::string_view name) const;
    void setField(std::string_view name, const Value& value);

    // ---- records and locks -----------------------------------------------------------
    long recNo() const { return nRegistro; }
    int fCount() const { return int(names_.size()); }
    bool rLock();  // RBLOQUEAR in the area
    void dbCommit();
    void dbRUnlock(long record = 0);
    // Appends a blank record; nRegistro becomes its number, aDatos is left as it is.
    bool dbAppend(bool releaseLocks = true);
    bool dbDelete();  // under rLock, which is kept
    bool dbRecall();
    bool deleted();
    bool netErr(std::optional<bool> set = std::nullopt);

    // ---- area ------------------------------------------------------------------------
    void dbSelectArea();
    void dbCloseArea();
    int select() const { return area_; }

    // ---- orders, scopes, filters -----------------------------------------------------
    std::string ordSetFocus(const Value& tag = Value(), const std::string& bag = "");
    uDBF& setScope(const Value& top, const Value& bottom = Value());
    Value ordScope(int which, const Value& value = Value());
    long ordKeyNo();
    long ordKeyCount();
    std::string indexKey();
    bool found();
    Value dbOrderInfo(int what, const std::string& bag = "", const Value& order = Value(),
                      const Value& newValue = Value(), bool hasNewValue = false);
    // A text condition is compiled and kept as the filter text; a malformed text raises
    // the syntax error and leaves the filter as it was.
    uDBF& dbSetFilter(const std::string& condition);
    uDBF& dbSetFilter(Block condition, const std::string& text = "");
    void dbClearFilter();

    // ---- relations and loops ---------------------------------------------------------
    // Without `additive` the relation list becomes just this one; with it the key of an
    // existing relation to the same child is replaced, or the relation is appended. A null
    // child removes every relation. A text key is an expression evaluated in this buffer's
    // area, where "self:NAME" (or SELF->NAME) reads the buffer's own field NAME.
    uDBF& dbSetRelation(std::shared_ptr<uDBF> child, KeyFn key, bool additive = false);
    uDBF& dbSetRelation(std::shared_ptr<uDBF> child, const std::string& keyText,
                        bool additive = false);
    uDBF& dbDelRelation(const std::shared_ptr<uDBF>& child = nullptr);
    uDBF& dbEval(const EvalArgs& args);

  private:
    template <class F>
    auto inArea(F&& f);
    Value readField(int n);
    // The value as it goes into the table; false (error raised) when it cannot.
    bool toTable(const Value& value, Value* out) const;
    void checkPosition(int n, const char* operation) const;
    void cascade();
    void writeBack(const Value& keepLock, const Value& commit);

    std::vector<Value> values_;
    std::vector<std::string> names_;
    std::vector<Relation> relations_;
    std::string alias_;
    int area_ = 0;
    bool cascading_ = false;  // a relation leading back here is not followed again
};
