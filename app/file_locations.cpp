#include "app/file_locations.h"

#include <cstdlib>
#include <filesystem>

#include "base/executable_path.h"
#include "base/utf8_path.h"

namespace fs = std::filesystem;

FileLocations LocateFiles(const std::string& executable, const EnvironmentLookup& environment) {
  const fs::path exe = PathOf(executable);
  const fs::path folder = exe.parent_path();
  FileLocations l;
  std::error_code error;
  const std::string besideSettings = (folder / (exe.stem().string() + ".Json")).string();
  if (LocateInstalled(exe, environment, l)) {
    if (fs::is_regular_file(PathOf(besideSettings), error)) l.seedSettingsFile = besideSettings;
    return l;
  }
  l.skinFolder = (folder / "skin").string();
  l.settingsFile = besideSettings;
  l.storageFolder = "storage";
  l.capturePath = "data.txt";
  return l;
}

FileLocations LocateFiles() {
  return LocateFiles(ExecutablePath(), [](const char* name) { return std::getenv(name); });
}

bool PrepareFileLocations(const FileLocations& l, std::string& error) {
  if (!l.installed) return true;
  std::error_code code;
  for (const fs::path& folder :
       {PathOf(l.settingsFile).parent_path(), PathOf(l.storageFolder).parent_path()}) {
    fs::create_directories(folder, code);
    if (code) {
      error = folder.string() + ": " + code.message();
      return false;
    }
  }
  if (!l.seedSettingsFile.empty() && !fs::exists(PathOf(l.settingsFile), code)) {
    fs::copy_file(PathOf(l.seedSettingsFile), PathOf(l.settingsFile),
                  code);  // a failed seed leaves defaults
  }
  return true;
}
