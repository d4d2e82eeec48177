#include "tGetFer.h"

#include "Keyboard.h"

namespace {

constexpr Color kWindowText = colors::black;
constexpr Color kWindowBack = colors::white;
constexpr int kInsertKey = 45;

GetOptions withColors(GetOptions o) {
    o.textColor = o.textColor.value_or(kWindowText);
    o.backColor = o.backColor.value_or(kWindowBack);
    return o;
}

}  // namespace

tGetFer::tGetFer(TWindowBase& parent, GetOptions o)
    : TGet(parent, withColors(std::move(o))),
      nClrFore(textColor()),
      nClrBack(backColor().value_or(kWindowBack)),
      nClrForeGot(nClrForeDef),
      nClrBackGot(nClrBackDef) {}

std::optional<long> tGetFer::handleEvent(int message, intptr_t wParam, intptr_t lParam) {
    if (message == kContextMenuMessage) return 0;
    return TGet::handleEvent(message, wParam, lParam);
}

void tGetFer::gotFocus() {
    setColors(nClrForeGot, nClrBackGot);
    TGet::gotFocus();
    shapeCaret(false);
    showCaret(true);
}

void tGetFer::lostFocus() {
    TGet::lostFocus();
    setColors(nClrFore, nClrBack);
}

bool tGetFer::keyDown(int key, int flags) {
    bool used = TGet::keyDown(key, flags);
    bool shift = (flags & keyflags::shift) || ::keyDown(Key::Shift);
    bool control = (flags & keyflags::control) || ::keyDown(Key::Control);
    if (!bKeyDown && key == kInsertKey && !shift && !control) shapeCaret(true);
    return used;
}

// Insert mode: a bar 2 pixels wide; overwrite mode: a block 6 wide. On focus both stand
// one pixel short of the character height; after the Insert key the block fills it.
void tGetFer::shapeCaret(bool fullHeightWhenWide) {
    int h = charHeight();
    if (insertMode())
        setCaretShape(2, h - 1);
    else
        setCaretShape(6, fullHeightWhenWide ? h : h - 1);
}

void tGetFer::setColorGot(Color fore, Color back) {
    nClrForeGot = fore;
    nClrBackGot = back;
}

void tGetFer::setColorDefault(Color fore, Color back) {
    nClrForeDef = fore;
    nClrBackDef = back;
}

bool tGetFer::lValid() {
    return ::keyDown(Key::Up) || TGet::lValid();
}
