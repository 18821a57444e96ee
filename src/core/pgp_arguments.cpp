#include "core/pgp_arguments.h"
#include <cstring>

namespace {

struct LetterRow {
  uint16_t mask;
  char letter;
};

// The first row's mask is the union of the others: any letter brings the leading '-'.
constexpr LetterRow kLetterTable[] = {
    {0x09F3, '-'},
    {kJobKeys, 'k'},
    {kJobArmour, 'a'},
    {kJobEncrypt, 'e'},
    {kJobSign, 's'},
    {kJobTextMode, 't'},
    {kJobWipe, 'w'},
    {kJobEyesOnly, 'm'},
    {kJobKeepSignature, 'd'},
};

const char kClearsigOption[] = "+clearsig=on";

// An option may bring the text to 119 characters, one short of the limit; switches may
// use all of it.
constexpr int kOptionLimit = kMaxArgumentLength - 1;

int AppendOption(char* arguments, int length, const char* text) {
  if (!text) text = "";
  size_t textLength = std::strlen(text);
  if (static_cast<size_t>(length) + textLength >= static_cast<size_t>(kOptionLimit)) return -1;
  arguments[length++] = ' ';
  std::memcpy(arguments + length, text, textLength);
  return length + static_cast<int>(textLength);
}

}  // namespace

int AppendSwitch(char* arguments, int length, char letter, const char* value) {
  if (length < 0 || length > kMaxArgumentLength) return -1;
  if (!value) value = "";
  size_t valueLength = std::strlen(value);
  if (static_cast<size_t>(length) + 4 + valueLength > static_cast<size_t>(kMaxArgumentLength)) {
    arguments[length] = '\0';
    return -1;
  }
  char* end = arguments + length;
  *end++ = ' ';
  *end++ = '-';
  *end++ = letter;
  *end++ = ' ';
  std::memcpy(end, value, valueLength);
  end[valueLength] = '\0';
  return length + 4 + static_cast<int>(valueLength);
}

int BuildArguments(PgpJob& job, const char* sender, const char* outputFile) {
  // The text fields are read with strlen: make sure they end inside their fields.
  job.recipients[sizeof job.recipients - 1] = '\0';
  job.signAs[sizeof job.signAs - 1] = '\0';

  char* text = job.arguments;
  int length = 0;
  for (const LetterRow& row : kLetterTable)
    if (job.flags & row.mask) text[length++] = row.letter;

  const struct {
    uint16_t bit;
    const char* text;
  } options[] = {
      {kJobClearsig, kClearsigOption},
      {kJobInputFile, job.inputFile},
      {kJobRecipients, job.recipients},
      {kJobEmptyOption, ""},
  };
  for (const auto& option : options) {
    if (!(job.flags & option.bit)) continue;
    int appended = AppendOption(text, length, option.text);
    if (appended < 0) {
      // The items that fitted stay; the job can still be run with them.
      job.argLength = static_cast<uint8_t>(length);
      text[length] = '\0';
      return -1;
    }
    length = appended;
  }

  if (job.flags & kJobSignAs) {
    const char* user = job.signAs;
    if (user[0] == '\0' && sender) user = sender;
    if (user[0] != '\0')
      length = AppendSwitch(text, length, 'u', user);
    else
      job.flags &= static_cast<uint16_t>(~kJobSignAs);
  }

  if (length > 0 && (job.flags & kJobOutputFile)) length = AppendSwitch(text, length, 'o', outputFile);

  if (length < 0) {
    job.argLength = 255;
    return -1;
  }
  job.argLength = static_cast<uint8_t>(length);
  text[length] = '\0';
  return length;
}
