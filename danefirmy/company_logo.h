// The company logo without windows: which files may become a logo, reading them
// safely (the declared size is checked before anything is decoded), the PNG the
// firma row keeps as Base64 and its size limit, the per-database folder of logo
// files, and the geometry of the editor's preview. The editor (dane_firmy_logo.cpp)
// and its tests use these.
#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>

class wxImage;

// The PNG bytes a logo may have, inclusive.
constexpr std::size_t kCompanyLogoMaxBytes = 524288;
// A file larger than this is not read at all: no logo source needs it.
constexpr std::size_t kLogoSourceMaxBytes = 32 * 1024 * 1024;
// Decoding takes about four bytes a pixel; a larger declared size is refused.
constexpr std::uint64_t kLogoMaxPixels = 25000000;

// Why a file or stored logo could not become the logo.
enum class LogoError {
  None,
  Format,      // not a .png, .jpg or .jpeg file
  Unreadable,  // missing, too large to read, not PNG or JPEG, or does not decode
  Dimensions,  // the image declares more pixels than may be decoded
  Encode,      // could not be written as PNG
  TooLarge,    // the PNG is above kCompanyLogoMaxBytes
};

// The user's text for the error (translated); empty for None.
wxString LogoErrorMessage(LogoError error);

// The file name ends in "png", "jpg" or "jpeg", in any case.
bool HasLogoFileExtension(const wxString& path);

enum class ImageFormat { Unknown, Png, Jpeg };
struct ImageHeader {
  ImageFormat format = ImageFormat::Unknown;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};
// The format and declared size of PNG or JPEG bytes, read from the header only.
// False for other bytes, a truncated header or a declared side of 0.
bool ReadImageHeader(const void* data, std::size_t length, ImageHeader* header);

// Decodes PNG or JPEG bytes (by their content, whatever a file name says). The
// declared size is checked first, so a small file that unpacks into gigabytes is
// refused without being decoded; so is a PNG whose chunks run past its end or that
// has no end chunk. An alpha channel stays.
bool DecodeLogoImage(const void* data, std::size_t length, wxImage* image, LogoError* error = nullptr);
// The same for a file of at most kLogoSourceMaxBytes.
bool LoadLogoImage(const wxString& path, wxImage* image, LogoError* error = nullptr);

// The image written as PNG, as Base64; empty (and false) for an invalid image or
// when encoding fails.
bool EncodePngToMemory(const wxImage& image, wxString* base64);
// The number of bytes the Base64 text decodes to (white space skipped); 0 for text
// that does not decode.
std::size_t DecodedBase64Size(const wxString& base64);

// A logo ready for the firma row: PNG as Base64 and its byte count.
struct PreparedLogo {
  wxString base64;
  wxString format = "png";
  std::size_t size = 0;
};
// Checks the extension, reads and decodes the file, re-encodes it as PNG and
// checks the size limit; on false *error says which step failed.
bool PrepareLogoFile(const wxString& path, PreparedLogo* logo, LogoError* error);

// 32-bit FNV-1a of the UTF-8 bytes of the text.
std::uint32_t Fnv1a32(const wxString& text);
// UserDataFolder()/company-logos/<hash of the database>: the hash is of the
// connection string, or of the server (host or SQLite file) when that is empty,
// written as eight lower-case hexadecimal digits. Not created.
wxString CompanyLogoCacheDir(const wxString& connectionString, const wxString& server);
// The company's file in that folder, "company_<id>.png"; "" for the id "" or "0".
wxString CompanyLogoCachePath(const wxString& cacheDir, const wxString& companyId);

// The preview canvas is this high; the logo itself at most kLogoPreviewMaxHeight.
constexpr int kLogoPreviewHeight = 72;
constexpr int kLogoPreviewMaxHeight = 64;
// The canvas width for the preview control's client width: 210 before the control
// has a size (30 or less), else that width but at least 150.
int LogoPreviewCanvasWidth(int clientWidth);
// The size an image of imageSize is drawn at on a canvas of that width: scaled
// (small images enlarged) to fit width - 8 and kLogoPreviewMaxHeight, at least 1x1.
wxSize LogoPreviewImageSize(const wxSize& imageSize, int canvasWidth);
