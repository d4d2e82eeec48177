// Treats the input as the body of a journal, sealed with a valid checksum so that the parser
// goes past it (a journal cut short is never parsed further): nothing may crash or read out
// of bounds, and every path it accepts is beside the journal or an index file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dbfCdxJournal.h"

namespace {
bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool allowed(const std::string& path) {
    if (path.rfind("/datos/", 0) == 0 && path.find('/', 7) == std::string::npos) return true;
    std::string lower;
    for (char c : path) lower.push_back(char(c >= 'A' && c <= 'Z' ? c + 32 : c));
    return path.find("/../") == std::string::npos && (endsWith(lower, ".cdx") || endsWith(lower, ".cdx.new~"));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string body = "URNJRNL1" + std::string(reinterpret_cast<const char*>(data), size);
    dbfcdx::JournalContents j;
    if (!dbfcdx::parseJournal(dbfcdx::sealJournal(body), "/datos/t.dbf.jnl", &j).ok()) return 0;
    for (const auto& [path, len] : j.files)
        if (!allowed(path)) std::abort();
    for (const auto& [side, target] : j.sideTarget)
        if (!allowed(side) || !allowed(target)) std::abort();
    return 0;
}
