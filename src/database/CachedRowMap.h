// CCachedRowMap: the cached rows of one table by full key, in one flat array
// (open addressing, linear probing). A look-up reads one slot's cache line
// (key and row side by side) instead of walking a bucket list of nodes
// scattered over the heap, and a load fills one allocation instead of one node
// per row. Erased slots stay as markers until the next growth, so an iterator
// survives erase(it) and iteration never sees a row twice. Not thread-safe:
// readers share it only while no one changes it (the store's cache lock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "database/EntityMaps.h"

class CCachedRowMap {
 public:
  using key_type = uint64_t;
  using mapped_type = EntityPtr;
  using value_type = std::pair<uint64_t, EntityPtr>;
  using size_type = size_t;

 private:
  enum class SlotState : uint8_t { kEmpty, kUsed, kErased };
  struct Slot {
    value_type entry;
    SlotState state = SlotState::kEmpty;
  };

  template <bool kConst>
  class Iter {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = CCachedRowMap::value_type;
    using difference_type = std::ptrdiff_t;
    using pointer = std::conditional_t<kConst, const value_type*, value_type*>;
    using reference = std::conditional_t<kConst, const value_type&, value_type&>;
    using SlotPtr = std::conditional_t<kConst, const Slot*, Slot*>;

    Iter() = default;
    Iter(SlotPtr at, SlotPtr end) : at_(at), end_(end) { SkipUnused(); }
    template <bool kOther, typename = std::enable_if_t<kConst && !kOther>>
    Iter(const Iter<kOther>& other) : at_(other.at_), end_(other.end_) {}  // NOLINT: iterator to const_iterator

    reference operator*() const { return at_->entry; }
    pointer operator->() const { return &at_->entry; }
    Iter& operator++() {
      ++at_;
      SkipUnused();
      return *this;
    }
    Iter operator++(int) {
      Iter before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const Iter& a, const Iter& b) { return a.at_ == b.at_; }
    friend bool operator!=(const Iter& a, const Iter& b) { return a.at_ != b.at_; }

   private:
    friend class CCachedRowMap;
    friend class Iter<!kConst>;
    void SkipUnused() {
      while (at_ != end_ && at_->state != SlotState::kUsed) ++at_;
    }
    SlotPtr at_ = nullptr;
    SlotPtr end_ = nullptr;
  };

 public:
  using iterator = Iter<false>;
  using const_iterator = Iter<true>;

  CCachedRowMap() = default;
  CCachedRowMap(const CCachedRowMap& other) { *this = other; }
  CCachedRowMap& operator=(const CCachedRowMap& other) {
    if (this == &other) return *this;
    clear();
    reserve(other.size_);
    for (const value_type& entry : other) Put(entry.first, entry.second);
    return *this;
  }
  CCachedRowMap(CCachedRowMap&& other) noexcept { swap(other); }
  CCachedRowMap& operator=(CCachedRowMap&& other) noexcept {
    CCachedRowMap taken(std::move(other));
    swap(taken);
    return *this;
  }

  iterator begin() { return iterator(Data(), Data() + slots_.size()); }
  iterator end() { return iterator(Data() + slots_.size(), Data() + slots_.size()); }
  const_iterator begin() const { return const_iterator(Data(), Data() + slots_.size()); }
  const_iterator end() const { return const_iterator(Data() + slots_.size(), Data() + slots_.size()); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // The row under `key`, or end().
  iterator find(uint64_t key) {
    const size_t at = Probe(key);
    return at == kNone ? end() : iterator(Data() + at, Data() + slots_.size());
  }
  const_iterator find(uint64_t key) const {
    const size_t at = Probe(key);
    return at == kNone ? end() : const_iterator(Data() + at, Data() + slots_.size());
  }
  size_t count(uint64_t key) const { return Probe(key) == kNone ? 0 : 1; }

  // The row under `key`, made empty first when there is none.
  EntityPtr& operator[](uint64_t key) { return Put(key, nullptr, false)->entry.second; }
  // Adds the rows of [first, last) whose keys are not here yet.
  template <typename It>
  void insert(It first, It last) {
    for (; first != last; ++first) Put(first->first, first->second, false);
  }

  // Removes the row at `it`; the iterator to the next row.
  iterator erase(const_iterator it) {
    Slot* slot = Data() + (it.at_ - Data());
    slot->entry.second.reset();
    slot->state = SlotState::kErased;
    --size_;
    ++erased_;
    return iterator(slot + 1, Data() + slots_.size());
  }
  size_t erase(uint64_t key) {
    const_iterator it = find(key);
    if (it == end()) return 0;
    erase(it);
    return 1;
  }

  void clear() {
    slots_.clear();
    size_ = 0;
    erased_ = 0;
  }
  // Room for `rows` rows without growing.
  void reserve(size_t rows) {
    if (SlotsFor(rows) > slots_.size()) Rehash(SlotsFor(rows));
  }
  void swap(CCachedRowMap& other) noexcept {
    slots_.swap(other.slots_);
    std::swap(size_, other.size_);
    std::swap(erased_, other.erased_);
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // A power of two at most three quarters full with `rows` rows.
  static size_t SlotsFor(size_t rows) {
    size_t slots = 16;
    while (slots * 3 / 4 < rows) slots *= 2;
    return slots;
  }
  // Keys are mostly consecutive ids: the multiply spreads them over the slots.
  size_t Home(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }
  Slot* Data() { return slots_.data(); }
  const Slot* Data() const { return slots_.data(); }

  size_t Probe(uint64_t key) const {
    if (size_ == 0) return kNone;
    const size_t mask = slots_.size() - 1;
    for (size_t at = Home(key);; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.state == SlotState::kEmpty) return kNone;
      if (slot.state == SlotState::kUsed && slot.entry.first == key) return at;
    }
  }

  // The slot of `key`: `row` stored there when new, or always with `replace`.
  Slot* Put(uint64_t key, EntityPtr row, bool replace = true) {
    if (SlotsFor(size_ + erased_ + 1) > slots_.size()) Rehash(SlotsFor(size_ + 1));
    const size_t mask = slots_.size() - 1;
    Slot* reuse = nullptr;
    for (size_t at = Home(key);; at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (slot.state == SlotState::kUsed && slot.entry.first == key) {
        if (replace) slot.entry.second = std::move(row);
        return &slot;
      }
      if (slot.state == SlotState::kErased && !reuse) reuse = &slot;
      if (slot.state == SlotState::kEmpty) {
        Slot& into = reuse ? *reuse : slot;
        if (reuse) --erased_;
        into.entry.first = key;
        into.entry.second = std::move(row);
        into.state = SlotState::kUsed;
        ++size_;
        return &into;
      }
    }
  }

  void Rehash(size_t slots) {
    std::vector<Slot> old(slots);
    old.swap(slots_);
    size_ = 0;
    erased_ = 0;
    const size_t mask = slots_.size() - 1;
    for (Slot& from : old) {
      if (from.state != SlotState::kUsed) continue;
      size_t at = Home(from.entry.first);
      while (slots_[at].state != SlotState::kEmpty) at = (at + 1) & mask;
      slots_[at].entry = std::move(from.entry);
      slots_[at].state = SlotState::kUsed;
      ++size_;
    }
  }

  std::vector<Slot> slots_;  // empty, or a power of two
  size_t size_ = 0;
  size_t erased_ = 0;
};
