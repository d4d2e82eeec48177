#include "dbfFormat.h"

#include <cstring>
#include <set>

namespace dbf {

uint16_t getLe16(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return uint16_t(u[0] | (u[1] << 8));
}
uint32_t getLe32(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}
uint64_t getLe64(const char* p) {
    return uint64_t(getLe32(p)) | uint64_t(getLe32(p + 4)) << 32;
}
uint32_t getBe32(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(u[0]) << 24 | uint32_t(u[1]) << 16 | uint32_t(u[2]) << 8 | uint32_t(u[3]);
}
uint16_t getBe16(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return uint16_t(u[0] << 8 | u[1]);
}
void putLe16(char* p, uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
void putLe64(char* p, uint64_t v) {
    putLe32(p, uint32_t(v));
    putLe32(p + 4, uint32_t(v >> 32));
}
void putBe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * (3 - i))) & 0xFF);
}
void putBe16(char* p, uint16_t v) {
    p[0] = char(v >> 8);
    p[1] = char(v & 0xFF);
}

Status withFile(const std::string& name, Status s) {
    std::string m = name + ": " + s.message();
    switch (s.code()) {
        case Status::Code::Corruption:
            return Status::Corruption(std::move(m));
        case Status::Code::InvalidArgument:
            return Status::InvalidArgument(std::move(m));
        case Status::Code::NotSupported:
            return Status::NotSupported(std::move(m));
        case Status::Code::NotFound:
            return Status::NotFound(std::move(m));
        default:
            return s;
    }
}

bool isNewerVariant(uint8_t version) {
    return version >= 0x30 && version <= 0x32;
}

namespace {

bool knownVersion(uint8_t v) {
    switch (v) {
        case 0x02:
        case 0x03:
        case 0x30:
        case 0x31:
        case 0x32:
        case 0x43:
        case 0x63:
        case 0x83:
        case 0x8B:
        case 0xCB:
        case 0xF5:
        case 0xFB:
            return true;
        default:
            return false;
    }
}

std::string hex(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v);
    return buf;
}

}  // namespace

void DbfHeader::encodeTo(std::string* out) const {
    char b[kHeaderSize] = {};
    b[0] = char(version);
    b[1] = char(year % 100);
    b[2] = char(month);
    b[3] = char(day);
    putLe32(b + 4, recordCount);
    putLe16(b + 8, headerLength);
    putLe16(b + 10, recordLength);
    b[28] = char(flags);
    b[29] = char(codePage);
    out->append(b, sizeof b);
}

Status DbfHeader::decodeFrom(std::string_view in) {
    if (in.size() < kHeaderSize)
        return Status::Corruption("truncated header: " + std::to_string(in.size()) +
                                  " bytes, a header needs 32");
    version = uint8_t(in[0]);
    if (!knownVersion(version)) return Status::NotSupported("unknown version byte " + hex(version));
    int y = uint8_t(in[1]);
    year = y >= 100 ? 1900 + y : (y < 80 ? 2000 + y : 1900 + y);
    month = uint8_t(in[2]);
    day = uint8_t(in[3]);
    recordCount = getLe32(in.data() + 4);
    headerLength = getLe16(in.data() + 8);
    recordLength = getLe16(in.data() + 10);
    flags = uint8_t(in[28]);
    codePage = uint8_t(in[29]);
    if (headerLength < kHeaderSize + kDescriptorSize + 1)
        return Status::Corruption("header length " + std::to_string(headerLength) +
                                  " is too small for even one field");
    if (recordLength < 2)
        return Status::Corruption("record length " + std::to_string(recordLength) +
                                  " is too small for even one field");
    return Status::OK();
}

void FieldDescriptor::encodeTo(std::string* out) const {
    char b[kDescriptorSize] = {};
    std::memcpy(b, name.data(), std::min<size_t>(name.size(), 10));
    b[11] = type;
    putLe32(b + 12, offset);
    b[16] = char(len);
    b[17] = char(dec);
    b[18] = char(flags);
    out->append(b, sizeof b);
}

