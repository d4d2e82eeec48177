#pragma once
// Byte layouts of the DBF table header and field descriptors, and the byte-order helpers
// shared by the DBF (little-endian) and FPT (big-endian) codecs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Rdd.h"
#include "Status.h"

namespace dbf {

// Byte order helpers; `p` must have the bytes, callers check lengths first.
uint16_t getLe16(const char* p);
uint32_t getLe32(const char* p);
uint64_t getLe64(const char* p);
uint32_t getBe32(const char* p);
uint16_t getBe16(const char* p);
void putLe16(char* p, uint16_t v);
void putLe32(char* p, uint32_t v);
void putLe64(char* p, uint64_t v);
void putBe32(char* p, uint32_t v);
void putBe16(char* p, uint16_t v);

constexpr size_t kHeaderSize = 32;
constexpr size_t kDescriptorSize = 32;
constexpr size_t kBacklinkSize = 263;
constexpr char kTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;

// Version bytes we write.
constexpr uint8_t kVersionPlain = 0x03;
constexpr uint8_t kVersionMemo = 0xF5;
// Code page marks.
constexpr uint8_t kCodePage437 = 0x01;
constexpr uint8_t kCodePage850 = 0x02;
constexpr uint8_t kCodePage1252 = 0x03;

// `s` with "name: " before its message (I/O errors are passed as they are: they name
// their file already).
Status withFile(const std::string& name, Status s);

// True for the newer variant (backlink after the descriptors, binary memo pointers).
bool isNewerVariant(uint8_t version);

// The first 32 bytes of a DBF file.
class DbfHeader {
  public:
    uint8_t version = kVersionPlain;
    int year = 0, month = 0, day = 0;  // last update; year in full
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    uint8_t flags = 0;
    uint8_t codePage = 0;

    void encodeTo(std::string* out) const;  // appends 32 bytes
    Status decodeFrom(std::string_view in);
};

// One 32-byte field descriptor.
class FieldDescriptor {
  public:
    std::string name;  // upper case, at most 10 characters
    char type = 'C';
    uint32_t offset = 0;  // within the record; the deletion flag is byte 0
    uint8_t len = 0;
    uint8_t dec = 0;
    uint8_t flags = 0;  // newer variant only

    void encodeTo(std::string* out) const;  // appends 32 bytes
    // Checks the name, type letter and the length the type requires.
    Status decodeFrom(std::string_view in);
};

// Header plus descriptors: everything before record 1.
class DbfLayout {
  public:
    DbfHeader header;
    std::vector<FieldDescriptor> fields;  // offsets computed, not taken from the file

    // Builds the layout of a new table: version 0xF5 with memos, else 0x03, no backlink.
    static Status fromStructure(const Structure& structure, uint8_t codePage, DbfLayout* out);
    // Header, descriptors, terminator (and the empty backlink of the newer variant).
    void encodeTo(std::string* out) const;
    // `in` holds at least the header-length bytes of the file start (less if truncated).
    Status decodeFrom(std::string_view in);
    // The file must hold the header and every record the header counts.
    Status checkFileSize(uint64_t fileSize) const;
    bool hasMemo() const;
};

}  // namespace dbf
