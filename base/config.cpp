#include "base/config.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/code_page.h"
#include "base/executable_path.h"
#include "base/file_io.h"
#include "base/trace.h"
#include "base/utf8_path.h"

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

// Well-formed UTF-8 (no overlong forms, no surrogates); `nonAscii` tells
// whether any byte was above 0x7F.
bool IsValidUtf8(const std::string& bytes, bool& nonAscii) {
  nonAscii = false;
  const auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = at(i);
    if (c < 0x80) {
      ++i;
      continue;
    }
    nonAscii = true;
    int extra;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    if (at(i + 1) < low || at(i + 1) > high) return false;
    for (int k = 2; k <= extra; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The first of "<path>.broken", "<path>.broken.1", … that does not exist yet.
std::string FreeBrokenCopyName(const std::string& path) {
  std::error_code error;
  std::string name = path + ".broken";
  for (int n = 1; std::filesystem::exists(PathOf(name), error); ++n) {
    name = path + ".broken." + std::to_string(n);
  }
  return name;
}

// The document text in `encoding`, and the other way: false when the bytes
// are not valid in it (invalid sequences become U+FFFD).
std::string EncodeSettingsText(const String& text, ConfigDocument::Encoding encoding) {
  if (encoding == ConfigDocument::Encoding::kGbk) return text.ToBytes(cp::kGbk);
  const std::string utf8 = text.ToBytes(cp::kUtf8);
  return encoding == ConfigDocument::Encoding::kUtf8WithMark ? "\xEF\xBB\xBF" + utf8 : utf8;
}

bool DecodeSettingsText(const std::string& bytes, ConfigDocument::Encoding& encoding,
                        String& text) {
  bool nonAscii = false;
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    encoding = ConfigDocument::Encoding::kUtf8WithMark;
    const std::string rest = bytes.substr(3);
    text = String::FromBytes(rest, cp::kUtf8);
    return IsValidUtf8(rest, nonAscii);
  }
  if (IsValidUtf8(bytes, nonAscii) && nonAscii) {
    encoding = ConfigDocument::Encoding::kUtf8;
    text = String::FromBytes(bytes, cp::kUtf8);
    return true;
  }
  encoding = ConfigDocument::Encoding::kGbk;
  text = String::FromBytes(bytes, cp::kGbk);
  // GBK has no U+FFFD: one in the text stands for bytes that are not GBK.
  return text.Find(u"\uFFFD") < 0;
}

void LoadDocument(ConfigDocument& doc) {
  std::error_code error;
  if (!std::filesystem::exists(PathOf(doc.path), error)) {
    std::ofstream create(doc.path, std::ios::app);  // an empty file
    return;
  }
  std::string bytes;
  std::string problem;
  if (!ReadWholeFile(doc.path, bytes, &problem)) {
    const int code = errno;
    doc.readError = code == EFBIG ? problem
                    : std::filesystem::is_directory(PathOf(doc.path), error)
                        ? std::string("Is a directory")
                    : code ? std::strerror(code)
                           : std::string("cannot be read");
    return;
  }
  String text;
  const bool decoded = DecodeSettingsText(bytes, doc.encoding, text);
  int failedAt = 0;
  const bool parsed =
      text.IsEmpty() ||
      doc.root.Parse(text.Handle(), static_cast<int>(text.Length()), &failedAt) != -1;
  doc.unreadable = !decoded || !parsed || (!text.IsEmpty() && !doc.root.IsObject());
  if (!decoded) {
    doc.brokenProblem = "有不能识别的文字编码";
  } else if (!parsed) {
    int line = 1, column = 1;
    for (int i = 0; i < failedAt; ++i) {
      if (text.Element(static_cast<uint32_t>(i)) == u'\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    doc.brokenProblem =
        "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列有格式错误";
  } else if (doc.unreadable) {
    doc.brokenProblem = "内容不是一个 JSON 对象";
  }
  // What could be read of a broken file is not used: half a file gives
  // settings nobody chose.
  if (doc.unreadable) doc.root.Reset();
  doc.written = doc.root.IsNull() ? String(u"") : doc.root.ToText(true);
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
    const auto save = [this] {
      if (doc_->root.IsNull()) return true;  // nothing was set: the file stays as it is
      const String text = doc_->root.ToText(true);
      if (text == doc_->written) return true;  // as the file holds it
      const std::string bytes = EncodeSettingsText(text, doc_->encoding);
      if (bytes.empty() || !ReplaceFileContent(doc_->path, bytes)) return false;
      doc_->written = text;
      return true;
    };
    if (!doc_->readError.empty()) {
      // Never written: it holds settings this program could not see.
    } else if (!doc_->unreadable) {
      save();
    } else if (committed_ && !(doc_->root.ToText(true) == doc_->written)) {
      std::error_code error;
      std::filesystem::copy_file(PathOf(doc_->path), PathOf(FreeBrokenCopyName(doc_->path)), error);
      if (!error && save()) {
        doc_->unreadable = false;
        doc_->brokenProblem.clear();
      }
    }
    doc_->lock.unlock();
    threadHoldsConfig = false;
  }
  ReleaseConfigDocument(doc_);
}
