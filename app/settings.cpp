#include "app/settings.h"

#include "base/config.h"
#include "base/json.h"
#include "device/device_id.h"
#include "output/results_notice.h"

namespace {

String ReadString(const Json& root, const char16_t* key, const String& fallback) {
  String value;
  return root.GetPropertyStr(key, value) ? value : fallback;
}

// Non-empty strings of an array, each once, in order.
void ReadDistinct(const Json* array, std::vector<String>& out) {
  out.clear();
  for (uint32_t i = 0; array && i < array->Count(); ++i) {
    String text;
    if (!array->GetArrayStr(text, i) || text.IsEmpty()) continue;
    bool seen = false;
    for (const String& known : out) seen = seen || known == text;
    if (!seen) out.push_back(text);
  }
}

void WriteArray(Json& root, const char16_t* key, const std::vector<String>& texts) {
  Json* array = root.SetPropertyArray(key);
  array->ClearContent();
  for (const String& text : texts) *array->AddArrayElm() = text.Handle();
}

}  // namespace

void Settings::Load() {
  Config config;
  readProblem = config.ReadProblem();
  brokenProblem = config.BrokenProblem();
  Json* root = config.Root();
  if (!root) return;
  portName = ReadString(*root, u"com", u"");
  deviceId = ReadString(*root, u"deviceid", u"");
  // Kept as 16 upper-case digits; anything else is no ID (and said so once).
  deviceIdProblem = String(u"");
  if (!deviceId.IsEmpty() && !CanonicalDeviceId(deviceId)) {
    deviceIdProblem = deviceId;
    deviceId = u"";
  }
  baudRate = ReadString(*root, u"bits", u"9600");
  serverType = ReadString(*root, u"serv_type", u"TCP服务器");
  serverHost = ReadString(*root, u"serv_host", kDefaultServerHost);
  httpUrl = ReadString(
      *root, u"http_url",
      String(u"http://") + kDefaultHttpServer + u":8088/receivedata/receive_tavrin_data.asp");
  userName = ReadString(*root, u"user_name", u"");
  password = ReadString(*root, u"pass_word", u"");
  unitCode = ReadString(*root, u"dwbh", u"");
  unitName = ReadString(*root, u"dwmc", u"");

  const Json* port = root->FindProperty(u"serv_port");
  const long long wide = port && port->IsNumber() ? port->Int64(3620) : 3620;
  serverPort = static_cast<uint16_t>(static_cast<unsigned long long>(wide));

  queryUrl = QueryUrl(*root);
  queryUrlFollowsHost = root->FindProperty(u"query_url") == nullptr;
  noticeTitle = NoticeTitle(*root);
  httpOkText = ReadString(*root, u"http_ok_text", u"");
  const Json* automatic = root->FindProperty(u"auto_upload");
  autoUpload = automatic && automatic->IsBoolean() && automatic->Boolean(false);
  // Counts out of range (0, negative, absurd) are taken as absent.
  const auto count = [&](const char16_t* key, uint32_t fallback, uint32_t most) {
    const Json* node = root->FindProperty(key);
    const long long value = node && node->IsNumber() ? node->Int64(fallback) : fallback;
    return value >= 1 && value <= most ? static_cast<uint32_t>(value) : fallback;
  };
  recycleDays = count(u"recycle_days", 90, 3650);
  backupKeep = count(u"backup_keep", 30, 1000);
  backupDir = ReadString(*root, u"backup_dir", u"");

  ReadDistinct(root->FindProperty(u"extra_ports"), extraPorts);
  ReadDistinct(root->GetProperty(u"ids", true), knownDeviceIds);
  std::vector<String> ids;
  for (String id : knownDeviceIds) {
    bool seen = !CanonicalDeviceId(id);
    for (const String& known : ids) seen = seen || known == id;
    if (!seen) ids.push_back(id);
  }
  knownDeviceIds = ids;
  ReadDistinct(root->GetProperty(u"ways", true), productChoices);
  const Json* names = root->GetProperty(u"user_names", true);
  for (int i = 0; i < ProductNames::kChannels; ++i) {
    String name;
    if (!names || !names->GetArrayStr(name, i)) name = u"";
    productNames.Set(i, name);
  }
  written_.clear();
  inFile_.clear();
  for (const auto& [key, value, always] : WrittenValues()) {
    written_[key] = value;
    const Json* inFile = root->FindProperty(key.c_str());
    inFile_[key] = inFile ? inFile->ToText(false) : String(u"");
  }
}

String Settings::QueryUrl(const Json& root) {
  const String host = ReadString(root, u"serv_host", kDefaultServerHost);
  return ReadString(root, u"query_url", String(u"http://") + host + u"/trace?uid=");
}

String Settings::NoticeTitle(const Json& root) {
  return ReadString(root, u"notice_title", kDefaultNoticeTitle);
}

