#include "core/QDN_idArray.h"

#include <charconv>
#include <string>

#include "core/QDN_status.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Lists up to this length are searched directly; longer ones through the index.
constexpr int kIndexThreshold = 16;

} // namespace

bool IsValidIdentifier(std::string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return false;
  for (char c : text)
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return false;
  return true;
}

int QDN_idArray::Occurrences(std::string_view text) const {
  if (count_ <= kIndexThreshold) {
    int found = 0;
    for (int i = 0; i < count_; ++i)
      if (At(i) && ViewAt(i) == text) ++found;
    return found;
  }
  if (!IndexIsCurrent()) {
    if (!index_) index_ = std::make_unique<Index>();
    index_->counts.clear();
    for (int i = 0; i < count_; ++i)
      if (At(i)) ++index_->counts[std::string(ViewAt(i))];
    index_->version = Version();
    index_->count = count_;
  }
  const auto it = index_->counts.find(std::string(text));
  return it == index_->counts.end() ? 0 : it->second;
}

int QDN_idArray::IsValidNewId(const char* text) const {
  if (!text || !IsValidIdentifier(text)) return 0;
  return Occurrences(text) == 0 ? 1 : 0;
}

int QDN_idArray::IsValidIdAt(const char* text, int index) const {
  if (!text || !IsValidIdentifier(text)) return 0;
  int found = Occurrences(text);
  if (index >= 0 && index < count_ && At(index) && ViewAt(index) == text) --found;
  return found == 0 ? 1 : 0;
}

int QDN_idArray::SetAt(int index, const char* text) {
  if (!IsValidIdAt(text, index)) return QDN_OUT_OF_RANGE;
  // Keep a current index current across the change, so renaming every item
  // of a long list one by one stays linear.
  const bool indexed = IndexIsCurrent() && index >= 0 && index < count_;
  std::string old;
  const bool had_old = indexed && At(index);
  if (had_old) old = ViewAt(index);
  CB_TRY(QDN_stringArray::SetAt(index, text));
  if (indexed) {
    if (had_old) {
      const auto it = index_->counts.find(old);
      if (it != index_->counts.end() && --it->second == 0) index_->counts.erase(it);
    }
    ++index_->counts[text];
    index_->version = Version();
  }
  return QDN_NO_ERROR;
}

int QDN_idArray::Append(const char* text) { return InsertAt(count_, text); }

int QDN_idArray::InsertAt(int index, const char* text) {
  if (!IsValidNewId(text)) return QDN_OUT_OF_RANGE;
  return InsertNewId(index, text);
}

int QDN_idArray::InsertNewId(int index, const char* text) {
  const bool appending = index == count_ && IndexIsCurrent();
  CB_TRY(QDN_stringArray::InsertAt(index, text));
  // Keep the index current across appends, so filling a long list stays linear.
  if (appending) {
    ++index_->counts[text];
    index_->version = Version();
    index_->count = count_;
  }
  return QDN_NO_ERROR;
}

void QDN_idArray::CheckConsistency(int) {
  if (!IsReady()) {
    ClearFlag(kConsistent);
    return;
  }
  // Short lists (outcome names) compare each pair once, each text measured
  // once; long ones count through the index.
  if (count_ <= kIndexThreshold) {
    std::string_view views[kIndexThreshold];
    for (int i = 0; i < count_; ++i) {
      const char* text = At(i);
      if (!text || !IsValidIdentifier(views[i] = text)) {
        ClearFlag(kConsistent);
        return;
      }
      for (int j = 0; j < i; ++j) {
        if (views[j] == views[i]) {
          ClearFlag(kConsistent);
          return;
        }
      }
    }
    SetFlag(kConsistent);
    return;
  }
  for (int i = 0; i < count_; ++i) {
    const char* text = At(i);
    if (!text || !IsValidIdentifier(text) || Occurrences(text) != 1) {
      ClearFlag(kConsistent);
      return;
    }
  }
  SetFlag(kConsistent);
}

void QDN_idArray::Release(int deep) {
  index_.reset();
  QDN_stringArray::Release(deep);
}

int QDN_idArray::MakeValidId(std::string& text) {
  if (text.empty()) return QDN_OUT_OF_RANGE;
  if (!IsAsciiLetter(text[0])) text.insert(0, 1, 'x');
  for (size_t i = 1; i < text.size(); ++i)
    if (!IsAsciiLetter(text[i]) && !IsAsciiDigit(text[i]) && text[i] != '_') text[i] = '_';
  return QDN_NO_ERROR;
}

int QDN_idArray::CreateUniqueId(const char* base, int number, std::string& out) const {
  return MakeUniqueId(base, number, -1, out);
}

int QDN_idArray::CreateUniqueIdAt(const char* base, int index, std::string& out) const {
  return MakeUniqueId(base, -1, index, out);
}

int QDN_idArray::MakeUniqueId(const char* base, int number, int slot, std::string& out) const {
  out = (base && *base) ? base : "x";
  (void)MakeValidId(out); // never fails: out is not empty
  if (number < 0 && IsValidIdAt(out.c_str(), slot)) return QDN_NO_ERROR;
  if (number < 0) number = 0;
  const size_t stem = out.size();
  for (;; ++number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.resize(stem);
    out.append(digits, end);
    if (IsValidIdAt(out.c_str(), slot)) return QDN_NO_ERROR;
  }
}

// The identifier made is valid and new: it is stored without testing again.
int QDN_idArray::AppendUniqueId(const char* base, int number) {
  std::string id;
  CB_TRY(CreateUniqueId(base, number, id));
  return InsertNewId(count_, id.c_str());
}

int QDN_idArray::InsertUniqueId(const char* base, int number, int index) {
  std::string id;
  CB_TRY(CreateUniqueId(base, number, id));
  return InsertNewId(index, id.c_str());
}

int QDN_idArray::MakeIdsValid() {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const QDN_idArray saved(*this);
  Release(0);
  int status = QDN_NO_ERROR;
  for (int i = 0; i < saved.GetCount(); ++i) {
    const char* item = saved.At(i);
    if (Append(item) == QDN_NO_ERROR) continue;
    std::string repaired = item ? item : "";
    if (MakeValidId(repaired) == QDN_NO_ERROR && Append(repaired.c_str()) == QDN_NO_ERROR) continue;
    if (AppendUniqueId(repaired.c_str(), 2) != QDN_NO_ERROR) status = QDN_OUT_OF_RANGE;
  }
  if (status != QDN_NO_ERROR) (void)Assign(saved);
  return status;
}
