// Pictures by name: the embedded table decodes, image folders are searched in their
// order below the working directory and the program folder, and a missing name
// falls back to the stock art.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <cstring>
#include <string>

#include "app/common/images.h"
#include "app/common/paths.h"
#include "gui_support.h"
#include "test_support.h"

using veldrix::JoinPath;
using veldrix::test::IsolatedFolders;

namespace {

// Runs the test in another working directory and returns to the old one.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const wxString& folder) : old_(wxGetCwd()) { wxSetWorkingDirectory(folder); }
  ~ScopedWorkingDirectory() { wxSetWorkingDirectory(old_); }

 private:
  wxString old_;
};

// Writes a w x h PNG of one colour into folder/name, creating the folder.
wxString WritePng(const wxString& folder, const wxString& name, const wxColour& colour, int w = 8, int h = 8) {
  veldrix::EnsureFolder(folder);
  wxImage image(w, h);
  image.SetRGB(wxRect(0, 0, w, h), colour.Red(), colour.Green(), colour.Blue());
  const wxString path = JoinPath(folder, name);
  EXPECT_TRUE(image.SaveFile(path, wxBITMAP_TYPE_PNG));
  return path;
}

wxColour CentreColour(const wxImage& image) {
  return wxColour(image.GetRed(image.GetWidth() / 2, image.GetHeight() / 2),
                  image.GetGreen(image.GetWidth() / 2, image.GetHeight() / 2),
                  image.GetBlue(image.GetWidth() / 2, image.GetHeight() / 2));
}

bool SamePixels(const wxBitmap& a, const wxBitmap& b) {
  if (a.IsOk() != b.IsOk()) return false;
  if (!a.IsOk()) return true;
  if (a.GetSize() != b.GetSize()) return false;
  const wxImage ia = a.ConvertToImage();
  const wxImage ib = b.ConvertToImage();
  return std::memcmp(ia.GetData(), ib.GetData(), static_cast<size_t>(ia.GetWidth()) * ia.GetHeight() * 3) == 0;
}

class ImageFolders : public ::testing::Test {
 protected:
  IsolatedFolders folders;
  veldrix::test::TempDir work;
  ScopedWorkingDirectory cwd{work.path()};
  wxString program = folders.programFolder();
};

}  // namespace

TEST(NamedImages, EveryEmbeddedEntryDecodesAtItsSize) {
  // A contact sheet of every entry for a person to look at: icons in a row at their
  // own size, the illustration, the watermark and the sprite sheet shrunk.
  wxBitmap sheet(1100, 330);
  wxMemoryDC dc(sheet);
  dc.SetBackground(wxBrush(wxColour(236, 239, 241)));
  dc.Clear();
  int x = 8;
  int y = 8;
  for (std::size_t i = 0; i < veldrix::kEmbeddedImageCount; ++i) {
    const veldrix::EmbeddedImage& entry = veldrix::kEmbeddedImages[i];
    SCOPED_TRACE(entry.name);
    wxImage image;
    ASSERT_TRUE(veldrix::LoadNamedImage(wxString::FromUTF8(entry.name), &image));
    const wxString name = wxString::FromUTF8(entry.name);
    if (name == "auth_illustration.png") {
      EXPECT_EQ(image.GetSize(), wxSize(450, 105));
      EXPECT_TRUE(image.HasAlpha());
    } else if (name == "module-icons-transparent.png") {
      EXPECT_EQ(image.GetSize(), wxSize(1254, 1254));
      EXPECT_TRUE(image.HasAlpha());
    } else if (name == "quillmore_znak_wodny.xpm") {
      EXPECT_EQ(image.GetSize(), wxSize(100, 100));
      EXPECT_TRUE(image.HasMask());
    } else if (i >= 20) {
      EXPECT_EQ(image.GetSize(), wxSize(52, 52));
    } else {
      EXPECT_EQ(image.GetSize(), wxSize(36, 36));
    }
    if (image.GetWidth() > 500) image.Rescale(image.GetWidth() / 6, image.GetHeight() / 6, wxIMAGE_QUALITY_HIGH);
    if (x + image.GetWidth() > 1092) {
      x = 8;
      y += 110;
    }
    dc.DrawBitmap(wxBitmap(image), x, y, true);
    x += image.GetWidth() + 8;
  }
  dc.SelectObject(wxNullBitmap);
  const wxString folder = JoinPath(veldrix::test::ArtifactsDir(), "screenshots");
  veldrix::EnsureFolder(folder);
  sheet.ConvertToImage().SaveFile(JoinPath(folder, "embedded_images.png"), wxBITMAP_TYPE_PNG);
}