void Settings::Save() {
  Config config;
  Json* root = config.Root();
  if (!root) return;
  config.Commit();
  // The file is read afresh for every access. A key is written when the
  // window changed it, or when nobody touched it in the file since it was
  // read; a key edited by hand meanwhile keeps its new value.
  // The settings page's other keys are written only when changed there.
  for (const auto& [key, value, always] : WrittenValues()) {
    const Json* inFile = root->FindProperty(key.c_str());
    const String fileNow = inFile ? inFile->ToText(false) : String(u"");
    const bool changed = !(value == written_[key]);
    if (changed || (always && fileNow == inFile_[key])) Write(*root, key, value);
    const Json* stored = root->FindProperty(key.c_str());
    inFile_[key] = stored ? stored->ToText(false) : String(u"");
    written_[key] = value;
  }
}

void Settings::Write(Json& root, const std::u16string& key, const String& value) {
  Json parsed;
  parsed.Parse(value.Handle(), static_cast<int>(value.Length()));
  if (parsed.IsArray()) {
    std::vector<String> texts;
    for (uint32_t i = 0; i < parsed.Count(); ++i) {
      String text;
      parsed.GetArrayStr(text, i);
      texts.push_back(text);
    }
    WriteArray(root, key.c_str(), texts);
  } else if (parsed.IsNumber()) {
    root.SetPropertyInt32(key.c_str(), parsed.Int32(0));
  } else if (parsed.IsBoolean()) {
    root.SetPropertyBool(key.c_str(), parsed.Boolean(false));
  } else {
    String text;
    parsed.GetString(text);
    root.SetPropertyStr(key.c_str(), text.Handle());
  }
}

std::vector<Settings::Kept> Settings::WrittenValues() const {
  // Each value as compact JSON text, to compare and to write.
  const auto text = [](const String& value) {
    Json node;
    node = value.Handle();
    return node.ToText(false);
  };
  const auto array = [](const std::vector<String>& values) {
    Json node;
    WriteArray(node, u"a", values);
    return node.FindProperty(u"a")->ToText(false);
  };
  std::vector<String> names;
  for (int i = 0; i < ProductNames::kChannels; ++i) names.push_back(productNames.Get(i));
  const auto number = [](uint32_t value) {
    String digits;
    digits.Format(u"%u", static_cast<unsigned>(value));
    return digits;
  };
  const String port = number(serverPort);
  std::vector<Kept> kept = {{u"com", text(portName), true},
                            {u"bits", text(baudRate), true},
                            {u"deviceid", text(deviceId), true},
                            {u"serv_type", text(serverType), true},
                            {u"ids", array(knownDeviceIds), true},
                            {u"ways", array(productChoices), true},
                            {u"user_names", array(names), true},
                            {u"serv_host", text(serverHost), false},
                            {u"serv_port", port, false},
                            {u"http_url", text(httpUrl), false},
                            {u"user_name", text(userName), false},
                            {u"pass_word", text(password), false},
                            {u"dwbh", text(unitCode), false},
                            {u"dwmc", text(unitName), false},
                            {u"notice_title", text(noticeTitle), false},
                            {u"http_ok_text", text(httpOkText), false},
                            {u"auto_upload", autoUpload ? u"true" : u"false", false},
                            {u"recycle_days", number(recycleDays), false},
                            {u"backup_dir", text(backupDir), false},
                            {u"backup_keep", number(backupKeep), false}};
  // A trace address that follows the server is not written: it goes on following.
  if (!queryUrlFollowsHost) kept.push_back({u"query_url", text(queryUrl), false});
  return kept;
}

int Settings::UseDeviceId(const String& id) {
  deviceId = id;
  for (size_t i = 0; i < knownDeviceIds.size(); ++i) {
    if (knownDeviceIds[i] == id) return static_cast<int>(i);
  }
  knownDeviceIds.insert(knownDeviceIds.begin(), id);
  return 0;
}

void Settings::ForgetDeviceId(int index) {
  if (index < 0 || index >= static_cast<int>(knownDeviceIds.size())) return;
  knownDeviceIds.erase(knownDeviceIds.begin() + index);
  deviceId = knownDeviceIds.empty() ? String(u"") : knownDeviceIds.front();
}

std::vector<String> Settings::ChannelChoices() const {
  std::vector<String> choices;
  for (const String& choice : productChoices) {
    if (!choice.IsEmpty()) choices.push_back(choice);
  }
  return choices;
}

void Settings::SetChannelNames(const std::vector<String>& names) {
  for (int i = 0; i < ProductNames::kChannels && i < static_cast<int>(names.size()); ++i) {
    bool known = false;
    for (const String& choice : productChoices) known = known || choice == names[i];
    if (!known) productChoices.push_back(names[i]);
    productNames.Set(i, names[i]);
  }
}
