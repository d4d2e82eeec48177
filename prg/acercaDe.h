#pragma once
// The about box: the program's picture with its name, four lines of text, the maker line
// and the maker's addresses. Shown as the start-up splash (not modal, refusing to close
// until the caller clears its closing check and ends it) and from the menu (modal,
// closing on a click, a key or after 10 seconds).
//
// The texts and settings given to a call are remembered for the whole process: a later
// call without them shows the same box.
#include <functional>
#include <memory>

#include "Control.h"
#include "Dialog.h"
#include "Value.h"

// The maker's name, sales e-mail and web address shown in the box.
inline constexpr const char* kMakerName = "Tarvelon Sistemas";
inline constexpr const char* kMakerMail = "ventas@tarvelon.example";
inline constexpr const char* kMakerWeb = "https://www.tarvelon.example";

class acercaDeClass : public TDialog {
  public:
    struct Texts {
        std::string program, lines[4], makerLine;
        bool showMail = false;
    };
    // Builds the box over `picture` (its size is the box's size); `init` runs when the box
    // initialises, before it is resized to the picture and centred.
    acercaDeClass(const Picture& picture, const Texts& texts);

    TSay* oPrograma = nullptr;
    TSay* oLinea1 = nullptr;
    TSay* oLinea2 = nullptr;
    TSay* oLinea3 = nullptr;
    TSay* oLinea4 = nullptr;
    TSay* oCopyRigth = nullptr;
    TSay* oCorreo = nullptr;
    TSay* oPagina = nullptr;

    const TFont& programFont() const { return programFont_; }
    const TFont& makerFont() const { return makerFont_; }

  private:
    TFont programFont_{"ARIAL", 0, 40, false, true};
    TFont makerFont_{"MS Sans Serif", 5, 15, true, true};
};

struct AcercaDeArgs {
    Value autoClose;  // true: the about box of the menu; false or NIL: the splash
    Value program;
    Value line1, line2, line3, line4;
    Value year;      // of the maker line; the current year while none was ever given
    Value showMail;  // show the e-mail line
    std::function<void(acercaDeClass&)> init;  // restyles the box as it initialises
};

// The about box, shown. The menu's box has ended when this returns; the splash is still
// open: clear its bValid and end() it when the program has started.
std::unique_ptr<acercaDeClass> ACERCADE(const AcercaDeArgs& args = {});

// Forgets the remembered texts and settings (tests start from a fresh process's state).
void forgetAcercaDeSettings();
