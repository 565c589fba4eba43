#include "ref_json.h"

#include <cctype>
#include <charconv>
#include <string_view>

#include "test_util.h"

namespace {

// A small reader for the reference files: objects, arrays, strings and numbers.
class JsonReader {
public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Peek(char c) {
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
  }
  bool String(std::string& out) {
    out.clear();
    if (!Take('"')) return false;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (c == '\\' && pos_ < text_.size()) {
        c = text_[pos_++];
        if (c == 'n') c = '\n';
        if (c == 't') c = '\t';
        if (c == 'u') { // keep only what the references use: ASCII and Latin-1
          const int code = std::stoi(std::string(text_.substr(pos_, 4)), nullptr, 16);
          pos_ += 4;
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
          }
          continue;
        }
      }
      out += c;
    }
    return Take('"');
  }
  bool Number(double& out) {
    SkipBlanks();
    const char* first = text_.data() + pos_;
    auto [end, error] = std::from_chars(first, text_.data() + text_.size(), out);
    if (error != std::errc()) return false;
    pos_ += static_cast<size_t>(end - first);
    return true;
  }
  // Skips any value.
  bool Skip() {
    SkipBlanks();
    if (Peek('"')) {
      std::string ignored;
      return String(ignored);
    }
    if (Take('{') || Take('[')) {
      int depth = 1;
      bool in_string = false;
      while (pos_ < text_.size() && depth > 0) {
        const char c = text_[pos_++];
        if (in_string) {
          if (c == '\\') ++pos_;
          if (c == '"') in_string = false;
        } else if (c == '"') {
          in_string = true;
        } else if (c == '{' || c == '[') {
          ++depth;
        } else if (c == '}' || c == ']') {
          --depth;
        }
      }
      return depth == 0;
    }
    while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' && text_[pos_] != ']')
      ++pos_;
    return true;
  }
  template <typename Item> bool Array(Item item) {
    if (!Take('[')) return false;
    if (Take(']')) return true;
    do {
      if (!item()) return false;
    } while (Take(','));
    return Take(']');
  }
  template <typename Field> bool Object(Field field) {
    if (!Take('{')) return false;
    if (Take('}')) return true;
    do {
      std::string key;
      if (!String(key) || !Take(':') || !field(key)) return false;
    } while (Take(','));
    return Take('}');
  }

private:
  std::string_view text_;
  size_t pos_ = 0;
};

} // namespace

bool ReadRefJson(const std::string& path, std::vector<RefNode>& nodes) {
  const std::string text = ReadFileText(path);
  JsonReader json(text);
  nodes.clear();
  auto strings = [&](std::vector<std::string>& out) {
    return json.Array([&] {
      out.emplace_back();
      return json.String(out.back());
    });
  };
  return json.Object([&](const std::string& key) {
    if (key != "nodes") return json.Skip();
    return json.Array([&] {
      nodes.emplace_back();
      RefNode& node = nodes.back();
      return json.Object([&](const std::string& field) {
        if (field == "name") return json.String(node.name);
        if (field == "states") return strings(node.states);
        if (field == "parents") return strings(node.parents);
        if (field == "cpt")
          return json.Array([&] {
            node.cpt.emplace_back();
            return json.Number(node.cpt.back());
          });
        return json.Skip();
      });
    });
  });
}
