/* A module library for the host tests, written in C against the public header so
 * that the header's C declarations are compiled too. The compile definitions give
 * each build its id, dependencies and behaviour:
 *   MODULE_ID, MODULE_NAME   identifiers turned into the texts
 *   DEP1, DEP2               dependency ids
 *   API_VERSION              what VeldrixPluginGetApiVersion answers (11)
 *   INIT_RESULT              what VeldrixPluginInitialize answers (1)
 *   NO_GETINFO               leaves VeldrixPluginGetInfo out
 *   COMPANY_MODE             0 accepts, 1 refuses with a text, 2 refuses filling the
 *                            whole buffer without a terminating zero, 3 refuses silently
 *   OVERCLAIM_DEPENDENCIES   claims a huge dependency count
 *   IMAGE_NAME               the image file name it reports
 *   TILE                     sets the tool marker, which earns it a start-page tile */
#include "pluginmanager/veldrix_plugin_api.h"

#include <stdio.h>
#include <string.h>

#define WIDEN2(x) L##x
#define WIDEN(x) WIDEN2(x)
#define STR2(x) #x
#define STR(x) STR2(x)
#define WSTR(x) WIDEN(STR(x))

#ifndef API_VERSION
#define API_VERSION 11
#endif
#ifndef INIT_RESULT
#define INIT_RESULT 1
#endif
#ifndef MODULE_NAME
#define MODULE_NAME MODULE_ID
#endif
#ifndef COMPANY_MODE
#define COMPANY_MODE 0
#endif

static const HostApi* host_table = NULL;

static void Log(const wchar_t* what) {
  wchar_t line[256];
  if (!host_table || !host_table->logMessage) return;
  swprintf(line, 256, L"%ls %ls", what, WSTR(MODULE_ID));
  host_table->logMessage(host_table->context, line);
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetApiVersion(void) { return API_VERSION; }

#ifndef NO_GETINFO
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetInfo(PluginInfo* info) {
  info->id = WSTR(MODULE_ID);
  info->name = WSTR(MODULE_NAME);
  info->version = L"1.2.3";
#ifdef IMAGE_NAME
  info->imageName = WSTR(IMAGE_NAME);
#endif
#ifdef TILE
  info->toolMarker = &host_table;
#endif
  return 1;
}
#endif

VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetDependencies(const wchar_t** ids, unsigned capacity) {
  static const wchar_t* deps[] = {
#ifdef DEP1
      WSTR(DEP1),
#endif
#ifdef DEP2
      WSTR(DEP2),
#endif
      L""};
  unsigned count = (unsigned)(sizeof(deps) / sizeof(deps[0])) - 1u;
  unsigned i;
#ifdef OVERCLAIM_DEPENDENCIES
  if (!ids) return 4000000000u;
  /* Fills what it was given and claims more. */
  for (i = 0; i < capacity; ++i) ids[i] = i == 0 ? L"alpha" : NULL;
  return capacity + 5u;
#endif
  if (!ids) return count;
  for (i = 0; i < count && i < capacity; ++i) ids[i] = deps[i];
  return i;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginInitialize(const HostApi* host) {
  wchar_t greeting[8];
  unsigned full;
  host_table = host;
  if (host->version != VELDRIX_PLUGIN_API_VERSION) return 0;
  Log(L"init");
  /* Reads its own setting through the host with a small buffer. */
  full = host->getSetting(host->context, L"/Plugins/" WSTR(MODULE_ID), L"greeting", L"", greeting, 8);
  if (full > 1) {
    wchar_t line[64];
    swprintf(line, 64, L"greeting %ls %u", greeting, full);
    host->logMessage(host->context, line);
  }
  if (INIT_RESULT == 0) host_table = NULL;
  return INIT_RESULT;
}

VELDRIX_PLUGIN_EXPORT void VELDRIX_CALL VeldrixPluginShutdown(void) {
  Log(L"shutdown");
  host_table = NULL;
}

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginOnCompanyCreated(int companyId, wchar_t* error, unsigned capacity) {
  unsigned i;
  (void)companyId;
  if (COMPANY_MODE == 0) return 1;
  if (COMPANY_MODE == 1) {
    wcsncpy(error, L"  brak tabeli  ", capacity);
  } else if (COMPANY_MODE == 2) {
    for (i = 0; i < capacity; ++i) error[i] = L'x';
  }
  return 0;
}

static const PluginSettingsField fields[] = {
    {L"", L"skipped", NULL, NULL, 0, 0},
    {L"url", NULL, L"https://example.invalid", NULL, 7, 0},
    {L"mode", L"Tryb", L"a", L"a=Alfa\n\n b \n=x", 2, 3},
};

VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetSettingsSchema(PluginSettingsSchema* out) {
  out->path = L"Moje/Ustawienia";
  out->fields = fields;
  out->count = 3;
  return 1;
}
