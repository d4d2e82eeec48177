// Treats the input as a compound index file: opens it, lists and walks every tag both ways,
// seeks, and runs the structural checker; also decodes the first page as a leaf and as an
// interior node. Nothing may crash or read out of bounds; errors must be statuses.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cdxCheck.h"

using namespace cdx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    if (in.size() >= kPageSize) {
        uint32_t keyLength = 1 + uint8_t(in[1]) % kMaxKeyLength;
        CdxLeaf leaf;
        (void)leaf.decodeFrom(in.substr(0, kPageSize), keyLength, kCharFill);
        CdxInterior node;
        (void)node.decodeFrom(in.substr(0, kPageSize), keyLength);
    }
    CdxHeader h;
    (void)h.decodeFrom(in);

    auto file = std::make_unique<MemoryFile>("fuzz.cdx", std::make_shared<std::string>(in));
    std::unique_ptr<CdxReader> r;
    if (!CdxReader::open(std::move(file), &r).ok()) return 0;
    for (const TagInfo& t : r->tags()) {
        CdxCursor c(*r, t);
        Status s;
        for (s = c.first(); s.ok() && c.valid(); s = c.next()) (void)c.key();
        for (s = c.last(); s.ok() && c.valid(); s = c.prev()) (void)c.recno();
        bool found = false;
        (void)c.seek(t.name, &found);
        (void)c.seek(std::string(t.keyLength, '\xFF'), &found);
    }
    CdxCheckStats st;
    (void)checkCdx(*r, &st);
    return 0;
}
