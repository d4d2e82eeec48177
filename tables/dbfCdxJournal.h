#pragma once
// The journal that makes a change of a table, its memo file and its index reach the disk
// whole or not at all. It is a side file beside the table (other programs ignore it):
//
// - A change in place (records, memos, index pages): the bytes about to be overwritten and
//   each file's length are written to the journal and flushed, then the new bytes go to the
//   files, which are flushed, and the journal is removed. Whoever finds a journal (the next
//   open, or the next change of another copy) writes the old bytes back: a rollback.
// - A replacement (pack, zap, an index built anew): the new files are written complete
//   beside the old ones and flushed; the journal then lists which side file replaces which
//   file, and the renames follow. Whoever finds that journal finishes the renames.
//
// A journal is only trusted whole: its last eight bytes are a checksum of the rest, and one
// cut short (the writer stopped while writing it) is removed without being applied, since
// nothing was changed before it was complete.
#include <string>
#include <utility>
#include <vector>

#include "Status.h"
#include "dbfCdxFile.h"

namespace dbfcdx {

// The journal of the table at `tablePath`.
std::string journalPath(const std::string& tablePath);

// Writes the held writes of `files` to the disk as one change (see above) and stops holding.
// Each file's new bytes go from its end back, except `headerFirst`'s (if any), from its start.
Status commitHeld(const std::string& journal, const std::vector<TableFile*>& files,
                  const TableFile* headerFirst = nullptr);

// Puts each side file in place of its target (pairs of side, target), through the journal.
Status replaceFiles(const std::string& journal,
                    const std::vector<std::pair<std::string, std::string>>& sideTarget);

// What a journal holds, as read back.
struct JournalContents {
    bool whole = false;    // false: cut short or not a journal (never applied)
    bool renames = false;  // a replacement rather than a rollback
    std::vector<std::pair<std::string, std::string>> sideTarget;
    std::vector<std::pair<std::string, uint64_t>> files;  // path, length before the change
    struct Region {
        uint32_t file;
        uint64_t offset;
        std::string bytes;  // as they were before the change
    };
    std::vector<Region> regions;
};
// A journal's bytes: `body` followed by its checksum.
std::string sealJournal(std::string body);
// Reads the bytes of `journal`; Corruption when a whole journal is malformed or names a file
// it may not change (beside it, or an index file elsewhere).
Status parseJournal(std::string_view bytes, const std::string& journal, JournalContents* out);

// Applies a journal left behind by a writer that stopped: rolls a change back or finishes a
// replacement, then removes it. OK when there is none. The caller holds the commit lock.
Status recoverJournal(const std::string& journal);

}  // namespace dbfcdx
