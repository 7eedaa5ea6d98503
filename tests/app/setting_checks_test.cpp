// What the settings page accepts as it is typed.
#include "app/setting_checks.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingChecksTest, RightValuesPassAndWrongOnesAreNamed) {
  struct Case {
    const char* field;
    const char16_t* text;
    const char* problem;  // "" when it passes
  } cases[] = {
      {"port", u"3620", ""},
      {"port", u"1", ""},
      {"port", u"65535", ""},
      {"port", u" 80 ", ""},
      {"port", u"0", "端口号必须是 1-65535 之间的数字"},
      {"port", u"65536", "端口号必须是 1-65535 之间的数字"},
      {"port", u"99999999999", "端口号必须是 1-65535 之间的数字"},
      {"port", u"36a", "端口号必须是 1-65535 之间的数字"},
      {"port", u"", "请填写端口号（1-65535）"},
      {"host", u"127.0.0.1", ""},
      {"host", u"inspect-01.example.cn", ""},
      {"host", u"::1", ""},
      {"host", u"fe80::1:2", ""},
      {"host", u"", "请填写服务器地址"},
      {"host", u"bad host", "地址里有不能用的字符（只能用字母、数字、- 和 .）"},
      {"host", u"http://x", "地址里有不能用的字符（只能用字母、数字、- 和 .）"},
      {"host", u"a..b", "地址格式不对（两个点之间不能为空）"},
      {"host", u"-a.b", "地址格式不对（- 不能在开头或结尾）"},
      {"web", u"http://127.0.0.1:8088/receivedata/receive.asp", ""},
      {"web", u"https://trace.example.cn/trace?uid=", ""},
      {"web", u"http://[::1]:8080/x", ""},
      {"web", u"http://h", ""},
      {"web", u"ftp://h/x", "网址要以 http:// 或 https:// 开头"},
      {"web", u"trace.example.cn", "网址要以 http:// 或 https:// 开头"},
      {"web", u"http://", "网址里缺少服务器地址"},
      {"web", u"http:///x", "网址里缺少服务器地址"},
      {"web", u"http://h:0/x", "网址里的端口号必须是 1-65535 之间的数字"},
      {"web", u"http://h:80x/", "网址里的端口号必须是 1-65535 之间的数字"},
      {"web", u"http://h/a b", "网址里不能有空格"},
      {"web", u"http://[::1/x", "网址格式不对（IPv6 地址缺少 ]）"},
      {"printer", u"", ""},
      {"printer", u"tcp://192.168.1.50:9100", ""},
      {"printer", u"cups:Label_Queue", ""},
      {"printer", u"dir:/home/tech/labels", ""},
      {"printer", u"/dev/usb/lp0", ""},
      {"printer", u"tcp://192.168.1.50",
       "网络打印机要写成 tcp://地址:端口，例如 tcp://192.168.1.50:9100"},
      {"printer", u"tcp://192.168.1.50:0", "端口号必须是 1-65535 之间的数字"},
      {"printer", u"cups:", "打印队列要写成 cups:队列名（不能有空格）"},
      {"printer", u"dir:", "文件夹要写成 dir:文件夹路径"},
      {"printer", u"lp0",
       "请写 tcp://地址:端口、cups:队列名、dir:文件夹，或打印机设备文件（如 /dev/usb/lp0）"},
      {"size", u"75", ""},
      {"size", u"19", "标签尺寸必须是 20-120 毫米"},
      {"size", u"121", "标签尺寸必须是 20-120 毫米"},
      {"size", u"x", "标签尺寸必须是 20-120 毫米"},
      {"position", u"0", ""},
      {"position", u"599", ""},  // the last dot of a 75 mm label
      {"position", u"600", "位置必须是 0-599 点（标签 75 毫米，每毫米 8 点）"},
      {"position", u"-1", "位置必须是 0-599 点（标签 75 毫米，每毫米 8 点）"},
      {"position", u"", "位置必须是 0-599 点（标签 75 毫米，每毫米 8 点）"},
      {"module", u"6", ""},
      {"module", u"0", "二维码的点大小必须是 1-20"},
      {"module", u"21", "二维码的点大小必须是 1-20"},
      {"text", u"检测结果公示", ""},
      {"text", u"  ", "不能为空"},
  };
  for (const Case& c : cases) {
    const std::string field = c.field;
    uint16_t port = 0;
    const String problem = field == "port"       ? CheckPortNumber(c.text, port)
                           : field == "host"     ? CheckHostName(c.text)
                           : field == "web"      ? CheckWebAddress(c.text)
                           : field == "printer"  ? CheckLabelDestination(c.text)
                           : field == "size"     ? CheckLabelSize(c.text)
                           : field == "position" ? CheckLabelPosition(c.text, 75)
                           : field == "module"   ? CheckQrModule(c.text)
                                                 : CheckNotEmpty(c.text);
    EXPECT_EQ(problem.ToBytes(cp::kUtf8), c.problem)
        << c.field << ": " << String(c.text).ToBytes(cp::kUtf8);
  }
  uint16_t port = 0;
  ASSERT_TRUE(CheckPortNumber(u"3620", port).IsEmpty());
  EXPECT_EQ(port, 3620);
}

}  // namespace
