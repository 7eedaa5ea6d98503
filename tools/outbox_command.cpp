#include "tools/outbox_command.h"

#include <filesystem>
#include <memory>
#include <ostream>

#include "app/file_locations.h"
#include "base/file_io.h"
#include "base/utf8_path.h"
#include "store/outbox.h"
#include "tools/tool_input.h"

namespace {

namespace fs = std::filesystem;

// The queue's folder copied (without its lock) into a fresh temporary folder;
// empty, with the reason, when a file of it cannot be read.
std::string CopyOfFolder(const std::string& folder, std::string& made, std::string& problem) {
  made = MakeTemporaryFolder("residue-outbox.");
  if (made.empty()) {
    problem = "cannot make a temporary folder";
    return std::string();
  }
  std::error_code e;
  for (const auto& entry : fs::directory_iterator(PathOf(folder), e)) {
    if (entry.path().filename() == "LOCK") continue;
    if (!fs::copy_file(entry.path(), PathOf(made) / entry.path().filename(), e)) {
      problem = entry.path().string() + ": " + e.message();
      return std::string();
    }
  }
  if (e) problem = folder + ": " + e.message();
  return e ? std::string() : made;
}

}  // namespace

int RunOutboxCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  if (missing || !args.empty()) {
    err << "usage: residue-tool outbox [--storage DIR]\n";
    return 2;
  }
  if (folder.empty()) folder = LocateFiles().storageFolder;
  const std::string queueFolder = Outbox::FolderFor(folder);
  if (!fs::is_directory(PathOf(queueFolder))) {
    out << "queued 0\noldest -\nrejected 0\n";  // automatic upload never ran here
    return 0;
  }
  auto outbox = std::make_unique<Outbox>(queueFolder, false);
  std::string copy;
  if (!outbox->OpenStatus()) {
    // Held by the running program: its files are read from a copy.
    std::string problem;
    const std::string copied = CopyOfFolder(queueFolder, copy, problem);
    if (copied.empty()) {
      err << "residue-tool outbox: the queue is held by the running program and cannot be "
             "copied: "
          << problem << "\n";
      if (!copy.empty()) RemoveTree(copy);
      return 2;
    }
    outbox = std::make_unique<Outbox>(copied, false);
  }
  const int status = outbox->OpenStatus() ? 0 : 2;
  if (status != 0) {
    err << "residue-tool outbox: " << outbox->OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
  } else {
    const String oldest = outbox->OldestQueued();
    const auto rejected = outbox->Rejections();
    out << "queued " << outbox->Count() << "\n"
        << "oldest " << (oldest.IsEmpty() ? std::string("-") : oldest.ToBytes(cp::kUtf8)) << "\n"
        << "rejected " << rejected.size() << "\n";
    for (const auto& [key, why] : rejected) {
      out << String(key).ToBytes(cp::kUtf8) << "\t" << why.ToBytes(cp::kUtf8) << "\n";
    }
  }
  outbox.reset();
  if (!copy.empty()) RemoveTree(copy);
  return status;
}
