#include "app/file_locations.h"

#include <cstdlib>
#include <filesystem>

#include "base/executable_path.h"

namespace fs = std::filesystem;

namespace {

std::string FromEnvironment(const EnvironmentLookup& environment, const char* name,
                            const char* homeRelative) {
  const char* value = environment(name);
  if (value && *value == '/') return value;  // the XDG rules ignore relative values
  const char* home = environment("HOME");
  return std::string(home && *home ? home : "/tmp") + "/" + homeRelative;
}

}  // namespace

FileLocations LocateFiles(const std::string& executable, const EnvironmentLookup& environment) {
  const fs::path exe(executable);
  const fs::path folder = exe.parent_path();
  FileLocations l;
  std::error_code error;
  const fs::path beside = folder / "skin";
  const fs::path shared = folder / ".." / "share" / "residue-station" / "skin";
  l.installed = !fs::is_directory(beside, error) && fs::is_directory(shared, error);
  const std::string besideSettings = (folder / (exe.stem().string() + ".Json")).string();
  if (!l.installed) {
    l.skinFolder = beside.string();
    l.settingsFile = besideSettings;
    l.storageFolder = "storage";
    l.capturePath = "data.txt";
    return l;
  }
  l.skinFolder = fs::path(shared).lexically_normal().string();
  const fs::path config =
      fs::path(FromEnvironment(environment, "XDG_CONFIG_HOME", ".config")) / "residue-station";
  const fs::path data =
      fs::path(FromEnvironment(environment, "XDG_DATA_HOME", ".local/share")) / "residue-station";
  l.settingsFile = (config / "residue-station.Json").string();
  l.storageFolder = (data / "storage").string();
  l.capturePath = (data / "data.txt").string();
  if (fs::is_regular_file(besideSettings, error)) l.seedSettingsFile = besideSettings;
  return l;
}

FileLocations LocateFiles() {
  return LocateFiles(ExecutablePath(), [](const char* name) { return std::getenv(name); });
}

bool PrepareFileLocations(const FileLocations& l, std::string& error) {
  if (!l.installed) return true;
  std::error_code code;
  for (const fs::path& folder :
       {fs::path(l.settingsFile).parent_path(), fs::path(l.storageFolder).parent_path()}) {
    fs::create_directories(folder, code);
    if (code) {
      error = folder.string() + ": " + code.message();
      return false;
    }
  }
  if (!l.seedSettingsFile.empty() && !fs::exists(l.settingsFile, code)) {
    fs::copy_file(l.seedSettingsFile, l.settingsFile, code);  // a failed seed leaves defaults
  }
  return true;
}
