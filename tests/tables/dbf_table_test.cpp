// Round trips through DbfTable: every field type, code pages, memos, deleted flags,
// refused values, and what a failed write leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <unistd.h>

#include <cstdio>

#include "Text.h"
#include "dbfTable.h"

using namespace dbf;

namespace {

struct Buffers {
    std::shared_ptr<std::string> dbf = std::make_shared<std::string>();
    std::shared_ptr<std::string> fpt = std::make_shared<std::string>();
    std::unique_ptr<File> dbfFile() const { return std::make_unique<MemoryFile>("v.dbf", dbf); }
    std::unique_ptr<File> fptFile() const { return std::make_unique<MemoryFile>("v.fpt", fpt); }
};

DbfTable::Options options(int codePage = 1252) {
    DbfTable::Options o;
    o.defaultCodePage = codePage;
    o.today = Date::fromYmd(2026, 3, 1);
    return o;
}

const Structure kAllTypes = {{"PARTIDO", 'C', 12, 0}, {"VOTOS", 'N', 9, 0}, {"PCT", 'N', 7, 3},
                             {"PESO", 'F', 10, 2},    {"FECHA", 'D', 8, 0}, {"VALIDO", 'L', 1, 0},
                             {"NOTAS", 'M', 10, 0}};

std::unique_ptr<DbfTable> reopen(const Buffers& b, int codePage = 1252) {
    std::unique_ptr<DbfTable> t;
    Status s = DbfTable::open(b.dbfFile(), b.fptFile(), options(codePage), &t);
    EXPECT_TRUE(s.ok()) << s.toString();
    return t;
}

}  // namespace

TEST(DbfTable, EveryFieldTypeSurvivesAReopen) {
    Buffers b;
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::create(b.dbfFile(), b.fptFile(), kAllTypes, options(), &t).ok());
    std::string longMemo;
    for (int i = 0; i < 40; ++i) longMemo += "Coalición línea " + std::to_string(i) + "\r\n";
    const std::vector<std::vector<Value>> rows = {
        {"Español", 123456789, Value::number(-1.25, 7, 3), 1234567.89, Date::fromYmd(2024, 2, 29),
         true, Value::memo("Coalición")},
        {"Coalición", -12345678, Value::number(0.001, 7, 3), -0.5, Date(), false, Value::memo("")},
        {"", 0, 0, 0, Date::fromYmd(1900, 1, 1), false, Value::memo(longMemo)},
        {"€ ŠŽšžŸ ¿ñ?", 7, 99.999, 0.01, Date::fromYmd(2099, 12, 31), true, Value::memo("x")},
    };
    for (const auto& r : rows) ASSERT_TRUE(t->append(r, nullptr).ok());
    ASSERT_TRUE(t->setDeleted(2, true).ok());
    ASSERT_TRUE(t->setDeleted(4, true).ok());
    ASSERT_TRUE(t->setDeleted(4, false).ok());
    ASSERT_TRUE(t->commit().ok());
    EXPECT_EQ(uint8_t((*b.dbf)[0]), 0xF5);
    EXPECT_EQ(uint8_t((*b.dbf)[29]), 0x03);

    auto r = reopen(b);
    ASSERT_EQ(r->recordCount(), rows.size());
    for (uint32_t n = 1; n <= rows.size(); ++n) {
        SCOPED_TRACE(n);
        std::vector<Value> v;
        bool deleted = false;
        ASSERT_TRUE(r->read(n, &v, &deleted).ok());
        EXPECT_EQ(deleted, n == 2);
        const auto& w = rows[n - 1];
        EXPECT_EQ(v[0].text(), text::fit(w[0].text(), 12));
        for (int i : {1, 2, 3}) EXPECT_NEAR(v[i].num(), w[i].num(), 1e-9) << i;
        EXPECT_EQ(v[2].numDecimals(), 3);
        EXPECT_EQ(v[4].date(), w[4].date());
        EXPECT_EQ(v[5].logical(), w[5].logical());
        EXPECT_EQ(v[6].text(), w[6].text());
    }
}

