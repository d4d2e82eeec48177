// Byte layout of new tables against the worked example, and damaged files that must be
// refused with the right status instead of being read out of bounds.
#include <gtest/gtest.h>

#include <functional>

#include "dbfTable.h"

using namespace dbf;

namespace {

std::string fromHex(const char* text) {
    std::string out;
    int hi = -1;
    for (const char* p = text; *p; ++p) {
        int v = (*p >= '0' && *p <= '9') ? *p - '0' : (*p >= 'A' && *p <= 'F') ? *p - 'A' + 10 : -1;
        if (v < 0) continue;
        if (hi < 0) {
            hi = v;
        } else {
            out.push_back(char(hi * 16 + v));
            hi = -1;
        }
    }
    return out;
}

// The three-record table with one memo used throughout (code page 850, no index).
const std::string& exampleDbf() {
    static const std::string bytes = fromHex(
        "F5 18 07 0F 03 00 00 00 01 01 2C 00 00 00 00 00"
        "00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00"
        "43 4C 41 56 45 00 00 00 00 00 00 43 01 00 00 00 03 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "4E 4F 4D 42 52 45 00 00 00 00 00 43 04 00 00 00 08 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "56 4F 54 4F 53 00 00 00 00 00 00 4E 0C 00 00 00 07 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "50 43 54 00 00 00 00 00 00 00 00 4E 13 00 00 00 06 02 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "46 45 43 48 41 00 00 00 00 00 00 44 19 00 00 00 08 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "41 43 54 49 56 4F 00 00 00 00 00 4C 21 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "4E 4F 54 41 53 00 00 00 00 00 00 4D 22 00 00 00 0A 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00"
        "0D 20 50 52 49 41 44 41 4D 53 20 20 20 20 20 20"
        "31 35 30 30 20 31 32 2E 35 30 32 30 32 34 30 37"
        "30 31 54 20 20 20 20 20 20 20 20 20 38 20 50 41"
        "4E 41 44 41 4D 53 4F 4E 20 20 20 20 20 2D 32 30"
        "20 20 30 2E 35 30 20 20 20 20 20 20 20 20 46 20"
        "20 20 20 20 20 20 20 20 20 20 50 52 44 42 41 4B"
        "45 52 20 20 20 20 20 20 20 20 20 30 20 20 20 20"
        "20 20 31 39 39 39 31 32 33 31 20 20 20 20 20 20"
        "20 20 20 20 20 1A");
    return bytes;
}

std::string exampleFpt() {
    std::string f(576, '\0');
    f[3] = 9;
    f[7] = 0x40;
    std::string block = fromHex("00 00 00 01 00 00 00 12");
    block += "Coalicion PRI-PVEM";
    f.replace(512, block.size(), block);
    return f;
}

Structure exampleStructure() {
    return {{"CLAVE", 'C', 3, 0}, {"NOMBRE", 'C', 8, 0}, {"VOTOS", 'N', 7, 0}, {"PCT", 'N', 6, 2},
            {"FECHA", 'D', 8, 0}, {"ACTIVO", 'L', 1, 0}, {"NOTAS", 'M', 10, 0}};
}

Status openBuffers(const std::string& dbf, const std::string& fpt, std::unique_ptr<DbfTable>* t) {
    return DbfTable::open(std::make_unique<MemoryFile>("t.dbf", std::make_shared<std::string>(dbf)),
                          std::make_unique<MemoryFile>("t.fpt", std::make_shared<std::string>(fpt)),
                          {}, t);
}

}  // namespace

