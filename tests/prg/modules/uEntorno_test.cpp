// The table environment: aliases, shared areas, failed opens and the open hook over the
// memory engine; the index generation dialog and its rebuild over DBF tables on disk,
// including a table held by another process and a rebuild stopped at every change.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "GuiHarness.h"
#include "Meter.h"
#include "cdxCheck.h"
#include "mainConfig.h"
#include "testSupport.h"
#include "uDbf.h"
#include "uEntorno.h"

namespace fs = std::filesystem;

namespace {

// ---- over the memory engine -----------------------------------------------------------------

class Entorno : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (const char* name : {"votos", "conteos", "partidos"}) {
            makeNumbered(name, 3);
            DBCLOSEAREA();
        }
    }
    // An environment over `files` in their own areas, opened shared.
    static std::unique_ptr<uEntorno> over(std::initializer_list<const char*> files, Value own = Value()) {
        auto e = std::make_unique<uEntorno>();
        for (const char* f : files)
            e->add(EntornoFile{.file = f, .privateArea = own, .shared = Value(true), .driver = "ARRAYRDD"});
        return e;
    }
    GuiHarness harness;
};

TEST_F(Entorno, AliasesAreNumberedPerTableAndFreedOnClose) {
    std::string alias;
    std::shared_ptr<uDBF> buffer;
    auto first = std::make_unique<uEntorno>();
    first->add(EntornoFile{.file = " votos ", .aliasOut = &alias, .bufferOut = &buffer, .shared = Value(true),
                           .driver = "ARRAYRDD"});
    first->add(EntornoFile{.file = "partidos", .shared = Value(true), .driver = "ARRAYRDD"});
    auto second = over({"votos"});
    ASSERT_TRUE(first->open());
    EXPECT_EQ(ALIAS(), "VOTOS01");  // the first table's area is current after the open
    ASSERT_TRUE(second->open());
    EXPECT_EQ(alias, "VOTOS01");
    EXPECT_EQ(first->aArchivos()[0].file, "VOTOS.");
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->cAlias(), "VOTOS01");
    EXPECT_EQ(first->object(1), buffer);
    EXPECT_EQ(first->object("votos01"), buffer);
    EXPECT_EQ(second->alias("VOTOS"), "VOTOS02");
    for (const char* name : {"partidos", "PARTIDOS", "Partidos.", "partidos."})
        EXPECT_EQ(first->alias(name), "PARTIDOS01") << name;
    EXPECT_EQ(first->alias("partidos.dbf"), "");
    EXPECT_EQ(first->alias("padron"), "");
    EXPECT_EQ(first->alias(3), "");

    first->close("partidos01");  // one table: the environment stays open
    EXPECT_EQ(SELECT("PARTIDOS01"), 0);
    EXPECT_TRUE(first->lAbierto());
    first.reset();  // destruction closes the rest
    EXPECT_EQ(SELECT("VOTOS01"), 0);
    auto third = over({"votos"});
    ASSERT_TRUE(third->open());
    EXPECT_EQ(third->alias(1), "VOTOS01");
    EXPECT_GT(SELECT("VOTOS02"), 0);
}

TEST_F(Entorno, ASharedAreaIsOpenedOnceAndClosedByItsLastUser) {
    std::vector<std::unique_ptr<uEntorno>> users;
    for (int i = 0; i < 3; ++i) {
        users.push_back(over({"conteos"}, Value(false)));
        ASSERT_TRUE(users.back()->open());
        EXPECT_EQ(users.back()->alias(1), "CONTEOS01");
    }
    EXPECT_EQ(uEntorno::hCompartidos().at("CONTEOS.").nContador, 3);
    users[0]->close();
    users[0]->close();  // a second close does nothing
    users[1].reset();
    EXPECT_EQ(uEntorno::hCompartidos().at("CONTEOS.").nContador, 1);
    EXPECT_GT(SELECT("CONTEOS01"), 0);
    users[2]->close();
    EXPECT_EQ(uEntorno::hCompartidos().count("CONTEOS."), 0u);
    EXPECT_EQ(SELECT("CONTEOS01"), 0);
}

TEST_F(Entorno, AFailedOpenLeavesNothingOfTheListOpen) {
    std::vector<std::string> hookCalls;
    auto e = std::make_unique<uEntorno>();
    e->add(EntornoFile{.file = "votos", .shared = Value(true), .driver = "ARRAYRDD"});
    e->add(EntornoFile{.file = "partidos", .privateArea = Value(false), .shared = Value(true), .driver = "ARRAYRDD"});
    e->add(EntornoFile{.file = "nohay", .driver = "ARRAYRDD"});
    e->add(EntornoFile{.file = "conteos", .driver = "ARRAYRDD", .hook = [&](const std::string& f, bool) {
                           hookCalls.push_back(f);
                           return true;
                       }});
    EXPECT_FALSE(e->open());
    EXPECT_FALSE(e->lAbierto());
    EXPECT_FALSE(errors.empty());  // the engine's own error for the missing table
    EXPECT_TRUE(hookCalls.empty());  // tables after the failing one are not attempted
    EXPECT_EQ(SELECT("VOTOS01"), 0);
    EXPECT_EQ(SELECT("PARTIDOS01"), 0);
    EXPECT_TRUE(uEntorno::hCompartidos().empty());
    EXPECT_FALSE(USED());  // a free area is current
}

