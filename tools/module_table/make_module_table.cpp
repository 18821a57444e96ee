// Builds the binary module-definition table from its readable source (one "[Row]" block per
// Eudora version, every field named once). Runs on the build machine:
//   make_module_table <source.txt> <table.bin>
// Refuses a source it does not fully understand (an unknown, repeated or missing field, a
// bad number or text, a row out of the selection list's sort order) with a message naming
// the file and line, and exits non-zero without writing the table.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const uint16_t kSignature = 0xC101;
const size_t kMaxText = 255;

enum class Kind { Number, Numbers, Text, Texts };

struct FieldRule {
  const char* name;
  Kind kind;
  size_t count;  // for lists: the exact number of entries; 0 = one or more
};

// Every field of a row, by section and in record order.
const FieldRule kMainFields[] = {
    {"MenuKeys", Kind::Numbers, 0},        {"MenuKeyIndex", Kind::Numbers, 5},
    {"Reserved1", Kind::Number, 1},        {"Reserved2", Kind::Number, 1},
    {"TextCommandId", Kind::Number, 1},    {"AddressCommandId", Kind::Number, 1},
    {"MainWindowClass", Kind::Text, 1},    {"ModuleName", Kind::Text, 1},
    {"ProductName", Kind::Text, 1},        {"ProductVersion", Kind::Text, 1},
    {"ControlBarClass", Kind::Text, 1},
};
const FieldRule kComposeFields[] = {
    {"Reserved3", Kind::Number, 1},         {"HeaderFieldIds", Kind::Numbers, 6},
    {"BodyPaneId", Kind::Number, 1},        {"HeaderDialogClass", Kind::Text, 1},
    {"HeaderFieldClasses", Kind::Texts, 6}, {"BodyClass", Kind::Text, 1},
};
const FieldRule kViewFields[] = {
    {"ViewId", Kind::Number, 1},
    {"Reserved4", Kind::Number, 1},
    {"ViewClass", Kind::Text, 1},
    {"ViewParentPrefix", Kind::Text, 1},
};

struct Section {
  const FieldRule* fields;
  size_t count;
};
const Section kSections[] = {
    {kMainFields, sizeof kMainFields / sizeof kMainFields[0]},
    {kComposeFields, sizeof kComposeFields / sizeof kComposeFields[0]},
    {kViewFields, sizeof kViewFields / sizeof kViewFields[0]},
};

struct Value {
  std::vector<uint16_t> numbers;
  std::vector<std::string> texts;
  int line = 0;
};

struct Row {
  int line = 0;
  std::map<std::string, Value> fields;
};

// Reports a refusal; the caller stops.
struct Refusal {
  std::string message;
};

[[noreturn]] void Refuse(const std::string& file, int line, const std::string& message) {
  std::ostringstream text;
  text << file << ":" << line << ": " << message;
  throw Refusal{text.str()};
}

const FieldRule* FindRule(const std::string& name) {
  for (const Section& section : kSections)
    for (size_t i = 0; i < section.count; ++i)
      if (name == section.fields[i].name) return &section.fields[i];
  return nullptr;
}

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

uint16_t ParseNumber(const std::string& word, const std::string& file, int line,
                     const std::string& field) {
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  const size_t first = hex ? 2 : 0;
  unsigned long value = 0;
  if (word.size() == first) Refuse(file, line, field + ": '" + word + "' is not a number");
  for (size_t i = first; i < word.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    int digit = -1;
    if (std::isdigit(c)) digit = c - '0';
    else if (hex && std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
    if (digit < 0) Refuse(file, line, field + ": '" + word + "' is not a number");
    value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    if (value > 0xFFFF) Refuse(file, line, field + ": " + word + " does not fit 16 bits");
  }
  return static_cast<uint16_t>(value);
}

Value ParseValue(const FieldRule& rule, const std::string& text, const std::string& file,
                 int line) {
  Value value;
  value.line = line;
  const std::string field = rule.name;
  if (rule.kind == Kind::Number || rule.kind == Kind::Numbers) {
    std::istringstream words(text);
    std::string word;
    while (words >> word) value.numbers.push_back(ParseNumber(word, file, line, field));
  } else {
    size_t i = 0;
    while (i < text.size()) {
      if (text[i] == ' ' || text[i] == '\t') {
        ++i;
        continue;
      }
      if (text[i] != '"') Refuse(file, line, field + ": texts stand in double quotes");
      const size_t close = text.find('"', i + 1);
      if (close == std::string::npos) Refuse(file, line, field + ": a text lacks its closing quote");
      const std::string item = text.substr(i + 1, close - i - 1);
      if (item.size() > kMaxText)
        Refuse(file, line, field + ": text of " + std::to_string(item.size()) +
                               " characters, longer than 255");
      value.texts.push_back(item);
      i = close + 1;
    }
  }
  const size_t got = value.numbers.size() + value.texts.size();
  const size_t wanted = rule.count;
  if ((wanted == 0 && got == 0) || (wanted != 0 && got != wanted)) {
    Refuse(file, line, field + ": " + std::to_string(got) + " values, " +
                           (wanted ? "expected " + std::to_string(wanted) : "expected at least 1"));
  }
  return value;
}

std::vector<Row> ReadSource(const std::string& file) {
  std::ifstream in(file);
  if (!in) Refuse(file, 0, "cannot be read");
  std::vector<Row> rows;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    const std::string content = Trim(text);
    if (content.empty() || content[0] == '#') continue;
    if (content == "[Row]") {
      rows.push_back(Row{line, {}});
      continue;
    }
    const size_t equals = content.find('=');
    if (equals == std::string::npos) Refuse(file, line, "expected \"Name = value\" or \"[Row]\"");
    if (rows.empty()) Refuse(file, line, "a field before the first \"[Row]\"");
    const std::string name = Trim(content.substr(0, equals));
    const FieldRule* rule = FindRule(name);
    if (!rule) Refuse(file, line, "unknown field '" + name + "'");
    Row& row = rows.back();
    if (row.fields.count(name)) Refuse(file, line, "field '" + name + "' given twice in this row");
    row.fields[name] = ParseValue(*rule, Trim(content.substr(equals + 1)), file, line);
  }
  if (rows.empty()) Refuse(file, line, "no rows");
  return rows;
}

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

