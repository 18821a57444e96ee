// PLACEHOLDER (replaced by the settings store).
#include "config/settings.h"
TSettingsRecord settings;
