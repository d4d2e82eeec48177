// The structural checker and the reader on real index files from the shared samples, on
// files the writer builds, and on a table of damaged files: Corruption (or NotSupported for
// variants we do not read) naming the file, never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cdxCheck.h"
#include "cdxWriter.h"

using namespace cdx;
namespace fs = std::filesystem;

namespace {

const fs::path kSamples = "/work/shared/formats/samples";

struct TagWant {
    const char* name;
    const char* keyExpr;  // nullptr: the README does not state it
    const char* forExpr;
    uint32_t keyLength;
    uint64_t keys;
    bool binary;  // integer, date or time keys: trailing compression removed 0x00 bytes
};
struct FileWant {
    const char* path;
    std::vector<TagWant> tags;  // in tag-name order
};

const std::vector<FileWant> kFiles = {
    {"dbd-xbase/rooms.cdx",
     {{"AUDIO", "roomname", "TRIM(UPPER(facility))==\"AUDIO\"", 10, 13, false},
      {"FACILITY", "facility", "", 10, 42, false},
      {"FILM", "roomname", "TRIM(UPPER(facility))==\"FILM\"", 10, 6, false},
      {"MAIN", "roomname", "TRIM(UPPER(facility))==\"MAIN\"", 10, 21, false},
      {"ROOMNAME", "roomname", "", 10, 42, false}}},
    {"dbfdatareader/calls.CDX",
     {{"CALL_ID", "call_id", "", 4, 16, true}, {"CONTACT_ID", "contact_id", "", 4, 16, true}}},
    {"dbfdatareader/contacts.CDX",
     {{"CONTACT_ID", "contact_id", "", 4, 5, true},
      {"TYPE_ID", "contact_type_id", "", 4, 5, true}}},
    {"dbfdatareader/setup.CDX", {{"KEY_NAME", "key_name", "", 50, 3, false}}},
    {"dbfdatareader/types.CDX", {{"TYPE_ID", "contact_type_id", "", 4, 2, true}}},
    {"dbfdatareader/FOXPRO-DB-TEST.DCX",
     {{"OBJECTNAME", "STR(parentid)+objecttype+LOWER(objectname)", ".NOT.DELETED()", 148, 56,
       false},
      {"OBJECTTYPE", "STR(parentid)+objecttype", ".NOT.DELETED()", 20, 56, false}}},
    {"go-dbase/EXPENSES.DCX",
     {{"OBJECTNAME", "STR(parentid)+objecttype+LOWER(objectname)", ".NOT.DELETED()", 148, 57,
       false},
      {"OBJECTTYPE", "STR(parentid)+objecttype", ".NOT.DELETED()", 20, 57, false}}},
    {"go-dbase/expense_reports.CDX",
     {{"DATESUBMIT", "datesubmitted", "", 8, 3, true},
      {"EMPLOYEEID", nullptr, "", 4, 3, true},
      {"PRIMARYKEY", nullptr, "", 4, 3, true}}},
    {"javadbf-xsource/employees.cdx",
     {{"EMAILNAME", "emailname", "", 51, 5, false},
      {"LASTNAME", "lastname", "", 51, 5, false},
      {"POSTALCODE", nullptr, "", 21, 5, false},
      {"PRIMARYKEY", "employeeid", "", 4, 5, true}}},
    {"javadbf-xsource/foxref_ref.cdx",
     {{"CHECKED", "checked", "", 2, 79, false},
      {"FILEID", nullptr, "", 10, 79, false},
      {"INACTIVE", "inactive", "", 1, 79, false},
      {"REFID", nullptr, "", 10, 79, false},
      {"REFTYPE", "reftype", "", 1, 79, false},
      {"SETID", nullptr, "", 10, 79, false},
      {"UNIQUEID", nullptr, "", 10, 79, false}}},
    {"javadbf-xsource/payments.cdx",
     {{"PAYMENTMET", nullptr, "", 5, 5, true},
      {"PRIMARYKEY", "paymentid", "", 4, 5, true},
      {"PROJECTID", nullptr, "", 5, 5, true}}},
};

Status openPath(const fs::path& p, std::unique_ptr<CdxReader>* r) {
    std::unique_ptr<File> f;
    Status s = openFile(p.string(), OpenMode::ReadOnly, &f);
    return s.ok() ? CdxReader::open(std::move(f), r) : s;
}

TEST(CdxSamples, EveryIndexIsListedAndChecked) {
    if (!fs::exists(kSamples)) GTEST_SKIP() << "no shared samples";
    size_t seen = 0;
    for (const auto& e : fs::recursive_directory_iterator(kSamples)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = char(std::tolower(uint8_t(c)));
        if (ext == ".cdx" || ext == ".dcx") ++seen;
    }
    EXPECT_EQ(seen, kFiles.size()) << "a sample index has no expectations";

    for (const FileWant& fw : kFiles) {
        SCOPED_TRACE(fw.path);
        std::unique_ptr<CdxReader> r;
        Status s = openPath(kSamples / fw.path, &r);
        ASSERT_TRUE(s.ok()) << s.toString();
        ASSERT_EQ(r->tags().size(), fw.tags.size());
        for (size_t i = 0; i < fw.tags.size(); ++i) {
            const TagWant& w = fw.tags[i];
            const TagInfo& t = r->tags()[i];
            EXPECT_EQ(t.name, w.name);
            if (w.keyExpr) {
                EXPECT_EQ(t.keyExpr, w.keyExpr);
            }
            EXPECT_EQ(t.forExpr, w.forExpr);
            EXPECT_EQ(t.keyLength, w.keyLength);
            EXPECT_FALSE(t.descending);
            if (w.binary) r->setKeyFill(i, kBinaryFill);
        }
        CdxCheckStats st;
        s = checkCdx(*r, &st);
        ASSERT_TRUE(s.ok()) << s.toString();
        ASSERT_EQ(st.perTag.size(), fw.tags.size());
        for (size_t i = 0; i < fw.tags.size(); ++i) {
            EXPECT_EQ(st.perTag[i].keys, fw.tags[i].keys) << fw.tags[i].name;
            // the cursor's walks agree with the checker's count
            CdxCursor c(*r, r->tags()[i]);
            uint64_t n = 0;
            for (s = c.last(); s.ok() && c.valid(); s = c.prev()) ++n;
            EXPECT_TRUE(s.ok()) << s.toString();
            EXPECT_EQ(n, fw.tags[i].keys) << fw.tags[i].name;
        }
    }
}

TEST(CdxSamples, DetailsTheReadmeStates) {
    if (!fs::exists(kSamples)) GTEST_SKIP() << "no shared samples";
    struct Depth {
        const char* path;
        const char* tag;
        int depth;
    };
    const Depth depths[] = {
        {"dbfdatareader/FOXPRO-DB-TEST.DCX", "OBJECTNAME", 2},
        {"dbfdatareader/FOXPRO-DB-TEST.DCX", "OBJECTTYPE", 1},
        {"go-dbase/EXPENSES.DCX", "OBJECTNAME", 2},
        {"dbd-xbase/rooms.cdx", "ROOMNAME", 1},
    };
    for (const Depth& d : depths) {
        std::unique_ptr<CdxReader> r;
        ASSERT_TRUE(openPath(kSamples / d.path, &r).ok());
        CdxCheckStats st;
        ASSERT_TRUE(checkCdx(*r, &st).ok());
        int i = r->findTag(d.tag);
        ASSERT_GE(i, 0);
        EXPECT_EQ(st.perTag[i].depth, d.depth) << d.path << " " << d.tag;
    }
    // FACILITY: two all-blank keys; seek by prefix finds the first "Audio".
    std::unique_ptr<CdxReader> r;
    ASSERT_TRUE(openPath(kSamples / "dbd-xbase/rooms.cdx", &r).ok());
    CdxCursor c(*r, r->tags()[r->findTag("facility")]);
    int blanks = 0;
    Status s;
    for (s = c.first(); s.ok() && c.valid(); s = c.next()) blanks += c.key() == "          ";
    EXPECT_EQ(blanks, 2);
    bool found = false;
    ASSERT_TRUE(c.seek("Aud", &found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(c.key(), "Audio     ");
    ASSERT_TRUE(c.seek("Zz", &found).ok());
    EXPECT_FALSE(c.valid());
    // A date key whose trailing zero bytes were compressed away.
    ASSERT_TRUE(openPath(kSamples / "go-dbase/expense_reports.CDX", &r).ok());
    int date = r->findTag("DATESUBMIT");
    r->setKeyFill(date, kBinaryFill);
    CdxCursor d(*r, r->tags()[date]);
    ASSERT_TRUE(d.seek(std::string("\xC1\x42\xB0\xB9", 4), &found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(d.key(), std::string("\xC1\x42\xB0\xB9\x00\x00\x00\x00", 8));
}

// Every leaf of every tag (and of the directories), decoded and encoded again with the
// widths the page declares, gives back the page: header, packed entries and key bytes
// (the free middle may hold stale bytes in real files).
void reencodeLeaves(const CdxReader& r, const TagInfo& t, uint32_t at, int depth, int* leaves) {
    ASSERT_LT(depth, 8);
    bool leaf = false;
    ASSERT_TRUE(r.isLeaf(at, &leaf).ok());
    if (!leaf) {
        CdxInterior n;
        ASSERT_TRUE(r.readInterior(at, t, &n).ok());
        for (const auto& e : n.entries) reencodeLeaves(r, t, e.child, depth + 1, leaves);
        return;
    }
    std::string page, again;
    ASSERT_TRUE(r.readPage(at, &page).ok());
    CdxLeaf l;
    ASSERT_TRUE(l.decodeFrom(page, t.keyLength, t.fill).ok());
    // Some real tags store trailing filler bytes instead of compressing them (trail 0
    // throughout): the declared free space tells which way the page was written.
    int fill = uint8_t(t.fill);
    size_t compressed = CdxLeaf::encodedSize(l.entries, 0, l.entries.size(), t.keyLength, fill,
                                             l.layout.entryBytes);
    if (compressed != l.usedBytes) fill = -1;
    ASSERT_TRUE(l.encodeTo(t.keyLength, fill, l.layout.entryBytes, &again).ok());
    size_t packed = 24 + l.entries.size() * l.layout.entryBytes;
    size_t keyBytes = l.usedBytes - (packed - 24);
    EXPECT_EQ(again.substr(0, packed), page.substr(0, packed)) << t.name << " leaf " << at;
    EXPECT_EQ(again.substr(512 - keyBytes), page.substr(512 - keyBytes)) << t.name << " " << at;
    ++*leaves;
}

TEST(CdxSamples, LeavesEncodeAsTheFamilyWroteThem) {
    if (!fs::exists(kSamples)) GTEST_SKIP() << "no shared samples";
    int leaves = 0;
    for (const FileWant& fw : kFiles) {
        SCOPED_TRACE(fw.path);
        std::unique_ptr<CdxReader> r;
        ASSERT_TRUE(openPath(kSamples / fw.path, &r).ok());
        reencodeLeaves(*r, r->directory(), r->directory().root, 0, &leaves);
        for (size_t i = 0; i < fw.tags.size(); ++i) {
            if (fw.tags[i].binary) r->setKeyFill(i, kBinaryFill);
            reencodeLeaves(*r, r->tags()[i], r->tags()[i].root, 0, &leaves);
        }
    }
    EXPECT_EQ(leaves, 46);  // 11 directories and 35 tag leaves
}

// ---- files the writer builds ----

CdxTagSpec tagOf(const std::string& name, int keys) {
    CdxTagSpec t{name, name, "", 6, {}};
    for (int i = 1; i <= keys; ++i) {
        char b[8];
        std::snprintf(b, sizeof b, "K%05d", i);
        t.keys.push_back({b, uint32_t(i)});
    }
    return t;
}

TEST(CdxCheck, BuiltFilesPassWithTheirStatistics) {
    CdxTagSpec wide{"WIDE", "w", "", 240, {}};
    for (uint32_t rec = 1; rec <= 40; ++rec)
        wide.keys.push_back({std::string(240, char(rec)), rec});
    CdxTagSpec desc{"DESC", "d", "", 4, {}, false, false, true};
    for (uint32_t rec = 1; rec <= 300; ++rec)
        desc.keys.push_back({std::string(4, char(255 - rec % 200)), rec});
    std::stable_sort(desc.keys.begin(), desc.keys.end(),
                     [](const auto& a, const auto& b) { return a.key > b.key; });
    std::string img;
    ASSERT_TRUE(
        buildCdx({tagOf("ONE", 1), tagOf("MANY", 3000), wide, desc, {"NONE", "n", "", 3, {}}}, {},
                 &img)
            .ok());
    std::unique_ptr<CdxReader> r;
    ASSERT_TRUE(CdxReader::open(
                    std::make_unique<MemoryFile>("b.cdx", std::make_shared<std::string>(img)), &r)
                    .ok());
    CdxCheckStats st;
    Status s = checkCdx(*r, &st);
    ASSERT_TRUE(s.ok()) << s.toString();
    struct Want {
        const char* tag;
        uint64_t keys;
        int depth;
    };
    const Want want[] = {
        {"ONE", 1, 1}, {"MANY", 3000, 2}, {"WIDE", 40, 6}, {"DESC", 300, 2}, {"NONE", 0, 1}};
    ASSERT_EQ(st.tags, 5u);
    for (const Want& w : want) {
        int i = r->findTag(w.tag);
        ASSERT_GE(i, 0);
        EXPECT_EQ(st.perTag[i].keys, w.keys) << w.tag;
        EXPECT_EQ(st.perTag[i].depth, w.depth) << w.tag;
    }
    EXPECT_EQ(st.pagesReached, img.size() / 512);
}

// ---- damaged files ----

struct Built {
    std::string image;
    uint32_t tagHeader, root, leaf0, leaf1;
};

// One tag of 300 keys: an interior root over several leaves.
void buildTwoLevel(Built* b) {
    ASSERT_TRUE(buildCdx({tagOf("T", 300)}, {}, &b->image).ok());
    b->tagHeader = 0x600;  // the only tag follows the one-leaf directory
    b->root = getLe32(b->image.data() + b->tagHeader);
    CdxInterior n;
    ASSERT_TRUE(n.decodeFrom(std::string_view(b->image).substr(b->root, 512), 6).ok());
    ASSERT_GE(n.entries.size(), 2u);
    b->leaf0 = n.entries[0].child;
    b->leaf1 = n.entries[1].child;
}

// First failure among opening, checking and walking every tag both ways.
Status examine(const std::string& image) {
    std::unique_ptr<CdxReader> r;
    Status s = CdxReader::open(
        std::make_unique<MemoryFile>("bad.cdx", std::make_shared<std::string>(image)), &r);
    if (!s.ok()) return s;
    for (const TagInfo& t : r->tags()) {
        CdxCursor c(*r, t);
        for (s = c.first(); s.ok() && c.valid(); s = c.next()) {
        }
        if (!s.ok()) return s;
        for (s = c.last(); s.ok() && c.valid(); s = c.prev()) {
        }
        if (!s.ok()) return s;
        bool found;
        s = c.seek("K00150", &found);
        if (!s.ok()) return s;
    }
    CdxCheckStats st;
    return checkCdx(*r, &st);
}

TEST(CdxCheck, DamagedFilesAreRefused) {
    Built b;
    ASSERT_NO_FATAL_FAILURE(buildTwoLevel(&b));
    ASSERT_TRUE(examine(b.image).ok());
    auto put32 = [](std::string& s, size_t at, uint32_t v) { putLe32(s.data() + at, v); };
    constexpr auto kCorrupt = Status::Code::Corruption;
    constexpr auto kUnsupported = Status::Code::NotSupported;
    struct Case {
        const char* what;
        Status::Code code;
        std::function<void(std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"truncated to the header", kCorrupt, [](std::string& s) { s.resize(700); }},
        {"truncated by a page", kCorrupt, [](std::string& s) { s.resize(s.size() - 512); }},
        {"root past the end", kCorrupt, [&](std::string& s) { put32(s, b.tagHeader, 0x100000); }},
        {"root not aligned", kCorrupt, [&](std::string& s) { put32(s, b.tagHeader, b.root + 3); }},
        {"directory root past the end", kCorrupt, [&](std::string& s) { put32(s, 0, 0x7FFFFE00); }},
        {"tag header past the end", kCorrupt,
         [&](std::string& s) { s[0x400 + 24 + 1] = char(0x7F); }},
        {"sibling chain loops to itself", kCorrupt,
         [&](std::string& s) { put32(s, b.leaf0 + 8, b.leaf0); }},
        {"sibling chain loops back", kCorrupt,
         [&](std::string& s) { put32(s, b.leaf1 + 8, b.leaf0); }},
        {"left link wrong", kCorrupt, [&](std::string& s) { put32(s, b.leaf1 + 4, kNoPage); }},
        {"root not marked as a root", kCorrupt, [&](std::string& s) { s[b.root] &= ~1; }},
        {"leaf marked as a root", kCorrupt, [&](std::string& s) { s[b.leaf1] |= 1; }},
        {"free list points at a live leaf", kCorrupt, [&](std::string& s) { put32(s, 4, b.leaf0); }},
        {"free list points at the root", kCorrupt, [&](std::string& s) { put32(s, 4, b.root); }},
        {"free list loops", kCorrupt,
         [&](std::string& s) {
             size_t spare = s.size();
             s.resize(spare + 512, '\0');
             put32(s, spare, uint32_t(spare));
             put32(s, 4, uint32_t(spare));
         }},
        {"free list leaves the file", kCorrupt, [&](std::string& s) { put32(s, 4, 0x7FFFFE00); }},
        {"child points at its parent", kCorrupt,
         [&](std::string& s) { putBe32(s.data() + b.root + 12 + 6 + 4, b.root); }},
        {"leaf key count too large", kCorrupt,
         [&](std::string& s) { s[b.leaf0 + 2] = char(0xFF); }},
        {"interior key count too large", kCorrupt, [&](std::string& s) { s[b.root + 2] = 40; }},
        {"interior key differs from child", kCorrupt,
         [&](std::string& s) { s[b.root + 12 + 5] = 'x'; }},
        {"free space wrong", kCorrupt, [&](std::string& s) { s[b.leaf0 + 12] ^= 1; }},
        {"entry width 0", kCorrupt, [&](std::string& s) { s[b.leaf1 + 23] = 0; }},
        {"expression lengths too long", kCorrupt,
         [&](std::string& s) {
             s[b.tagHeader + 506] = char(0xF0);
             s[b.tagHeader + 507] = 2;
         }},
        {"key length 0", kCorrupt, [&](std::string& s) { s[b.tagHeader + 12] = 0; }},
        {"not a compact index", kUnsupported, [&](std::string& s) { s[b.tagHeader + 14] = 0x40; }},
        {"bit-vector index", kUnsupported, [&](std::string& s) { s[14] = char(0xF0); }},
    };
    for (const Case& c : cases) {
        std::string img = b.image;
        c.damage(img);
        Status s = examine(img);
        EXPECT_EQ(s.code(), c.code) << c.what << ": " << s.toString();
        EXPECT_NE(s.message().find("bad.cdx"), std::string::npos) << c.what << ": " << s.message();
    }
}

}  // namespace