void CheckRows(const std::vector<Row>& rows, const std::string& file) {
  std::string previous;
  for (size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    for (const Section& section : kSections)
      for (size_t i = 0; i < section.count; ++i)
        if (!row.fields.count(section.fields[i].name))
          Refuse(file, row.line, "row lacks the field '" + std::string(section.fields[i].name) + "'");
    const size_t keyCount = row.fields.at("MenuKeys").numbers.size();
    for (uint16_t index : row.fields.at("MenuKeyIndex").numbers)
      if (index >= keyCount)
        Refuse(file, row.fields.at("MenuKeyIndex").line,
               "MenuKeyIndex " + std::to_string(index) + " names no menu key (the row has " +
                   std::to_string(keyCount) + ")");
    // The selection list shows ProductName, a tab and ProductVersion, sorted without regard
    // to letter case, and takes a line's position as the row's position.
    const std::string line = row.fields.at("ProductName").texts[0] + "\t" +
                             row.fields.at("ProductVersion").texts[0];
    if (r > 0 && !(Folded(previous) < Folded(line)))
      Refuse(file, row.line, "row is not in the selection list's order: \"" + line +
                                 "\" must sort after \"" + previous + "\"");
    previous = line;
  }
}

void PutWord(std::vector<uint8_t>& out, uint16_t word) {
  out.push_back(static_cast<uint8_t>(word & 0xFF));
  out.push_back(static_cast<uint8_t>(word >> 8));
}

std::vector<uint8_t> SectionBody(const Row& row, const Section& section) {
  std::vector<uint8_t> body;
  for (size_t i = 0; i < section.count; ++i) {
    const FieldRule& rule = section.fields[i];
    const Value& value = row.fields.at(rule.name);
    if (rule.kind == Kind::Numbers && rule.count == 0)
      PutWord(body, static_cast<uint16_t>(value.numbers.size()));
    for (uint16_t number : value.numbers) PutWord(body, number);
    for (const std::string& text : value.texts) {
      body.push_back(static_cast<uint8_t>(text.size()));
      body.insert(body.end(), text.begin(), text.end());
    }
  }
  // A zero byte pads a section to a whole word.
  if (body.size() % 2) body.push_back(0);
  return body;
}

std::vector<uint8_t> BuildTable(const std::vector<Row>& rows, const std::string& file) {
  std::vector<uint8_t> table;
  for (const Row& row : rows) {
    std::vector<uint8_t> sections;
    for (const Section& section : kSections) {
      const std::vector<uint8_t> body = SectionBody(row, section);
      PutWord(sections, static_cast<uint16_t>(body.size() / 2));
      sections.insert(sections.end(), body.begin(), body.end());
    }
    const size_t words = 2 + sections.size() / 2;
    if (words > 0xFFFF) Refuse(file, row.line, "row longer than 65535 words");
    PutWord(table, static_cast<uint16_t>(words));
    PutWord(table, kSignature);
    table.insert(table.end(), sections.begin(), sections.end());
  }
  PutWord(table, 0);  // the terminating word
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_module_table <source.txt> <table.bin>\n";
    return 2;
  }
  try {
    const std::vector<Row> rows = ReadSource(argv[1]);
    CheckRows(rows, argv[1]);
    const std::vector<uint8_t> table = BuildTable(rows, argv[1]);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
    out.close();
    if (!out) {
      std::remove(argv[2]);
      std::cerr << argv[2] << ": cannot be written\n";
      return 1;
    }
  } catch (const Refusal& refusal) {
    std::remove(argv[2]);
    std::cerr << "make_module_table: " << refusal.message << "\n";
    return 1;
  }
  return 0;
}