TEST(DbfFormat, WritesTheWorkedExampleByteForByte) {
    auto dbf = std::make_shared<std::string>();
    auto fpt = std::make_shared<std::string>();
    DbfTable::Options o;
    o.defaultCodePage = 850;
    o.today = Date::fromYmd(2024, 7, 15);
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::create(std::make_unique<MemoryFile>("t.dbf", dbf),
                                 std::make_unique<MemoryFile>("t.fpt", fpt), exampleStructure(), o,
                                 &t)
                    .ok());
    Value nil;
    ASSERT_TRUE(t->append({"PRI", "ADAMS", 1500, Value::number(12.5, 6, 2),
                           Date::fromYmd(2024, 7, 1), true, Value::memo("Coalicion PRI-PVEM")},
                          nullptr)
                    .ok());
    ASSERT_TRUE(
        t->append({"PAN", "ADAMSON", -20, 0.5, Date(), false, Value::memo("")}, nullptr).ok());
    ASSERT_TRUE(
        t->append({"PRD", "BAKER", 0, nil, Date::fromYmd(1999, 12, 31), nil, nil}, nullptr).ok());
    ASSERT_TRUE(t->commit().ok());
    EXPECT_EQ(*dbf, exampleDbf());
    EXPECT_EQ(*fpt, exampleFpt());
}

TEST(DbfFormat, ReadsTheWorkedExample) {
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(openBuffers(exampleDbf(), exampleFpt(), &t).ok());
    ASSERT_EQ(t->recordCount(), 3u);
    EXPECT_EQ(t->codePage().number(), 850);
    std::vector<Value> v;
    bool deleted = true;
    ASSERT_TRUE(t->read(2, &v, &deleted).ok());
    EXPECT_FALSE(deleted);
    EXPECT_EQ(v[1].text(), "ADAMSON ");
    EXPECT_EQ(v[2].num(), -20);
    EXPECT_EQ(v[3].num(), 0.5);
    EXPECT_EQ(v[3].numDecimals(), 2);
    EXPECT_TRUE(v[4].date().empty());
    EXPECT_EQ(v[6].text(), "");
    ASSERT_TRUE(t->read(1, &v, &deleted).ok());
    EXPECT_EQ(v[4].date(), Date::fromYmd(2024, 7, 1));
    EXPECT_TRUE(v[5].logical());
    EXPECT_EQ(v[6].type(), 'M');
    EXPECT_EQ(v[6].text(), "Coalicion PRI-PVEM");
    EXPECT_EQ(t->read(4, &v, &deleted).code(), Status::Code::InvalidArgument);
    EXPECT_EQ(t->read(0, &v, &deleted).code(), Status::Code::InvalidArgument);
}

