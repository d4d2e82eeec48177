// _tBtnBmp and the built-in images: menu texts as tooltips and accelerators registered
// with the window, the focus after a click, the invisible companion following its button,
// images loaded by slot, reDefine over a dialog's control, the seventeen images and the
// nine of the browse windows.
#include "btnBmp.h"

#include <gtest/gtest.h>

#include <set>

#include "App.h"
#include "Dialog.h"
#include "Error.h"
#include "GuiHarness.h"
#include "Resources.h"
#include "TopWindow.h"
#include "bmpCodec.h"
#include "btnBmp_abc.h"
#include "embeddedResources.h"

namespace {

// A window that registers buttons as the browse windows do: one accelerator per button
// in registration order, and the positions its pop-up menu was asked for.
class HostWindow : public TWindow, public BtnMenuHost {
  public:
    HostWindow() : TWindow(WindowOptions{.title = " Anfitrión", .width = 400, .height = 200}) {}
    void addMenu(_tBtnBmp& b) override {
        buttons.push_back(&b);
        letters += mnuTxtAccelerator(b.cMnuTxt());
    }
    void showMenu(int row, int col) override { menus.push_back({row, col}); }
    std::vector<_tBtnBmp*> buttons;
    std::string letters;
    std::vector<std::pair<int, int>> menus;
};

std::string image(const char* name) {
    return BTNBMP_ABC(name).text();
}

class Buttons : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(Buttons, MenuTextGivesTooltipAndAcceleratorInRegistrationOrder) {
    struct Row {
        const char* mnuTxt;
        const char* toolTip;
        std::string letter;
    };
    const Row rows[] = {
        {"Agregar", "Agregar", std::string(1, '\0')},  // no "&": no key matches
        {"Consult(&a)r", "Consult(a)r", "A"},
        {"(&C)errar", "(C)errar", "C"},
        {"Fin&", "Fin", std::string(1, '\0')},
        {"&Gráficas", "Gráficas", "G"},
        {"(&ñ)ame", "(ñ)ame", "Ñ"},
    };
    HostWindow w;
    TBar* bar = w.add<TBar>();
    std::string letters;
    for (const Row& r : rows) {
        _tBtnBmp* b = _tBtnBmp::newBar({.bar = bar, .mnuTxt = r.mnuTxt});
        EXPECT_EQ(b->cToolTip(), r.toolTip) << r.mnuTxt;
        EXPECT_EQ(mnuTxtAccelerator(r.mnuTxt), r.letter) << r.mnuTxt;
        letters += r.letter;
    }
    EXPECT_EQ(w.letters, letters);
    ASSERT_EQ(w.buttons.size(), std::size(rows));
    EXPECT_EQ(w.buttons[1], bar->buttons()[1]);

    // A tooltip of its own stays; a button without menu text is not registered.
    auto* own = _tBtnBmp::newBar({.bar = bar, .toolTip = "Reportes", .mnuTxt = "&Imprimir"});
    EXPECT_EQ(own->cToolTip(), "Reportes");
    _tBtnBmp::newBar({.bar = bar});
    EXPECT_EQ(w.buttons.size(), std::size(rows) + 1);