TEST(DbfTable, RefusedValuesWriteNothing) {
    struct Case {
        Value value;
        int field;
        int codePage;
        const char* mentions;
    };
    const Case cases[] = {
        {1234567890, 1, 1252, "VOTOS"},              // ten digits in N(9)
        {-100000000, 1, 1252, "does not fit"},       // the sign makes ten
        {1000.0, 2, 1252, "PCT"},                    // "1000.000" in N(7,3)
        {999.9996, 2, 1252, "PCT"},                  // rounds up to 1000.000
        {Value(0.0 / 0.0), 3, 1252, "PESO"},         // NaN
        {"漢字", 0, 1252, "PARTIDO"},                // no byte in 1252
        {"€uro", 0, 850, "code page 850"},           // 850 has no euro sign
        {std::string("\xC3", 1), 0, 1252, "UTF-8"},  // cut sequence
        {"texto", 1, 1252, "type N"},                // text into a number
        {Value::memo("Ω"), 6, 850, "NOTAS"},         // memo text too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mentions);
        Buffers b;
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(
            DbfTable::create(b.dbfFile(), b.fptFile(), kAllTypes, options(c.codePage), &t).ok());
        ASSERT_TRUE(t->append({"A", 1, 1, 1, Date(), true, Value::memo("uno")}, nullptr).ok());
        std::string before = *b.dbf, memoBefore = *b.fpt;
        std::vector<Value> row(7);
        row[6] = Value::memo("dos");  // would fit in place: must not land either
        row[size_t(c.field)] = c.value;
        Status s = t->write(1, row);
        EXPECT_EQ(s.code(), Status::Code::InvalidArgument) << s.toString();
        EXPECT_NE(s.message().find(c.mentions), std::string::npos) << s.message();
        EXPECT_NE(s.message().find("v.dbf"), std::string::npos) << s.message();
        EXPECT_EQ(*b.dbf, before);
        EXPECT_EQ(*b.fpt, memoBefore);
        EXPECT_EQ(t->append(row, nullptr).code(), Status::Code::InvalidArgument);
        EXPECT_EQ(t->recordCount(), 1u);
    }
}