Status FieldDescriptor::decodeFrom(std::string_view in) {
    if (in.size() < kDescriptorSize) return Status::Corruption("truncated field descriptor");
    name.clear();
    for (size_t i = 0; i < 11 && in[i] != '\0'; ++i) {
        char c = in[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        name += c;
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    type = in[11];
    if (type >= 'a' && type <= 'z') type = char(type - 'a' + 'A');
    len = uint8_t(in[16]);
    dec = uint8_t(in[17]);
    flags = uint8_t(in[18]);
    if (name.empty() || name.size() > 10) return Status::Corruption("field with an invalid name");
    for (char c : name) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return Status::Corruption("field name '" + name + "' has invalid characters");
    }
    const std::string what = "field " + name + ": ";
    if (len == 0) return Status::Corruption(what + "length 0");
    auto needLen = [&](std::initializer_list<int> lens) -> Status {
        for (int l : lens)
            if (len == l) return Status::OK();
        return Status::Corruption(what + "type " + std::string(1, type) + " cannot have length " +
                                  std::to_string(len));
    };
    switch (type) {
        case 'C':
            return Status::OK();
        case 'N':
        case 'F':
            if (len > 20) return Status::Corruption(what + "numeric length " + std::to_string(len));
            if (dec > 0 && dec + 2 > len)
                return Status::Corruption(what + std::to_string(dec) +
                                          " decimals do not fit length " + std::to_string(len));
            return Status::OK();
        case 'D':
            return needLen({8});
        case 'L':
            return needLen({1});
        case 'M':
        case 'G':
        case 'P':
            return needLen({4, 10});
        case 'I':
            return needLen({4});
        case 'B':
        case 'Y':
        case 'T':
            return needLen({8});
        case 'V':
        case 'Q':
        case 'W':
        case '0':
            return Status::OK();
        default:
            if (uint8_t(type) < 0x20 || uint8_t(type) > 0x7E)
                return Status::Corruption(what + "type byte " + hex(uint8_t(type)) + " is no type");
            return Status::NotSupported(what + "unknown type '" + std::string(1, type) + "'");
    }
}

Status DbfLayout::fromStructure(const Structure& structure, uint8_t codePage, DbfLayout* out) {
    DbfLayout l;
    if (structure.empty()) return Status::InvalidArgument("a table needs at least one field");
    if (structure.size() > 2040)  // keeps the header length within 16 bits
        return Status::InvalidArgument("too many fields");
    uint32_t offset = 1;
    std::set<std::string> names;
    bool memo = false;
    for (const FieldDesc& f : structure) {
        if (f.name.empty() || f.name.size() > 10)
            return Status::InvalidArgument("field name '" + f.name +
                                           "' must have 1 to 10 characters");
        FieldDescriptor d;
        for (char c : f.name) d.name += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        d.type = f.type;
        if (f.type == 'M') memo = true;
        int len = f.type == 'D' ? 8 : f.type == 'L' ? 1 : f.type == 'M' ? 10 : f.len;
        if (len < 1 || len > 254)
            return Status::InvalidArgument("field " + d.name + ": length " + std::to_string(len));
        if (f.dec < 0 || f.dec > 255)
            return Status::InvalidArgument("field " + d.name + ": decimals " +
                                           std::to_string(f.dec));
        d.len = uint8_t(len);
        d.dec = (f.type == 'N' || f.type == 'F') ? uint8_t(f.dec) : 0;
        std::string enc;
        d.encodeTo(&enc);
        if (f.type != 'C' && f.type != 'N' && f.type != 'F' && f.type != 'D' && f.type != 'L' &&
            f.type != 'M')
            return Status::NotSupported("field " + d.name + ": cannot create type '" +
                                        std::string(1, f.type) + "'");
        Status s = d.decodeFrom(enc);
        if (!s.ok()) return Status::InvalidArgument(s.message());
        if (!names.insert(d.name).second)
            return Status::InvalidArgument("field " + d.name + " appears twice");
        d.offset = offset;
        offset += d.len;
        l.fields.push_back(d);
    }
    if (offset > 0xFFFF) return Status::InvalidArgument("record longer than 65535 bytes");
    l.header.version = memo ? kVersionMemo : kVersionPlain;
    l.header.codePage = codePage;
    l.header.recordLength = uint16_t(offset);
    l.header.headerLength = uint16_t(kHeaderSize + kDescriptorSize * l.fields.size() + 1);
    *out = std::move(l);
    return Status::OK();
}

void DbfLayout::encodeTo(std::string* out) const {
    header.encodeTo(out);
    for (const FieldDescriptor& f : fields) f.encodeTo(out);
    out->push_back(kTerminator);
    if (isNewerVariant(header.version)) out->append(kBacklinkSize, '\0');
}

Status DbfLayout::decodeFrom(std::string_view in) {
    Status s = header.decodeFrom(in);
    if (!s.ok()) return s;
    fields.clear();
    if (in.size() < header.headerLength)
        return Status::Corruption("truncated header: header length is " +
                                  std::to_string(header.headerLength) + " but the file has " +
                                  std::to_string(in.size()) + " bytes");
    std::set<std::string> names;
    uint32_t offset = 1;
    size_t pos = kHeaderSize;
    for (;;) {
        if (pos >= header.headerLength)
            return Status::Corruption("field list has no terminator within the header length " +
                                      std::to_string(header.headerLength));
        if (in[pos] == kTerminator) break;
        if (pos + kDescriptorSize > header.headerLength)
            return Status::Corruption("no field terminator: descriptor at offset " +
                                      std::to_string(pos) + " runs past the header length");
        FieldDescriptor f;
        s = f.decodeFrom(in.substr(pos, kDescriptorSize));
        if (!s.ok()) return s;
        if (!names.insert(f.name).second)
            return Status::Corruption("field " + f.name + " appears twice");
        f.offset = offset;
        offset += f.len;
        if (offset > header.recordLength)
            return Status::Corruption("field " + f.name + " runs past the record length " +
                                      std::to_string(header.recordLength));
        fields.push_back(std::move(f));
        pos += kDescriptorSize;
    }
    if (fields.empty()) return Status::Corruption("table has no fields");
    if (offset != header.recordLength)
        return Status::Corruption("record length " + std::to_string(header.recordLength) +
                                  " but the fields add up to " + std::to_string(offset));
    if (isNewerVariant(header.version) && pos + 1 + kBacklinkSize > header.headerLength)
        return Status::Corruption("header length " + std::to_string(header.headerLength) +
                                  " leaves no room for the database backlink");
    return Status::OK();
}

Status DbfLayout::checkFileSize(uint64_t fileSize) const {
    uint64_t need =
        uint64_t(header.headerLength) + uint64_t(header.recordCount) * header.recordLength;
    if (fileSize < need)
        return Status::Corruption("file has " + std::to_string(fileSize) +
                                  " bytes but the header's " + std::to_string(header.recordCount) +
                                  " records of " + std::to_string(header.recordLength) +
                                  " bytes after " + std::to_string(header.headerLength) +
                                  " header bytes need " + std::to_string(need));
    return Status::OK();
}

bool DbfLayout::hasMemo() const {
    for (const FieldDescriptor& f : fields)
        if (f.type == 'M' || f.type == 'G' || f.type == 'P') return true;
    return false;
}

}  // namespace dbf
