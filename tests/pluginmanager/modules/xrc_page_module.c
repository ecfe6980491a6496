/* A module with an XRC main page for the host tests, in C against the public
 * header. Its layout "ui/strona.xrc" lies in a "ui" subfolder of its folder. It
 * binds every kind the page knows: toolbar tools on both sides, a button, a filter
 * input, selection and context actions on a grid and a list, values that show,
 * enable and fill controls, and a background action. Its main grid (the invoice
 * list) holds more rows than the host's first buffer; the invoice's items and the
 * contractors fill a secondary grid and list. Compile definitions:
 *   MAIN_ROW_COUNT   how many invoices it has (default 1000)
 *   MISSING_BINDINGS also binds controls its layout lacks
 * XrcTestActionCount and XrcTestAction let a test read the actions it received. */
#include "pluginmanager/veldrix_plugin_api.h"

#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#ifndef MAIN_ROW_COUNT
#define MAIN_ROW_COUNT 1000
#endif

#define TEXT_SIZE 48
#define LOG_SIZE 256
#define LOG_TEXT 512

static const HostApi* host = NULL;

static wchar_t numbers[MAIN_ROW_COUNT][TEXT_SIZE];
static wchar_t amounts[MAIN_ROW_COUNT][TEXT_SIZE];
static wchar_t dates[MAIN_ROW_COUNT][TEXT_SIZE];
static const wchar_t* const contractors[] = {L"Kowalski Sp. z o.o.", L"Nowak & Syn", L"\u0141\u0105ka S.A.",
                                             L"ZAK\u0141AD KOWALCZYK", L"<b>Wi\u015bniewska</b>"};
static wchar_t search[LOG_TEXT];
static wchar_t selected[TEXT_SIZE];
static wchar_t counted[TEXT_SIZE];
static wchar_t received[LOG_SIZE][LOG_TEXT];
static unsigned receivedCount = 0;
static atomic_int running = 0;
static atomic_int cancelRequested = 0;
static wchar_t progressText[TEXT_SIZE];

static void Note(const wchar_t* action) {
  if (receivedCount >= LOG_SIZE) return;
  wcsncpy(received[receivedCount], action, LOG_TEXT - 1);
  received[receivedCount][LOG_TEXT - 1] = L'\0';
  ++receivedCount;
}

static void Reply(wchar_t* out, unsigned capacity, const wchar_t* text) {
  if (!out || capacity == 0) return;
  wcsncpy(out, text, capacity - 1);
  out[capacity - 1] = L'\0';
}

