#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/string.h"

// Where a finished label's TSPL bytes go. One label per Deliver call; each is
// a complete job (label set-up included), so a printer that was switched off
// in between still gets everything it needs.
class LabelTransport {
 public:
  virtual ~LabelTransport() = default;
  // False with a reason in `error` when the label did not reach the destination.
  virtual bool Deliver(const std::string& tspl, String& error) = 0;
  // The destination as the settings name it, for messages.
  virtual const String& Name() const = 0;
};

// Keeps every label in memory instead of printing it (tools, tests).
class MemoryLabelTransport : public LabelTransport {
 public:
  bool Deliver(const std::string& tspl, String&) override {
    labels.push_back(tspl);
    return true;
  }
  const String& Name() const override { return name_; }
  std::vector<std::string> labels;

 private:
  String name_ = String(u"memory");
};

// The destination named by the "device" key of the printer settings:
//   tcp://HOST:PORT   raw TCP (a network label printer, usually port 9100)
//   cups:QUEUE        a raw job through the CUPS command-line client
//   dir:PATH          a folder receiving label-NNNN.tspl and label-NNNN.png per label
//   anything else     a device path such as /dev/usb/lp0
// Empty: "dir:labels", so that no label is lost while no printer is set up.
std::unique_ptr<LabelTransport> OpenLabelTransport(const String& device);