TEST(NamedImages, ToolbarBitmapTakesTheRequestedSize) {
  EXPECT_EQ(veldrix::LoadToolbarBitmap("DODAJ.PNG", wxART_NEW, wxSize(24, 24)).GetSize(), wxSize(24, 24));
  EXPECT_EQ(veldrix::LoadToolbarBitmap("images\\dodaj.png", wxART_NEW, wxDefaultSize).GetSize(), wxSize(36, 36));
  EXPECT_EQ(veldrix::LoadToolbarBitmap("sklep.png", wxART_NEW, wxSize(-1, 20)).GetSize(), wxSize(52, 52));
  // A side of 0 cannot be drawn; the image keeps its own size rather than vanishing.
  EXPECT_EQ(veldrix::LoadToolbarBitmap("usun.png", wxART_NEW, wxSize(0, 24)).GetSize(), wxSize(36, 36));
  EXPECT_EQ(veldrix::LoadToolbarBitmap("auth_illustration.png", wxART_MISSING_IMAGE, wxSize(450, 105)).GetSize(),
            wxSize(450, 105));
}

TEST(NamedImages, MissingNameGivesTheStockArt) {
  const wxBitmap stock = wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_TOOLBAR, wxSize(24, 24));
  ASSERT_TRUE(stock.IsOk()) << "the GUI library has no stock art here";
  const wxBitmap bitmap = veldrix::LoadToolbarBitmap("nie-ma-takiego.png", wxART_INFORMATION, wxSize(24, 24));
  EXPECT_EQ(bitmap.GetSize(), wxSize(24, 24));
  EXPECT_TRUE(SamePixels(bitmap, stock));
  // The name without its extension is no entry of the table.
  EXPECT_TRUE(SamePixels(veldrix::LoadToolbarBitmap("dodaj", wxART_INFORMATION, wxSize(24, 24)), stock));
  wxImage none;
  EXPECT_FALSE(veldrix::LoadNamedImage("nie-ma-takiego.png", &none));
}

