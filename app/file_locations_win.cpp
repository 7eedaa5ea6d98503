#include "app/file_locations.h"
#include "base/utf8_path.h"

namespace fs = std::filesystem;

// The installer leaves "installed.txt" beside the executable; a folder
// unpacked from the portable archive has none and keeps its files beside it.
bool LocateInstalled(const fs::path& executable, const EnvironmentLookup& environment,
                     FileLocations& l) {
  const fs::path folder = executable.parent_path();
  std::error_code error;
  if (!fs::is_regular_file(folder / "installed.txt", error)) return false;
  const char* roaming = environment("APPDATA");
  const char* local = environment("LOCALAPPDATA");
  if (!roaming || !*roaming || !local || !*local) return false;
  l.installed = true;
  l.skinFolder = (folder / "skin").string();
  const fs::path config = PathOf(roaming) / "Residue Station";
  const fs::path data = PathOf(local) / "Residue Station";
  l.settingsFile = (config / "residue-station.Json").string();
  l.storageFolder = (data / "storage").string();
  l.capturePath = (data / "data.txt").string();
  return true;
}
