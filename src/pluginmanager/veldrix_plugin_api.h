/* The binary contract between Veldrix and its module libraries: the entry points a
 * module exports, the host service table it receives and every record that crosses
 * the boundary. Modules are built separately against this header, so field order,
 * sizes and the IAuthService operation order never change within one API version. */
#ifndef VELDRIX_PLUGIN_API_H
#define VELDRIX_PLUGIN_API_H

#include <stddef.h>
#include <wchar.h>

#ifdef __cplusplus
#include "auth/iauth_service.h"
class wxWindow;
class wxAuiNotebook;
#else
typedef struct wxWindow wxWindow;
typedef struct wxAuiNotebook wxAuiNotebook;
typedef struct IAuthService IAuthService;
#endif

#if defined(__i386__)
#define VELDRIX_CALL __attribute__((cdecl))
#else
#define VELDRIX_CALL
#endif

#define VELDRIX_PLUGIN_EXPORT __attribute__((visibility("default")))

#define VELDRIX_PLUGIN_API_VERSION 11

/* Capacities of the buffers the host hands to a module. */
#define VELDRIX_ROW_CELLS 12u              /* cells of one PluginRow */
#define VELDRIX_MAIN_PAGE_ROWS 32u         /* VeldrixPluginGetMainRows on a simple main page */
#define VELDRIX_XRC_PAGE_ROWS 64u          /* VeldrixPluginGetMainRows / GetRowsForControl on an XRC page */
/* An XRC page's list or grid may hold more: a module with more rows than the buffer
 * fills what fits and returns the count of all; the host then asks again with room
 * for all of them, up to this many. */
#define VELDRIX_XRC_PAGE_ROW_LIMIT 500000u
#define VELDRIX_XRC_VALUES 64u             /* VeldrixPluginGet...XrcValues */
#define VELDRIX_CONTROL_COLUMNS 16u        /* VeldrixPluginGetColumnsForControl */
#define VELDRIX_ACTION_TEXT 1024u          /* VeldrixPluginRunAction on the GUI thread */
#define VELDRIX_ASYNC_ACTION_TEXT 65536u   /* VeldrixPluginRunAction of an "async:" action */
#define VELDRIX_IGNORED_ACTION_TEXT 1u     /* VeldrixPluginRunAction whose text the host ignores */
#define VELDRIX_COMPANY_ERROR_TEXT 1024u   /* VeldrixPluginOnCompanyCreated */

