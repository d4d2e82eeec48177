#pragma once
// Fixture for the "datos" generator tests: a fresh temporary folder, removed afterwards, and
// the table layer with the disk driver, its error records collected instead of shown.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Error.h"
#include "TableLayer.h"
#include "datosWriter.h"
#include "dbfCdxDriver.h"

class DatosTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dbfCdxRegister();
        tableSettings() = TableSettings{};
        char tmpl[] = "/tmp/urnalia_datos_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder = tmpl;
        tableSettings().defaultFolder = folder;
    }
    void TearDown() override {
        DBCLOSEALL();
        EXPECT_TRUE(errors.empty()) << errors.front().description;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Writes the three tables into folder/sub and answers the folder.
    std::string generate(const std::string& sub, uint64_t rows, uint64_t seed) {
        datos::DatosOptions options;
        options.folder = folder + "/" + sub;
        options.padronRows = rows;
        options.seed = seed;
        std::vector<datos::TableSummary> summary;
        Status s = datos::writeDatos(options, &summary);
        EXPECT_TRUE(s.ok()) << s.toString();
        return options.folder;
    }

    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder;
    std::vector<ErrorRecord> errors;
    ScopedErrorHandler handler{[this](const ErrorRecord& r) {
        errors.push_back(r);
        return ErrorAction::Default;
    }};
};
