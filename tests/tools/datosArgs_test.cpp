// The command line of the "datos" generator: what it accepts and the message of what not.
#include <gtest/gtest.h>

#include "datosWriter.h"

namespace {

struct ArgsCase {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
    std::string folder;
    uint64_t rows = datos::kDefaultPadronRows;
    uint64_t seed = datos::kDefaultSeed;
    bool keep = false;
};

TEST(DatosArgs, AcceptsOrExplains) {
    const ArgsCase cases[] = {
        {{"datos"}, "", "datos"},
        {{"/tmp/x", "500", "--seed", "7"}, "", "/tmp/x", 500, 7},
        {{"--seed", "18446744073709551615", "d", "0"}, "", "d", 0, 18446744073709551615ull},
        {{"d", "10000000", "--keep"}, "", "d", 10000000, datos::kDefaultSeed, true},
        {{}, "the folder is missing"},
        {{""}, "the folder name is empty"},
        {{"d", "12x"}, "PADRON_ROWS must be a whole number from 0 to 10000000, not '12x'"},
        {{"d", "10000001"}, "PADRON_ROWS must be"},
        {{"d", "99999999999999999999999"}, "PADRON_ROWS must be"},
        {{"d", " 5"}, "PADRON_ROWS must be"},
        {{"d", "-5"}, "unknown option -5"},
        {{"d", "--seed"}, "--seed needs a whole number"},
        {{"d", "--seed", "x1"}, "--seed needs a whole number"},
        {{"d", "--seed", "18446744073709551616"}, "--seed needs a whole number"},
        {{"d", "1", "2"}, "too many arguments"},
        {{"d", "--fast"}, "unknown option --fast"},
    };
    for (const ArgsCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        datos::DatosOptions options;
        bool help = true;
        std::string error;
        bool ok = datos::parseDatosArgs(c.args, &options, &help, &error);
        EXPECT_FALSE(help);
        if (!c.error.empty()) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
            continue;
        }
        ASSERT_TRUE(ok) << error;
        EXPECT_EQ(options.folder, c.folder);
        EXPECT_EQ(options.padronRows, c.rows);
        EXPECT_EQ(options.seed, c.seed);
        EXPECT_EQ(options.keepExisting, c.keep);
    }
}

TEST(DatosArgs, HelpWinsOverEverythingElse) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"-h"}, {"d", "x", "--help"}}) {
        datos::DatosOptions options;
        bool help = false;
        std::string error;
        EXPECT_TRUE(datos::parseDatosArgs(args, &options, &help, &error));
        EXPECT_TRUE(help);
    }
    EXPECT_NE(datos::datosUsage().find("--seed N"), std::string::npos);
}

}  // namespace
