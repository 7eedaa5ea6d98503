#include "app/setting_checks.h"

#include <filesystem>

#include "base/utf8_path.h"
#include "output/printer_queues.h"

namespace {

bool IsHostCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'-' || c == u'.';
}

// An IPv6 address: hexadecimal digits, colons and dots (an embedded IPv4
// part), at least two colons.
bool LooksLikeIpv6(const String& text) {
  int colons = 0;
  for (uint32_t i = 0; i < text.Length(); ++i) {
    const char16_t c = text.Element(i);
    const bool hex =
        (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (c == u':') ++colons;
    if (!hex && c != u':' && c != u'.') return false;
  }
  return colons >= 2;
}

// Digits only (spaces around them allowed), `low` to `high`.
bool ParseNumberIn(const String& text, uint32_t low, uint32_t high, uint32_t& value) {
  String trimmed = text;
  trimmed.Trim();
  if (trimmed.IsEmpty()) return false;
  value = 0;
  for (uint32_t i = 0; i < trimmed.Length(); ++i) {
    const char16_t c = trimmed.Element(i);
    if (c < u'0' || c > u'9' || value > high) return false;
    value = value * 10 + static_cast<uint32_t>(c - u'0');
  }
  return value >= low && value <= high;
}

}  // namespace

String CheckPortNumber(const String& text, uint16_t& port) {
  String trimmed = text;
  trimmed.Trim();
  if (trimmed.IsEmpty()) return u"请填写端口号（1-65535）";
  uint32_t value = 0;
  if (!ParseNumberIn(trimmed, 1, 65535, value)) return u"端口号必须是 1-65535 之间的数字";
  port = static_cast<uint16_t>(value);
  return u"";
}

String CheckHostName(const String& text) {
  if (text.IsEmpty()) return u"请填写服务器地址";
  if (LooksLikeIpv6(text)) return u"";
  // Labels of letters, digits and '-', joined by dots, none empty, none
  // starting or ending with '-'.
  uint32_t labelStart = 0;
  for (uint32_t i = 0; i <= text.Length(); ++i) {
    if (i < text.Length() && text.Element(i) != u'.') {
      if (!IsHostCharacter(text.Element(i)))
        return u"地址里有不能用的字符（只能用字母、数字、- 和 .）";
      continue;
    }
    if (i == labelStart) return u"地址格式不对（两个点之间不能为空）";
    if (text.Element(labelStart) == u'-' || text.Element(i - 1) == u'-')
      return u"地址格式不对（- 不能在开头或结尾）";
    labelStart = i + 1;
  }
  return u"";
}

String CheckWebAddress(const String& text) {
  String rest;
  if (text.Left(7) == String(u"http://")) {
    rest = text.Mid(7);
  } else if (text.Left(8) == String(u"https://")) {
    rest = text.Mid(8);
  } else {
    return u"网址要以 http:// 或 https:// 开头";
  }
  // The host runs to the first ':', '/', '?' or '#'.
  uint32_t end = 0;
  if (rest.Left(1) == String(u"[")) {
    const int close = rest.Find(u']');
    if (close < 0) return u"网址格式不对（IPv6 地址缺少 ]）";
    if (!LooksLikeIpv6(rest.Mid(1, close - 1))) return u"网址里的 IPv6 地址不对";
    end = static_cast<uint32_t>(close) + 1;
  } else {
    while (end < rest.Length()) {
      const char16_t c = rest.Element(end);
      if (c == u':' || c == u'/' || c == u'?' || c == u'#') break;
      ++end;
    }
    const String host = rest.Left(static_cast<int>(end));
    if (host.IsEmpty()) return u"网址里缺少服务器地址";
    const String problem = CheckHostName(host);
    if (!problem.IsEmpty()) return problem;
  }
  if (end < rest.Length() && rest.Element(end) == u':') {
    uint32_t portEnd = end + 1;
    while (portEnd < rest.Length() && rest.Element(portEnd) >= u'0' &&
           rest.Element(portEnd) <= u'9')
      ++portEnd;
    uint16_t port = 0;
    if (!CheckPortNumber(rest.Mid(end + 1, portEnd - end - 1), port).IsEmpty())
      return u"网址里的端口号必须是 1-65535 之间的数字";
    if (portEnd < rest.Length() && rest.Element(portEnd) != u'/' && rest.Element(portEnd) != u'?' &&
        rest.Element(portEnd) != u'#')
      return u"网址里的端口号必须是 1-65535 之间的数字";
  }
  for (uint32_t i = 0; i < rest.Length(); ++i) {
    if (rest.Element(i) == u' ') return u"网址里不能有空格";
  }
  return u"";
}

String CheckNotEmpty(const String& text) {
  String trimmed = text;
  trimmed.Trim();
  return trimmed.IsEmpty() ? String(u"不能为空") : String(u"");
}

String CheckLabelDestination(const String& text) {
  if (text.IsEmpty()) return u"";
  if (text.Left(6) == String(u"tcp://")) {
    const String rest = text.Mid(6);
    const int colon = rest.Find(u':');
    if (colon <= 0) return u"网络打印机要写成 tcp://地址:端口，例如 tcp://192.168.1.50:9100";
    const String host = CheckHostName(rest.Left(colon));
    if (!host.IsEmpty()) return host;
    uint16_t port = 0;
    return CheckPortNumber(rest.Mid(colon + 1), port);
  }
  const String queuePrefix = PrinterQueuePrefix();
  if (text.Left(queuePrefix.Length()) == queuePrefix) {
    return CheckQueueName(text.Mid(queuePrefix.Length()));
  }
  if (text.Left(4) == String(u"dir:")) {
    return text.Length() > 4 ? String(u"") : String(u"文件夹要写成 dir:文件夹路径");
  }
  if (IsPrinterDevicePath(text)) return u"";
  return PrinterDestinationHint();
}

String CheckLabelSize(const String& text) {
  uint32_t value = 0;
  return ParseNumberIn(text, 20, 120, value) ? String(u"") : String(u"标签尺寸必须是 20-120 毫米");
}

String CheckLabelPosition(const String& text, int sizeMm) {
  const uint32_t last = static_cast<uint32_t>(sizeMm > 0 ? sizeMm : 1) * kLabelDotsPerMm - 1;
  uint32_t value = 0;
  if (ParseNumberIn(text, 0, last, value)) return u"";
  String why;
  why.Format(u"位置必须是 0-%u 点（标签 %d 毫米，每毫米 %d 点）", last, sizeMm, kLabelDotsPerMm);
  return why;
}

String CheckBackupFolder(const String& text) {
  if (text.IsEmpty()) return String(u"");
  std::error_code error;
  if (std::filesystem::is_directory(PathOf(text.ToBytes(cp::kUtf8)), error)) return String(u"");
  return String(u"这个文件夹不存在，请先建立它（或插上U盘）");
}

String CheckCount(const String& text, uint32_t most, uint32_t& value) {
  if (ParseNumberIn(text, 1, most, value)) return String(u"");
  String problem;
  problem.Format(u"必须是 1-%u 的整数", static_cast<unsigned>(most));
  return problem;
}

String CheckQrModule(const String& text) {
  uint32_t value = 0;
  return ParseNumberIn(text, 1, 20, value) ? String(u"") : String(u"二维码的点大小必须是 1-20");
}
