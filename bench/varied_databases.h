#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "store/record_db.h"
#include "tests/support/varied_records.h"

// The benches' realistic databases, built once and kept in the temporary
// folder for later runs: every second record ticked, every thirtieth uploaded.
inline const std::filesystem::path& VariedDatabasesRoot() {
  static const std::filesystem::path root =
      std::filesystem::temp_directory_path() / "residue_scale_bench";
  return root;
}

inline std::filesystem::path VariedDatabase(int records) {
  namespace fs = std::filesystem;
  const fs::path folder = VariedDatabasesRoot() / ("db-" + std::to_string(records));
  if (fs::exists(folder / "complete")) return folder;
  fs::remove_all(folder);
  fs::create_directories(VariedDatabasesRoot());
  std::fprintf(stderr, "building a database of %d records ...\n", records);
  {
    RecordDb db(folder.string());
    VariedRecords().Store(db, records);
  }
  // Opened once more, as the program's next start would: the log of the
  // writes becomes a table, so every measured start finds a settled database.
  { RecordDb settle(folder.string()); }
  std::FILE* done = std::fopen((folder / "complete").c_str(), "w");
  if (done) std::fclose(done);
  return folder;
}
