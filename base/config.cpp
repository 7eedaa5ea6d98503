#include "base/config.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/executable_path.h"
#include "base/file_io.h"
#include "base/trace.h"

namespace {

std::mutex registryLock;
std::vector<ConfigDocument*>* registry = nullptr;  // guarded by registryLock
std::string pathOverride;                          // guarded by registryLock
thread_local bool threadHoldsConfig = false;

std::string Normalised(const std::string& path) {
  std::string n = path;
  for (char& c : n) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (!n.empty() && n.back() == '/') n.pop_back();
  return n;
}

std::string ExecutableConfigPath() {
  const std::string exe = ExecutablePath();
  const size_t slash = exe.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
  std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return folder + "/" + name + ".Json";
}

void LoadDocument(ConfigDocument& doc) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(doc.path, error)) {
    std::ofstream create(doc.path, std::ios::app);  // an empty file; an existing one is untouched
  }
  std::string bytes;
  if (!ReadWholeFile(doc.path, bytes)) return;
  doc.unreadable = !doc.root.ParseMbs(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace

std::string DefaultConfigPath() {
  {
    std::lock_guard<std::mutex> guard(registryLock);
    if (!pathOverride.empty()) return pathOverride;
  }
  return ExecutableConfigPath();
}

void SetConfigPath(const std::string& path) {
  std::lock_guard<std::mutex> guard(registryLock);
  pathOverride = path;
}

bool SameConfigPath(const std::string& a, const std::string& b) {
  return Normalised(a) == Normalised(b);
}

ConfigDocument* OpenConfigDocument(const std::string& path) {
  const std::string wanted = path.empty() ? DefaultConfigPath() : path;
  std::lock_guard<std::mutex> guard(registryLock);
  if (!registry) registry = new std::vector<ConfigDocument*>;
  for (ConfigDocument* doc : *registry) {
    if (SameConfigPath(doc->path, wanted)) {
      ++doc->refCount;
      return doc;
    }
  }
  ConfigDocument* doc = new ConfigDocument;
  doc->refCount = 1;
  doc->path = wanted;
  LoadDocument(*doc);
  registry->push_back(doc);
  return doc;
}

void ReleaseConfigDocument(ConfigDocument* doc) {
  if (!doc) return;
  std::lock_guard<std::mutex> guard(registryLock);
  if (--doc->refCount > 0) return;
  registry->erase(std::remove(registry->begin(), registry->end(), doc), registry->end());
  delete doc;
}

Config::Config(const std::string& path) : doc_(OpenConfigDocument(path)) {
  if (!doc_) {
    Trace(u"Config Error: _innerobj is NULL");
    return;
  }
  if (!threadHoldsConfig) {
    doc_->lock.lock();
    threadHoldsConfig = true;
    ownsLock_ = true;
  }
}

Config::~Config() {
  if (!doc_) return;
  // Only the accessor that took the lock saves and unlocks; a nested one has
  // nothing to give back.
  if (ownsLock_) {
    if (!doc_->unreadable) {
      doc_->root.SaveFile(doc_->path);
    } else if (committed_) {
      std::error_code error;
      std::filesystem::copy_file(doc_->path, doc_->path + ".broken",
                                 std::filesystem::copy_options::overwrite_existing, error);
      if (!error && doc_->root.SaveFile(doc_->path)) doc_->unreadable = false;
    }
    doc_->lock.unlock();
    threadHoldsConfig = false;
  }
  ReleaseConfigDocument(doc_);
}
