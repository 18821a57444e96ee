#include "core/module_heap.h"
#include <cstdlib>
#include <cstring>

void* HeapAllocBlock(size_t size) { return std::malloc(size ? size : 1); }
void HeapFreeBlock(void* block) { std::free(block); }
char* HeapCopyText(const char* text) {
  if (!text) return nullptr;
  size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}
