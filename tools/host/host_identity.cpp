// Compiled once per identity with that identity's generated values.
#include "host_identity.h"
#include "host_identity_values.h"

namespace {
const unsigned menuKeys[] = {EUDORA_MENU_KEYS};
}  // namespace

const HostIdentity hostIdentity = {
#ifdef EUDORA_PRODUCT_NAME
    EUDORA_PRODUCT_NAME,
#else
    nullptr,
#endif
    EUDORA_PRODUCT_VERSION,
    EUDORA_CONTROL_BAR_CLASS,
    menuKeys,
    sizeof menuKeys / sizeof menuKeys[0],
    EUDORA_IDENTITY_FOLDER,
};