    // A right click on a bar button opens the window's menu where the click was.
    w.activate();
    SysRefresh();
    Rect at = own->windowRect();
    own->bRClicked(*own, 5, 6);
    ASSERT_EQ(w.menus.size(), 1u);
    EXPECT_EQ(w.menus[0], (std::pair<int, int>{int(at.top) + 5, int(at.left) + 6}));
    own->bMMoved(*own, 1, 1);
    EXPECT_EQ(own->cursor(), MouseCursor::Hand);
}

TEST_F(Buttons, WindowsThatCannotRegisterArePassedOver) {
    TWindow w(WindowOptions{.title = " Otra"});
    auto* b = _tBtnBmp::newBar({.bar = w.add<TBar>(), .mnuTxt = "(&N)uevo"});
    EXPECT_EQ(b->cToolTip(), "(N)uevo");
    b->bRClicked(*b, 1, 1);  // nobody to show a menu: nothing happens
    int errors = 0;
    ScopedErrorHandler h([&](const ErrorRecord&) {
        ++errors;
        return ErrorAction::Default;
    });
    EXPECT_EQ(_tBtnBmp::newBar({.mnuTxt = "sin barra"}), nullptr);
    EXPECT_EQ(_tBtnBmp::New({.mnuTxt = "sin ventana"}), nullptr);
    EXPECT_EQ(errors, 2);
}

TEST_F(Buttons, ClickHandsTheFocusToTheJumpControlOrTheNextOne) {
    TDialog dlg(DialogOptions{.title = " Saltos", .units = Units::Pixels});
    int clicks = 0;
    auto action = [&](TBtnBmp&) { ++clicks; };
    auto* first = _tBtnBmp::New({.rect = {10, 10, 30, 30}, .action = action, .window = &dlg});
    auto* next = dlg.add<TButton>(ButtonOptions{.rect = {10, 50, 60, 24}, .caption = "Siguiente"});
    auto* target = dlg.add<TButton>(ButtonOptions{.rect = {10, 120, 60, 24}, .caption = "Destino"});
    auto* jumping =
        _tBtnBmp::New({.rect = {50, 10, 30, 30}, .action = action, .window = &dlg, .jump = target});
    harness.onNextModal([&](WindowView& v) {
        first->setFocus();
        first->click();
        EXPECT_TRUE(next->hasFocus()) << v.focusedCaption();
        jumping->setFocus();
        jumping->click();
        EXPECT_TRUE(target->hasFocus()) << v.focusedCaption();
        first->click();  // without the focus it stays where it is
        EXPECT_TRUE(target->hasFocus()) << v.focusedCaption();
        dlg.end();
    });
    dlg.activate();
    EXPECT_EQ(clicks, 3);
}

TEST_F(Buttons, AnActionMayEndItsOwnButton) {
    TDialog dlg(DialogOptions{.title = " Fin", .units = Units::Pixels});
    auto* next = dlg.add<TButton>(ButtonOptions{.rect = {10, 50, 60, 24}, .caption = "Otro"});
    auto ends = [](TBtnBmp& b) { b.Destroy(); };
    auto* byClick = _tBtnBmp::New({.rect = {10, 10, 30, 30}, .action = ends, .window = &dlg});
    auto* byKey = _tBtnBmp::New(
        {.rect = {50, 10, 30, 30}, .action = ends, .window = &dlg, .mnuTxt = "&Salir"});
    harness.onNextModal([&](WindowView& v) {
        SysRefresh();
        byClick->setFocus();
        byClick->click();
        EXPECT_TRUE(v.press("&Salir"));  // through the invisible companion
        EXPECT_EQ(dlg.controls().size(), 1u);
        EXPECT_EQ(dlg.controls()[0].get(), next);
        dlg.end();
    });
    dlg.activate();
    (void)byKey;
}

TEST_F(Buttons, TheInvisibleCompanionFollowsItsButton) {
    TDialog dlg(DialogOptions{.title = " Compañero", .units = Units::Pixels});
    int clicks = 0;
    bool allowed = true;
    auto* b = _tBtnBmp::New({.rect = {10, 10, 30, 30},
                             .action = [&](TBtnBmp&) { ++clicks; },
                             .window = &dlg,
                             .bWhen = [&] { return allowed; },
                             .mnuTxt = "&Ver",
                             .image1 = image("ver")});
    TBar* bar = dlg.add<TBar>();
    auto* onBar = _tBtnBmp::newBar({.bar = bar, .mnuTxt = "&Lupa"});
    auto* printer = _tBtnBmp::newBar({.resName1 = "b_mapa", .bar = bar});  // no menu text
    EXPECT_EQ(b->hiddenButton(), nullptr);
    EXPECT_TRUE(b->hasCompanionSlot());
    harness.onNextModal([&](WindowView& v) {
        SysRefresh();  // the first paint makes it
        _button_hide* c = b->hiddenButton();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->caption(), "&Ver");
        EXPECT_EQ(c->pixelRect(), (Rect{10, 10, 0, 0}));
        EXPECT_FALSE(onBar->hasCompanionSlot());  // bar buttons never get one
        EXPECT_FALSE(printer->hasCompanionSlot());
        EXPECT_EQ(v.buttons().size(), 1u);

        EXPECT_TRUE(v.press("&Ver"));
        EXPECT_EQ(clicks, 1);
        b->disable();
        EXPECT_FALSE(c->enabled());
        v.press("&Ver");
        EXPECT_EQ(clicks, 1);
        b->enable();
        EXPECT_TRUE(c->enabled());
        allowed = false;
        v.press("&Ver");
        EXPECT_EQ(clicks, 1);

        size_t before = dlg.controls().size();
        b->end();
        EXPECT_EQ(dlg.controls().size(), before - 2);
        EXPECT_EQ(dlg.control("Ver"), nullptr);
        dlg.end();
    });
    dlg.activate();
}

TEST_F(Buttons, LoadingSomeImagesLeavesTheOtherSlotsAlone) {
    TWindow w(WindowOptions{.title = " Imágenes"});
    auto* b = _tBtnBmp::New({.rect = {0, 0, 30, 30}, .window = &w, .image1 = image("nuevo")});
    const int one = b->hBitmap(1);
    ASSERT_NE(one, 0);
    b->loadFromString("", image("editar"));
    EXPECT_EQ(b->hBitmap(1), one);
    EXPECT_NE(b->hBitmap(2), 0);
    EXPECT_EQ(b->hBitmap(3), 0);
    EXPECT_EQ(b->hBitmap(4), 0);
    EXPECT_EQ(memBitmap(b->hBitmap(2))->width, 16);

    // A 32-bit picture whose fourth bytes are used has alpha; bad bytes keep the slot.
    Picture p(2, 1, colors::red);
    std::string withAlpha(54, '\0');
    for (auto [at, v] : {std::pair{0, 0x4D42}, {2, 62}, {10, 54}, {14, 40}, {18, 2}, {22, 1}})
        for (int i = 0; i < 4; ++i) withAlpha[size_t(at + i)] = char(v >> (8 * i));
    withAlpha[26] = 1, withAlpha[28] = 32;
    withAlpha += std::string("\x00\x00\xff\xff\x00\x00\xff\x40", 8);
    int errors = 0;
    ScopedErrorHandler h([&](const ErrorRecord&) {
        ++errors;
        return ErrorAction::Default;
    });
    b->loadFromString("BM broken", "", withAlpha);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(b->hBitmap(1), one);
    EXPECT_FALSE(b->HasAlpha(1));
    EXPECT_TRUE(b->HasAlpha(3));
}