#ifdef __cplusplus
extern "C" {
#endif

/* Every text pointer a module returns stays owned by the module. The host copies what
 * it keeps, except PluginInfo, which it keeps by value and reads while the library is
 * loaded: those texts must live as long as the library. */
typedef struct PluginInfo {
  const wchar_t* id;             /* required */
  const wchar_t* name;           /* required */
  const wchar_t* version;
  const wchar_t* settingsTitle;
  const wchar_t* toolLabel;
  const wchar_t* imageName;
  const void* imageData;
  unsigned imageDataSize;
  const void* settingsMarker;    /* only tested against null */
  const void* toolMarker;        /* only tested against null */
  const void* toolMarker2;       /* only tested against null */
} PluginInfo;

typedef struct PluginValuePair {
  const wchar_t* first;
  const wchar_t* second;
} PluginValuePair;

typedef struct PluginColumn {
  const wchar_t* title;
  int width;      /* pixels; 0 or less = the page's default */
  int alignment;  /* 0 left, 1 right, 2 centre */
} PluginColumn;

typedef struct PluginSettingsField {
  const wchar_t* key;
  const wchar_t* label;
  const wchar_t* defaultValue;
  const wchar_t* choices;  /* one per line, "label=value" or "value" */
  int kind;                /* 0 text, 1 multi-line text, 2 choice */
  int lines;               /* height of kind 1 */
} PluginSettingsField;

typedef struct PluginSettingsSchema {
  const wchar_t* path;
  const wchar_t* title;
  const wchar_t* text;
  const PluginSettingsField* fields;
  unsigned count;
} PluginSettingsSchema;

typedef struct PluginMainPageSchema {
  const wchar_t* title;
  const wchar_t* text;
  const PluginValuePair* items;
  unsigned count;
} PluginMainPageSchema;

/* Serves both the XRC settings page and the XRC module page; the comments give the
 * settings meaning first. */
typedef struct PluginXrcSchema {
  const wchar_t* path;          /* settings path / page key */
  const wchar_t* title;
  const wchar_t* xrcFile;
  const wchar_t* objectName;
  const wchar_t* control;       /* save button / main list or grid */
  const PluginValuePair* bindings;
  unsigned bindingCount;
  union {
    const PluginValuePair* actions;  /* settings page: {button, action} */
    const PluginColumn* columns;     /* module page: default columns */
  } extra;
  unsigned extraCount;
} PluginXrcSchema;

typedef struct PluginRow {
  const wchar_t* text;
  const wchar_t* key;
  const wchar_t* cells[VELDRIX_ROW_CELLS];  /* used only when cells[0] is non-null */
} PluginRow;

/* Handed to VeldrixPluginCreatePage for the user and role pages; the module must not
 * keep authService beyond the page's life. */
typedef struct PluginPageContext {
  void* reserved[3];  /* set to 0 by the host */
  IAuthService* authService;
} PluginPageContext;

typedef int(VELDRIX_CALL* PluginRowCallback)(void* userData, const wchar_t** values, unsigned columns);

typedef unsigned(VELDRIX_CALL* HostGetSettingFn)(void* context, const wchar_t* path, const wchar_t* key,
                                                 const wchar_t* defaultValue, wchar_t* buffer, unsigned capacity);
typedef void(VELDRIX_CALL* HostSetSettingFn)(void* context, const wchar_t* path, const wchar_t* key,
                                             const wchar_t* value);
typedef void(VELDRIX_CALL* HostLogMessageFn)(void* context, const wchar_t* text);
typedef int(VELDRIX_CALL* HostOpenPageFn)(void* context, const wchar_t* pageKey, const wchar_t* argument);
typedef int(VELDRIX_CALL* HostExecuteSqlFn)(void* context, const wchar_t* sql, wchar_t* error, unsigned capacity);
typedef int(VELDRIX_CALL* HostQuerySqlFn)(void* context, const wchar_t* sql, unsigned columns,
                                          PluginRowCallback callback, void* userData, wchar_t* error,
                                          unsigned capacity);
typedef int(VELDRIX_CALL* HostGetCurrentCompanyIdFn)(void* context);
typedef int(VELDRIX_CALL* HostGetConnectionStringFn)(void* context, wchar_t* buffer, unsigned capacity);
typedef int(VELDRIX_CALL* HostGetDataDirectoryFn)(void* context, wchar_t* buffer, unsigned capacity);
typedef int(VELDRIX_CALL* HostGetImageFn)(void* context, const wchar_t* name, const void** data, unsigned* size);
typedef void(VELDRIX_CALL* HostClosePageFn)(void* context, wxWindow* page);
typedef int(VELDRIX_CALL* HostHasPermissionFn)(void* context, const wchar_t* permissionKey);
typedef wxWindow*(VELDRIX_CALL* HostCreateModulePageFn)(void* context, const wchar_t* moduleId, wxWindow* parent,
                                                        const wchar_t* pageKey, const wchar_t* argument,
                                                        void* pageContext);
typedef int(VELDRIX_CALL* HostIsModuleActiveFn)(void* context, const wchar_t* moduleId);

/* Valid until the module's VeldrixPluginShutdown has returned. */
typedef struct HostApi {
  int version;  /* VELDRIX_PLUGIN_API_VERSION */
  void* context;
  wxWindow* mainWindow;
  wxAuiNotebook* notebook;
  HostGetSettingFn getSetting;
  HostSetSettingFn setSetting;
  HostLogMessageFn logMessage;
  HostOpenPageFn openPage;
  HostExecuteSqlFn executeSql;
  HostQuerySqlFn querySql;
  HostGetCurrentCompanyIdFn getCurrentCompanyId;
  HostGetConnectionStringFn getConnectionString;
  HostGetDataDirectoryFn getDataDirectory;
  HostGetImageFn getImage;
  HostClosePageFn closePage;
  HostHasPermissionFn hasPermission;
  HostCreateModulePageFn createModulePage;
  HostIsModuleActiveFn isModuleActive;
} HostApi;

/* The entry points, as the host resolves them by name. */
typedef int(VELDRIX_CALL* VeldrixPluginGetApiVersionFn)(void);
typedef int(VELDRIX_CALL* VeldrixPluginGetInfoFn)(PluginInfo* info);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetDependenciesFn)(const wchar_t** ids, unsigned capacity);
typedef int(VELDRIX_CALL* VeldrixPluginInitializeFn)(const HostApi* host);
typedef void(VELDRIX_CALL* VeldrixPluginShutdownFn)(void);
typedef int(VELDRIX_CALL* VeldrixPluginGetSettingsSchemaFn)(PluginSettingsSchema* out);
typedef int(VELDRIX_CALL* VeldrixPluginGetMainPageSchemaFn)(PluginMainPageSchema* out);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetMainRowsFn)(PluginRow* rows, unsigned capacity);
typedef int(VELDRIX_CALL* VeldrixPluginRunActionFn)(const wchar_t* action, wchar_t* out, unsigned capacity);
typedef int(VELDRIX_CALL* VeldrixPluginGetImageFn)(const wchar_t* name, const void** data, unsigned* size);
typedef int(VELDRIX_CALL* VeldrixPluginGetSettingsXrcSchemaFn)(PluginXrcSchema* out);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetSettingsXrcValuesFn)(PluginValuePair* values, unsigned capacity);
typedef int(VELDRIX_CALL* VeldrixPluginGetMainXrcPageSchemaFn)(PluginXrcSchema* out);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetMainXrcValuesFn)(PluginValuePair* values, unsigned capacity);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetRowsForControlFn)(const wchar_t* control, PluginRow* rows,
                                                                 unsigned capacity);