TEST(DbfTable, CodePageMarkDecidesTheBytes) {
    struct Case {
        int codePage;
        uint8_t mark;
        const char* bytes;  // "Año ñ" on disk
    };
    const Case cases[] = {
        {1252, 0x03, "A\xF1o \xF1"}, {850, 0x02, "A\xA4o \xA4"}, {437, 0x01, "A\xA4o \xA4"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        Buffers b;
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(
            DbfTable::create(b.dbfFile(), nullptr, {{"X", 'C', 5, 0}}, options(c.codePage), &t)
                .ok());
        ASSERT_TRUE(t->append({"Año ñ"}, nullptr).ok());
        EXPECT_EQ(uint8_t((*b.dbf)[29]), c.mark);
        EXPECT_EQ(uint8_t((*b.dbf)[0]), 0x03);
        size_t h = 32 + 32 + 1;
        EXPECT_EQ(b.dbf->substr(h + 1, 5), c.bytes);
        auto r = reopen(b, 1252);  // the mark wins over the default
        std::vector<Value> v;
        bool deleted;
        ASSERT_TRUE(r->read(1, &v, &deleted).ok());
        EXPECT_EQ(v[0].text(), "Año ñ");
    }
}

TEST(DbfTable, ChangedMemosStayInPlaceUntilTheyOutgrowTheirBlocks) {
    Buffers b;
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(
        DbfTable::create(b.dbfFile(), b.fptFile(), {{"M", 'M', 10, 0}}, options(), &t).ok());
    auto pointer = [&] { return b.dbf->substr(32 + 32 + 1 + 1, 10); };
    ASSERT_TRUE(t->append({Value::memo(std::string(50, 'a'))}, nullptr).ok());
    EXPECT_EQ(pointer(), "         8");
    ASSERT_TRUE(t->append({Value::memo("b")}, nullptr).ok());            // block 9
    ASSERT_TRUE(t->write(1, {Value::memo(std::string(56, 'c'))}).ok());  // 8 + 56 = one block
    EXPECT_EQ(pointer(), "         8");
    ASSERT_TRUE(t->write(1, {Value::memo(std::string(57, 'd'))}).ok());  // needs two: moves
    EXPECT_EQ(pointer(), "        10");
    ASSERT_TRUE(t->write(1, {Value::memo("")}).ok());
    EXPECT_EQ(pointer(), "          ");
    auto r = reopen(b);
    std::vector<Value> v;
    bool deleted;
    ASSERT_TRUE(r->read(2, &v, &deleted).ok());
    EXPECT_EQ(v[0].text(), "b");
    ASSERT_TRUE(r->read(1, &v, &deleted).ok());
    EXPECT_EQ(v[0].text(), "");
}

// Every possible cut of the writes of three appends: what the header counts reads back
// exactly, and nothing beyond what was appended is counted.
TEST(DbfTable, AFailedWriteLeavesEarlierRecordsReadable) {
    const std::vector<std::vector<Value>> rows = {
        {"Español", 1, 1.5, 2, Date::fromYmd(2024, 1, 2), true, Value::memo("primera")},
        {"Coalición", 2, 2.5, 3, Date(), false, Value::memo(std::string(200, 'z'))},
        {"Tercero", 3, 3.5, 4, Date::fromYmd(2024, 1, 4), true, Value::memo("")},
    };
    Buffers base;
    {
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(
            DbfTable::create(base.dbfFile(), base.fptFile(), kAllTypes, options(), &t).ok());
        ASSERT_TRUE(t->append(rows[0], nullptr).ok());
    }
    for (uint64_t budget = 0; budget < 700; budget += 3) {
        SCOPED_TRACE(budget);
        Buffers b;
        *b.dbf = *base.dbf;
        *b.fpt = *base.fpt;
        auto faultyDbf = std::make_unique<FaultyFile>(b.dbfFile(), budget);
        auto faultyFpt = std::make_unique<FaultyFile>(b.fptFile(), budget);
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(DbfTable::open(std::move(faultyDbf), std::move(faultyFpt), options(), &t).ok());
        uint32_t written = 1;
        for (size_t i = 1; i < rows.size(); ++i) {
            if (!t->append(rows[i], nullptr).ok()) break;
            ++written;
        }
        EXPECT_EQ(t->recordCount(), written);
        auto r = reopen(b);
        ASSERT_TRUE(r);
        ASSERT_GE(r->recordCount(), 1u);
        ASSERT_LE(r->recordCount(), written);
        for (uint32_t n = 1; n <= r->recordCount(); ++n) {
            std::vector<Value> v;
            bool deleted;
            Status s = r->read(n, &v, &deleted);
            ASSERT_TRUE(s.ok()) << s.toString();
            EXPECT_EQ(v[0].text(), text::fit(rows[n - 1][0].text(), 12));
            EXPECT_EQ(v[6].text(), rows[n - 1][6].text());
        }
    }
}

TEST(DbfTable, PosixFilesRoundTripAndNameThemselvesInErrors) {
    char dir[] = "/tmp/urnalia-dbf-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/mesa.dbf";
    const std::string memoPath = std::string(dir) + "/mesa.fpt";
    {
        std::unique_ptr<File> f, m;
        ASSERT_TRUE(openFile(path, OpenMode::Create, &f).ok());
        ASSERT_TRUE(openFile(memoPath, OpenMode::Create, &m).ok());
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(DbfTable::create(std::move(f), std::move(m), kAllTypes, options(), &t).ok());
        ASSERT_TRUE(
            t->append({"Español", 5, 1, 2, Date(), true, Value::memo("Coalición")}, nullptr).ok());
        ASSERT_TRUE(t->commit().ok());
    }
    std::unique_ptr<File> f, m;
    ASSERT_TRUE(openFile(path, OpenMode::ReadOnly, &f).ok());
    ASSERT_TRUE(openFile(memoPath, OpenMode::ReadOnly, &m).ok());
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::open(std::move(f), std::move(m), options(), &t).ok());
    std::vector<Value> v;
    bool deleted;
    ASSERT_TRUE(t->read(1, &v, &deleted).ok());
    EXPECT_EQ(v[6].text(), "Coalición");
    Status s = t->setDeleted(1, true);  // read-only descriptor
    EXPECT_EQ(s.code(), Status::Code::IOError);
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();

    std::unique_ptr<File> missing;
    s = openFile(std::string(dir) + "/nada.dbf", OpenMode::ReadWrite, &missing);
    EXPECT_EQ(s.code(), Status::Code::NotFound);
    EXPECT_NE(s.message().find("nada.dbf"), std::string::npos);
    std::remove(path.c_str());
    std::remove(memoPath.c_str());
    rmdir(dir);
}

