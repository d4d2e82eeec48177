#pragma once
// A DBF table on a File, with its FPT memo file when it has memo fields: create, open,
// read and write records as Values, append, mark deleted, and keep the header current.
// Records are numbered from 1. Locking and indexes belong to the driver above.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Date.h"
#include "Rdd.h"
#include "Status.h"
#include "Value.h"
#include "dbfCodePage.h"
#include "dbfFormat.h"
#include "dbfMemo.h"
#include "fileIo.h"

namespace dbf {

class DbfTable {
  public:
    struct Options {
        // Code page of tables whose header does not name one we know.
        int defaultCodePage = 1252;
        // Date written to the header on changes; empty means today.
        Date today;
    };

    // `memo` may be null when the structure has no memo field.
    static Status create(std::unique_ptr<File> file, std::unique_ptr<File> memo,
                         const Structure& structure, const Options& options,
                         std::unique_ptr<DbfTable>* out);
    // `memo` may be null when the table has no memo field.
    static Status open(std::unique_ptr<File> file, std::unique_ptr<File> memo,
                       const Options& options, std::unique_ptr<DbfTable>* out);

    const std::string& name() const { return file_->name(); }
    uint32_t recordCount() const { return layout_.header.recordCount; }
    const DbfLayout& layout() const { return layout_; }
    const CodePage& codePage() const { return *codePage_; }
    Structure structure() const;

    Status read(uint32_t recno, std::vector<Value>* values, bool* deleted);
    // The raw bytes of an existing record (byte 0 is the deletion mark), and one field
    // (0-based) decoded from them: for readers that need only some fields.
    Status readRaw(uint32_t recno, std::string* raw);
    // While on, a record read fetches the records after it too, and later reads of those
    // come from memory: for a scan of a table that nobody else changes meanwhile.
    void setReadAhead(bool on);
    Status decodeRaw(uint32_t recno, std::string_view raw, size_t field, Value* out);
    // Writes every field of record `recno` (NIL leaves a field as it is).
    Status write(uint32_t recno, const std::vector<Value>& values);
    // Adds a record after the last one; NIL fields are left empty.
    Status append(const std::vector<Value>& values, uint32_t* recno);
    // Adds a record as append() does, for a writer that has the table to itself (a file
    // being made): the records gather in memory and reach the file in large writes, each
    // followed by the header's count. Any other call on the table writes them first; so
    // does flushBatch(), and commit().
    Status appendBatched(const std::vector<Value>& values, bool deleted);
    Status flushBatch();
    Status setDeleted(uint32_t recno, bool deleted);
    // Rewrites the header's date and record count and flushes both files.
    Status commit();
    // Writes the table without its deleted records to `out` (emptied first), one record at
    // a time; their memos go to the fresh memo file `memoOut` (null when the table has no
    // memo file), so the memos of deleted records and replaced texts are left behind.
    Status packTo(File* out, std::unique_ptr<File> memoOut, uint32_t* kept);

  private:
    DbfTable() = default;
    Status error(Status s) const;
    Status checkRecno(uint32_t recno) const;
    uint64_t recordOffset(uint32_t recno) const {
        return layout_.header.headerLength + uint64_t(recno - 1) * layout_.header.recordLength;
    }
    Status decodeField(const FieldDescriptor& f, std::string_view raw, Value* out);
    // Fills the field's bytes; a memo's text goes to `memoBytes` for storeMemo().
    Status encodeField(const FieldDescriptor& f, const Value& v, char* dst, std::string* memoBytes);
    Status storeMemo(const FieldDescriptor& f, std::string_view bytes, char* dst);
    // The memo block number held in a memo field's bytes (0: no memo), and its encoding.
    static uint32_t memoBlockAt(const FieldDescriptor& f, const char* field);
    static void putMemoBlock(const FieldDescriptor& f, uint32_t block, char* field);
    Status encodeRecord(const std::vector<Value>& values, std::string* raw);
    Status writeHeaderCount();
    void stampDate();

    std::unique_ptr<File> file_;
    std::unique_ptr<FptMemo> memo_;
    DbfLayout layout_;
    const CodePage* codePage_ = nullptr;
    Options options_;
    std::string batch_;       // records added by appendBatched() not yet written
    uint32_t batchFirst_ = 0;  // number of the first of them
    std::string encoded_;      // appendBatched()'s record, kept for its buffer
    bool readAhead_ = false;
    uint32_t aheadFirst_ = 0, aheadCount_ = 0;  // records held in aheadBytes_
    std::string aheadBytes_;
};

}  // namespace dbf