typedef unsigned(VELDRIX_CALL* VeldrixPluginGetColumnsForControlFn)(const wchar_t* control, PluginColumn* columns,
                                                                    unsigned capacity);
typedef int(VELDRIX_CALL* VeldrixPluginOnCompanyCreatedFn)(int companyId, wchar_t* error, unsigned capacity);
typedef wxWindow*(VELDRIX_CALL* VeldrixPluginCreatePageFn)(wxWindow* parent, const wchar_t* pageKey,
                                                           const wchar_t* argument, void* context);
typedef int(VELDRIX_CALL* VeldrixPluginCanClosePageFn)(wxWindow* page);

/* Required. */
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetApiVersion(void);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetInfo(PluginInfo* info);
/* Optional; a missing one leaves its feature off. */
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetDependencies(const wchar_t** ids, unsigned capacity);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginInitialize(const HostApi* host);
VELDRIX_PLUGIN_EXPORT void VELDRIX_CALL VeldrixPluginShutdown(void);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetSettingsSchema(PluginSettingsSchema* out);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetMainPageSchema(PluginMainPageSchema* out);
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetMainRows(PluginRow* rows, unsigned capacity);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginRunAction(const wchar_t* action, wchar_t* out, unsigned capacity);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetImage(const wchar_t* name, const void** data, unsigned* size);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetSettingsXrcSchema(PluginXrcSchema* out);
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetSettingsXrcValues(PluginValuePair* values,
                                                                             unsigned capacity);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginGetMainXrcPageSchema(PluginXrcSchema* out);
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetMainXrcValues(PluginValuePair* values, unsigned capacity);
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetRowsForControl(const wchar_t* control, PluginRow* rows,
                                                                          unsigned capacity);
VELDRIX_PLUGIN_EXPORT unsigned VELDRIX_CALL VeldrixPluginGetColumnsForControl(const wchar_t* control,
                                                                             PluginColumn* columns,
                                                                             unsigned capacity);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginOnCompanyCreated(int companyId, wchar_t* error,
                                                                    unsigned capacity);
VELDRIX_PLUGIN_EXPORT wxWindow* VELDRIX_CALL VeldrixPluginCreatePage(wxWindow* parent, const wchar_t* pageKey,
                                                                    const wchar_t* argument, void* context);
VELDRIX_PLUGIN_EXPORT int VELDRIX_CALL VeldrixPluginCanClosePage(wxWindow* page);

#ifdef __cplusplus
}  /* extern "C" */
#endif

/* Record sizes of the 64-bit build: natural alignment in field order. */
#if defined(__x86_64__) || defined(__aarch64__)
#ifdef __cplusplus
#define VELDRIX_ASSERT_SIZE(type, size) static_assert(sizeof(type) == (size), #type " changed size")
#else
#define VELDRIX_ASSERT_SIZE(type, size) _Static_assert(sizeof(type) == (size), #type " changed size")
#endif
VELDRIX_ASSERT_SIZE(PluginInfo, 88);
VELDRIX_ASSERT_SIZE(PluginSettingsSchema, 40);
VELDRIX_ASSERT_SIZE(PluginSettingsField, 40);
VELDRIX_ASSERT_SIZE(PluginMainPageSchema, 32);
VELDRIX_ASSERT_SIZE(PluginXrcSchema, 72);
VELDRIX_ASSERT_SIZE(PluginValuePair, 16);
VELDRIX_ASSERT_SIZE(PluginColumn, 16);
VELDRIX_ASSERT_SIZE(PluginRow, 112);
VELDRIX_ASSERT_SIZE(HostApi, 144);
VELDRIX_ASSERT_SIZE(PluginPageContext, 32);
#ifdef __cplusplus
static_assert(offsetof(PluginInfo, imageDataSize) == 56 && offsetof(PluginInfo, settingsMarker) == 64,
              "PluginInfo layout");
static_assert(offsetof(PluginXrcSchema, extra) == 56 && offsetof(PluginXrcSchema, extraCount) == 64,
              "PluginXrcSchema layout");
static_assert(offsetof(HostApi, getSetting) == 32 && offsetof(HostApi, isModuleActive) == 136, "HostApi layout");
static_assert(offsetof(PluginPageContext, authService) == 24, "PluginPageContext layout");
#endif
#undef VELDRIX_ASSERT_SIZE
#endif

#endif /* VELDRIX_PLUGIN_API_H */
