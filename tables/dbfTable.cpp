#include "dbfTable.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Text.h"

namespace dbf {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

Date systemToday() {
    std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&t, &tm);
    return Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

bool readableType(char t) {
    switch (t) {
        case 'C':
        case 'N':
        case 'F':
        case 'L':
        case 'D':
        case 'M':
        case 'I':
        case 'B':
        case 'Y':
            return true;
        default:
            return false;
    }
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string fieldWhere(const FieldDescriptor& f) {
    return "field " + f.name;
}

}  // namespace

Status DbfTable::error(Status s) const {
    return withFile(file_->name(), std::move(s));
}

Status DbfTable::create(std::unique_ptr<File> file, std::unique_ptr<File> memo,
                        const Structure& structure, const Options& options,
                        std::unique_ptr<DbfTable>* out) {
    std::unique_ptr<DbfTable> t(new DbfTable());
    t->file_ = std::move(file);
    t->options_ = options;
    const CodePage* cp = CodePage::byNumber(options.defaultCodePage);
    if (!cp)
        return t->error(
            Status::NotSupported("code page " + std::to_string(options.defaultCodePage)));
    t->codePage_ = cp;
    Status s = DbfLayout::fromStructure(structure, cp->mark(), &t->layout_);
    if (!s.ok()) return t->error(s);
    if (t->layout_.hasMemo()) {
        if (!memo) return t->error(Status::InvalidArgument("memo fields need a memo file"));
        s = FptMemo::create(std::move(memo), FptMemo::kDefaultBlockSize, &t->memo_);
        if (!s.ok()) return s;
    }
    t->stampDate();
    std::string bytes;
    t->layout_.encodeTo(&bytes);
    bytes.push_back(kEndOfFile);
    s = t->file_->truncate(0);
    if (s.ok()) s = t->file_->write(0, bytes);
    if (!s.ok()) return s;
    *out = std::move(t);
    return Status::OK();
}

Status DbfTable::open(std::unique_ptr<File> file, std::unique_ptr<File> memo,
                      const Options& options, std::unique_ptr<DbfTable>* out) {
    std::unique_ptr<DbfTable> t(new DbfTable());
    t->file_ = std::move(file);
    t->options_ = options;
    uint64_t fileSize = 0;
    Status s = t->file_->size(&fileSize);
    if (!s.ok()) return s;
    std::string head;
    s = t->file_->read(0, kHeaderSize, &head);
    if (!s.ok()) return s;
    DbfHeader header;
    s = header.decodeFrom(head);
    if (!s.ok()) return t->error(s);
    s = t->file_->read(0, header.headerLength, &head);
    if (!s.ok()) return s;
    s = t->layout_.decodeFrom(head);
    if (!s.ok()) return t->error(s);
    s = t->layout_.checkFileSize(fileSize);
    if (!s.ok()) return t->error(s);
    for (const FieldDescriptor& f : t->layout_.fields) {
        if (!readableType(f.type))
            return t->error(Status::NotSupported(fieldWhere(f) + ": type '" +
                                                 std::string(1, f.type) + "' is not supported"));
    }
    t->codePage_ = CodePage::forMark(t->layout_.header.codePage, options.defaultCodePage);
    if (!t->codePage_) {
        char mark[8];
        std::snprintf(mark, sizeof mark, "0x%02X", unsigned(t->layout_.header.codePage));
        return t->error(
            Status::NotSupported(std::string("code page mark ") + mark + " is not supported"));
    }
    if (t->layout_.hasMemo()) {
        uint8_t v = t->layout_.header.version;
        if (v == 0x83 || v == 0x8B || v == 0xCB)
            return t->error(Status::NotSupported("memo fields in a DBT memo file"));
        if (!memo) return t->error(Status::NotFound("table has memo fields but no memo file"));
        s = FptMemo::open(std::move(memo), &t->memo_);
        if (!s.ok()) return s;
    }
    *out = std::move(t);
    return Status::OK();
}

Structure DbfTable::structure() const {
    Structure out;
    for (const FieldDescriptor& f : layout_.fields) out.push_back({f.name, f.type, f.len, f.dec});
    return out;
}

Status DbfTable::checkRecno(uint32_t recno) const {
    if (recno < 1 || recno > layout_.header.recordCount)
        return error(Status::InvalidArgument("record " + std::to_string(recno) +
                                             " does not exist (the table has " +
                                             std::to_string(layout_.header.recordCount) + ")"));
    return Status::OK();
}

void DbfTable::setReadAhead(bool on) {
    readAhead_ = on;
    aheadCount_ = 0;
    if (!on) std::string().swap(aheadBytes_);
}

Status DbfTable::readRaw(uint32_t recno, std::string* raw) {
    Status s = flushBatch();
    if (s.ok()) s = checkRecno(recno);
    if (!s.ok()) return s;
    uint32_t len = layout_.header.recordLength;
    if (readAhead_) {
        if (recno < aheadFirst_ || recno >= aheadFirst_ + aheadCount_) {
            constexpr uint32_t kAheadBytes = 256 * 1024;
            uint32_t count = std::min(std::max(1u, kAheadBytes / len), layout_.header.recordCount - recno + 1);
            aheadCount_ = 0;
            s = file_->read(recordOffset(recno), size_t(count) * len, &aheadBytes_);
            if (!s.ok()) return s;
            aheadFirst_ = recno;
            aheadCount_ = uint32_t(aheadBytes_.size() / len);
        }
        if (recno < aheadFirst_ + aheadCount_) {
            raw->assign(aheadBytes_, size_t(recno - aheadFirst_) * len, len);
            return Status::OK();
        }
    }
    s = file_->read(recordOffset(recno), layout_.header.recordLength, raw);
    if (!s.ok()) return s;
    if (raw->size() != layout_.header.recordLength)
        return error(Status::Corruption("record " + std::to_string(recno) + " is cut short"));
    return Status::OK();
}

Status DbfTable::decodeRaw(uint32_t recno, std::string_view raw, size_t field, Value* out) {
    const FieldDescriptor& f = layout_.fields.at(field);
    Status s = decodeField(f, raw.substr(f.offset, f.len), out);
    if (s.ok() || s.code() == Status::Code::IOError) return s;
    return error(Status::Corruption("record " + std::to_string(recno) + " " + s.message()));
}

Status DbfTable::read(uint32_t recno, std::vector<Value>* values, bool* deleted) {
    std::string raw;
    Status s = readRaw(recno, &raw);
    if (!s.ok()) return s;
    values->assign(layout_.fields.size(), Value());
    for (size_t i = 0; i < layout_.fields.size(); ++i) {
        s = decodeRaw(recno, raw, i, &(*values)[i]);
        if (!s.ok()) return s;
    }
    if (deleted) *deleted = raw[0] == '*';
    return Status::OK();
}

Status DbfTable::decodeField(const FieldDescriptor& f, std::string_view raw, Value* out) {
    switch (f.type) {
        case 'C':
            *out = Value(codePage_->toUtf8(raw));
            return Status::OK();
        case 'N':
        case 'F': {
            std::string_view t = trimmed(raw);
            if (t.empty() || t.find('*') != std::string_view::npos) {
                *out = Value::number(0, f.len, f.dec);  // empty, or an overflow marker
                return Status::OK();
            }
            std::string s(t);
            if (s.find_first_not_of("0123456789+-.") != std::string::npos)
                return Status::Corruption(fieldWhere(f) + ": '" + s + "' is not a number");
            char* end = nullptr;
            double d = std::strtod(s.c_str(), &end);
            if (end != s.c_str() + s.size() || !std::isfinite(d))
                return Status::Corruption(fieldWhere(f) + ": '" + s + "' is not a number");
            *out = Value::number(d, f.len, f.dec);
            return Status::OK();
        }
        case 'L': {
            char c = raw[0];
            *out = Value(c == 'T' || c == 't' || c == 'Y' || c == 'y');
            return Status::OK();
        }
        case 'D': {
            std::string_view t = trimmed(raw);
            *out = Value(t.empty() ? Date() : Date::fromDtos(raw));
            return Status::OK();
        }
        case 'I': {
            *out = Value::number(double(int32_t(getLe32(raw.data()))), 11, 0);
            return Status::OK();
        }
        case 'B': {
            *out = Value::number(std::bit_cast<double>(getLe64(raw.data())), 20, f.dec);
            return Status::OK();
        }
        case 'Y': {
            *out = Value::number(double(int64_t(getLe64(raw.data()))) / 10000.0, 20, 4);
            return Status::OK();
        }
        case 'M': {
            uint32_t block = 0;
            if (f.len == 4) {
                block = getLe32(raw.data());
            } else {
                std::string_view t = trimmed(raw);
                if (!t.empty()) {
                    if (!allDigits(t) || t.size() > 10)
                        return Status::Corruption(fieldWhere(f) + ": memo pointer '" +
                                                  std::string(t) + "' is not a block number");
                    uint64_t b = std::strtoull(std::string(t).c_str(), nullptr, 10);
                    if (b > 0xFFFFFFFFu)
                        return Status::Corruption(fieldWhere(f) + ": memo pointer " +
                                                  std::string(t) + " is out of range");
                    block = uint32_t(b);
                }
            }
            if (block == 0) {
                *out = Value::memo("");
                return Status::OK();
            }
            std::string data;
            Status s = memo_->read(block, &data);
            if (!s.ok())
                return Status(s.code() == Status::Code::IOError
                                  ? s
                                  : Status::Corruption(fieldWhere(f) + ": " + s.message()));
            *out = Value::memo((f.flags & 0x04) ? data : codePage_->toUtf8(data));
            return Status::OK();
        }
        default:
            return Status::NotSupported(fieldWhere(f) + ": type '" + std::string(1, f.type) +
                                        "' is not supported");
    }
}

Status DbfTable::encodeField(const FieldDescriptor& f, const Value& v, char* dst,
                             std::string* memoBytes) {
    if (v.isNil()) return Status::OK();
    auto mismatch = [&] {
        return Status::InvalidArgument(fieldWhere(f) + " of type " + std::string(1, f.type) +
                                       " cannot hold a value of type " + std::string(1, v.type()));
    };
    switch (f.type) {
        case 'C': {
            if (!v.isText()) return mismatch();
            const std::string& t = v.text();
            if (isAscii(t)) {  // the same bytes in every code page: no conversion
                size_t n = std::min<size_t>(t.size(), f.len);
                std::memcpy(dst, t.data(), n);
                std::memset(dst + n, ' ', f.len - n);
                return Status::OK();
            }
            std::string bytes;
            Status s = codePage_->fromUtf8(text::fit(t, f.len), &bytes);
            if (!s.ok()) return Status::InvalidArgument(fieldWhere(f) + ": " + s.message());
            bytes.resize(f.len, ' ');
            std::memcpy(dst, bytes.data(), f.len);
            return Status::OK();
        }
        case 'N':
        case 'F': {
            if (!v.isNumber()) return mismatch();
            std::string s = text::fieldNumber(v.num(), int(f.dec));
            if (s.empty() || s.size() > f.len)
                return Status::InvalidArgument(
                    fieldWhere(f) + ": " + v.toText() + " does not fit " + std::string(1, f.type) +
                    "(" + std::to_string(f.len) + "," + std::to_string(f.dec) + ")");
            std::memset(dst, ' ', f.len);
            std::memcpy(dst + f.len - s.size(), s.data(), s.size());
            return Status::OK();
        }
        case 'L':
            if (!v.isLogical()) return mismatch();
            dst[0] = v.logical() ? 'T' : 'F';
            return Status::OK();
        case 'D':
            if (!v.isDate()) return mismatch();
            std::memcpy(dst, v.date().dtos().data(), 8);
            return Status::OK();
        case 'I': {
            if (!v.isNumber()) return mismatch();
            double d = std::round(v.num());
            if (!(d >= -2147483648.0 && d <= 2147483647.0))
                return Status::InvalidArgument(fieldWhere(f) + ": " + v.toText() +
                                               " does not fit a 4-byte integer");
            putLe32(dst, uint32_t(int32_t(d)));
            return Status::OK();
        }
        case 'B':
            if (!v.isNumber()) return mismatch();
            putLe64(dst, std::bit_cast<uint64_t>(v.num()));
            return Status::OK();
        case 'Y': {
            if (!v.isNumber()) return mismatch();
            double d = std::round(v.num() * 10000.0);
            if (!(std::fabs(d) < 9.2e18))
                return Status::InvalidArgument(fieldWhere(f) + ": " + v.toText() +
                                               " does not fit a currency field");
            putLe64(dst, uint64_t(int64_t(d)));
            return Status::OK();
        }
        case 'M': {
            if (!v.isText()) return mismatch();
            std::string bytes;
            if (f.flags & 0x04) {
                bytes = v.text();
            } else {
                Status s = codePage_->fromUtf8(v.text(), &bytes);
                if (!s.ok()) return Status::InvalidArgument(fieldWhere(f) + ": " + s.message());
            }
            *memoBytes = std::move(bytes);
            return Status::OK();
        }
        default:
            return Status::NotSupported(fieldWhere(f) + ": type '" + std::string(1, f.type) +
                                        "' is not supported");
    }
}

uint32_t DbfTable::memoBlockAt(const FieldDescriptor& f, const char* field) {
    if (f.len == 4) return getLe32(field);
    std::string_view cur = trimmed(std::string_view(field, f.len));
    if (allDigits(cur) && cur.size() <= 10)
        return uint32_t(std::strtoull(std::string(cur).c_str(), nullptr, 10));
    return 0;
}

void DbfTable::putMemoBlock(const FieldDescriptor& f, uint32_t block, char* field) {
    if (f.len == 4) {
        putLe32(field, block);
    } else if (block == 0) {
        std::memset(field, ' ', f.len);
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%10u", unsigned(block));
        std::memcpy(field, buf, 10);
    }
}

Status DbfTable::storeMemo(const FieldDescriptor& f, std::string_view bytes, char* dst) {
    uint32_t block = 0;
    if (!bytes.empty()) {
        Status s = memo_->replace(memoBlockAt(f, dst), bytes, FptMemo::kTypeText, &block);
        if (!s.ok()) return s;
    }
    putMemoBlock(f, block, dst);
    return Status::OK();
}

Status DbfTable::encodeRecord(const std::vector<Value>& values, std::string* raw) {
    if (values.size() != layout_.fields.size())
        return error(Status::InvalidArgument(std::to_string(values.size()) + " values for " +
                                             std::to_string(layout_.fields.size()) + " fields"));
    // Memo blocks are written only once every value has been accepted, so a refused value
    // leaves the memo file as it was.
    std::vector<std::string> memos(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const FieldDescriptor& f = layout_.fields[i];
        Status s = encodeField(f, values[i], raw->data() + f.offset, &memos[i]);
        if (!s.ok()) return s.code() == Status::Code::InvalidArgument ? error(s) : s;
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const FieldDescriptor& f = layout_.fields[i];
        if (f.type != 'M' || values[i].isNil()) continue;
        Status s = storeMemo(f, memos[i], raw->data() + f.offset);
        if (!s.ok()) return s;
    }
    return Status::OK();
}

Status DbfTable::write(uint32_t recno, const std::vector<Value>& values) {
    aheadCount_ = 0;  // records read ahead may change
    std::string raw;
    Status s = readRaw(recno, &raw);  // writes a batch first
    if (!s.ok()) return s;
    s = encodeRecord(values, &raw);
    if (!s.ok()) return s;
    return file_->write(recordOffset(recno), raw);
}

Status DbfTable::appendBatched(const std::vector<Value>& values, bool deleted) {
    aheadCount_ = 0;
    if (layout_.header.recordCount == 0xFFFFFFFFu)
        return error(Status::InvalidArgument("table is full"));
    std::string& raw = encoded_;
    raw.assign(layout_.header.recordLength, ' ');
    Status s = encodeRecord(values, &raw);
    if (!s.ok()) return s;
    if (deleted) raw[0] = '*';
    if (batch_.empty()) batchFirst_ = layout_.header.recordCount + 1;
    batch_ += raw;
    ++layout_.header.recordCount;
    constexpr size_t kBatchBytes = 1 << 20;
    return batch_.size() >= kBatchBytes ? flushBatch() : Status::OK();
}

Status DbfTable::flushBatch() {
    if (batch_.empty()) return Status::OK();
    batch_.push_back(kEndOfFile);
    Status s = file_->write(recordOffset(batchFirst_), batch_);
    if (s.ok()) s = writeHeaderCount();
    if (!s.ok()) layout_.header.recordCount = batchFirst_ - 1;  // the batch is not counted
    batch_.clear();
    return s;
}

Status DbfTable::append(const std::vector<Value>& values, uint32_t* recno) {
    aheadCount_ = 0;  // records read ahead may change
    Status s = flushBatch();
    if (!s.ok()) return s;
    if (layout_.header.recordCount == 0xFFFFFFFFu)
        return error(Status::InvalidArgument("table is full"));
    std::string raw(layout_.header.recordLength, ' ');
    s = encodeRecord(values, &raw);
    if (!s.ok()) return s;
    uint32_t n = layout_.header.recordCount + 1;
    raw.push_back(kEndOfFile);
    s = file_->write(recordOffset(n), raw);
    if (!s.ok()) return s;
    layout_.header.recordCount = n;
    s = writeHeaderCount();
    if (!s.ok()) {
        layout_.header.recordCount = n - 1;
        return s;
    }
    if (recno) *recno = n;
    return Status::OK();
}

Status DbfTable::setDeleted(uint32_t recno, bool deleted) {
    aheadCount_ = 0;  // records read ahead may change
    Status s = flushBatch();
    if (s.ok()) s = checkRecno(recno);
    if (!s.ok()) return s;
    return file_->write(recordOffset(recno), deleted ? "*" : " ");
}

void DbfTable::stampDate() {
    Date d = options_.today.empty() ? systemToday() : options_.today;
    layout_.header.year = d.year();
    layout_.header.month = d.month();
    layout_.header.day = d.day();
}

Status DbfTable::writeHeaderCount() {
    stampDate();
    std::string bytes;
    layout_.header.encodeTo(&bytes);
    return file_->write(1, std::string_view(bytes).substr(1, 7));
}

Status DbfTable::commit() {
    Status s = flushBatch();
    if (s.ok()) s = writeHeaderCount();
    if (s.ok()) s = file_->sync();
    if (s.ok() && memo_) s = memo_->sync();
    return s;
}

}  // namespace dbf
