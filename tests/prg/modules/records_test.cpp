// Records as lists and the record lock with its timed retry, on the memory engine with a
// record held by another work area, a test clock and a test Escape key.
#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "Keyboard.h"
#include "TableLayer.h"
#include "Timer.h"
#include "aRegistr.h"
#include "rBloquea.h"
#include "regVacio.h"
#include "testSupport.h"

namespace {

class Records : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(DBCREATE(
            "votos",
            {{"clave", 'C', 4, 0}, {"votos", 'N', 6, 0}, {"fecha", 'D', 8, 0}, {"ok", 'L', 1, 0}},
            "ARRAYRDD", false));
        ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "votos", "OTRO", true));
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value("P00" + std::to_string(i)));
            FIELDPUT(2, Value(i * 10));
        }
        DBUNLOCK();
        ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "votos", "", true));  // alias VOTOS, current
        DBGOTO(2);
    }
    void TearDown() override {
        setKeyboardForTests(nullptr);
        EXPECT_TRUE(harness.unexpected().empty());
        EngineTest::TearDown();
    }
    // The other area takes the lock of record 2.
    void holdInOtherArea() {
        evalInAlias("OTRO", [] {
            DBGOTO(2);
            EXPECT_TRUE(RLOCK());
            return Value();
        });
    }
    void releaseInOtherArea() {
        evalInAlias("OTRO", [] {
            DBUNLOCK();
            return Value();
        });
    }
    bool lockedHere() {
        // Another area can lock the record only when this one does not hold it.
        return !evalInAlias("OTRO", [] {
                    DBGOTO(2);
                    bool got = RLOCK();
                    if (got) DBUNLOCK();
                    return Value(got);
                }).logical();
    }

    GuiHarness harness;
};

TEST_F(Records, AregistroReadsAndWritesTheRecordInFieldOrder) {
    Value rec = AREGISTRO();
    ASSERT_TRUE(rec.isArray());
    ASSERT_EQ(rec.array()->size(), 4u);
    EXPECT_EQ((*rec.array())[0].text(), "P002");
    EXPECT_EQ((*rec.array())[1].num(), 20);

    (*rec.array())[1] = Value(99);
    EXPECT_TRUE(AREGISTRO(rec).logical());
    EXPECT_EQ(FIELDGET(2).num(), 99);
    EXPECT_FALSE(lockedHere());  // written and released

    // A value that does not fit its field writes nothing.
    Value bad = Value(Array{Value("P009"), Value("no es número")});
    EXPECT_FALSE(AREGISTRO(bad).logical());
    EXPECT_EQ(FIELDGET(1).text(), "P002");
    EXPECT_FALSE(errors.empty());
}

TEST_F(Records, RegvacioGivesEmptyValuesAndKeepsThePosition) {
    Value empty = REGVACIO();
    ASSERT_TRUE(empty.isArray());
    const Array& a = *empty.array();
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].text(), "    ");
    EXPECT_EQ(a[1].type(), 'N');
    EXPECT_EQ(a[1].num(), 0);
    EXPECT_TRUE(a[2].isDate() && a[2].date().empty());
    EXPECT_TRUE(a[3].isLogical() && !a[3].logical());
    EXPECT_EQ(RECNO(), 2);
}

TEST_F(Records, AFreeRecordLocksWithoutAnyBox) {
    TestClock clock;
    EXPECT_TRUE(RBLOQUEAR());
    EXPECT_TRUE(lockedHere());
    EXPECT_EQ(harness.pending(), 0u);
}

TEST_F(Records, AHeldRecordShowsTheBusyBoxAndAsksAfterTheGivenSeconds) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    const double start = clock.now;
    std::vector<std::string> busyLabels;
    std::string busyTitle;
    harness.onNextModal([&](WindowView& v) {
        busyLabels = v.labels();
        busyTitle = v.title();
    });
    double askedAt = 0;
    std::vector<std::string> questionLines, questionButtons;
    harness.onNextModal([&](WindowView& v) {
        askedAt = clock.now;
        questionLines = v.labels();
        questionButtons = v.buttons();
        v.press("Cancelar");
    });
    EXPECT_FALSE(RBLOQUEAR(Value(3)));
    EXPECT_EQ(busyLabels, std::vector<std::string>{"Registro 2 de VOTOS"});
    EXPECT_EQ(busyTitle, "Intentado bloquear registro");
    EXPECT_EQ(questionLines,
              (std::vector<std::string>{"Error al bloquear el registro", "2 de VOTOS"}));
    EXPECT_EQ(questionButtons, (std::vector<std::string>{"Reintentar", "Cancelar"}));
    // Three clock seconds of waiting (the first may be a part of a second), then the question.
    EXPECT_GT(askedAt - start, 2.0);
    EXPECT_LE(askedAt - start, 3.5);
    EXPECT_FALSE(GuiHarness::window("Intentado bloquear registro"));
}

