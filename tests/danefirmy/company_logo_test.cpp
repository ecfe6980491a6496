// The company logo without windows: which files are taken, reading PNG and JPEG
// safely, the logo folder of each database, and the preview's geometry. Storing
// logos is tested through the editor.
#include "danefirmy/company_logo.h"

#include "app/common/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <string>

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

// A stuffed zero (FF 00) after the start, then an application segment holding a
// small frame header: a walk that takes the zero for a marker lands on that frame.
std::string WithDecoyFrame(const std::string& jpeg) {
  const std::string decoy("\xff\xc0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x11\x00\x02\x11\x01\x03\x11\x01", 19);
  const std::size_t segment = 2 + decoy.size();
  return jpeg.substr(0, 2) + std::string("\xff\x00\x00\x06\xff\xe1", 6) +
         std::string{static_cast<char>(segment >> 8), static_cast<char>(segment & 0xff)} + decoy + jpeg.substr(2);
}

// The JPEG with its baseline frame header declaring another size.
std::string Redeclared(std::string jpeg, std::uint16_t width, std::uint16_t height) {
  const std::size_t frame = jpeg.find("\xff\xc0");
  EXPECT_NE(frame, std::string::npos);
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xff);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xff);
  return jpeg;
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
  ImageHeader header;
  ASSERT_TRUE(ReadImageHeader(jpeg.data(), jpeg.size(), &header));  // behind a segment and a fill byte
  EXPECT_EQ(header.width, 65000u);
  TempDir dir;
  WriteFileBytes(dir.file("bomba.png"), png);
  EXPECT_FALSE(PrepareLogoFile(dir.file("bomba.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Dimensions);

  // A long banner within the pixel budget is still a logo.
  const std::string banner = Encoded(wxImage(5000, 20), wxBITMAP_TYPE_PNG);
  EXPECT_TRUE(DecodeLogoImage(banner.data(), banner.size(), &image, &error));
  EXPECT_EQ(image.GetSize(), wxSize(5000, 20));
}

// The size checked must be the size libjpeg decodes: a 20000 x 20000 frame behind a
// decoy would take over a gigabyte.
TEST(CompanyLogo, AJpegFrameIsReadWhereTheDecoderReadsIt) {
  const std::string jpeg = Encoded(wxImage(300, 200), wxBITMAP_TYPE_JPEG);
  const struct {
    std::string bytes;
    std::uint32_t width;
    std::uint32_t height;
    LogoError error;
  } cases[] = {
      {WithDecoyFrame(jpeg), 300, 200, LogoError::None},
      {WithDecoyFrame(Redeclared(jpeg, 20000, 20000)), 20000, 20000, LogoError::Dimensions},
  };
  for (const auto& c : cases) {
    ImageHeader header;
    ASSERT_TRUE(ReadImageHeader(c.bytes.data(), c.bytes.size(), &header));
    ASSERT_EQ(header.width, c.width);
    ASSERT_EQ(header.height, c.height);
    wxImage image;
    LogoError error = LogoError::Unreadable;
    EXPECT_EQ(DecodeLogoImage(c.bytes.data(), c.bytes.size(), &image, &error), c.error == LogoError::None);
    EXPECT_EQ(error, c.error);
    if (c.error == LogoError::None) {
      EXPECT_EQ(image.GetSize(), wxSize(static_cast<int>(c.width), static_cast<int>(c.height)));
    }
  }
}

// A PNG cut short whose image data chunk claims 2 GiB: the decoder would go on
// reading past the end of the 91 bytes for over an hour.
TEST(CompanyLogo, APngWhoseChunksRunPastItsEndIsRefused) {
  const std::string whole = Encoded(wxImage(40, 30), wxBITMAP_TYPE_PNG);
  const std::size_t data = whole.find("IDAT");
  ASSERT_NE(data, std::string::npos);
  const std::string hostile = whole.substr(0, data - 4) + std::string("\x7f\xff\xff\xff" "IDAT", 8) +
                              std::string("\x48\x89\xed\xcd\x21\x01\x00\x30\x08\x00\xb0\x73\x49\x08\xfa\x47\x21\x16"
                                          "\x15\x70\x98\xad\xc0\x22\xbb\xde\x85\x7f\xb2\x8a\xc5\x62\xb1\x58\x2c",
                                          35);
  TempDir dir;
  WriteFileBytes(dir.file("logo.png"), hostile);
  LogoError error = LogoError::None;
  EXPECT_FALSE(PrepareLogoFile(dir.file("logo.png"), nullptr, &error));
  EXPECT_EQ(error, LogoError::Unreadable);
  // The same image whole is a logo.
  WriteFileBytes(dir.file("logo.png"), whole);
  EXPECT_TRUE(PrepareLogoFile(dir.file("logo.png"), nullptr, nullptr));
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
  // Without a connection string the server names the database.
  EXPECT_EQ(CompanyLogoCacheDir("", "/a/veldrix.db"), CompanyLogoCacheDir("/a/veldrix.db", "other"));

  EXPECT_EQ(CompanyLogoCachePath(first, "12"), veldrix::JoinPath(first, "company_12.png"));
  EXPECT_EQ(CompanyLogoCachePath(first, "0"), "");
  EXPECT_EQ(CompanyLogoCachePath(first, ""), "");
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
