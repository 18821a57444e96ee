// The text "pgp -h" (or pgp without arguments) prints.
#pragma once

namespace standin {

const char* StandinUsageText();

// The first argument of the hidden copy that writes a delayed result (TAVIX_PGP_DELAY_MS).
extern const char kDelayedWriterSwitch[];

}  // namespace standin
