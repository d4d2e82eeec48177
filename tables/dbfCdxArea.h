#pragma once
// Work-area state of the disk driver DBFCDX and the helpers its operation files share.
//
// Lock scheme (one-byte semaphores beyond the data, never the bytes a reader needs):
//   open marker   0x7FFFFFFF, 1 byte: read lock while open shared, write lock while
//                 open exclusively; held until the area closes.
//   header        0x7FFFFFFE, 1 byte: held while appending (or rewriting the count).
//   record n      0x7FFFFFFE - n, 1 byte.
//   file lock     0x7FFFFFFE - Nmax .. 0x7FFFFFFE, where Nmax = (2^31 - H - 2) / (R + 1)
//                 (H header length, R record length): every record byte and the header.
//   memo file     0x7FFFFFFE of the .fpt, 1 byte, while a shared area stores memos.
//   commit        0x80000000, 1 byte: held while a change goes through the journal and
//                 while a journal left behind is applied (beyond the bytes other programs
//                 lock, so it never blocks them).
// Each area opens its own descriptors, so areas of one process conflict like processes.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Rdd.h"
#include "cdxReader.h"
#include "dbfCdxFile.h"
#include "dbfCdxIndex.h"
#include "dbfTable.h"

namespace dbfcdx {

constexpr uint64_t kOpenMarker = 0x7FFFFFFFu;
constexpr uint64_t kHeaderLock = 0x7FFFFFFEu;
constexpr uint64_t kCommitLock = 0x80000000u;

struct DbfCdxArea : Area {
    std::shared_ptr<TableFile> file;
    std::shared_ptr<TableFile> memoFile;
    std::unique_ptr<dbf::DbfTable> table;
    std::string path;   // full path of the table file
    std::string given;  // the name as the caller gave it (for error records)
    bool shared = false;
    bool readOnly = false;
    bool dirty = false;  // changed since the last commit: closing commits
    int changeDepth = 0; // nesting of Transaction objects

    long recNo = 1;
    bool bof = true, eof = true, found = false;
    // The current record, read on every move; fields are decoded when first asked for.
    std::string raw;
    std::vector<Value> record;
    std::vector<uint8_t> decoded;
    bool deleted = false;

    std::set<long> locks;  // record locks held through this area
    bool fileLocked = false;

    std::unique_ptr<DiskIndex> index;  // the open order bag, if any
    int order = 0;                     // current tag, 1-based; 0 = natural order
    // The current order's cursor while it stands on the current record's entry.
    std::unique_ptr<cdx::CdxCursor> cursor;
    int cursorOrder = 0;
    long cursorRec = 0;
    uint64_t cursorVersion = 0;
    uint64_t cursorReader = 0;  // serial of the reader the cursor reads

    ~DbfCdxArea() override;
    bool atEnd() const { return eof || recNo < 1 || recNo > long(table->recordCount()); }
    long count() const { return long(table->recordCount()); }
    uint64_t fileLockStart() const;
    uint64_t fileLockLength() const;
};

inline DbfCdxArea& state(Area& a) {
    return static_cast<DbfCdxArea&>(a);
}

// One change of the area's files (a record stored, appended, deleted or recalled, a tag
// added): the files hold their writes until commit() sends them to the disk through the
// journal, all or nothing. Nested transactions join the outermost one, which alone
// commits; one that ends uncommitted drops every held write and reads the files again, so
// a refused or failed change leaves the table, its memos and its index as they were.
class Transaction {
  public:
    explicit Transaction(DbfCdxArea& s);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    // False when a journal left by another copy could not be applied (error raised).
    bool ok() const { return ok_; }
    // False with an error record raised; the change is then dropped.
    bool commit();

  private:
    void drop();
    DbfCdxArea& s_;
    bool outer_;
    bool ok_ = true;
    bool done_ = false;
};

// Applies a journal that a writer left behind when it stopped (a crash, a kill), under
// the commit lock; true when there was none or it was applied (the area's view of its
// files is then read again), false with an error record.
bool recoverIfNeeded(DbfCdxArea& s);

// Raises a DBFCDX error record.
void raise(int genCode, int subCode, const std::string& description, const std::string& file,
           bool canDefault = false, bool canRetry = false);
// Turns a failed codec status into an error record (read, write or corruption).
void raiseStatus(const Status& s, bool writing, const std::string& file);

// Rebuilds the codec over the same descriptors when `force` or when the header's record
// count changed on disk (another area or process appended); false on error (raised).
bool reload(DbfCdxArea& s, bool force);
// Reads the record count from the header and reloads when it changed (shared opens only).
bool refreshCount(DbfCdxArea& s);
// Positions on `rec` as the memory engine does (0 or past the end: end of file; below 1:
// record 1 with the beginning flag) and reads the record buffer.
void goToRecord(DbfCdxArea& s, long rec);
void goToEof(DbfCdxArea& s);
// Field `field` (1-based) of the current record; the empty value at the end of file.
const Value& fieldValue(DbfCdxArea& s, int field);
// Every field of the current record.
std::vector<Value> recordValues(DbfCdxArea& s);

// Navigation (dbfCdxNavigate.cpp).
bool DC_GOTO(Area& a, long rec);
bool DC_SKIPRAW(Area& a, long n);
bool DC_SKIPFILTER(Area& a, long direction);
bool DC_GOTOP(Area& a);
bool DC_GOBOTTOM(Area& a);
bool DC_SETFILTER(Area& a, const FilterInfo& info);
bool DC_CLEARFILTER(Area& a);
bool DC_BOF(Area& a, bool& out);
bool DC_EOF(Area& a, bool& out);
bool DC_FOUND(Area& a, bool& out);
bool DC_RECID(Area& a, Value& out);
bool DC_RECNO(Area& a, long& out);
bool DC_RECCOUNT(Area& a, long& out);

// Navigation in the current order within its scopes (dbfCdxOrder.cpp).
bool orderedEnd(DbfCdxArea& s, bool top);
bool orderedSkipRaw(DbfCdxArea& s, long n);
bool DC_SEEK(Area& a, bool soft, const Value& key, bool last);
bool DC_ORDLSTADD(Area& a, OrderListInfo& info);
bool DC_ORDLSTCLEAR(Area& a);
bool DC_ORDLSTFOCUS(Area& a, OrderListInfo& info);
bool DC_ORDCREATE(Area& a, const OrderCreateInfo& info);
bool DC_ORDINFO(Area& a, int what, OrderInfo& info);

// Record operations (dbfCdxRecord.cpp).
bool DC_GETVALUE(Area& a, int field, Value& out);
bool DC_PUTVALUE(Area& a, int field, const Value& v);
bool DC_PUTREC(Area& a, int firstField, const std::vector<Value>& values);
bool DC_DELETE(Area& a);
bool DC_RECALL(Area& a);
bool DC_DELETED(Area& a, bool& out);
bool DC_APPEND(Area& a, bool unlockAll);
bool DC_LOCK(Area& a, LockInfo& li);
bool DC_UNLOCK(Area& a, long rec);
bool DC_PACK(Area& a);
bool DC_ZAP(Area& a);
bool DC_FLUSH(Area& a);
// Writes the header's date and count and syncs; `closing` never waits for the header lock.
bool commitTable(DbfCdxArea& s, bool closing);

}  // namespace dbfcdx
