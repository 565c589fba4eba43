#include "network/QDN_header.h"

#include <cstring>
#include <new>
#include <utility>

#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"

QDN_header::QDN_header(const QDN_header& other)
    : QDN_object(other), has_id_(other.has_id_), name_is_id_(other.name_is_id_), id_(other.id_) {
  StoreTexts(other.StoredName(), other.GetComment());
}

QDN_header& QDN_header::operator=(const QDN_header& other) {
  (void)CopyFrom(other);
  return *this;
}

const char* QDN_header::StoredName() const {
  if (!texts_) return nullptr;
  uint32_t length;
  std::memcpy(&length, texts_.get(), sizeof length);
  return length == kAbsent ? nullptr : texts_.get() + 2 * sizeof length;
}

const char* QDN_header::GetComment() const {
  if (!texts_) return nullptr;
  uint32_t lengths[2];
  std::memcpy(lengths, texts_.get(), sizeof lengths);
  if (lengths[1] == kAbsent) return nullptr;
  return texts_.get() + sizeof lengths + (lengths[0] == kAbsent ? 0 : lengths[0] + 1);
}

void QDN_header::StoreTexts(const char* name, const char* comment) {
  if (!name && !comment) {
    texts_.reset();
    return;
  }
  const size_t name_length = name ? std::strlen(name) : 0;
  const size_t comment_length = comment ? std::strlen(comment) : 0;
  if (name_length >= kAbsent || comment_length >= kAbsent) throw std::bad_alloc();
  const uint32_t lengths[2] = {name ? static_cast<uint32_t>(name_length) : kAbsent,
                               comment ? static_cast<uint32_t>(comment_length) : kAbsent};
  std::unique_ptr<char[]> fresh(
      new char[sizeof lengths + (name ? name_length + 1 : 0) + (comment ? comment_length + 1 : 0)]);
  std::memcpy(fresh.get(), lengths, sizeof lengths);
  char* at = fresh.get() + sizeof lengths;
  if (name) {
    std::memcpy(at, name, name_length + 1);
    at += name_length + 1;
  }
  if (comment) std::memcpy(at, comment, comment_length + 1);
  // Both texts are copied: the old block, which they may lie in, goes now.
  texts_ = std::move(fresh);
}

int QDN_header::SetId(const char* id) {
  if (!id || !IsValidIdentifier(id)) {
    QDN_SetLastErrorQuoted(id ? id : "", "Invalid Identifier");
    return QDN_INVALID_IDENTIFIER;
  }
  return SetIdUnchecked(id);
}

int QDN_header::SetIdUnchecked(const char* id) {
  // Copied first: id may point into this header's own texts.
  std::string fresh = id ? std::string(id) : std::string();
  // A name shared with the identifier keeps the old text.
  if (name_is_id_ && !(id && fresh == id_)) {
    StoreTexts(id_.c_str(), GetComment());
    name_is_id_ = false;
  }
  const bool had_old = has_id_;
  std::string old = std::exchange(id_, std::move(fresh));
  has_id_ = id != nullptr;
  // A name given before the identifier is shared once they agree.
  if (const char* name = StoredName(); has_id_ && name && id_ == name) {
    StoreTexts(nullptr, GetComment());
    name_is_id_ = true;
  }
  if (listener_) listener_->IdChanged(had_old ? old.c_str() : nullptr, GetId());
  return QDN_NO_ERROR;
}

int QDN_header::SetName(const char* name) {
  const bool is_id = name && has_id_ && id_ == name;
  StoreTexts(is_id ? nullptr : name, GetComment());
  name_is_id_ = is_id;
  return QDN_NO_ERROR;
}

int QDN_header::SetComment(const char* comment) {
  StoreTexts(StoredName(), comment);
  return QDN_NO_ERROR;
}

int QDN_header::CopyFrom(const QDN_header& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  (void)SetIdUnchecked(source.GetId());
  StoreTexts(source.StoredName(), source.GetComment());
  name_is_id_ = source.name_is_id_;
  return QDN_NO_ERROR;
}

void QDN_header::Release(int deep) {
  (void)SetIdUnchecked(nullptr);
  texts_.reset();
  name_is_id_ = false;
  QDN_object::Release(deep);
}
