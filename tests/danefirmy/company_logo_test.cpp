// The company logo without windows: which files are taken, reading PNG and JPEG
// safely, the PNG kept in the row and its size limit, the logo folder of each
// database, replacing a file in place, and the preview's geometry.
#include "danefirmy/company_logo.h"

#include "app/common/base64.h"
#include "app/common/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <random>
#include <string>

using veldrix::test::ReadFileBytes;
using veldrix::test::TempDir;
using veldrix::test::WriteFileBytes;

namespace {

std::string Encoded(const wxImage& image, wxBitmapType type) {
  if (!wxImage::FindHandler(type)) {
    if (type == wxBITMAP_TYPE_PNG) wxImage::AddHandler(new wxPNGHandler);
    if (type == wxBITMAP_TYPE_JPEG) wxImage::AddHandler(new wxJPEGHandler);
  }
  wxMemoryOutputStream out;
  EXPECT_TRUE(image.SaveFile(out, type));
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(bytes.data(), bytes.size());
  return bytes;
}

wxImage Noise(int width, int height) {
  wxImage image(width, height);
  std::mt19937 random(11);
  for (int i = 0; i < width * height * 3; ++i) image.GetData()[i] = static_cast<unsigned char>(random());
  return image;
}

// A PNG signature and header chunk declaring the size, followed by bytes that are
// no image data.
std::string PngDeclaring(std::uint32_t width, std::uint32_t height) {
  std::string bytes = Encoded(wxImage(1, 1), wxBITMAP_TYPE_PNG).substr(0, 33);
  for (int i = 0; i < 4; ++i) {
    bytes[16 + i] = static_cast<char>(width >> (24 - 8 * i));
    bytes[20 + i] = static_cast<char>(height >> (24 - 8 * i));
  }
  return bytes + std::string(4096, '\x55');
}

// A JPEG start, an application segment and a frame header declaring the size.
std::string JpegDeclaring(std::uint16_t width, std::uint16_t height) {
  std::string bytes = "\xff\xd8\xff\xe1";
  bytes += std::string("\x00\x06" "Exif", 6);
  bytes += "\xff\xff\xc2";  // fill byte, then a progressive frame header
  bytes += std::string("\x00\x11\x08", 3);
  bytes += {static_cast<char>(height >> 8), static_cast<char>(height & 0xff), static_cast<char>(width >> 8),
            static_cast<char>(width & 0xff)};
  return bytes + std::string(64, '\x01');
}

}  // namespace

