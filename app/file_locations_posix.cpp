#include "app/file_locations.h"
#include "base/utf8_path.h"

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

bool LocateInstalled(const fs::path& executable, const EnvironmentLookup& environment,
                     FileLocations& l) {
  const fs::path folder = executable.parent_path();
  std::error_code error;
  const fs::path shared = folder / ".." / "share" / "residue-station" / "skin";
  if (fs::is_directory(folder / "skin", error) || !fs::is_directory(shared, error)) return false;
  l.installed = true;
  l.skinFolder = fs::path(shared).lexically_normal().string();
  const fs::path config =
      PathOf(FromEnvironment(environment, "XDG_CONFIG_HOME", ".config")) / "residue-station";
  const fs::path data =
      PathOf(FromEnvironment(environment, "XDG_DATA_HOME", ".local/share")) / "residue-station";
  l.settingsFile = (config / "residue-station.Json").string();
  l.storageFolder = (data / "storage").string();
  l.capturePath = (data / "data.txt").string();
  return true;
}
