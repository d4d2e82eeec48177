// The pictures carried inside the program: the 35 party logos and the allocation button,
// as complete 24-bit BMP files of fixed sizes, looked up by exact name, as bytes or as
// bitmap handles for a window.
#include <gtest/gtest.h>

#include <set>

#include "Dialog.h"
#include "Error.h"
#include "GuiHarness.h"
#include "Resources.h"
#include "bmpCodec.h"
#include "bmp_es.h"
#include "btnBmp_mapa.h"

namespace {

struct ImageSize {
    const char* name;
    int width, height, bytes;
};

// Every logo in the order of the party list, with the size the windows lay out for it.
const ImageSize kLogoSizes[] = {
    {"logo_psoe", 63, 61, 11766},  {"logo_iu", 94, 62, 17662},  {"logo_lv", 62, 48, 9078},
    {"logo_pa", 65, 84, 16518},    {"logo_psc", 63, 63, 12150}, {"logo_pp", 63, 43, 8310},
    {"logo_cc", 38, 25, 2954},     {"logo_fe", 38, 40, 4694},   {"logo_dn", 38, 32, 3766},
    {"logo_erc", 38, 25, 2954},    {"logo_icv", 38, 25, 2954},  {"logo_bng", 38, 42, 4926},
    {"logo_psa", 38, 25, 2954},    {"logo_ciu", 38, 27, 3186},  {"logo_upn", 38, 25, 2954},
    {"logo_e2000", 38, 25, 2954},  {"logo_ea", 38, 38, 4462},   {"logo_pnv", 38, 38, 4462},
    {"logo_anv", 38, 38, 4462},    {"logo_cdc", 38, 27, 3186},  {"logo_cha", 38, 25, 2954},
    {"logo_aralar", 38, 34, 3998}, {"logo_pas", 38, 25, 2954},  {"logo_par", 38, 37, 4346},
    {"logo_eu", 38, 42, 4926},     {"logo_aa", 38, 44, 5158},   {"logo_uv", 38, 42, 4926},
    {"logo_bloc", 38, 37, 4346},   {"logo_cdn", 38, 29, 3418},  {"logo_env", 38, 25, 2954},
    {"logo_phc", 38, 25, 2954},    {"logo_cnc", 38, 25, 2954},  {"logo_pr", 38, 25, 2954},
    {"logo_psm", 38, 25, 2954},    {"logo_um", 38, 25, 2954},
};

uint32_t le32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

// A complete 24-bit uncompressed BMP file without palette, of exactly this size, that
// decodes into a picture with more than a couple of colours (not a blank rectangle).
void expectImage(const std::string& bytes, const ImageSize& want) {
    SCOPED_TRACE(want.name);
    ASSERT_EQ(bytes.size(), size_t(want.bytes));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(le32(bytes, 2), uint32_t(want.bytes));  // file size in the header
    EXPECT_EQ(le32(bytes, 10), 54u);                  // pixels right after the headers
    EXPECT_EQ(le32(bytes, 14), 40u);                  // information header size
    EXPECT_EQ(uint8_t(bytes[28]), 24);                // bits per pixel
    EXPECT_EQ(le32(bytes, 30), 0u);                   // no compression
    Picture p;
    ASSERT_TRUE(decodeBmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, p).ok());
    EXPECT_EQ(p.width, want.width);
    EXPECT_EQ(p.height, want.height);
    std::set<uint32_t> colours(p.pixels.begin(), p.pixels.end());
    EXPECT_GE(colours.size(), 3u);
}

TEST(PartyLogos, EveryLogoIsAComplete24BitBmpOfItsSize) {
    for (const ImageSize& logo : kLogoSizes) {
        Value v = BITMAPSLOGOS(logo.name);
        ASSERT_TRUE(v.isText()) << logo.name;
        expectImage(v.text(), logo);
    }
}

TEST(PartyLogos, EveryPartyHasItsOwnPicture) {
    std::set<std::string> seen;
    for (const ImageSize& logo : kLogoSizes)
        EXPECT_TRUE(seen.insert(BITMAPSLOGOS(logo.name).text()).second) << logo.name;
}

TEST(PartyLogos, NamesThatAreNotLogosComeBackUnchanged) {
    // Case counts even though the resource registry itself ignores it; pictures that are
    // resources but not logos are not logos either.
    const char* others[] = {
        "LOGO_PSOE",    "Logo_psoe",    "logo_PSOE",  "logo_psoe ", " logo_psoe",
        "logo_casilla", "logo_tipo",    "logo_total", "logo_",      "",
        "b_mapa",       "bmp_tarvelon", "a_pri",      "psoe"};
    for (const char* name : others) {
        Value v = BITMAPSLOGOS(name);
        ASSERT_TRUE(v.isText()) << name;
        EXPECT_EQ(v.text(), name);
    }
}

TEST(MapaButton, IsA16By15Bmp) {
    Value v = BTNBMP_MAPA();
    ASSERT_TRUE(v.isText());
    expectImage(v.text(), {"b_mapa", 16, 15, 774});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(resourceBytes("b_mapa").data()), 774),
              v.text());
}

class ImageHandles : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
    TDialog window{DialogOptions{.title = " Logos", .width = 200, .height = 100}};
};

TEST_F(ImageHandles, EveryCallWithAWindowMakesANewHandleOfThePicture) {
    Value first = BITMAPSLOGOS("logo_psoe", &window);
    Value second = BITMAPSLOGOS("logo_psoe", &window);
    ASSERT_TRUE(first.isNumber() && second.isNumber());
    EXPECT_GT(first.num(), 0);
    EXPECT_NE(first.num(), second.num());
    for (const Value& handle : {first, second}) {
        const Picture* p = memBitmap(int(handle.num()));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->width, 63);
        EXPECT_EQ(p->height, 61);
        EXPECT_TRUE(DeleteMemBitmap(int(handle.num())));
    }

    Value button = BTNBMP_MAPA(&window);
    const Picture* p = memBitmap(int(button.num()));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 16);
    EXPECT_EQ(p->height, 15);
    DeleteMemBitmap(int(button.num()));
}

TEST_F(ImageHandles, ANameThatIsNotALogoGivesNoPictureAndAnError) {
    std::vector<ErrorRecord> raised;
    ScopedErrorHandler capture([&](const ErrorRecord& r) {
        raised.push_back(r);
        return ErrorAction::Default;
    });
    for (const char* name : {"LOGO_PSOE", "logo_casilla"}) {
        Value v = BITMAPSLOGOS(name, &window);
        ASSERT_TRUE(v.isNumber()) << name;
        EXPECT_EQ(v.num(), 0) << name;
    }
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].subsystem, "TOOLKIT");
}

}  // namespace
