// The company logo in the editor on real SQLite files: files dropped on the logo
// box, the preview, the logo stored as PNG with the company's save, the size limit,
// a logo that fails before anything is written, the logo folder of each database
// and an older database without the logo columns. Also the header's long name.
#include "company_tab_fixture.h"

#include "app/common/base64.h"
#include "app/common/paths.h"
#include "danefirmy/company_logo.h"

#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/generic/statbmpg.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/notebook.h>

#include <random>
#include <string>

using veldrix::MessageBoxRecorder;
using veldrix::test::CountRows;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;

namespace {

std::string Encode(const wxImage& image, wxBitmapType type) {
  wxMemoryOutputStream out;
  EXPECT_TRUE(image.SaveFile(out, type));
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(bytes.data(), bytes.size());
  return bytes;
}

wxImage Solid(int width, int height, const wxColour& colour) {
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
  return image;
}

// Noise whose last `zeros` bytes are 0: every zero makes the PNG about a byte
// smaller, so some count gives a PNG of exactly `target` bytes.
std::string PngOfExactSize(std::size_t target) {
  const int width = 512;
  const int height = 342;
  wxImage noise(width, height);
  std::mt19937 random(7);
  for (int i = 0; i < width * height * 3; ++i) noise.GetData()[i] = static_cast<unsigned char>(random());
  auto encodeWithZeros = [&](int zeros) {
    wxImage image = noise.Copy();
    std::fill(image.GetData() + width * height * 3 - zeros, image.GetData() + width * height * 3, 0);
    return Encode(image, wxBITMAP_TYPE_PNG);
  };
  int low = 0;
  int high = 20000;
  while (low < high) {
    const int middle = (low + high) / 2;
    if (encodeWithZeros(middle).size() > target) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  for (int zeros = std::max(0, low - 40); zeros < low + 40; ++zeros) {
    std::string png = encodeWithZeros(zeros);
    if (png.size() == target) return png;
  }
  return std::string();
}

// The box of pixels of the colour in the bitmap.
wxRect AreaOf(const wxBitmap& bitmap, const wxColour& colour) {
  const wxImage image = bitmap.ConvertToImage();
  wxRect area;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
          image.GetBlue(x, y) == colour.Blue()) {
        area = area.IsEmpty() ? wxRect(x, y, 1, 1) : area.Union(wxRect(x, y, 1, 1));
      }
    }
  }
  return area;
}

// Records warnings of the GUI library's log, which the fixture otherwise silences.
class RecordedLog : public wxLog {
 public:
  RecordedLog() : previous_(wxLog::SetActiveTarget(this)) { wxLog::EnableLogging(true); }
  ~RecordedLog() override {
    wxLog::EnableLogging(false);
    wxLog::SetActiveTarget(previous_);
  }
  std::vector<wxString> warnings;

 protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
    if (level == wxLOG_Warning) warnings.push_back(message);
  }

 private:
  wxLog* previous_;
};

class LogoTest : public CompanyTabTest {
 protected:
  void InsertCompany() {
    ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,nip,kod,miejscowosc,ulica,domyslna,data_od) "
                             "values('Alfa','Alfa SA','5260250274','00-001','Gdynia','Morska 1',1,'2024-01-01')"),
              0);
    app->workingId = "1";
  }

  wxString WriteFile(const wxString& name, const std::string& bytes) {
    const wxString path = folders.root() + "/" + name;
    veldrix::test::WriteFileBytes(path, bytes);
    return path;
  }

  // What the desktop does when files are dropped on the logo box.
  bool Drop(const std::vector<wxString>& names) {
    wxArrayString files;
    for (const wxString& name : names) files.Add(name);
    auto* target = dynamic_cast<wxFileDropTarget*>(Preview()->GetDropTarget());
    EXPECT_NE(target, nullptr);
    const bool taken = target && target->OnDropFiles(10, 10, files);
    PumpEvents(20);
    return taken;
  }

  wxGenericStaticBitmap* Preview() { return Find<wxGenericStaticBitmap>("logo_preview"); }
  bool RemoveButtonShown() { return Find<wxButton>("logo_remove")->IsShown(); }

  wxString Cell(const wxString& sql) {
    const wxArrayString cells = db->FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  void ReopenTab(const wxString& path) {
    frame->Destroy();
    frame = nullptr;
    PumpEvents(50);
    app = std::make_unique<FakeApplication>(path, folders.root() + "/veldrix.ini");
    app->workingId = "1";
    OpenTab();
  }

  // The folder of logo files of the database at the path, as the editor names it.
  wxString LogoFolder(const wxString& path) {
    SQLData other(path);
    return CompanyLogoCacheDir(other.GetConnectionString(), other.GetServer());
  }
};

}  // namespace

