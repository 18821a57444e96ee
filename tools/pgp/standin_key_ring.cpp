#include "standin_key_ring.h"

#include "standin_armour.h"
#include "standin_files.h"
#include "standin_payload.h"
#include "standin_text.h"

namespace standin {

const char kPublicRingName[] = "pubring.txt";
const char kSecretRingName[] = "secring.txt";
const char kPublicKeyType[] = "PUBLIC KEY BLOCK";

std::vector<std::string> ReadUserIds(const std::string& path) {
  std::vector<std::string> ids;
  std::string text;
  if (ReadFileBytes(path, text) != FileReadStatus::Ok) return ids;
  size_t pos = 0;
  std::string line;
  while (ReadLine(text, pos, line)) {
    std::string id = TrimBlanks(line);
    if (!id.empty() && id[0] != '#') ids.push_back(id);
  }
  return ids;
}

int FindUserId(const std::vector<std::string>& ids, const std::string& pattern) {
  if (pattern.empty()) return -1;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ContainsIgnoringCase(ids[i], pattern)) return static_cast<int>(i);
  }
  return -1;
}

bool IsValidUserId(const std::string& id) { return !id.empty() && !HasControlCharacter(id); }

bool AddUserIds(const std::string& path, const std::vector<std::string>& ids,
                std::vector<std::string>& added) {
  added.clear();
  std::vector<std::string> known = ReadUserIds(path);
  std::string existing;
  FileReadStatus status = ReadFileBytes(path, existing);
  if (status == FileReadStatus::Unreadable) return false;

  std::string addition;
  if (!existing.empty() && existing.back() != '\n') addition += "\r\n";
  for (const std::string& id : ids) {
    bool present = false;
    for (const std::string& k : known) present = present || EqualIgnoringCase(k, id);
    if (present) continue;
    known.push_back(id);
    added.push_back(id);
    addition += id + "\r\n";
  }
  if (added.empty()) return true;
  if (!AppendFileBytes(path, addition)) {
    added.clear();
    return false;
  }
  return true;
}

std::string MakePublicKeyBlock(const std::vector<std::string>& ids) {
  Payload key;
  for (const std::string& id : ids) key.fields.emplace_back(kFieldUserId, id);
  return WriteArmourBlock(kPublicKeyType, FormatPayload(key));
}

}  // namespace standin
