#pragma once
// Standard message boxes (modal, centred, Spanish captions) and the busy box MsgRun.
#include <functional>
#include <string>

#include "Value.h"

// "&Sí" / "&No"; Yes has the focus. True for yes; Escape or the close box answer no.
bool MsgYesNo(const std::string& text, const std::string& title = " Elija una opción");
// The same with No focused, for questions whose safe answer is no.
bool MsgNoYes(const std::string& text, const std::string& title = " Elija una opción");
// A warning or an information with a single "&Aceptar".
void MsgAlert(const std::string& text, const std::string& title = " Atención");
void MsgInfo(const std::string& text, const std::string& title = " Información");

// Shows a small modal window with `text` and `title` while `action` runs, closes it when
// the action returns (or unwinds) and answers the action's result. The user cannot close
// the box meanwhile; events keep being delivered when the action lets them run.
Value MsgRun(const std::string& text, const std::string& title,
             const std::function<Value()>& action);
