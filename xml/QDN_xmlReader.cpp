// The schema-driven XML reader over Expat.
#include "xml/QDN_xmlReader.h"

#include <expat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/QDN_utf8.h"

namespace {

// Large blocks keep the per-call overhead of Expat and of the file reads
// small; block boundaries change nothing Expat reports.
constexpr size_t kBlockSize = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// True when text holds a byte above 127, that is a UTF-8 sequence.
bool HasHighBytes(const char* text, size_t length) {
  std::uint64_t bits = 0;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text + i, 8);
    bits |= word;
  }
  for (; i < length; ++i)
    bits |= static_cast<unsigned char>(text[i]);
  return (bits & 0x8080808080808080ull) != 0;
}

} // namespace

QDN_xmlReader::~QDN_xmlReader() {
  if (parser_) XML_ParserFree(parser_);
}

QDN_xmlElement* QDN_xmlReader::CreateElement(std::string name, int mode) {
  elements_.push_back(std::make_unique<QDN_xmlElement>(std::move(name), mode));
  return elements_.back().get();
}

bool QDN_xmlReader::Load(const char* fileName, QDN_xmlElement* root, QDN_xmlErrorHandler* handler) {
  root_ = root;
  handler_ = handler;
  failed_ = false;
  stack_.clear();
  seen_.clear();
  buffer_.clear();
  text_ = {};
  std::unique_ptr<std::FILE, FileCloser> file(fileName ? std::fopen(fileName, "rb") : nullptr);
  if (!file) {
    if (handler_)
      handler_->OnError(std::string("Can't open file ") + (fileName ? fileName : ""), 0, 0);
    return false;
  }
  if (parser_) XML_ParserFree(parser_);
  parser_ = XML_ParserCreate(nullptr);
  if (!parser_) {
    if (handler_) handler_->OnError("Out of memory", 0, 0);
    return false;
  }
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &StartTag, &EndTag);
  XML_SetCharacterDataHandler(parser_, &Characters);
  bool ok = true;
  for (;;) {
    // The file is read straight into Expat's buffer, which saves copying
    // every block once more.
    void* block = XML_GetBuffer(parser_, static_cast<int>(kBlockSize));
    const size_t got = block ? std::fread(block, 1, kBlockSize, file.get()) : 0;
    const bool read_error = std::ferror(file.get()) != 0;
    // The parse is finished at the end of the input whatever the block
    // sizes, so a truncated document is always reported.
    const bool last = got < kBlockSize || std::feof(file.get());
    if (!block || XML_ParseBuffer(parser_, static_cast<int>(got), last ? XML_TRUE : XML_FALSE) ==
                      XML_STATUS_ERROR) {
      if (!failed_ && handler_) {
        int line = 0, column = 0;
        GetPosition(line, column);
        handler_->OnError(XML_ErrorString(XML_GetErrorCode(parser_)), line, column);
      }
      ok = false;
      break;
    }
    if (read_error) {
      if (handler_) handler_->OnError(std::string("Can't read file ") + fileName, 0, 0);
      ok = false;
      break;
    }
    if (last) break;
  }
  stack_.clear();
  seen_.clear();
  buffer_.clear();
  XML_ParserFree(parser_);
  parser_ = nullptr;
  return ok && !failed_;
}

void QDN_xmlReader::ReportError(const std::string& message) {
  if (failed_) return;
  int line = 0, column = 0;
  GetPosition(line, column);
  if (handler_) handler_->OnError(message, line, column);
  failed_ = true;
  if (parser_) {
    XML_SetElementHandler(parser_, nullptr, nullptr);
    XML_SetCharacterDataHandler(parser_, nullptr);
    (void)XML_StopParser(parser_, XML_FALSE);
  }
}

void QDN_xmlReader::GetPosition(int& line, int& column) const {
  line = parser_ ? static_cast<int>(XML_GetCurrentLineNumber(parser_)) : 0;
  column = parser_ ? static_cast<int>(XML_GetCurrentColumnNumber(parser_)) : 0;
}