// The header takes bytes 0-511 whatever the block size, so the first memo block moves.
TEST(DbfMemo, FirstBlockFollowsTheBlockSize) {
    struct Case {
        uint32_t blockSize, firstBlock, secondBlock;
    };
    const Case cases[] = {{1, 512, 525}, {64, 8, 9}, {100, 6, 7}, {512, 1, 2}, {1024, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blockSize);
        auto data = std::make_shared<std::string>();
        std::unique_ptr<FptMemo> m;
        ASSERT_TRUE(
            FptMemo::create(std::make_unique<MemoryFile>("m.fpt", data), c.blockSize, &m).ok());
        uint32_t a = 0, b = 0;
        ASSERT_TRUE(m->append("hello", FptMemo::kTypeText, &a).ok());
        ASSERT_TRUE(m->append("world", FptMemo::kTypeText, &b).ok());
        EXPECT_EQ(a, c.firstBlock);
        EXPECT_EQ(b, c.secondBlock);
        std::unique_ptr<FptMemo> r;
        ASSERT_TRUE(FptMemo::open(std::make_unique<MemoryFile>("m.fpt", data), &r).ok());
        EXPECT_EQ(r->blockSize(), c.blockSize);
        std::string text;
        uint32_t type = 0;
        ASSERT_TRUE(r->read(b, &text, &type).ok());
        EXPECT_EQ(text, "world");
        EXPECT_EQ(type, FptMemo::kTypeText);
        EXPECT_EQ(r->read(r->nextFree(), &text).code(), Status::Code::Corruption);
    }
}

TEST(DbfTable, AMemoBeforeARefusedValueIsNotStored) {
    Buffers b;
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::create(b.dbfFile(), b.fptFile(), {{"M", 'M', 10, 0}, {"N", 'N', 3, 0}},
                                 options(), &t)
                    .ok());
    ASSERT_TRUE(t->append({Value::memo("uno"), 1}, nullptr).ok());
    const std::string fpt = *b.fpt;
    EXPECT_EQ(t->write(1, {Value::memo("dos"), 1000}).code(), Status::Code::InvalidArgument);
    EXPECT_EQ(t->append({Value::memo("tres"), 1000}, nullptr).code(),
              Status::Code::InvalidArgument);
    EXPECT_EQ(*b.fpt, fpt);
}

