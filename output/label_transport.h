#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"

// How long delivering one label may take at most. A destination that takes
// longer fails with a time-out instead of holding anyone.
struct LabelTimeouts {
  int connectMs = 5000;  // a network printer's connection
  int writeMs = 10000;   // writing the label and the printer taking all of it
  int lpMs = 15000;      // the print service's lp, from start to exit
};

// Where a finished label's TSPL bytes go. One label per Deliver call; each is
// a complete job (label set-up included), so a printer that was switched off
// in between still gets everything it needs. Deliver blocks for at most the
// time-outs and gives up soon after `abort` becomes true; it runs on whatever
// thread calls it (the window's delivery worker).
class LabelTransport {
 public:
  virtual ~LabelTransport() = default;
  // Ok only when the destination took every byte; failed with the reason.
  virtual Status Deliver(const std::string& tspl, const std::atomic<bool>* abort) = 0;
  // The destination as the settings name it, for messages.
  virtual const String& Name() const = 0;
};

// A transport that keeps the destination's name as the settings give it.
class NamedTransport : public LabelTransport {
 public:
  explicit NamedTransport(const String& name) : name_(name) {}
  const String& Name() const override { return name_; }

 private:
  String name_;
};

// Keeps every label in memory instead of printing it (tools, tests).
class MemoryLabelTransport : public LabelTransport {
 public:
  Status Deliver(const std::string& tspl, const std::atomic<bool>*) override {
    labels.push_back(tspl);
    return Status::Ok();
  }
  const String& Name() const override { return name_; }
  std::vector<std::string> labels;

 private:
  String name_ = String(u"memory");
};

// Takes every label and keeps none: for a printer that only lays labels out,
// whose bytes (TsplCommands::LastLabel) are delivered elsewhere.
class NoLabelTransport : public LabelTransport {
 public:
  Status Deliver(const std::string&, const std::atomic<bool>*) override { return Status::Ok(); }
  const String& Name() const override { return name_; }

 private:
  String name_ = String(u"none");
};

// The destination named by the "device" key of the printer settings:
//   tcp://HOST:PORT   raw TCP (a network label printer, usually port 9100)
//   cups:QUEUE        a raw job through the CUPS command-line client
//   dir:PATH          a folder receiving label-NNNN.tspl and label-NNNN.png per label
//   anything else     a device path such as /dev/usb/lp0
// Empty: "dir:labels", so that no label is lost while no printer is set up.
std::unique_ptr<LabelTransport> OpenLabelTransport(const String& device,
                                                   const LabelTimeouts& timeouts = {});
