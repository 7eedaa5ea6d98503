// Where the Windows program keeps its files: beside itself when unpacked
// from the portable archive, in the user's folders when the installer put it
// there (its mark beside the executable).
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/file_locations.h"
#include "tests/support/temp_dir.h"

namespace {

class WindowsLocationsTest : public TempDirTest {};

TEST_F(WindowsLocationsTest, TheInstallersMarkDecidesWhereFilesLive) {
  namespace fs = std::filesystem;
  const fs::path program = dir_ / "Residue Station";
  fs::create_directories(program / "skin");
  const std::string exe = (program / "residue-station.exe").string();
  std::map<std::string, std::string> variables = {
      {"APPDATA", "C:\\Users\\op\\AppData\\Roaming"},
      {"LOCALAPPDATA", "C:\\Users\\op\\AppData\\Local"}};
  const EnvironmentLookup environment = [&](const char* name) -> const char* {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  };

  FileLocations l = LocateFiles(exe, environment);
  EXPECT_FALSE(l.installed);
  EXPECT_EQ(l.settingsFile, (program / "residue-station.Json").string());
  EXPECT_EQ(l.storageFolder, "storage");

  std::ofstream(program / "installed.txt") << "installer\n";
  std::ofstream(program / "residue-station.Json") << "{}";
  l = LocateFiles(exe, environment);
  EXPECT_TRUE(l.installed);
  EXPECT_EQ(l.skinFolder, (program / "skin").string());
  EXPECT_EQ(l.settingsFile,
            "C:\\Users\\op\\AppData\\Roaming\\Residue Station\\residue-station.Json");
  EXPECT_EQ(l.storageFolder, "C:\\Users\\op\\AppData\\Local\\Residue Station\\storage");
  EXPECT_EQ(l.capturePath, "C:\\Users\\op\\AppData\\Local\\Residue Station\\data.txt");
  EXPECT_EQ(l.seedSettingsFile, (program / "residue-station.Json").string());

  // Without the user's folders in the environment it stays portable.
  variables.erase("LOCALAPPDATA");
  EXPECT_FALSE(LocateFiles(exe, environment).installed);
}

}  // namespace
