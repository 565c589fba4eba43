#include "network/QDN_formatDispatch.h"
#include "core/QDN_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_status.h"

namespace {

constexpr int kLastFormat = QDN_FORMAT_BIF;

// Entry k is format k; entry 0 stays empty.
QDN_formatEntry format_table[kLastFormat + 1];

} // namespace

bool QDN_RegisterFormat(int formatNumber, const QDN_formatEntry& entry) {
  if (formatNumber < 1 || formatNumber > kLastFormat) return false;
  format_table[formatNumber] = entry.create ? entry : QDN_formatEntry{};
  return true;
}

const QDN_formatEntry* QDN_FindFormat(int formatNumber) {
  if (formatNumber < 1 || formatNumber > kLastFormat) return nullptr;
  const QDN_formatEntry& entry = format_table[formatNumber];
  return entry.create ? &entry : nullptr;
}

int FormatFromExtension(const char* fileName) {
  if (!fileName) return QDN_OUT_OF_RANGE;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot) return QDN_OUT_OF_RANGE;
  for (int format = 1; format <= kLastFormat; ++format) {
    const QDN_formatEntry* entry = QDN_FindFormat(format);
    if (entry && entry->extension && QDN_EqualsIgnoringCase(dot + 1, entry->extension))
      return format;
  }
  return QDN_OUT_OF_RANGE;
}

namespace {

bool IsIdStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The first words of a model file: identifiers, integers (kind 'i'), strings
// ('s') and single punctuation characters, after blanks and comments. For an
// XML file, one word "<" followed by its root element's name.
struct Word {
  char kind; // 'a' identifier, 'i' integer, 's' string, 'p' punctuation, '<' XML root
  std::string_view text;
};

std::vector<Word> FirstWords(std::string_view text, size_t wanted) {
  std::vector<Word> words;
  size_t i = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3; // UTF-8 byte-order mark
  auto skip_past = [&](std::string_view end) {
    const size_t at = text.find(end, i);
    i = at == std::string_view::npos ? text.size() : at + end.size();
  };
  while (i < text.size() && words.size() < wanted) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++i;
    } else if (text.substr(i, 2) == "//" || c == '%' || c == '#') {
      // A line comment ends at LF or CR (some files end lines with CR alone).
      while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
    } else if (text.substr(i, 2) == "/*") {
      i += 2;
      skip_past("*/");
    } else if (c == '<' && words.empty()) {
      // XML: the prolog (declaration, comments, document type) is skipped up
      // to the root element.
      if (text.substr(i, 2) == "<?") {
        skip_past("?>");
      } else if (text.substr(i, 4) == "<!--") {
        skip_past("-->");
      } else if (text.substr(i, 2) == "<!") {
        int depth = 0;
        for (; i < text.size(); ++i) {
          if (text[i] == '[') ++depth;
          if (text[i] == ']') --depth;
          if (text[i] == '>' && depth <= 0) break;
        }
        ++i;
      } else {
        const size_t start = ++i;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != '>' && text[i] != '/')
          ++i;
        words.push_back({'<', text.substr(start, i - start)});
        return words;
      }
    } else if (IsIdStart(c)) {
      const size_t start = i;
      // Some formats allow "-" and "." inside names (network Pig-Network).
      while (i < text.size() &&
             (IsIdStart(text[i]) || IsDigit(text[i]) || text[i] == '-' || text[i] == '.'))
        ++i;
      words.push_back({'a', text.substr(start, i - start)});
    } else if (IsDigit(c)) {
      const size_t start = i;
      while (i < text.size() && IsDigit(text[i]))
        ++i;
      words.push_back({'i', text.substr(start, i - start)});
    } else if (c == '"') {
      const size_t start = ++i;
      while (i < text.size() && text[i] != '"')
        i += text[i] == '\\' ? 2 : 1;
      words.push_back({'s', text.substr(start, std::min(i, text.size()) - start)});
      ++i;
    } else {
      words.push_back({'p', text.substr(i, 1)});
      ++i;
    }
  }
  return words;
}

// How the files of a format start: the leading words, in order. "$id" is
// any identifier, "$int" an integer, "$string" a quoted text, "<name" an XML
// file whose root element is name; other texts are the word itself. The
// first signature that matches wins, so the more specific come first.
struct Signature {
  int format;
  std::array<std::string_view, 4> words;
};

constexpr Signature kSignatures[] = {
    {QDN_FORMAT_XMLBIF, {"<BIF"}},
    {QDN_FORMAT_XQDN, {"<brima"}},
    {QDN_FORMAT_NETICA, {"bnet", "$id"}},
    {QDN_FORMAT_HUGIN, {"net", "{"}},
    {QDN_FORMAT_QDN, {"net", "$id", "{"}},
    {QDN_FORMAT_KI, {"diagnostic", "network", "$string", "kb"}},
    {QDN_FORMAT_MSBN, {"diagnostic", "network"}},
    {QDN_FORMAT_MSBN, {"belief", "network"}},
    {QDN_FORMAT_MSBN, {"trouble", "network"}},
    {QDN_FORMAT_ERGO, {"$int", "$int"}},
    {QDN_FORMAT_BIF, {"network", "$id", "{"}},
    {QDN_FORMAT_BIF, {"network", "$string", "{"}},
    // The network block is optional, and so is its name.
    {QDN_FORMAT_BIF, {"network", "{"}},
    {QDN_FORMAT_BIF, {"variable", "$id", "{"}},
    {QDN_FORMAT_BIF, {"variable", "$string", "{"}},
};

bool WordMatches(const Word& word, std::string_view pattern) {
  if (pattern == "$id") return word.kind == 'a';
  if (pattern == "$int") return word.kind == 'i';
  if (pattern == "$string") return word.kind == 's';
  if (pattern[0] == '<')
    return word.kind == '<' && QDN_EqualsIgnoringCase(word.text, pattern.substr(1));
  return word.kind != 's' && word.kind != '<' && word.text == pattern;
}

} // namespace

int FormatFromText(std::string_view head) {
  const std::vector<Word> words = FirstWords(head, 4);
  for (const Signature& signature : kSignatures) {
    bool matches = true;
    for (size_t k = 0; k < signature.words.size() && !signature.words[k].empty(); ++k)
      if (k >= words.size() || !WordMatches(words[k], signature.words[k])) {
        matches = false;
        break;
      }
    if (matches) return signature.format;
  }
  return QDN_OUT_OF_RANGE;
}

int FormatFromContent(const char* fileName) {
  if (!fileName) return QDN_OUT_OF_RANGE;
  std::FILE* file = std::fopen(fileName, "rb");
  if (!file) return QDN_OUT_OF_RANGE;
  // Enough for the long comments and document types some files start with.
  std::string head(16384, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::fclose(file);
  return FormatFromText(head);
}

const char* FormatName(int formatNumber) {
  const QDN_formatEntry* entry = QDN_FindFormat(formatNumber);
  return entry && entry->name ? entry->name : "unknown";
}
