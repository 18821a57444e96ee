#include "core/pgp_job.h"
#include <cstring>
#include "core/text_utils.h"

size_t SetSignAs(PgpJob& job, const char* user) {
  if (!user) {
    job.signAs[0] = '\0';
    return 0;
  }
  size_t length = CopyText(job.signAs, sizeof job.signAs, user);
  bool cut = user[length] != '\0';
  // A quoted id that lost its closing quote would run into the next argument.
  if (cut && user[0] == '"' && length >= 2) job.signAs[length - 1] = '"';
  return length;
}