std::string QDN_xmlReader::GetUnescapedText() const {
  std::string out;
  out.reserve(text_.size());
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] != '\\' || i + 1 >= text_.size()) {
      out.push_back(text_[i]);
      continue;
    }
    const char next = text_[++i];
    out.push_back(next == 'n' ? '\n' : next == 't' ? '\t' : next);
  }
  return out;
}

const char* QDN_xmlReader::FindAttribute(const char* name) const {
  if (!attributes_) return nullptr;
  for (const char** a = attributes_; a[0]; a += 2)
    if (a[0][0] == name[0] && std::strcmp(a[0], name) == 0) return a[1];
  return nullptr;
}

bool QDN_xmlReader::GetBoolAttribute(const char* name, bool& value, bool fallback) {
  const char* text = FindAttribute(name);
  if (!text) {
    value = fallback;
    return true;
  }
  if (std::strcmp(text, "true") == 0 || std::strcmp(text, "false") == 0) {
    value = text[0] == 't';
    return true;
  }
  ReportError(std::string("'true' or 'false' expected as value of boolean attribute '") + name +
              "'");
  return false;
}

bool QDN_xmlReader::GetIntAttribute(const char* name, int& value, int fallback) {
  const char* text = FindAttribute(name);
  if (!text) {
    value = fallback;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  const long result = std::strtol(text, &end, 10);
  if ((result == 0 && *end != '\0') || result > INT32_MAX || result < INT32_MIN ||
      errno == ERANGE) {
    ReportError(std::string("integer value expected for attribute '") + name + "'");
    return false;
  }
  value = static_cast<int>(result);
  return true;
}

bool QDN_xmlReader::GetDoubleAttribute(const char* name, double& value, double fallback) {
  const char* text = FindAttribute(name);
  if (!text) {
    value = fallback;
    return true;
  }
  char* end = nullptr;
  const double result = std::strtod(text, &end);
  if (result == 0 && *end != '\0') {
    ReportError(std::string("floating point value expected for attribute '") + name + "'");
    return false;
  }
  value = result;
  return true;
}

void QDN_xmlReader::GetStringAttribute(const char* name, std::string& text) const {
  const char* value = FindAttribute(name);
  if (!value) {
    text.clear();
    return;
  }
  const size_t length = std::strlen(value);
  if (HasHighBytes(value, length)) {
    text = QDN_Utf8ToLatin1(std::string_view(value, length));
  } else {
    text.assign(value, length);
  }
}

void QDN_xmlReader::StartTag(void* self, const char* name, const char** attributes) {
  static_cast<QDN_xmlReader*>(self)->Start(name, attributes);
}

void QDN_xmlReader::EndTag(void* self, const char*) { static_cast<QDN_xmlReader*>(self)->End(); }

void QDN_xmlReader::Characters(void* self, const char* text, int length) {
  auto* reader = static_cast<QDN_xmlReader*>(self);
  if (reader->failed_ || reader->stack_.empty() || !reader->stack_.back().element) return;
  const auto size = static_cast<size_t>(length);
  Entry& entry = reader->stack_.back();
  entry.high = entry.high || HasHighBytes(text, size);
  reader->buffer_.append(text, size);
}

void QDN_xmlReader::Start(const char* name, const char** attributes) {
  if (failed_) return;
  Entry entry;
  entry.text = buffer_.size();
  int parent_mode = QDN_xmlElement::kStrictAttributes | QDN_xmlElement::kStrictChildren;
  if (stack_.empty()) {
    if (!root_ || root_->name_ != name) {
      ReportError(std::string("Unknown root element '") + name + "', expected '" +
                  (root_ ? root_->name_ : "") + "'");
      return;
    }
    entry.element = root_;
  } else {
    const Entry& parent = stack_.back();
    if (!parent.element) {
      // Inside an unknown element: skipped with all it holds.
      stack_.push_back(entry);
      return;
    }
    parent_mode = parent.mode;
    entry.element = MatchChild(name, parent);
    if (failed_) return;
    if (!entry.element) return StartUnknown(name, parent, entry);
  }
  QDN_xmlElement& element = *entry.element;
  entry.mode = element.mode_ == QDN_xmlElement::kInherit ? parent_mode : element.mode_;
  attributes_ = attributes;
  const bool accepted = CheckAttributes(element, entry.mode, attributes);
  if (accepted && element.on_start_) element.on_start_();
  attributes_ = nullptr;
  if (failed_) return;
  entry.seen = seen_.size();
  seen_.resize(seen_.size() + element.children_.size(), 0);
  stack_.push_back(entry);
  CollectTextOf(entry.element);
}

QDN_xmlElement* QDN_xmlReader::MatchChild(const char* name, const Entry& parent) {
  const auto& children = parent.element->children_;
  for (size_t i = 0; i < children.size(); ++i) {
    const std::string& child = children[i].first->name_;
    if (child[0] != name[0] || std::strcmp(child.c_str(), name) != 0) continue;
    unsigned char& seen = seen_[parent.seen + i];
    if (seen && !(children[i].second & QDN_xmlElement::kRepeatable)) {
      ReportError(std::string("Multiple occurences of '") + name + "' not allowed in '" +
                  parent.element->name_ + "'");
      return nullptr;
    }
    seen = 1;
    return children[i].first;
  }
  return nullptr;
}

void QDN_xmlReader::StartUnknown(const char* name, const Entry& parent, const Entry& entry) {
  if (parent.mode & QDN_xmlElement::kStrictChildren) {
    ReportError(std::string("Unknown element '") + name + "' in '" + parent.element->name_ + "'");
    return;
  }
  int line = 0, column = 0;
  GetPosition(line, column);
  if (handler_) handler_->OnUnknownElement(name, parent.element->name_, line, column);
  stack_.push_back(entry);
  CollectTextOf(nullptr);
}

bool QDN_xmlReader::CheckAttributes(const QDN_xmlElement& element, int mode,
                                    const char** attributes) {
  for (const auto& [attribute, required] : element.attributes_) {
    if (required && !FindAttribute(attribute.c_str())) {
      ReportError("Required attribute '" + attribute + "' not found in element '" + element.name_ +
                  "'");
      return false;
    }
  }
  for (const char** a = attributes; a && a[0]; a += 2) {
    bool declared = false;
    for (const auto& declared_attribute : element.attributes_)
      declared = declared || (declared_attribute.first[0] == a[0][0] &&
                              std::strcmp(declared_attribute.first.c_str(), a[0]) == 0);
    if (declared) continue;
    if (mode & QDN_xmlElement::kStrictAttributes) {
      ReportError(std::string("Unknown attribute '") + a[0] + "' in element '" + element.name_ +
                  "'");
      return false;
    }
    int line = 0, column = 0;
    GetPosition(line, column);
    if (handler_) handler_->OnUnknownAttribute(element.name_, a[0], line, column);
  }
  return true;
}

// Expat reports text only while the open element collects it.
void QDN_xmlReader::CollectTextOf(const QDN_xmlElement* element) {
  XML_SetCharacterDataHandler(parser_, element && element->collects_text_ ? &Characters : nullptr);
}

void QDN_xmlReader::End() {
  if (failed_ || stack_.empty()) return;
  const Entry entry = stack_.back();
  if (entry.element) {
    text_ = std::string_view(buffer_).substr(entry.text);
    if (entry.high) {
      converted_ = QDN_Utf8ToLatin1(text_);
      text_ = converted_;
    }
    // Required children are checked before the end callback, which may rely
    // on them (a table without its numbers).
    const auto& children = entry.element->children_;
    for (size_t i = 0; i < children.size(); ++i) {
      if (!(children[i].second & QDN_xmlElement::kRequired) || seen_[entry.seen + i]) continue;
      ReportError("Required element '" + children[i].first->name_ + "' not present in element '" +
                  entry.element->name_ + "'");
      return;
    }
    if (entry.element->on_end_) entry.element->on_end_();
    text_ = {};
    if (failed_) return;
    seen_.resize(entry.seen);
    buffer_.resize(entry.text);
  }
  stack_.pop_back();
  if (!stack_.empty()) CollectTextOf(stack_.back().element);
}
