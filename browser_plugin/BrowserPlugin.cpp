// The presence plug-in: a browser lists it among its plug-ins, so the service's
// web pages can tell that Zaro Player is installed. It has no behaviour of its
// own: every instance is empty, draws nothing and keeps no data, and every
// call succeeds.
//
// The library is built with hidden visibility and a version script; only the
// NP_ entry points below leave it.

#include "NPInterface.h"

#define ZARO_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// What the browser lists for the plug-in. The MIME description has the Unix
// loader's form "type:extensions:description"; the type carries no extensions.
constexpr const char kPluginName[] = "Zaro Player";
constexpr const char kPluginDescription[] =
    "Lets the Zaro video service's web pages see that Zaro Player is installed.";
constexpr const char kMimeDescription[] = "application/x-zaro-player::Zaro Player presence";

constexpr uint16_t kInterfaceVersion = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;

NPError NPP_New(NPMIMEType, NPP, uint16_t, int16_t, char *[], char *[], NPSavedData *) {
  return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP, NPSavedData **) { return NPERR_NO_ERROR; }

NPError NPP_SetWindow(NPP, NPWindow *) { return NPERR_NO_ERROR; }

// Every stream is requested as a file only; the plug-in then never reads it.
NPError NPP_NewStream(NPP, NPMIMEType, NPStream *, NPBool, uint16_t *stype) {
  if (stype == nullptr) return NPERR_INVALID_PARAM;
  *stype = NP_ASFILEONLY;
  return NPERR_NO_ERROR;
}

NPError NPP_DestroyStream(NPP, NPStream *, NPReason) { return NPERR_NO_ERROR; }

void NPP_StreamAsFile(NPP, NPStream *, const char *) {}

// Ready for no data, and consumed none.
int32_t NPP_WriteReady(NPP, NPStream *) { return 0; }

int32_t NPP_Write(NPP, NPStream *, int32_t, int32_t, void *) { return 0; }

void NPP_Print(NPP, NPPrint *) {}

// Events are never handled.
int16_t NPP_HandleEvent(NPP, NPEvent *) { return 0; }

void NPP_URLNotify(NPP, const char *, NPReason, void *) {}

// Answers without setting anything: the browser keeps its own defaults.
NPError NPP_GetValue(NPP, NPPVariable, void *) { return NPERR_NO_ERROR; }

NPError NPP_SetValue(NPP, NPNVariable, void *) { return NPERR_NO_ERROR; }

// The browser declares in `size` how large the table it hands over is. One
// too small for every slot the plug-in fills is refused and left as it was.
bool holdsEverySlot(const NPPluginFuncs *funcs) { return funcs->size >= sizeof(NPPluginFuncs); }

void fillPluginFuncs(NPPluginFuncs *funcs) {
  funcs->size = sizeof(NPPluginFuncs);
  funcs->version = kInterfaceVersion;
  funcs->newp = NPP_New;
  funcs->destroy = NPP_Destroy;
  funcs->setwindow = NPP_SetWindow;
  funcs->newstream = NPP_NewStream;
  funcs->destroystream = NPP_DestroyStream;
  funcs->asfile = NPP_StreamAsFile;
  funcs->writeready = NPP_WriteReady;
  funcs->write = NPP_Write;
  funcs->print = NPP_Print;
  funcs->event = NPP_HandleEvent;
  funcs->urlnotify = NPP_URLNotify;
  funcs->javaClass = nullptr;
  funcs->getvalue = NPP_GetValue;
  funcs->setvalue = NPP_SetValue;
}

}  // namespace

// The browser's function table, kept from initialization on. Nothing calls
// through it. It has external (but hidden) linkage so that the store is kept
// and the symbol stays in the library's symbol table.
extern "C" NPNetscapeFuncs *browser;
NPNetscapeFuncs *browser = nullptr;

// A Unix browser passes its own table and the one to fill in the same call.
// A missing table, or a plug-in table too small for its slots, is refused and
// leaves the stored browser table as it was.
ZARO_PLUGIN_EXPORT NPError NP_Initialize(NPNetscapeFuncs *browserFuncs,
                                         NPPluginFuncs *pluginFuncs) {
  if (browserFuncs == nullptr || pluginFuncs == nullptr || !holdsEverySlot(pluginFuncs))
    return NPERR_INVALID_FUNCTABLE_ERROR;
  browser = browserFuncs;
  fillPluginFuncs(pluginFuncs);
  return NPERR_NO_ERROR;
}

ZARO_PLUGIN_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs *pluginFuncs) {
  if (pluginFuncs == nullptr || !holdsEverySlot(pluginFuncs)) return NPERR_INVALID_FUNCTABLE_ERROR;
  fillPluginFuncs(pluginFuncs);
  return NPERR_NO_ERROR;
}

// Nothing to release. The Unix loader reads a result, so there is one.
ZARO_PLUGIN_EXPORT NPError NP_Shutdown(void) { return NPERR_NO_ERROR; }

ZARO_PLUGIN_EXPORT const char *NP_GetMIMEDescription(void) { return kMimeDescription; }

// The name and description the browser lists; `value` receives a const char *.
ZARO_PLUGIN_EXPORT NPError NP_GetValue(void *, NPPVariable variable, void *value) {
  if (value == nullptr) return NPERR_INVALID_PARAM;
  switch (variable) {
    case NPPVpluginNameString:
      *static_cast<const char **>(value) = kPluginName;
      return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
      *static_cast<const char **>(value) = kPluginDescription;
      return NPERR_NO_ERROR;
    default:
      return NPERR_INVALID_PARAM;
  }
}