TEST_F(Buttons, ReDefineTakesThePlaceOfTheDialogsControl) {
    TDialog dlg(DialogOptions{.title = " Gráfica"});
    TControl* stand = dlg.add<TButton>(ButtonOptions{.rect = {20, 30, 15, 12}, .id = 101});
    auto* over = _tBtnBmp::reDefine({.id = 101, .dialog = &dlg, .image1 = image("grabar")});
    auto* loose = _tBtnBmp::reDefine({.id = 102, .dialog = &dlg, .rect = {40, 30, 15, 12}});
    EXPECT_EQ(over->rect(), (Rect{20, 30, 15, 12}));
    EXPECT_FALSE(stand->visible());
    EXPECT_EQ(loose->pixelRect(), (Rect{80, 60, 30, 24}));  // dialog units: 2 pixels each
}

TEST(ButtonImages, EveryImageHasItsSizeDepthAndByteCount) {
    struct Row {
        const char* name;
        int side, bits;
        size_t bytes;
    };
    const Row rows[] = {
        {"borrar", 16, 4, 246},     {"checked", 16, 8, 1334},   {"configuracion", 16, 24, 822},
        {"copiar", 16, 24, 822},    {"editar", 16, 4, 246},     {"estadisticas", 22, 24, 1550},
        {"font", 16, 24, 822},      {"gr_barras", 16, 24, 822}, {"gr_lineas", 16, 24, 822},
        {"gr_pastel", 16, 24, 822}, {"gr_puntos", 16, 24, 822}, {"grabar", 16, 24, 822},
        {"impresora", 16, 4, 246},  {"lupa", 16, 4, 246},       {"nuevo", 16, 4, 246},
        {"uncheked", 16, 8, 1334},  {"ver", 16, 4, 246},
    };
    ASSERT_EQ(btnBmpAbcNames().size(), std::size(rows));
    std::set<std::string> seen;
    TWindow w(WindowOptions{.title = " Imágenes"});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Value v = BTNBMP_ABC(r.name);
        ASSERT_TRUE(v.isText());
        const std::string& b = v.text();
        ASSERT_EQ(b.size(), r.bytes);
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(uint8_t(b[28]), r.bits);
        Picture p;
        ASSERT_TRUE(decodeBmp({reinterpret_cast<const uint8_t*>(b.data()), b.size()}, p).ok());
        EXPECT_EQ(p.width, r.side);
        EXPECT_EQ(p.height, r.side);
        std::set<uint32_t> colours(p.pixels.begin(), p.pixels.end());
        EXPECT_GE(colours.size(), 3u);  // a picture, not a blank square
        EXPECT_TRUE(seen.insert(b).second);
        Value handle = BTNBMP_ABC(r.name, &w);
        ASSERT_TRUE(handle.isNumber());
        const Picture* made = memBitmap(int(handle.num()));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->pixels, p.pixels);
        DeleteMemBitmap(int(handle.num()));
    }
    EXPECT_EQ(BTNBMP_ABC("NUEVO").text(), BTNBMP_ABC("nuevo").text());
    EXPECT_EQ(BTNBMP_ABC("Logo_PSOE").text(), "logo_psoe");  // a picture, but not of the set
    EXPECT_EQ(BTNBMP_ABC("Sin Imagen", &w).text(), "sin imagen");
}

// The browse windows ask for their button images by these names, in these cases.
TEST(ButtonImages, TheBrowseWindowImagesResolveByTheirNamesAsPictures) {
    registerEmbeddedResources();
    std::set<std::vector<uint32_t>> seen;
    for (const char* name :
         {"paloma", "cruz", "DOOROPEN", "DOORCLOSE", "CONSULTAR", "EDITBUT", "NUEVO", "ELIMINAR", "printer"}) {
        SCOPED_TRACE(name);
        auto bytes = resourceBytes(name);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes[28], 24);
        Picture p;
        ASSERT_TRUE(decodeBmp(bytes, p).ok());
        EXPECT_EQ(p.width, 16);
        EXPECT_EQ(p.height, 16);
        std::set<uint32_t> colours(p.pixels.begin(), p.pixels.end());
        EXPECT_GE(colours.size(), 3u);
        EXPECT_TRUE(seen.insert(p.pixels).second);  // nine different pictures
    }
}

}  // namespace
