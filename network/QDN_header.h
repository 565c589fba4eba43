#pragma once

#include <optional>
#include <string>

#include "core/QDN_object.h"

// Told when an identifier changes, so an owner can keep its look-up index.
class QDN_idListener {
public:
  virtual void IdChanged(const char* old_id, const char* new_id) = 0;

protected:
  ~QDN_idListener() = default;
};

// Identifier, name and comment of a node, submodel or network. Each text is
// absent (null) until set.
class QDN_header : public QDN_object {
public:
  QDN_header() = default;
  // Copies the texts; the copy has no listener.
  QDN_header(const QDN_header& other);
  QDN_header& operator=(const QDN_header& other);
  ~QDN_header() override = default;

  // -1000 (old identifier kept, last-error text set) when id breaks the
  // identifier rule.
  int SetId(const char* id);
  // Stores id without the identifier rule (for copying).
  int SetIdUnchecked(const char* id);
  int SetName(const char* name);
  int SetComment(const char* comment);
  // Copies identifier (without the rule), name and comment; -567 when source is not ready.
  int CopyFrom(const QDN_header& source);

  const char* GetId() const { return Get(id_); }
  const char* GetName() const { return Get(name_); }
  const char* GetComment() const { return Get(comment_); }

  void SetListener(QDN_idListener* listener) { listener_ = listener; }
  void Release(int deep) override;

private:
  static const char* Get(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
  }

  std::optional<std::string> id_;
  std::optional<std::string> name_;
  std::optional<std::string> comment_;
  QDN_idListener* listener_ = nullptr;
};

// Creation information of a network: creator, created and modified texts.
class QDN_creation : public QDN_object {
public:
  std::optional<std::string> creator;
  std::optional<std::string> created;
  std::optional<std::string> modified;

  void Release(int deep) override {
    creator.reset();
    created.reset();
    modified.reset();
    QDN_object::Release(deep);
  }
};
