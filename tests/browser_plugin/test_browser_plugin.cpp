// The presence plug-in as a browser sees it: the built library is opened with
// dlopen and driven only through the symbols it exports.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "NPInterface.h"

namespace {

const char *const kPluginPath = ZARO_BROWSER_PLUGIN_FILE;

struct EntryPoints {
  NP_InitializeFunc initialize = nullptr;
  NP_GetEntryPointsFunc getEntryPoints = nullptr;
  NP_ShutdownFunc shutdown = nullptr;
  NP_GetMIMEDescriptionFunc getMIMEDescription = nullptr;
  NP_GetValueFunc getValue = nullptr;
};

// Symbol name -> value, from `nm` over the library file (dynamic table or the
// full symbol table).
std::map<std::string, std::uintptr_t> symbols(bool dynamicOnly) {
  QStringList arguments{"--defined-only"};
  if (dynamicOnly) arguments << "-D";
  arguments << QString::fromLocal8Bit(kPluginPath);
  QProcess nm;
  nm.start(ZARO_NM, arguments);
  std::map<std::string, std::uintptr_t> result;
  if (!nm.waitForFinished(30000) || nm.exitCode() != 0) {
    ADD_FAILURE() << "nm failed: " << nm.readAllStandardError().toStdString();
    return result;
  }
  for (const QString &line : QString::fromLocal8Bit(nm.readAllStandardOutput()).split('\n')) {
    const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
    if (fields.size() != 3) continue;
    result[fields[2].toStdString()] = fields[0].toULongLong(nullptr, 16);
  }
  return result;
}

class BrowserPlugin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    handle = dlopen(kPluginPath, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    entry.initialize = reinterpret_cast<NP_InitializeFunc>(dlsym(handle, "NP_Initialize"));
    entry.getEntryPoints =
        reinterpret_cast<NP_GetEntryPointsFunc>(dlsym(handle, "NP_GetEntryPoints"));
    entry.shutdown = reinterpret_cast<NP_ShutdownFunc>(dlsym(handle, "NP_Shutdown"));
    entry.getMIMEDescription =
        reinterpret_cast<NP_GetMIMEDescriptionFunc>(dlsym(handle, "NP_GetMIMEDescription"));
    entry.getValue = reinterpret_cast<NP_GetValueFunc>(dlsym(handle, "NP_GetValue"));
  }
  static void TearDownTestSuite() {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(entry.initialize, nullptr);
    ASSERT_NE(entry.getEntryPoints, nullptr);
    ASSERT_NE(entry.shutdown, nullptr);
    ASSERT_NE(entry.getMIMEDescription, nullptr);
    ASSERT_NE(entry.getValue, nullptr);
  }

  // Tables start as this garbage (padding included, so filled tables compare
  // byte for byte).
  static constexpr int kGarbage = 0xA5;

  // A plug-in table filled by NP_GetEntryPoints.
  static NPPluginFuncs filledTable() {
    NPPluginFuncs funcs;
    std::memset(&funcs, kGarbage, sizeof funcs);
    EXPECT_EQ(entry.getEntryPoints(&funcs), NPERR_NO_ERROR);
    return funcs;
  }

  // The library's hidden `browser` global, located through the full symbol
  // table relative to an exported function; null when the file is stripped.
  static NPNetscapeFuncs **storedBrowser() {
    const auto table = symbols(false);
    const auto stored = table.find("browser");
    const auto anchor = table.find("NP_Initialize");
    if (stored == table.end() || anchor == table.end()) return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(entry.initialize) - anchor->second;
    return reinterpret_cast<NPNetscapeFuncs **>(base + stored->second);
  }

  static void *handle;
  static EntryPoints entry;
};

void *BrowserPlugin::handle = nullptr;
EntryPoints BrowserPlugin::entry;

TEST_F(BrowserPlugin, ExportsOnlyTheEntryPoints) {
  std::set<std::string> exported;
  for (const auto &[name, value] : symbols(true)) exported.insert(name);
  EXPECT_EQ(exported, (std::set<std::string>{"NP_GetEntryPoints", "NP_GetMIMEDescription",
                                             "NP_GetValue", "NP_Initialize", "NP_Shutdown"}));
  for (const char *internal : {"browser", "NPP_New", "NPP_NewStream", "NPP_GetValue"})
    EXPECT_EQ(dlsym(handle, internal), nullptr) << internal;
}

