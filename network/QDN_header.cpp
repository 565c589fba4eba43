#include "network/QDN_header.h"

#include <utility>

#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"

QDN_header::QDN_header(const QDN_header& other)
    : QDN_object(other), has_id_(other.has_id_), name_is_id_(other.name_is_id_), id_(other.id_),
      name_(other.name_), comment_(other.comment_) {}

QDN_header& QDN_header::operator=(const QDN_header& other) {
  (void)CopyFrom(other);
  return *this;
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
    name_ = id_;
    name_is_id_ = false;
  }
  const bool had_old = has_id_;
  std::string old = std::exchange(id_, std::move(fresh));
  has_id_ = id != nullptr;
  // A name given before the identifier is shared once they agree.
  if (has_id_ && name_ && *name_ == id_) {
    name_.reset();
    name_is_id_ = true;
  }
  if (listener_) listener_->IdChanged(had_old ? old.c_str() : nullptr, GetId());
  return QDN_NO_ERROR;
}

int QDN_header::SetName(const char* name) {
  if (name && has_id_ && id_ == name) {
    name_.reset();
    name_is_id_ = true;
  } else if (name) {
    name_ = name;
    name_is_id_ = false;
  } else {
    name_.reset();
    name_is_id_ = false;
  }
  return QDN_NO_ERROR;
}

int QDN_header::SetComment(const char* comment) {
  if (comment) {
    comment_ = comment;
  } else {
    comment_.reset();
  }
  return QDN_NO_ERROR;
}

int QDN_header::CopyFrom(const QDN_header& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  (void)SetIdUnchecked(source.GetId());
  name_ = source.name_;
  name_is_id_ = source.name_is_id_;
  comment_ = source.comment_;
  return QDN_NO_ERROR;
}

void QDN_header::Release(int deep) {
  (void)SetIdUnchecked(nullptr);
  name_.reset();
  name_is_id_ = false;
  comment_.reset();
  QDN_object::Release(deep);
}
