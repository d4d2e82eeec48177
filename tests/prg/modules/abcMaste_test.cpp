// The maintenance controller over both drivers: the option registry (focus, the building
// state, a method without a window, closing), adds in both styles with the reuse of deleted
// records, edits, deletes, the delete of a scope on orders with and without deleted
// records, the key check, and the catalogue's menu, buttons and in-cell add.
#include "abcMaste.h"

#include <gtest/gtest.h>

#include "App.h"
#include "Bar.h"
#include "GuiHarness.h"
#include "Mdi.h"
#include "Menu.h"
#include "TableLayer.h"
#include "Text.h"
#include "btnBmp.h"
#include "mAbreBro.h"
#include "testSupport.h"
#include "uDbf.h"
#include "wAbreBro.h"

namespace {

// A controller with the catalogue method "cat" and a method "vacio" that builds nothing.
class Colores : public abcMaster {
  public:
    explicit Colores(TMdiFrame* frame = nullptr) {
        registraMetodo("cat",
                       [this, frame](const std::string& alias, const std::vector<Value>& extra) {
                           ++built;
                           aliases.push_back(alias);
                           extras = extra;
                           if (reenter)
                               abrirOpcion("", Tablas{TablaSpec("cat", Value(true), driver)});
                           CatalogoArgs a{.alias = alias,
                                          .name = "Colores",
                                          .option = "colores",
                                          .columnWidths = {60, 160},
                                          .extras = "I",
                                          .frame = frame};
                           frame ? catalogo(a) : catalogoSdi(a);
                       });
        registraMetodo("vacio", [this](const std::string&, const std::vector<Value>&) { ++built; });
    }
    std::string driver;
    int built = 0;
    bool reenter = false;
    std::vector<std::string> aliases;
    std::vector<Value> extras;
};

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) out += t;
    return out;
}

// Denies one level to every option.
class Sin : public uUsuario {
  public:
    explicit Sin(int level) : level_(level) {}
    bool permiso(const std::string&, int level) const override { return level != level_; }

  private:
    int level_;
};

template <class Driver>
class Master : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        driver = Driver::name;
        makeTable("CAT",
                  {{"0001", "NEGRO"}, {"0002", "VERDE"}, {"0003", "ROJO"}, {"0004", "AZUL"}});
    }
    void TearDown() override {
        abcMasterCierraTodo();
        abcMaster::oUsr(nullptr);
        EXPECT_TRUE(harness.unexpected().empty());
        DiskTest::TearDown();
    }
    // Upper-case file names: the environment attaches a table's index file by its name as
    // registered, which is upper-cased.
    // A catalogue table with the orders "clave" and "descrip" without deleted records, and
    // the order "deleted" of the deleted ones; left closed.
    void makeTable(const std::string& name, std::vector<std::pair<const char*, const char*>> rows,
                   bool todos = false) {
        ASSERT_TRUE(DBCREATE(name, {{"clave", 'C', 4, 0}, {"descrip", 'C', 12, 0}}, driver));
        ASSERT_TRUE(DBUSEAREA(true, driver, name, "MAKE", false));
        for (auto& [clave, descrip] : rows) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value(clave));
            FIELDPUT(2, Value(descrip));
        }
        DBCOMMIT();
        const char* tags[][3] = {{"clave", "clave", "!deleted()"},
                                 {"descrip", "descrip", "!deleted()"},
                                 {"deleted", "deleted()", "deleted()"}};
        for (auto& [tag, key, cond] : tags) {
            ORDCONDSET(OrderCondition{.forText = cond});
            ASSERT_TRUE(ORDCREATE(name, tag, key));
        }
        if (todos) {  // an order that shows deleted records too
            ORDCONDSET(OrderCondition{});
            ASSERT_TRUE(ORDCREATE(name, "todos", "clave"));
        }
        DBCLOSEAREA();
    }
    std::shared_ptr<Colores> open() {
        auto c = std::make_shared<Colores>();
        c->driver = driver;
        c->New(Tablas{TablaSpec("cat", Value(true), driver)});
        return c;
    }
    // The values of every record, in record order, "*" marking deleted ones.
    std::vector<std::string> records(const std::string& alias) {
        std::vector<std::string> out;
        evalInAlias(alias, [&] {
            for (long r = 1; r <= LASTREC(); ++r) {
                DBGOTO(r);
                out.push_back(text::rtrim(FIELDGET(1).text()) + "|" +
                              text::rtrim(FIELDGET(2).text()) + (DELETED() ? "*" : ""));
            }
            return Value();
        });
        return out;
    }
    long recNo(const std::string& alias) {
        return long(evalInAlias(alias, [] { return Value(RECNO()); }).num());
    }
    void deleteRecord(const std::string& alias, long record) {
        evalInAlias(alias, [record] {
            DBGOTO(record);
            EXPECT_TRUE(RLOCK());
            DBDELETE();
            DBCOMMIT();
            DBUNLOCK();
            return Value();
        });
    }

    std::string driver;
    GuiHarness harness;
};
TYPED_TEST_SUITE(Master, BothDrivers);

