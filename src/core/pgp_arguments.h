// PGP's command-line arguments from a job's flag word: option letters behind one '-',
// then the options ("+clearsig=on", the input file, the recipients), then -u and -o.
#pragma once
#include "core/pgp_job.h"

// Longest argument text: PgpJob::arguments holds it and its NUL.
enum { kMaxArgumentLength = 120 };

// Appends " -<letter> <value>" to `arguments` (a PgpJob::arguments field) at `length`
// when the result stays within kMaxArgumentLength characters. Returns the new length;
// otherwise ends the text at `length` and returns -1. The value is inserted as it is.
int AppendSwitch(char* arguments, int length, char letter, const char* value);

// Builds job.arguments and job.argLength from job.flags. `sender` is the signing user
// used when signAs is empty (the first address of the job, or null); `outputFile` is the
// plain transfer file for -o. Clears kJobSignAs when there is no signing user.
// Returns the length, or -1 when the text would overflow: argLength is then the length
// of the items that fitted, or 255 when a switch did not fit; the text keeps what fitted.
// The Windows side calls this through BuildArguments(PgpJob&) in pgp/pgp_runner.h,
// which supplies the job's sender and the process-wide transfer file name.
int BuildArguments(PgpJob& job, const char* sender, const char* outputFile);
