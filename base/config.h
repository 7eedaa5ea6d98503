#pragma once

#include <mutex>
#include <string>

#include "base/json.h"

// The settings file as one shared, file-backed document per path: read when
// the first user opens it, shared and counted while in use, destroyed when the
// last user lets go (so the next access reads the file again).
struct ConfigDocument {
  // How the file's text is written: as it was read. A file that starts with a
  // UTF-8 byte-order mark, or is valid UTF-8 with non-ASCII characters, is
  // UTF-8; every other file (and a new one) is GBK.
  enum class Encoding { kGbk, kUtf8, kUtf8WithMark };

  Json root;
  std::string path;
  std::mutex lock;   // guards root while a Config holds it
  int refCount = 0;  // guarded by the registry lock
  Encoding encoding = Encoding::kGbk;
  // The file did not parse, its root is not an object, or its bytes are not
  // valid in its encoding: root holds what could be read, and the file is not
  // written back unless a change is committed (see Config).
  bool unreadable = false;
  // Where and why it did not parse, for the operator ("第 3 行第 17 列"), or why
  // it could not be taken ("不是 JSON 对象"); "" when it was read. Its settings
  // are not used then: the program runs on defaults.
  std::string brokenProblem;
  // The document as last read or written (pretty text): an access that
  // leaves it so writes nothing.
  String written;
  // The file exists but could not be read (the system's reason): it is never
  // written, so a deliberate save cannot replace settings it never saw.
  std::string readError;
};

// The settings file beside the executable: its folder, its name without the
// extension, ".Json". SetConfigPath replaces it (tests, tools); "" restores it.
std::string DefaultConfigPath();
void SetConfigPath(const std::string& path);

// Two paths name the same document when they differ only in the case of ASCII
// letters, in '\' against '/', or in one trailing slash.
bool SameConfigPath(const std::string& a, const std::string& b);

// Returns the shared document for the path (the default path when empty),
// creating an empty file when none exists. Safe on any thread.
ConfigDocument* OpenConfigDocument(const std::string& path = std::string());
void ReleaseConfigDocument(ConfigDocument* doc);

// Scoped, locked access to the settings document. While it lives the calling
// thread holds the document's lock; when it ends the whole document is written
// back to the file in pretty form, so a key nobody touched keeps its value
// (and only when the document changed: reading settings never writes).
// A Config made while this thread already holds one has no root (Root() is
// null) and neither locks nor saves. A document whose file did not parse is
// left as it is at the end of an access, unless the access called Commit():
// then the old file is kept beside the new one as "<name>.broken" first (or
// ".broken.1", ".broken.2" … when earlier copies are there). A file that could
// not be read is never written.
class Config {
 public:
  explicit Config(const std::string& path = std::string());
  ~Config();
  Config(const Config&) = delete;
  Config& operator=(const Config&) = delete;

  Json* Root() { return ownsLock_ ? &doc_->root : nullptr; }
  // Marks this access as one that changes settings on purpose.
  void Commit() { committed_ = true; }
  // Why the file exists but could not be read (then it is never written), or "".
  std::string ReadProblem() const { return doc_ ? doc_->readError : std::string(); }
  // Where the file did not parse (Chinese, UTF-8), or "".
  std::string BrokenProblem() const { return doc_ ? doc_->brokenProblem : std::string(); }

 private:
  ConfigDocument* doc_;
  bool ownsLock_ = false;
  bool committed_ = false;
};
