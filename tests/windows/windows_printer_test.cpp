// Labels to the Windows spooler: a printer that is not installed is named as
// such, and the list of installed printers comes without an error.
#include <gtest/gtest.h>

#include "output/printer_queues.h"

namespace {

TEST(WindowsPrinterTest, AMissingPrinterIsNamedAndTheListComesBack) {
  EXPECT_EQ(PrinterQueuePrefix(), String(u"printer:"));
  EXPECT_EQ(CheckQueueName(u"TSC TTP-244 Pro"), String(u"")) << "Windows names have spaces";
  EXPECT_FALSE(CheckQueueName(u"").IsEmpty());
  EXPECT_TRUE(IsPrinterDevicePath(u"COM3"));
  EXPECT_TRUE(IsPrinterDevicePath(u"\\\\.\\USB001"));
  EXPECT_FALSE(IsPrinterDevicePath(u"COMX"));

  auto transport =
      OpenQueueTransport(u"printer:No Such Printer", "No Such Printer", LabelTimeouts{});
  const Status delivered = transport->Deliver("SIZE 40 mm,30 mm\r\nPRINT 1\r\n", nullptr);
  EXPECT_FALSE(delivered);
  EXPECT_NE(delivered.text.ToBytes(cp::kUtf8).find("找不到打印机"), std::string::npos)
      << delivered.text.ToBytes(cp::kUtf8);

  const PrinterQueues queues = ListPrinterQueues(1000, nullptr);
  EXPECT_TRUE(queues.status) << queues.status.text.ToBytes(cp::kUtf8);
}

}  // namespace
