#pragma once
// Fixture for engine tests: a clean layer with the memory driver registered, every error
// record collected instead of shown.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "dbfCdxDriver.h"
#include "fileIo.h"
#include "memoryTables.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        freshMemoryTables();
        NETERR(false);
    }
    void TearDown() override { DBCLOSEALL(); }

    // A table "name" with one numeric field N holding 1..count, left open exclusively.
    void makeNumbered(const std::string& name, int count) {
        ASSERT_TRUE(DBCREATE(name, {{"n", 'N', 5, 0}}, "ARRAYRDD", true));
        for (int i = 1; i <= count; ++i) {
            DBAPPEND();
            FIELDPUT(1, Value(i));
        }
    }

    std::vector<ErrorRecord> errors;
    ScopedErrorHandler handler{[this](const ErrorRecord& r) {
        errors.push_back(r);
        return ErrorAction::Default;
    }};
};

// Fixture for disk-driver tests: the engine fixture plus the disk driver, with a fresh
// temporary folder as the default folder, removed afterwards.
class DiskTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        dbfCdxRegister();
        char tmpl[] = "/tmp/urnalia_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder = tmpl;
        tableSettings().defaultFolder = folder;
        // Every change still goes through the journal; only the waits for the disk go.
        posixio::setDurable(false);
    }
    void TearDown() override {
        EngineTest::TearDown();
        posixio::setDurable(true);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string folder;
};


// The two drivers, for suites that run the same cases over both.
struct MemoryDriver {
    static constexpr const char* name = "ARRAYRDD";
};
struct DiskDriver {
    static constexpr const char* name = "DBFCDX";
};
using BothDrivers = ::testing::Types<MemoryDriver, DiskDriver>;
