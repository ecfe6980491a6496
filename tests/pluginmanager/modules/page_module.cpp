// A module library with pages for the host tests, in C++ against the public header.
// Compile definitions choose what it describes:
//   MODULE_ID, MODULE_NAME  identifiers turned into its texts
//   WITH_TOOL               asks for a toolbar tool
//   WITH_MAIN_PAGE          a main page with rows and two actions
//   WITH_SETTINGS_FORM      a settings schema (the form page)
//   WITH_XRC_SETTINGS       an XRC settings page from "ustawienia.xrc" in its folder
//   WITH_CREATE_PAGE        builds its own pages ("<id>.lista" and others)
//   MAIN_ROWS               how many main rows it claims (default 3)
//   MARKED_TEXTS            its main page title, rows after the first and first
//                           action label hold "&" and a tab, to be shown as written
//   THROW_IN_INIT           lets an exception out of VeldrixPluginInitialize
// Actions: "recount", "fail-silently", "fail-with-text", "boom" (throws), "status",
// "close-me" (asks the host to close its last page), "slow" and "quick" (meant to
// run as "async:"), "cancel-operation". At shutdown it writes to its settings
// whether an action was still running.
#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <thread>

#define WIDEN2(x) L##x
#define WIDEN(x) WIDEN2(x)
#define STR2(x) #x
#define STR(x) STR2(x)
#define WSTR(x) WIDEN(STR(x))

#ifndef MODULE_NAME
#define MODULE_NAME MODULE_ID
#endif
#ifndef MAIN_ROWS
#define MAIN_ROWS 3
#endif
#ifdef MARKED_TEXTS
#define MAIN_PAGE_TITLE L"Koszty & Zyski"
#define OTHER_ROW_LABEL L"Odbiorca & Syn"
#define OTHER_ROW_VALUE L"Kowalski & Syn\tCtrl+Q"
#define RECOUNT_LABEL L"Przelicz & zapisz"
#else
#define MAIN_PAGE_TITLE L"Strona " WSTR(MODULE_NAME)
#define OTHER_ROW_LABEL L"Wiersz"
#define OTHER_ROW_VALUE L"wartość"
#define RECOUNT_LABEL L"Przelicz"
#endif