TEST_F(BrowserPlugin, InitializeKeepsTheBrowserTableAndFillsThePluginTable) {
  NPNetscapeFuncs **stored = storedBrowser();
  if (stored == nullptr) GTEST_SKIP() << "no symbol table in " << kPluginPath;

  NPNetscapeFuncs first{sizeof(NPNetscapeFuncs), 11};
  NPNetscapeFuncs second{sizeof(NPNetscapeFuncs), 27};
  NPPluginFuncs funcs;
  std::memset(&funcs, kGarbage, sizeof funcs);
  EXPECT_EQ(entry.initialize(&first, &funcs), NPERR_NO_ERROR);
  EXPECT_EQ(*stored, &first);
  // The Unix loader takes the plug-in's functions from this call.
  const NPPluginFuncs expected = filledTable();
  EXPECT_EQ(std::memcmp(&funcs, &expected, sizeof funcs), 0);
  // The browser's table is kept, not read or changed.
  EXPECT_EQ(first.size, sizeof(NPNetscapeFuncs));
  EXPECT_EQ(first.version, 11);

  EXPECT_EQ(entry.initialize(&second, &funcs), NPERR_NO_ERROR);
  EXPECT_EQ(*stored, &second);

  // A refused call leaves the stored table as it was.
  EXPECT_EQ(entry.initialize(nullptr, &funcs), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(entry.initialize(&first, nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(*stored, &second);
  EXPECT_EQ(entry.shutdown(), NPERR_NO_ERROR);
}

TEST_F(BrowserPlugin, EntryPointsFillEverySlot) {
  const NPPluginFuncs funcs = filledTable();
  EXPECT_EQ(funcs.size, sizeof(NPPluginFuncs));
  EXPECT_EQ(funcs.version, (0 << 8) | 11);
  EXPECT_EQ(funcs.javaClass, nullptr);
  const std::vector<std::pair<const char *, const void *>> entries{
      {"newp", reinterpret_cast<const void *>(funcs.newp)},
      {"destroy", reinterpret_cast<const void *>(funcs.destroy)},
      {"setwindow", reinterpret_cast<const void *>(funcs.setwindow)},
      {"newstream", reinterpret_cast<const void *>(funcs.newstream)},
      {"destroystream", reinterpret_cast<const void *>(funcs.destroystream)},
      {"asfile", reinterpret_cast<const void *>(funcs.asfile)},
      {"writeready", reinterpret_cast<const void *>(funcs.writeready)},
      {"write", reinterpret_cast<const void *>(funcs.write)},
      {"print", reinterpret_cast<const void *>(funcs.print)},
      {"event", reinterpret_cast<const void *>(funcs.event)},
      {"urlnotify", reinterpret_cast<const void *>(funcs.urlnotify)},
      {"getvalue", reinterpret_cast<const void *>(funcs.getvalue)},
      {"setvalue", reinterpret_cast<const void *>(funcs.setvalue)},
  };
  // Every slot is set and points into the plug-in library itself.
  Dl_info library{};
  ASSERT_NE(dladdr(reinterpret_cast<const void *>(entry.initialize), &library), 0);
  for (const auto &[name, function] : entries) {
    Dl_info info{};
    ASSERT_NE(function, nullptr) << name;
    ASSERT_NE(dladdr(function, &info), 0) << name;
    EXPECT_EQ(info.dli_fbase, library.dli_fbase) << name;
  }
}

// A browser declares how large the table it hands over is. One that holds
// every slot (a newer browser's may be larger) is filled up to the plug-in's
// own table and no further; a smaller one is refused with the invalid-table
// error and left as it was, and the browser's table is not kept.
TEST_F(BrowserPlugin, TablesAreFilledOnlyWithinTheirDeclaredSize) {
  NPNetscapeFuncs **stored = storedBrowser();
  constexpr size_t kSpace = sizeof(NPPluginFuncs) + 64;
  const NPPluginFuncs expected = filledTable();
  const struct {
    const char *name;
    size_t declared;
    bool filled;
  } cases[] = {
      {"the plug-in's own size", sizeof(NPPluginFuncs), true},
      {"a newer browser's larger table", kSpace, true},
      {"one slot short", offsetof(NPPluginFuncs, setvalue), false},
      {"an older table without the value calls", offsetof(NPPluginFuncs, getvalue), false},
      {"only size and version", offsetof(NPPluginFuncs, newp), false},
      {"nothing", 0, false},
  };
  for (const bool viaInitialize : {true, false}) {
    for (const auto &c : cases) {
      SCOPED_TRACE(std::string(viaInitialize ? "NP_Initialize: " : "NP_GetEntryPoints: ") + c.name);
      alignas(NPPluginFuncs) unsigned char space[kSpace];
      std::memset(space, kGarbage, sizeof space);
      const uint16_t declared = uint16_t(c.declared);
      std::memcpy(space, &declared, sizeof declared);
      unsigned char before[kSpace];
      std::memcpy(before, space, sizeof space);
      auto *table = reinterpret_cast<NPPluginFuncs *>(space);

      NPNetscapeFuncs browserFuncs{sizeof(NPNetscapeFuncs), 11};
      NPNetscapeFuncs kept{sizeof(NPNetscapeFuncs), 11};
      NPPluginFuncs full = expected;  // declares the plug-in's own size
      if (viaInitialize) {
        ASSERT_EQ(entry.initialize(&kept, &full), NPERR_NO_ERROR);
      }
      const NPError answer =
          viaInitialize ? entry.initialize(&browserFuncs, table) : entry.getEntryPoints(table);
      if (c.filled) {
        EXPECT_EQ(answer, NPERR_NO_ERROR);
        EXPECT_EQ(std::memcmp(space, &expected, sizeof expected), 0);
        if (viaInitialize && stored) {
          EXPECT_EQ(*stored, &browserFuncs);
        }
      } else {
        EXPECT_EQ(answer, NPERR_INVALID_FUNCTABLE_ERROR);
        EXPECT_EQ(std::memcmp(space, before, sizeof expected), 0) << "a refused table is changed";
        if (viaInitialize && stored) {
          EXPECT_EQ(*stored, &kept);
        }
      }
      // Nothing past the plug-in's own table is ever written.
      EXPECT_EQ(
          std::memcmp(space + sizeof expected, before + sizeof expected, kSpace - sizeof expected),
          0);
    }
  }
}

// Every instance call succeeds, answers "nothing" where it answers a count or a
// flag, and leaves the instance, the stream and every out-argument untouched.
TEST_F(BrowserPlugin, InstanceCallsDoNothingAndAnswerZero) {
  const NPPluginFuncs f = filledTable();
  int instanceData = 0;
  NPP_t instance{&instanceData, nullptr};
  NPStream stream{};
  stream.url = "http://127.0.0.1/video.mov";
  stream.end = 4096;
  const NPStream streamBefore = stream;
  char mime[] = "application/x-zaro-player";
  char name[] = "src";
  char value[] = "video.mov";
  char *argn[] = {name};
  char *argv[] = {value};
  NPSavedData saved{0, nullptr};
  NPSavedData *save = &saved;
  NPWindow window{};
  NPPrint print{};
  char buffer[64] = "bytes the plug-in must not read";
  void *const sentinel = &instanceData;
  void *out = sentinel;
  int event = 0;

  struct Call {
    const char *name;
    std::function<long()> call;  // the answer; calls without one answer 0 here
  };
  const Call calls[] = {
      {"NPP_New", [&] { return long{f.newp(mime, &instance, NP_EMBED, 1, argn, argv, &saved)}; }},
      {"NPP_SetWindow", [&] { return long{f.setwindow(&instance, &window)}; }},
      {"NPP_SetWindow(null)", [&] { return long{f.setwindow(&instance, nullptr)}; }},
      {"NPP_DestroyStream", [&] { return long{f.destroystream(&instance, &stream, NPRES_DONE)}; }},
      {"NPP_StreamAsFile",
       [&] {
         f.asfile(&instance, &stream, "/tmp/zaro-plugin-stream");
         return 0L;
       }},
      {"NPP_WriteReady", [&] { return long{f.writeready(&instance, &stream)}; }},
      {"NPP_Write", [&] { return long{f.write(&instance, &stream, 0, sizeof buffer, buffer)}; }},
      {"NPP_Print",
       [&] {
         f.print(&instance, &print);
         return 0L;
       }},
      {"NPP_HandleEvent", [&] { return long{f.event(&instance, &event)}; }},
      {"NPP_URLNotify",
       [&] {
         f.urlnotify(&instance, "http://127.0.0.1/", NPRES_NETWORK_ERR, nullptr);
         return 0L;
       }},
      {"NPP_GetValue(needs XEmbed)",
       [&] { return long{f.getvalue(&instance, NPPVpluginNeedsXEmbed, &out)}; }},
      {"NPP_GetValue(name)",
       [&] { return long{f.getvalue(&instance, NPPVpluginNameString, &out)}; }},
      {"NPP_GetValue(unlisted)",
       [&] { return long{f.getvalue(&instance, static_cast<NPPVariable>(1000), &out)}; }},
      {"NPP_SetValue", [&] { return long{f.setvalue(&instance, NPNVisOfflineBool, &out)}; }},
      {"NPP_Destroy", [&] { return long{f.destroy(&instance, &save)}; }},
  };
  for (const Call &c : calls) {
    EXPECT_EQ(c.call(), 0) << c.name;
    EXPECT_EQ(instance.pdata, &instanceData) << c.name;
    EXPECT_EQ(instance.ndata, nullptr) << c.name;
    EXPECT_EQ(std::memcmp(&stream, &streamBefore, sizeof stream), 0) << c.name;
    EXPECT_EQ(out, sentinel) << c.name;
    EXPECT_EQ(save, &saved) << c.name;
  }
}

TEST_F(BrowserPlugin, StreamsAreRequestedAsFileOnlyAndNeverRead) {
  const NPPluginFuncs f = filledTable();
  NPP_t instance{nullptr, nullptr};
  char mime[] = "video/quicktime";
  for (uint16_t offered : {uint16_t{NP_NORMAL}, uint16_t{NP_SEEK}, uint16_t{NP_ASFILE}}) {
    for (NPBool seekable : {NPBool{0}, NPBool{1}}) {
      NPStream stream{};
      uint16_t stype = offered;
      EXPECT_EQ(f.newstream(&instance, mime, &stream, seekable, &stype), NPERR_NO_ERROR);
      EXPECT_EQ(stype, NP_ASFILEONLY) << "offered " << offered << " seekable " << int{seekable};
      EXPECT_EQ(stream.pdata, nullptr);
      EXPECT_EQ(f.writeready(&instance, &stream), 0);
    }
  }
}

TEST_F(BrowserPlugin, LoaderAsksNameDescriptionAndMimeTypes) {
  struct Case {
    NPPVariable variable;
    NPError answer;
    const char *text;  // null: the value is left untouched
  };
  const Case cases[] = {
      {NPPVpluginNameString, NPERR_NO_ERROR, "Zaro Player"},
      {NPPVpluginDescriptionString, NPERR_NO_ERROR,
       "Lets the Zaro video service's web pages see that Zaro Player is installed."},
      {NPPVpluginNeedsXEmbed, NPERR_INVALID_PARAM, nullptr},
      {NPPVpluginScriptableNPObject, NPERR_INVALID_PARAM, nullptr},
      // Numbers this plug-in does not know, as newer browsers send them.
      {static_cast<NPPVariable>(0), NPERR_INVALID_PARAM, nullptr},
      {static_cast<NPPVariable>(18), NPERR_INVALID_PARAM, nullptr},
      {static_cast<NPPVariable>(1000), NPERR_INVALID_PARAM, nullptr},
      {static_cast<NPPVariable>(0x10000000 | 10), NPERR_INVALID_PARAM, nullptr},
      {static_cast<NPPVariable>(-1), NPERR_INVALID_PARAM, nullptr},
  };
  const char *const untouched = "untouched";
  for (const Case &c : cases) {
    const char *value = untouched;
    EXPECT_EQ(entry.getValue(nullptr, c.variable, &value), c.answer) << c.variable;
    EXPECT_STREQ(value, c.text != nullptr ? c.text : untouched) << c.variable;
  }

  // "type:extensions:description", one entry.
  const std::string mime = entry.getMIMEDescription();
  EXPECT_EQ(mime, "application/x-zaro-player::Zaro Player presence");
}

// Bad input from a browser is refused with an error instead of a crash.
TEST_F(BrowserPlugin, MissingPointersAreRefused) {
  const NPPluginFuncs f = filledTable();
  NPNetscapeFuncs browserFuncs{sizeof(NPNetscapeFuncs), 11};
  NPPluginFuncs untouched;
  std::memset(&untouched, 0x5A, sizeof untouched);
  NPPluginFuncs funcs = untouched;
  NPP_t instance{nullptr, nullptr};
  NPStream stream{};
  char mime[] = "video/mp4";

  struct Case {
    const char *name;
    std::function<NPError()> call;
    NPError answer;
  };
  const Case cases[] = {
      {"NP_Initialize(null browser table)", [&] { return entry.initialize(nullptr, &funcs); },
       NPERR_INVALID_FUNCTABLE_ERROR},
      {"NP_Initialize(null plug-in table)",
       [&] { return entry.initialize(&browserFuncs, nullptr); }, NPERR_INVALID_FUNCTABLE_ERROR},
      {"NP_Initialize(both null)", [&] { return entry.initialize(nullptr, nullptr); },
       NPERR_INVALID_FUNCTABLE_ERROR},
      {"NP_GetEntryPoints(null)", [&] { return entry.getEntryPoints(nullptr); },
       NPERR_INVALID_FUNCTABLE_ERROR},
      {"NP_GetValue(null value)",
       [&] { return entry.getValue(nullptr, NPPVpluginNameString, nullptr); }, NPERR_INVALID_PARAM},
      {"NPP_NewStream(null stream type)",
       [&] { return f.newstream(&instance, mime, &stream, 0, nullptr); }, NPERR_INVALID_PARAM},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.call(), c.answer) << c.name;
    EXPECT_EQ(std::memcmp(&funcs, &untouched, sizeof funcs), 0) << c.name;
  }
}

}  // namespace