// Also while being built: the method asks for its own option again.
TYPED_TEST(Master, AnOptionOpensOnceAndItsTablesCloseWithItsWindow) {
    auto& t = *this;
    auto first = std::make_shared<Colores>();
    first->driver = t.driver;
    first->reenter = true;
    first->New(Tablas{TablaSpec("cat", Value(true), t.driver)}, {Value("P"), Value(0)});
    ASSERT_NE(first->oWnd, nullptr);
    EXPECT_EQ(first->built, 1);
    EXPECT_EQ(first->aliases, std::vector<std::string>{"CAT01"});
    EXPECT_EQ(first->extras, (std::vector<Value>{Value("P"), Value(0)}));
    EXPECT_TRUE(first->oWnd->oBrw->lCellStyle);
    EXPECT_EQ(first->oWnd->nMenuInfo, 2);
    WBrowseCore* window = first->oWnd.get();
    EXPECT_EQ(abcMaster::hWnd()["cat"].ventana, window);

    // Same main table, same method: one key, so the window comes back instead.
    auto second = t.open();
    EXPECT_EQ(second->built, 0);
    EXPECT_EQ(second->oWnd, nullptr);
    EXPECT_NE(SELECT("CAT01"), 0);
    EXPECT_EQ(SELECT("CAT02"), 0);
    // The open option's controller refuses another option and keeps its own tables.
    first->abrirOpcion("vacio", Tablas{"otra"});
    EXPECT_EQ(t.errors.size(), 1u);
    EXPECT_EQ(first->built, 1);
    EXPECT_TRUE(evalInAlias("CAT01", [] { return Value(USED()); }).logical());

    // Closing empties the registry and closes the tables; the alias is free again.
    first.reset();  // the registry keeps the controller while its window is open
    ASSERT_TRUE(window->end());
    EXPECT_TRUE(abcMaster::hWnd()["cat"].cerrada());
    EXPECT_EQ(SELECT("CAT01"), 0);
    auto third = t.open();
    EXPECT_EQ(third->built, 1);
    EXPECT_EQ(third->cAlias(), "CAT01");
}

TYPED_TEST(Master, AMethodWithoutAWindowOrAnErrorLeavesNothingOpen) {
    auto& t = *this;
    struct Case {
        std::string method;
        size_t errors;
    };
    for (const Case& c : {Case{"vacio", 0}, Case{"nada", 1}}) {
        auto ctl = std::make_shared<Colores>();
        t.errors.clear();
        ctl->abrirOpcion(c.method, Tablas{TablaSpec("cat", Value(), t.driver)});
        EXPECT_EQ(t.errors.size(), c.errors) << c.method;
        EXPECT_EQ(ctl->oWnd, nullptr);
        EXPECT_EQ(SELECT("CAT01"), 0) << c.method;
        EXPECT_TRUE(abcMaster::hWnd()[c.method + "cat"].cerrada()) << c.method;
    }
}

