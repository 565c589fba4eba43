#include "network/QDN_userProperties.h"

#include "core/QDN_status.h"

int QDN_userProperties::RemoveProperty(int index) {
  if (index < 0 || index >= GetCount()) return QDN_OUT_OF_RANGE;
  CB_TRY(names_.RemoveAt(index));
  return values_.RemoveAt(index);
}

int QDN_userProperties::InsertProperty(int index, const char* name, const char* value) {
  if (!name || !IsValidIdentifier(name)) return QDN_OUT_OF_RANGE;
  if (index < 0 || index > GetCount()) return QDN_OUT_OF_RANGE;
  const int existing = FindProperty(name);
  if (existing >= 0) {
    if (existing == index) return values_.SetAt(index, value);
    CB_TRY(RemoveProperty(existing));
    if (existing < index) --index;
  }
  CB_TRY(names_.InsertAt(index, name));
  if (int status = values_.InsertAt(index, value); status < 0) {
    (void)names_.RemoveAt(index);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_userProperties::AppendProperty(const char* name, const char* value) {
  CB_TRY(names_.Append(name));
  if (int status = values_.Append(value); status < 0) {
    (void)names_.RemoveAt(names_.GetCount() - 1);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_userProperties::CopyFrom(const QDN_userProperties& source) {
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(names_.Assign(source.names_));
  return values_.Assign(source.values_);
}

void QDN_userProperties::Release(int deep) {
  names_.Release(deep);
  values_.Release(deep);
  QDN_object::Release(deep);
}

void QDN_userProperties::CheckReadiness(int deep) {
  if (deep) {
    names_.CheckReadiness(deep);
    values_.CheckReadiness(deep);
  }
  AssignFlag(kReady, names_.IsReady() && values_.IsReady());
}

void QDN_userProperties::CheckConsistency(int deep) {
  if (deep) names_.CheckConsistency(deep);
  AssignFlag(kConsistent, names_.IsConsistent() && names_.GetCount() == values_.GetCount());
}

int QDN_documentation::Add(const char* title, const char* path) {
  CB_TRY(titles_.Append(title));
  if (int status = paths_.Append(path); status < 0) {
    (void)titles_.RemoveAt(titles_.GetCount() - 1);
    return status;
  }
  return QDN_NO_ERROR;
}

int QDN_documentation::CopyFrom(const QDN_documentation& source) {
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(titles_.Assign(source.titles_));
  return paths_.Assign(source.paths_);
}

void QDN_documentation::Release(int deep) {
  titles_.Release(deep);
  paths_.Release(deep);
  QDN_object::Release(deep);
}

void QDN_documentation::CheckReadiness(int deep) {
  if (deep) {
    titles_.CheckReadiness(deep);
    paths_.CheckReadiness(deep);
  }
  AssignFlag(kReady, titles_.IsReady() && paths_.IsReady());
}

void QDN_documentation::CheckConsistency(int) {
  AssignFlag(kConsistent, titles_.GetCount() == paths_.GetCount());
}
