// The translation of a message that the host hands in as a file.
#pragma once
#include "core/address_list.h"

// Translates `inputFile` into `outputFile`; `addresses` (may be null) holds the message's
// addresses, sender first. Returns an EMS result code for the host: 0 the output file
// was written, 1 failure or nothing to hand back, 5 the input could not be read, 11 the
// user cancelled.
long TranslateIncoming(const char* inputFile, const char* outputFile, TAddressList* addresses);
