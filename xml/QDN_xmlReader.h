#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/QDN_xmlElement.h"
#include "xml/QDN_xmlErrorHandler.h"

struct XML_ParserStruct;

// Reads a document with Expat, checking every element against a tree of
// descriptors and calling their callbacks. Texts and attribute values reach
// the callbacks in ISO-8859-1: a character above U+00FF becomes "?".
class QDN_xmlReader {
public:
  QDN_xmlReader() = default;
  QDN_xmlReader(const QDN_xmlReader&) = delete;
  QDN_xmlReader& operator=(const QDN_xmlReader&) = delete;
  virtual ~QDN_xmlReader();

  virtual bool Load(const char* fileName, QDN_xmlElement* root, QDN_xmlErrorHandler* handler);
  // Reports message at the current position and stops the load.
  virtual void ReportError(const std::string& message);
  virtual void GetPosition(int& line, int& column) const;
  // The text of the element whose end callback runs; valid until the
  // callback returns.
  virtual std::string_view GetText() const { return text_; }
  // The same with "\n", "\t" and "\x" (any other x) decoded.
  virtual std::string GetUnescapedText() const;
  virtual bool GetDoubleAttribute(const char* name, double& value, double fallback);
  virtual bool GetIntAttribute(const char* name, int& value, int fallback);
  virtual bool GetBoolAttribute(const char* name, bool& value, bool fallback);
  virtual void GetStringAttribute(const char* name, std::string& text) const;
  // Descriptors live as long as the reader.
  virtual QDN_xmlElement* CreateElement(std::string name, int mode);

  bool HasFailed() const { return failed_; }

private:
  // One open element. Its child flags and its text live in the shared
  // seen_ and buffer_ stacks from the given offsets on, so that reading an
  // element allocates nothing once the stacks have grown.
  struct Entry {
    QDN_xmlElement* element = nullptr;
    int mode = 0;
    size_t seen = 0;
    size_t text = 0;
    // The text holds bytes above 127 (UTF-8 sequences to convert).
    bool high = false;
  };
  static void StartTag(void* self, const char* name, const char** attributes);
  static void EndTag(void* self, const char* name);
  static void Characters(void* self, const char* text, int length);
  void Start(const char* name, const char** attributes);
  void End();
  // The declared child of parent called name, marked as seen; null for an
  // undeclared one, and null with the error reported for a repeated one.
  QDN_xmlElement* MatchChild(const char* name, const Entry& parent);
  // An undeclared element: an error under a strict parent, otherwise a
  // warning, and the element is skipped with all it holds.
  void StartUnknown(const char* name, const Entry& parent, const Entry& entry);
  // Required attributes present, undeclared ones reported (errors in strict
  // mode, warnings otherwise); false after an error.
  bool CheckAttributes(const QDN_xmlElement& element, int mode, const char** attributes);
  const char* FindAttribute(const char* name) const;
  void CollectTextOf(const QDN_xmlElement* element);

  XML_ParserStruct* parser_ = nullptr;
  QDN_xmlElement* root_ = nullptr;
  QDN_xmlErrorHandler* handler_ = nullptr;
  std::vector<Entry> stack_;
  // One flag per declared child of every open element: seen yet.
  std::vector<unsigned char> seen_;
  // The texts of the open elements, innermost last.
  std::string buffer_;
  const char** attributes_ = nullptr;
  // The text of the element whose end callback runs: a view of buffer_, or
  // of converted_ when it needed converting.
  std::string_view text_;
  std::string converted_;
  bool failed_ = false;
  std::vector<std::unique_ptr<QDN_xmlElement>> elements_;
};
