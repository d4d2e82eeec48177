// The allocation of representatives: the seat-by-seat rows, the seats against an independent
// computation, " Tabla de reparto" and the calculation over the totals and seats rows of
// both drivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "GuiHarness.h"
#include "Keyboard.h"
#include "TableLayer.h"
#include "Text.h"
#include "embeddedResources.h"
#include "mainConfig.h"
#include "mainReparto.h"
#include "testSupport.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct AllocationCase {
    const char* name;
    std::vector<double> votes;
    double total;
    int seats;
    Rows rows;  // the first rows expected (all when as many as the seats)
    std::vector<int> seatsPerParty;
};

TEST(Allocation, RowsWinnersAndSeatsOfTheWorkedExampleAndItsEdges) {
    Rows all900;
    for (int k = 1; k <= 3; ++k) all900.push_back({std::to_string(k), "0", "", "0", "900"});
    all900[0][2] = "900 [1]";
    all900[1][2] = "450.00 [2]";
    all900[2][2] = "300.00 [3]";
    const std::vector<AllocationCase> cases = {
        {"worked example",
         {100, 80, 30},
         210,
         4,
         {{"1", "100 [1]", "80", "30", "210"},
          {"2", "50.00", "80 [1]", "30", "210"},
          {"3", "50.00 [2]", "40.00", "30", "210"},
          {"4", "33.33", "40.00 [2]", "30", "210"}},
         {2, 2, 0}},
        {"equal votes go to the first listed",
         {60, 60},
         120,
         2,
         {{"1", "60 [1]", "60", "120"}, {"2", "30.00", "60 [1]", "120"}},
         {1, 1}},
        {"an equal quotient goes to the first listed",
         {100, 50},
         150,
         3,
         {{"1", "100 [1]", "50", "150"},
          {"2", "50.00 [2]", "50", "150"},
          {"3", "33.33", "50 [1]", "150"}},
         {2, 1}},
        {"one party with votes", {0, 900, 0}, 900, 3, all900, {0, 3, 0}},
        {"no votes at all",
         {0, 0, 0},
         0,
         2,
         {{"1", "0", "0", "0", "0"}, {"2", "0", "0", "0", "0"}},
         {0, 0, 0}},
    };
    for (const AllocationCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reparto r = REPARTO(c.votes, c.total, c.seats);
        ASSERT_EQ(r.rows.size(), size_t(c.seats));
        EXPECT_EQ(r.rows, c.rows);
        EXPECT_EQ(r.seats, c.seatsPerParty);
        for (size_t k = 0; k < r.rows.size(); ++k) {
            int marked = -1;
            for (size_t i = 1; i + 1 < r.rows[k].size(); ++i)
                if (r.rows[k][i].find(" [") != std::string::npos) marked = int(i - 1);
            EXPECT_EQ(r.winner[k], marked) << "seat " << k + 1;
        }
    }
}

TEST(Allocation, OnePartyWithVotesTakesAllTwentyFiveSeats) {
    std::vector<double> votes(35, 0);
    votes[5] = 1500;
    Reparto r = REPARTO(votes, 1500);
    ASSERT_EQ(r.rows.size(), size_t(kEscanos));
    EXPECT_EQ(r.seats[5], 25);
    for (int k = 1; k <= kEscanos; ++k) {
        std::string q = k == 1 ? "1500" : text::ltrim(text::formatNumber(1500.0 / k, 20, 2));
        EXPECT_EQ(r.rows[size_t(k - 1)][6], q + " [" + std::to_string(k) + "]");
        EXPECT_EQ(r.rows[size_t(k - 1)][0], std::to_string(k));
        EXPECT_EQ(r.rows[size_t(k - 1)][36], "1500");
        EXPECT_EQ(r.winner[size_t(k - 1)], 5);
    }
    EXPECT_EQ(r.rows[1][6], "750.00 [2]");
    EXPECT_EQ(r.rows[2][6], "500.00 [3]");
}

// The seats as the 25 highest of all v(i)/d, d = 1..25, compared exactly by
// cross-multiplying whole numbers; equal quotients in party-list order.
std::vector<int> highestAverages(const std::vector<long long>& votes, std::vector<int>* winners) {
    struct Quotient {
        long long v;
        int d;
        int party;
    };
    std::vector<Quotient> all;
    for (size_t i = 0; i < votes.size(); ++i)
        for (int d = 1; d <= kEscanos && votes[i] > 0; ++d) all.push_back({votes[i], d, int(i)});
    std::stable_sort(all.begin(), all.end(), [](const Quotient& a, const Quotient& b) {
        long long lhs = a.v * b.d, rhs = b.v * a.d;
        return lhs != rhs ? lhs > rhs : a.party < b.party;
    });
    std::vector<int> seats(votes.size(), 0);
    for (size_t k = 0; k < all.size() && k < size_t(kEscanos); ++k) {
        ++seats[size_t(all[k].party)];
        winners->push_back(all[k].party);
    }
    while (winners->size() < size_t(kEscanos)) winners->push_back(-1);
    return seats;
}

