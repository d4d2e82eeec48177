// Writes the files the checker's test runs over, into DIR:
//   votos.dbf + votos.cdx  a table (through the layer) and an index our writer built from
//                          it: tag NOMBRE (character keys) and tag VOTOS (numeric keys,
//                          two levels, leaves re-packed with trailing 0x00 compression as
//                          other programs write binary keys)
//   roto.dbf + roto.cdx    copies with one leaf of tag NOMBRE given a wrong sibling link
//   sola.cdx               a copy of votos.cdx with no table beside it
// Prints the offset of the damaged page, e.g. 0x0C00.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TableLayer.h"
#include "cdxReader.h"
#include "cdxWriter.h"
#include "dbfCdxDriver.h"

namespace fs = std::filesystem;
using namespace cdx;

namespace {

constexpr int kRecords = 600;

std::string nameOf(int i) {
    static const char* const kNames[] = {"Núñez", "Ibáñez", "Peña", "Ávila", "Ruiz", "Soto"};
    return std::string(kNames[i % 6]) + " " + std::to_string(i / 6);
}
int votesOf(int i) {
    return (i * 37) % 1000 - 100;
}

bool writeTable(const std::string& file) {
    if (!DBCREATE(file, {{"NOMBRE", 'C', 10, 0}, {"VOTOS", 'N', 6, 0}}, "DBFCDX")) return false;
    if (!DBUSEAREA(true, "DBFCDX", file, "", false)) return false;
    for (int i = 1; i <= kRecords; ++i) {
        if (!DBAPPEND() || FIELDPUT(1, Value(nameOf(i))).isNil() ||
            FIELDPUT(2, Value(votesOf(i))).isNil())
            return false;
    }
    DBCLOSEAREA();
    return true;
}

CdxTagSpec tag(const std::string& name, uint32_t keyLength, bool binary, std::string (*key)(int)) {
    CdxTagSpec t{.name = name, .keyExpr = name, .keyLength = keyLength, .binary = binary};
    for (int i = 1; i <= kRecords; ++i) t.keys.push_back({key(i), uint32_t(i)});
    std::sort(t.keys.begin(), t.keys.end(), [](const auto& a, const auto& b) {
        return a.key != b.key ? a.key < b.key : a.recno < b.recno;
    });
    return t;
}

// The table is in code page 1252; key bytes are the table's bytes.
std::string nameKey(int i) {
    std::string latin;
    const std::string utf8 = nameOf(i);
    for (size_t p = 0; p < utf8.size(); ++p) {
        unsigned char c = utf8[p];
        if (c >= 0xC0 && p + 1 < utf8.size())  // two-byte UTF-8 of a Latin-1 letter
            latin += char(((c & 0x1F) << 6) | (utf8[++p] & 0x3F));
        else
            latin += char(c);
    }
    return charKey(latin, 10);
}
std::string votesKey(int i) {
    return numericKey(votesOf(i));
}

// Leaf pages of a tag, left to right.
std::vector<uint32_t> leavesOf(const CdxReader& r, const TagInfo& t) {
    std::vector<uint32_t> level = {t.root};
    for (;;) {
        bool leaf = false;
        if (!r.isLeaf(level[0], &leaf).ok()) return {};
        if (leaf) return level;
        std::vector<uint32_t> below;
        for (uint32_t page : level) {
            CdxInterior n;
            if (!r.readInterior(page, t, &n).ok()) return {};
            for (const auto& e : n.entries) below.push_back(e.child);
        }
        level = below;
    }
}

bool patchPages(
    const std::string& path, const std::string& tagName,
    const std::function<bool(uint32_t, const TagInfo&, const CdxReader&, std::string*)>& patch) {
    std::unique_ptr<File> f, w;
    std::unique_ptr<CdxReader> r;
    if (!openFile(path, OpenMode::ReadOnly, &f).ok() || !CdxReader::open(std::move(f), &r).ok())
        return false;
    if (!openFile(path, OpenMode::ReadWrite, &w).ok()) return false;
    const TagInfo& t = r->tags().at(r->findTag(tagName));
    for (uint32_t page : leavesOf(*r, t)) {
        std::string img;
        if (!patch(page, t, *r, &img)) return false;
        if (!img.empty() && !w->write(page, img).ok()) return false;
    }
    return w->sync().ok();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    dbfCdxRegister();
    if (!writeTable(dir + "/votos")) return 1;
    std::unique_ptr<File> out;
    if (!openFile(dir + "/votos.cdx", OpenMode::Create, &out).ok() ||
        !writeCdx({tag("NOMBRE", 10, false, nameKey), tag("VOTOS", 8, true, votesKey)}, {},
                  out.get())
             .ok())
        return 1;
    out.reset();
    // Binary keys with trailing zero bytes removed, as other programs store them.
    if (!patchPages(dir + "/votos.cdx", "VOTOS",
                    [](uint32_t page, const TagInfo& t, const CdxReader& r, std::string* img) {
                        CdxLeaf leaf;
                        return r.readLeaf(page, t, &leaf).ok() &&
                               leaf.encodeTo(t.keyLength, 0, 3, img).ok();
                    }))
        return 1;
    fs::copy_file(dir + "/votos.cdx", dir + "/sola.cdx", fs::copy_options::overwrite_existing);
    fs::copy_file(dir + "/votos.dbf", dir + "/roto.dbf", fs::copy_options::overwrite_existing);
    fs::copy_file(dir + "/votos.cdx", dir + "/roto.cdx", fs::copy_options::overwrite_existing);
    uint32_t damaged = kNoPage;
    if (!patchPages(
            dir + "/roto.cdx", "NOMBRE",
            [&damaged](uint32_t page, const TagInfo&, const CdxReader& r, std::string* img) {
                if (damaged != kNoPage) return true;
                damaged = page;
                if (!r.readPage(page, img).ok()) return false;
                putLe32(img->data() + 4, page);  // itself as its left neighbour
                return true;
            }))
        return 1;
    std::printf("%s\n", hexOffset(damaged).c_str());
    return 0;
}
