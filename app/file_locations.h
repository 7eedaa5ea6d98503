#pragma once

#include <filesystem>
#include <functional>
#include <string>

// Where the program's files live; the window and residue-tool ask this one
// place. The layout around the executable decides, never permissions:
//  - portable (a "skin" folder beside the executable): the settings file
//    beside the executable, "storage" and "data.txt" in the current folder;
//  - installed on Linux (no skin beside it, but ../share/residue-station/skin):
//    the settings in $XDG_CONFIG_HOME/residue-station/residue-station.Json,
//    the database and the capture file in $XDG_DATA_HOME/residue-station,
//    whatever the current folder (the XDG defaults are ~/.config and
//    ~/.local/share);
//  - installed on Windows (the installer's mark "installed.txt" beside the
//    executable and its skin): the settings in %APPDATA%\Residue Station,
//    the database and the capture file in %LOCALAPPDATA%\Residue Station.
struct FileLocations {
  bool installed = false;
  std::string skinFolder;
  std::string settingsFile;
  std::string storageFolder;
  std::string capturePath;
  // Installed use: a settings file beside the executable, copied into place
  // when the user has none yet; empty otherwise.
  std::string seedSettingsFile;
};

using EnvironmentLookup = std::function<const char*(const char* name)>;

// Installed use on this system: true, with the skin folder, the settings file,
// the storage folder and the capture path filled in, when the layout around
// the executable is an installation's. Per platform (file_locations_posix.cpp,
// file_locations_win.cpp).
bool LocateInstalled(const std::filesystem::path& executable, const EnvironmentLookup& environment,
                     FileLocations& locations);

// The locations for an executable at `executable`, with environment variables
// from `environment`.
FileLocations LocateFiles(const std::string& executable, const EnvironmentLookup& environment);
// The locations of this process.
FileLocations LocateFiles();

// Makes the folders of installed use and seeds the settings file; nothing in
// portable use. False, with the reason, when a folder cannot be made.
bool PrepareFileLocations(const FileLocations& locations, std::string& error);
