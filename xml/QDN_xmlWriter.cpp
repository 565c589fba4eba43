// The indenting XML writer.
#include "xml/QDN_xmlWriter.h"

#include "formats/text/QDN_textFile.h"
#include "formats/text/save_target.h"
#include "xml/QDN_xmlValues.h"

std::string QDN_xmlWriter::Escape(std::string_view text, bool backslashes, bool attribute) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '<':
      out += "&lt;";
      continue;
    case '>':
      out += "&gt;";
      continue;
    case '&':
      out += "&amp;";
      continue;
    case '"':
      out += "&quot;";
      continue;
    case '\'':
      out += "&apos;";
      continue;
    default:
      break;
    }
    if (backslashes) {
      if (c == '\t') {
        out += "\\t";
        continue;
      }
      if (c == '\n') {
        out += "\\n";
        continue;
      }
      if (c == '\\') {
        out += "\\\\";
        continue;
      }
      if (c == '\r') continue;
    }
    // Tabs and line ends in attributes would be read back as blanks:
    // character references keep them. Other control characters cannot be
    // written in XML at all and become "?".
    if (c == '\t' || c == '\n' || c == '\r') {
      if (attribute) {
        out += c == '\t' ? "&#9;" : c == '\n' ? "&#10;" : "&#13;";
      } else {
        out.push_back(c);
      }
      continue;
    }
    out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
  }
  return out;
}

bool QDN_xmlWriter::Open(const char* fileName) {
  if (!fileName || !*fileName) return false;
  // Refuse early when the target may not be written; nothing is created
  // before Close writes the whole document.
  SaveTarget target;
  if (!PrepareSaveTarget(fileName, target)) return false;
  file_name_ = fileName;
  out_ = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
  depth_ = 0;
  attributes_.clear();
  open_ = true;
  return true;
}

void QDN_xmlWriter::AddAttribute(const char* name, std::string_view value) {
  attributes_.emplace_back(name, std::string(value));
}
void QDN_xmlWriter::AddAttribute(const char* name, int value) {
  AddAttribute(name, std::to_string(value));
}
void QDN_xmlWriter::AddAttribute(const char* name, bool value) {
  AddAttribute(name, std::string_view(value ? "true" : "false"));
}
void QDN_xmlWriter::AddAttribute(const char* name, double value) {
  AddAttribute(name, QDN_FormatShortReal(value));
}

void QDN_xmlWriter::StartElement(const char* name, int kind) {
  out_.append(static_cast<size_t>(depth_), '\t');
  out_.push_back('<');
  out_ += name;
  for (const auto& [attribute, value] : attributes_) {
    out_.push_back(' ');
    out_ += attribute;
    out_ += "=\"";
    out_ += Escape(value, false, true);
    out_.push_back('"');
  }
  attributes_.clear();
  if (kind == kEmpty) {
    out_ += " />\n";
  } else if (kind == kChildren) {
    out_ += ">\n";
    ++depth_;
  } else {
    out_.push_back('>');
  }
}

void QDN_xmlWriter::WriteElement(const char* name, const std::string* text, bool backslashes) {
  if (!text) {
    StartElement(name, kEmpty);
    return;
  }
  WriteElement(name, std::string_view(*text), backslashes);
}

void QDN_xmlWriter::WriteElement(const char* name, std::string_view text, bool backslashes) {
  StartElement(name, kText);
  out_ += Escape(text, backslashes, false);
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

void QDN_xmlWriter::EndElement(const char* name) {
  if (depth_ > 0) --depth_;
  out_.append(static_cast<size_t>(depth_), '\t');
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

bool QDN_xmlWriter::Close() {
  if (!open_) return false;
  open_ = false;
  QDN_textFile file;
  if (file.OpenForWrite(file_name_.c_str()) != 0) return false;
  file.SetLineWidth(QDN_textFile::kMaxLineWidth);
  file.WriteRaw(out_);
  return file.Close() == 0;
}
