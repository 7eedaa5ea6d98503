<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ComputerExamine</name>
    <message>
        <source>农残检测仪 数据管理</source>
        <translation>Residue Station data</translation>
    </message>
    <message>
        <source>font-size: 20px; font-weight: bold; color: #1e4f8a;</source>
        <translation>font-size: 20px; font-weight: bold; color: #1e4f8a;</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>设置文件</source>
        <translation>Settings file</translation>
    </message>
    <message>
        <source>记录数据库</source>
        <translation>Record database</translation>
    </message>
    <message>
        <source>采集文件</source>
        <translation>Capture file</translation>
    </message>
</context>
<context>
    <name>FirstStartGuide</name>
    <message>
        <source>首次使用</source>
        <translation>First start</translation>
    </message>
    <message>
        <source>请填写这个检测站的设置（每一项都可以先空着，以后在“设置”页面填写）。
没有单位名称，公示单上没有检测单位；没有设备ID，不能打印标签和上传；没有打印机，不能打印标签；上传服务器默认是本机，数据不会送到检测平台。</source>
        <translation>Fill in this station's settings (each may stay empty for now and be set later on the Settings page).
Without a unit name the notice names no testing unit; without a device ID no label is printed and nothing uploaded; without a printer no label is printed; the upload server is this PC until set, so no record reaches the inspection platform.</translation>
    </message>
    <message>
        <source>单位名称</source>
        <translation>Unit name</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>16位十六进制字符</source>
        <translation>16 hexadecimal digits</translation>
    </message>
    <message>
        <source>（暂不选择）</source>
        <translation>(none yet)</translation>
    </message>
    <message>
        <source>检测仪串口</source>
        <translation>Detector port</translation>
    </message>
    <message>
        <source>没有找到像是检测仪的串口；插上检测仪后会自动选用，也可以在“设置”页面选择。</source>
        <translation>No port that looks like a detector's was found; one plugged in later is taken by itself, or choose it on the Settings page.</translation>
    </message>
    <message>
        <source>TCP 服务器地址</source>
        <translation>TCP server address</translation>
    </message>
    <message>
        <source>TCP 端口</source>
        <translation>TCP port</translation>
    </message>
    <message>
        <source>标签打印机</source>
        <translation>Label printer</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>Skip</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>设备ID长度必须是16个字符</source>
        <translation>The device ID must have 16 characters</translation>
    </message>
    <message>
        <source>设备ID字符必须是 0-9 或 A-F</source>
        <translation>The device ID may only hold 0-9 and A-F</translation>
    </message>
    <message>
        <source>串口设备不存在，请检查检测仪的数据线是否插好</source>
        <translation>The serial device is not there; check the detector's cable</translation>
    </message>
    <message>
        <source>串口正被别的程序使用，请先关闭那个程序</source>
        <translation>Another program uses the serial port; close it first</translation>
    </message>
    <message>
        <source>串口正被另一个程序使用，请先关闭那个程序</source>
        <translation>Another program uses the serial port; close it first</translation>
    </message>
    <message>
        <source>当前用户 %1 没有使用这个串口的权限。请管理员把用户加入 %2 组（sudo usermod -aG %3 %4），然后重新登录</source>
        <translation>User %1 may not use this serial port. Ask an administrator to add the user to group %2 (sudo usermod -aG %3 %4), then log in again</translation>
    </message>
    <message>
        <source>串口读写出错，请拔下检测仪再重新插上</source>
        <translation>Serial port read or write failed; unplug the detector and plug it in again</translation>
    </message>
    <message>
        <source>这个设备不是串口</source>
        <translation>This device is not a serial port</translation>
    </message>
    <message>
        <source>无法打开串口：%1</source>
        <translation>Cannot open the serial port: %1</translation>
    </message>
    <message>
        <source>此串口未找到: %1</source>
        <translation>Port not found: %1</translation>
    </message>
    <message>
        <source>初始化串口失败</source>
        <translation>The serial port could not be set up</translation>
    </message>
    <message>
        <source>串口打开成功: %1</source>
        <translation>Port open: %1</translation>
    </message>
    <message>
        <source>串口关闭</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>系统错误：%1</source>
        <translation>System error: %1</translation>
    </message>
    <message>
        <source>找不到打印机的地址，请检查打印机设置</source>
        <translation>The printer's address cannot be found; check the printer settings</translation>
    </message>
    <message>
        <source>打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确</source>
        <translation>The printer refused the connection; check that it is on and that the address and port are right</translation>
    </message>
    <message>
        <source>连接打印机超时，请检查打印机是否开机、网线是否连好</source>
        <translation>Connecting to the printer timed out; check that it is on and its network cable is in</translation>
    </message>
    <message>
        <source>打印机没有及时收下标签，请检查打印机是否缺纸、卡纸或暂停</source>
        <translation>The printer did not take the label in time; check for paper out, a jam or pause</translation>
    </message>
    <message>
        <source>打印机断开了连接，标签没有打印</source>
        <translation>The printer closed the connection; the label was not printed</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>找不到打印机设备，请检查打印机是否连好、设备名是否正确</source>
        <translation>The printer device is not there; check the cable and the device name</translation>
    </message>
    <message>
        <source>没有使用打印机设备的权限，请让管理员把用户加入 lp 组</source>
        <translation>No permission to use the printer device; ask an administrator to add the user to group lp</translation>
    </message>
    <message>
        <source>打印机设备正被别的程序使用</source>
        <translation>Another program uses the printer device</translation>
    </message>
    <message>
        <source>打印服务拒绝了这个标签：%1</source>
        <translation>The print service refused the label: %1</translation>
    </message>
    <message>
        <source>没有找到 lp 命令，请安装 cups-client</source>
        <translation>The lp command is missing; install cups-client</translation>
    </message>
    <message>
        <source>打印服务没有及时回应，请检查 CUPS 打印队列</source>
        <translation>The print service did not answer in time; check the CUPS queue</translation>
    </message>
    <message>
        <source>打印服务意外中止：%1</source>
        <translation>The print service stopped unexpectedly: %1</translation>
    </message>
    <message>
        <source>无法写入文件 %1，请检查文件夹是否存在、可写、磁盘是否已满</source>
        <translation>Cannot write %1; check that the folder exists and is writable and the disk is not full</translation>
    </message>
    <message>
        <source>无法解析服务器网址，请检查上传网址和网络</source>
        <translation>The server's name cannot be resolved; check the upload address and the network</translation>
    </message>
    <message>
        <source>无法连接服务器，请检查上传网址、服务器是否运行和网络</source>
        <translation>Cannot connect to the server; check the upload address, the server and the network</translation>
    </message>
    <message>
        <source>服务器没有及时回复，请稍后再试</source>
        <translation>The server did not answer in time; try again later</translation>
    </message>
    <message>
        <source>无法建立安全连接：服务器的证书不受信任或加密协商失败，请联系服务器管理员</source>
        <translation>No secure connection: the server's certificate is not trusted or the encryption failed; contact the server's administrator</translation>
    </message>
    <message>
        <source>上传已停止，服务器可能没有收到数据</source>
        <translation>Upload stopped; the server may not have received the data</translation>
    </message>
    <message>
        <source>上传失败，请检查上传网址和网络</source>
        <translation>Upload failed; check the upload address and the network</translation>
    </message>
    <message>
        <source>……（服务器的回复过长，只显示了前 %1 个字）</source>
        <translation>... (the server's reply is long; only its first %1 characters are shown)</translation>
    </message>
    <message>
        <source>无法解析服务器网址</source>
        <translation>The server's name cannot be resolved</translation>
    </message>
    <message>
        <source>无法连接服务器: %1</source>
        <translation>Cannot connect to the server: %1</translation>
    </message>
    <message>
        <source>无法创建文件，请检查文件夹是否存在、是否可写</source>
        <translation>Cannot create the file; check that the folder exists and is writable</translation>
    </message>
    <message>
        <source>已停止，文件没有写入</source>
        <translation>Stopped; the file was not written</translation>
    </message>
    <message>
        <source>文件没有写完：%1</source>
        <translation>The file was not written completely: %1</translation>
    </message>
    <message>
        <source>文件没有写完，请检查磁盘空间</source>
        <translation>The file was not written completely; check the free disk space</translation>
    </message>
    <message>
        <source>无法写入文件，请检查磁盘空间和文件夹权限</source>
        <translation>Cannot write the file; check the free disk space and the folder's permissions</translation>
    </message>
    <message>
        <source>已上传，标记未保存</source>
        <translation>Uploaded, mark not stored</translation>
    </message>
    <message>
        <source>虚拟串口 (%1)</source>
        <translation>Virtual port (%1)</translation>
    </message>
    <message>
        <source>不是普通文件: %1（符号链接形成循环）</source>
        <translation>Not a regular file: %1 (the links go round in a loop)</translation>
    </message>
    <message>
        <source>不是普通文件: %1（这是文件夹）</source>
        <translation>Not a regular file: %1 (it is a folder)</translation>
    </message>
    <message>
        <source>不是普通文件: %1（设备、管道或其他特殊文件）</source>
        <translation>Not a regular file: %1 (a device, a pipe or another special file)</translation>
    </message>
    <message>
        <source>文件太大（%1，最多 %2），没有读取: %3</source>
        <translation>File too large (%1, at most %2), not read: %3</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是文件: %1</source>
        <translation>This is a folder, not a file: %1</translation>
    </message>
    <message>
        <source>无法打开文件: %1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <source>服务器要求转到别的网址（HTTP %1），数据没有上传，请检查上传网址</source>
        <translation>The server redirects elsewhere (HTTP %1); nothing was uploaded. Check the upload address</translation>
    </message>
    <message>
        <source>服务器返回错误（HTTP %1），数据可能没有被接收，请稍后再试或联系服务器管理员</source>
        <translation>The server answered with an error (HTTP %1); the data may not have been received. Try again later or contact the server's administrator</translation>
    </message>
    <message>
        <source>服务器的回复不完整（连接中途断开），数据可能没有被接收，请稍后再试</source>
        <translation>The server's reply is incomplete (the connection broke); the data may not have been received. Try again later</translation>
    </message>
    <message>
        <source>设备 %1（%2 条）：</source>
        <translation>Device %1 (%2 records):</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列有格式错误</source>
        <translation>has a format error at line %1, column %2</translation>
    </message>
    <message>
        <source>有不能识别的文字编码</source>
        <translation>holds text in an encoding that cannot be read</translation>
    </message>
    <message>
        <source>内容不是一个 JSON 对象</source>
        <translation>does not hold a JSON object</translation>
    </message>
    <message>
        <source>这个串口设备只对管理员开放，普通用户不能使用。请管理员确认它是不是检测仪的串口（检测仪的 USB 串口通常是 ttyUSB 或 ttyACM）</source>
        <translation>This serial device is open to administrators only, not to normal accounts. Ask the administrator whether it is the detector's port (a detector's USB port is usually ttyUSB or ttyACM)</translation>
    </message>
    <message>
        <source>请填写端口号（1-65535）</source>
        <translation>Fill in a port number (1-65535)</translation>
    </message>
    <message>
        <source>端口号必须是 1-65535 之间的数字</source>
        <translation>The port must be a number from 1 to 65535</translation>
    </message>
    <message>
        <source>请填写服务器地址</source>
        <translation>Fill in the server's address</translation>
    </message>
    <message>
        <source>地址里有不能用的字符（只能用字母、数字、- 和 .）</source>
        <translation>The address has characters it may not have (letters, digits, - and . only)</translation>
    </message>
    <message>
        <source>地址格式不对（两个点之间不能为空）</source>
        <translation>The address is malformed (nothing between two dots)</translation>
    </message>
    <message>
        <source>地址格式不对（- 不能在开头或结尾）</source>
        <translation>The address is malformed (- may not start or end a part)</translation>
    </message>
    <message>
        <source>网址要以 http:// 或 https:// 开头</source>
        <translation>The address must start with http:// or https://</translation>
    </message>
    <message>
        <source>网址格式不对（IPv6 地址缺少 ]）</source>
        <translation>The address is malformed (the IPv6 address lacks its ])</translation>
    </message>
    <message>
        <source>网址里的 IPv6 地址不对</source>
        <translation>The IPv6 address in it is wrong</translation>
    </message>
    <message>
        <source>网址里缺少服务器地址</source>
        <translation>The address names no server</translation>
    </message>
    <message>
        <source>网址里的端口号必须是 1-65535 之间的数字</source>
        <translation>The port in the address must be a number from 1 to 65535</translation>
    </message>
    <message>
        <source>网址里不能有空格</source>
        <translation>The address may not hold spaces</translation>
    </message>
    <message>
        <source>不能为空</source>
        <translation>May not be empty</translation>
    </message>
    <message>
        <source>找不到服务器 %1，请检查服务器地址和网络</source>
        <translation>Server %1 not found; check the server address and the network</translation>
    </message>
    <message>
        <source>服务器 %1:%2 拒绝连接，请检查端口号和服务器是否在运行</source>
        <translation>Server %1:%2 refused the connection; check the port and whether the server runs</translation>
    </message>
    <message>
        <source>连接服务器 %1:%2 超时，请检查地址、网络和防火墙</source>
        <translation>Connecting to server %1:%2 timed out; check the address, the network and the firewall</translation>
    </message>
    <message>
        <source>无法连接服务器 %1:%2（系统错误 %3）</source>
        <translation>Cannot connect to server %1:%2 (system error %3)</translation>
    </message>
    <message>
        <source>上传网址格式不对：%1</source>
        <translation>The upload address is malformed: %1</translation>
    </message>
    <message>
        <source>找不到服务器，请检查上传网址和网络：%1</source>
        <translation>Server not found; check the upload address and the network: %1</translation>
    </message>
    <message>
        <source>服务器拒绝连接，请检查上传网址的端口和服务器是否在运行：%1</source>
        <translation>The server refused the connection; check the address's port and whether the server runs: %1</translation>
    </message>
    <message>
        <source>服务器没有及时回应，请检查网址、网络和防火墙：%1</source>
        <translation>The server did not answer in time; check the address, the network and the firewall: %1</translation>
    </message>
    <message>
        <source>服务器的证书不受信任或加密协商失败，请联系服务器管理员：%1</source>
        <translation>The server's certificate is not trusted or the encryption failed; ask the server's administrator: %1</translation>
    </message>
    <message>
        <source>无法连接服务器，请检查上传网址和网络：%1</source>
        <translation>Cannot connect to the server; check the upload address and the network: %1</translation>
    </message>
    <message>
        <source>网络打印机要写成 tcp://地址:端口，例如 tcp://192.168.1.50:9100</source>
        <translation>Write a network printer as tcp://address:port, for example tcp://192.168.1.50:9100</translation>
    </message>
    <message>
        <source>打印队列要写成 cups:队列名（不能有空格）</source>
        <translation>Write a printer queue as cups:QUEUE (no spaces)</translation>
    </message>
    <message>
        <source>文件夹要写成 dir:文件夹路径</source>
        <translation>Write a folder as dir:FOLDER</translation>
    </message>
    <message>
        <source>请写 tcp://地址:端口、cups:队列名、dir:文件夹，或打印机设备文件（如 /dev/usb/lp0）</source>
        <translation>Write tcp://address:port, cups:QUEUE, dir:FOLDER, or a printer device file (such as /dev/usb/lp0)</translation>
    </message>
    <message>
        <source>标签尺寸必须是 20-120 毫米</source>
        <translation>A label's size must be 20 to 120 mm</translation>
    </message>
    <message>
        <source>位置必须是 0-%1 点（标签 %2 毫米，每毫米 %3 点）</source>
        <translation>A position must be 0 to %1 dots (a %2 mm label, %3 dots per millimetre)</translation>
    </message>
    <message>
        <source>二维码的点大小必须是 1-20</source>
        <translation>The QR code's dot size must be 1 to 20</translation>
    </message>
    <message>
        <source>没有找到 lpstat 命令，请安装 cups-client</source>
        <translation>The lpstat command is missing; install cups-client</translation>
    </message>
    <message>
        <source>打印服务没有列出打印队列：%1</source>
        <translation>The print service did not list its queues: %1</translation>
    </message>
    <message>
        <source>打印服务没有及时回应，请检查 CUPS 打印服务</source>
        <translation>The print service did not answer in time; check the CUPS service</translation>
    </message>
    <message>
        <source>记录内容不完整，不能上传</source>
        <translation>The record is incomplete and cannot be uploaded</translation>
    </message>
    <message>
        <source>上传标记未能保存</source>
        <translation>The upload marks could not be stored</translation>
    </message>
    <message>
        <source>服务器没有回复 %1 条数据</source>
        <translation>The server did not answer for %1 records</translation>
    </message>
    <message>
        <source>服务器返回 HTTP %1，数据没有被接收</source>
        <translation>The server answered HTTP %1; the records were not taken</translation>
    </message>
    <message>
        <source>没有收到服务器的回复，数据没有被接收</source>
        <translation>No answer from the server; the records were not taken</translation>
    </message>
    <message>
        <source>服务器的回复里没有成功标记“%1”，数据没有被算作已上传</source>
        <translation>The server's reply lacks the success text “%1”; the records do not count as uploaded</translation>
    </message>
    <message>
        <source>上传失败</source>
        <translation>Upload failed</translation>
    </message>
    <message>
        <source>这一行的格式不对（被改动或插入）</source>
        <translation>this line is malformed (changed or inserted)</translation>
    </message>
    <message>
        <source>这一行之前缺少第 %1 条记录（被删除）</source>
        <translation>entry %1 is missing before this line (removed)</translation>
    </message>
    <message>
        <source>这一行之前缺少第 %1 至 %2 条记录（被删除）</source>
        <translation>entries %1 to %2 are missing before this line (removed)</translation>
    </message>
    <message>
        <source>这一行的序号重复（被插入）</source>
        <translation>this line repeats a number (inserted)</translation>
    </message>
    <message>
        <source>这一行的内容与校验值不符（被改动或插入）</source>
        <translation>this line does not match its check value (changed or inserted)</translation>
    </message>
    <message>
        <source>无法写入操作记录 %1：%2</source>
        <translation>Cannot write the operations log %1: %2</translation>
    </message>
    <message>
        <source>操作记录 %1 的最后一行不完整，请检查这个文件</source>
        <translation>The last line of the operations log %1 is incomplete; check the file</translation>
    </message>
    <message>
        <source>无法建立临时文件夹 %1</source>
        <translation>Cannot make the temporary folder %1</translation>
    </message>
    <message>
        <source>无法复制 %1</source>
        <translation>Cannot copy %1</translation>
    </message>
    <message>
        <source>无法读取文件夹 %1</source>
        <translation>Cannot read the folder %1</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>备份中的文件 %1 在复制时读出的内容与清单不符</source>
        <translation>The backup's file %1 read while copying does not match the manifest</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>Cannot make the folder %1</translation>
    </message>
    <message>
        <source>无法把 %1 改名为 %2</source>
        <translation>Cannot rename %1 to %2</translation>
    </message>
    <message>
        <source>清单 manifest.json 不是有效的 JSON</source>
        <translation>The manifest manifest.json is not valid JSON</translation>
    </message>
    <message>
        <source>清单 manifest.json 没有列出文件</source>
        <translation>The manifest manifest.json lists no files</translation>
    </message>
    <message>
        <source>清单 manifest.json 的第 %1 个文件不完整</source>
        <translation>File %1 of the manifest manifest.json is incomplete</translation>
    </message>
    <message>
        <source>清单 manifest.json 列出了不属于备份的文件 %1</source>
        <translation>The manifest manifest.json lists a file outside the backup: %1</translation>
    </message>
    <message>
        <source>备份文件夹 %1 不存在，请先建立它或选择别的文件夹</source>
        <translation>The backup folder %1 does not exist; make it first or choose another folder</translation>
    </message>
    <message>
        <source>备份 %1 已经存在，请稍后再试</source>
        <translation>The backup %1 exists already; try again in a moment</translation>
    </message>
    <message>
        <source>无法在 %1 建立备份</source>
        <translation>Cannot make a backup in %1</translation>
    </message>
    <message>
        <source>备份后无法重新打开数据库 %1</source>
        <translation>Cannot open the database %1 again after the backup</translation>
    </message>
    <message>
        <source>数据库有损坏的部分，备份没有做：%1</source>
        <translation>The database has damaged parts; no backup was made: %1</translation>
    </message>
    <message>
        <source>不完整的备份已删除</source>
        <translation>The incomplete backup was removed</translation>
    </message>
    <message>
        <source>未能删除不完整的备份 %1，请手工删除它</source>
        <translation>Could not remove the incomplete backup %1; remove it by hand</translation>
    </message>
    <message>
        <source>备份 %1 缺少清单 manifest.json，不是完整的备份</source>
        <translation>The backup %1 has no manifest.json; it is not a whole backup</translation>
    </message>
    <message>
        <source>备份中缺少文件 %1</source>
        <translation>The backup lacks the file %1</translation>
    </message>
    <message>
        <source>备份中的文件 %1 大小不对（清单 %2 字节，实际 %3 字节）</source>
        <translation>The backup's file %1 has the wrong size (manifest %2 bytes, found %3 bytes)</translation>
    </message>
    <message>
        <source>无法读取备份中的文件 %1</source>
        <translation>Cannot read the backup's file %1</translation>
    </message>
    <message>
        <source>备份中的文件 %1 内容被改动或已损坏（校验值不符）</source>
        <translation>The backup's file %1 was changed or is damaged (checksum differs)</translation>
    </message>
    <message>
        <source>备份中多出了清单里没有的文件 %1</source>
        <translation>The backup holds a file the manifest does not list: %1</translation>
    </message>
    <message>
        <source>备份已损坏，没有恢复</source>
        <translation>The backup is damaged; nothing was restored</translation>
    </message>
    <message>
        <source>恢复记录 %1 无法读取，请联系技术支持</source>
        <translation>The restore journal %1 cannot be read; contact support</translation>
    </message>
    <message>
        <source>恢复没有完成：%1 已被占用，恢复的数据仍在 %2，请关闭程序后再试</source>
        <translation>The restore did not finish: %1 is taken; the restored data is still in %2. Close the program and try again</translation>
    </message>
    <message>
        <source>磁盘已满，请腾出空间或换一个磁盘后再试</source>
        <translation>the disk is full; free some space or use another disk, then try again</translation>
    </message>
    <message>
        <source>磁盘是只读的，请换一个可写的文件夹</source>
        <translation>the disk is read-only; choose a folder that can be written</translation>
    </message>
    <message>
        <source>没有写入权限，请换一个文件夹或让管理员开放权限</source>
        <translation>no permission to write; choose another folder or ask the administrator</translation>
    </message>
    <message>
        <source>文件夹不存在或已被移走（U盘是否已拔出？）</source>
        <translation>the folder does not exist or was removed (was the USB stick pulled out?)</translation>
    </message>
    <message>
        <source>磁盘读写出错（U盘是否已拔出？），请检查磁盘后再试</source>
        <translation>disk read or write error (was the USB stick pulled out?); check the disk and try again</translation>
    </message>
    <message>
        <source>磁盘操作失败：%1</source>
        <translation>disk operation failed: %1</translation>
    </message>
    <message>
        <source>必须是 1-%1 的整数</source>
        <translation>must be a whole number from 1 to %1</translation>
    </message>
    <message>
        <source>这个文件夹不存在，请先建立它（或插上U盘）</source>
        <translation>This folder does not exist; make it first (or plug in the USB stick)</translation>
    </message>
    <message>
        <source>打印机要写成 printer:打印机名</source>
        <translation>Write an installed printer as printer:NAME</translation>
    </message>
    <message>
        <source>请写 tcp://地址:端口、printer:打印机名、dir:文件夹，或打印机端口（如 COM3、LPT1）</source>
        <translation>Write tcp://address:port, printer:NAME, dir:FOLDER, or a printer port (such as COM3 or LPT1)</translation>
    </message>
    <message>
        <source>找不到打印机 %1，请在设置里重新选择已安装的打印机</source>
        <translation>The printer %1 cannot be found; choose an installed printer again in the settings</translation>
    </message>
    <message>
        <source>无法打开打印机：%1</source>
        <translation>The printer cannot be opened: %1</translation>
    </message>
    <message>
        <source>打印服务没有收下整个标签：%1</source>
        <translation>The print service did not take the whole label: %1</translation>
    </message>
    <message>
        <source>打印服务没有列出打印机：%1</source>
        <translation>The print service did not list its printers: %1</translation>
    </message>
