#include "platform/desktop/DesktopRights.h"

#include <fontconfig/fontconfig.h>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>

#include <string>

#include "platform/linux/LoadedObjects.h"
#include "platform/process/Environment.h"

namespace quimbo::desktop {

namespace {

// X11's and XKB's data: the compose tables and keymaps input is read with.
constexpr const char* kX11Data = "/usr/share/X11";
// The dynamic loader's cache, read as a plugin's libraries are loaded.
constexpr const char* kLoaderCache = "/etc/ld.so.cache";

void addPaths(std::vector<std::filesystem::path>& paths, const QStringList& more) {
  for (const QString& path : more) paths.emplace_back(path.toStdString());
}

// Fontconfig's font folders and caches, as the configuration Qt took names
// them: the user's own among them. Its configuration files were read as it
// started, and Qt does not have them read again.
void addFontconfig(std::vector<std::filesystem::path>& paths) {
  FcConfig* config = FcConfigGetCurrent();
  for (FcStrList* list : {FcConfigGetFontDirs(config), FcConfigGetCacheDirs(config)}) {
    while (const FcChar8* path = FcStrListNext(list)) {
      paths.emplace_back(reinterpret_cast<const char*>(path));
    }
    FcStrListDone(list);
  }
}

// Where cursor themes are looked for (libXcursor's and Wayland's path):
// XCURSOR_PATH where it is set, else the icon folders of the XDG data
// folders, ~/.icons and /usr/share/pixmaps.
void addCursors(std::vector<std::filesystem::path>& paths) {
  if (const auto set = environmentValue("XCURSOR_PATH")) {
    const QString home = QDir::homePath();
    for (QString folder : QString::fromLocal8Bit(*set).split(u':', Qt::SkipEmptyParts)) {
      if (folder.startsWith(u'~')) folder.replace(0, 1, home);
      paths.emplace_back(folder.toStdString());
    }
    return;
  }
  addPaths(paths, QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons",
                                            QStandardPaths::LocateDirectory));
  paths.emplace_back(QDir::homePath().toStdString() + "/.icons");
  paths.emplace_back("/usr/share/pixmaps");
}

}  // namespace

Rights desktopRights(const std::optional<Bundle>& bundle) {
  Rights rights;
  if (bundle) rights.read.push_back(bundle->resourcePath());
  addPaths(rights.read, QCoreApplication::libraryPaths());
  addPaths(rights.read, QIcon::themeSearchPaths());
  addFontconfig(rights.read);
  addCursors(rights.read);
  rights.read.emplace_back(kX11Data);
  // Plugins loaded later and their libraries, from the folders of those
  // loaded: on Wayland the shell integration comes with the first window,
  // which the panel may be. The graphics integration with it finds no EGL
  // driver once confined, and Qt draws the widgets in shared memory, as it
  // does anyway.
  for (const std::filesystem::path& object : loadedObjects()) {
    rights.read.push_back(object.parent_path());
  }
  rights.read.emplace_back(kLoaderCache);
  return rights;
}

}  // namespace quimbo::desktop
