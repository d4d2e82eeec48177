#include "rBloquea.h"

#include <chrono>
#include <string>
#include <thread>

#include "Clock.h"
#include "Keyboard.h"
#include "MsgBox.h"
#include "TableLayer.h"
#include "Text.h"
#include "aMensaje.h"

namespace {

// Waits until the clock's seconds digits change; false when Escape ended the wait.
// The key is read from the keyboard state, so a press during the wait counts even
// though nothing else of the program runs meanwhile.
bool waitOneSecond(bool escapeAllowed) {
    int start = clockSecond();
    while (clockSecond() == start) {
        if (escapeAllowed && keyDown(Key::Escape)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool retryUntilLockedOrRefused(long seconds, bool escapeAllowed, const std::string& record) {
    for (;;) {
        for (long left = seconds; left > 0; --left) {
            if (!waitOneSecond(escapeAllowed)) return false;
            if (RLOCK()) return true;
        }
        MensajeArgs question;
        question.value = Array{Value("Error al bloquear el registro"), Value(record)};
        question.buttons = Array{Value("Reintentar"), Value("Cancelar")};
        if (MENSAJE(question) == 2) return false;
    }
}

}  // namespace

bool RBLOQUEAR(const Value& seconds, const Value& escape) {
    if (RLOCK()) return true;
    long spell = seconds.isNumber() ? long(seconds.num()) : 15;
    bool escapeAllowed = escape.isLogical() ? escape.logical() : true;
    std::string record = std::to_string(RECNO()) + " de " + text::upper(ALIAS());
    Value locked = MsgRun("Registro " + record, "Intentado bloquear registro", [&] {
        return Value(retryUntilLockedOrRefused(spell, escapeAllowed, record));
    });
    return locked.logical();
}
