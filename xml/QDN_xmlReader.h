#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct XML_ParserStruct;

// Receives the problems of a load: errors stop it, the two warnings do not.
class QDN_xmlErrorHandler {
public:
  virtual ~QDN_xmlErrorHandler() = default;
  virtual void OnError(const std::string& message, int line, int column) = 0;
  virtual void OnUnknownElement(const std::string& element, const std::string& parent, int line,
                                int column) = 0;
  virtual void OnUnknownAttribute(const std::string& element, const std::string& attribute,
                                  int line, int column) = 0;
};

// Describes one element a document may hold: its attributes, its children
// and what to do at its start and end tags.
class QDN_xmlElement {
public:
  // Child flags.
  static constexpr int kRequired = 1;
  static constexpr int kRepeatable = 2;
  // Modes: unknown attributes / unknown children are errors; or as the parent.
  static constexpr int kStrictAttributes = 1;
  static constexpr int kStrictChildren = 2;
  static constexpr int kInherit = 4;

  QDN_xmlElement(std::string name, int mode) : name_(std::move(name)), mode_(mode) {}

  void AddChild(QDN_xmlElement* child, int flags) { children_.emplace_back(child, flags); }
  void AddAttribute(std::string name, bool required) {
    attributes_.emplace_back(std::move(name), required);
  }
  void OnStart(std::function<void()> callback) { on_start_ = std::move(callback); }
  void OnEnd(std::function<void()> callback) { on_end_ = std::move(callback); }

  const std::string& GetName() const { return name_; }
  int GetMode() const { return mode_; }
  bool HasChildren() const { return !children_.empty(); }
  // The element's own text is not collected (GetText gives nothing at its end
  // tag); for elements that only hold other elements, whose text is layout.
  void IgnoreText() { collects_text_ = false; }

private:
  friend class QDN_xmlReader;
  std::string name_;
  int mode_;
  std::vector<std::pair<std::string, bool>> attributes_;
  std::vector<std::pair<QDN_xmlElement*, int>> children_;
  std::function<void()> on_start_, on_end_;
  bool collects_text_ = true;
};

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

// Shared value forms.
// "rrggbb" to a colour with red in the low byte; false when malformed.
bool QDN_ParseColor(std::string_view text, int& color);
std::string QDN_FormatColor(int color);
// "left top right bottom" to centre and size.
struct QDN_rectangle;
bool QDN_ParsePosition(std::string_view text, QDN_rectangle& rectangle);
std::string QDN_FormatPosition(const QDN_rectangle& rectangle);
// Reals: the default stream form (6 significant digits) and precision 16.
std::string QDN_FormatShortReal(double value);
std::string QDN_FormatLongReal(double value);