static int StartsWith(const wchar_t* text, const wchar_t* prefix) {
  return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

/* Amounts written three ways: "1 234,56 zł", "1.234,56" and "1,234.56". */
static void FormatAmount(wchar_t* out, long cents, int style) {
  const long whole = cents / 100;
  const long rest = cents % 100;
  if (whole < 1000) {
    swprintf(out, TEXT_SIZE, style == 2 ? L"%ld.%02ld" : L"%ld,%02ld", whole, rest);
  } else if (style == 0) {
    swprintf(out, TEXT_SIZE, L"%ld %03ld,%02ld z\u0142", whole / 1000, whole % 1000, rest);
  } else if (style == 1) {
    swprintf(out, TEXT_SIZE, L"%ld.%03ld,%02ld", whole / 1000, whole % 1000, rest);
  } else {
    swprintf(out, TEXT_SIZE, L"%ld,%03ld.%02ld", whole / 1000, whole % 1000, rest);
  }
}

static void BuildInvoices(void) {
  int i;
  for (i = 0; i < MAIN_ROW_COUNT; ++i) {
    swprintf(numbers[i], TEXT_SIZE, L"FV/%04d/2024", i + 1);
    FormatAmount(amounts[i], (long)((i * 7919L) % 250000L) + 1, i % 3);
    swprintf(dates[i], TEXT_SIZE, L"%02d.%02d.%d", 1 + (i * 13) % 28, 1 + (i * 7) % 12, 2023 + i % 2);
  }
}

static int Matches(int i) {
  const wchar_t* name = contractors[i % 5];
  if (search[0] == L'\0') return 1;
  return wcsstr(name, search) != NULL || wcsstr(numbers[i], search) != NULL;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetApiVersion(void) { return VELDRIX_PLUGIN_API_VERSION; }

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetInfo(PluginInfo* info) {
  static int marker = 0;
  info->id = L"ksef_test";
  info->name = L"Faktury KSeF";
  info->version = L"1.0";
  info->toolMarker = &marker;
  info->toolMarker2 = &marker;
  return 1;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginInitialize(const HostApi* table) {
  host = table;
  BuildInvoices();
  search[0] = L'\0';
  selected[0] = L'\0';
  wcscpy(counted, L"0");
  return 1;
}

VELDRIX_PLUGIN_EXPORT void VELDRIX_CALL VeldrixPluginShutdown(void) { host = NULL; }

static const PluginValuePair bindings[] = {
    {L"toolbar-left:1", L"refresh"},
    {L"toolbar-left:2", L"view-queue"},
    {L"toolbar-left:3", L"delete-local"},
    {L"toolbar-left:4", L"async:slow"},
    {L"toolbar-left:5", L"count"},
    {L"toolbar-right:1", L"host-close-page"},
    {L"text:txtSzukaj", L"search"},
    {L"select:lstKsefInvoices", L"select"},
    {L"context:lstKsefInvoices", L"preview-xml"},
    {L"context:lstKsefInvoices", L"preview-log"},
    {L"context:lstKsefInvoices", L"delete-local"},
    {L"select:lstKontrahenci", L"contractor"},
    {L"context:lstKontrahenci", L"note & remember"},
    {L"btnPolicz", L"count"},
#ifdef MISSING_BINDINGS
    {L"text:txtBrak", L"nothing"},
    {L"select:gridBrak", L"nothing"},
    {L"context:gridBrak", L"nothing"},
    {L"btnBrak", L"nothing"},
#endif
};

static const PluginColumn invoiceColumns[] = {
    {L"Numer", 130, 0}, {L"Kontrahent", 220, 0}, {L"Kwota", 130, 1}, {L"Data", 110, 2}};

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetMainXrcPageSchema(PluginXrcSchema* out) {
  out->path = L"ksef.strona";
  out->title = L"Faktury w KSeF";
  out->xrcFile = L"ui/strona.xrc";
  out->objectName = L"pnlStrona";
  out->control = L"lstKsefInvoices";
  out->bindings = bindings;
  out->bindingCount = (unsigned)(sizeof(bindings) / sizeof(bindings[0]));
  out->extra.columns = invoiceColumns;
  out->extraCount = 4;
  return 1;
}

/* More rows than the buffer: the rows that fit, and the count of all. */
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetMainRows(PluginRow* rows, unsigned capacity) {
  unsigned count = 0;
  int i;
  for (i = 0; i < MAIN_ROW_COUNT; ++i) {
    if (!Matches(i)) continue;
    if (count < capacity) {
      rows[count].key = numbers[i];
      rows[count].text = numbers[i];
      rows[count].cells[0] = numbers[i];
      rows[count].cells[1] = contractors[i % 5];
      rows[count].cells[2] = amounts[i];
      rows[count].cells[3] = dates[i];
    }
    ++count;
  }
  return count;
}

static const PluginColumn itemColumns[] = {{L"Towar", 220, 0}, {L"Ilo\u015b\u0107", 80, 1}, {L"Cena", 100, 1}};
/* Valid only until the module's next call, as a module may reuse its buffers. */
static wchar_t itemNames[3][TEXT_SIZE];

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetColumnsForControl(const wchar_t* control,
                                                                             PluginColumn* columns,
                                                                             unsigned capacity) {
  unsigned i;
  for (i = 0; i < 3; ++i) itemNames[i][0] = L'\0';
  if (wcscmp(control, L"gridPozycje") != 0) return 0;
  for (i = 0; i < 3 && i < capacity; ++i) columns[i] = itemColumns[i];
  return 3;
}

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetRowsForControl(const wchar_t* control, PluginRow* rows,
                                                                          unsigned capacity) {
  static const wchar_t* const quantities[] = {L"1", L"12", L"3"};
  static const wchar_t* const prices[] = {L"10,00", L"2,50", L"100,00"};
  unsigned i;
  if (wcscmp(control, L"lstKontrahenci") == 0) {
    for (i = 0; i < 5 && i < capacity; ++i) {
      rows[i].text = contractors[i];
      rows[i].key = contractors[i];
    }
    return 5;
  }
  if (wcscmp(control, L"gridPozycje") != 0 || selected[0] == L'\0') return 0;
  for (i = 0; i < 3 && i < capacity; ++i) {
    swprintf(itemNames[i], TEXT_SIZE, L"Pozycja %u z %ls", i + 1, selected);
    rows[i].key = itemNames[i];
    rows[i].cells[0] = itemNames[i];
    rows[i].cells[1] = quantities[i];
    rows[i].cells[2] = prices[i];
  }
  return 3;
}

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetMainXrcValues(PluginValuePair* values,
                                                                         unsigned capacity) {
  static wchar_t countText[TEXT_SIZE];
  unsigned count = 0;
  int i;
  int shown = 0;
  for (i = 0; i < MAIN_ROW_COUNT; ++i) shown += Matches(i);
  swprintf(countText, TEXT_SIZE, L"Faktur: %d", shown);
  if (count < capacity) values[count++] = (PluginValuePair){L"lblLiczba", countText};
  if (count < capacity) values[count++] = (PluginValuePair){L"lblPoliczono", counted};
  if (count < capacity) values[count++] = (PluginValuePair){L"show:pnlSzczegoly", selected[0] ? L"TAK" : L"2"};
  if (count < capacity) values[count++] = (PluginValuePair){L"enable:btnPolicz", shown > 0 ? L"yes" : L"0"};
  if (count < capacity) values[count++] = (PluginValuePair){L"txtSzukaj", search};
  if (atomic_load(&running) && count < capacity) {
    values[count++] = (PluginValuePair){L"lblKsefOperationStatus", progressText};
  }
  return count;
}

static int SlowAction(wchar_t* out, unsigned capacity) {
  struct timespec pause = {0, 10 * 1000 * 1000};
  int step;
  atomic_store(&cancelRequested, 0);
  atomic_store(&running, 1);
  for (step = 0; step < 1000 && !atomic_load(&cancelRequested); ++step) {
    swprintf(progressText, TEXT_SIZE, L"Krok %d", step);
    nanosleep(&pause, NULL);
  }
  atomic_store(&running, 0);
  Reply(out, capacity, atomic_load(&cancelRequested) ? L"Przerwano" : L"Gotowe");
  return 1;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginRunAction(const wchar_t* action, wchar_t* out,
                                                             unsigned capacity) {
  static wchar_t document[4096];
  if (wcscmp(action, L"slow") == 0) return SlowAction(out, capacity);
  if (wcscmp(action, L"cancel-operation") == 0) {
    atomic_store(&cancelRequested, 1);
    Reply(out, capacity, L"Zatrzymuj\u0119");
    return 1;
  }
  Note(action);
  if (StartsWith(action, L"search|")) {
    wcsncpy(search, action + 7, LOG_TEXT - 1);
    return 1;
  }
  if (StartsWith(action, L"select|")) {
    wcsncpy(selected, action + 7, TEXT_SIZE - 1);
    return 1;
  }
  if (StartsWith(action, L"preview-xml|")) {
    if (wcscmp(action + 12, L"FV/0002/2024") == 0) {
      Reply(out, capacity, L" <Faktura/>");  /* not a document: it does not begin with "<" */
      return 1;
    }
    swprintf(document, 4096,
             L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Faktura>\n  <Numer>%ls</Numer>\n"
             L"  <Nabywca>Nowak &amp; Syn</Nabywca>\n  <Uwagi><![CDATA[<b>nie pogrubiaj</b>]]></Uwagi>\n"
             L"</Faktura>\n",
             action + 12);
    Reply(out, capacity, document);
    return 1;
  }
  if (StartsWith(action, L"preview-log|")) {
    swprintf(document, 4096, L"12:00:01 Wys\u0142ano %ls\n12:00:02 Odpowied\u017a: <b>200</b> &amp; OK\n",
             action + 12);
    Reply(out, capacity, document);
    return 1;
  }
  if (StartsWith(action, L"delete-local")) {
    Reply(out, capacity, L"Usuni\u0119to z listy.");
    return 1;
  }
  if (wcscmp(action, L"count") == 0) {
    swprintf(counted, TEXT_SIZE, L"%u", receivedCount);
    Reply(out, capacity, L"Policzono.");
    return 1;
  }
  if (StartsWith(action, L"note & remember|")) return 0;  /* fails without a text */
  return 1;
}

/* For the tests only. */
VELDRIX_PLUGIN_EXPORT unsigned XrcTestActionCount(void) { return receivedCount; }
VELDRIX_PLUGIN_EXPORT const wchar_t* XrcTestAction(unsigned index) {
  return index < receivedCount ? received[index] : L"";
}
VELDRIX_PLUGIN_EXPORT void XrcTestReset(void) { receivedCount = 0; }
