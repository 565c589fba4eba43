#include "network/QDN_header.h"

#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"

QDN_header::QDN_header(const QDN_header& other)
    : QDN_object(other), id_(other.id_), name_(other.name_), comment_(other.comment_) {}

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
  std::optional<std::string> old = std::move(id_);
  if (id) {
    id_.emplace(id);
  } else {
    id_.reset();
  }
  if (listener_) listener_->IdChanged(old ? old->c_str() : nullptr, GetId());
  return QDN_NO_ERROR;
}

int QDN_header::SetName(const char* name) {
  if (name) {
    name_.emplace(name);
  } else {
    name_.reset();
  }
  return QDN_NO_ERROR;
}

int QDN_header::SetComment(const char* comment) {
  if (comment) {
    comment_.emplace(comment);
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
  comment_ = source.comment_;
  return QDN_NO_ERROR;
}

void QDN_header::Release(int deep) {
  (void)SetIdUnchecked(nullptr);
  name_.reset();
  comment_.reset();
  QDN_object::Release(deep);
}