TEST_F(LogoTest, DroppedJpegIsPreviewedScaledAndStoredAsPng) {
  InsertCompany();
  OpenTab();
  EXPECT_FALSE(RemoveButtonShown());
  const std::string jpeg = Encode(Solid(400, 100, *wxRED), wxBITMAP_TYPE_JPEG);
  // Only the first of several files is taken.
  EXPECT_TRUE(Drop({WriteFile("logo.jpeg", jpeg), WriteFile("notatka.txt", "tekst")}));
  EXPECT_TRUE(editor->IsModified());
  EXPECT_TRUE(RemoveButtonShown());

  // Scaled to the canvas less 4 pixels each side, a quarter as high, centred.
  const wxBitmap shown = Preview()->GetBitmap();
  EXPECT_EQ(shown.GetHeight(), 72);
  const int width = shown.GetWidth();
  EXPECT_GE(width, 150);
  const wxRect red = AreaOf(shown, wxColour(254, 0, 0)).Union(AreaOf(shown, *wxRED));
  EXPECT_NEAR(red.width, width - 8, 1);
  EXPECT_NEAR(red.height, (width - 8) / 4, 1);
  EXPECT_NEAR(red.x, 4, 1);
  EXPECT_NEAR(red.y, (72 - (width - 8) / 4) / 2, 1);
  PumpEvents(200);
  SaveScreenshot(frame, "danefirmy_logo");

  MessageBoxRecorder boxes(wxID_OK);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select logo_format from firma"), "png");
  const wxMemoryBuffer png = veldrix::DecodeBase64(Cell("select logo_base64 from firma"));
  ASSERT_GT(png.GetDataLen(), 8u);
  EXPECT_EQ(std::string(static_cast<const char*>(png.GetData()), 4), "\x89PNG");
  EXPECT_EQ(Cell("select logo_size from firma"), wxString::Format("%zu", png.GetDataLen()));
  EXPECT_NE(png.GetDataLen(), jpeg.size());
  // Removed, then the edit cancelled: the logo comes back from the row.
  Click(Find<wxButton>("logo_remove"));
  EXPECT_FALSE(RemoveButtonShown());
  boxes.AnswerNext(wxID_YES);
  Click(Find<wxButton>("ID_COMPANY_CANCEL"));
  EXPECT_TRUE(RemoveButtonShown());
  // Removed and saved: the columns are emptied.
  Click(Find<wxButton>("logo_remove"));
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_EQ(Cell("select logo_base64 from firma"), "");
  EXPECT_EQ(Cell("select logo_size from firma"), "0");
  EXPECT_FALSE(RemoveButtonShown());
}

