#pragma once

#include "core/QDN_object.h"
#include "core/QDN_textPairs.h"

// Ordered name/value pairs; names are identifiers, unique within the list.
// Most nodes have none: the pairs cost a pointer until the first is added,
// and then share one heap block.
class QDN_userProperties : public QDN_object {
public:
  QDN_userProperties() = default;
  QDN_userProperties(const QDN_userProperties& other) = default;
  QDN_userProperties& operator=(const QDN_userProperties& other);
  ~QDN_userProperties() override;

  int GetCount() const { return pairs_.Count(); }
  const char* GetName(int i) const { return pairs_.First(i); }
  const char* GetValue(int i) const { return pairs_.Second(i); }
  // Index of the pair with that name, or -2.
  int FindProperty(const char* name) const;
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
  QDN_textPairs pairs_;
};

// Ordered documentation links: one title and one path each, kept like the
// user properties.
class QDN_documentation : public QDN_object {
public:
  QDN_documentation() = default;
  QDN_documentation(const QDN_documentation& other) = default;
  QDN_documentation& operator=(const QDN_documentation& other);
  ~QDN_documentation() override;

  int GetCount() const { return links_.Count(); }
  const char* GetTitle(int i) const { return links_.First(i); }
  const char* GetPath(int i) const { return links_.Second(i); }
  int Add(const char* title, const char* path);
  int CopyFrom(const QDN_documentation& source);
  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  QDN_textPairs links_;
};