TEST(DbfFormat, DamagedFilesAreRefused) {
    using Patch = std::function<void(std::string & dbf, std::string & fpt)>;
    auto put = [](size_t off, std::string bytes) {
        return [=](std::string& d, std::string&) { d.replace(off, bytes.size(), bytes); };
    };
    struct Case {
        const char* what;
        Patch patch;
        bool failsOnRead;  // else on open
        Status::Code code;
        const char* mentions;
    };
    using C = Status::Code;
    const Case cases[] = {
        {"truncated header", [](std::string& d, std::string&) { d.resize(20); }, false,
         C::Corruption, "t.dbf"},
        {"truncated descriptors", [](std::string& d, std::string&) { d.resize(100); }, false,
         C::Corruption, "header length"},
        {"count beyond file", put(4, std::string("\x04", 1)), false, C::Corruption, "4 records"},
        {"file cut in records", [](std::string& d, std::string&) { d.resize(300); }, false,
         C::Corruption, "300 bytes"},
        {"header length too small", put(8, std::string("\x28\x00", 2)), false, C::Corruption,
         "header length"},
        {"header length beyond records", put(8, std::string("\x20\x01", 2)), false, C::Corruption,
         "t.dbf"},
        {"record length disagrees", put(10, std::string("\x2D", 1)), false, C::Corruption,
         "add up to 44"},
        {"zero-length field", put(0x30, std::string("\x00", 1)), false, C::Corruption,
         "CLAVE: length 0"},
        {"field past the record", put(0x50, std::string("\xFF", 1)), false, C::Corruption,
         "NOMBRE runs past"},
        {"no terminator", put(0x100, " "), false, C::Corruption, "terminator"},
        {"date of length 7", put(0xB0, std::string("\x07", 1)), false, C::Corruption, "FECHA"},
        {"garbage type byte", put(0x2B, std::string("\x01", 1)), false, C::Corruption, "CLAVE"},
        {"unknown type letter", put(0x2B, "X"), false, C::NotSupported, "'X'"},
        {"unknown version", put(0, std::string("\x99", 1)), false, C::NotSupported, "0x99"},
        {"blank field name", put(0x20, std::string(5, '\0')), false, C::Corruption, "name"},
        {"decimals longer than field", put(0x91, std::string("\x06", 1)), false, C::Corruption,
         "PCT"},
        {"memo block size 0", [](std::string&, std::string& f) { f[7] = 0; }, false, C::Corruption,
         "t.fpt"},
        {"memo header truncated", [](std::string&, std::string& f) { f.resize(5); }, false,
         C::Corruption, "t.fpt"},
        {"memo pointer past the file", put(0x123, "       999"), true, C::Corruption, "999"},
        {"memo pointer into the header", put(0x123, "         3"), true, C::Corruption,
         "inside the memo header"},
        {"memo pointer not a number", put(0x123, "    12x 45"), true, C::Corruption, "NOTAS"},
        {"memo data cut off", [](std::string&, std::string& f) { f.resize(530); }, true,
         C::Corruption, "t.fpt"},
        {"memo length huge", [](std::string&, std::string& f) { f[516] = 0x7F; }, true,
         C::Corruption, "runs past"},
        {"code page without a table", put(29, std::string("\xC8", 1)), false, C::NotSupported,
         "0xC8"},
        {"number in hexadecimal", put(0x10C, "0x10"), true, C::Corruption, "VOTOS"},
        {"number field garbage", put(0x10C, "1x00"), true, C::Corruption, "VOTOS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string dbf = exampleDbf(), fpt = exampleFpt();
        c.patch(dbf, fpt);
        std::unique_ptr<DbfTable> t;
        Status s = openBuffers(dbf, fpt, &t);
        if (c.failsOnRead) {
            ASSERT_TRUE(s.ok()) << s.toString();
            std::vector<Value> v;
            bool deleted;
            s = t->read(1, &v, &deleted);
        }
        EXPECT_EQ(s.code(), c.code) << s.toString();
        EXPECT_NE(s.message().find(c.mentions), std::string::npos) << s.message();
    }
}

TEST(DbfFormat, ToleratesWhatRealWritersLeave) {
    std::string dbf = exampleDbf();
    // Zero displacements, a missing end marker, extra bytes from an interrupted append.
    for (size_t off = 0x2C; off < 0x100; off += 32) dbf[off] = 0;
    dbf.pop_back();
    std::string extra = dbf + "  torn";
    for (const std::string& bytes : {dbf, extra}) {
        std::unique_ptr<DbfTable> t;
        Status s = openBuffers(bytes, exampleFpt(), &t);
        ASSERT_TRUE(s.ok()) << s.toString();
        std::vector<Value> v;
        bool deleted;
        ASSERT_TRUE(t->read(3, &v, &deleted).ok());
        EXPECT_EQ(v[1].text(), "BAKER   ");
        EXPECT_EQ(v[4].date(), Date::fromYmd(1999, 12, 31));
    }
}

// Any single damaged byte or any cut of the table or memo file gives a status, never a
// read out of bounds (the sanitizer build checks that).
TEST(DbfFormat, NoDamageCrashes) {
    auto tryAll = [](const std::string& dbf, const std::string& fpt) {
        std::unique_ptr<DbfTable> t;
        if (!openBuffers(dbf, fpt, &t).ok()) return;
        for (uint32_t n = 1; n <= t->recordCount(); ++n) {
            std::vector<Value> v;
            bool deleted;
            (void)t->read(n, &v, &deleted);
        }
    };
    const std::string dbf = exampleDbf(), fpt = exampleFpt();
    for (size_t i = 0; i < dbf.size(); ++i) {
        tryAll(dbf.substr(0, i), fpt);
        for (char b : {'\0', '\xFF', '\x0D', '*', '9'}) {
            std::string d = dbf;
            d[i] = b;
            tryAll(d, fpt);
        }
    }
    for (size_t i = 0; i < fpt.size(); ++i) {
        tryAll(dbf, fpt.substr(0, i));
        for (char b : {'\0', '\xFF', '\x7F'}) {
            std::string f = fpt;
            f[i] = b;
            tryAll(dbf, f);
        }
    }
}
