#!/usr/bin/env python3
"""Fills translations/residue-station_en.ts from the table below.

Run after lupdate has added new texts:
  lupdate ... -ts translations/residue-station_en.ts && translations/english.py
Texts without Chinese (style sheets, numbers) translate to themselves. A
Chinese text missing from the table stays unfinished, which the test of the
translation reports.
"""
import re
import sys
import xml.etree.ElementTree as ET

ENGLISH = {
    "农残检测仪 数据管理": "Residue Station data",
    "版本": "Version",
    "设置文件": "Settings file",
    "记录数据库": "Record database",
    "采集文件": "Capture file",
    "农残检测仪": "Residue Station",
    "检测记录": "Records",
    "统计": "Statistics",
    "设置": "Settings",
    "追溯查询": "Trace",
    "关于": "About",
    "最小化": "Minimize",
    "最大化": "Maximize",
    "还原": "Restore",
    "关闭": "Close",
    "全选": "Select all",
    "搜索名称、单位、位置、检验员、追溯码": "Search sample, unit, place, inspector, trace code",
    "导出": "Export",
    "公示单": "Notice",
    "打印标签": "Print labels",
    "删除": "Delete",
    "上传": "Upload",
    "日期": "Date",
    "至": "to",
    "今天": "Today",
    "近7天": "Last 7 days",
    "本月": "This month",
    "检测结果": "Result",
    "全部": "All",
    "合格": "Pass",
    "不合格": "Fail",
    "上传状态": "Upload state",
    "已上传": "Uploaded",
    "未上传": "Not uploaded",
    "清除": "Clear",
    "|状态|名称|检测结果|抑制率|被检单位|位置|主检单位|检验员|检测标准|日期|温度|读数|经纬度|对照液A值|通道|追溯码":
        "|State|Sample|Result|Inhibition|Tested unit|Place|Testing unit|Inspector|Standard|Time|"
        "Temperature|Reading|Location|Control A|Channel|Trace code",
    "串口": "Serial port",
    "检测仪串口": "Detector port",
    "波特率": "Baud rate",
    "设备ID": "Device ID",
    "已保存的ID": "Saved IDs",
    "设备标签上的ID": "The ID on the device label",
    "16位十六进制字符": "16 hexadecimal digits",
    "保存": "Save",
    "上传服务器": "Upload server",
    "服务器类型": "Server type",
    "TCP服务器": "TCP server",
    "HTTP服务器": "HTTP server",
    "通道产品名称": "Product names of the channels",
    "保存通道设置": "Save channel names",
    "扫描标签上的条码，或输入追溯码后按回车，打开该记录的追溯页面。":
        "Scan the barcode on a label, or type a trace code and press Enter, to open the record's trace page.",
    "追溯码": "Trace code",
    "回放采集文件 data.txt": "Replay capture file data.txt",
    "把当前目录下 data.txt 中的检测仪数据重新解码一遍":
        "Decode the detector data in data.txt in the current folder again",
    "停止": "Stop",
    "正在写入文件，请等它写完或按“停止”": "A file is being written; wait until it is done or press Stop",
    "CSV 文件 (*.csv)": "CSV file (*.csv)",
    "Excel 工作簿 (*.xlsx)": "Excel workbook (*.xlsx)",
    "无法保存文件": "Cannot save the file",
    "%n 条数据成功导出到 %1": ("%n record exported to %1", "%n records exported to %1"),
    "删除 %1 条记录（其中 %2 条不在当前列表中）？":
        "Delete %1 records (%2 of them are not in the list shown)?",
    "删除 %n 条记录？": ("Delete %n record?", "Delete %n records?"),
    "未能删除，记录都还在：%1": "Nothing was deleted; every record is still there: %1",
    "已删除 %n 条数据!": ("%n record deleted!", "%n records deleted!"),
    "PDF 文件 (*.pdf)": "PDF file (*.pdf)",
    "检测结果公示": "Results notice",
    "正在写入 %1/%2": "Writing %1/%2",
    "标签样式": "Sample label",
    "首次使用": "First start",
    "请填写这个检测站的设置（每一项都可以先空着，以后在“设置”页面填写）。\n没有单位名称，公示单上没有检测单位；没有设备ID，不能打印标签和上传；没有打印机，不能打印标签；上传服务器默认是本机，数据不会送到检测平台。": "Fill in this station's settings (each may stay empty for now and be set later on the Settings page).\nWithout a unit name the notice names no testing unit; without a device ID no label is printed and nothing uploaded; without a printer no label is printed; the upload server is this PC until set, so no record reaches the inspection platform.",
    "（暂不选择）": "(none yet)",
    "没有找到像是检测仪的串口；插上检测仪后会自动选用，也可以在“设置”页面选择。": "No port that looks like a detector's was found; one plugged in later is taken by itself, or choose it on the Settings page.",
    "跳过": "Skip",
    "网络打印机要写成 tcp://地址:端口，例如 tcp://192.168.1.50:9100": "Write a network printer as tcp://address:port, for example tcp://192.168.1.50:9100",
    "打印队列要写成 cups:队列名（不能有空格）": "Write a printer queue as cups:QUEUE (no spaces)",
    "文件夹要写成 dir:文件夹路径": "Write a folder as dir:FOLDER",
    "请写 tcp://地址:端口、cups:队列名、dir:文件夹，或打印机设备文件（如 /dev/usb/lp0）": "Write tcp://address:port, cups:QUEUE, dir:FOLDER, or a printer device file (such as /dev/usb/lp0)",
    "标签尺寸必须是 20-120 毫米": "A label's size must be 20 to 120 mm",
    "位置必须是 0-%1 点（标签 %2 毫米，每毫米 %3 点）":
        "A position must be 0 to %1 dots (a %2 mm label, %3 dots per millimetre)",
    "二维码的点大小必须是 1-20": "The QR code's dot size must be 1 to 20",
    "记录内容不完整，不能上传": "The record is incomplete and cannot be uploaded",
    "上传标记未能保存": "The upload marks could not be stored",
    "服务器没有回复 %1 条数据": "The server did not answer for %1 records",
    "服务器返回 HTTP %1，数据没有被接收": "The server answered HTTP %1; the records were not taken",
    "没有收到服务器的回复，数据没有被接收": "No answer from the server; the records were not taken",
    "服务器的回复里没有成功标记“%1”，数据没有被算作已上传":
        "The server's reply lacks the success text \u201c%1\u201d; the records do not count as uploaded",
    "上传失败": "Upload failed",
    "这一行的格式不对（被改动或插入）": "this line is malformed (changed or inserted)",
    "这一行之前缺少第 %1 条记录（被删除）": "entry %1 is missing before this line (removed)",
    "这一行之前缺少第 %1 至 %2 条记录（被删除）": "entries %1 to %2 are missing before this line (removed)",
    "这一行的序号重复（被插入）": "this line repeats a number (inserted)",
    "这一行的内容与校验值不符（被改动或插入）": "this line does not match its check value (changed or inserted)",
    "无法写入操作记录 %1：%2": "Cannot write the operations log %1: %2",
    "操作记录 %1 的最后一行不完整，请检查这个文件": "The last line of the operations log %1 is incomplete; check the file",
    "没有找到 lpstat 命令，请安装 cups-client": "The lpstat command is missing; install cups-client",
    "打印服务没有列出打印队列：%1": "The print service did not list its queues: %1",
    "打印服务没有及时回应，请检查 CUPS 打印服务":
        "The print service did not answer in time; check the CUPS service",
    "标签打印机": "Label printer",
    "标签标题": "Label title",
    "标签宽度（毫米）": "Label width (mm)",
    "标签高度（毫米）": "Label height (mm)",
    "标题 y": "Title y",
    "第 1 行 y": "Line 1 y",
    "第 2 行 y": "Line 2 y",
    "第 3 行 y": "Line 3 y",
    "第 4 行 y": "Line 4 y",
    "条码 x": "Barcode x",
    "条码 y": "Barcode y",
    "二维码 x": "QR code x",
    "二维码 y": "QR code y",
    "二维码点大小": "QR code dot size",
    "标签布局（点，每毫米 %1 点）": "Label layout (dots, %1 per millimetre)",
    "已安装的打印队列": "Installed printer queues",
    "刷新": "Refresh",
    "正在查找打印队列……": "Looking for printer queues…",
    "没有已安装的打印队列": "No printer queues installed",
    "选择已安装的打印队列……": "Choose an installed printer queue…",
    "HTTP 成功标记": "HTTP success text",
    "自动上传（每条记录存好后自动上传，失败时自动重试）": "Upload automatically (each record once stored; retried after a failure)",
    "立即上传": "Upload now",
    "待上传": "Waiting to upload",
    "无法打开上传队列，自动上传不可用：%1": "Cannot open the upload queue; automatic upload is off: %1",
    "（自动上传已关闭）": " (automatic upload is off)",
    "（请先设置设备ID）": " (set the device ID first)",
    "%1 (%2)，%3 秒后重试": "%1 (%2), trying again in %3 s",
    "无法把记录加入上传队列：%1": "Cannot add the records to the upload queue: %1",
    "自动上传：待上传 %n 条": ("Automatic upload: %n record waiting", "Automatic upload: %n records waiting"),
    "有 %n 条未上传的记录，是否一并上传？": ("%n record was never uploaded. Upload it too?", "%n records were never uploaded. Upload them too?"),
    "其中 %n 条已上传，仍要再次上传吗？": ("%n of them was uploaded already. Upload it again?", "%n of them were uploaded already. Upload them again?"),
    "操作记录": "Operations log",
    "操作记录 %1 第 %2 行：%3。\n这份记录在程序之外被改动过，请管理员检查；新的操作照常记在后面。":
        "Operations log %1, line %2: %3.\nThe log was changed outside the program; ask the administrator to check it. New operations are still added at its end.",
    "序号": "No.",
    "时间": "Time",
    "用户": "User",
    "操作": "Operation",
    "内容": "Details",
    "自动上传": "Automatic upload",
    "接受 %n 条": ("%n accepted", "%n accepted"),
    "（上传标记未能保存）": " (the upload marks were not stored)",
    "拒绝 %1：%2": "refused %1: %2",
    "自动上传 = 开": "Automatic upload = on",
    "自动上传 = 关": "Automatic upload = off",
    "%n 条记录": ("%n record", "%n records"),
    "%n 条记录到 %1": ("%n record to %1", "%n records to %1"),
    "%n 个标签到 %1": ("%n label to %1", "%n labels to %1"),
    "，未完成：%1": ", not finished: %1",
    "%1：接受 %2 条，拒绝 %3 条": "%1: %2 accepted, %3 refused",
    "%n 条没有回复": ("%n without a reply", "%n without a reply"),
    "检测仪串口 = %1": "Detector port = %1",
    "波特率 = %1": "Baud rate = %1",
    "服务器类型 = %1": "Server type = %1",
    "设备ID = %1": "Device ID = %1",
    "通道产品名称 = %1": "Channel products = %1",
    "通道 %1 产品名称 = %2": "Channel %1 product = %2",
    "打印测试标签": "Print a test label",
    "测试标签已送到打印机 %1": "The test label went to printer %1",
    "测试标签没有送到打印机 %1：%2": "The test label did not reach printer %1: %2",
    "找不到服务器 %1，请检查服务器地址和网络": "Server %1 not found; check the server address and the network",
    "服务器 %1:%2 拒绝连接，请检查端口号和服务器是否在运行": "Server %1:%2 refused the connection; check the port and whether the server runs",
    "连接服务器 %1:%2 超时，请检查地址、网络和防火墙": "Connecting to server %1:%2 timed out; check the address, the network and the firewall",
    "无法连接服务器 %1:%2（系统错误 %3）": "Cannot connect to server %1:%2 (system error %3)",
    "上传网址格式不对：%1": "The upload address is malformed: %1",
    "找不到服务器，请检查上传网址和网络：%1": "Server not found; check the upload address and the network: %1",
    "服务器拒绝连接，请检查上传网址的端口和服务器是否在运行：%1": "The server refused the connection; check the address's port and whether the server runs: %1",
    "服务器没有及时回应，请检查网址、网络和防火墙：%1": "The server did not answer in time; check the address, the network and the firewall: %1",
    "服务器的证书不受信任或加密协商失败，请联系服务器管理员：%1": "The server's certificate is not trusted or the encryption failed; ask the server's administrator: %1",
    "无法连接服务器，请检查上传网址和网络：%1": "Cannot connect to the server; check the upload address and the network: %1",
    "测试连接": "Test connection",
    "正在测试……": "Testing...",
    "连接服务器 %1 成功": "Connected to server %1",
    "请填写端口号（1-65535）": "Fill in a port number (1-65535)",
    "端口号必须是 1-65535 之间的数字": "The port must be a number from 1 to 65535",
    "请填写服务器地址": "Fill in the server's address",
    "地址里有不能用的字符（只能用字母、数字、- 和 .）": "The address has characters it may not have (letters, digits, - and . only)",
    "地址格式不对（两个点之间不能为空）": "The address is malformed (nothing between two dots)",
    "地址格式不对（- 不能在开头或结尾）": "The address is malformed (- may not start or end a part)",
    "网址要以 http:// 或 https:// 开头": "The address must start with http:// or https://",
    "网址格式不对（IPv6 地址缺少 ]）": "The address is malformed (the IPv6 address lacks its ])",
    "网址里的 IPv6 地址不对": "The IPv6 address in it is wrong",
    "网址里缺少服务器地址": "The address names no server",
    "网址里的端口号必须是 1-65535 之间的数字": "The port in the address must be a number from 1 to 65535",
    "网址里不能有空格": "The address may not hold spaces",
    "不能为空": "May not be empty",
    "TCP 服务器地址": "TCP server address",
    "TCP 端口": "TCP port",
    "HTTP 上传网址": "HTTP upload address",
    "用户名": "User name",
    "密码": "Password",
    "单位编号": "Unit code",
    "单位名称": "Unit name",
    "追溯网址": "Trace address",
    "公示单标题": "Notice title",
    "标签与公示单": "Labels and notice",
    "这个串口设备只对管理员开放，普通用户不能使用。请管理员确认它是不是检测仪的串口（检测仪的 USB 串口通常是 ttyUSB 或 ttyACM）":
        "This serial device is open to administrators only, not to normal accounts. Ask the administrator "
        "whether it is the detector's port (a detector's USB port is usually ttyUSB or ttyACM)",
    "没有找到检测仪的串口：请插上检测仪的数据线，或在“设置”页面选择串口":
        "No detector port found: plug in the detector's cable, or choose the port on the Settings page",
    "第 %1 行第 %2 列有格式错误": "has a format error at line %1, column %2",
    "有不能识别的文字编码": "holds text in an encoding that cannot be read",
    "内容不是一个 JSON 对象": "does not hold a JSON object",
    "设置文件 %1 %2，其中的设置没有用上，程序按默认设置运行。\n请改正这个文件后重新启动程序；在窗口中改动设置时，原文件会先另存为 %1.broken。":
        "The settings file %1 %2; its settings were not used and the program runs on defaults.\n"
        "Correct the file and start the program again; a setting changed in the window first keeps the file as %1.broken.",
    "文本文件（全部记录） (*.txt)": "Text file, every record (*.txt)",
    "请输入标签上的追溯码，或扫描标签上的条码或二维码": "Type the trace code from the label, or scan its barcode or QR code",
    "“%1”不是追溯码：请输入标签上的 12 位追溯码，或扫描标签上的条码或二维码":
        "\"%1\" is not a trace code: type the 12-character trace code from the label, or scan its barcode or QR code",
    "没有找到可以打开网页的浏览器。请把下面的地址复制到浏览器中打开：\n%1":
        "No web browser was found. Copy this address into a browser:\n%1",
    "没有找到可以打开 PDF 文件的程序。公示单在：\n%1": "No program to open PDF files was found. The notice is at:\n%1",
    "找不到采集文件 %1，没有可回放的记录": "The capture file %1 is not there; there is nothing to replay",
    "正在处理记录，请稍候再试": "The records are being worked on; try again in a moment",
    "正在全选……": "Ticking every row...",
    "正在取消全选……": "Unticking every row...",
    "正在查找……": "Finding...",
    "正在排序……": "Sorting...",
    "正在删除……": "Deleting...",
    "正在统计……": "Counting...",
    "正在保存已有记录的设备ID……": "Keeping the device ID of earlier records...",
    "无法保存文件 %1：%2": "Cannot save %1: %2",
    "公示单已保存到 %1（%2 条记录）。现在打开吗？": "The notice is saved to %1 (%2 records). Open it now?",
    "未保存": "Not stored",
    "无法保存检测记录：%1\n有 %2 条记录等待保存，程序每隔几秒会再试一次；关闭程序时还没保存的记录会写入 %3，下次启动时保存。请检查磁盘空间和数据库文件夹。":
        "Cannot store test records: %1\n%2 records are waiting; the program tries again every few "
        "seconds. Records still waiting at close are written to %3 and stored at the next start. "
        "Check the free disk space and the database folder.",
    "请先设置设备ID，点击“设置”按钮，填写设备标签上的ID，并且点击保存。":
        "Set the device ID first: open Settings, enter the ID on the device label and press Save.",
    "正在打印，请等待之前的打印完成": "Printing; wait until the current job is done",
    "标签没有送到打印机 %1：%2\n已打印 %3 个标签": "A label did not reach printer %1: %2\n%3 labels printed",
    "打印完成，共打印了 %n 个标签": ("Printing done: %n label printed", "Printing done: %n labels printed"),
    "正在打印 %1/%2": "Printing %1/%2",
    "共 %1 条，显示 %2 条，已勾选 %3 条": "%1 records, %2 shown, %3 ticked",
    "（其中 %1 条未显示）": " (%1 of them not shown)",
    "，合格 %1 条，不合格 %2 条": ", %1 passed, %2 failed",
    "数据库有损坏的部分，只列出了能读出的 %1 条记录：%2\n请关闭程序，用 residue-tool repair 修复数据库（修复前会先复制一份）。":
        "Part of the database is damaged; only the %1 records that could be read are listed: %2\n"
        "Close the program and repair the database with residue-tool repair (it copies the folder first).",
    "未能保存勾选，请检查磁盘空间和数据库文件夹 %1":
        "The tick was not stored; check the free disk space and the database folder %1",
    "未能保存全选：%1": "Select all was not stored: %1",
    "回放采集文件 %1？\n文件中的检测记录会作为新记录存入数据库并显示在列表中。":
        "Replay the capture file %1?\nIts test records are stored as new records and listed.",
    "ID长度不能超过16个字符": "The ID has at most 16 characters",
    "检测数": "Tested",
    "不合格率": "Failure rate",
    "合格与不合格": "Passed and failed",
    "不合格率 %": "Failure rate %",
    "各产品不合格率": "Failure rate per product",
    "按月统计记录页当前显示的 %1 条记录": "Per month, the %1 records the record page shows",
    "按日统计记录页当前显示的 %1 条记录": "Per day, the %1 records the record page shows",
    "月份": "Month",
    "名称": "Sample",
    "正在上传，请等待上传完成": "Uploading; wait until the upload is done",
    "请先设置设备ID": "Set the device ID first",
    "设备ID不正确，必须是16进制字符，且长度为 16.": "The device ID is wrong: it must be 16 hexadecimal digits.",
    "错误的服务器类型": "Unknown server type",
    "正在上传 %1/%2": "Uploading %1/%2",
    "已成功上传 %n 条数据!": ("%n record uploaded!", "%n records uploaded!"),
    "%n 条数据没有收到服务器回复": ("%n record got no reply from the server",
                                 "%n records got no reply from the server"),
    "%1 条数据的上传标记未能保存，下次会再上传": "%1 upload marks were not stored; those records go again next time",
    "数据库正被另一个程序使用: %1": "The database is in use by another program: %1",
    "数据库无法打开: %1\n%2\n\n修复数据库？修复前会先把整个文件夹复制一份。":
        "The database cannot be opened: %1\n%2\n\nRepair it? The whole folder is copied first.",
    "修复数据库完成，找回 %1 条记录。修复前的文件夹保存在 %2":
        "Database repaired: %1 records recovered. The folder as it was is kept in %2",
    "修复数据库失败: %1\n%2": "The database could not be repaired: %1\n%2",
    "无法打开数据库: %1\n%2": "Cannot open the database: %1\n%2",
    "无法读取设置文件 %1：%2\n程序按默认设置运行，改动的设置不会保存。请检查这个文件的权限。":
        "Cannot read the settings file %1: %2\nThe program runs on default settings and changes are "
        "not saved. Check the file's permissions.",
    "通道%1:": "Channel %1:",
    "错误": "Error",
    "提示": "Note",
    "确认": "Confirm",
    "状态": "State",
    "抑制率": "Inhibition",
    "被检单位": "Tested unit",
    "位置": "Place",
    "主检单位": "Testing unit",
    "检验员": "Inspector",
    "检测标准": "Standard",
    "温度": "Temperature",
    "读数": "Reading",
    "经纬度": "Location",
    "对照液A值": "Control A",
    "通道": "Channel",
    "已上传，标记未保存": "Uploaded, mark not stored",
    "设备ID长度必须是16个字符": "The device ID must have 16 characters",
    "虚拟串口 (%1)": "Virtual port (%1)",
    "设备ID字符必须是 0-9 或 A-F": "The device ID may only hold 0-9 and A-F",
    "串口设备不存在，请检查检测仪的数据线是否插好": "The serial device is not there; check the detector's cable",
    "串口正被别的程序使用，请先关闭那个程序": "Another program uses the serial port; close it first",
    "串口正被另一个程序使用，请先关闭那个程序": "Another program uses the serial port; close it first",
    "当前用户 %1 没有使用这个串口的权限。请管理员把用户加入 %2 组（sudo usermod -aG %3 %4），然后重新登录":
        "User %1 may not use this serial port. Ask an administrator to add the user to group %2 "
        "(sudo usermod -aG %3 %4), then log in again",
    "串口读写出错，请拔下检测仪再重新插上": "Serial port read or write failed; unplug the detector and plug it in again",
    "这个设备不是串口": "This device is not a serial port",
    "无法打开串口：%1": "Cannot open the serial port: %1",
    "此串口未找到: %1": "Port not found: %1",
    "初始化串口失败": "The serial port could not be set up",
    "串口打开成功: %1": "Port open: %1",
    "串口关闭": "Port closed",
    "系统错误：%1": "System error: %1",
    "找不到打印机的地址，请检查打印机设置": "The printer's address cannot be found; check the printer settings",
    "打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确":
        "The printer refused the connection; check that it is on and that the address and port are right",
    "连接打印机超时，请检查打印机是否开机、网线是否连好":
        "Connecting to the printer timed out; check that it is on and its network cable is in",
    "打印机没有及时收下标签，请检查打印机是否缺纸、卡纸或暂停":
        "The printer did not take the label in time; check for paper out, a jam or pause",
    "打印机断开了连接，标签没有打印": "The printer closed the connection; the label was not printed",
    "已停止": "Stopped",
    "找不到打印机设备，请检查打印机是否连好、设备名是否正确":
        "The printer device is not there; check the cable and the device name",
    "没有使用打印机设备的权限，请让管理员把用户加入 lp 组":
        "No permission to use the printer device; ask an administrator to add the user to group lp",
    "打印机设备正被别的程序使用": "Another program uses the printer device",
    "打印服务拒绝了这个标签：%1": "The print service refused the label: %1",
    "没有找到 lp 命令，请安装 cups-client": "The lp command is missing; install cups-client",
    "打印服务没有及时回应，请检查 CUPS 打印队列": "The print service did not answer in time; check the CUPS queue",
    "打印服务意外中止：%1": "The print service stopped unexpectedly: %1",
    "无法写入文件 %1，请检查文件夹是否存在、可写、磁盘是否已满":
        "Cannot write %1; check that the folder exists and is writable and the disk is not full",
    "无法解析服务器网址，请检查上传网址和网络": "The server's name cannot be resolved; check the upload address and the network",
    "无法连接服务器，请检查上传网址、服务器是否运行和网络":
        "Cannot connect to the server; check the upload address, the server and the network",
    "服务器没有及时回复，请稍后再试": "The server did not answer in time; try again later",
    "无法建立安全连接：服务器的证书不受信任或加密协商失败，请联系服务器管理员":
        "No secure connection: the server's certificate is not trusted or the encryption failed; "
        "contact the server's administrator",
    "上传已停止，服务器可能没有收到数据": "Upload stopped; the server may not have received the data",
    "上传失败，请检查上传网址和网络": "Upload failed; check the upload address and the network",
    "……（服务器的回复过长，只显示了前 %1 个字）": "... (the server's reply is long; only its first %1 characters are shown)",
    "无法解析服务器网址": "The server's name cannot be resolved",
    "无法连接服务器: %1": "Cannot connect to the server: %1",
    "无法创建文件，请检查文件夹是否存在、是否可写": "Cannot create the file; check that the folder exists and is writable",
    "已停止，文件没有写入": "Stopped; the file was not written",
    "文件没有写完：%1": "The file was not written completely: %1",
    "文件没有写完，请检查磁盘空间": "The file was not written completely; check the free disk space",
    "无法写入文件，请检查磁盘空间和文件夹权限": "Cannot write the file; check the free disk space and the folder's permissions",
    "不是普通文件: %1（符号链接形成循环）": "Not a regular file: %1 (the links go round in a loop)",
    "不是普通文件: %1（这是文件夹）": "Not a regular file: %1 (it is a folder)",
    "不是普通文件: %1（设备、管道或其他特殊文件）": "Not a regular file: %1 (a device, a pipe or another special file)",
    "文件太大（%1，最多 %2），没有读取: %3": "File too large (%1, at most %2), not read: %3",
    "这是一个文件夹，不是文件: %1": "This is a folder, not a file: %1",
    "无法打开文件: %1": "Cannot open the file: %1",
    "服务器要求转到别的网址（HTTP %1），数据没有上传，请检查上传网址":
        "The server redirects elsewhere (HTTP %1); nothing was uploaded. Check the upload address",
    "服务器返回错误（HTTP %1），数据可能没有被接收，请稍后再试或联系服务器管理员":
        "The server answered with an error (HTTP %1); the data may not have been received. "
        "Try again later or contact the server's administrator",
    "服务器的回复不完整（连接中途断开），数据可能没有被接收，请稍后再试":
        "The server's reply is incomplete (the connection broke); the data may not have been "
        "received. Try again later",
    "设备 %1（%2 条）：": "Device %1 (%2 records):",
    "重复数据已忽略": "A record sent again was ignored",
    "已丢弃 %n 个不完整的数据帧": ("Dropped %n incomplete frame", "Dropped %n incomplete frames"),
    "无法回放采集文件：%1": "Cannot replay the capture file: %1",
    "设备ID没有更改：未能在数据库 %1 中保存已有记录的设备ID（%2）。请检查磁盘空间和数据库文件夹，然后再试。":
        "The device ID was not changed: the device ID of the earlier records could not be stored "
        "in the database %1 (%2). Check the free disk space and the database folder, then try again.",
    "数据库路径 %1 不是文件夹，而是一个文件。\n请把这个文件移走或改名后再启动程序。":
        "The database path %1 is a file, not a folder.\nMove or rename the file, then start the "
        "program again.",
    "设置文件中的设备ID“%1”无效：%2\n程序在没有设备ID的情况下运行，请在“设置”页面输入检测仪标签上的16位设备ID。":
        "The device ID \"%1\" in the settings file is not valid: %2\nThe program runs without a "
        "device ID; enter the 16-digit ID from the detector's label on the Settings page.",
    "没有权限访问数据库文件夹 %1（当前用户 %2）\n请让管理员把这个文件夹交给当前用户，或用有权限的账户启动程序。\n%3":
        "No permission to use the database folder %1 (user %2)\nAsk an administrator to give the "
        "folder to this user, or start the program from an account that may use it.\n%3",
    "数据库文件夹 %1 所在的磁盘是只读的，无法保存记录。\n请把数据库放到可写的磁盘上。\n%2":
        "The database folder %1 is on a read-only disk; records cannot be stored.\nPut the "
        "database on a writable disk.\n%2",
    '无法建立临时文件夹 %1': 'Cannot make the temporary folder %1',
    '无法复制 %1': 'Cannot copy %1',
    '无法读取文件夹 %1': 'Cannot read the folder %1',
    '无法写入 %1': 'Cannot write %1',
    '备份中的文件 %1 在复制时读出的内容与清单不符': "The backup's file %1 read while copying does not match the manifest",
    '无法建立文件夹 %1': 'Cannot make the folder %1',
    '无法把 %1 改名为 %2': 'Cannot rename %1 to %2',
    '清单 manifest.json 不是有效的 JSON': 'The manifest manifest.json is not valid JSON',
    '清单 manifest.json 没有列出文件': 'The manifest manifest.json lists no files',
    '清单 manifest.json 的第 %1 个文件不完整': 'File %1 of the manifest manifest.json is incomplete',
    '清单 manifest.json 列出了不属于备份的文件 %1': 'The manifest manifest.json lists a file outside the backup: %1',
    '备份文件夹 %1 不存在，请先建立它或选择别的文件夹': 'The backup folder %1 does not exist; make it first or choose another folder',
    '备份 %1 已经存在，请稍后再试': 'The backup %1 exists already; try again in a moment',
    '无法在 %1 建立备份': 'Cannot make a backup in %1',
    '备份后无法重新打开数据库 %1': 'Cannot open the database %1 again after the backup',
    '数据库有损坏的部分，备份没有做：%1': 'The database has damaged parts; no backup was made: %1',
    '不完整的备份已删除': 'The incomplete backup was removed',
    '未能删除不完整的备份 %1，请手工删除它': 'Could not remove the incomplete backup %1; remove it by hand',
    '备份 %1 缺少清单 manifest.json，不是完整的备份': 'The backup %1 has no manifest.json; it is not a whole backup',
    '备份中缺少文件 %1': 'The backup lacks the file %1',
    '备份中的文件 %1 大小不对（清单 %2 字节，实际 %3 字节）': "The backup's file %1 has the wrong size (manifest %2 bytes, found %3 bytes)",
    '无法读取备份中的文件 %1': "Cannot read the backup's file %1",
    '备份中的文件 %1 内容被改动或已损坏（校验值不符）': "The backup's file %1 was changed or is damaged (checksum differs)",
    '备份中多出了清单里没有的文件 %1': 'The backup holds a file the manifest does not list: %1',
    '备份已损坏，没有恢复': 'The backup is damaged; nothing was restored',
    '恢复记录 %1 无法读取，请联系技术支持': 'The restore journal %1 cannot be read; contact support',
    '恢复没有完成：%1 已被占用，恢复的数据仍在 %2，请关闭程序后再试': 'The restore did not finish: %1 is taken; the restored data is still in %2. Close the program and try again',
    '磁盘已满，请腾出空间或换一个磁盘后再试': 'the disk is full; free some space or use another disk, then try again',
    '磁盘是只读的，请换一个可写的文件夹': 'the disk is read-only; choose a folder that can be written',
    '没有写入权限，请换一个文件夹或让管理员开放权限': 'no permission to write; choose another folder or ask the administrator',
    '文件夹不存在或已被移走（U盘是否已拔出？）': 'the folder does not exist or was removed (was the USB stick pulled out?)',
    '磁盘读写出错（U盘是否已拔出？），请检查磁盘后再试': 'disk read or write error (was the USB stick pulled out?); check the disk and try again',
    '磁盘操作失败：%1': 'disk operation failed: %1',
    '必须是 1-%1 的整数': 'must be a whole number from 1 to %1',
    '这个文件夹不存在，请先建立它（或插上U盘）': 'This folder does not exist; make it first (or plug in the USB stick)',
    '回收站': 'Recycle bin',
    '删除的记录在这里，可以恢复': 'Deleted records are kept here and can be restored',
    '备份数据': 'Back up',
    '从备份恢复': 'Restore backup',
    '选择备份存放的文件夹': 'Choose the folder for the backup',
    '正在备份或恢复，请等它结束': 'A backup or restore is running; wait for it to end',
    '正在备份 %1%': 'Backing up %1%',
    '正在备份……': 'Backing up…',
    '备份到 %1 没有完成：%2': 'The backup to %1 did not finish: %2',
    '；删除了 %n 份旧备份': ('; removed %n old backup', '; removed %n old backups'),
    '备份': 'Backup',
    '自动备份': 'Automatic backup',
    '已备份 %n 条记录到 %1': ('Backed up %n record to %1', 'Backed up %n records to %1'),
    '选择要恢复的备份文件夹': 'Choose the backup folder to restore',
    '正在检查备份 %1%': 'Checking the backup %1%',
    '正在检查备份……': 'Checking the backup…',
    '备份 %1 已损坏，没有恢复：%2': 'The backup %1 is damaged; nothing was restored: %2',
    '有记录还没存进数据库，请等它们存好后再恢复': 'Some records are not yet stored; wait until they are, then restore',
    '用 %1 的备份（%2 条记录，检测时间 %3 至 %4）替换当前的 %5 条记录？\n当前的数据库会完整保存在旁边一个带日期的文件夹里。': 'Replace the current %5 records with the backup of %1 (%2 records, tested %3 to %4)?\nThe current database is kept whole in a dated folder beside it.',
    '正在复制备份 %1%': 'Copying the backup %1%',
    '没有恢复：%1': 'Nothing was restored: %1',
    '正在复制备份……': 'Copying the backup…',
    '正在恢复……': 'Restoring…',
    '；原数据库保存在 %1': '; the previous database is kept in %1',
    '已从备份恢复 %n 条记录。原来的数据库保存在 %1': ('Restored %n record from the backup. The previous database is kept in %1', 'Restored %n records from the backup. The previous database is kept in %1'),
    '删除的记录在“回收站”里，可以恢复。': 'Deleted records are in the Recycle bin and can be restored.',
    '回收站 %1 无法打开，暂时不能删除记录：%2': 'The recycle bin %1 cannot be opened; records cannot be deleted for now: %2',
    '修复': 'Repair',
    '完成上次中断的删除或恢复：%n 条记录': ('Finished an interrupted delete or restore: %n record', 'Finished an interrupted delete or restore: %n records'),
    '回收站里有 %1 条记录删除已超过 %2 天，彻底删除它们？彻底删除后无法恢复。': '%1 records in the recycle bin were deleted more than %2 days ago. Remove them for good? They cannot be restored afterwards.',
    '清理回收站': 'Recycle bin cleanup',
    '未能彻底删除，记录仍在回收站里：%1': 'Could not remove them for good; the records are still in the recycle bin: %1',
    '删除时间': 'Deleted',
    '恢复': 'Restore',
    '彻底删除': 'Remove for good',
    '回收站里有 %n 条记录，删除超过 %1 天的记录在程序启动时提示彻底删除。': ('%n record in the recycle bin. Records deleted more than %1 days ago are offered for removal at start.', '%n records in the recycle bin. Records deleted more than %1 days ago are offered for removal at start.'),
    '回收站有损坏的部分，只列出了能读出的记录：%1': 'The recycle bin has damaged parts; only the readable records are listed: %1',
    '请先勾选要恢复的记录': 'Tick the records to restore first',
    '请先勾选要彻底删除的记录': 'Tick the records to remove for good first',
    '彻底删除 %n 条记录？彻底删除后无法恢复。': ('Remove %n record for good? It cannot be restored afterwards.', 'Remove %n records for good? They cannot be restored afterwards.'),
    '未能恢复，记录仍在回收站里：%1': 'Could not restore; the records are still in the recycle bin: %1',
    '已恢复 %n 条记录': ('Restored %n record', 'Restored %n records'),
    '另有 %n 条没有恢复：同一检测时间下已经存有另一条记录，它们留在回收站里。': ('%n more was not restored: another record is stored under the same test time; it stays in the recycle bin.', '%n more were not restored: another record is stored under the same test time; they stay in the recycle bin.'),
    '回收站保留天数': 'Days kept in the recycle bin',
    '自动备份文件夹（空：不自动备份）': 'Automatic backup folder (empty: none)',
    '保留备份份数': 'Backups kept',
    '数据保护': 'Data protection',
    "修复数据库，找回 %1 条记录，修复前的文件夹保存在 %2": "Repaired the database, %1 records found again; the folder as it was is kept in %2",
}

CHINESE = re.compile("[\u3000-\u9fff\uff00-\uffef]")


def main(path):
    tree = ET.parse(path)
    missing = []
    for message in tree.iter("message"):
        source = message.find("source").text or ""
        translation = message.find("translation")
        english = ENGLISH.get(source) if CHINESE.search(source) else source
        if english is None:
            missing.append(source)
            translation.set("type", "unfinished")
            continue
        translation.attrib.pop("type", None)
        if message.get("numerus") == "yes":
            # (one, more): English has a singular and a plural form.
            forms = english if isinstance(english, tuple) else (english, english)
            for child in list(translation):
                translation.remove(child)
            translation.text = None
            for form in forms:
                ET.SubElement(translation, "numerusform").text = form
            continue
        translation.text = english
    tree.write(path, encoding="utf-8", xml_declaration=True)
    for source in missing:
        print("no English for: " + source, file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "translations/residue-station_en.ts"))
