#include "aRegistr.h"

#include "TableLayer.h"
#include "rBloquea.h"

Value AREGISTRO(const Value& values, const Value& seconds, const Value& escape) {
    if (!values.isArray()) {
        Array record;
        int count = FCOUNT();
        record.reserve(size_t(count));
        for (int i = 1; i <= count; ++i) record.push_back(FIELDGET(i));
        return Value(std::move(record));
    }
    if (!RBLOQUEAR(seconds, escape)) return Value(false);
    bool written = DBPUTREC(*values.array());
    DBCOMMITALL();
    DBUNLOCK();
    return Value(written);
}
