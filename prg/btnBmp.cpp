#include "btnBmp.h"

#include "Error.h"
#include "Text.h"
#include "Window.h"

bool _tBtnBmp::lRegistered = false;

namespace {

// A constructor called without the window it needs: an argument error, no button.
_tBtnBmp* missing(const std::string& constructor, const std::string& what) {
    ErrorRecord r = makeError(EG_ARG, 0, "BASE", "_tBtnBmp:" + constructor);
    r.description = "Argument error: no " + what;
    raiseError(r);
    return nullptr;
}

// The UTF-8 character starting at `at` (a whole one, never a piece).
std::string characterAt(const std::string& s, size_t at) {
    size_t end = at + 1;
    while (end < s.size() && (uint8_t(s[end]) & 0xC0) == 0x80) ++end;
    return s.substr(at, end - at);
}

BtnMenuHost* hostOf(TWindowBase& w) {
    return dynamic_cast<BtnMenuHost*>(&w);
}

}  // namespace

std::string mnuTxtToolTip(const std::string& text) {
    size_t amp = text.find('&');
    return amp == std::string::npos ? text : text.substr(0, amp) + text.substr(amp + 1);
}

std::string mnuTxtAccelerator(const std::string& text) {
    size_t amp = text.find('&');
    if (amp == std::string::npos || amp + 1 >= text.size()) return std::string(1, '\0');
    return text::upper(characterAt(text, amp + 1));
}

// ---- _button_hide -----------------------------------------------------------------------

_button_hide::_button_hide(TWindowBase& parent, ButtonHideArgs a)
    : TButton(parent, ButtonOptions{.rect = Rect{a.rect.top, a.rect.left, 0, 0},
                                    .caption = a.caption,
                                    .isDefault = a.isDefault}),
      bWhen(std::move(a.bWhen)) {
    setAction([this, action = std::move(a.action)] {
        if (action && (!bWhen || bWhen())) action();
    });
}

// ---- _tBtnBmp ---------------------------------------------------------------------------

_tBtnBmp::_tBtnBmp(TWindowBase& parent, BtnBmpOptions options)
    : TBtnBmp(parent, std::move(options)) {
    lRegistered = true;
    if (bar()) oBtn_ = nullptr;  // bar buttons are reached through their bar's window
}

namespace {
// The toolkit options of a button placed on a window or dialog (New and reDefine).
template <class Args>
BtnBmpOptions placedOptions(Args& a, const Rect& where) {
    return BtnBmpOptions{.rect = where,
                         .resName1 = a.resName1,
                         .resName2 = a.resName2,
                         .message = a.message,
                         .action = std::move(a.action),
                         .adjust = a.adjust,
                         .toolTip = a.toolTip,
                         .bWhen = std::move(a.bWhen),
                         .id = a.id};
}
}  // namespace

_tBtnBmp* _tBtnBmp::New(BtnBmpNewArgs a) {
    if (!a.window) return missing("New", "window");
    auto* b = a.window->add<_tBtnBmp>(placedOptions(a, a.rect));
    b->finish(a.mnuTxt, a.jump, a.image1, a.image2, a.image3, a.image4);
    return b;
}

_tBtnBmp* _tBtnBmp::newBar(BtnBmpBarArgs a) {
    if (!a.bar) return missing("newBar", "bar");
    auto* b = a.bar->parent().add<_tBtnBmp>(BtnBmpOptions{.resName1 = a.resName1,
                                                          .resName2 = a.resName2,
                                                          .message = a.message,
                                                          .action = std::move(a.action),
                                                          .group = a.group,
                                                          .bar = a.bar,
                                                          .adjust = a.adjust,
                                                          .actionText = a.actionText,
                                                          .toolTip = a.toolTip,
                                                          .bWhen = std::move(a.bWhen)});
    b->finish(a.mnuTxt, a.jump, a.image1, a.image2, a.image3, a.image4);
    return b;
}

_tBtnBmp* _tBtnBmp::reDefine(BtnBmpReDefineArgs a) {
    if (!a.dialog) return missing("reDefine", "dialog");
    Rect where = a.rect;
    if (TControl* stand = a.id ? a.dialog->control(a.id) : nullptr) {
        where = stand->rect();
        stand->hide();
    }
    auto* b = a.dialog->add<_tBtnBmp>(placedOptions(a, where));
    b->finish(a.mnuTxt, a.jump, a.image1, a.image2, a.image3, a.image4);
    return b;
}

void _tBtnBmp::finish(const std::string& mnuTxt, TControl* jump, const std::string& i1,
                      const std::string& i2, const std::string& i3, const std::string& i4) {
    if (!mnuTxt.empty()) addMenu(mnuTxt);
    oJump = jump;
    loadFromString(i1, i2, i3, i4);
}

void _tBtnBmp::addMenu(const std::string& text) {
    if (cToolTip().empty()) setToolTip(mnuTxtToolTip(text));
    cMnuTxt_ = text;
    bMMoved = [](TBtnBmp& b, int, int) { b.setCursor(MouseCursor::Hand); };
    BtnMenuHost* host = hostOf(oWnd());
    if (host) host->addMenu(*this);
    if (bar()) {
        bRClicked = [](TBtnBmp& b, int row, int col) {
            if (BtnMenuHost* h = hostOf(b.oWnd())) {
                Rect at = b.windowRect();
                h->showMenu(row + int(at.top), col + int(at.left));
            }
        };
        oBtn_ = nullptr;
    }
}

void _tBtnBmp::paint(Canvas& canvas) {
    if (!oBtn_) {
        oBtn_ = oWnd().add<_button_hide>(ButtonHideArgs{.rect = rect(),
                                                        .caption = cMnuTxt_,
                                                        .action = [this] { companionClicked(); },
                                                        .bWhen = bWhen});
        if (!enabled()) (*oBtn_)->enable(false);
    }
    TBtnBmp::Paint(canvas);
}

// Nothing of the companion's action is used after the click, whose action may end the
// button and with it the companion running this.
void _tBtnBmp::companionClicked() {
    auto alive = lifetime();
    _button_hide* companion = hiddenButton();
    Click();
    if (!alive.expired() && companion && companion->hasFocus()) setFocus();
}

void _tBtnBmp::click() {
    auto alive = lifetime();
    TBtnBmp::Click();
    // The action may have ended the button (a button that closes what holds it).
    if (alive.expired() || !hasFocus()) return;
    if (oJump)
        oJump->setFocus();
    else
        focusNextControl();
}

void _tBtnBmp::enable() {
    if (_button_hide* b = hiddenButton()) b->enable(true);
    TBtnBmp::Enable();
}

void _tBtnBmp::disable() {
    if (_button_hide* b = hiddenButton()) b->enable(false);
    TBtnBmp::Disable();
}

void _tBtnBmp::end() {
    if (_button_hide* b = hiddenButton()) {
        oBtn_ = nullptr;
        oWnd().destroyControl(b);
    }
    TBtnBmp::Destroy();
}

void _tBtnBmp::loadFromString(const std::string& i1, const std::string& i2, const std::string& i3,
                              const std::string& i4) {
    const std::string* images[] = {&i1, &i2, &i3, &i4};
    for (int k = 1; k <= 4; ++k) {
        const std::string& bytes = *images[k - 1];
        if (bytes.empty()) continue;
        loadBitmap(k, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
        // The windowing system keeps no palettes of its own to register.
    }
}
