#include "cdxKeyTypes.h"

#include <filesystem>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"

namespace fs = std::filesystem;

std::string tableBeside(const std::string& indexPath) {
    const fs::path index(indexPath);
    fs::path folder = index.parent_path().empty() ? fs::path(".") : index.parent_path();
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const fs::path& p = e.path();
        if (text::lower(p.extension().string()) == ".dbf" &&
            text::lower(p.stem().string()) == text::lower(index.stem().string()) &&
            e.is_regular_file(ec))
            return p.string();
    }
    return {};
}

namespace {

KeyTypes assumed(size_t count, const std::string& note) {
    return {std::vector<TagKeyType>(count), note};
}

}  // namespace

KeyTypes learnKeyTypes(const std::string& table, const std::vector<cdx::TagInfo>& tags) {
    if (table.empty()) return assumed(tags.size(), "no table beside the index");
    std::string lastError;
    ScopedErrorHandler handler([&lastError](const ErrorRecord& r) {
        lastError = errorText(r);
        return ErrorAction::Default;
    });
    // The index under check must not be opened with the table.
    TableSettings saved = tableSettings();
    tableSettings().autoOpen = false;
    const bool opened = DBUSEAREA(true, "DBFCDX", table, "", true, true);
    tableSettings() = saved;
    if (!opened) return assumed(tags.size(), "cannot open " + table + ": " + lastError);

    KeyTypes out;
    DBGOTOP();
    for (const cdx::TagInfo& tag : tags) {
        lastError.clear();
        Block key = compileBlock(tag.keyExpr);
        if (!key) {
            out.perTag.push_back({.note = "key does not compile: " + lastError});
            continue;
        }
        Value v;
        try {
            v = key();
        } catch (const ErrorException& e) {
            lastError = e.what();
        }
        if (!lastError.empty() || v.isNil())
            out.perTag.push_back({.note = "key does not evaluate: " + lastError});
        else
            out.perTag.push_back({.type = v.type() == 'M' ? 'C' : v.type(), .learnt = true});
    }
    DBCLOSEAREA();
    return out;
}
