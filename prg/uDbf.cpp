#include "uDbf.h"

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "rBloquea.h"
#include "uDbfArea.h"
#include "uDbfOem.h"

namespace {

[[noreturn]] void noVariable(int subCode, std::string_view name) {
    ErrorRecord r = makeError(EG_NOVAR, subCode, "BASE", std::string(name));
    r.description = "Variable does not exist";
    throwError(r);
}

}  // namespace

uDBF::uDBF(const std::string& alias) {
    area_ = alias.empty() ? currentAreaNo() : SELECT(alias);
    if (area_ == 0 || !inArea([] { return USED(); }))
        throwError(makeError(EG_NOALIAS, 1002, "BASE", alias.empty() ? "uDBF" : alias));
    inArea([this] {
        alias_ = ALIAS();
        int count = FCOUNT();
        for (int i = 1; i <= count; ++i) names_.push_back(text::upper(FIELDNAME(i)));
    });
    values_.resize(names_.size());
    change();
}

std::vector<std::pair<std::string, Value>> uDBF::members() const {
    Array campos(names_.begin(), names_.end());
    return {{"aDatos", Value(Array(values_))},
            {"aCampos", Value(std::move(campos))},
            {"cAlias", Value(alias_)},
            {"lDirecto", Value(lDirecto)},
            {"lOem", Value(lOem)},
            {"nArea", Value(area_)},
            {"__nRegistro", Value(nRegistro)}};
}

// ---- navigation --------------------------------------------------------------------------

uDBF& uDBF::dbGoTo(long record) {
    inArea([record] { return DBGOTO(record); });
    return change();
}

uDBF& uDBF::dbGoTop() {
    inArea([] { return DBGOTOP(); });
    return change();
}

uDBF& uDBF::dbGoBottom() {
    inArea([] { return DBGOBOTTOM(); });
    return change();
}

uDBF& uDBF::dbSkip(long n) {
    inArea([n] { return DBSKIP(n); });
    return change();
}

bool uDBF::dbSeek(const Value& key, bool softSeek, bool last) {
    bool found = inArea([&] { return DBSEEK(key, softSeek, last); });
    change();
    return found;
}

bool uDBF::eof() {
    return inArea([] { return EOF_(); });
}

bool uDBF::bof() {
    return inArea([] { return BOF(); });
}

// ---- loading and saving ------------------------------------------------------------------

uDBF& uDBF::change() {
    load();
    cascade();
    return *this;
}

uDBF& uDBF::load(bool again) {
    inArea([&] {
        if (again)
            DBGOTO(nRegistro);
        else
            nRegistro = RECNO();
        for (int i = 1; i <= fCount(); ++i) values_[size_t(i - 1)] = readField(i);
    });
    return *this;
}

// Runs with the buffer's area current.
Value uDBF::readField(int n) {
    Value v = FIELDGET(n);
    if (!lOem || !v.isText()) return v;
    std::string ansi = oemToAnsi(v.text());
    return v.type() == 'M' ? Value::memo(std::move(ansi)) : Value(std::move(ansi));
}

bool uDBF::toTable(const Value& value, Value* out) const {
    if (!lOem || !value.isText()) {
        *out = value;
        return true;
    }
    std::string oem, bad;
    if (!ansiToOem(value.text(), &oem, &bad)) {
        ErrorRecord r = makeError(EG_DATATYPE, 1020, "BASE", alias_);
        r.description = "Character \"" + bad + "\" has no byte in code page 850";
        raiseError(r);
        return false;
    }
    *out = value.type() == 'M' ? Value::memo(std::move(oem)) : Value(std::move(oem));
    return true;
}

uDBF& uDBF::save(const Value& keepLock, const Value& commit) {
    inArea([&] {
        if (RECNO() != nRegistro) DBGOTO(nRegistro);
    });
    if (bSave) bSave(*this);
    inArea([&] { writeBack(keepLock, commit); });
    if (bSaved) bSaved(*this);
    return *this;
}