// The seconds are counted down as given: 2.5 leaves 2.5, 1.5 and 0.5 before three attempts.
TEST_F(Records, FractionalSecondsGiveAnAttemptForEachSecondLeftAboveZero) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    const double start = clock.now;
    double askedAt = 0;
    harness.onNextModal([](WindowView&) {});
    harness.onNextModal([&](WindowView& v) {
        askedAt = clock.now;
        v.press("Cancelar");
    });
    EXPECT_FALSE(RBLOQUEAR(Value(2.5)));
    EXPECT_GT(askedAt - start, 2.75);
    EXPECT_LE(askedAt - start, 3.5);
}

// Waiting for the lock reads the Escape key and runs nothing else of the program.
TEST_F(Records, TheWaitRunsNoTimers) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    int ticks = 0;
    TTimer timer(1, [&] { ++ticks; });
    timer.activate();
    std::vector<int> ticksAtReads;
    clock.onRead = [&](double) { ticksAtReads.push_back(ticks); };
    setKeyboardForTests([&](Key k) { return k == Key::Escape && clock.now > 1321615802.5; });
    harness.onNextModal([](WindowView&) {});
    EXPECT_FALSE(RBLOQUEAR(Value(15)));
    ASSERT_GE(ticksAtReads.size(), 8u);
    EXPECT_EQ(ticksAtReads.front(), ticksAtReads.back());
}

TEST_F(Records, ReintentarWaitsAnotherSpellAndALockFreedMeanwhileIsTaken) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    int questions = 0;
    double retryAnsweredAt = 0;
    harness.onNextModal([](WindowView&) {});  // the busy box
    harness.onNextModal([&](WindowView& v) {
        ++questions;
        retryAnsweredAt = clock.now;
        v.press("Reintentar");
    });
    // Two seconds into the second spell the other area lets go.
    clock.onRead = [&](double t) {
        if (retryAnsweredAt > 0 && t >= retryAnsweredAt + 2) releaseInOtherArea();
    };
    EXPECT_TRUE(RBLOQUEAR(Value(5)));
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(lockedHere());
    EXPECT_LT(clock.now - retryAnsweredAt, 4.0);  // taken at the next attempt, not after the spell
}

TEST_F(Records, ClosingTheQuestionWithoutChoosingWaitsAnotherSpell) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    std::vector<double> askedAt;
    harness.onNextModal([](WindowView&) {});
    harness.onNextModal([&](WindowView& v) {
        askedAt.push_back(clock.now);
        v.key(Key::Escape);
    });
    harness.onNextModal([&](WindowView& v) {
        askedAt.push_back(clock.now);
        v.press("Cancelar");
    });
    EXPECT_FALSE(RBLOQUEAR(Value(2)));
    ASSERT_EQ(askedAt.size(), 2u);
    EXPECT_GT(askedAt[1] - askedAt[0], 1.0);  // a whole new spell of two seconds
    EXPECT_LE(askedAt[1] - askedAt[0], 2.5);
}

TEST_F(Records, EscapeEndsTheWaitWithoutAskingUnlessEscapeIsNotAllowed) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    setKeyboardForTests([&](Key k) { return k == Key::Escape && clock.now > 1321615801.5; });
    harness.onNextModal([](WindowView&) {});  // the busy box, and no question
    EXPECT_FALSE(RBLOQUEAR(Value(15)));
    EXPECT_LT(clock.now, 1321615803.0);
    EXPECT_EQ(harness.pending(), 0u);

    // Escape not allowed: the key is ignored and the question comes after the spell.
    harness.onNextModal([](WindowView&) {});
    bool asked = false;
    harness.onNextModal([&](WindowView& v) {
        asked = true;
        v.press("Cancelar");
    });
    EXPECT_FALSE(RBLOQUEAR(Value(2), Value(false)));
    EXPECT_TRUE(asked);
}

TEST_F(Records, BadArgumentsMeanFifteenSecondsAndEscapeAllowed) {
    holdInOtherArea();
    TestClock clock(1321615800.0, 0.25);
    double askedAfter = 0;
    harness.onNextModal([](WindowView&) {});
    harness.onNextModal([&](WindowView& v) {
        askedAfter = clock.now - 1321615800.0;
        v.press("Cancelar");
    });
    EXPECT_FALSE(RBLOQUEAR(Value("diez"), Value("no")));
    EXPECT_GT(askedAfter, 14.0);
    EXPECT_LE(askedAfter, 15.5);
}

TEST_F(Records, AregistroWritesNothingWhenTheLockIsRefused) {
    holdInOtherArea();
    TestClock clock;
    harness.onNextModal([](WindowView&) {});
    harness.onNextModal([](WindowView& v) { v.press("Cancelar"); });
    Value rec = Value(Array{Value("ZZZZ"), Value(1)});
    EXPECT_FALSE(AREGISTRO(rec, Value(1)).logical());
    EXPECT_EQ(FIELDGET(1).text(), "P002");
}

}  // namespace
