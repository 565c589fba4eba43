#pragma once

// Root of every engine class: a flags word and the eight virtual operations
// every object answers. Operations of derived classes test the ready bit first
// and return QDN_OBJECT_NOT_READY when it is clear.
class QDN_object {
public:
  static constexpr unsigned kReady = 1;
  static constexpr unsigned kConsistent = 2;
  // Removal shifts the following items down; when clear, the last item fills the hole.
  static constexpr unsigned kOrdered = 4;
  // The object frees what it points to when released.
  static constexpr unsigned kOwner = 8;

  // A fresh object is consistent, ordered, owner and ready (15).
  QDN_object() : flags_(kConsistent | kOrdered | kOwner | kReady) {}
  QDN_object(const QDN_object&) = default;
  QDN_object& operator=(const QDN_object&) = default;
  virtual ~QDN_object();

  virtual void SetOrdered(int deep);
  virtual void ClearOrdered(int deep);
  virtual void SetOwner(int deep);
  virtual void ClearOwner(int deep);
  // Frees the contents and returns to the empty state.
  virtual void Release(int deep);
  // Recomputes the ready bit.
  virtual void CheckReadiness(int deep);
  // Recomputes the consistent bit.
  virtual void CheckConsistency(int deep);

  unsigned GetFlags() const { return flags_; }
  bool IsReady() const { return (flags_ & kReady) != 0; }
  bool IsConsistent() const { return (flags_ & kConsistent) != 0; }
  bool IsOrdered() const { return (flags_ & kOrdered) != 0; }
  bool IsOwner() const { return (flags_ & kOwner) != 0; }

protected:
  void SetFlag(unsigned flag) { flags_ |= flag; }
  void ClearFlag(unsigned flag) { flags_ &= ~flag; }
  void AssignFlag(unsigned flag, bool on) { on ? SetFlag(flag) : ClearFlag(flag); }

private:
  unsigned flags_;
};