// Runs with the buffer's area current, positioned on nRegistro. The layer checks every
// value before it stores any, so a refused value leaves the whole record as it was.
void uDBF::writeBack(const Value& keepLock, const Value& commit) {
    lGuardado = false;
    if (lDirecto) {
        DBCOMMIT();
        lGuardado = true;
    } else {
        if (!RBLOQUEAR()) return;
        std::vector<Value> record(values_.size());
        bool convertible = true;
        for (size_t i = 0; i < values_.size() && convertible; ++i)
            convertible = toTable(values_[i], &record[i]);
        lGuardado = convertible && DBPUTREC(record);
        if (lGuardado && (commit.isNil() || commit.logical())) DBCOMMIT();
    }
    if (keepLock.isNil()) DBRUNLOCK();
}

uDBF& uDBF::blank() {
    inArea([this] {
        long current = RECNO();
        DBGOTO(LASTREC() + 1);
        for (int i = 1; i <= fCount(); ++i) values_[size_t(i - 1)] = readField(i);
        DBGOTO(current);
    });
    cascade();
    return *this;
}

// ---- fields ------------------------------------------------------------------------------

void uDBF::checkPosition(int n, const char* operation) const {
    if (n >= 1 && n <= fCount()) return;
    ErrorRecord r = makeError(EG_BOUND, 1132, "BASE", operation);
    r.description = "Bound error: field " + std::to_string(n) + " of " + alias_;
    throwError(r);
}

Value uDBF::fieldGet(int n) {
    checkPosition(n, "uDBF:fieldGet");
    if (!lDirecto) return values_[size_t(n - 1)];
    return inArea([&] { return readField(n); });
}

Value uDBF::fieldPut(int n, const Value& value) {
    checkPosition(n, "uDBF:fieldPut");
    if (lDirecto) {
        Value stored;
        bool written =
            toTable(value, &stored) && inArea([&] { return !FIELDPUT(n, stored).isNil(); });
        if (!written) return Value();
    }
    values_[size_t(n - 1)] = value;
    return value;
}

int uDBF::fieldPos(std::string_view name) const {
    std::string wanted = text::upper(name);
    for (size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == wanted) return int(i + 1);
    return 0;
}

std::string uDBF::fieldName(int n) const {
    return n >= 1 && n <= fCount() ? names_[size_t(n - 1)] : std::string();
}

const Value& uDBF::field(std::string_view name) const {
    int n = fieldPos(name);
    if (n == 0) noVariable(1003, name);
    return values_[size_t(n - 1)];
}

void uDBF::setField(std::string_view name, const Value& value) {
    int n = fieldPos(name);
    if (n == 0) noVariable(1004, name);
    values_[size_t(n - 1)] = value;
}

// ---- records and locks -------------------------------------------------------------------

bool uDBF::rLock() {
    return inArea([] { return RBLOQUEAR(); });
}

void uDBF::dbCommit() {
    inArea([] { DBCOMMIT(); });
}

void uDBF::dbRUnlock(long record) {
    inArea([record] { DBRUNLOCK(record); });
}

bool uDBF::dbAppend(bool releaseLocks) {
    return inArea([&] {
        DBAPPEND(releaseLocks);
        if (NETERR()) return false;
        nRegistro = RECNO();
        return true;
    });
}

bool uDBF::dbDelete() {
    return inArea([] { return RBLOQUEAR() && DBDELETE(); });
}

bool uDBF::dbRecall() {
    return inArea([] { return RBLOQUEAR() && DBRECALL(); });
}

bool uDBF::deleted() {
    return inArea([] { return DELETED(); });
}

bool uDBF::netErr(std::optional<bool> set) {
    return inArea([set] { return NETERR(set); });
}

// ---- area --------------------------------------------------------------------------------

void uDBF::dbSelectArea() {
    DBSELECTAREA(area_);
}

void uDBF::dbCloseArea() {
    inArea([] {
        if (USED()) DBCLOSEAREA();
    });
}