</context>
<context>
    <name>MainFrame</name>
    <message>
        <source>农残检测仪</source>
        <translation>Residue Station</translation>
    </message>
    <message>
        <source>0,0,0,40</source>
        <translation>0,0,0,40</translation>
    </message>
    <message>
        <source>4,4,4,4</source>
        <translation>4,4,4,4</translation>
    </message>
    <message>
        <source>8,8</source>
        <translation>8,8</translation>
    </message>
    <message>
        <source>检测记录</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>page</source>
        <translation>page</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>追溯查询</source>
        <translation>Trace</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>window</source>
        <translation>window</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>☐</source>
        <translation>☐</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>❐</source>
        <translation>❐</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>✕</source>
        <translation>✕</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>搜索名称、单位、位置、检验员、追溯码</source>
        <translation>Search sample, unit, place, inspector, trace code</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>action</source>
        <translation>action</translation>
    </message>
    <message>
        <source>公示单</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>打印标签</source>
        <translation>Print labels</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>danger</source>
        <translation>danger</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>primary</source>
        <translation>primary</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>yyyy-MM-dd</source>
        <translation>yyyy-MM-dd</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>chip</source>
        <translation>chip</translation>
    </message>
    <message>
        <source>今天</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>近7天</source>
        <translation>Last 7 days</translation>
    </message>
    <message>
        <source>本月</source>
        <translation>This month</translation>
    </message>
    <message>
        <source>检测结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>上传状态</source>
        <translation>Upload state</translation>
    </message>
    <message>
        <source>已上传</source>
        <translation>Uploaded</translation>
    </message>
    <message>
        <source>未上传</source>
        <translation>Not uploaded</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>|状态|名称|检测结果|抑制率|被检单位|位置|主检单位|检验员|检测标准|日期|温度|读数|经纬度|对照液A值|通道|追溯码</source>
        <translation>|State|Sample|Result|Inhibition|Tested unit|Place|Testing unit|Inspector|Standard|Time|Temperature|Reading|Location|Control A|Channel|Trace code</translation>
    </message>
    <message>
        <source>26,56,70,70,64,110,90,110,60,70,140,60,60,180,76,44,110</source>
        <translation>26,56,70,70,64,110,90,110,60,70,140,60,60,180,76,44,110</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>检测仪串口</source>
        <translation>Detector port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>115200</source>
        <translation>115200</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>已保存的ID</source>
        <translation>Saved IDs</translation>
    </message>
    <message>
        <source>设备标签上的ID</source>
        <translation>The ID on the device label</translation>
    </message>
    <message>
        <source>16位十六进制字符</source>
        <translation>16 hexadecimal digits</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>上传服务器</source>
        <translation>Upload server</translation>
    </message>
    <message>
        <source>服务器类型</source>
        <translation>Server type</translation>
    </message>
    <message>
        <source>TCP服务器</source>
        <translation>TCP server</translation>
    </message>
    <message>
        <source>HTTP服务器</source>
        <translation>HTTP server</translation>
    </message>
    <message>
        <source>通道产品名称</source>
        <translation>Product names of the channels</translation>
    </message>
    <message>
        <source>保存通道设置</source>
        <translation>Save channel names</translation>
    </message>
    <message>
        <source>font-size: 20px; font-weight: bold; color: #1e4f8a;</source>
        <translation>font-size: 20px; font-weight: bold; color: #1e4f8a;</translation>
    </message>
    <message>
        <source>扫描标签上的条码，或输入追溯码后按回车，打开该记录的追溯页面。</source>
        <translation>Scan the barcode on a label, or type a trace code and press Enter, to open the record's trace page.</translation>
    </message>
    <message>
        <source>追溯码</source>
        <translation>Trace code</translation>
    </message>
    <message>
        <source>font-size: 18px; padding: 8px;</source>
        <translation>font-size: 18px; padding: 8px;</translation>
    </message>
    <message>
        <source>回放采集文件 data.txt</source>
        <translation>Replay capture file data.txt</translation>
    </message>
    <message>
        <source>把当前目录下 data.txt 中的检测仪数据重新解码一遍</source>
        <translation>Decode the detector data in data.txt in the current folder again</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Recycle bin</translation>
    </message>
    <message>
        <source>删除的记录在这里，可以恢复</source>
        <translation>Deleted records are kept here and can be restored</translation>
    </message>
    <message>
        <source>QWidget#mainframe { background: #f3f5f8; }
