#include "output/label_delivery.h"

LabelDelivery::LabelDelivery(std::unique_ptr<LabelTransport> transport)
    : transport_(std::move(transport)) {}

LabelDelivery::~LabelDelivery() { Abort(); }

bool LabelDelivery::Submit(std::string tspl, Done done) {
  if (busy_) return false;
  if (worker_.joinable()) worker_.join();  // the previous label's worker has finished
  abort_ = false;
  busy_ = true;
  worker_ = std::thread([this, tspl = std::move(tspl), done = std::move(done)] {
    Status delivered = transport_->Deliver(tspl, &abort_);
    if (abort_) delivered = Status::Failed(u"已停止");
    busy_ = false;
    if (done) done(delivered.ok, delivered.text);
  });
  return true;
}

void LabelDelivery::Abort() {
  abort_ = true;
  if (worker_.joinable()) worker_.join();
}
