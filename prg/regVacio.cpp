#include "regVacio.h"

#include "TableLayer.h"
#include "aRegistr.h"

Value REGVACIO() {
    long current = RECNO();
    DBGOTO(LASTREC() + 1);
    Value empty = AREGISTRO();
    DBGOTO(current);
    return empty;
}
