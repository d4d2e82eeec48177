#pragma once
// The table layer: numbered work areas with aliases, the current area, drivers by name,
// global settings and the network-error flag. Every operation acts on the current work
// area and dispatches to the driver the table was created or opened with.
//
// Work areas are numbered from 1; an alias is unique among open areas and upper case.
// Failures that the system reports (missing table, lock conflicts, bad keys) go through
// the error handler (Error.h) as error records; the operation then answers failure.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Rdd.h"
#include "Value.h"

// ---- global settings -------------------------------------------------------------------
struct TableSettings {
    bool hideDeleted = false;   // skip deleted records while navigating
    bool exclusive = true;      // open tables exclusively unless told otherwise
    std::string path;           // search path for table files
    std::string defaultFolder;  // folder for new and relative table files
    bool autoOpen = true;       // open a table's production index with it
    bool exact = false;         // "=" between texts compares whole texts
};
TableSettings& tableSettings();

// ---- drivers ---------------------------------------------------------------------------
// Registers a driver made known with rddProvide: 0 registered, 1 already registered,
// 3 unknown or failed.
int RDDREGISTER(const std::string& name, int kind = RDT_FULL);
// Selects the default driver (when a name is given) and returns the previous default.
std::string RDDSETDEFAULT(const std::string& name = "");
// Driver information (RDDI_TABLEEXT ...) of `driver`, the default one when empty.
Value RDDINFO(int what, const Value& newValue = Value(), const std::string& driver = "");
const RddNode* rddFind(const std::string& name);

// ---- areas -----------------------------------------------------------------------------
bool DBCREATE(const std::string& file, const Structure& structure, const std::string& driver = "",
              bool keepOpen = false, const std::string& alias = "");
// `shared` absent: the opposite of the exclusive setting.
bool DBUSEAREA(bool newArea, const std::string& driver, const std::string& file,
               const std::string& alias = "", std::optional<bool> shared = std::nullopt,
               bool readOnly = false);
void DBCLOSEAREA();
void DBCLOSEALL();
// By number (0 selects the lowest free area) or alias ("0" likewise). False when the alias
// is not open (an error record is raised for it).
bool DBSELECTAREA(int area);
bool DBSELECTAREA(const std::string& alias);
// Area number of `alias` (0 when not open); of the current area when empty.
int SELECT(const std::string& alias = "");
std::string ALIAS(int area = 0);
std::string RDDNAME();
bool USED();

// Evaluates `fn` with the area of `alias` current and restores the previous current area,
// also when `fn` unwinds. An alias that is not open raises an error and answers NIL.
Value evalInAlias(const std::string& alias, const std::function<Value()>& fn);

// ---- navigation ------------------------------------------------------------------------
bool DBGOTOP();
bool DBGOBOTTOM();
bool DBSKIP(long n = 1);
bool DBGOTO(long rec);
long RECNO();
long LASTREC();
bool EOF_();
bool BOF();
bool FOUND();
bool DBSEEK(const Value& key, bool soft = false, bool last = false);

// ---- orders ----------------------------------------------------------------------------
// The condition of the next ORDCREATE in the current area. A FOR text without a callable
// is compiled here.
bool ORDCONDSET(const OrderCondition& condition);
// Creates (or replaces) tag `tag` and makes it current. Without `keyBlock` the key text is
// compiled here; a malformed text raises a syntax error record that names the position.
bool ORDCREATE(const std::string& bag, const std::string& tag, const std::string& keyText,
               Block keyBlock = {}, bool unique = false);
bool ORDLISTADD(const std::string& bag, const std::string& tag = "");
void ORDLISTCLEAR();
// Selects a tag by name or 1-based number (0 or an unknown name: natural order) and returns
// the tag that was current. NIL changes nothing.
std::string ORDSETFOCUS(const Value& tag = Value(), const std::string& bag = "");
// 0: top, 1: bottom. With a value sets the scope, with NIL clears it; returns the previous.
Value ORDSCOPE(int which, const Value& value = Value());
Value ORDSCOPE(int which, std::nullopt_t);  // asks without changing
long ORDKEYNO();
long ORDKEYCOUNT();
std::string INDEXKEY(int order = 0);
std::string INDEXEXT();
std::string ORDNAME(int order = 0);
int ORDNUMBER(const std::string& tag = "");
std::string ORDFOR(int order = 0);
Value DBORDERINFO(int what, const std::string& bag = "", const Value& order = Value(),
                  const Value& newValue = Value(), bool hasNewValue = false);

// ---- records ---------------------------------------------------------------------------
bool DBAPPEND(bool unlockAll = true);
bool DBDELETE();
bool DBRECALL();
bool DELETED();
bool RLOCK();
bool DBRLOCK(long rec = 0);
bool FLOCK();
void DBRUNLOCK(long rec = 0);
void DBUNLOCK();
void DBUNLOCKALL();
void DBCOMMIT();
void DBCOMMITALL();
Value FIELDGET(int n);
// Returns the value written, NIL when the write failed.
Value FIELDPUT(int n, const Value& v);
// Writes a whole record at once, as a record buffer saves it: values[i] goes into field
// firstField + i, NIL values are skipped. Every value is checked before anything is
// written, and the orders are brought up to date once. False (with the error record of the
// first bad value) when any value cannot be stored; then nothing changes.
bool DBPUTREC(const std::vector<Value>& values, int firstField = 1);
std::string FIELDNAME(int n);
int FIELDPOS(const std::string& name);
int FCOUNT();
Structure DBSTRUCT();

// Calls `block` for each record in range: from the top (or the current record with
// `rest`, `next` or `record`), while `whileBlock` holds, for the records `forBlock` admits.
struct DbEvalScope {
    Block forBlock;
    Block whileBlock;
    long next = 0;
    long record = 0;
    bool rest = false;
};
void DBEVAL(const Block& block, const DbEvalScope& scope = {});

bool DBSETFILTER(const Block& block, const std::string& text = "");
void DBCLEARFILTER();
std::string DBFILTER();

bool DBPACK_();
bool DBZAP_();

Value DBINFO(int what, const Value& newValue = Value());

// Reads, and with a value sets, the network-error flag.
bool NETERR(std::optional<bool> set = std::nullopt);

// ---- for drivers -----------------------------------------------------------------------
// Opens the base part of an area: alias (derived from the file name when empty, checked for
// uniqueness), field index and stamp. Raises the "Alias already in use" error and fails
// when another open area has the alias.
bool areaOpenBase(Area& area, const OpenInfo& info);
void areaCloseBase(Area& area);
// The base name of a file path, without folder and extension, upper case.
std::string aliasFromFile(const std::string& file);
int currentAreaNo();
Area* currentArea();
// Compiles `text` into a block that evaluates in the current area; raises the syntax error
// record and answers an empty block when it does not compile.
Block compileBlock(const std::string& text, std::shared_ptr<const CompiledExpr>* compiled = nullptr);
// The host through which compiled expressions read the work areas.
ExprHost& layerExprHost();
