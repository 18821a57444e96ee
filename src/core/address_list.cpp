#include "core/address_list.h"

TAddress::TAddress(const char* addressText, const char* secondText, const char* thirdText)
    : address(HeapCopyText(addressText)),
      second(HeapCopyText(secondText)),
      third(HeapCopyText(thirdText)),
      flags(0) {}

TAddress::~TAddress() {
  HeapFreeBlock(address);
  HeapFreeBlock(second);
  HeapFreeBlock(third);
}

bool TAddress::Complete(const char* addressText, const char* secondText,
                        const char* thirdText) const {
  return (!addressText || address) && (!secondText || second) && (!thirdText || third);
}

TAddress* TAddress::Make(const char* addressText, const char* secondText,
                         const char* thirdText) {
  TAddress* entry = new (std::nothrow) TAddress(addressText, secondText, thirdText);
  if (entry && !entry->Complete(addressText, secondText, thirdText)) {
    delete entry;
    entry = nullptr;
  }
  return entry;
}
