#pragma once

// The part of the Netscape plug-in interface (NPAPI) that the presence plug-in
// needs, declared here from the interface's public description: the basic
// types, the structures the browser hands to a plug-in, the two function
// tables and the entry points a Unix browser looks up in the library.
//
// Only what the plug-in touches is spelled out. The browser's function table in
// particular is declared up to its size and version: the plug-in keeps the
// pointer and never calls through it.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Basic types */

typedef int16_t NPError;
typedef int16_t NPReason;
typedef char *NPMIMEType;
typedef unsigned char NPBool;

/* Interface version the plug-in is written against: major 0, minor 11. */
#define NP_VERSION_MAJOR 0
#define NP_VERSION_MINOR 11

/* Error codes */
#define NPERR_NO_ERROR 0
#define NPERR_GENERIC_ERROR 1
#define NPERR_INVALID_INSTANCE_ERROR 2
#define NPERR_INVALID_FUNCTABLE_ERROR 3
#define NPERR_MODULE_LOAD_FAILED_ERROR 4
#define NPERR_OUT_OF_MEMORY_ERROR 5
#define NPERR_INVALID_PLUGIN_ERROR 6
#define NPERR_INVALID_PLUGIN_DIR_ERROR 7
#define NPERR_INCOMPATIBLE_VERSION_ERROR 8
#define NPERR_INVALID_PARAM 9
#define NPERR_INVALID_URL 10
#define NPERR_FILE_NOT_FOUND 11
#define NPERR_NO_DATA 12
#define NPERR_STREAM_NOT_SEEKABLE 13

/* Why a stream or URL request ended */
#define NPRES_DONE 0
#define NPRES_NETWORK_ERR 1
#define NPRES_USER_BREAK 2

/* How the plug-in wants a stream delivered */
#define NP_NORMAL 1
#define NP_SEEK 2
#define NP_ASFILE 3
#define NP_ASFILEONLY 4

/* Instance modes */
#define NP_EMBED 1
#define NP_FULL 2

/* One plug-in instance: pdata belongs to the plug-in, ndata to the browser. */
typedef struct _NPP {
  void *pdata;
  void *ndata;
} NPP_t;
typedef NPP_t *NPP;

typedef struct _NPStream {
  void *pdata;
  void *ndata;
  const char *url;
  uint32_t end;
  uint32_t lastmodified;
  void *notifyData;
  const char *headers;
} NPStream;

typedef struct _NPSavedData {
  int32_t len;
  void *buf;
} NPSavedData;

typedef struct _NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
} NPRect;

typedef enum { NPWindowTypeWindow = 1, NPWindowTypeDrawable } NPWindowType;

/* On X11 `window` is the window id and `ws_info` points at the display data. */
typedef struct _NPWindow {
  void *window;
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  void *ws_info;
  NPWindowType type;
} NPWindow;

typedef struct _NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void *platformPrint;
} NPFullPrint;

typedef struct _NPEmbedPrint {
  NPWindow window;
  void *platformPrint;
} NPEmbedPrint;

typedef struct _NPPrint {
  uint16_t mode; /* NP_FULL or NP_EMBED */
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
} NPPrint;

/* A platform event; on X11 an XEvent, which the plug-in never looks into. */
typedef void NPEvent;

/* The two variable enumerations carry whatever number the browser sends,
   including ones not listed here; in C++ they get int as their fixed
   underlying type so that every such number is a valid value. */
#ifdef __cplusplus
#define NP_VARIABLE_ENUM enum : int
#else
#define NP_VARIABLE_ENUM enum
#endif

/* What the browser asks of the plug-in (NPP_GetValue, NP_GetValue) */
typedef NP_VARIABLE_ENUM{NPPVpluginNameString = 1,
                         NPPVpluginDescriptionString = 2,
                         NPPVpluginWindowBool = 3,
                         NPPVpluginTransparentBool = 4,
                         NPPVjavaClass = 5,
                         NPPVpluginWindowSize = 6,
                         NPPVpluginTimerInterval = 7,
                         NPPVpluginNeedsXEmbed = 14,
                         NPPVpluginScriptableNPObject = 15} NPPVariable;

/* What the plug-in may ask of the browser, or be told (NPP_SetValue) */
typedef NP_VARIABLE_ENUM{NPNVxDisplay = 1,           NPNVxtAppContext = 2,
                         NPNVnetscapeWindow = 3,     NPNVjavascriptEnabledBool = 4,
                         NPNVasdEnabledBool = 5,     NPNVisOfflineBool = 6,
                         NPNVSupportsXEmbedBool = 14} NPNVariable;

/* The browser's function table. Its function slots follow the version field;
   the plug-in never calls them, so they are left undeclared. */
typedef struct _NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
} NPNetscapeFuncs;

/* The plug-in's functions, in the table's slot order. */
typedef NPError (*NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                                  char *argn[], char *argv[], NPSavedData *saved);
typedef NPError (*NPP_DestroyProcPtr)(NPP instance, NPSavedData **save);
typedef NPError (*NPP_SetWindowProcPtr)(NPP instance, NPWindow *window);
typedef NPError (*NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type, NPStream *stream,
                                        NPBool seekable, uint16_t *stype);
typedef NPError (*NPP_DestroyStreamProcPtr)(NPP instance, NPStream *stream, NPReason reason);
typedef void (*NPP_StreamAsFileProcPtr)(NPP instance, NPStream *stream, const char *fname);
typedef int32_t (*NPP_WriteReadyProcPtr)(NPP instance, NPStream *stream);
typedef int32_t (*NPP_WriteProcPtr)(NPP instance, NPStream *stream, int32_t offset, int32_t len,
                                    void *buffer);
typedef void (*NPP_PrintProcPtr)(NPP instance, NPPrint *platformPrint);
typedef int16_t (*NPP_HandleEventProcPtr)(NPP instance, NPEvent *event);
typedef void (*NPP_URLNotifyProcPtr)(NPP instance, const char *url, NPReason reason,
                                     void *notifyData);
typedef NPError (*NPP_GetValueProcPtr)(NPP instance, NPPVariable variable, void *value);
typedef NPError (*NPP_SetValueProcPtr)(NPP instance, NPNVariable variable, void *value);

typedef struct _NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void *javaClass; /* the class reference slot; always empty here */
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
} NPPluginFuncs;

/* The library's entry points. A Unix browser hands both tables to
   NP_Initialize and reads the name, description and MIME types through
   NP_GetValue and NP_GetMIMEDescription before it loads anything else. */
typedef NPError (*NP_InitializeFunc)(NPNetscapeFuncs *browserFuncs, NPPluginFuncs *pluginFuncs);
typedef NPError (*NP_GetEntryPointsFunc)(NPPluginFuncs *pluginFuncs);
typedef NPError (*NP_ShutdownFunc)(void);
typedef const char *(*NP_GetMIMEDescriptionFunc)(void);
typedef NPError (*NP_GetValueFunc)(void *future, NPPVariable variable, void *value);

#ifdef __cplusplus
}
#endif
