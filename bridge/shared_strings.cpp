#include "bridge/shared_strings.h"

#include <cstring>
#include <string>

#include "bridge/java_text.h"

namespace {

// Hits a text slot can bank against collisions.
constexpr uint8_t kMaxCredit = 8;

} // namespace

SharedStrings::SharedStrings(JNIEnv* env)
    : env_(env), texts_(new TextSlot[kTextSlots]), ids_(new IdSlot[kIdSlots]) {}

SharedStrings::~SharedStrings() {
  for (int i = 0; i < kTextSlots; ++i)
    if (texts_[i].ref) env_->DeleteGlobalRef(texts_[i].ref);
  for (int i = 0; i < kIdSlots; ++i)
    if (ids_[i].ref) env_->DeleteGlobalRef(ids_[i].ref);
}

WalkString SharedStrings::NewLocal(const char* text) {
  std::string storage;
  return {env_->NewStringUTF(ToModifiedUtf8(text ? text : "", storage)), true};
}

jstring SharedStrings::Keep(jstring local) {
  return static_cast<jstring>(env_->NewGlobalRef(local));
}

WalkString SharedStrings::Text(const char* text) {
  if (!text) text = "";
  // FNV-1a over at most kMaxText + 1 bytes: enough to tell a text too long to keep.
  uint32_t hash = 2166136261u;
  int length = 0;
  while (length <= kMaxText && text[length] != 0) {
    hash = (hash ^ static_cast<uint8_t>(text[length])) * 16777619u;
    ++length;
  }
  if (length > kMaxText) return NewLocal(text);
  TextSlot& slot = texts_[(hash ^ (hash >> 16)) & (kTextSlots - 1)];
  const bool same = slot.filled && slot.length == length &&
                    std::memcmp(slot.text, text, static_cast<size_t>(length)) == 0;
  if (same && slot.ref) {
    if (slot.credit < kMaxCredit) ++slot.credit;
    return {slot.ref, false};
  }
  if (!same && slot.filled && slot.credit > 0) {
    --slot.credit;
    return NewLocal(text);
  }
  const WalkString local = NewLocal(text);
  if (!local.ref) return local;
  if (same) {
    // Second occurrence: from now on shared.
    slot.ref = Keep(local.ref);
    slot.credit = slot.ref ? 1 : 0;
    if (!slot.ref && env_->ExceptionCheck()) return {};
    return local;
  }
  // The slot goes to the new text, seen once so far.
  if (slot.ref) env_->DeleteGlobalRef(slot.ref);
  slot.ref = nullptr;
  slot.filled = true;
  slot.credit = 0;
  slot.length = static_cast<uint8_t>(length);
  std::memcpy(slot.text, text, static_cast<size_t>(length));
  return local;
}

WalkString SharedStrings::NodeId(int handle, const char* id, bool keep) {
  IdSlot& slot = ids_[static_cast<unsigned>(handle) & (kIdSlots - 1)];
  if (slot.ref && slot.handle == handle) return {slot.ref, false};
  const WalkString local = NewLocal(id);
  if (!local.ref || !keep) return local;
  const jstring kept = Keep(local.ref);
  if (!kept) return env_->ExceptionCheck() ? WalkString{} : local;
  if (slot.ref) env_->DeleteGlobalRef(slot.ref);
  slot.handle = handle;
  slot.ref = kept;
  return local;
}
