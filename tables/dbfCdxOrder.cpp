// Orders of the disk driver DBFCDX: the order list and focus, tag creation, order
// information and scopes, seeks, and navigation in the current order within its scopes.
// Key comparison follows the memory engine: a stored key equals a sought text that it
// begins with, and keys of another type sort by type (logical, date, number, text).
#include <algorithm>
#include <cstring>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "dbfCdxArea.h"

namespace dbfcdx {

namespace {

DiskTag* tagAt(DbfCdxArea& s, int n) {
    if (!s.index || n < 1 || n > int(s.index->tags.size())) return nullptr;
    return &s.index->tags[size_t(n - 1)];
}

// Where the current order's cursor stands: on the entry of `rec`, for this order and this
// state of the index.
bool cursorOnCurrent(const DbfCdxArea& s) {
    return s.cursor && s.cursor->valid() && s.cursorOrder == s.order && s.cursorRec == s.recNo &&
           s.cursorVersion == s.index->version && !s.eof;
}

void newCursor(DbfCdxArea& s, const DiskTag& t) {
    // A cursor on the same tag as the same reader sees it is positioned again, not made.
    const cdx::CdxReader& r = *s.index->reader;
    bool same = s.cursor && s.cursorReader == r.serial() && s.cursor->tag().header == t.info.header &&
                s.cursor->tag().fill == t.info.fill && s.cursorVersion == s.index->version;
    if (!same) s.cursor = std::make_unique<cdx::CdxCursor>(r, t.info);
    s.cursorReader = r.serial();
    s.cursorOrder = s.order;
    s.cursorVersion = s.index->version;
    s.cursorRec = 0;
}

bool check(DbfCdxArea& s, const Status& st) {
    if (st.ok()) return true;
    raiseStatus(st, false, s.index->path);
    return false;
}

bool inScope(const DiskTag& t, std::string_view key) {
    // Scopes compare as seeks do: a key inside begins with, or sorts between, the bounds.
    return (!t.top || compareSought(t, key, *t.topKey) >= 0) &&
           (!t.bottom || compareSought(t, key, *t.bottomKey) <= 0);
}

// Moves the area onto the record of the cursor's entry, which another area may have added.
void goToEntry(DbfCdxArea& s) {
    long rec = long(s.cursor->recno());
    if (rec > s.count()) refreshCount(s);
    goToRecord(s, rec);
    s.cursorRec = s.recNo;
}

// Moves the area onto the cursor's entry, or to the end when it has none in scope.
void settle(DbfCdxArea& s, const DiskTag& t) {
    if (!s.cursor->valid() || !inScope(t, s.cursor->key())) {
        goToEof(s);
        return;
    }
    goToEntry(s);
}

// The cursor on the first (or last) entry inside the scopes; invalid when there is none.
bool toScopeEnd(DbfCdxArea& s, const DiskTag& t, bool first) {
    newCursor(s, t);
    cdx::CdxCursor& c = *s.cursor;
    const std::optional<SoughtKey>& bound = first ? t.topKey : t.bottomKey;
    Status st;
    if (!bound || (first ? bound->outside < 0 : bound->outside > 0)) {
        st = first ? c.first() : c.last();
    } else if (bound->outside) {
        return true;  // nothing can be inside: the cursor stays invalid
    } else if (first && !bound->past) {
        bool found = false;
        st = c.seek(bound->bytes, &found);
    } else {
        st = c.seekAfter(bound->bytes);
        if (st.ok() && !first) st = c.valid() ? c.prev() : c.last();
    }
    return check(s, st);
}

// Puts the cursor on the current record's entry; *has is false when the record has none
// (its FOR condition leaves it out, or the area is at the end).
bool cursorToCurrent(DbfCdxArea& s, const DiskTag& t, bool* has) {
    *has = false;
    if (cursorOnCurrent(s)) {
        *has = true;
        return true;
    }
    if (s.atEnd()) return true;
    std::optional<std::string> key;
    if (!tagKey(s, t, &key)) return false;
    if (!key) return true;
    newCursor(s, t);
    if (!check(s, s.cursor->seekPair(*key, uint32_t(s.recNo), has))) return false;
    if (*has) s.cursorRec = s.recNo;
    return true;
}

// Shared areas: under the index lock, with the tag list read again when it changed.
struct ReadGuard {
    IndexLock lock;
    bool ok;
    explicit ReadGuard(DbfCdxArea& s) : lock(s, false), ok(lock.ok() && refreshIndex(s)) {}
};

}  // namespace

bool orderedEnd(DbfCdxArea& s, bool top) {
    ReadGuard g(s);
    DiskTag* t = tagAt(s, s.order);
    if (!g.ok || !t || !toScopeEnd(s, *t, top)) return false;
    settle(s, *t);
    return true;
}

namespace {

// The first entry in scope with the beginning flag (a backward walk that ran out).
bool toFirstWithBof(DbfCdxArea& s, const DiskTag& t) {
    if (!toScopeEnd(s, t, true)) return false;
    settle(s, t);
    if (!s.eof) s.bof = true;
    return true;
}

}  // namespace

bool orderedSkipRaw(DbfCdxArea& s, long n) {
    ReadGuard g(s);
    DiskTag* t = tagAt(s, s.order);
    if (!g.ok || !t) return false;
    bool has = false;
    if (!cursorToCurrent(s, *t, &has)) return false;
    // A record without an entry stands after the scope; one outside it, before or after.
    int side = !has ? 1
               : t->topKey && compareSought(*t, s.cursor->key(), *t->topKey) < 0 ? -1
               : t->bottomKey && compareSought(*t, s.cursor->key(), *t->bottomKey) > 0 ? 1
                                                                                       : 0;
    if (side > 0 && n > 0) {
        goToEof(s);
        return true;
    }
    if (side < 0 && n < 0) return toFirstWithBof(s, *t);
    if (side != 0) {
        if (!toScopeEnd(s, *t, side < 0)) return false;
        n += n > 0 ? -1 : 1;
    }
    cdx::CdxCursor& c = *s.cursor;
    for (long i = 0; i < (n < 0 ? -n : n) && c.valid(); ++i) {
        if (!check(s, n > 0 ? c.next() : c.prev())) return false;
        if (!c.valid() || !inScope(*t, c.key())) {
            if (n < 0) return toFirstWithBof(s, *t);
            goToEof(s);
            return true;
        }
    }
    settle(s, *t);
    return true;
}

namespace {

// Compares a stored key with a whole one in tag order, as the cursor does.
int compareStored(const DiskTag& t, std::string_view stored, std::string_view key) {
    size_t n = std::min(stored.size(), key.size());
    int c = std::memcmp(stored.data(), key.data(), n);
    c = c < 0 ? -1 : c > 0 ? 1 : 0;
    return t.info.descending ? -c : c;
}

// Number of entries in scope, and the position of the current record's entry among them:
// ranks from the subtree key counts kept with the index (counted again after any change).
bool countKeys(DbfCdxArea& s, DiskTag& t, bool position, long* out) {
    *out = 0;
    ReadGuard g(s);
    if (!g.ok) return false;
    std::optional<std::string> key;
    if (position) {
        if (s.atEnd()) return true;
        if (!tagKey(s, t, &key)) return false;
        if (!key || !inScope(t, *key)) return true;
    }
    DiskIndex& x = *s.index;
    if (x.countsVersion != x.version) {
        x.counts.clear();
        x.countsVersion = x.version;
    }
    cdx::CdxCounter counter(*x.reader, t.info, &x.counts);
    uint64_t first = 0, end = 0;
    Status st;
    if (t.topKey)
        st = counter.rank([&](std::string_view k, uint32_t) { return compareSought(t, k, *t.topKey) >= 0; },
                          &first);
    if (st.ok() && position) {
        long rec = s.recNo;
        cdx::CdxCursor c(*x.reader, t.info);
        bool found = false;
        st = c.seekPair(*key, uint32_t(rec), &found);
        if (!st.ok() || !found) return check(s, st);
        st = counter.rank(
            [&](std::string_view k, uint32_t r) {
                int cmp = compareStored(t, k, *key);
                return cmp > 0 || (cmp == 0 && r >= uint32_t(rec));
            },
            &end);
        if (st.ok() && end >= first) *out = long(end - first + 1);
        return check(s, st);
    }
    if (st.ok() && t.bottomKey)
        st = counter.rank([&](std::string_view k, uint32_t) { return compareSought(t, k, *t.bottomKey) > 0; },
                          &end);
    else if (st.ok())
        st = counter.total(&end);
    if (st.ok() && end > first) *out = long(end - first);
    return check(s, st);
}

int resolveOrder(DbfCdxArea& s, const Value& order, const std::string& bag) {
    size_t count = s.index ? s.index->tags.size() : 0;
    if (order.isNumber()) {
        int n = int(order.num());
        return n >= 1 && n <= int(count) ? n : 0;
    }
    if (order.isNil() && bag.empty()) return tagAt(s, s.order) ? s.order : 0;
    std::string tag = order.isText() ? order.text() : bag;
    tag = text::upper(text::rtrim(tag));
    for (size_t i = 0; i < count; ++i)
        if (s.index->tags[i].info.name == tag) return int(i) + 1;
    return 0;
}

void setScope(DbfCdxArea& s, DiskTag& t, bool top, const std::optional<Value>& v) {
    (top ? t.top : t.bottom) = v;
    std::optional<SoughtKey>& key = top ? t.topKey : t.bottomKey;
    if (v)
        key = soughtKey(s, t, *v);
    else
        key.reset();
    s.cursor.reset();
}

}  // namespace

bool DC_SEEK(Area& a, bool soft, const Value& key, bool last) {
    DbfCdxArea& s = state(a);
    DiskTag* t = tagAt(s, s.order);
    if (!t) {
        raise(EG_NOORDER, 1020, errorDescription(EG_NOORDER), s.given, true);
        return false;
    }
    ReadGuard g(s);
    if (!g.ok) return false;
    t = tagAt(s, s.order);
    if (!t) return false;
    SoughtKey k = soughtKey(s, *t, key);
    newCursor(s, *t);
    cdx::CdxCursor& c = *s.cursor;
    bool found = false;
    Status st;
    if (k.outside < 0) {
        if (soft) st = c.first();  // every key sorts after the sought one
    } else if (k.outside > 0) {
        // every key sorts before it: the end of file
    } else if (k.past) {
        st = c.seekAfter(k.bytes);
    } else if (!last) {
        st = c.seek(k.bytes, &found);
    } else {
        // The last entry that begins with the key is just before the first greater one.
        st = c.seekAfter(k.bytes);
        if (st.ok()) st = c.valid() ? c.prev() : c.last();
        found = st.ok() && c.valid() && compareSought(*t, c.key(), k) == 0;
        if (st.ok() && !found) st = c.seekAfter(k.bytes);
    }
    if (!check(s, st)) return false;
    s.found = found;
    if (found || (soft && c.valid())) {
        goToEntry(s);
    } else {
        goToEof(s);
    }
    return true;
}

bool DC_ORDLSTADD(Area& a, OrderListInfo& info) {
    DbfCdxArea& s = state(a);
    std::string path = bagPath(s, info.bag);
    if (!s.index || s.index->path != path) {
        if (!openIndex(s, path)) return false;
    }
    // The first tag becomes current, whatever was; a tag named with the list is taken instead.
    s.order = s.index->tags.empty() ? 0 : 1;
    if (info.focus.isNumber() || info.focus.isText()) s.order = resolveOrder(s, info.focus, "");
    s.cursor.reset();
    return true;
}

bool DC_ORDLSTCLEAR(Area& a) {
    DbfCdxArea& s = state(a);
    closeIndex(s);
    s.cursor.reset();
    return true;
}

bool DC_ORDLSTFOCUS(Area& a, OrderListInfo& info) {
    DbfCdxArea& s = state(a);
    DiskTag* cur = tagAt(s, s.order);
    info.result = Value(cur ? cur->info.name : std::string());
    if (info.focus.isNumber() || info.focus.isText()) {
        s.order = resolveOrder(s, info.focus, "");
        s.cursor.reset();
    }
    return true;
}

bool DC_ORDCREATE(Area& a, const OrderCreateInfo& info) {
    DbfCdxArea& s = state(a);
    s.cursor.reset();
    bool ok = createTag(s, info);
    s.cursor.reset();
    if (!ok) {
        goToRecord(s, 1);
        return false;
    }
    if (DiskTag* t = tagAt(s, s.order)) {
        setScope(s, *t, true, std::nullopt);
        setScope(s, *t, false, std::nullopt);
    }
    return a.rdd->funcs.goTop(a);
}

bool DC_ORDINFO(Area& a, int what, OrderInfo& info) {
    DbfCdxArea& s = state(a);
    if (!ReadGuard(s).ok) return false;  // the tag list as another area may have left it
    int n = resolveOrder(s, info.order, info.bag);
    DiskTag* t = tagAt(s, n);
    switch (what) {
        case DBOI_EXPRESSION: info.result = Value(t ? t->info.keyExpr : std::string()); return true;
        case DBOI_CONDITION: info.result = Value(t ? t->info.forExpr : std::string()); return true;
        case DBOI_NAME: info.result = Value(t ? t->info.name : std::string()); return true;
        case DBOI_NUMBER: info.result = Value(n); return true;
        case DBOI_ORDERCOUNT: info.result = Value(long(s.index ? s.index->tags.size() : 0)); return true;
        case DBOI_BAGNAME: info.result = Value(s.index ? s.index->path : std::string()); return true;
        case DBOI_BAGEXT: info.result = Value(".cdx"); return true;
        case DBOI_POSITION:
        case DBOI_KEYCOUNT: {
            long answer = 0;
            if (t && !countKeys(s, *t, what == DBOI_POSITION, &answer)) return false;
            info.result = Value(answer);
            return true;
        }
        case DBOI_SCOPETOP:
        case DBOI_SCOPEBOTTOM:
        case DBOI_SCOPETOPCLEAR:
        case DBOI_SCOPEBOTTOMCLEAR: {
            bool top = what == DBOI_SCOPETOP || what == DBOI_SCOPETOPCLEAR;
            if (!t) {
                info.result = Value();
                return true;
            }
            std::optional<Value>& slot = top ? t->top : t->bottom;
            info.result = slot ? *slot : Value();
            if (what == DBOI_SCOPETOPCLEAR || what == DBOI_SCOPEBOTTOMCLEAR)
                setScope(s, *t, top, std::nullopt);
            else if (info.hasNewValue)
                setScope(s, *t, top, info.newValue.isNil() ? std::nullopt : std::optional<Value>(info.newValue));
            return true;
        }
        default: return false;
    }
}

}  // namespace dbfcdx
