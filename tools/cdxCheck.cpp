// urnalia_cdxcheck: checks the structure of compound index files and prints, per tag, its
// key and FOR expressions, key type, key count, depth and pages; then "OK" or the first
// error found, naming the file and the page. Exit code 0 when every file is sound, 1 when
// any is damaged or unreadable, 2 for a wrong command line.
#include "cdxCheck.h"

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Text.h"
#include "cdxKeyTypes.h"
#include "dbfCdxDriver.h"

namespace {

const char* const kUsage =
    "usage: urnalia_cdxcheck [--binary TAG[,TAG...]] FILE.cdx [FILE.cdx ...]\n"
    "  Key types come from the table beside each index (same name, .dbf); without it keys\n"
    "  are taken as character keys. --binary names tags whose keys are numbers or dates.\n";

struct Options {
    std::set<std::string> binaryTags;  // upper case
    std::set<std::string> binaryTagsSeen;
    std::vector<std::string> files;
};

bool parseArgs(int argc, char** argv, Options* out) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--binary" && i + 1 < argc) {
            std::istringstream list(argv[++i]);
            for (std::string tag; std::getline(list, tag, ',');)
                if (!tag.empty()) out->binaryTags.insert(text::upper(tag));
        } else if (arg.starts_with("-")) {
            return false;
        } else {
            out->files.push_back(arg);
        }
    }
    return !out->files.empty();
}

std::string typeText(const TagKeyType& kt) {
    if (kt.given) return "binary (0x00 fill, as given)";
    return std::string(1, kt.type) +
           (fillFor(kt.type) == cdx::kBinaryFill ? " (0x00 fill)" : " (blank fill)");
}

void printTag(const cdx::TagInfo& tag, const TagKeyType& kt, const cdx::CdxTagStats* st) {
    std::printf("  tag %-10s key %s  for %s  type %s", tag.name.c_str(), tag.keyExpr.c_str(),
                tag.forExpr.empty() ? "-" : tag.forExpr.c_str(), typeText(kt).c_str());
    if (st)
        std::printf("  keys %llu  depth %d  leaves %u  interior %u\n",
                    static_cast<unsigned long long>(st->keys), st->depth, st->leaves,
                    st->interiors);
    else
        std::printf("  not checked\n");
    if (!kt.learnt && !kt.note.empty())
        std::printf("    assuming character keys: %s\n", kt.note.c_str());
}

// Checks one index; true when it is sound.
bool checkFile(const std::string& path, Options& options) {
    std::unique_ptr<File> file;
    Status s = openFile(path, OpenMode::ReadOnly, &file);
    std::unique_ptr<cdx::CdxReader> reader;
    if (s.ok()) s = cdx::CdxReader::open(std::move(file), &reader);
    if (!s.ok()) {
        std::printf("%s\nERROR %s\n", path.c_str(), s.message().c_str());
        return false;
    }
    const std::string table = tableBeside(path);
    KeyTypes learnt = learnKeyTypes(table, reader->tags());
    std::vector<TagKeyType>& types = learnt.perTag;
    for (size_t i = 0; i < types.size(); ++i) {
        if (options.binaryTags.count(reader->tags()[i].name)) {
            types[i] = {.type = 'N', .learnt = true, .given = true};
            options.binaryTagsSeen.insert(reader->tags()[i].name);
        }
        reader->setKeyFill(i, fillFor(types[i].type));
    }
    std::printf("%s: tags %zu\n", path.c_str(), reader->tags().size());
    if (learnt.tableNote.empty())
        std::printf("  key types from %s\n", table.c_str());
    else
        std::printf("  assuming character keys: %s\n", learnt.tableNote.c_str());
    cdx::CdxCheckStats stats;
    s = cdx::checkCdx(*reader, &stats);
    for (size_t i = 0; i < reader->tags().size(); ++i)
        printTag(reader->tags()[i], types[i], i < stats.perTag.size() ? &stats.perTag[i] : nullptr);
    if (s.ok()) {
        std::printf("  free-page list: %u pages\nOK\n", stats.freePages);
        return true;
    }
    std::printf("ERROR %s\n", s.message().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArgs(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    dbfCdxRegister();
    bool allSound = true;
    for (const std::string& f : options.files) allSound = checkFile(f, options) && allSound;
    for (const std::string& tag : options.binaryTags)
        if (!options.binaryTagsSeen.count(tag))
            std::printf("note: no index has a tag %s (--binary)\n", tag.c_str());
    return allSound ? 0 : 1;
}
