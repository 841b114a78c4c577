#include "foundation/SerializationInfo.h"

#include <bit>
#include <charconv>
#include <limits>

#include "foundation/StringUtil.h"

namespace {

const std::string& EmptyText() {
  static const std::string* empty = new std::string();  // never destroyed
  return *empty;
}

std::string_view SkipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  return text.substr(i);
}

// strtoll-like: blanks, an optional sign, digits; clamped to [low, high].
int64_t LeadingInteger(std::string_view text, int64_t low, int64_t high) {
  text = SkipBlanks(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  // Accumulate towards the sign's limit so that the most negative value fits.
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    int digit = c - '0';
    if (negative) {
      if (value < (low + digit) / 10) return low;
      value = value * 10 - digit;
    } else {
      if (value > (high - digit) / 10) return high;
      value = value * 10 + digit;
    }
  }
  return value;
}

}  // namespace

CSerializationInfo::~CSerializationInfo() {
  delete first_child_;
  if (previous_ == nullptr) {
    CSerializationInfo* node = next_;
    while (node) {
      CSerializationInfo* after = node->next_;
      delete node;  // not a chain head: frees only its own children
      node = after;
    }
  }
}

void CSerializationInfo::AddValue(std::string_view name, std::string_view text) {
  TakeValue(std::string(name), std::string(text));
}

void CSerializationInfo::TakeValue(std::string name, std::string text) {
  values_.emplace_back(std::move(name), std::move(text));
  if (values_.size() <= kScanLimit) return;
  if (first_index_.size() < 2 * values_.size()) {
    // Crossing the limit, or the table half full: (re)index every value in
    // order into a table of at least four slots per value the list has room
    // for, so that values reserved ahead are indexed without a rebuild
    // (first positions win).
    first_index_.assign(std::bit_ceil(4 * values_.capacity()), 0);
    for (size_t i = 0; i < values_.size(); ++i) IndexValue(static_cast<int>(i));
  } else {
    IndexValue(static_cast<int>(values_.size() - 1));
  }
}

namespace {

size_t NameSlot(std::string_view name, size_t slots) { return std::hash<std::string_view>()(name) & (slots - 1); }

}  // namespace

// Enters the value at `position` unless an earlier value has its name.
void CSerializationInfo::IndexValue(int position) {
  const std::string& name = values_[static_cast<size_t>(position)].first;
  const size_t mask = first_index_.size() - 1;
  for (size_t slot = NameSlot(name, first_index_.size());; slot = (slot + 1) & mask) {
    int& entry = first_index_[slot];
    if (entry == 0) {
      entry = position + 1;
      return;
    }
    if (values_[static_cast<size_t>(entry - 1)].first == name) return;
  }
}

void CSerializationInfo::AddInt(std::string_view name, int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  AddValue(name, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void CSerializationInfo::AddUInt(std::string_view name, uint32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  AddValue(name, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void CSerializationInfo::AddInt64(std::string_view name, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  AddValue(name, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void CSerializationInfo::AddDouble(std::string_view name, double value) {
  AddValue(name, StrFormat("%f", value));
}

void CSerializationInfo::AddFloat(std::string_view name, float value) {
  AddValue(name, StrFormat("%g", static_cast<double>(value)));
}

int CSerializationInfo::IndexOf(std::string_view name) const {
  if (values_.size() <= kScanLimit) {
    for (size_t i = 0; i < values_.size(); ++i) {
      if (values_[i].first == name) return static_cast<int>(i);
    }
    return -1;
  }
  const size_t mask = first_index_.size() - 1;
  for (size_t slot = NameSlot(name, first_index_.size());; slot = (slot + 1) & mask) {
    const int entry = first_index_[slot];
    if (entry == 0) return -1;
    if (values_[static_cast<size_t>(entry - 1)].first == name) return entry - 1;
  }
}

const std::string& CSerializationInfo::GetValue(std::string_view name) const {
  return GetValueAt(IndexOf(name));
}

std::string CSerializationInfo::GetValue(std::string_view name, std::string_view fallback) const {
  int position = IndexOf(name);
  return position < 0 ? std::string(fallback) : values_[static_cast<size_t>(position)].second;
}

int32_t CSerializationInfo::GetInt(std::string_view name) const {
  return static_cast<int32_t>(LeadingInteger(GetValue(name), std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max()));
}

int64_t CSerializationInfo::GetInt64(std::string_view name) const {
  return LeadingInteger(GetValue(name), std::numeric_limits<int64_t>::min(),
                        std::numeric_limits<int64_t>::max());
}

double CSerializationInfo::GetFloat(std::string_view name, double fallback) const {
  int position = IndexOf(name);
  if (position < 0) return fallback;
  std::string_view text = SkipBlanks(values_[static_cast<size_t>(position)].second);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone on overflow; atof gives infinity or 0.
    bool negative = !text.empty() && text[0] == '-';
    size_t e = text.find_first_of("eE");
    bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    if (negative) value = -value;
  } else if (result.ec != std::errc()) {
    value = 0;
  }
  return value;
}

bool CSerializationInfo::GetBool(std::string_view name) const { return GetValue(name) == "1"; }

const std::string& CSerializationInfo::GetValueAt(int position) const {
  if (position < 0 || static_cast<size_t>(position) >= values_.size()) return EmptyText();
  return values_[static_cast<size_t>(position)].second;
}

CSerializationInfo* CSerializationInfo::GetOrAddChild() {
  if (!first_child_) {
    first_child_ = new CSerializationInfo();
    first_child_->parent_ = this;
    first_child_->depth_ = depth_ + 1;
  }
  return first_child_;
}

CSerializationInfo* CSerializationInfo::AppendSibling() {
  CSerializationInfo* after = this;
  if (next_) {
    after = tail_;
    if (!after) {
      // Nothing was appended through this node yet: its chain's end.
      after = this;
      while (after->next_) after = after->next_;
    }
  }
  auto* node = new CSerializationInfo();
  node->parent_ = parent_;
  node->depth_ = depth_;
  node->previous_ = after;
  node->next_ = after->next_;
  if (after->next_) after->next_->previous_ = node;
  after->next_ = node;
  tail_ = node;
  return node;
}

const CSerializationInfo* FindListChild(const CSerializationInfo& node, std::string_view name) {
  const CSerializationInfo* first = node.GetFirstChild();
  return first && StrEqualNoCase(first->GetName(), name) ? first : nullptr;
}