TEST_F(LogoTest, SizeLimitIsInclusiveAndNamedWhenExceeded) {
  InsertCompany();
  OpenTab();
  const std::string exact = PngOfExactSize(kCompanyLogoMaxBytes);
  const std::string over = PngOfExactSize(kCompanyLogoMaxBytes + 1);
  ASSERT_EQ(exact.size(), 524288u);
  ASSERT_EQ(over.size(), 524289u);

  MessageBoxRecorder boxes(wxID_OK);
  EXPECT_FALSE(Drop({WriteFile("over.png", over)}));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message,
            wxString::FromUTF8("Logo firmy po zapisaniu do PNG jest za duże. Maksymalny rozmiar: 512 KB."));
  EXPECT_EQ(boxes.shown()[0].caption, "Logo firmy");
  EXPECT_FALSE(editor->IsModified());
  EXPECT_FALSE(RemoveButtonShown());

  boxes.Clear();
  EXPECT_TRUE(editor->LoadCompanyLogoFromFile(WriteFile("LOGO.PNG", exact)));
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select logo_size from firma"), "524288");
}

TEST_F(LogoTest, LogoThatCannotBeReadStopsTheSaveBeforeAnythingIsWritten) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  EXPECT_FALSE(Drop({WriteFile("opis.txt", "tekst")}));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Logo firmy może być tylko w formacie PNG, JPG albo JPEG."));
  boxes.Clear();

  TypeCompany("Alfa", "5260250274");
  const wxString file = WriteFile("logo.png", Encode(Solid(20, 20, *wxBLUE), wxBITMAP_TYPE_PNG));
  ASSERT_TRUE(editor->LoadCompanyLogoFromFile(file));
  // The chosen file turns into something that is no image before the save.
  veldrix::test::WriteFileBytes(file, "uszkodzony");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].message.StartsWith(wxString::FromUTF8("Nie udało się zapisać logo firmy.")));
  EXPECT_EQ(CountRows(*db, "firma"), 0);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_TRUE(editor->IsModified());
  // A logo that cannot be drawn can still be removed.
  EXPECT_TRUE(RemoveButtonShown());
  Click(Find<wxButton>("logo_remove"));
  EXPECT_FALSE(RemoveButtonShown());

  // With a good file the new company and its logo are stored by one save.
  veldrix::test::WriteFileBytes(file, Encode(Solid(20, 20, *wxBLUE), wxBITMAP_TYPE_PNG));
  ASSERT_TRUE(editor->LoadCompanyLogoFromFile(file));
  boxes.Clear();
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_NE(Cell("select logo_size from firma"), "0");
  EXPECT_FALSE(editor->IsModified());
}

TEST_F(LogoTest, ACompanyFileInTheLogoFolderStandsInUntilTheNextSave) {
  InsertCompany();
  // Put there by something other than this program.
  const wxString kept = CompanyLogoCachePath(LogoFolder(dbPath), "1");
  ASSERT_TRUE(veldrix::EnsureFolder(wxFileName(kept).GetPath()));
  veldrix::test::WriteFileBytes(kept, Encode(Solid(10, 10, *wxBLUE), wxBITMAP_TYPE_PNG));
  OpenTab();
  // A 10 x 10 logo enlarged to 64 x 64.
  EXPECT_EQ(AreaOf(Preview()->GetBitmap(), *wxBLUE).GetSize(), wxSize(64, 64));

  // Company 1 of another database has no logo.
  const wxString otherPath = folders.root() + "/other.db";
  wxString message;
  ASSERT_TRUE(veldrix::test::CreateProgramDatabase(folders, otherPath, &message)) << message;
  {
    SQLData other(otherPath);
    ASSERT_TRUE(other.IniciujBazeDanych());
    ASSERT_GE(other.DeleteData("insert into firma(nazwa,domyslna) values('Inna',1)"), 0);
  }
  ReopenTab(otherPath);
  ASSERT_EQ(editor->GetRecordId(), "1");
  EXPECT_FALSE(RemoveButtonShown());
  EXPECT_NE(LogoFolder(otherPath), LogoFolder(dbPath));

  // The next save of the company moves the file into its row.
  ReopenTab(dbPath);
  MessageBoxRecorder boxes(wxID_OK);
  Type("uwagi", "zmiana");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_NE(Cell("select logo_size from firma"), "0");
  EXPECT_FALSE(wxFileName::FileExists(kept));
}

