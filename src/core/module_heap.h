// The module's heap: every text and record handed between parts of the plug-in or to the
// host is allocated here and released here.
#pragma once
#include <cstddef>

void* HeapAllocBlock(size_t size);      // null when out of memory
void HeapFreeBlock(void* block);        // null is ignored
char* HeapCopyText(const char* text);   // null for a null text or when out of memory
