#include "app/file_locations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/support/temp_dir.h"

namespace {

class FileLocationsTest : public TempDirTest {};

// The layout decides: a skin beside the executable is portable use; a skin
// under ../share/residue-station only is installed use, with the XDG folders.
TEST_F(FileLocationsTest, TheLayoutAroundTheExecutableDecidesWhereFilesLive) {
  namespace fs = std::filesystem;
  fs::create_directories(Path("portable/skin"));
  fs::create_directories(Path("usr/bin"));
  fs::create_directories(Path("usr/share/residue-station/skin"));
  fs::create_directories(Path("bare"));
  struct Case {
    std::string exe;
    std::map<std::string, std::string> env;
    bool installed;
    std::string skin, settings, storage, capture;
  } cases[] = {
      {Path("portable/residue-station"),
       {{"HOME", "/home/op"}},
       false,
       Path("portable/skin"),
       Path("portable/residue-station.Json"),
       "storage",
       "data.txt"},
      {Path("usr/bin/residue-station"),
       {{"HOME", "/home/op"}},
       true,
       Path("usr/share/residue-station/skin"),
       "/home/op/.config/residue-station/residue-station.Json",
       "/home/op/.local/share/residue-station/storage",
       "/home/op/.local/share/residue-station/data.txt"},
      {Path("usr/bin/residue-station"),
       {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data"}},
       true,
       Path("usr/share/residue-station/skin"),
       "/cfg/residue-station/residue-station.Json",
       "/data/residue-station/storage",
       "/data/residue-station/data.txt"},
      // A relative XDG value is ignored, as the XDG rules say.
      {Path("usr/bin/residue-station"),
       {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "cfg"}},
       true,
       Path("usr/share/residue-station/skin"),
       "/home/op/.config/residue-station/residue-station.Json",
       "/home/op/.local/share/residue-station/storage",
       "/home/op/.local/share/residue-station/data.txt"},
      // No skin anywhere: portable, so the missing skin is reported beside the executable.
      {Path("bare/residue-station"),
       {},
       false,
       Path("bare/skin"),
       Path("bare/residue-station.Json"),
       "storage",
       "data.txt"},
  };
  for (const Case& c : cases) {
    const FileLocations l = LocateFiles(c.exe, [&](const char* name) -> const char* {
      auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(l.installed, c.installed) << c.exe;
    EXPECT_EQ(l.skinFolder, c.skin);
    EXPECT_EQ(l.settingsFile, c.settings);
    EXPECT_EQ(l.storageFolder, c.storage);
    EXPECT_EQ(l.capturePath, c.capture);
  }
}

TEST_F(FileLocationsTest, InstalledUseMakesItsFoldersAndSeedsTheSettingsOnce) {
  namespace fs = std::filesystem;
  fs::create_directories(Path("usr/bin"));
  fs::create_directories(Path("usr/share/residue-station/skin"));
  std::ofstream(Path("usr/bin/residue-station.Json")) << "{\"serv_host\": \"site\"}";
  const std::string home = Path("home");
  auto env = [&](const char* name) -> const char* {
    return std::string(name) == "HOME" ? home.c_str() : nullptr;
  };
  const FileLocations l = LocateFiles(Path("usr/bin/residue-station"), env);
  ASSERT_EQ(l.seedSettingsFile, Path("usr/bin/residue-station.Json"));
  std::string error;
  ASSERT_TRUE(PrepareFileLocations(l, error)) << error;
  EXPECT_TRUE(fs::is_directory(home + "/.local/share/residue-station"));
  std::ifstream seeded(l.settingsFile);
  std::string text((std::istreambuf_iterator<char>(seeded)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "{\"serv_host\": \"site\"}");
  std::ofstream(l.settingsFile) << "{\"serv_host\": \"mine\"}";
  ASSERT_TRUE(PrepareFileLocations(l, error));
  std::ifstream kept(l.settingsFile);
  std::string after((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, "{\"serv_host\": \"mine\"}") << "the user's own settings are never replaced";
}

}  // namespace
