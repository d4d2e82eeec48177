// Treats the input as a DBF table, followed by its FPT memo file when the input holds the
// separator below: opens the table, reads the structure, every record and every memo, then
// edits a copy (rewrites record 1 with its own values, flips its deletion flag, appends a
// record) and reads it again. Also decodes the memo file alone block by block. Nothing may
// crash or read out of bounds; every failure must be a status.
//
// The seeds in corpus/dbf are tables our codec wrote (with and without memos, the memo
// file after the separator) and truncated copies of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbfTable.h"

using namespace dbf;

namespace {

constexpr std::string_view kMemoSeparator = "\n--FPT--\n";
// Reads stop here so one input cannot take seconds.
constexpr uint32_t kMaxRecords = 2000;
constexpr uint32_t kMaxMemoBlocks = 256;

std::unique_ptr<File> memoryFile(const char* name, std::string_view bytes) {
    return std::make_unique<MemoryFile>(name, std::make_shared<std::string>(bytes));
}

void readMemoAlone(std::string_view bytes) {
    std::unique_ptr<FptMemo> memo;
    if (!FptMemo::open(memoryFile("fuzz.fpt", bytes), &memo).ok()) return;
    std::string data;
    uint32_t type = 0;
    for (uint32_t b = memo->firstBlock(), n = 0; b < memo->nextFree() && n < kMaxMemoBlocks;
         ++b, ++n)
        (void)memo->read(b, &data, &type);
}

void readAll(DbfTable& t) {
    (void)t.structure();
    std::vector<Value> values;
    bool deleted = false;
    for (uint32_t n = 1; n <= t.recordCount() && n <= kMaxRecords; ++n)
        (void)t.read(n, &values, &deleted);
}

void editAndReread(DbfTable& t) {
    std::vector<Value> values;
    bool deleted = false;
    if (t.recordCount() > 0 && t.read(1, &values, &deleted).ok()) {
        (void)t.write(1, values);
        (void)t.setDeleted(1, !deleted);
    }
    uint32_t recno = 0;
    std::vector<Value> empty(t.layout().fields.size());
    if (!values.empty()) (void)t.append(values, &recno);
    (void)t.append(empty, &recno);
    (void)t.commit();
    readAll(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string_view table = in, memo;
    bool hasMemo = false;
    if (size_t cut = in.find(kMemoSeparator); cut != std::string_view::npos) {
        table = in.substr(0, cut);
        memo = in.substr(cut + kMemoSeparator.size());
        hasMemo = true;
        readMemoAlone(memo);
    }
    DbfLayout layout;
    (void)layout.decodeFrom(table);

    DbfTable::Options options;
    options.today = Date::fromYmd(2024, 7, 15);
    std::unique_ptr<DbfTable> t;
    if (!DbfTable::open(memoryFile("fuzz.dbf", table),
                        hasMemo ? memoryFile("fuzz.fpt", memo) : nullptr, options, &t)
             .ok())
        return 0;
    readAll(*t);
    editAndReread(*t);
    return 0;
}
