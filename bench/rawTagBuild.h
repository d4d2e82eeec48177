#pragma once
// The plain build of index tags with the disk driver through the table layer, as the
// benchmarks measure it: table by table in the order given, each table's index file removed
// first, then its tags created one after another. `onTag` runs after each tag is built,
// with its table's area current. A table that cannot be opened or a tag that cannot be
// built ends the benchmark through `fail`.
#include <filesystem>
#include <string>

#include "TableLayer.h"

template <class Tags, class Fail, class OnTag>
void buildTagsRaw(const std::string& folder, const Tags& tags, Fail fail, OnTag onTag) {
    std::string open;
    for (const auto& t : tags) {
        if (open != t.table) {
            if (!open.empty()) DBCLOSEAREA();
            std::filesystem::remove(folder + "/" + t.table + ".cdx");
            if (!DBUSEAREA(true, "DBFCDX", t.table, "", false)) fail(std::string("cannot open ") + t.table);
            open = t.table;
        }
        ORDCONDSET({.forText = t.condition});
        if (!ORDCREATE("", t.tag, t.key)) fail(std::string("cannot build tag ") + t.tag);
        onTag();
    }
    if (!open.empty()) DBCLOSEAREA();
}