namespace {

const HostApi* host = nullptr;
const wchar_t* const kSettingsPath = L"/TestModules/" WSTR(MODULE_ID);
std::atomic<int> recounts{0};
std::atomic<int> runs{0};
std::atomic<int> cancels{0};
std::atomic<int> finished{0};
std::atomic<int> progress{0};
std::atomic<bool> running{false};
std::atomic<bool> cancelRequested{false};
wxWindow* lastPage = nullptr;
#ifdef WITH_XRC_SETTINGS
wchar_t progressText[64];
wchar_t progressValue[16];
wchar_t infoText[128];
#endif
const wxString kDisplayName = WSTR(MODULE_NAME);

void Write(wchar_t* out, unsigned capacity, const wchar_t* text) {
  if (!out || capacity == 0) return;
  std::wcsncpy(out, text, capacity - 1);
  out[capacity - 1] = L'\0';
}

void Remember(const wchar_t* key, const wchar_t* value) {
  if (host) host->setSetting(host->context, kSettingsPath, key, value);
}

int SlowAction(wchar_t* out, unsigned capacity) {
  running = true;
  ++runs;
  cancelRequested = false;
  for (int step = 1; step <= 500 && !cancelRequested; ++step) {
    progress = step / 5;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const bool cancelled = cancelRequested;
  ++finished;
  running = false;
  Write(out, capacity, cancelled ? L"Przerwano" : L"Zakończono");
  return cancelled ? 0 : 1;
}

}  // namespace

extern "C" {

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetApiVersion(void) { return VELDRIX_PLUGIN_API_VERSION; }

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetInfo(PluginInfo* info) {
  static int marker = 0;
  info->id = WSTR(MODULE_ID);
  info->name = WSTR(MODULE_NAME);
  info->version = L"2.0";
  info->settingsTitle = L"Ustawienia " WSTR(MODULE_NAME);
#ifdef WITH_TOOL
  info->toolMarker = &marker;
  info->toolMarker2 = &marker;
#endif
  info->settingsMarker = &marker;
  return 1;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginInitialize(const HostApi* table) {
#ifdef THROW_IN_INIT
  throw std::runtime_error("brak pliku licencji");
#endif
  host = table;
  return 1;
}

VELDRIX_PLUGIN_EXPORT void VELDRIX_CALL VeldrixPluginShutdown(void) {
  Remember(L"shutdown", running ? L"running" : L"idle");
  host = nullptr;
}

#ifdef WITH_MAIN_PAGE
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetMainPageSchema(PluginMainPageSchema* out) {
  static const PluginValuePair actions[] = {
      {L"recount", RECOUNT_LABEL}, {L"fail-silently", L"Nie działa"}, {L"", L"skipped"}};
  out->title = MAIN_PAGE_TITLE;
  out->text = L"Stan modułu testowego.";
  out->items = actions;
  out->count = 3;
  return 1;
}

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetMainRows(PluginRow* rows, unsigned capacity) {
  static wchar_t counted[32];
  std::swprintf(counted, 32, L"%d", recounts.load());
  for (unsigned i = 0; i < capacity; ++i) {
    rows[i].text = i == 0 ? L"Przeliczenia" : OTHER_ROW_LABEL;
    rows[i].key = i == 0 ? counted : OTHER_ROW_VALUE;
  }
  return MAIN_ROWS;
}
#endif

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginRunAction(const wchar_t* action, wchar_t* out,
                                                              unsigned capacity) {
  const std::wstring name = action ? action : L"";
  if (name == L"recount") {
    ++recounts;
    Write(out, capacity, L"Przeliczono");
    return 1;
  }
  if (name == L"fail-silently") return 0;
  if (name == L"fail-with-text") {
    Write(out, capacity, L"Brak danych do przeliczenia");
    return 0;
  }
  if (name == L"boom") throw std::runtime_error("uszkodzony stan");
  if (name == L"status") {
    wchar_t text[128];
    std::swprintf(text, 128, L"runs=%d cancels=%d finished=%d running=%d", runs.load(), cancels.load(),
                  finished.load(), running ? 1 : 0);
    Write(out, capacity, text);
    return 1;
  }
  if (name == L"close-me") {
    if (host && lastPage) host->closePage(host->context, lastPage);
    return 1;
  }
  if (name == L"slow") return SlowAction(out, capacity);
  if (name == L"quick") return 1;
  if (name == L"cancel-operation") {
    ++cancels;
    cancelRequested = true;
    Write(out, capacity, L"Anulowanie...");
    return 1;
  }
  return 0;
}

#if defined(WITH_SETTINGS_FORM) || defined(WITH_XRC_SETTINGS)
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetSettingsSchema(PluginSettingsSchema* out) {
  static const PluginSettingsField fields[] = {
      {L"server", L"Serwer", L"localhost", nullptr, 0, 1},
      {L"notes", L"Uwagi", nullptr, nullptr, 1, 3},
      {L"mode", L"Tryb", L"fast", L"Szybki=fast\nDokładny=exact", 2, 1},
      {L"kind", L"Rodzaj", L"a", L"A=a\nB=b", 2, 1},
      {L"active", L"Aktywny", L"1", nullptr, 0, 1},
      {L"token", L"Token", L"brak", nullptr, 0, 1},
  };
  out->path = kSettingsPath;
  out->title = L"Ustawienia " WSTR(MODULE_NAME);
  out->text = L"Opis ustawień modułu testowego.";
  out->fields = fields;
  out->count = 6;
  return 1;
}
#endif

#ifdef WITH_XRC_SETTINGS
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetSettingsXrcSchema(PluginXrcSchema* out) {
  static const PluginValuePair bindings[] = {{L"txtServer", L"server"}, {L"chMode", L"mode"},
                                             {L"cbKind", L"kind"},      {L"chkActive", L"active"},
                                             {L"txtGone", L"token"},    {L"lblInfo", L""}};
  static const PluginValuePair actions[] = {{L"btnCheck", L"recount"},
                                            {L"btnFail", L"fail-with-text"},
                                            {L"btnSync", L"async:slow"},
                                            {L"btnQuick", L"async:quick"}};
  out->xrcFile = L"ustawienia.xrc";
  out->objectName = L"pnlUstawienia";
  out->control = L"btnSave";
  out->bindings = bindings;
  out->bindingCount = 6;
  out->extra.actions = actions;
  out->extraCount = 4;
  return 1;
}

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetSettingsXrcValues(PluginValuePair* values,
                                                                             unsigned capacity) {
  unsigned count = 0;
  if (host) {
    wchar_t server[64];
    host->getSetting(host->context, kSettingsPath, L"server", L"?", server, 64);
    std::swprintf(infoText, 128, L"Zapisany serwer: %ls", server);
    values[count++] = {L"lblInfo", infoText};
  }
  if (running && count + 2 <= capacity) {
    std::swprintf(progressText, 64, L"Postęp %d%%", progress.load());
    std::swprintf(progressValue, 16, L"%d", progress.load());
    values[count++] = {L"lblKsefOperationStatus", progressText};
    values[count++] = {L"gaugeKsefOperation", progressValue};
  }
  return count;
}
#endif

#ifdef WITH_CREATE_PAGE
VELDRIX_PLUGIN_EXPORT wxWindow* VELDRIX_CALL VeldrixPluginCreatePage(wxWindow* parent, const wchar_t* pageKey,
                                                                    const wchar_t* argument, void* context) {
  const std::wstring key = pageKey ? pageKey : L"";
  if (key == L"brak") return nullptr;
  auto* page = new wxPanel(parent);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(page, wxID_ANY, kDisplayName + ": " + wxString(key) + " [" + wxString(argument) + "]"),
             0, wxALL, 10);
  page->SetSizer(sizer);
  lastPage = page;
  return page;
}
#endif

}  // extern "C"
