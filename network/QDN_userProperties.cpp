#include "network/QDN_userProperties.h"

#include "core/QDN_status.h"

QDN_userProperties& QDN_userProperties::operator=(const QDN_userProperties& other) {
  (void)CopyFrom(other);
  return *this;
}

QDN_userProperties::~QDN_userProperties() = default;

int QDN_userProperties::FindProperty(const char* name) const {
  return lists_ ? lists_->names.IndexOf(name) : QDN_OUT_OF_RANGE;
}

int QDN_userProperties::RemoveProperty(int index) {
  if (index < 0 || index >= GetCount()) return QDN_OUT_OF_RANGE;
  CB_TRY(lists_->names.RemoveAt(index));
  return lists_->values.RemoveAt(index);
}

int QDN_userProperties::InsertProperty(int index, const char* name, const char* value) {
  if (!name || !IsValidIdentifier(name)) return QDN_OUT_OF_RANGE;
  if (index < 0 || index > GetCount()) return QDN_OUT_OF_RANGE;
  const int existing = FindProperty(name);
  if (existing >= 0) {
    if (existing == index) return lists_->values.SetAt(index, value);
    CB_TRY(RemoveProperty(existing));
    if (existing < index) --index;
  }
  CB_TRY(lists_.Make());
  CB_TRY(lists_->names.InsertAt(index, name));
  if (int status = lists_->values.InsertAt(index, value); status < 0) {
    (void)lists_->names.RemoveAt(index);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_userProperties::AppendProperty(const char* name, const char* value) {
  if (!name || !IsValidIdentifier(name) || FindProperty(name) >= 0) return QDN_OUT_OF_RANGE;
  CB_TRY(lists_.Make());
  CB_TRY(lists_->names.Append(name));
  if (int status = lists_->values.Append(value); status < 0) {
    (void)lists_->names.RemoveAt(lists_->names.GetCount() - 1);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_userProperties::CopyFrom(const QDN_userProperties& source) {
  if (&source == this) return QDN_NO_ERROR;
  if (!source.lists_) {
    lists_.reset();
    return QDN_NO_ERROR;
  }
  CB_TRY(lists_.Make());
  CB_TRY(lists_->names.Assign(source.lists_->names));
  return lists_->values.Assign(source.lists_->values);
}

void QDN_userProperties::Release(int deep) {
  lists_.reset();
  QDN_object::Release(deep);
}

void QDN_userProperties::CheckReadiness(int deep) {
  if (!lists_) {
    SetFlag(kReady);
    return;
  }
  if (deep) {
    lists_->names.CheckReadiness(deep);
    lists_->values.CheckReadiness(deep);
  }
  AssignFlag(kReady, lists_->names.IsReady() && lists_->values.IsReady());
}

void QDN_userProperties::CheckConsistency(int deep) {
  if (!lists_) {
    SetFlag(kConsistent);
    return;
  }
  if (deep) lists_->names.CheckConsistency(deep);
  AssignFlag(kConsistent,
             lists_->names.IsConsistent() && lists_->names.GetCount() == lists_->values.GetCount());
}

QDN_documentation& QDN_documentation::operator=(const QDN_documentation& other) {
  (void)CopyFrom(other);
  return *this;
}

QDN_documentation::~QDN_documentation() = default;

int QDN_documentation::Add(const char* title, const char* path) {
  CB_TRY(lists_.Make());
  CB_TRY(lists_->titles.Append(title));
  if (int status = lists_->paths.Append(path); status < 0) {
    (void)lists_->titles.RemoveAt(lists_->titles.GetCount() - 1);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_documentation::CopyFrom(const QDN_documentation& source) {
  if (&source == this) return QDN_NO_ERROR;
  if (!source.lists_) {
    lists_.reset();
    return QDN_NO_ERROR;
  }
  CB_TRY(lists_.Make());
  CB_TRY(lists_->titles.Assign(source.lists_->titles));
  return lists_->paths.Assign(source.lists_->paths);
}

void QDN_documentation::Release(int deep) {
  lists_.reset();
  QDN_object::Release(deep);
}

void QDN_documentation::CheckReadiness(int deep) {
  if (!lists_) {
    SetFlag(kReady);
    return;
  }
  if (deep) {
    lists_->titles.CheckReadiness(deep);
    lists_->paths.CheckReadiness(deep);
  }
  AssignFlag(kReady, lists_->titles.IsReady() && lists_->paths.IsReady());
}

void QDN_documentation::CheckConsistency(int) {
  AssignFlag(kConsistent, !lists_ || lists_->titles.GetCount() == lists_->paths.GetCount());
}
