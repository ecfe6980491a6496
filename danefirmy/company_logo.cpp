#include "danefirmy/company_logo.h"

#include "app/common/base64.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t BigEndian32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint32_t BigEndian16(const unsigned char* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }

bool ReadPngHeader(const unsigned char* data, std::size_t length, ImageHeader* header) {
  // The signature, then the IHDR chunk: length, type, width, height.
  if (length < 24 || std::memcmp(data, kPngSignature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0) {
    return false;
  }
  header->format = ImageFormat::Png;
  header->width = BigEndian32(data + 16);
  header->height = BigEndian32(data + 20);
  return header->width <= 0x7fffffffu && header->height <= 0x7fffffffu;
}

// Every chunk lies within the bytes and IEND is among them. The PNG decoder is fed
// through a stream that does not report its end, so a chunk claiming more than the
// file holds would have it read nothing for as long as the claim, up to 2 GiB.
bool PngChunksFit(const unsigned char* data, std::size_t length) {
  std::size_t at = 8;
  while (length - at >= 12) {
    const std::uint32_t size = BigEndian32(data + at);
    if (size > 0x7fffffffu || size > length - at - 12) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += 12 + size;
  }
  return false;
}

// A start-of-frame marker: C0 to CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsStartOfFrame(unsigned char marker) {
  return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Segments the decoder reads before the frame header and skips by their length:
// DHT, DAC, DNL, DQT, DRI, APPn and COM; any other marker there is an error or the
// end for it.
bool IsSkippedSegment(unsigned char marker) {
  return marker == 0xc4 || marker == 0xcc || (marker >= 0xdb && marker <= 0xdd) || (marker >= 0xe0 && marker <= 0xef) ||
         marker == 0xfe;
}

// Walks the markers as libjpeg does, so the frame found is the frame it decodes:
// bytes between segments and fill bytes are skipped, and FF 00 is a stuffed zero,
// not a marker.
bool ReadJpegHeader(const unsigned char* data, std::size_t length, ImageHeader* header) {
  if (length < 4 || data[0] != 0xff || data[1] != 0xd8) return false;
  std::size_t pos = 2;
  for (;;) {
    while (pos < length && data[pos] != 0xff) ++pos;
    while (pos < length && data[pos] == 0xff) ++pos;
    if (pos >= length) return false;
    const unsigned char marker = data[pos++];
    // A stuffed zero, TEM and the restart markers carry nothing.
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) continue;
    if (!IsStartOfFrame(marker) && !IsSkippedSegment(marker)) return false;
    if (pos + 2 > length) return false;
    const std::size_t segment = BigEndian16(data + pos);
    if (segment < 2) return false;
    if (IsStartOfFrame(marker)) {
      // Length, precision, height, width.
      if (segment < 7 || pos + 7 > length) return false;
      header->format = ImageFormat::Jpeg;
      header->height = BigEndian16(data + pos + 3);
      header->width = BigEndian16(data + pos + 5);
      return true;
    }
    pos += segment;
  }
}

// The start-up registers every handler; code run without it (tests, tools) gets
// the two a logo needs.
void EnsureHandler(wxBitmapType type) {
  if (wxImage::FindHandler(type)) return;
  if (type == wxBITMAP_TYPE_PNG) wxImage::AddHandler(new wxPNGHandler);
  if (type == wxBITMAP_TYPE_JPEG) wxImage::AddHandler(new wxJPEGHandler);
}

bool SetError(LogoError* error, LogoError value) {
  if (error) *error = value;
  return value == LogoError::None;
}

}  // namespace

wxString LogoErrorMessage(LogoError error) {
  switch (error) {
    case LogoError::None: break;
    case LogoError::Format: return _("Logo firmy może być tylko w formacie PNG, JPG albo JPEG.");
    case LogoError::Unreadable: return _("Nie można odczytać wybranego obrazu.");
    case LogoError::Dimensions:
      return wxString::Format(_("Obraz ma zbyt duże wymiary, aby mógł być logo firmy. Maksymalnie %llu mln "
                                "pikseli."),
                              static_cast<unsigned long long>(kLogoMaxPixels / 1000000));
    case LogoError::Encode: return _("Nie można przygotować logo do zapisu.");
    case LogoError::TooLarge:
      return _("Logo firmy po zapisaniu do PNG jest za duże. Maksymalny rozmiar: ") +
             wxString::Format("%lu KB", static_cast<unsigned long>(kCompanyLogoMaxBytes / 1024)) + ".";
  }
  return wxString();
}

bool HasLogoFileExtension(const wxString& path) {
  const wxString ext = wxFileName(path).GetExt().Lower();
  return ext == "png" || ext == "jpg" || ext == "jpeg";
}

bool ReadImageHeader(const void* data, std::size_t length, ImageHeader* header) {
  if (!data || !header) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  ImageHeader found;
  if (!ReadPngHeader(bytes, length, &found) && !ReadJpegHeader(bytes, length, &found)) return false;
  if (found.width == 0 || found.height == 0) return false;
  *header = found;
  return true;
}

