#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/json.h"
#include "base/string.h"
#include "device/product_names.h"

// Where uploads go when the settings file names no server: this machine, so a
// fresh install never sends records anywhere by surprise.
constexpr char16_t kDefaultServerHost[] = u"127.0.0.1";
constexpr char16_t kDefaultHttpServer[] = u"127.0.0.1";

// The settings block the main window owns: read once from the settings file at
// start-up, written back (the operator-editable keys only) after each change
// on the settings page. UI thread only, except `productNames`, which is safe
// on any thread.
struct Settings {
  String portName;                     // "com"
  String deviceId;                     // "deviceid"
  String baudRate;                     // "bits"
  std::vector<String> knownDeviceIds;  // "ids", most recent first, no duplicates
  std::vector<String> productChoices;  // "ways", no duplicates
  ProductNames productNames;           // "user_names", channel 1 first
  String serverHost;                   // "serv_host"
  String queryUrl;                     // "query_url"
  bool queryUrlFollowsHost = true;     // the file names no "query_url": it follows "serv_host"
  String httpUrl;                      // "http_url"
  String userName;                     // "user_name"
  String password;                     // "pass_word"
  String unitCode;                     // "dwbh"
  String unitName;                     // "dwmc"
  String noticeTitle;                  // "notice_title": the results notice's title
  String serverType;                   // "serv_type"
  String httpOkText;                   // "http_ok_text": what an accepting HTTP reply holds
  bool autoUpload = false;             // "auto_upload": records go to the server by themselves
  uint16_t serverPort = 0;             // "serv_port"
  uint32_t recycleDays = 90;           // "recycle_days": deleted records kept this long
  String backupDir;                    // "backup_dir": where the daily backup goes ("": none)
  uint32_t backupKeep = 30;            // "backup_keep": the newest backups kept there
  String deviceIdProblem;              // a "deviceid" in the file that is no device ID
  std::string readProblem;             // why the file could not be read, "" when it was
  std::string brokenProblem;           // where it did not parse (UTF-8), "" when it did
  std::vector<String> extraPorts;      // "extra_ports": device paths listed after the
                                       // system's ports (read only, never written)

  // Fills the block from the settings file, with defaults for absent keys or
  // keys of the wrong type. Adds "ids", "ways" and "user_names" (null) when absent.
  void Load();
  // Writes those of "com", "bits", "deviceid", "serv_type", "ids", "ways" and
  // (exactly 20) "user_names" that changed since they were loaded or saved,
  // or that nobody edited in the file meanwhile, and the settings page's other
  // keys ("serv_host", "serv_port", "http_url", "user_name", "pass_word",
  // "dwbh", "dwmc", "query_url", "notice_title", "http_ok_text", "auto_upload", "recycle_days",
  // "backup_dir", "backup_keep") that
  // changed; every other key
  // stays as the file holds it now.
  void Save();

  // Makes `id` the device ID in use; a new one goes first among the known
  // IDs. Returns its index among them.
  int UseDeviceId(const String& id);
  // Forgets the known ID at `index` (nothing for an index out of range); the
  // first one left, or none, becomes the ID in use.
  void ForgetDeviceId(int index);
  // The channel table's choices: the non-empty product choices, in order.
  std::vector<String> ChannelChoices() const;
  // Sets the name of every channel (channel 1 first); a name not yet among
  // the product choices is added to them.
  void SetChannelNames(const std::vector<String>& names);

  // The trace-page prefix of a settings document: "query_url", or "http://" +
  // the server host + "/trace?uid=" when it is absent.
  static String QueryUrl(const class Json& root);
  // The results notice's title: "notice_title", or the usual one.
  static String NoticeTitle(const class Json& root);

 private:
  // The keys Save writes, with their values as compact JSON text; `always`:
  // written also when unchanged (the settings the window always kept).
  struct Kept {
    std::u16string key;
    String value;
    bool always;
  };
  std::vector<Kept> WrittenValues() const;
  static void Write(Json& root, const std::u16string& key, const String& value);
  std::map<std::u16string, String> written_;  // ours, as last loaded or saved
  std::map<std::u16string, String> inFile_;   // the file's, as last read or written
};