TYPED_TEST(Master, ASecondChoiceFocusesTheOpenChildWindow) {
    auto& t = *this;
    TMdiFrame frame(WindowOptions{.title = "Marco", .width = 800, .height = 600});
    frame.activate();
    t.makeTable("OTRO", {{"0001", "UNO"}});
    auto cat = std::make_shared<Colores>(&frame);
    cat->driver = t.driver;
    cat->New(Tablas{TablaSpec("cat", Value(true), t.driver)});
    auto otro = std::make_shared<Colores>(&frame);
    otro->abrirOpcion("cat", Tablas{TablaSpec("otro", Value(true), t.driver)});
    ASSERT_NE(otro->oWnd, nullptr);
    EXPECT_EQ(frame.activeChild(), dynamic_cast<TMdiChild*>(otro->oWnd.get()));
    auto again = std::make_shared<Colores>(&frame);
    again->New(Tablas{TablaSpec("cat", Value(true), t.driver)});
    EXPECT_EQ(again->built, 0);
    EXPECT_EQ(frame.activeChild(), dynamic_cast<TMdiChild*>(cat->oWnd.get()));
    abcMasterCierraTodo();
    EXPECT_TRUE(frame.openChildren().empty());
    EXPECT_EQ(SELECT("CAT01"), 0);
    EXPECT_EQ(SELECT("OTRO01"), 0);
}

// Dialog style: the handler's answer decides what happens to the table.
TYPED_TEST(Master, ADialogAddSavesTheBufferGoesToANumberOrPutsThePositionBack) {
    auto& t = *this;
    struct Case {
        const char* answer;  // "buffer", "number", "cancel"
        long last, at;       // record count and position afterwards
    };
    for (const Case& c : {Case{"cancel", 4, 2}, Case{"number", 4, 3}, Case{"buffer", 5, 5}}) {
        auto ctl = t.open();
        ctl->lDlg = true;
        const std::string alias = ctl->cAlias();
        evalInAlias(alias, [] { return Value(DBGOTO(2)); });
        std::string answer = c.answer;
        std::vector<std::string> calls;
        ctl->oWnd->oBrw->bLDblClick = [&](const BrowseDblClick& e) {
            calls.push_back(
                std::string(e.lModif ? "M" : "-") + (e.lNew ? "N" : "-") +
                (evalInAlias(alias, [] { return Value(EOF_()); }).logical() ? "E" : ""));
            if (answer == "number") *e.result = Value(3);
            if (answer == "buffer") {
                auto buffer = std::make_shared<uDBF>(alias);
                buffer->setField("CLAVE", Value("0009"));
                buffer->setField("DESCRIP", Value("CAFE"));
                *e.result = Value(ObjectRef(buffer));
            }
        };
        ctl->mant_add();
        EXPECT_EQ(calls, std::vector<std::string>{"MNE"}) << c.answer;
        EXPECT_EQ(evalInAlias(alias, [] { return Value(LASTREC()); }).num(), c.last) << c.answer;
        EXPECT_EQ(t.recNo(alias), c.at) << c.answer;
        if (answer == "buffer") {
            EXPECT_EQ(t.records(alias).back(), "0009|CAFE");
            EXPECT_EQ(evalInAlias(alias, [] { return Value(ORDNAME()); }).text(), "CLAVE");
        }
        ctl->oWnd->end();
    }
}

TYPED_TEST(Master, AFreshRecordReusesTheFirstDeletedOneBlankedElseTheTableGrows) {
    auto& t = *this;
    auto ctl = t.open();
    const std::string alias = ctl->cAlias();
    t.deleteRecord(alias, 2);
    t.deleteRecord(alias, 3);
    ASSERT_TRUE(ctl->dbAppend());
    EXPECT_EQ(t.recNo(alias), 2);
    EXPECT_EQ(t.records(alias),
              (std::vector<std::string>{"0001|NEGRO", "|", "0003|ROJO*", "0004|AZUL"}));
    EXPECT_EQ(evalInAlias(alias, [] { return Value(ORDNAME()); }).text(), "CLAVE");

    auto buffer = std::make_shared<uDBF>(alias);
    ASSERT_TRUE(ctl->dbAppend(*buffer));
    EXPECT_EQ(buffer->nRegistro, 3);
    ASSERT_TRUE(ctl->dbAppend(alias));
    EXPECT_EQ(t.recNo(alias), 5);
    EXPECT_EQ(t.records(alias).size(), 5u);
}