TEST(Allocation, AgreesWithTheHighestAveragesOfAllQuotientsOnRandomVotes) {
    std::mt19937 rng(20240611);
    for (int run = 0; run < 600; ++run) {
        // Small ranges make ties frequent; large ones make near-ties.
        int range = std::vector<int>{0, 3, 12, 100, 5000, 999999999}[size_t(run % 6)];
        std::uniform_int_distribution<long long> dist(0, range);
        std::bernoulli_distribution zero(0.4);
        std::vector<long long> votes(35);
        std::vector<double> asDouble;
        long long total = 0;
        for (long long& v : votes) {
            v = zero(rng) ? 0 : dist(rng);
            total += v;
            asDouble.push_back(double(v));
        }
        std::vector<int> expectedWinners;
        std::vector<int> expected = highestAverages(votes, &expectedWinners);
        Reparto r = REPARTO(asDouble, double(total));
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_EQ(r.seats, expected);
        ASSERT_EQ(r.winner, expectedWinners);
        int sum = 0;
        for (int s : r.seats) sum += s;
        EXPECT_EQ(sum, total > 0 ? kEscanos : 0);
        EXPECT_EQ(REPARTO(asDouble, double(total)).rows, r.rows);
    }
}

class RepartoTable : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        registerEmbeddedResources();  // the bar's pictures
    }
    void TearDown() override {
        EXPECT_TRUE(errors.empty());
        EXPECT_TRUE(harness.unexpected().empty());
        EngineTest::TearDown();
    }
    static void shot(WindowView& v, const std::string& name) {
        if (const char* dir = std::getenv("URNALIA_SHOTS")) v.grab(std::string(dir) + "/" + name);
    }
    static int greenPixels(const Picture& p) {
        return int(std::count(p.pixels.begin(), p.pixels.end(), 0x4cff00u));
    }
    GuiHarness harness;
};

// Winners' cells on green in every row, nothing green without votes; footer of the seats,
// right-aligned, under the captions.
TEST_F(RepartoTable, ShowsTheCaptionsTheSeatsAsFooterAndTheWinnersOnGreen) {
    struct Case {
        const char* name;
        std::vector<double> votes;
        std::vector<std::string> footer;
    };
    for (const Case& c :
         std::vector<Case>{{"votes", {100, 80, 30}, {"Total", "12", "10", "3", "0"}},
                           {"no votes", {0, 0, 0}, {"Total", "0", "0", "0", "0"}}}) {
        SCOPED_TRACE(c.name);
        Reparto r = REPARTO(c.votes, 210);
        auto d = tablaRepartoDialog(r, {"PSOE", "IU", "LV"}, 0);
        ASSERT_TRUE(d);
        tCAbreBrow* b = d->oBrw;
        EXPECT_FALSE(d->helpIcon());
        ASSERT_EQ(b->aHeaders.size(), 1u);
        EXPECT_EQ(b->aHeaders[0], (BrowseRow{"Escaños", "PSOE", "IU", "LV", "TOTAL"}));
        ASSERT_EQ(b->aFooters.size(), 1u);
        BrowseRow footer = std::get<BrowseRow>(b->aFooters[0]);
        EXPECT_EQ(footer, BrowseRow(c.footer.begin(), c.footer.end()));
        EXPECT_EQ(b->aFJustify, (std::vector<Value>{false, true, true, true, true}));
        EXPECT_TRUE(b->lDrawFooters);
        for (long k = 1; k <= kEscanos; ++k) {
            b->nAt = k;
            for (int col = 1; col <= 5; ++col) {
                bool green = b->nClrPane.of(col, {}) == std::optional<Color>(kColorGanador);
                int winner = r.winner[size_t(k - 1)];
                EXPECT_EQ(green, winner >= 0 && col == winner + 2) << "row " << k << " col " << col;
            }
        }
        b->nAt = 1;
        std::string title;
        int green = 0;
        harness.onNextModal([&](WindowView& v) {
            title = v.title();
            green = greenPixels(v.grab());
            shot(v, std::string("reparto-") + (c.votes[0] > 0 ? "votos" : "sin-votos") + ".png");
            v.key(Key::Escape);
        });
        d->activate();
        EXPECT_EQ(title, " Tabla de reparto");
        EXPECT_EQ(green > 0, c.votes[0] > 0);
    }
}

