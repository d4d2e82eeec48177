#pragma once
// tGetFer: the framework's entry field. It is the toolkit's TGet with its own colours while
// it has the focus, a caret that shows insert (thin) or overwrite (wide) mode, no context
// menu, and validation that lets the focus go while the Up arrow is held, so the user can
// always go back to the previous field. Owned by its window like every control.
//
// The focus colours of a field are copied from the class-wide defaults when it is created;
// changing the defaults later leaves existing fields as they are.
#include "Color.h"
#include "Get.h"

class tGetFer : public TGet {
  public:
    // The toolkit field's own options; colours left empty are the window text and
    // background colours.
    tGetFer(TWindowBase& parent, GetOptions options);

    Color nClrFore;     // without the focus
    Color nClrBack;
    Color nClrForeGot;  // with the focus
    Color nClrBackGot;
    static inline Color nClrForeDef = 0;         // black
    static inline Color nClrBackDef = 16777088;  // light cyan

    std::optional<long> handleEvent(int message, intptr_t wParam, intptr_t lParam) override;
    void gotFocus() override;
    void lostFocus() override;
    bool keyDown(int key, int flags) override;
    std::string className() const override { return "TGET"; }
    void setColorGot(Color fore, Color back);
    static void setColorDefault(Color fore, Color back);
    bool lValid() override;

  private:
    void shapeCaret(bool fullHeightWhenWide);
};