QWidget { font-family: "WenQuanYi Micro Hei", "Microsoft YaHei UI", "Microsoft YaHei"; font-size: 13px; color: #1f2933; }
QWidget#caption { background: #1e4f8a; }
QWidget#statusbar { background: #e4e9f0; border-top: 1px solid #d0d7e2; }
QLabel#title { color: white; font-size: 16px; font-weight: bold; padding-right: 18px; }
QPushButton[role="page"] { color: #d7e3f4; background: transparent; border: none; border-bottom: 3px solid transparent; padding: 8px 14px 6px 14px; font-size: 14px; }
QPushButton[role="page"]:hover { color: white; }
QPushButton[role="page"]:checked { color: white; border-bottom: 3px solid #5cc8ff; font-weight: bold; }
QPushButton[role="window"] { color: white; background: transparent; border: none; font-size: 15px; min-width: 40px; max-width: 40px; min-height: 40px; max-height: 40px; }
QPushButton[role="window"]:hover { background: #2b63a6; }
QPushButton#closebtn:hover { background: #d9363e; }
QPushButton[role="action"] { background: white; border: 1px solid #c5cfdc; border-radius: 4px; padding: 5px 16px; }
QPushButton[role="action"]:hover { border-color: #1e4f8a; color: #1e4f8a; }
QPushButton[role="action"]:disabled { color: #9aa5b1; background: #eef1f5; }
QPushButton[role="primary"] { background: #1e6fd9; color: white; border: 1px solid #1e6fd9; border-radius: 4px; padding: 5px 18px; }
QPushButton[role="primary"]:hover { background: #2a7de8; }
QPushButton[role="danger"] { background: white; color: #c62828; border: 1px solid #e0a3a3; border-radius: 4px; padding: 5px 16px; }
QPushButton[role="danger"]:hover { border-color: #c62828; }
QGroupBox { background: white; border: 1px solid #d0d7e2; border-radius: 6px; margin-top: 14px; padding: 14px 10px 10px 10px; font-weight: bold; }
QGroupBox::title { subcontrol-origin: margin; left: 12px; padding: 0 4px; color: #1e4f8a; }
QComboBox, QLineEdit { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 3px 6px; min-height: 20px; font-weight: normal; }
QComboBox:focus, QLineEdit:focus { border-color: #1e6fd9; }
QDateEdit { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 2px 4px; min-height: 20px; }
QDateEdit:disabled { color: #9aa5b1; background: #eef1f5; }
QPushButton[role="chip"] { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 3px 8px; }
QPushButton[role="chip"]:hover { border-color: #1e4f8a; color: #1e4f8a; }
QTableView { background: white; border: 1px solid #d0d7e2; selection-background-color: #dbe9fb; selection-color: #1f2933; alternate-background-color: #f8fafc; }
QHeaderView::section { background: #eef2f7; border: none; border-right: 1px solid #d8dee8; border-bottom: 1px solid #d0d7e2; padding: 5px 5px; font-weight: bold; color: #3e4c59; }
QCheckBox { spacing: 6px; }
QLabel#TextTipCom { font-weight: bold; }
QLabel#TextTipId { color: #c62828; font-weight: normal; }
QScrollArea { border: none; background: transparent; }
QWidget#setupLeftPane { background: transparent; }
QWidget#ProductConfig { background: white; }
QWidget#ProductConfig QComboBox { border-image: url(skin:Combo_nor.png) 3 22 3 3; border-width: 3px 22px 3px 3px; padding: 1px 1px 1px 4px; border-radius: 0; background: transparent; min-height: 0; }
QWidget#ProductConfig QComboBox:hover, QWidget#ProductConfig QComboBox:on { border-image: url(skin:Combo_over.png) 3 22 3 3; }
QWidget#ProductConfig QComboBox::drop-down { width: 22px; border: none; }
QWidget#ProductConfig QComboBox::down-arrow { image: none; }
QWidget#ProductConfig QLineEdit { border: none; padding: 0 3px; min-height: 0; }
QWidget#ProductConfig QLabel { font-weight: normal; }
QPushButton#debug { background: white; border: 1px solid #c5cfdc; border-radius: 4px; padding: 5px 16px; }</source>
        <translation>QWidget#mainframe { background: #f3f5f8; }
QWidget { font-family: "WenQuanYi Micro Hei", "Microsoft YaHei UI", "Microsoft YaHei"; font-size: 13px; color: #1f2933; }
QWidget#caption { background: #1e4f8a; }
QWidget#statusbar { background: #e4e9f0; border-top: 1px solid #d0d7e2; }
QLabel#title { color: white; font-size: 16px; font-weight: bold; padding-right: 18px; }
QPushButton[role="page"] { color: #d7e3f4; background: transparent; border: none; border-bottom: 3px solid transparent; padding: 8px 14px 6px 14px; font-size: 14px; }
QPushButton[role="page"]:hover { color: white; }
QPushButton[role="page"]:checked { color: white; border-bottom: 3px solid #5cc8ff; font-weight: bold; }
QPushButton[role="window"] { color: white; background: transparent; border: none; font-size: 15px; min-width: 40px; max-width: 40px; min-height: 40px; max-height: 40px; }
QPushButton[role="window"]:hover { background: #2b63a6; }
QPushButton#closebtn:hover { background: #d9363e; }
QPushButton[role="action"] { background: white; border: 1px solid #c5cfdc; border-radius: 4px; padding: 5px 16px; }
QPushButton[role="action"]:hover { border-color: #1e4f8a; color: #1e4f8a; }
QPushButton[role="action"]:disabled { color: #9aa5b1; background: #eef1f5; }
QPushButton[role="primary"] { background: #1e6fd9; color: white; border: 1px solid #1e6fd9; border-radius: 4px; padding: 5px 18px; }
QPushButton[role="primary"]:hover { background: #2a7de8; }
QPushButton[role="danger"] { background: white; color: #c62828; border: 1px solid #e0a3a3; border-radius: 4px; padding: 5px 16px; }
QPushButton[role="danger"]:hover { border-color: #c62828; }
QGroupBox { background: white; border: 1px solid #d0d7e2; border-radius: 6px; margin-top: 14px; padding: 14px 10px 10px 10px; font-weight: bold; }
QGroupBox::title { subcontrol-origin: margin; left: 12px; padding: 0 4px; color: #1e4f8a; }
QComboBox, QLineEdit { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 3px 6px; min-height: 20px; font-weight: normal; }
QComboBox:focus, QLineEdit:focus { border-color: #1e6fd9; }
QDateEdit { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 2px 4px; min-height: 20px; }
QDateEdit:disabled { color: #9aa5b1; background: #eef1f5; }
QPushButton[role="chip"] { background: white; border: 1px solid #c5cfdc; border-radius: 3px; padding: 3px 8px; }
QPushButton[role="chip"]:hover { border-color: #1e4f8a; color: #1e4f8a; }
QTableView { background: white; border: 1px solid #d0d7e2; selection-background-color: #dbe9fb; selection-color: #1f2933; alternate-background-color: #f8fafc; }
QHeaderView::section { background: #eef2f7; border: none; border-right: 1px solid #d8dee8; border-bottom: 1px solid #d0d7e2; padding: 5px 5px; font-weight: bold; color: #3e4c59; }
QCheckBox { spacing: 6px; }
QLabel#TextTipCom { font-weight: bold; }
QLabel#TextTipId { color: #c62828; font-weight: normal; }
QScrollArea { border: none; background: transparent; }
QWidget#setupLeftPane { background: transparent; }
QWidget#ProductConfig { background: white; }
QWidget#ProductConfig QComboBox { border-image: url(skin:Combo_nor.png) 3 22 3 3; border-width: 3px 22px 3px 3px; padding: 1px 1px 1px 4px; border-radius: 0; background: transparent; min-height: 0; }
QWidget#ProductConfig QComboBox:hover, QWidget#ProductConfig QComboBox:on { border-image: url(skin:Combo_over.png) 3 22 3 3; }
QWidget#ProductConfig QComboBox::drop-down { width: 22px; border: none; }
QWidget#ProductConfig QComboBox::down-arrow { image: none; }
QWidget#ProductConfig QLineEdit { border: none; padding: 0 3px; min-height: 0; }
QWidget#ProductConfig QLabel { font-weight: normal; }
QPushButton#debug { background: white; border: 1px solid #c5cfdc; border-radius: 4px; padding: 5px 16px; }</translation>
    </message>
</context>
<context>
    <name>MainFrameWnd</name>
    <message>
        <source>正在写入文件，请等它写完或按“停止”</source>
        <translation>A file is being written; wait until it is done or press Stop</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>检测记录</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>删除 %1 条记录（其中 %2 条不在当前列表中）？</source>
        <translation>Delete %1 records (%2 of them are not in the list shown)?</translation>
    </message>
    <message>
        <source>未能删除，记录都还在：%1</source>
        <translation>Nothing was deleted; every record is still there: %1</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF file (*.pdf)</translation>
    </message>
    <message>
        <source>检测结果公示</source>
        <translation>Results notice</translation>
    </message>
    <message>
        <source>正在写入 %1/%2</source>
        <translation>Writing %1/%2</translation>
    </message>
    <message>
        <source>无法保存文件 %1：%2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
    <message>
        <source>公示单已保存到 %1（%2 条记录）。现在打开吗？</source>
        <translation>The notice is saved to %1 (%2 records). Open it now?</translation>
    </message>
    <message>
        <source>未保存</source>
        <translation>Not stored</translation>
    </message>
    <message>
        <source>无法保存检测记录：%1
有 %2 条记录等待保存，程序每隔几秒会再试一次；关闭程序时还没保存的记录会写入 %3，下次启动时保存。请检查磁盘空间和数据库文件夹。</source>
        <translation>Cannot store test records: %1
%2 records are waiting; the program tries again every few seconds. Records still waiting at close are written to %3 and stored at the next start. Check the free disk space and the database folder.</translation>
    </message>
    <message>
        <source>请先设置设备ID，点击“设置”按钮，填写设备标签上的ID，并且点击保存。</source>
        <translation>Set the device ID first: open Settings, enter the ID on the device label and press Save.</translation>
    </message>
    <message>
        <source>正在打印，请等待之前的打印完成</source>
        <translation>Printing; wait until the current job is done</translation>
    </message>
    <message>
        <source>标签没有送到打印机 %1：%2
已打印 %3 个标签</source>
        <translation>A label did not reach printer %1: %2
%3 labels printed</translation>
    </message>
    <message>
        <source>正在打印 %1/%2</source>
        <translation>Printing %1/%2</translation>
    </message>
    <message>
        <source>共 %1 条，显示 %2 条，已勾选 %3 条</source>
        <translation>%1 records, %2 shown, %3 ticked</translation>
    </message>
    <message>
        <source>（其中 %1 条未显示）</source>
        <translation> (%1 of them not shown)</translation>
    </message>
    <message>
        <source>，合格 %1 条，不合格 %2 条</source>
        <translation>, %1 passed, %2 failed</translation>
    </message>
    <message>
        <source>数据库有损坏的部分，只列出了能读出的 %1 条记录：%2
请关闭程序，用 residue-tool repair 修复数据库（修复前会先复制一份）。</source>
        <translation>Part of the database is damaged; only the %1 records that could be read are listed: %2
Close the program and repair the database with residue-tool repair (it copies the folder first).</translation>
    </message>
    <message>
        <source>未能保存勾选，请检查磁盘空间和数据库文件夹 %1</source>
        <translation>The tick was not stored; check the free disk space and the database folder %1</translation>
    </message>
    <message>
        <source>未能保存全选：%1</source>
        <translation>Select all was not stored: %1</translation>
    </message>
    <message>
        <source>回放采集文件 %1？
文件中的检测记录会作为新记录存入数据库并显示在列表中。</source>
        <translation>Replay the capture file %1?
Its test records are stored as new records and listed.</translation>
    </message>
    <message>
        <source>ID长度不能超过16个字符</source>
        <translation>The ID has at most 16 characters</translation>
    </message>
    <message>
        <source>检测数</source>
        <translation>Tested</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>不合格率</source>
        <translation>Failure rate</translation>
    </message>
    <message>
        <source>合格与不合格</source>
        <translation>Passed and failed</translation>
    </message>
    <message>
        <source>不合格率 %</source>
        <translation>Failure rate %</translation>
    </message>
    <message>
        <source>各产品不合格率</source>
        <translation>Failure rate per product</translation>
    </message>
    <message>
        <source>按月统计记录页当前显示的 %1 条记录</source>
        <translation>Per month, the %1 records the record page shows</translation>
    </message>
    <message>
        <source>按日统计记录页当前显示的 %1 条记录</source>
        <translation>Per day, the %1 records the record page shows</translation>
    </message>
    <message>
        <source>月份</source>
        <translation>Month</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>正在上传，请等待上传完成</source>
        <translation>Uploading; wait until the upload is done</translation>
    </message>
    <message>
        <source>请先设置设备ID</source>
        <translation>Set the device ID first</translation>
    </message>
    <message>
        <source>设备ID不正确，必须是16进制字符，且长度为 16.</source>
        <translation>The device ID is wrong: it must be 16 hexadecimal digits.</translation>
    </message>
    <message>
        <source>错误的服务器类型</source>
        <translation>Unknown server type</translation>
    </message>
    <message>
        <source>正在上传 %1/%2</source>
        <translation>Uploading %1/%2</translation>
    </message>
    <message>
        <source>%1 条数据的上传标记未能保存，下次会再上传</source>
        <translation>%1 upload marks were not stored; those records go again next time</translation>
    </message>
    <message>
        <source>农残检测仪</source>
        <translation>Residue Station</translation>
    </message>
    <message>
        <source>数据库正被另一个程序使用: %1</source>
        <translation>The database is in use by another program: %1</translation>
    </message>
    <message>
        <source>数据库无法打开: %1
%2

修复数据库？修复前会先把整个文件夹复制一份。</source>
        <translation>The database cannot be opened: %1
%2

Repair it? The whole folder is copied first.</translation>
    </message>
    <message>
        <source>修复数据库完成，找回 %1 条记录。修复前的文件夹保存在 %2</source>
        <translation>Database repaired: %1 records recovered. The folder as it was is kept in %2</translation>
    </message>
    <message>
        <source>修复数据库失败: %1
%2</source>
        <translation>The database could not be repaired: %1
%2</translation>
    </message>
    <message>
        <source>无法打开数据库: %1
%2</source>
        <translation>Cannot open the database: %1
%2</translation>
    </message>
    <message>
        <source>无法读取设置文件 %1：%2
程序按默认设置运行，改动的设置不会保存。请检查这个文件的权限。</source>
        <translation>Cannot read the settings file %1: %2
The program runs on default settings and changes are not saved. Check the file's permissions.</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>通道%1:</source>
        <translation>Channel %1:</translation>
    </message>
    <message>
        <source>重复数据已忽略</source>
        <translation>A record sent again was ignored</translation>
    </message>
    <message>
        <source>无法回放采集文件：%1</source>
        <translation>Cannot replay the capture file: %1</translation>
    </message>
    <message>
        <source>设备ID没有更改：未能在数据库 %1 中保存已有记录的设备ID（%2）。请检查磁盘空间和数据库文件夹，然后再试。</source>
        <translation>The device ID was not changed: the device ID of the earlier records could not be stored in the database %1 (%2). Check the free disk space and the database folder, then try again.</translation>
    </message>
    <message>
        <source>没有权限访问数据库文件夹 %1（当前用户 %2）
请让管理员把这个文件夹交给当前用户，或用有权限的账户启动程序。
%3</source>
        <translation>No permission to use the database folder %1 (user %2)
Ask an administrator to give the folder to this user, or start the program from an account that may use it.
%3</translation>
    </message>
    <message>
        <source>数据库文件夹 %1 所在的磁盘是只读的，无法保存记录。
请把数据库放到可写的磁盘上。
%2</source>
        <translation>The database folder %1 is on a read-only disk; records cannot be stored.
Put the database on a writable disk.
%2</translation>
    </message>
    <message>
        <source>数据库路径 %1 不是文件夹，而是一个文件。
请把这个文件移走或改名后再启动程序。</source>
        <translation>The database path %1 is a file, not a folder.
Move or rename the file, then start the program again.</translation>
    </message>
    <message>
        <source>设置文件中的设备ID“%1”无效：%2
程序在没有设备ID的情况下运行，请在“设置”页面输入检测仪标签上的16位设备ID。</source>
        <translation>The device ID "%1" in the settings file is not valid: %2
The program runs without a device ID; enter the 16-digit ID from the detector's label on the Settings page.</translation>
    </message>
    <message>
        <source>正在查找……</source>
        <translation>Finding...</translation>
    </message>
    <message>
        <source>正在排序……</source>
        <translation>Sorting...</translation>
    </message>
    <message>
        <source>正在删除……</source>
        <translation>Deleting...</translation>
    </message>
    <message>
        <source>正在处理记录，请稍候再试</source>
        <translation>The records are being worked on; try again in a moment</translation>
    </message>
    <message>
        <source>正在全选……</source>
        <translation>Ticking every row...</translation>
    </message>
    <message>
        <source>正在取消全选……</source>
        <translation>Unticking every row...</translation>
    </message>
    <message>
        <source>正在保存已有记录的设备ID……</source>
        <translation>Keeping the device ID of earlier records...</translation>
    </message>
    <message>
        <source>正在统计……</source>
        <translation>Counting...</translation>
    </message>
    <message>
        <source>文本文件（全部记录） (*.txt)</source>
        <translation>Text file, every record (*.txt)</translation>
    </message>
    <message>
        <source>没有找到可以打开 PDF 文件的程序。公示单在：
%1</source>
        <translation>No program to open PDF files was found. The notice is at:
%1</translation>
    </message>
    <message>
        <source>找不到采集文件 %1，没有可回放的记录</source>
        <translation>The capture file %1 is not there; there is nothing to replay</translation>
    </message>
    <message>
        <source>请输入标签上的追溯码，或扫描标签上的条码或二维码</source>
        <translation>Type the trace code from the label, or scan its barcode or QR code</translation>
    </message>
    <message>
        <source>“%1”不是追溯码：请输入标签上的 12 位追溯码，或扫描标签上的条码或二维码</source>
        <translation>"%1" is not a trace code: type the 12-character trace code from the label, or scan its barcode or QR code</translation>
    </message>
    <message>
        <source>没有找到可以打开网页的浏览器。请把下面的地址复制到浏览器中打开：
%1</source>
        <translation>No web browser was found. Copy this address into a browser:
%1</translation>
    </message>
    <message>
        <source>设置文件 %1 %2，其中的设置没有用上，程序按默认设置运行。
请改正这个文件后重新启动程序；在窗口中改动设置时，原文件会先另存为 %1.broken。</source>
        <translation>The settings file %1 %2; its settings were not used and the program runs on defaults.
Correct the file and start the program again; a setting changed in the window first keeps the file as %1.broken.</translation>
    </message>
    <message>
        <source>没有找到检测仪的串口：请插上检测仪的数据线，或在“设置”页面选择串口</source>
        <translation>No detector port found: plug in the detector's cable, or choose the port on the Settings page</translation>
    </message>
    <message numerus="yes">
        <source>删除 %n 条记录？</source>
        <translation><numerusform>Delete %n record?</numerusform><numerusform>Delete %n records?</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>已删除 %n 条数据!</source>
        <translation><numerusform>%n record deleted!</numerusform><numerusform>%n records deleted!</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>%n 条数据成功导出到 %1</source>
        <translation><numerusform>%n record exported to %1</numerusform><numerusform>%n records exported to %1</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>打印完成，共打印了 %n 个标签</source>
        <translation><numerusform>Printing done: %n label printed</numerusform><numerusform>Printing done: %n labels printed</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>已丢弃 %n 个不完整的数据帧</source>
        <translation><numerusform>Dropped %n incomplete frame</numerusform><numerusform>Dropped %n incomplete frames</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>已成功上传 %n 条数据!</source>
        <translation><numerusform>%n record uploaded!</numerusform><numerusform>%n records uploaded!</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>%n 条数据没有收到服务器回复</source>
        <translation><numerusform>%n record got no reply from the server</numerusform><numerusform>%n records got no reply from the server</numerusform></translation>
    </message>
    <message>
        <source>TCP 服务器地址</source>
        <translation>TCP server address</translation>
    </message>
    <message>
        <source>TCP 端口</source>
        <translation>TCP port</translation>
    </message>
    <message>
        <source>HTTP 上传网址</source>
        <translation>HTTP upload address</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>单位编号</source>
        <translation>Unit code</translation>
    </message>
    <message>
        <source>单位名称</source>
        <translation>Unit name</translation>
    </message>
    <message>
        <source>追溯网址</source>
        <translation>Trace address</translation>
    </message>
    <message>
        <source>公示单标题</source>
        <translation>Notice title</translation>
    </message>
    <message>
        <source>标签与公示单</source>
        <translation>Labels and notice</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>正在测试……</source>
        <translation>Testing...</translation>
    </message>
    <message>
        <source>连接服务器 %1 成功</source>
        <translation>Connected to server %1</translation>
    </message>
    <message>
        <source>打印测试标签</source>
        <translation>Print a test label</translation>
    </message>
    <message>
        <source>测试标签已送到打印机 %1</source>
        <translation>The test label went to printer %1</translation>
    </message>
    <message>
        <source>测试标签没有送到打印机 %1：%2</source>
        <translation>The test label did not reach printer %1: %2</translation>
    </message>
    <message>
        <source>标签打印机</source>
        <translation>Label printer</translation>
    </message>
    <message>
        <source>标签标题</source>
        <translation>Label title</translation>
    </message>
    <message>
        <source>标签宽度（毫米）</source>
        <translation>Label width (mm)</translation>
    </message>
    <message>
        <source>标签高度（毫米）</source>
        <translation>Label height (mm)</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>标签样式</source>
        <translation>Sample label</translation>
    </message>
    <message>
        <source>标题 y</source>
        <translation>Title y</translation>
    </message>
    <message>
        <source>第 1 行 y</source>
        <translation>Line 1 y</translation>
    </message>
    <message>
        <source>第 2 行 y</source>
        <translation>Line 2 y</translation>
    </message>
    <message>
        <source>第 3 行 y</source>
        <translation>Line 3 y</translation>
    </message>
    <message>
        <source>第 4 行 y</source>
        <translation>Line 4 y</translation>
    </message>
    <message>
        <source>条码 x</source>
        <translation>Barcode x</translation>
    </message>
    <message>
        <source>条码 y</source>
        <translation>Barcode y</translation>
    </message>
    <message>
        <source>二维码 x</source>
        <translation>QR code x</translation>
    </message>
    <message>
        <source>二维码 y</source>
        <translation>QR code y</translation>
    </message>
    <message>
        <source>二维码点大小</source>
        <translation>QR code dot size</translation>
    </message>
    <message>
        <source>标签布局（点，每毫米 %1 点）</source>
        <translation>Label layout (dots, %1 per millimetre)</translation>
    </message>
    <message>
        <source>已安装的打印队列</source>
        <translation>Installed printer queues</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>正在查找打印队列……</source>
        <translation>Looking for printer queues…</translation>
    </message>
    <message>
        <source>没有已安装的打印队列</source>
        <translation>No printer queues installed</translation>
    </message>
    <message>
        <source>选择已安装的打印队列……</source>
        <translation>Choose an installed printer queue…</translation>
    </message>
    <message>
        <source>无法打开上传队列，自动上传不可用：%1</source>
        <translation>Cannot open the upload queue; automatic upload is off: %1</translation>
    </message>
    <message>
        <source>待上传</source>
        <translation>Waiting to upload</translation>
    </message>
    <message numerus="yes">
        <source>自动上传：待上传 %n 条</source>
        <translation><numerusform>Automatic upload: %n record waiting</numerusform><numerusform>Automatic upload: %n records waiting</numerusform></translation>
    </message>
    <message>
        <source>（自动上传已关闭）</source>
        <translation> (automatic upload is off)</translation>
    </message>
    <message>
        <source>（请先设置设备ID）</source>
        <translation> (set the device ID first)</translation>
    </message>
    <message>
        <source>%1 (%2)，%3 秒后重试</source>
        <translation>%1 (%2), trying again in %3 s</translation>
    </message>
    <message numerus="yes">
        <source>有 %n 条未上传的记录，是否一并上传？</source>
        <translation><numerusform>%n record was never uploaded. Upload it too?</numerusform><numerusform>%n records were never uploaded. Upload them too?</numerusform></translation>
    </message>
    <message>
        <source>无法把记录加入上传队列：%1</source>
        <translation>Cannot add the records to the upload queue: %1</translation>
    </message>
    <message>
        <source>HTTP 成功标记</source>
        <translation>HTTP success text</translation>
    </message>
    <message>
        <source>自动上传（每条记录存好后自动上传，失败时自动重试）</source>
        <translation>Upload automatically (each record once stored; retried after a failure)</translation>
    </message>
    <message>
        <source>立即上传</source>
        <translation>Upload now</translation>
    </message>
    <message numerus="yes">
        <source>其中 %n 条已上传，仍要再次上传吗？</source>
        <translation><numerusform>%n of them was uploaded already. Upload it again?</numerusform><numerusform>%n of them were uploaded already. Upload them again?</numerusform></translation>
    </message>
    <message>
        <source>操作记录</source>
        <translation>Operations log</translation>
    </message>
    <message>
        <source>操作记录 %1 第 %2 行：%3。
这份记录在程序之外被改动过，请管理员检查；新的操作照常记在后面。</source>
        <translation>Operations log %1, line %2: %3.
The log was changed outside the program; ask the administrator to check it. New operations are still added at its end.</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>用户</source>
        <translation>User</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>自动上传</source>
        <translation>Automatic upload</translation>
    </message>
    <message numerus="yes">
        <source>接受 %n 条</source>
        <translation><numerusform>%n accepted</numerusform><numerusform>%n accepted</numerusform></translation>
    </message>
    <message>
        <source>（上传标记未能保存）</source>
        <translation> (the upload marks were not stored)</translation>
    </message>
    <message>
        <source>拒绝 %1：%2</source>
        <translation>refused %1: %2</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>自动上传 = 开</source>
        <translation>Automatic upload = on</translation>
    </message>
    <message>
        <source>自动上传 = 关</source>
        <translation>Automatic upload = off</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message numerus="yes">
        <source>%n 条记录</source>
        <translation><numerusform>%n record</numerusform><numerusform>%n records</numerusform></translation>
    </message>
    <message>
        <source>公示单</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message numerus="yes">
        <source>%n 条记录到 %1</source>
        <translation><numerusform>%n record to %1</numerusform><numerusform>%n records to %1</numerusform></translation>
    </message>
    <message>
        <source>打印标签</source>
        <translation>Print labels</translation>
    </message>
    <message numerus="yes">
        <source>%n 个标签到 %1</source>
        <translation><numerusform>%n label to %1</numerusform><numerusform>%n labels to %1</numerusform></translation>
    </message>
    <message>
        <source>，未完成：%1</source>
        <translation>, not finished: %1</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>%1：接受 %2 条，拒绝 %3 条</source>
        <translation>%1: %2 accepted, %3 refused</translation>
    </message>
    <message numerus="yes">
        <source>%n 条没有回复</source>
        <translation><numerusform>%n without a reply</numerusform><numerusform>%n without a reply</numerusform></translation>
    </message>
    <message>
        <source>检测仪串口 = %1</source>
        <translation>Detector port = %1</translation>
    </message>
    <message>
        <source>波特率 = %1</source>
        <translation>Baud rate = %1</translation>
    </message>
    <message>
        <source>服务器类型 = %1</source>
        <translation>Server type = %1</translation>
    </message>
    <message>
        <source>设备ID = %1</source>
        <translation>Device ID = %1</translation>
    </message>
    <message>
        <source>通道产品名称 = %1</source>
        <translation>Channel products = %1</translation>
    </message>
    <message>
        <source>通道 %1 产品名称 = %2</source>
        <translation>Channel %1 product = %2</translation>
    </message>
    <message>
        <source>备份数据</source>
        <translation>Back up</translation>
    </message>
    <message>
        <source>从备份恢复</source>
        <translation>Restore backup</translation>
    </message>
    <message>
        <source>选择备份存放的文件夹</source>
        <translation>Choose the folder for the backup</translation>
    </message>
    <message>
        <source>正在备份或恢复，请等它结束</source>
        <translation>A backup or restore is running; wait for it to end</translation>
    </message>
    <message>
        <source>正在备份 %1%</source>
        <translation>Backing up %1%</translation>
    </message>
    <message>
        <source>正在备份……</source>
        <translation>Backing up…</translation>
    </message>
    <message>
        <source>备份到 %1 没有完成：%2</source>
        <translation>The backup to %1 did not finish: %2</translation>
    </message>
    <message numerus="yes">
        <source>；删除了 %n 份旧备份</source>
        <translation><numerusform>; removed %n old backup</numerusform><numerusform>; removed %n old backups</numerusform></translation>
    </message>
    <message>
        <source>备份</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>自动备份</source>
        <translation>Automatic backup</translation>
    </message>
    <message numerus="yes">
        <source>已备份 %n 条记录到 %1</source>
        <translation><numerusform>Backed up %n record to %1</numerusform><numerusform>Backed up %n records to %1</numerusform></translation>
    </message>
    <message>
        <source>选择要恢复的备份文件夹</source>
        <translation>Choose the backup folder to restore</translation>
    </message>
    <message>
        <source>正在检查备份 %1%</source>
        <translation>Checking the backup %1%</translation>
    </message>
    <message>
        <source>正在检查备份……</source>
        <translation>Checking the backup…</translation>
    </message>
    <message>
        <source>备份 %1 已损坏，没有恢复：%2</source>
        <translation>The backup %1 is damaged; nothing was restored: %2</translation>
    </message>
    <message>
        <source>有记录还没存进数据库，请等它们存好后再恢复</source>
        <translation>Some records are not yet stored; wait until they are, then restore</translation>
    </message>
    <message>
        <source>用 %1 的备份（%2 条记录，检测时间 %3 至 %4）替换当前的 %5 条记录？
当前的数据库会完整保存在旁边一个带日期的文件夹里。</source>
        <translation>Replace the current %5 records with the backup of %1 (%2 records, tested %3 to %4)?
The current database is kept whole in a dated folder beside it.</translation>
    </message>
    <message>
        <source>正在复制备份 %1%</source>
        <translation>Copying the backup %1%</translation>
    </message>
    <message>
        <source>没有恢复：%1</source>
        <translation>Nothing was restored: %1</translation>
    </message>
    <message>
        <source>正在复制备份……</source>
        <translation>Copying the backup…</translation>
    </message>
    <message>
        <source>正在恢复……</source>
        <translation>Restoring…</translation>
    </message>
    <message>
        <source>；原数据库保存在 %1</source>
        <translation>; the previous database is kept in %1</translation>
    </message>
    <message numerus="yes">
        <source>已从备份恢复 %n 条记录。原来的数据库保存在 %1</source>
        <translation><numerusform>Restored %n record from the backup. The previous database is kept in %1</numerusform><numerusform>Restored %n records from the backup. The previous database is kept in %1</numerusform></translation>
    </message>
    <message>
        <source>删除的记录在“回收站”里，可以恢复。</source>
        <translation>Deleted records are in the Recycle bin and can be restored.</translation>
    </message>
    <message>
        <source>回收站 %1 无法打开，暂时不能删除记录：%2</source>
        <translation>The recycle bin %1 cannot be opened; records cannot be deleted for now: %2</translation>
    </message>
    <message>
        <source>修复</source>
        <translation>Repair</translation>
    </message>
    <message numerus="yes">
        <source>完成上次中断的删除或恢复：%n 条记录</source>
        <translation><numerusform>Finished an interrupted delete or restore: %n record</numerusform><numerusform>Finished an interrupted delete or restore: %n records</numerusform></translation>
    </message>
    <message>
        <source>回收站里有 %1 条记录删除已超过 %2 天，彻底删除它们？彻底删除后无法恢复。</source>
        <translation>%1 records in the recycle bin were deleted more than %2 days ago. Remove them for good? They cannot be restored afterwards.</translation>
    </message>
    <message>
        <source>清理回收站</source>
        <translation>Recycle bin cleanup</translation>
    </message>
    <message>
        <source>未能彻底删除，记录仍在回收站里：%1</source>
        <translation>Could not remove them for good; the records are still in the recycle bin: %1</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Recycle bin</translation>
    </message>
    <message>
        <source>删除时间</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>检测结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>被检单位</source>
        <translation>Tested unit</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>彻底删除</source>
        <translation>Remove for good</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message numerus="yes">
        <source>回收站里有 %n 条记录，删除超过 %1 天的记录在程序启动时提示彻底删除。</source>
        <translation><numerusform>%n record in the recycle bin. Records deleted more than %1 days ago are offered for removal at start.</numerusform><numerusform>%n records in the recycle bin. Records deleted more than %1 days ago are offered for removal at start.</numerusform></translation>
    </message>
    <message>
        <source>回收站有损坏的部分，只列出了能读出的记录：%1</source>
        <translation>The recycle bin has damaged parts; only the readable records are listed: %1</translation>
    </message>
    <message>
        <source>请先勾选要恢复的记录</source>
        <translation>Tick the records to restore first</translation>
    </message>
    <message>
        <source>请先勾选要彻底删除的记录</source>
        <translation>Tick the records to remove for good first</translation>
    </message>
    <message numerus="yes">
        <source>彻底删除 %n 条记录？彻底删除后无法恢复。</source>
        <translation><numerusform>Remove %n record for good? It cannot be restored afterwards.</numerusform><numerusform>Remove %n records for good? They cannot be restored afterwards.</numerusform></translation>
    </message>
    <message>
        <source>未能恢复，记录仍在回收站里：%1</source>
        <translation>Could not restore; the records are still in the recycle bin: %1</translation>
    </message>
    <message numerus="yes">
        <source>已恢复 %n 条记录</source>
        <translation><numerusform>Restored %n record</numerusform><numerusform>Restored %n records</numerusform></translation>
    </message>
    <message numerus="yes">
        <source>另有 %n 条没有恢复：同一检测时间下已经存有另一条记录，它们留在回收站里。</source>
        <translation><numerusform>%n more was not restored: another record is stored under the same test time; it stays in the recycle bin.</numerusform><numerusform>%n more were not restored: another record is stored under the same test time; they stay in the recycle bin.</numerusform></translation>
    </message>
    <message>
        <source>回收站保留天数</source>
        <translation>Days kept in the recycle bin</translation>
    </message>
    <message>
        <source>自动备份文件夹（空：不自动备份）</source>
        <translation>Automatic backup folder (empty: none)</translation>
    </message>
    <message>
        <source>保留备份份数</source>
        <translation>Backups kept</translation>
    </message>
    <message>
        <source>数据保护</source>
        <translation>Data protection</translation>
    </message>
    <message>
        <source>修复数据库，找回 %1 条记录，修复前的文件夹保存在 %2</source>
        <translation>Repaired the database, %1 records found again; the folder as it was is kept in %2</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>RecordList</name>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>已上传</source>
        <translation>Uploaded</translation>
    </message>
    <message>
        <source>未保存</source>
        <translation>Not stored</translation>
    </message>
    <message>
        <source>已上传，标记未保存</source>
        <translation>Uploaded, mark not stored</translation>
    </message>
</context>
</TS>