TEST_F(Entorno, TheHookAcquiresAndReleasesAsTheOpenModeSays) {
    std::vector<std::pair<std::string, bool>> calls;
    bool allow = true;
    auto hook = [&](const std::string& f, bool acquire) {
        calls.emplace_back(f, acquire);
        return allow;
    };
    using Calls = std::vector<std::pair<std::string, bool>>;
    {
        uEntorno shared;
        shared.add(EntornoFile{.file = "votos", .shared = Value(true), .driver = "ARRAYRDD", .hook = hook});
        ASSERT_TRUE(shared.open());
        EXPECT_EQ(calls, (Calls{{"VOTOS.", true}, {"VOTOS.", false}}));  // released at once
        shared.close();
        shared.close();
        EXPECT_EQ(calls.size(), 2u);
    }
    calls.clear();
    {
        uEntorno exclusive;
        exclusive.add(EntornoFile{.file = "votos", .shared = Value(false), .driver = "ARRAYRDD", .hook = hook});
        ASSERT_TRUE(exclusive.open());
        EXPECT_EQ(calls, (Calls{{"VOTOS.", true}}));
        // Held exclusively here, the table is refused to a second environment, with the
        // message; the hook gets it back.
        std::vector<std::string> alert;
        harness.onNextModal([&](WindowView& v) {
            for (const std::string& l : v.labels())
                if (!l.empty()) alert.push_back(l);
            alert.push_back(v.title());
            v.key(Key::Escape);
        });
        uEntorno second;
        second.add(EntornoFile{.file = "votos", .shared = Value(true), .driver = "ARRAYRDD", .hook = hook});
        EXPECT_FALSE(second.open());
        EXPECT_EQ(alert, (std::vector<std::string>{"El archivo VOTOS. no puede ser abierto de manera exclusiva",
                                                    " Atención"}));
        EXPECT_EQ(calls, (Calls{{"VOTOS.", true}, {"VOTOS.", true}, {"VOTOS.", false}}));
        exclusive.close();
        EXPECT_EQ(calls.back(), (std::pair<std::string, bool>{"VOTOS.", false}));
    }
    calls.clear();
    allow = false;  // a refusing hook stops the open without a word
    uEntorno refused;
    refused.add(EntornoFile{.file = "votos", .driver = "ARRAYRDD", .hook = hook});
    EXPECT_FALSE(refused.open());
    EXPECT_EQ(calls, (Calls{{"VOTOS.", true}}));
    EXPECT_TRUE(harness.unexpected().empty());
}

TEST_F(Entorno, IndexDefinitionsGoToTheirTableRegisteringItOnce) {
    uEntorno e;
    e.addIndex(EntornoFile{.file = "votos", .privateArea = Value(false), .driver = "ARRAYRDD"},
               EntornoIndex{.key = "n", .tag = "n"});
    e.add(EntornoFile{.file = "conteos", .driver = "ARRAYRDD"});
    e.addIndex(EntornoFile{.file = "VOTOS.", .driver = "ARRAYRDD"}, EntornoIndex{.key = "-n", .tag = "menos"});
    ASSERT_EQ(e.aArchivos().size(), 2u);
    EXPECT_FALSE(e.aArchivos()[0].ownArea());  // positions 1-8 of the first addIndex
    ASSERT_EQ(e.aIndices()[0].size(), 2u);
    EXPECT_EQ(e.aIndices()[0][1].tag, "menos");
    EXPECT_TRUE(e.aIndices()[1].empty());
}

TEST_F(Entorno, TheCurrentEnvironmentIsScoped) {
    auto outer = std::make_shared<uEntorno>(), inner = std::make_shared<uEntorno>();
    EXPECT_EQ(O_UR_ENTORNO::current(), nullptr);
    {
        O_UR_ENTORNO a(outer);
        {
            O_UR_ENTORNO b(inner);
            EXPECT_EQ(O_UR_ENTORNO::current(), inner);
        }
        EXPECT_EQ(O_UR_ENTORNO::current(), outer);
    }
    EXPECT_EQ(O_UR_ENTORNO::current(), nullptr);
}

}  // namespace
