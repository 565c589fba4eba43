#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes indented XML declared as ISO-8859-1. The file replaces its target
// only when every write succeeded.
class QDN_xmlWriter {
public:
  static constexpr int kEmpty = 0;
  static constexpr int kChildren = 1;
  static constexpr int kText = 2;

  bool Open(const char* fileName);
  void AddAttribute(const char* name, std::string_view value);
  void AddAttribute(const char* name, int value);
  void AddAttribute(const char* name, bool value);
  void AddAttribute(const char* name, double value);
  void StartElement(const char* name, int kind);
  // No text: an empty element.
  void WriteElement(const char* name, const std::string* text, bool backslashes);
  void WriteElement(const char* name, std::string_view text, bool backslashes);
  void EndElement(const char* name);
  bool Close();

  // Escapes text for an attribute value or element text.
  static std::string Escape(std::string_view text, bool backslashes, bool attribute);

private:
  std::string out_;
  std::string file_name_;
  std::vector<std::pair<std::string, std::string>> attributes_;
  int depth_ = 0;
  bool open_ = false;
};
