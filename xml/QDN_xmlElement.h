#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

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