TYPED_TEST(Master, AnInBrowseAddKeepsTheRecordOnlyWhenTheFirstColumnIsAccepted) {
    auto& t = *this;
    struct Case {
        std::vector<bool> answers;  // per column
        size_t calls;
        bool kept;
        std::string init;
    };
    const Case cases[] = {
        {{false}, 1, false, "0007"}, {{true, false}, 2, true, "0008"}, {{true, true}, 2, true, ""}};
    for (const Case& c : cases) {
        auto ctl = t.open();
        const std::string alias = ctl->cAlias();
        size_t calls = 0;
        ctl->oWnd->oBrw->bLDblClick = [&](const BrowseDblClick& e) {
            EXPECT_TRUE(e.lModif && e.lNew);
            EXPECT_EQ(e.oBrow, ctl->oWnd->oBrw);
            *e.result = Value(calls < c.answers.size() && c.answers[calls]);
            ++calls;
        };
        abcMaster::Init init;
        if (!c.init.empty())
            init = [&] { evalInAlias(alias, [&] { return FIELDPUT(1, Value(c.init)); }); };
        ctl->mant_add(init);
        EXPECT_EQ(calls, c.calls);
        std::string last = t.records(alias).back();
        EXPECT_EQ(last.back() != '*', c.kept) << last;
        EXPECT_EQ(last.substr(0, c.init.size()), c.init);
        ctl->oWnd->end();
    }
}

TYPED_TEST(Master, EditingSavesTheBufferAndDeletingAsksFirst) {
    auto& t = *this;
    auto ctl = t.open();
    ctl->lDlg = true;
    const std::string alias = ctl->cAlias();
    evalInAlias(alias, [] { return Value(DBGOTO(4)); });
    ctl->oWnd->oBrw->bLDblClick = [&](const BrowseDblClick& e) {
        EXPECT_TRUE(e.lModif && !e.lNew);
        auto buffer = std::make_shared<uDBF>(alias);
        buffer->setField("DESCRIP", Value("CELESTE"));
        *e.result = Value(ObjectRef(buffer));
    };
    ctl->mant_edit();
    EXPECT_EQ(t.records(alias)[3], "0004|CELESTE");

    for (bool yes : {false, true}) {
        std::string asked;
        t.harness.onNextModal([&](WindowView& v) {
            asked = v.title() + "|" + joined(v.labels());
            v.press(yes ? "&Sí" : "&No");
        });
        ctl->mant_delete();
        EXPECT_EQ(asked, " Atención|Seguro de querer borrar el registro actual");
        EXPECT_EQ(t.records(alias)[3].back() == '*', yes);
    }
}

