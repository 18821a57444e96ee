#include "plugin/translate_incoming.h"
#include "plugin/ems_types.h"
#include "ui/process_state.h"

long TranslateIncoming(const char* inputFile, const char* outputFile, TAddressList* addresses) {
  // Nothing runs before the attach sequence has completed. The classification,
  // confirmation and PGP run of the translation are added by the translation work; until
  // then the attached flag is never set, so this always refuses.
  (void)inputFile;
  (void)outputFile;
  (void)addresses;
  if (!attachedFlag) return EMSR_UNKNOWN_FAIL;
  return EMSR_UNKNOWN_FAIL;
}
