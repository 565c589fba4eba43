#pragma once

#include "core/QDN_idArray.h"
#include "core/QDN_object.h"
#include "core/QDN_stringArray.h"

// Ordered name/value pairs; names are identifiers, unique within the list.
class QDN_userProperties : public QDN_object {
public:
  int GetCount() const { return names_.GetCount(); }
  const char* GetName(int i) const { return names_.At(i); }
  const char* GetValue(int i) const { return values_.At(i); }
  // Index of the pair with that name, or -2.
  int FindProperty(const char* name) const { return names_.IndexOf(name); }
  int RemoveProperty(int index);
  // Adds or replaces a pair; an existing name moves to the end with the new value.
  int AddProperty(const char* name, const char* value) {
    return InsertProperty(GetCount(), name, value);
  }
  // An existing pair of that name at index only gets the new value; elsewhere
  // it is removed first. -2 (nothing changed) for a name that is not an identifier.
  int InsertProperty(int index, const char* name, const char* value);
  // Appends without replacing: an existing name fails with -2.
  int AppendProperty(const char* name, const char* value);
  int CopyFrom(const QDN_userProperties& source);

  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  QDN_idArray names_;
  QDN_stringArray values_;
};

// Ordered documentation links: one title and one path each.
class QDN_documentation : public QDN_object {
public:
  int GetCount() const { return titles_.GetCount(); }
  const char* GetTitle(int i) const { return titles_.At(i); }
  const char* GetPath(int i) const { return paths_.At(i); }
  int Add(const char* title, const char* path);
  int CopyFrom(const QDN_documentation& source);
  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  QDN_stringArray titles_;
  QDN_stringArray paths_;
};