TEST_F(LogoTest, ADatabaseWithoutTheLogoColumnsSaysTheLogoWasNotSavedAndWritesNoFile) {
  for (const char* column : {"logo_base64", "logo_format", "logo_size"}) {
    ASSERT_GE(db->DeleteData(wxString("alter table firma drop column ") + column), 0);
  }
  RecordedLog log;
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Find<wxNotebook>("notebook")->SetSelection(1);
  Type("rachunek_nazwa", wxString::FromUTF8("Główny"));
  Click(Find<wxButton>("rachunek_dodaj"));
  ASSERT_TRUE(editor->LoadCompanyLogoFromFile(WriteFile("logo.png", Encode(Solid(20, 20, *wxBLUE),
                                                                                 wxBITMAP_TYPE_PNG))));

  // The company and its account are stored; the logo is not, and the user is told.
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Nie udało się zapisać logo firmy."));
  EXPECT_EQ(boxes.shown()[0].caption, "Logo firmy");
  ASSERT_FALSE(log.warnings.empty());
  EXPECT_EQ(log.warnings.back(), wxString::FromUTF8("Schemat danych firmy nie jest aktualny. Uruchom aktualizację "
                                                    "bazy z pliku baza_aktualizacja.json."));
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);
  EXPECT_EQ(editor->GetRecordId(), "1");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_TRUE(RemoveButtonShown());
  // No file that only this workstation would see.
  const wxString logoFolders = veldrix::JoinPath(veldrix::UserDataFolder(), "company-logos");
  EXPECT_FALSE(wxFileName::DirExists(logoFolders));

  // Upgraded, the next save stores the waiting logo, and the account only once.
  ASSERT_GE(db->DeleteData("alter table firma add column logo_base64 text default ''"), 0);
  ASSERT_GE(db->DeleteData("alter table firma add column logo_format varchar(10) default 'png'"), 0);
  ASSERT_GE(db->DeleteData("alter table firma add column logo_size integer not null default 0"), 0);
  boxes.Clear();
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);
  EXPECT_NE(Cell("select logo_size from firma"), "0");
  EXPECT_FALSE(editor->IsModified());
  EXPECT_FALSE(wxFileName::DirExists(logoFolders));
}

TEST_F(LogoTest, LongCompanyNameIsCutBeforeTheLogoBoxAndWholeInItsTooltip) {
  InsertCompany();
  OpenTab();
  const wxString name = wxString::FromUTF8("Przedsiębiorstwo Handlowo-Usługowe i Produkcyjne ") +
                        wxString('W', 120) + " Spółka z ograniczoną odpowiedzialnością";
  Type("nazwa", name);
  PumpEvents(200);
  wxWindow* title = editor->GetTitleLabel();
  wxWindow* logo = Find<wxPanel>("logo_panel");
  // As typed, and after the form is laid out again: the name never reaches the
  // logo box, and the box stays in view.
  for (int pass = 0; pass < 2; ++pass) {
    const wxRect titleRect(title->GetScreenPosition(), title->GetSize());
    const wxRect logoRect(logo->GetScreenPosition(), logo->GetSize());
    const wxRect form(logo->GetParent()->GetScreenPosition(), logo->GetParent()->GetClientSize());
    EXPECT_LT(titleRect.GetRight(), logoRect.GetLeft()) << pass;
    EXPECT_LE(logoRect.GetRight(), form.GetRight()) << pass;
    EXPECT_GT(titleRect.width, 100) << pass;
    logo->GetParent()->Layout();
    PumpEvents(100);
  }
  ASSERT_NE(title->GetToolTip(), nullptr);
  EXPECT_EQ(title->GetToolTipText(), name);
  SaveScreenshot(frame, "danefirmy_long_name");
}
