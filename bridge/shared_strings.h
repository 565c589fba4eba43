#pragma once

#include <jni.h>

#include <cstdint>
#include <memory>

// A Java string for a walk's callback: ref is null when the VM failed (an
// exception is then pending). A local reference belongs to the caller's
// frame; a shared one belongs to the SharedStrings that gave it and must not
// be deleted.
struct WalkString {
  jstring ref = nullptr;
  bool local = true;
};

// The Java strings one walk hands out more than once, so that the host holds
// one String for a text that many nodes repeat (outcome names, property names
// and values) and for a node identifier that is also a parent identifier.
// Both tables are direct-mapped and bounded: a text longer than kMaxText, or
// one that loses its slot, simply becomes a new string each time, so a
// network of unique texts costs a hash per text and no VM reference. Every
// global reference is deleted by the destructor, which is legal with an
// exception pending.
class SharedStrings {
public:
  static constexpr int kTextSlots = 2048;
  static constexpr int kMaxText = 30;
  static constexpr int kIdSlots = 4096;

  explicit SharedStrings(JNIEnv* env);
  SharedStrings(const SharedStrings&) = delete;
  SharedStrings& operator=(const SharedStrings&) = delete;
  ~SharedStrings();

  // A string of stored text (null: ""). The string made for a text's second
  // occurrence is kept and serves every later one; a slot that keeps being hit
  // survives other texts that fall on it for a while (each hit buys one
  // collision).
  WalkString Text(const char* text);

  // The identifier of node handle (null: ""). With keep, a new string is
  // also kept for the handle's later requests (pass it when more requests
  // for the handle are to come: the node has children).
  WalkString NodeId(int handle, const char* id, bool keep);

private:
  struct TextSlot {
    jstring ref = nullptr; // null: the text was seen once
    bool filled = false;
    uint8_t credit = 0;
    uint8_t length = 0;
    char text[kMaxText];
  };
  struct IdSlot {
    int handle = -1;
    jstring ref = nullptr;
  };

  WalkString NewLocal(const char* text);
  // A global reference to local, or null when the VM keeps none (a
  // failure other than a pending exception only loses the sharing).
  jstring Keep(jstring local);

  JNIEnv* env_;
  std::unique_ptr<TextSlot[]> texts_;
  std::unique_ptr<IdSlot[]> ids_;
};
