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

// One attempt per clock second while the seconds left stay above 0: 2.5 seconds make
// three attempts, as 2.5, 1.5 and 0.5 are left before each.
bool retryUntilLockedOrRefused(double seconds, bool escapeAllowed, const std::string& record) {
    for (;;) {
        for (double left = seconds; left > 0; left -= 1) {
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
    double spell = seconds.isNumber() ? seconds.num() : 15;
    bool escapeAllowed = escape.isLogical() ? escape.logical() : true;
    std::string record = std::to_string(RECNO()) + " de " + text::upper(ALIAS());
    Value locked = MsgRun("Registro " + record, "Intentado bloquear registro", [&] {
        return Value(retryUntilLockedOrRefused(spell, escapeAllowed, record));
    });
    return locked.logical();
}
