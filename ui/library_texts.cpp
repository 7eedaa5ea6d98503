#include "ui/library_texts.h"

#include <QCoreApplication>
#include <QStringList>
#include <vector>

namespace {

// Every Chinese text the libraries make that the window may show; %1, %2 ...
// stand for the values put in.
const char* const kTexts[] = {
    QT_TRANSLATE_NOOP("Library", "设备ID长度必须是16个字符"),
    QT_TRANSLATE_NOOP("Library", "虚拟串口 (%1)"),
    QT_TRANSLATE_NOOP("Library", "设备ID字符必须是 0-9 或 A-F"),
    QT_TRANSLATE_NOOP("Library", "串口设备不存在，请检查检测仪的数据线是否插好"),
    QT_TRANSLATE_NOOP("Library", "串口正被别的程序使用，请先关闭那个程序"),
    QT_TRANSLATE_NOOP("Library", "串口正被另一个程序使用，请先关闭那个程序"),
    QT_TRANSLATE_NOOP("Library",
                      "当前用户 %1 没有使用这个串口的权限。请管理员把用户加入 %2 组（sudo usermod "
                      "-aG %3 %4），然后重新登录"),
    QT_TRANSLATE_NOOP("Library",
                      "这个串口设备只对管理员开放，普通用户不能使用。请管理员确认它是不是检测仪的串"
                      "口（检测仪的 USB 串口通常是 ttyUSB 或 ttyACM）"),
    QT_TRANSLATE_NOOP("Library", "串口读写出错，请拔下检测仪再重新插上"),
    QT_TRANSLATE_NOOP("Library", "这个设备不是串口"),
    QT_TRANSLATE_NOOP("Library", "无法打开串口：%1"),
    QT_TRANSLATE_NOOP("Library", "此串口未找到: %1"),
    QT_TRANSLATE_NOOP("Library", "初始化串口失败"),
    QT_TRANSLATE_NOOP("Library", "串口打开成功: %1"),
    QT_TRANSLATE_NOOP("Library", "串口关闭"),
    QT_TRANSLATE_NOOP("Library", "系统错误：%1"),
    QT_TRANSLATE_NOOP("Library", "找不到打印机的地址，请检查打印机设置"),
    QT_TRANSLATE_NOOP("Library", "打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确"),
    QT_TRANSLATE_NOOP("Library", "连接打印机超时，请检查打印机是否开机、网线是否连好"),
    QT_TRANSLATE_NOOP("Library", "打印机没有及时收下标签，请检查打印机是否缺纸、卡纸或暂停"),
    QT_TRANSLATE_NOOP("Library", "打印机断开了连接，标签没有打印"),
    QT_TRANSLATE_NOOP("Library", "已停止"),
    QT_TRANSLATE_NOOP("Library", "找不到打印机设备，请检查打印机是否连好、设备名是否正确"),
    QT_TRANSLATE_NOOP("Library", "没有使用打印机设备的权限，请让管理员把用户加入 lp 组"),
    QT_TRANSLATE_NOOP("Library", "打印机设备正被别的程序使用"),
    QT_TRANSLATE_NOOP("Library", "打印服务拒绝了这个标签：%1"),
    QT_TRANSLATE_NOOP("Library", "没有找到 lp 命令，请安装 cups-client"),
    QT_TRANSLATE_NOOP("Library", "打印服务没有及时回应，请检查 CUPS 打印队列"),
    QT_TRANSLATE_NOOP("Library", "打印服务意外中止：%1"),
    QT_TRANSLATE_NOOP("Library", "无法写入文件 %1，请检查文件夹是否存在、可写、磁盘是否已满"),
    QT_TRANSLATE_NOOP("Library", "无法解析服务器网址，请检查上传网址和网络"),
    QT_TRANSLATE_NOOP("Library", "无法连接服务器，请检查上传网址、服务器是否运行和网络"),
    QT_TRANSLATE_NOOP("Library", "服务器没有及时回复，请稍后再试"),
    QT_TRANSLATE_NOOP("Library",
                      "无法建立安全连接：服务器的证书不受信任或加密协商失败，请联系服务器管理员"),
    QT_TRANSLATE_NOOP("Library", "上传已停止，服务器可能没有收到数据"),
    QT_TRANSLATE_NOOP("Library", "上传失败，请检查上传网址和网络"),
    QT_TRANSLATE_NOOP("Library", "……（服务器的回复过长，只显示了前 %1 个字）"),
    QT_TRANSLATE_NOOP("Library", "无法解析服务器网址"),
    QT_TRANSLATE_NOOP("Library", "无法连接服务器: %1"),
    QT_TRANSLATE_NOOP("Library", "无法创建文件，请检查文件夹是否存在、是否可写"),
    QT_TRANSLATE_NOOP("Library", "已停止，文件没有写入"),
    QT_TRANSLATE_NOOP("Library", "文件没有写完：%1"),
    QT_TRANSLATE_NOOP("Library", "文件没有写完，请检查磁盘空间"),
    QT_TRANSLATE_NOOP("Library", "无法写入文件，请检查磁盘空间和文件夹权限"),
    QT_TRANSLATE_NOOP("Library", "已上传，标记未保存"),
    QT_TRANSLATE_NOOP("Library", "请填写端口号（1-65535）"),
    QT_TRANSLATE_NOOP("Library", "端口号必须是 1-65535 之间的数字"),
    QT_TRANSLATE_NOOP("Library", "请填写服务器地址"),
    QT_TRANSLATE_NOOP("Library", "地址里有不能用的字符（只能用字母、数字、- 和 .）"),
    QT_TRANSLATE_NOOP("Library", "地址格式不对（两个点之间不能为空）"),
    QT_TRANSLATE_NOOP("Library", "地址格式不对（- 不能在开头或结尾）"),
    QT_TRANSLATE_NOOP("Library", "网址要以 http:// 或 https:// 开头"),
    QT_TRANSLATE_NOOP("Library", "网址格式不对（IPv6 地址缺少 ]）"),
    QT_TRANSLATE_NOOP("Library", "网址里的 IPv6 地址不对"),
    QT_TRANSLATE_NOOP("Library", "网址里缺少服务器地址"),
    QT_TRANSLATE_NOOP("Library", "网址里的端口号必须是 1-65535 之间的数字"),
    QT_TRANSLATE_NOOP("Library", "网址里不能有空格"),
    QT_TRANSLATE_NOOP("Library", "不能为空"),
    QT_TRANSLATE_NOOP("Library", "找不到服务器 %1，请检查服务器地址和网络"),
    QT_TRANSLATE_NOOP("Library", "服务器 %1:%2 拒绝连接，请检查端口号和服务器是否在运行"),
    QT_TRANSLATE_NOOP("Library", "连接服务器 %1:%2 超时，请检查地址、网络和防火墙"),
    QT_TRANSLATE_NOOP("Library", "无法连接服务器 %1:%2（系统错误 %3）"),
    QT_TRANSLATE_NOOP("Library", "上传网址格式不对：%1"),
    QT_TRANSLATE_NOOP("Library", "找不到服务器，请检查上传网址和网络：%1"),
    QT_TRANSLATE_NOOP("Library", "服务器拒绝连接，请检查上传网址的端口和服务器是否在运行：%1"),
    QT_TRANSLATE_NOOP("Library", "服务器没有及时回应，请检查网址、网络和防火墙：%1"),
    QT_TRANSLATE_NOOP("Library", "服务器的证书不受信任或加密协商失败，请联系服务器管理员：%1"),
    QT_TRANSLATE_NOOP("Library", "无法连接服务器，请检查上传网址和网络：%1"),
    QT_TRANSLATE_NOOP("Library", "网络打印机要写成 tcp://地址:端口，例如 tcp://192.168.1.50:9100"),
    QT_TRANSLATE_NOOP("Library", "打印队列要写成 cups:队列名（不能有空格）"),
    QT_TRANSLATE_NOOP("Library", "文件夹要写成 dir:文件夹路径"),
    QT_TRANSLATE_NOOP(
        "Library",
        "请写 tcp://地址:端口、cups:队列名、dir:文件夹，或打印机设备文件（如 /dev/usb/lp0）"),
    // The Windows build's printers (the spooler).
    QT_TRANSLATE_NOOP("Library", "打印机要写成 printer:打印机名"),
    QT_TRANSLATE_NOOP(
        "Library",
        "请写 tcp://地址:端口、printer:打印机名、dir:文件夹，或打印机端口（如 COM3、LPT1）"),
    QT_TRANSLATE_NOOP("Library", "找不到打印机 %1，请在设置里重新选择已安装的打印机"),
    QT_TRANSLATE_NOOP("Library", "无法打开打印机：%1"),
    QT_TRANSLATE_NOOP("Library", "打印服务没有收下整个标签：%1"),
    QT_TRANSLATE_NOOP("Library", "打印服务没有列出打印机：%1"),
    QT_TRANSLATE_NOOP("Library", "标签尺寸必须是 20-120 毫米"),
    QT_TRANSLATE_NOOP("Library", "位置必须是 0-%1 点（标签 %2 毫米，每毫米 %3 点）"),
    QT_TRANSLATE_NOOP("Library", "二维码的点大小必须是 1-20"),
    QT_TRANSLATE_NOOP("Library", "记录内容不完整，不能上传"),
    QT_TRANSLATE_NOOP("Library", "上传标记未能保存"),
    QT_TRANSLATE_NOOP("Library", "服务器没有回复 %1 条数据"),
    QT_TRANSLATE_NOOP("Library", "服务器返回 HTTP %1，数据没有被接收"),
    QT_TRANSLATE_NOOP("Library", "没有收到服务器的回复，数据没有被接收"),
    QT_TRANSLATE_NOOP("Library", "服务器的回复里没有成功标记“%1”，数据没有被算作已上传"),
    QT_TRANSLATE_NOOP("Library", "上传失败"),
    QT_TRANSLATE_NOOP("Library", "这一行的格式不对（被改动或插入）"),
    QT_TRANSLATE_NOOP("Library", "这一行之前缺少第 %1 条记录（被删除）"),
    QT_TRANSLATE_NOOP("Library", "这一行之前缺少第 %1 至 %2 条记录（被删除）"),
    QT_TRANSLATE_NOOP("Library", "这一行的序号重复（被插入）"),
    QT_TRANSLATE_NOOP("Library", "这一行的内容与校验值不符（被改动或插入）"),
    QT_TRANSLATE_NOOP("Library", "无法写入操作记录 %1：%2"),
    QT_TRANSLATE_NOOP("Library", "操作记录 %1 的最后一行不完整，请检查这个文件"),
    QT_TRANSLATE_NOOP("Library", "没有找到 lpstat 命令，请安装 cups-client"),
    QT_TRANSLATE_NOOP("Library", "打印服务没有列出打印队列：%1"),
    QT_TRANSLATE_NOOP("Library", "打印服务没有及时回应，请检查 CUPS 打印服务"),
    QT_TRANSLATE_NOOP("Library", "第 %1 行第 %2 列有格式错误"),
    QT_TRANSLATE_NOOP("Library", "有不能识别的文字编码"),
    QT_TRANSLATE_NOOP("Library", "内容不是一个 JSON 对象"),
    QT_TRANSLATE_NOOP("Library", "不是普通文件: %1（符号链接形成循环）"),
    QT_TRANSLATE_NOOP("Library", "不是普通文件: %1（这是文件夹）"),
    QT_TRANSLATE_NOOP("Library", "不是普通文件: %1（设备、管道或其他特殊文件）"),
    QT_TRANSLATE_NOOP("Library", "文件太大（%1，最多 %2），没有读取: %3"),
    QT_TRANSLATE_NOOP("Library", "这是一个文件夹，不是文件: %1"),
    QT_TRANSLATE_NOOP("Library", "无法打开文件: %1"),
    QT_TRANSLATE_NOOP("Library", "服务器要求转到别的网址（HTTP %1），数据没有上传，请检查上传网址"),
    QT_TRANSLATE_NOOP(
        "Library", "服务器返回错误（HTTP %1），数据可能没有被接收，请稍后再试或联系服务器管理员"),
    QT_TRANSLATE_NOOP("Library",
                      "服务器的回复不完整（连接中途断开），数据可能没有被接收，请稍后再试"),
    QT_TRANSLATE_NOOP("Library", "设备 %1（%2 条）："),
    QT_TRANSLATE_NOOP("Library", "无法建立临时文件夹 %1"),
    QT_TRANSLATE_NOOP("Library", "无法复制 %1"),
    QT_TRANSLATE_NOOP("Library", "无法读取文件夹 %1"),
    QT_TRANSLATE_NOOP("Library", "无法写入 %1"),
    QT_TRANSLATE_NOOP("Library", "备份中的文件 %1 在复制时读出的内容与清单不符"),
    QT_TRANSLATE_NOOP("Library", "无法建立文件夹 %1"),
    QT_TRANSLATE_NOOP("Library", "无法把 %1 改名为 %2"),
    QT_TRANSLATE_NOOP("Library", "清单 manifest.json 不是有效的 JSON"),
    QT_TRANSLATE_NOOP("Library", "清单 manifest.json 没有列出文件"),
    QT_TRANSLATE_NOOP("Library", "清单 manifest.json 的第 %1 个文件不完整"),
    QT_TRANSLATE_NOOP("Library", "清单 manifest.json 列出了不属于备份的文件 %1"),
    QT_TRANSLATE_NOOP("Library", "备份文件夹 %1 不存在，请先建立它或选择别的文件夹"),
    QT_TRANSLATE_NOOP("Library", "备份 %1 已经存在，请稍后再试"),
    QT_TRANSLATE_NOOP("Library", "无法在 %1 建立备份"),
    QT_TRANSLATE_NOOP("Library", "备份后无法重新打开数据库 %1"),
    QT_TRANSLATE_NOOP("Library", "数据库有损坏的部分，备份没有做：%1"),
    QT_TRANSLATE_NOOP("Library", "不完整的备份已删除"),
    QT_TRANSLATE_NOOP("Library", "未能删除不完整的备份 %1，请手工删除它"),
    QT_TRANSLATE_NOOP("Library", "备份 %1 缺少清单 manifest.json，不是完整的备份"),
    QT_TRANSLATE_NOOP("Library", "备份中缺少文件 %1"),
    QT_TRANSLATE_NOOP("Library", "备份中的文件 %1 大小不对（清单 %2 字节，实际 %3 字节）"),
    QT_TRANSLATE_NOOP("Library", "无法读取备份中的文件 %1"),
    QT_TRANSLATE_NOOP("Library", "备份中的文件 %1 内容被改动或已损坏（校验值不符）"),
    QT_TRANSLATE_NOOP("Library", "备份中多出了清单里没有的文件 %1"),
    QT_TRANSLATE_NOOP("Library", "备份已损坏，没有恢复"),
    QT_TRANSLATE_NOOP("Library", "恢复记录 %1 无法读取，请联系技术支持"),
    QT_TRANSLATE_NOOP("Library", "恢复没有完成：%1 已被占用，恢复的数据仍在 %2，请关闭程序后再试"),
    QT_TRANSLATE_NOOP("Library", "磁盘已满，请腾出空间或换一个磁盘后再试"),
    QT_TRANSLATE_NOOP("Library", "磁盘是只读的，请换一个可写的文件夹"),
    QT_TRANSLATE_NOOP("Library", "没有写入权限，请换一个文件夹或让管理员开放权限"),
    QT_TRANSLATE_NOOP("Library", "文件夹不存在或已被移走（U盘是否已拔出？）"),
    QT_TRANSLATE_NOOP("Library", "磁盘读写出错（U盘是否已拔出？），请检查磁盘后再试"),
    QT_TRANSLATE_NOOP("Library", "磁盘操作失败：%1"),
    QT_TRANSLATE_NOOP("Library", "必须是 1-%1 的整数"),
    QT_TRANSLATE_NOOP("Library", "这个文件夹不存在，请先建立它（或插上U盘）"),
};

// A known text cut at its value marks: the fixed pieces around the marks
// (one more than the marks) and the marks' numbers in the order they stand.
struct Pattern {
  const char* source;  // as written in kTexts, the translation's key
  QStringList pieces;
  QList<int> numbers;
};

bool IsMark(const QString& text, int at) {
  return text[at] == QLatin1Char('%') && at + 1 < text.size() && text[at + 1] >= QLatin1Char('0') &&
         text[at + 1] <= QLatin1Char('9');
}

Pattern Cut(const char* source) {
  const QString text = QString::fromUtf8(source);
  Pattern pattern{source, {}, {}};
  QString piece;
  for (int at = 0; at < text.size(); ++at) {
    if (IsMark(text, at)) {
      pattern.pieces << piece;
      pattern.numbers << text[at + 1].digitValue();
      piece.clear();
      ++at;
    } else {
      piece += text[at];
    }
  }
  pattern.pieces << piece;
  return pattern;
}

// Reads the values of `line` from `from` on, where pieces[index] follows
// the next value; each value as long as the rest allows. Plain string
// matching, so that any thread may word a text.
bool ReadValues(const QString& line, const QStringList& pieces, int index, int from,
                QStringList& values) {
  const QString& piece = pieces[index];
  const int last = static_cast<int>(line.size() - piece.size());
  if (index + 1 == pieces.size()) {
    if (last < from || !line.endsWith(piece)) return false;
    values << line.mid(from, last - from);
    return true;
  }
  for (int at = last; at >= from; --at) {
    if (QStringView(line).mid(at, piece.size()) != piece) continue;
    values << line.mid(from, at - from);
    if (ReadValues(line, pieces, index + 1, at + static_cast<int>(piece.size()), values))
      return true;
    values.removeLast();
  }
  return false;
}

// Every known text, cut once (read-only afterwards, so shared by threads).
const std::vector<Pattern>& Patterns() {
  static const std::vector<Pattern> patterns = [] {
    std::vector<Pattern> cut;
    for (const char* text : kTexts) cut.push_back(Cut(text));
    return cut;
  }();
  return patterns;
}

// The known text with its values read from `line`, or a null string.
QString Match(const QString& line, const Pattern& pattern) {
  QStringList values;
  const bool fits = pattern.numbers.isEmpty()
                        ? line == pattern.pieces[0]
                        : line.startsWith(pattern.pieces[0]) &&
                              ReadValues(line, pattern.pieces, 1,
                                         static_cast<int>(pattern.pieces[0].size()), values);
  if (!fits) return QString();
  const QString shown = QCoreApplication::translate("Library", pattern.source);
  // The values by their numbers, wherever the translation puts them, in one
  // pass: a value that holds "%2" itself stays as it is.
  QString filled;
  for (int at = 0; at < shown.size(); ++at) {
    const int which = IsMark(shown, at) ? pattern.numbers.indexOf(shown[at + 1].digitValue()) : -1;
    if (which < 0) {
      filled += shown[at];
      continue;
    }
    filled += values[which];
    ++at;
  }
  return filled;
}

QString ShownLine(const QString& line) {
  for (const Pattern& pattern : Patterns()) {
    const QString shown = Match(line, pattern);
    if (!shown.isNull()) return shown;
  }
  // "head: known text", as a port or a folder in front of a reason.
  for (const QString& separator : {QStringLiteral("："), QStringLiteral(": ")}) {
    const int at = line.indexOf(separator);
    if (at <= 0) continue;
    const QString tail = line.mid(at + separator.size());
    const QString shown = ShownLine(tail);
    // The head is a library text too when it is one ("虚拟串口 (/tmp/x)").
    if (shown != tail) return ShownLine(line.left(at)) + separator + shown;
  }
  return line;
}

}  // namespace

QString ShownLibraryText(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& line : lines) line = ShownLine(line);
  return lines.join(QLatin1Char('\n'));
}
