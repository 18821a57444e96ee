// The addresses of one message, sender first, in an owning ordered list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include "core/module_heap.h"

// One address of a message. The address text is what PGP gets as a user id; the second
// and third texts are kept as the host gave them (null when absent) and not used by the
// PGP operations. All three are owned copies on the module heap.
struct TAddress {
  char* address;
  char* second;
  char* third;
  uint32_t flags;  // always 0

  // Copies the texts; a null text stays null. When a copy cannot be made the field is
  // null too: check Complete() for the texts that were given.
  TAddress(const char* address, const char* second, const char* third);
  ~TAddress();
  TAddress(const TAddress&) = delete;
  TAddress& operator=(const TAddress&) = delete;

  // True when every text that was given has been copied.
  bool Complete(const char* address, const char* second, const char* third) const;

  // A new entry with copies of the texts, or null when the entry or one of the texts
  // that were given cannot be allocated (nothing is left allocated then).
  static TAddress* Make(const char* address, const char* second, const char* third);

  // Entries live on the module heap like every other block of the plug-in.
  static void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return HeapAllocBlock(size);
  }
  static void operator delete(void* block) noexcept { HeapFreeBlock(block); }
  static void operator delete(void* block, const std::nothrow_t&) noexcept {
    HeapFreeBlock(block);
  }
};

// An ordered, growable list of T pointers that owns its entries: destroying the list (or
// calling Flush) destroys them. It starts with room for kInitialCapacity entries.
template <class T>
class TIArrayAsVector {
 public:
  static constexpr size_t kInitialCapacity = 6;

  TIArrayAsVector() {
    items_ = static_cast<T**>(HeapAllocBlock(kInitialCapacity * sizeof(T*)));
    capacity_ = items_ ? kInitialCapacity : 0;
  }
  ~TIArrayAsVector() {
    Flush();
    HeapFreeBlock(items_);
  }
  TIArrayAsVector(const TIArrayAsVector&) = delete;
  TIArrayAsVector& operator=(const TIArrayAsVector&) = delete;

  // Appends `item` and takes ownership of it. When the list cannot grow, returns false
  // and the item stays with the caller.
  bool Add(T* item) {
    if (!item) return false;
    if (count_ == capacity_ && !Grow()) return false;
    items_[count_++] = item;
    return true;
  }

  size_t Count() const { return count_; }
  size_t Capacity() const { return capacity_; }
  bool IsEmpty() const { return count_ == 0; }
  // The entry at `index`, or null past the end.
  T* At(size_t index) const { return index < count_ ? items_[index] : nullptr; }
  T* operator[](size_t index) const { return At(index); }

  // Destroys every entry; the list is empty afterwards.
  void Flush() {
    for (size_t i = 0; i < count_; ++i) delete items_[i];
    count_ = 0;
  }

 private:
  bool Grow() {
    size_t wanted = capacity_ ? capacity_ * 2 : kInitialCapacity;
    T** bigger = static_cast<T**>(HeapAllocBlock(wanted * sizeof(T*)));
    if (!bigger) return false;
    for (size_t i = 0; i < count_; ++i) bigger[i] = items_[i];
    HeapFreeBlock(items_);
    items_ = bigger;
    capacity_ = wanted;
    return true;
  }

  T** items_ = nullptr;
  size_t count_ = 0;
  size_t capacity_ = 0;
};

typedef TIArrayAsVector<TAddress> TAddressList;
