#include "orvane/program/plugin.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "orvane/lib/messages.h"
#include "orvane/lib/text.h"

namespace orvane {

namespace {

template <typename F>
F Symbol(void* library, const char* name) {
  return reinterpret_cast<F>(dlsym(library, name));
}

// The functions list: names separated by commas or blanks; "*" marks the keystroke handler.
std::string KeystrokeHandler(const WideChar* functions) {
  std::string list = functions ? Narrow(functions) : "";
  size_t star = list.find('*');
  if (star == std::string::npos) return "";
  size_t end = list.find_first_of(", \t", star);
  return list.substr(star + 1, end == std::string::npos ? std::string::npos : end - star - 1);
}

}  // namespace

bool LoadPlugin(const std::string& path, Plugin& plugin, std::string& error) {
  // A name without a slash would send dlopen to the system's library path: it is a file in
  // the current directory, as any other relative path is.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  plugin.library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (plugin.library == nullptr) {
    // dlerror names the file, then says what is wrong in the system's words.
    const char* text = dlerror();
    std::string why = text ? text : "it cannot be loaded";
    std::string named = file + ": ";
    error = why.compare(0, named.size(), named) == 0
                ? named + InMessageStyle(why.substr(named.size()))
                : "cannot load " + file + ": " + InMessageStyle(why);
    return false;
  }
  auto getInfo = Symbol<PluginInfo* (*)()>(plugin.library, "GetPluginInfo");
  plugin.initialize = Symbol<int (*)()>(plugin.library, "InitializePlugin");
  plugin.shutdown = Symbol<int (*)()>(plugin.library, "ShutdownPlugin");
  if (!getInfo || !plugin.initialize || !plugin.shutdown) {
    error = path + " is not a plug-in: it lacks GetPluginInfo, InitializePlugin or ShutdownPlugin";
    return false;
  }
  plugin.info = getInfo();
  if (plugin.info == nullptr) {
    error = path + " gave no descriptor";
    return false;
  }
  std::string handler = KeystrokeHandler(plugin.info->functions);
  if (!handler.empty()) {
    plugin.key = Symbol<int (*)(KeyInfo*)>(plugin.library, handler.c_str());
    if (plugin.key == nullptr) {
      error = path + " declares the keystroke handler " + handler + " but does not export it";
      return false;
    }
  }
  return true;
}

void UnloadPlugin(Plugin& plugin) {
  if (plugin.shutdown) plugin.shutdown();
  plugin = Plugin();
}

std::string DefaultPluginPath() {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "Sumbra.so";
  std::string dir(self, static_cast<size_t>(n));
  dir = dir.substr(0, dir.rfind('/'));
  for (const std::string& candidate : {dir + "/Sumbra.so", dir + "/../Sumbra.so",
                                       dir + "/" INSTALLED_PLUGIN_FROM_BIN "/Sumbra.so"}) {
    char resolved[PATH_MAX];
    if (realpath(candidate.c_str(), resolved) && access(resolved, R_OK) == 0) return resolved;
  }
  return dir + "/Sumbra.so";
}

const char16_t* KeyName(KeyId id) {
  switch (id) {
    case KeyId::kEnter:
      return u"Enter";
    case KeyId::kBackspace:
      return u"Backspace";
    case KeyId::kDelete:
      return u"Del";
    case KeyId::kEscape:
      return u"Esc";
    case KeyId::kLeft:
      return u"Left";
    case KeyId::kRight:
      return u"Right";
    case KeyId::kUp:
      return u"Up";
    case KeyId::kDown:
      return u"Down";
    case KeyId::kHome:
      return u"Home";
    case KeyId::kEnd:
      return u"End";
    case KeyId::kWordLeft:
      return u"Ctrl-Left";
    case KeyId::kWordRight:
      return u"Ctrl-Right";
    case KeyId::kAltB:
      return u"Alt-B";
    case KeyId::kAltF:
      return u"Alt-F";
    case KeyId::kAltBackspace:
      return u"Alt-Backspace";
    case KeyId::kUnknown:
      return u"Unknown";
    default:
      return nullptr;  // characters and control codes
  }
}

}  // namespace orvane