// CALCULA_REPARTO over the totals and seats rows of both drivers.
template <class Driver>
class CalculaReparto : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        registerEmbeddedResources();  // the bar's pictures
        // The totals row: 100, 80 and 30 votes for the first, second and sixth parties; the
        // seats row with the seats of an earlier calculation.
        makeRow("conteos", {{1, 100}, {2, 80}, {6, 30}, {36, 210}});
        makeRow("represen", {{3, 7}, {36, 99}});
    }
    void makeRow(const char* name, std::vector<std::pair<int, int>> values) {
        ASSERT_TRUE(DBCREATE(name, conteosStructure(), Driver::name));
        ASSERT_TRUE(DBUSEAREA(true, Driver::name, name, "", true));
        ASSERT_TRUE(DBAPPEND());
        FIELDPUT(FIELDPOS("puesto"), Value("P"));
        FIELDPUT(FIELDPOS("distrito"), Value(3));
        for (auto [field, value] : values) FIELDPUT(field, Value(value));
        DBUNLOCK();
    }
    void TearDown() override {
        setKeyboardForTests(nullptr);
        EXPECT_TRUE(harness.unexpected().empty());
        DiskTest::TearDown();
    }
    Value seatsRow() {
        return evalInAlias("REPRESEN", [] {
            Array row;
            for (int i = 1; i <= FCOUNT(); ++i) row.push_back(FIELDGET(i));
            return Value(std::move(row));
        });
    }
    std::vector<std::string> seatsTexts() {
        std::vector<std::string> texts;
        Value row = seatsRow();
        for (const Value& v : *row.array()) texts.push_back(v.toText());
        return texts;
    }
    std::vector<double> seatsOf(const Value& row) {
        std::vector<double> s;
        for (size_t i = 0; i < 35; ++i) s.push_back((*row.array())[i].num());
        return s;
    }
    // The table's title, closed with Escape.
    void expectTable(std::string* title) {
        harness.onNextModal([title](WindowView& v) {
            *title = v.title();
            if (const char* dir = std::getenv("URNALIA_SHOTS"))
                v.grab(std::string(dir) + "/calcula-reparto-" + Driver::name + ".png");
            v.key(Key::Escape);
        });
    }
    GuiHarness harness;
};
TYPED_TEST_SUITE(CalculaReparto, BothDrivers);

TYPED_TEST(CalculaReparto, StoresTheSeatsOverTheEarlierOnesAndShowsTheTable) {
    std::vector<double> expected(35, 0);
    expected[0] = 12;  // the 25th quotient is 80 / 10 = 8; the next, 100 / 13
    expected[1] = 10;
    expected[5] = 3;
    for (int run = 1; run <= 2; ++run) {
        std::string title;
        this->expectTable(&title);
        CALCULA_REPARTO("CONTEOS", "REPRESEN");
        EXPECT_EQ(title, " Tabla de reparto");
        Value row = this->seatsRow();
        EXPECT_EQ(this->seatsOf(row), expected) << "run " << run;
        EXPECT_EQ((*row.array())[35].num(), 0);
        EXPECT_EQ((*row.array())[36].text(), "P");
        EXPECT_EQ((*row.array())[37].num(), 3);
    }
    EXPECT_TRUE(this->errors.empty());
}

TYPED_TEST(CalculaReparto, ARefusedLockStoresNothingAndStillShowsTheTable) {
    ASSERT_TRUE(DBUSEAREA(true, TypeParam::name, "represen", "OTRO", true));
    ASSERT_TRUE(RLOCK());
    std::vector<std::string> before = this->seatsTexts();
    TestClock clock(1321615800.0, 0.25);
    this->harness.onNextModal([](WindowView&) {});  // the busy box
    this->harness.onNextModal([](WindowView& v) { v.press("Cancelar"); });
    std::string title;
    this->expectTable(&title);
    CALCULA_REPARTO("CONTEOS", "REPRESEN");
    EXPECT_EQ(title, " Tabla de reparto");
    EXPECT_EQ(this->seatsTexts(), before);
}

// Without a totals row, or without the seats table, an error and nothing stored; without a
// seats row the table is still shown.
TYPED_TEST(CalculaReparto, MissingRowsOrTablesAreReportedAndStoreNothing) {
    std::vector<std::string> before = this->seatsTexts();
    evalInAlias("CONTEOS", [] { return Value(DBGOTO(LASTREC() + 1)); });
    CALCULA_REPARTO("CONTEOS", "REPRESEN");
    EXPECT_EQ(this->errors.size(), 1u);
    evalInAlias("CONTEOS", [] { return Value(DBGOTOP()); });
    CALCULA_REPARTO("CONTEOS", "NOABIERTA");
    EXPECT_EQ(this->errors.size(), 2u);
    CALCULA_REPARTO("NOABIERTA", "REPRESEN");
    EXPECT_EQ(this->errors.size(), 3u);
    evalInAlias("REPRESEN", [] { return Value(DBGOTO(LASTREC() + 1)); });
    std::string title;
    this->expectTable(&title);
    CALCULA_REPARTO("CONTEOS", "REPRESEN");
    EXPECT_EQ(title, " Tabla de reparto");
    EXPECT_EQ(this->errors.size(), 4u);
    for (const ErrorRecord& e : this->errors) EXPECT_FALSE(e.description.empty());
    evalInAlias("REPRESEN", [] { return Value(DBGOTOP()); });
    EXPECT_EQ(this->seatsTexts(), before);
}

}  // namespace