TEST(NamedImages, ModuleBytesBecomeABitmapOrTheStockArt) {
  const wxBitmap stock = wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_TOOLBAR, wxSize(32, 32));
  EXPECT_TRUE(
      SamePixels(veldrix::LoadToolbarBitmapFromData(nullptr, 10, wxART_EXECUTABLE_FILE, wxSize(32, 32)), stock));
  veldrix::EmbeddedImage entry{};
  ASSERT_TRUE(veldrix::FindEmbeddedImage("usun.png", &entry));
  EXPECT_TRUE(
      SamePixels(veldrix::LoadToolbarBitmapFromData(entry.data, 0, wxART_EXECUTABLE_FILE, wxSize(32, 32)), stock));
  const wxBitmap icon =
      veldrix::LoadToolbarBitmapFromData(entry.data, entry.size, wxART_EXECUTABLE_FILE, wxSize(32, 32));
  EXPECT_EQ(icon.GetSize(), wxSize(32, 32));
  EXPECT_FALSE(SamePixels(icon, stock));
  const std::string garbage = "not a picture at all";
  EXPECT_TRUE(SamePixels(
      veldrix::LoadToolbarBitmapFromData(garbage.data(), garbage.size(), wxART_EXECUTABLE_FILE, wxSize(32, 32)),
      stock));

  wxImage out(3, 3);
  EXPECT_FALSE(veldrix::LoadImageFromMemory(nullptr, 5, &out, wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(out.IsOk());  // untouched
  EXPECT_FALSE(veldrix::LoadImageFromMemory(garbage.data(), garbage.size(), &out, wxBITMAP_TYPE_PNG));
  EXPECT_FALSE(out.IsOk());  // emptied
}

TEST(NamedImages, OpaqueImageGetsItsTopLeftColourAsMask) {
  wxImage image(6, 6);
  image.SetRGB(wxRect(0, 0, 6, 6), 255, 255, 255);
  image.SetRGB(3, 3, 10, 20, 30);
  const wxBitmap bitmap = veldrix::ImageToBitmap(wxART_NEW, wxDefaultSize, image);
  ASSERT_TRUE(bitmap.IsOk());
  EXPECT_NE(bitmap.GetMask(), nullptr);
  const wxImage back = bitmap.ConvertToImage();
  EXPECT_TRUE(back.HasMask() || back.HasAlpha());
  if (back.HasMask()) {
    EXPECT_TRUE(back.IsTransparent(0, 0));
  }

  // An image with alpha keeps it and gets no mask colour.
  wxImage withAlpha(4, 4);
  withAlpha.InitAlpha();
  EXPECT_EQ(veldrix::ImageToBitmap(wxART_NEW, wxDefaultSize, withAlpha).GetMask(), nullptr);
  // Not an image: the stock art.
  EXPECT_TRUE(SamePixels(veldrix::ImageToBitmap(wxART_NEW, wxSize(16, 16), wxImage()),
                         wxArtProvider::GetBitmap(wxART_NEW, wxART_TOOLBAR, wxSize(16, 16))));
}

TEST_F(ImageFolders, FolderListStartsRelativeThenTheProgramFolderAndItsParents) {
  const wxFileName programDir = wxFileName::DirName(program);
  wxFileName parent(programDir);
  parent.RemoveLastDir();
  wxFileName grandparent(parent);
  grandparent.RemoveLastDir();
  auto below = [](const wxFileName& dir, const char* sub) {
    wxFileName path(dir);
    for (const wxString& part : wxSplit(sub, '/', '\0')) path.AppendDir(part);
    return path.GetPath();
  };
  wxArrayString expected;
  for (const wxString& folder : {wxString(""), wxString("images"), wxString("ui"), JoinPath("assets", "dashboard")}) {
    expected.Add(folder);
  }
  expected.Add(program);
  for (const wxFileName& dir : {programDir, parent, grandparent}) {
    for (const char* sub : {"images", "ui", "assets/dashboard"}) expected.Add(below(dir, sub));
  }
  EXPECT_EQ(veldrix::ImageSearchFolders(), expected);

  veldrix::SetProgramFolderOverride("/");
  const wxArrayString atRoot = veldrix::ImageSearchFolders();
  ASSERT_EQ(atRoot.size(), 8u);
  EXPECT_EQ(atRoot[4], "/");
  EXPECT_EQ(atRoot[5], "/images");
  EXPECT_EQ(atRoot[7], "/assets/dashboard");
}

TEST_F(ImageFolders, WorkingDirectoryFoldersComeBeforeTheProgramFolders) {
  WritePng(JoinPath(program, "images"), "znak.png", *wxBLUE);
  WritePng(JoinPath(work.path(), "images"), "znak.png", *wxRED);
  wxImage image;
  ASSERT_TRUE(veldrix::LoadNamedImage("znak.png", &image));
  EXPECT_EQ(CentreColour(image), *wxRED);

  wxRemoveFile(JoinPath(work.path(), "images", "znak.png"));
  ASSERT_TRUE(veldrix::LoadNamedImage("znak.png", &image));
  EXPECT_EQ(CentreColour(image), *wxBLUE);

  // The working directory itself is the first folder of all.
  WritePng(work.path(), "znak.png", *wxGREEN);
  ASSERT_TRUE(veldrix::LoadNamedImage("znak.png", &image));
  EXPECT_EQ(CentreColour(image), *wxGREEN);
}

TEST_F(ImageFolders, ProgramSubFoldersInOrderThenTheParentsSubFolders) {
  const wxString root = folders.root();  // the program folder's parent
  WritePng(JoinPath(root, "assets", "dashboard"), "kafel.png", wxColour(1, 2, 3));
  wxImage image;
  ASSERT_TRUE(veldrix::LoadImageFromFolders("kafel.png", &image));
  EXPECT_EQ(CentreColour(image), wxColour(1, 2, 3));

  WritePng(JoinPath(program, "ui"), "kafel.png", wxColour(4, 5, 6));
  ASSERT_TRUE(veldrix::LoadImageFromFolders("kafel.png", &image));
  EXPECT_EQ(CentreColour(image), wxColour(4, 5, 6));

  WritePng(JoinPath(program, "images"), "kafel.png", wxColour(7, 8, 9));
  ASSERT_TRUE(veldrix::LoadImageFromFolders("kafel.png", &image));
  EXPECT_EQ(CentreColour(image), wxColour(7, 8, 9));

  WritePng(program, "kafel.png", wxColour(10, 11, 12));
  ASSERT_TRUE(veldrix::LoadImageFromFolders("kafel.png", &image));
  EXPECT_EQ(CentreColour(image), wxColour(10, 11, 12));
}

TEST_F(ImageFolders, ParentFolderItselfIsNotSearched) {
  WritePng(folders.root(), "tylko-tu.png", *wxRED);
  wxImage image;
  EXPECT_FALSE(veldrix::LoadImageFromFolders("tylko-tu.png", &image));
}

TEST_F(ImageFolders, AFileThatDoesNotDecodeIsPassedOver) {
  veldrix::EnsureFolder(JoinPath(work.path(), "images"));
  veldrix::test::WriteFileBytes(JoinPath(work.path(), "images", "zepsuty.png"), "broken");
  WritePng(JoinPath(program, "ui"), "zepsuty.png", *wxBLUE);
  wxImage image;
  ASSERT_TRUE(veldrix::LoadNamedImage("zepsuty.png", &image));
  EXPECT_EQ(CentreColour(image), *wxBLUE);
}

TEST_F(ImageFolders, AbsolutePathsLoadTheFileUnlessTheTableHasTheName) {
  const wxString own = WritePng(work.path(), "wlasny.png", *wxRED, 10, 10);
  wxImage image;
  ASSERT_TRUE(veldrix::LoadNamedImage(own, &image));
  EXPECT_EQ(image.GetSize(), wxSize(10, 10));

  // An embedded name always wins, whatever folder the name carries.
  const wxString shadow = WritePng(work.path(), "dodaj.png", *wxRED, 10, 10);
  ASSERT_TRUE(veldrix::LoadNamedImage(shadow, &image));
  EXPECT_EQ(image.GetSize(), wxSize(36, 36));
}