bool DecodeLogoImage(const void* data, std::size_t length, wxImage* image, LogoError* error) {
  if (image) image->Destroy();
  ImageHeader header;
  if (!image || !ReadImageHeader(data, length, &header)) return SetError(error, LogoError::Unreadable);
  if (std::uint64_t(header.width) * header.height > kLogoMaxPixels) return SetError(error, LogoError::Dimensions);
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (header.format == ImageFormat::Png && !PngChunksFit(bytes, length)) return SetError(error, LogoError::Unreadable);
  const wxBitmapType type = header.format == ImageFormat::Png ? wxBITMAP_TYPE_PNG : wxBITMAP_TYPE_JPEG;
  EnsureHandler(type);
  // The decoders report broken files through the log; the caller says it better.
  wxLogNull quiet;
  wxMemoryInputStream stream(data, length);
  if (!image->LoadFile(stream, type) || !image->IsOk()) {
    image->Destroy();
    return SetError(error, LogoError::Unreadable);
  }
  return SetError(error, LogoError::None);
}

bool LoadLogoImage(const wxString& path, wxImage* image, LogoError* error) {
  if (image) image->Destroy();
  if (path.empty() || !wxFileName::FileExists(path)) return SetError(error, LogoError::Unreadable);
  wxLogNull quiet;
  wxFFile file(path, "rb");
  const wxFileOffset size = file.IsOpened() ? file.Length() : -1;
  if (size <= 0 || static_cast<std::uint64_t>(size) > kLogoSourceMaxBytes) {
    return SetError(error, LogoError::Unreadable);
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) return SetError(error, LogoError::Unreadable);
  return DecodeLogoImage(bytes.data(), bytes.size(), image, error);
}

bool EncodePngToMemory(const wxImage& image, wxString* base64) {
  if (!base64) return false;
  base64->clear();
  if (!image.IsOk()) return false;
  EnsureHandler(wxBITMAP_TYPE_PNG);
  wxLogNull quiet;
  wxMemoryOutputStream stream;
  if (!image.SaveFile(stream, wxBITMAP_TYPE_PNG)) return false;
  const wxStreamBuffer* buffer = stream.GetOutputStreamBuffer();
  *base64 = veldrix::EncodeBase64(buffer->GetBufferStart(), stream.GetSize());
  return !base64->empty();
}

std::size_t DecodedBase64Size(const wxString& base64) {
  return veldrix::DecodeBase64(base64, wxBase64DecodeMode_SkipWS).GetDataLen();
}

bool PrepareLogoFile(const wxString& path, PreparedLogo* logo, LogoError* error) {
  if (!HasLogoFileExtension(path)) return SetError(error, LogoError::Format);
  wxImage image;
  LogoError loadError = LogoError::None;
  if (!LoadLogoImage(path, &image, &loadError)) return SetError(error, loadError);
  PreparedLogo prepared;
  if (!EncodePngToMemory(image, &prepared.base64)) return SetError(error, LogoError::Encode);
  prepared.size = DecodedBase64Size(prepared.base64);
  if (prepared.size > kCompanyLogoMaxBytes) return SetError(error, LogoError::TooLarge);
  if (logo) *logo = prepared;
  return SetError(error, LogoError::None);
}

std::uint32_t Fnv1a32(const wxString& text) {
  std::uint32_t hash = 2166136261u;
  const wxScopedCharBuffer utf8 = text.utf8_str();
  for (std::size_t i = 0; i < utf8.length(); ++i) {
    hash ^= static_cast<unsigned char>(utf8.data()[i]);
    hash *= 16777619u;
  }
  return hash;
}

wxString CompanyLogoCacheDir(const wxString& connectionString, const wxString& server) {
  const wxString location = connectionString.empty() ? server : connectionString;
  return veldrix::JoinPath(veldrix::UserDataFolder(), "company-logos",
                           wxString::Format("%08lx", static_cast<unsigned long>(Fnv1a32(location))));
}

wxString CompanyLogoCachePath(const wxString& cacheDir, const wxString& companyId) {
  if (companyId.empty() || companyId == "0") return wxString();
  return veldrix::JoinPath(cacheDir, "company_" + companyId + ".png");
}

int LogoPreviewCanvasWidth(int clientWidth) { return clientWidth > 30 ? std::max(clientWidth, 150) : 210; }

wxSize LogoPreviewImageSize(const wxSize& imageSize, int canvasWidth) {
  if (imageSize.x <= 0 || imageSize.y <= 0) return wxSize(1, 1);
  const double scale = std::min(static_cast<double>(canvasWidth - 8) / imageSize.x,
                                static_cast<double>(kLogoPreviewMaxHeight) / imageSize.y);
  return wxSize(std::max(1, static_cast<int>(imageSize.x * scale)), std::max(1, static_cast<int>(imageSize.y * scale)));
}