TEST(DbfTable, StructuresThatCannotBeStoredAreRefused) {
    struct Case {
        Structure structure;
        bool withMemoFile;
        Status::Code code;
        const char* mentions;
    };
    using C = Status::Code;
    const Case cases[] = {
        {{}, true, C::InvalidArgument, "at least one field"},
        {{{"NOMBRE_LARGO", 'C', 5, 0}}, true, C::InvalidArgument, "NOMBRE_LARGO"},
        {{{"A", 'C', 5, 0}, {"a", 'N', 3, 0}}, true, C::InvalidArgument, "twice"},
        {{{"VOTOS", 'N', 21, 0}}, true, C::InvalidArgument, "VOTOS"},
        {{{"PCT", 'N', 4, 3}}, true, C::InvalidArgument, "decimals"},
        {{{"C0", 'C', 255, 0}}, true, C::InvalidArgument, "length 255"},
        {{{"MAL-NOMBRE", 'C', 5, 0}}, true, C::InvalidArgument, "MAL-NOMBRE"},
        {{{"CUANDO", 'T', 8, 0}}, true, C::NotSupported, "'T'"},
        {{{"NOTAS", 'M', 10, 0}}, false, C::InvalidArgument, "memo file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mentions);
        Buffers b;
        std::unique_ptr<DbfTable> t;
        Status s = DbfTable::create(b.dbfFile(), c.withMemoFile ? b.fptFile() : nullptr,
                                    c.structure, options(), &t);
        EXPECT_EQ(s.code(), c.code) << s.toString();
        EXPECT_NE(s.message().find(c.mentions), std::string::npos) << s.message();
    }
}

// Records added in batches make the same file, byte for byte, as records added one by
// one and marked deleted afterwards; reads and other changes between them see every
// record, and a batch larger than one write is split without a seam.
TEST(DbfTable, BatchedAppendsMakeTheSameFile) {
    const Structure st = {{"NOMBRE", 'C', 30, 0}, {"NUM", 'N', 8, 2}, {"ALTA", 'D', 8, 0}, {"SI", 'L', 1, 0}};
    Buffers plain, batched;
    std::unique_ptr<DbfTable> a, b;
    ASSERT_TRUE(DbfTable::create(plain.dbfFile(), nullptr, st, options(), &a).ok());
    ASSERT_TRUE(DbfTable::create(batched.dbfFile(), nullptr, st, options(), &b).ok());
    const long kRows = 30000;  // about 1.4 MB: more than one batch
    for (long i = 1; i <= kRows; ++i) {
        std::vector<Value> row = {Value("Núñez " + std::to_string(i)), Value::number(double(i) / 7.0, 8, 2),
                                  Value(Date::fromYmd(2000 + int(i % 20), 1 + int(i % 12), 1 + int(i % 28))),
                                  Value(i % 3 == 0)};
        bool deleted = i % 65 == 0;
        uint32_t recno = 0;
        ASSERT_TRUE(a->append(row, &recno).ok());
        if (deleted) ASSERT_TRUE(a->setDeleted(recno, true).ok());
        ASSERT_TRUE(b->appendBatched(row, deleted).ok());
        ASSERT_EQ(b->recordCount(), uint32_t(i));
        if (i == 1000) {  // a read in the middle of a batch sees the batch
            std::vector<Value> got;
            bool del = false;
            ASSERT_TRUE(b->read(999, &got, &del).ok());
            EXPECT_EQ(text::rtrim(got[0].text()), "Núñez 999");
            ASSERT_TRUE(a->setDeleted(998, true).ok());
            ASSERT_TRUE(b->setDeleted(998, true).ok());
        }
    }
    ASSERT_TRUE(a->commit().ok());
    ASSERT_TRUE(b->commit().ok());
    EXPECT_TRUE(*plain.dbf == *batched.dbf);
    std::unique_ptr<DbfTable> r = reopen(batched);
    ASSERT_EQ(r->recordCount(), uint32_t(kRows));
    std::vector<Value> got;
    bool del = false;
    ASSERT_TRUE(r->read(130, &got, &del).ok());
    EXPECT_TRUE(del);
    EXPECT_EQ(got[1].num(), 18.57);
}

// Numbers are written as "%.*f" writes them, ties and negative zeros included.
// Ties round away from zero (as the memory engine rounds), never to "-0".
TEST(DbfTable, NumbersAreWrittenAsTheFieldRoundingGivesThem) {
    const std::vector<std::tuple<double, int, const char*>> cases = {
        {0.125, 2, "0.13"},   {0.375, 2, "0.38"}, {2.5, 0, "3"},        {3.5, 0, "4"},
        {-2.5, 0, "-3"},      {-0.001, 2, "0.00"}, {-0.0, 0, "0"},      {1.005, 2, "1.00"},
        {99999999, 0, "99999999"}, {-9999999, 0, "-9999999"}, {0.1, 1, "0.1"}, {1e-7, 4, "0.0000"},
        {4503599627370497.0, 0, "4503599627370497"}};
    for (auto [d, dec, text] : cases) {
        Buffers b;
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(DbfTable::create(b.dbfFile(), nullptr, {{"N", 'N', 20, dec}}, options(), &t).ok());
        ASSERT_TRUE(t->append({Value::number(d, 20, dec)}, nullptr).ok());
        ASSERT_TRUE(t->commit().ok());
        std::string want = std::string(20 - std::strlen(text), ' ') + text;
        std::string raw;
        ASSERT_TRUE(t->readRaw(1, &raw).ok());
        EXPECT_EQ(raw.substr(1), want) << d << " with " << dec << " decimals";
    }
}
