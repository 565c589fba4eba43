#pragma once

#include <cstdint>
#include <memory>
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
// absent (null) until set. The identifier is always set on a node and short,
// so it is kept inline. The name and the comment share one heap block, and
// cost a pointer while neither is set. A name equal to the identifier, the
// common case, is not stored twice.
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

  const char* GetId() const { return has_id_ ? id_.c_str() : nullptr; }
  const char* GetName() const { return name_is_id_ ? id_.c_str() : StoredName(); }
  const char* GetComment() const;

  void SetListener(QDN_idListener* listener) { listener_ = listener; }
  void Release(int deep) override;

private:
  static constexpr uint32_t kAbsent = UINT32_MAX;

  // The name kept in the block (null while unset or shared with the identifier).
  const char* StoredName() const;
  // Replaces the block by one holding name and comment (either may be null,
  // and may point into the old block).
  void StoreTexts(const char* name, const char* comment);

  // First, so they fill the base's padding.
  bool has_id_ = false;
  bool name_is_id_ = false;
  // Set by SetId; empty while has_id_ is false.
  std::string id_;
  // Null while neither text is set; else two 32-bit lengths (kAbsent for a
  // text not set), then each set text, the name first, ended by a NUL. The
  // name is not set while name_is_id_ (it reads as the identifier).
  std::unique_ptr<char[]> texts_;
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
