// Packing a DBF table: its live records copied to another file one at a time, with their
// memos copied to a fresh memo file and the block numbers in the records changed to match.
#include "dbfTable.h"

namespace dbf {

namespace {
constexpr size_t kFlushBytes = 1 << 20;
}

Status DbfTable::packTo(File* out, std::unique_ptr<File> memoOut, uint32_t* kept) {
    *kept = 0;
    const DbfHeader& h = layout_.header;
    std::string head;
    Status s = flushBatch();
    if (s.ok()) s = file_->read(0, h.headerLength, &head);
    if (s.ok() && head.size() != h.headerLength)
        s = error(Status::Corruption("the header is cut short"));
    std::unique_ptr<FptMemo> memo;
    if (s.ok() && memoOut) {
        if (!memo_) return error(Status::InvalidArgument("the table has no memo file to pack"));
        s = FptMemo::create(std::move(memoOut), memo_->blockSize(), &memo);
    }
    if (s.ok()) s = out->truncate(0);
    uint64_t at = head.size();
    std::string pending, raw, text;
    for (uint32_t rec = 1; s.ok() && rec <= h.recordCount; ++rec) {
        s = readRaw(rec, &raw);
        if (!s.ok() || raw[0] == '*') continue;
        for (const FieldDescriptor& f : layout_.fields) {
            if (f.type != 'M' || !memo) continue;
            uint32_t block = memoBlockAt(f, raw.data() + f.offset), type = FptMemo::kTypeText;
            if (block == 0) continue;
            s = memo_->read(block, &text, &type);
            if (s.ok()) s = memo->append(text, type, &block);
            if (!s.ok()) break;
            putMemoBlock(f, block, raw.data() + f.offset);
        }
        pending += raw;
        ++*kept;
        if (s.ok() && pending.size() >= kFlushBytes) {
            s = out->write(at, pending);
            at += pending.size();
            pending.clear();
        }
    }
    pending.push_back(kEndOfFile);
    if (s.ok()) s = out->write(at, pending);
    putLe32(head.data() + 4, *kept);
    if (s.ok()) s = out->write(0, head);
    if (s.ok()) s = out->sync();
    if (s.ok() && memo) s = memo->sync();
    return s;
}

}  // namespace dbf
