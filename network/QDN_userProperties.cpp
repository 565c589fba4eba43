#include "network/QDN_userProperties.h"

#include "core/QDN_idArray.h"
#include "core/QDN_status.h"

QDN_userProperties& QDN_userProperties::operator=(const QDN_userProperties& other) {
  (void)CopyFrom(other);
  return *this;
}

QDN_userProperties::~QDN_userProperties() = default;

int QDN_userProperties::FindProperty(const char* name) const { return pairs_.FindFirst(name); }

int QDN_userProperties::RemoveProperty(int index) { return pairs_.Remove(index); }

int QDN_userProperties::InsertProperty(int index, const char* name, const char* value) {
  if (!name || !IsValidIdentifier(name)) return QDN_OUT_OF_RANGE;
  if (index < 0 || index > GetCount()) return QDN_OUT_OF_RANGE;
  const int existing = FindProperty(name);
  if (existing >= 0) {
    if (existing == index) return pairs_.SetSecond(index, value);
    // The removed texts stay readable until the insert below is done, so
    // name and value may be the removed pair's own.
    CB_TRY(pairs_.Remove(existing));
    if (existing < index) --index;
  }
  return pairs_.Insert(index, name, value);
}

int QDN_userProperties::AppendProperty(const char* name, const char* value) {
  if (!name || !IsValidIdentifier(name) || FindProperty(name) >= 0) return QDN_OUT_OF_RANGE;
  return pairs_.Insert(GetCount(), name, value);
}

int QDN_userProperties::CopyFrom(const QDN_userProperties& source) {
  return pairs_.Assign(source.pairs_);
}

void QDN_userProperties::Release(int deep) {
  pairs_.Clear();
  QDN_object::Release(deep);
}

void QDN_userProperties::CheckReadiness(int) { SetFlag(kReady); }

// Names are checked as they enter (an identifier, not yet in the list) and
// copies come from lists kept the same way, so the pairs are always
// consistent: a deep check need not read them again, which spares a load
// a pass over every node's properties.
void QDN_userProperties::CheckConsistency(int) { SetFlag(kConsistent); }

QDN_documentation& QDN_documentation::operator=(const QDN_documentation& other) {
  (void)CopyFrom(other);
  return *this;
}

QDN_documentation::~QDN_documentation() = default;

int QDN_documentation::Add(const char* title, const char* path) {
  return links_.Insert(GetCount(), title, path);
}

int QDN_documentation::CopyFrom(const QDN_documentation& source) {
  return links_.Assign(source.links_);
}

void QDN_documentation::Release(int deep) {
  links_.Clear();
  QDN_object::Release(deep);
}

void QDN_documentation::CheckReadiness(int) { SetFlag(kReady); }

void QDN_documentation::CheckConsistency(int) { SetFlag(kConsistent); }
