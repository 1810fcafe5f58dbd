// Sharing of format objects between holders.

#include "format/num_str_ct.h"

#include <algorithm>
#include <stdexcept>

namespace tessmar {

TFormatHolder::TFormatHolder() : format_(std::make_shared<TNumStringFormat>()) {}

TFormatHolder::~TFormatHolder() {
  Unlink();
  // Followers keep the settings they were using, as private copies.
  const std::vector<TFormatHolder*> followers = followers_;
  for (TFormatHolder* f : followers) f->SetFormatControl(nullptr);
}

void TFormatHolder::Unlink() {
  if (source_ == nullptr) return;
  auto& list = source_->followers_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  source_ = nullptr;
}

void TFormatHolder::Bind(std::shared_ptr<TNumStringFormat> format) {
  if (format == format_) return;
  format_ = std::move(format);
  FormatObjectChanged();
  for (TFormatHolder* f : followers_) f->Bind(format_);
}

void TFormatHolder::SetFormatControl(TFormatHolder* source) {
  if (source == source_) return;
  for (const TFormatHolder* h = source; h != nullptr; h = h->source_)
    if (h == this) throw std::invalid_argument("a format control cannot follow itself");
  Unlink();
  if (source == nullptr) {
    Bind(std::make_shared<TNumStringFormat>(*format_));
    return;
  }
  source_ = source;
  source->followers_.push_back(this);
  Bind(source->format_);
}

void TFormatHolder::Assign(const TNumStringFormat& format) {
  if (&format != format_.get()) *format_ = format;
}

void TFormatHolder::Assign(const TFormatHolder& other) {
  // Holders that already use one format object have nothing to copy.
  if (&other == this || other.format_ == format_) return;
  if (other.source_ != nullptr) {
    SetFormatControl(other.source_);
  } else {
    SetFormatControl(nullptr);
    Assign(*other.format_);
  }
}

}  // namespace tessmar