TEST(CompanyLogo, OnlyPngAndJpegFileNamesAreTakenInAnyCase) {
  for (const char* name : {"logo.png", "LOGO.PNG", "a/b.Jpg", "zdjecie.JPEG"}) {
    EXPECT_TRUE(HasLogoFileExtension(name)) << name;
  }
  for (const char* name : {"logo.gif", "logo.bmp", "logo", "png", "logo.png.txt"}) {
    EXPECT_FALSE(HasLogoFileExtension(name)) << name;
  }
  TempDir dir;
  // A PNG named as a GIF is refused by its name, whatever it holds.
  WriteFileBytes(dir.file("logo.gif"), Encoded(wxImage(4, 4), wxBITMAP_TYPE_PNG));
  LogoError error = LogoError::None;
  EXPECT_FALSE(PrepareLogoFile(dir.file("logo.gif"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Format);
  // Text named as a PNG is read and refused as no image.
  WriteFileBytes(dir.file("notatka.png"), "to nie jest obraz");
  EXPECT_FALSE(PrepareLogoFile(dir.file("notatka.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Unreadable);
  EXPECT_FALSE(PrepareLogoFile(dir.file("brak.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Unreadable);
}

TEST(CompanyLogo, HeaderGivesFormatAndDeclaredSizeWithoutDecoding) {
  ImageHeader header;
  const std::string png = Encoded(wxImage(37, 11), wxBITMAP_TYPE_PNG);
  ASSERT_TRUE(ReadImageHeader(png.data(), png.size(), &header));
  EXPECT_EQ(header.format, ImageFormat::Png);
  EXPECT_EQ(header.width, 37u);
  EXPECT_EQ(header.height, 11u);

  const std::string jpeg = Encoded(wxImage(40, 25), wxBITMAP_TYPE_JPEG);
  ASSERT_TRUE(ReadImageHeader(jpeg.data(), jpeg.size(), &header));
  EXPECT_EQ(header.format, ImageFormat::Jpeg);
  EXPECT_EQ(header.width, 40u);
  EXPECT_EQ(header.height, 25u);

  const std::string declared = JpegDeclaring(300, 200);
  ASSERT_TRUE(ReadImageHeader(declared.data(), declared.size(), &header));
  EXPECT_EQ(header.width, 300u);
  EXPECT_EQ(header.height, 200u);

  const std::string gif = "GIF89a\x10\x00\x10\x00";
  EXPECT_FALSE(ReadImageHeader(gif.data(), gif.size(), &header));
  EXPECT_FALSE(ReadImageHeader(png.data(), 20, &header));
  EXPECT_FALSE(ReadImageHeader(jpeg.data(), 6, &header));
  const std::string zeroWide = JpegDeclaring(0, 200);
  EXPECT_FALSE(ReadImageHeader(zeroWide.data(), zeroWide.size(), &header));
  const std::string scanFirst = "\xff\xd8\xff\xda\x00\x08";
  EXPECT_FALSE(ReadImageHeader(scanFirst.data(), scanFirst.size(), &header));
}

TEST(CompanyLogo, HugeDeclaredImagesAreRefusedBeforeDecoding) {
  // Decoding these would first ask for gigabytes of pixels.
  wxImage image;
  LogoError error = LogoError::None;
  const std::string png = PngDeclaring(60000, 60000);
  EXPECT_FALSE(DecodeLogoImage(png.data(), png.size(), &image, &error));
  EXPECT_EQ(error, LogoError::Dimensions);
  const std::string jpeg = JpegDeclaring(65000, 65000);
  EXPECT_FALSE(DecodeLogoImage(jpeg.data(), jpeg.size(), &image, &error));
  EXPECT_EQ(error, LogoError::Dimensions);
  EXPECT_FALSE(image.IsOk());

  TempDir dir;
  WriteFileBytes(dir.file("bomba.png"), png);
  EXPECT_FALSE(PrepareLogoFile(dir.file("bomba.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Dimensions);
  EXPECT_FALSE(LogoErrorMessage(error).empty());

  // A long banner within the pixel budget is still a logo.
  const std::string banner = Encoded(wxImage(5000, 20), wxBITMAP_TYPE_PNG);
  EXPECT_TRUE(DecodeLogoImage(banner.data(), banner.size(), &image, &error));
  EXPECT_EQ(image.GetSize(), wxSize(5000, 20));
}

TEST(CompanyLogo, JpegIsKeptAsPngOfItsOwnSize) {
  TempDir dir;
  const std::string jpeg = Encoded(Noise(120, 80), wxBITMAP_TYPE_JPEG);
  WriteFileBytes(dir.file("logo.JPG"), jpeg);
  PreparedLogo logo;
  LogoError error = LogoError::Format;
  ASSERT_TRUE(PrepareLogoFile(dir.file("logo.JPG"), &logo, &error));
  EXPECT_EQ(error, LogoError::None);
  EXPECT_EQ(logo.format, "png");
  const wxMemoryBuffer png = veldrix::DecodeBase64(logo.base64);
  ASSERT_GT(png.GetDataLen(), 8u);
  EXPECT_EQ(std::string(static_cast<const char*>(png.GetData()), 4), "\x89PNG");
  EXPECT_EQ(logo.size, png.GetDataLen());
  EXPECT_NE(logo.size, jpeg.size());
  EXPECT_EQ(DecodedBase64Size(" " + logo.base64.Left(8) + "\n" + logo.base64.Mid(8)), logo.size);
  EXPECT_EQ(DecodedBase64Size("not base64!"), 0u);

  wxImage back;
  ASSERT_TRUE(DecodeLogoImage(png.GetData(), png.GetDataLen(), &back));
  EXPECT_EQ(back.GetSize(), wxSize(120, 80));
}

TEST(CompanyLogo, PngAboveTheLimitIsRefusedNamingTheLimit) {
  TempDir dir;
  // Noise does not compress: about 1 MB of PNG.
  WriteFileBytes(dir.file("duze.png"), Encoded(Noise(600, 600), wxBITMAP_TYPE_PNG));
  LogoError error = LogoError::None;
  EXPECT_FALSE(PrepareLogoFile(dir.file("duze.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::TooLarge);
  EXPECT_NE(LogoErrorMessage(error).Find("512 KB"), wxNOT_FOUND);
}

TEST(CompanyLogo, EachDatabaseHasItsOwnLogoFolder) {
  veldrix::test::IsolatedFolders folders;
  EXPECT_EQ(Fnv1a32(""), 0x811c9dc5u);
  EXPECT_EQ(Fnv1a32("a"), 0xe40c292cu);
  EXPECT_EQ(Fnv1a32("foobar"), 0xbf9cf968u);

  const wxString base = veldrix::JoinPath(veldrix::UserDataFolder(), "company-logos");
  EXPECT_EQ(CompanyLogoCacheDir("", ""), veldrix::JoinPath(base, "811c9dc5"));
  const wxString first = CompanyLogoCacheDir("Data Source=/a/veldrix.db;Version=3;", "/a/veldrix.db");
  const wxString second = CompanyLogoCacheDir("Data Source=/b/veldrix.db;Version=3;", "/b/veldrix.db");
  EXPECT_NE(first, second);
  EXPECT_EQ(wxFileName(first).GetPath(), base);
  EXPECT_EQ(wxFileName(first).GetFullName().length(), 8u);
  // Without a connection string the server names the database.
  EXPECT_EQ(CompanyLogoCacheDir("", "/a/veldrix.db"), CompanyLogoCacheDir("/a/veldrix.db", "other"));
  EXPECT_FALSE(wxFileName::DirExists(first));

  EXPECT_EQ(CompanyLogoCachePath(first, "12"), veldrix::JoinPath(first, "company_12.png"));
  EXPECT_EQ(CompanyLogoCachePath(first, "0"), "");
  EXPECT_EQ(CompanyLogoCachePath(first, ""), "");
}

TEST(CompanyLogo, FileIsReplacedWholeWithNothingLeftBeside) {
  TempDir dir;
  const wxString folder = veldrix::JoinPath(dir.path(), "logos", "abc");
  const wxString file = veldrix::JoinPath(folder, "company_1.png");
  ASSERT_TRUE(WriteFileReplacing(file, "first", 5));
  ASSERT_TRUE(WriteFileReplacing(file, "second", 6));
  EXPECT_EQ(ReadFileBytes(file), "second");
  wxArrayString entries;
  wxDir::GetAllFiles(folder, &entries, wxString(), wxDIR_FILES | wxDIR_HIDDEN);
  EXPECT_EQ(entries.size(), 1u);

  // A folder that cannot be made is reported.
  WriteFileBytes(dir.file("plik"), "x");
  wxString error;
  EXPECT_FALSE(WriteFileReplacing(veldrix::JoinPath(dir.file("plik"), "company_1.png"), "x", 1, &error));
  EXPECT_FALSE(error.empty());
}

TEST(CompanyLogo, PreviewCanvasAndScaledImage) {
  const struct {
    int clientWidth;
    int canvasWidth;
  } kCanvas[] = {{600, 600}, {100, 150}, {30, 210}, {0, 210}, {31, 150}, {212, 212}};
  for (const auto& c : kCanvas) EXPECT_EQ(LogoPreviewCanvasWidth(c.clientWidth), c.canvasWidth) << c.clientWidth;

  const struct {
    wxSize image;
    int canvasWidth;
    wxSize drawn;
  } kScaled[] = {
      {{10, 10}, 210, {64, 64}},   // small images are enlarged
      {{400, 100}, 210, {202, 50}},
      {{1000, 10}, 210, {202, 2}},
      {{1, 1000}, 210, {1, 64}},   // never below one pixel
      {{400, 100}, 600, {256, 64}},
  };
  for (const auto& s : kScaled) {
    EXPECT_EQ(LogoPreviewImageSize(s.image, s.canvasWidth), s.drawn) << s.image.x << "x" << s.image.y;
  }
}