// The delete of a scope goes through every record of the scope, also on an order that
// still shows the deleted ones (it moved on instead of deleting the first one forever).
TYPED_TEST(Master, DeletingAScopeEndsOnOrdersWithAndWithoutDeletedRecords) {
    auto& t = *this;
    struct Case {
        const char* order;
        Value top, bottom;
        std::vector<std::string> deleted;  // "*" marks per record
    };
    const Case cases[] = {
        {"clave", Value("0002"), Value("0003"), {"", "*", "*", ""}},
        {"todos", Value("0002"), Value(), {"*", "*", "", ""}},  // 0001 was deleted before
        {"todos", Value(), Value(), {"*", "*", "*", "*"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string table = "del" + std::to_string(++n);
        t.makeTable(text::upper(table),
                    {{"0001", "NEGRO"}, {"0002", "VERDE"}, {"0003", "ROJO"}, {"0004", "AZUL"}},
                    true);
        auto ctl = std::make_shared<Colores>();
        ctl->abrirOpcion("cat", Tablas{TablaSpec(table, Value(true), t.driver)});
        ASSERT_NE(ctl->oWnd, nullptr);
        const std::string alias = ctl->cAlias();
        if (std::string(c.order) == "todos") t.deleteRecord(alias, 1);
        evalInAlias(alias, [&] { return Value(ORDSETFOCUS(Value(c.order))); });
        EXPECT_TRUE(ctl->dbDelete(c.top, c.bottom));
        std::vector<std::string> marks;
        for (const std::string& r : t.records(alias)) marks.push_back(r.back() == '*' ? "*" : "");
        EXPECT_EQ(marks, c.deleted) << c.order;
        EXPECT_EQ(evalInAlias(alias, [] { return ORDSCOPE(0, std::nullopt); }), Value())
            << "scope restored";
    }
}

TYPED_TEST(Master, TheKeyCheckAcceptsAnUnchangedKeyOnlyWhenEditingAndKeepsTheRecord) {
    auto& t = *this;
    auto ctl = t.open();
    const std::string alias = ctl->cAlias();
    evalInAlias(alias, [] {
        ORDSETFOCUS(Value("descrip"));
        return Value(DBGOTO(2));
    });
    struct Case {
        const char* key;
        bool adding;
        std::string message;
        bool valid;
    };
    const Case cases[] = {{"0002", false, "", true},
                          {"0002", true, "", false},
                          {"0003", false, "Esa casilla ya está capturada", false},
                          {"0009", true, "", true}};
    for (const Case& c : cases) {
        std::string alert;
        if (!c.valid)
            t.harness.onNextModal([&](WindowView& v) {
                alert = v.title() + "|" + joined(v.labels());
                v.key(Key::Enter);
            });
        EXPECT_EQ(ctl->validaClave(Value(c.key), "clave", c.adding, c.message), c.valid) << c.key;
        if (!c.valid) {
            EXPECT_EQ(alert,
                      " Atención|" +
                          (c.message.empty() ? std::string("Ese registro ya existe") : c.message));
        }
        EXPECT_EQ(t.recNo(alias), 2);
        EXPECT_EQ(evalInAlias(alias, [] { return Value(ORDNAME()); }).text(), "DESCRIP");
    }
}

// The catalogue: its window, its menu and bar by permission, and an in-browse add typed
// into the cells.
TYPED_TEST(Master, TheCatalogueAddsARecordTypedIntoItsCells) {
    auto& t = *this;
    abcMaster::oUsr(std::make_shared<Sin>(3));
    auto ctl = t.open();
    auto* w = dynamic_cast<uWTbrowse*>(ctl->oWnd.get());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->title(), " Catálogo de Colores");
    EXPECT_EQ(w->oBrw->aHeaders[0], (BrowseRow{Value("Clave"), Value("Descripción")}));
    EXPECT_EQ(w->aIndexTxt, (std::vector<std::string>{"Clave", "Descripción"}));
    TMenuItem* popup = w->menu()->items().front().get();
    EXPECT_EQ(popup->caption(), "Ca&tálogo de Colores");
    std::vector<std::string> items, buttons;
    for (auto& i : popup->submenu()->items())
        items.push_back(i->isSeparator() ? "-" : i->caption() + (i->enabled() ? "" : "(off)"));
    for (TBtnBmp* b : w->oBar->buttons()) {
        auto* own = dynamic_cast<_tBtnBmp*>(b);
        buttons.push_back(own->cMnuTxt() + (own->bWhen && !own->bWhen() ? "(off)" : ""));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"&Agregar", "&Modificar", "&Eliminar(off)", "-",
                                               "&Imprimir"}));
    EXPECT_EQ(buttons,
              (std::vector<std::string>{"&Agregar", "&Modificar", "&Eliminar(off)", "&Imprimir"}));
    EXPECT_EQ(popup->submenu()->items().front()->message(), "Agregar un registro nuevo");

    const std::string alias = ctl->cAlias();
    for (const char* typed : {"0005", "GRIS"})
        t.harness.onNextModal([typed](WindowView& v) {
            SysRefresh();
            v.type(typed);
            v.key(Key::Enter);
        });
    w->menu()->find("&Agregar")->trigger();
    EXPECT_EQ(t.records(alias).back(), "0005|GRIS");
    EXPECT_EQ(t.records(alias).size(), 5u);

    // Escape on the code deletes the fresh record again.
    t.harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });
    ctl->mant_add();
    EXPECT_EQ(t.records(alias).back(), "|*");
}

}  // namespace
