// Writing the "datos" folder: the same seed gives the same bytes, a smaller roll is the start
// of a larger one, existing tables are kept on request, stale indexes go, and failures leave
// nothing half-written.
#include "datosTestSupport.h"
#include "dbfFormat.h"

namespace {

namespace fs = std::filesystem;

const char* const kFiles[] = {"casillas.dbf", "colonias.dbf", "padron.dbf"};

// The records of a DBF file's bytes, without the header (whose record count differs).
std::string records(const std::string& bytes) {
    dbf::DbfHeader header;
    EXPECT_TRUE(header.decodeFrom(bytes).ok());
    return bytes.substr(header.headerLength);
}

TEST_F(DatosTest, SameSeedSameBytesOtherSeedOtherRows) {
    std::string a = generate("a", 400, 7), b = generate("b", 400, 7), c = generate("c", 400, 8);
    for (const char* f : kFiles) {
        SCOPED_TRACE(f);
        std::string bytes = bytesOf(a + "/" + f);
        EXPECT_GT(bytes.size(), 10000u);
        EXPECT_EQ(bytes, bytesOf(b + "/" + f));
        EXPECT_NE(records(bytes), records(bytesOf(c + "/" + f)));
    }
}

TEST_F(DatosTest, SmallerRollIsTheStartOfALargerOne) {
    std::string small = generate("small", 150, 3), large = generate("large", 600, 3);
    EXPECT_EQ(bytesOf(small + "/casillas.dbf"), bytesOf(large + "/casillas.dbf"));
    EXPECT_EQ(bytesOf(small + "/colonias.dbf"), bytesOf(large + "/colonias.dbf"));
    std::string head = records(bytesOf(small + "/padron.dbf"));
    ASSERT_EQ(head.back(), dbf::kEndOfFile);
    head.pop_back();
    EXPECT_EQ(records(bytesOf(large + "/padron.dbf")).substr(0, head.size()), head);
}

TEST_F(DatosTest, KeepLeavesExistingTablesAndStaleIndexesGo) {
    std::string d = folder + "/d";
    fs::create_directories(d);
    std::ofstream(d + "/colonias.dbf") << "mine";
    std::ofstream(d + "/padron.cdx") << "stale";
    datos::DatosOptions options{.folder = d, .padronRows = 10, .keepExisting = true};
    std::vector<datos::TableSummary> summary;
    ASSERT_TRUE(datos::writeDatos(options, &summary).ok());
    EXPECT_EQ(bytesOf(d + "/colonias.dbf"), "mine");
    EXPECT_FALSE(fs::exists(d + "/padron.cdx"));
    ASSERT_EQ(summary.size(), 3u);
    EXPECT_FALSE(summary[0].kept);
    EXPECT_TRUE(summary[1].kept);
    EXPECT_EQ(summary[2].rows, 10u);

    options.keepExisting = false;
    summary.clear();
    ASSERT_TRUE(datos::writeDatos(options, &summary).ok());
    EXPECT_NE(bytesOf(d + "/colonias.dbf"), "mine");
    for (const fs::directory_entry& e : fs::directory_iterator(d))
        EXPECT_EQ(e.path().extension(), ".dbf") << e.path();
}

TEST_F(DatosTest, FailuresAreReportedAndLeaveNoTemporaryFile) {
    std::ofstream(folder + "/file") << "x";
    std::vector<datos::TableSummary> summary;
    Status s = datos::writeDatos({.folder = folder + "/file"}, &summary);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.toString().find("/file"), std::string::npos) << s.toString();

    // A folder in the place of the table: the table cannot replace it.
    fs::create_directories(folder + "/d/padron.dbf/inside");
    s = datos::writeDatos({.folder = folder + "/d", .padronRows = 5}, &summary);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.toString().find("padron.dbf"), std::string::npos) << s.toString();
    EXPECT_FALSE(fs::exists(folder + "/d/padron.dbf.tmp"));
    EXPECT_TRUE(fs::exists(folder + "/d/padron.dbf/inside"));
}

TEST_F(DatosTest, ProgressEveryFivePercent) {
    const std::pair<uint64_t, std::vector<int>> cases[] = {
        {40, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}},
        {3, {30, 65, 100}},
        {0, {}},
    };
    for (const auto& [rows, expected] : cases) {
        std::vector<int> seen;
        datos::DatosOptions options{.folder = folder + "/p", .padronRows = rows};
        options.progress = [&](std::string_view file, int percent) {
            EXPECT_EQ(file, "padron.dbf");
            seen.push_back(percent);
        };
        std::vector<datos::TableSummary> summary;
        ASSERT_TRUE(datos::writeDatos(options, &summary).ok());
        EXPECT_EQ(seen, expected) << rows << " rows";
    }
}

}  // namespace
