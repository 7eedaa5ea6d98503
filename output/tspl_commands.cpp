#include "output/tspl_commands.h"

TsplCommands::TsplCommands(std::unique_ptr<LabelTransport> transport)
    : transport_(std::move(transport)) {}

std::string QuoteTspl(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p; ++p) {
    if (*p == '"') {
      out += "\\[\"]";
    } else {
      out += *p;
    }
  }
  return out + "\"";
}

void TsplCommands::Line(const std::string& line) {
  (inLabel_ ? labelLines_ : setupLines_) += line + "\r\n";
}

void TsplCommands::openport(const char*) {
  // The printer is reached through the transport; the name is kept by the caller.
  setupLines_.clear();
  labelLines_.clear();
  inLabel_ = false;
}

void TsplCommands::setup(const char* width, const char* height, const char* speed,
                         const char* density, const char* sensor, const char* gap,
                         const char* offset) {
  Line(std::string("SIZE ") + width + " mm, " + height + " mm");
  Line(std::string("SPEED ") + speed);
  Line(std::string("DENSITY ") + density);
  // Sensor 0 is the gap sensor, 1 the black-mark sensor.
  Line(std::string(std::string(sensor) == "1" ? "BLINE " : "GAP ") + gap + " mm, " + offset +
       " mm");
}

void TsplCommands::sendcommand(const char* command) { Line(command); }

void TsplCommands::clearbuffer() {
  inLabel_ = true;
  labelLines_.clear();
  Line("CLS");
}

void TsplCommands::printerfont(const char* x, const char* y, const char* font, const char* rotation,
                               const char* xMul, const char* yMul, const char* text) {
  Line(std::string("TEXT ") + x + "," + y + "," + QuoteTspl(font) + "," + rotation + "," + xMul +
       "," + yMul + "," + QuoteTspl(text));
}

void TsplCommands::barcode(const char* x, const char* y, const char* type, const char* height,
                           const char* readable, const char* rotation, const char* narrow,
                           const char* wide, const char* content) {
  Line(std::string("BARCODE ") + x + "," + y + "," + QuoteTspl(type) + "," + height + "," +
       readable + "," + rotation + "," + narrow + "," + wide + "," + QuoteTspl(content));
}

bool TsplCommands::printlabel(const char* sets, const char* copies) {
  Line(std::string("PRINT ") + sets + "," + copies);
  lastLabel_ = setupLines_ + labelLines_;
  inLabel_ = false;
  labelLines_.clear();
  const Status delivered = transport_->Deliver(lastLabel_, nullptr);
  lastError_ = delivered.text;
  return delivered.ok;
}

void TsplCommands::closeport() {}
