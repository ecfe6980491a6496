// The embedded image table: its entries and the lookup by name.
#include "app/common/images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Expected {
  const char* name;
  int width;
  int height;
  int pngColourType;  // 3 palette, 6 RGBA; 0 for the XPM
};

const Expected kTable[] = {
    {"dodaj.png", 36, 36, 3},
    {"edytuj.png", 36, 36, 3},
    {"wybierz.png", 36, 36, 3},
    {"usun.png", 36, 36, 3},
    {"odswiez.png", 36, 36, 3},
    {"zamknij.png", 36, 36, 3},
    {"drukuj.png", 36, 36, 3},
    {"import_faktur.png", 36, 36, 3},
    {"import_ksef.png", 36, 36, 3},
    {"korekta_fv.png", 36, 36, 3},
    {"podglad.png", 36, 36, 3},
    {"suma_kpir.png", 36, 36, 3},
    {"numer_referencyjny.png", 36, 36, 3},
    {"opcje.png", 36, 36, 3},
    {"upo_podglad.png", 36, 36, 3},
    {"upo_status.png", 36, 36, 3},
    {"wyslij_jpk_web.png", 36, 36, 3},
    {"xml_generuj.png", 36, 36, 3},
    {"xml_podglad.png", 36, 36, 3},
    {"xml_zapisz.png", 36, 36, 3},
    {"sklep.png", 52, 52, 3},
    {"module-artykuly.png", 52, 52, 3},
    {"module-faktury.png", 52, 52, 3},
    {"module-jpk_vat.png", 52, 52, 3},
    {"module-kontrahenci.png", 52, 52, 3},
    {"module-kpir.png", 52, 52, 3},
    {"module-ksef.png", 52, 52, 3},
    {"auth_illustration.png", 450, 105, 6},
    {"module-icons-transparent.png", 1254, 1254, 6},
    {"quillmore_znak_wodny.xpm", 100, 100, 0},
};

std::uint32_t BigEndian(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

TEST(EmbeddedImages, TableHoldsExactlyTheThirtyImagesInOrder) {
  ASSERT_EQ(veldrix::kEmbeddedImageCount, 30u);
  for (std::size_t i = 0; i < 30; ++i) {
    const veldrix::EmbeddedImage& entry = veldrix::kEmbeddedImages[i];
    const Expected& expected = kTable[i];
    SCOPED_TRACE(expected.name);
    EXPECT_STREQ(entry.name, expected.name);
    ASSERT_GT(entry.size, 32u);
    if (expected.pngColourType == 0) {
      EXPECT_EQ(entry.type, wxBITMAP_TYPE_XPM);
      const std::string text(reinterpret_cast<const char*>(entry.data), entry.size);
      EXPECT_EQ(text.rfind("/* XPM */", 0), 0u);
      EXPECT_NE(text.find("\"100 100 36 1\""), std::string::npos);
    } else {
      EXPECT_EQ(entry.type, wxBITMAP_TYPE_PNG);
      EXPECT_EQ(std::memcmp(entry.data, "\x89PNG\r\n\x1a\n", 8), 0);
      EXPECT_EQ(BigEndian(entry.data + 16), std::uint32_t(expected.width));
      EXPECT_EQ(BigEndian(entry.data + 20), std::uint32_t(expected.height));
      EXPECT_EQ(entry.data[24], 8);  // bit depth
      EXPECT_EQ(entry.data[25], expected.pngColourType);
    }
  }
}

TEST(EmbeddedImages, FoundByLastNameComponentInAnyCase) {
  for (const wxString& name : {wxString("dodaj.png"), wxString("DODAJ.PNG"), wxString("images/Dodaj.png"),
                               wxString("C:\\Program Files\\Veldrix\\dodaj.png"), wxString("/opt/x/y/dodaj.PNG"),
                               wxString("ui\\sub/dodaj.png")}) {
    veldrix::EmbeddedImage out{"untouched", nullptr, 0, wxBITMAP_TYPE_INVALID};
    ASSERT_TRUE(veldrix::FindEmbeddedImage(name, &out)) << name;
    EXPECT_EQ(out.data, veldrix::kEmbeddedImages[0].data);
    EXPECT_EQ(out.size, veldrix::kEmbeddedImages[0].size);
    EXPECT_EQ(out.type, wxBITMAP_TYPE_PNG);
    EXPECT_STREQ(out.name, "untouched");
  }
  veldrix::EmbeddedImage xpm{};
  ASSERT_TRUE(veldrix::FindEmbeddedImage("Quillmore_Znak_Wodny.XPM", &xpm));
  EXPECT_EQ(xpm.type, wxBITMAP_TYPE_XPM);
}

TEST(EmbeddedImages, MissReportsNoData) {
  for (const wxString& name :
       {wxString("dodaj"), wxString("dodaj.png/"), wxString(""), wxString("brak.png"), wxString("dodaj.png.bak")}) {
    veldrix::EmbeddedImage out{"untouched", reinterpret_cast<const unsigned char*>("x"), 1, wxBITMAP_TYPE_PNG};
    EXPECT_FALSE(veldrix::FindEmbeddedImage(name, &out)) << name;
    EXPECT_EQ(out.data, nullptr);
    EXPECT_EQ(out.size, 0u);
    EXPECT_EQ(out.type, wxBITMAP_TYPE_ANY);
    EXPECT_STREQ(out.name, "untouched");
  }
}
