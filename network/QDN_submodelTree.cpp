#include "network/QDN_submodelTree.h"

#include <string>
#include <string_view>

#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

// The index of the node default used for a definition type.
size_t DefaultIndexOf(int definitionType) {
  switch (definitionType) {
  case 20:
    return 1;
  case 17:
    return 2;
  case 8:
    return 3;
  case 4:
    return 4;
  case 2:
    return 5;
  case 136:
    return 8;
  case 530:
    return 9;
  case 1028:
    return 12;
  default:
    return 0;
  }
}

void SetScreenDefaults(QDN_screenInfo& screen, int border_thickness) {
  screen.position.x1 = 76;
  screen.position.y1 = 36;
  screen.color = 16250597;
  screen.selection_color = 12303291;
  screen.font = 1;
  screen.font_color = 0;
  screen.border_thickness = border_thickness;
  screen.border_color = 12255232;
  screen.arc_flags = 3;
}

} // namespace

QDN_submodelTree::~QDN_submodelTree() {
  for (Slot& slot : slots_)
    if (slot.submodel) slot.submodel->header.SetListener(nullptr);
}

bool QDN_submodelTree::IsUsed(int index) const {
  return index >= 0 && index < GetSlotCount() && slots_[static_cast<size_t>(index)].submodel;
}

void QDN_submodelTree::IdChanged(const char* old_id, const char* new_id) {
  // An identifier set to the text it already had (files name a submodel at
  // its start and again in its header) leaves every entry valid; rebuilding
  // the index here would make reading n submodels quadratic.
  if (old_id && new_id && std::string_view(old_id) == new_id) return;
  // The entry of the renamed submodel is the one whose header no longer holds old_id.
  if (old_id) {
    const auto [first, last] = ids_.equal_range(old_id);
    for (auto it = first; it != last; ++it) {
      const int index = it->second;
      const char* current = slots_[static_cast<size_t>(index)].submodel->header.GetId();
      if (current && std::string_view(current) == old_id) continue;
      ids_.erase(it);
      if (new_id) ids_.emplace(new_id, index);
      return;
    }
  }
  ids_.clear();
  for (int i = 0; i < GetSlotCount(); ++i) {
    const QDN_submodel* submodel = slots_[static_cast<size_t>(i)].submodel.get();
    if (submodel && submodel->header.GetId()) ids_.emplace(submodel->header.GetId(), i);
  }
}

std::string QDN_submodelTree::DefaultId(int index) const {
  for (int number = index;; ++number) {
    std::string id = "Sub" + std::to_string(number);
    if (!IsSubmodelIdInUse(id.c_str())) return id;
  }
}

int QDN_submodelTree::CreateMainSubmodel() {
  if (slots_.empty()) slots_.resize(1);
  Slot& main = slots_[0];
  if (main.submodel) main.submodel->header.SetListener(nullptr);
  main.submodel = std::make_unique<QDN_submodel>();
  main.parent = kNoParent;
  IdChanged(nullptr, nullptr);
  const std::string id = DefaultId(0);
  (void)main.submodel->header.SetId(id.c_str());
  (void)main.submodel->header.SetName(id.c_str());
  main.submodel->header.SetListener(this);
  ids_.emplace(id, 0);
  for (QDN_screenInfo& screen : node_defaults_)
    SetScreenDefaults(screen, 1);
  SetScreenDefaults(default_submodel_screen_, 3);
  SetScreenDefaults(main.submodel->screen, 3);
  main.submodel->background_color = 16777215;
  return QDN_NO_ERROR;
}

int QDN_submodelTree::Initialize(QDN_network* network) {
  Release(0);
  network_ = network;
  slots_.resize(1);
  return CreateMainSubmodel();
}

int QDN_submodelTree::AddSubmodel(int parentHandle, const char* id) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int parent = IndexOf(parentHandle);
  if (!IsUsed(parent)) return QDN_OUT_OF_RANGE;
  if (id && IsSubmodelIdInUse(id)) return QDN_OUT_OF_RANGE;
  // Submodels are never deleted one by one, so no slot below the hint is free.
  int index = next_free_hint_;
  while (index < GetSlotCount() && slots_[static_cast<size_t>(index)].submodel)
    ++index;
  next_free_hint_ = index + 1;
  if (index == GetSlotCount()) slots_.resize(slots_.size() + kGrowthStep);
  Slot& slot = slots_[static_cast<size_t>(index)];
  slot.submodel = std::make_unique<QDN_submodel>();
  slot.parent = parent;
  const std::string text = id ? std::string(id) : DefaultId(index);
  // A rejected identifier leaves the identifier unset.
  if (slot.submodel->header.SetId(text.c_str()) == QDN_NO_ERROR) ids_.emplace(text, index);
  (void)slot.submodel->header.SetName(text.c_str());
  slot.submodel->header.SetListener(this);
  (void)slot.submodel->screen.CopyFrom(default_submodel_screen_);
  return index | kHandleBit;
}

QDN_submodel* QDN_submodelTree::GetSubmodel(int handle) const {
  if (handle < 0) return nullptr;
  const int index = IndexOf(handle);
  return IsUsed(index) ? slots_[static_cast<size_t>(index)].submodel.get() : nullptr;
}

int QDN_submodelTree::GetParent(int handle) const {
  if (handle < 0) return QDN_OUT_OF_RANGE;
  const int index = IndexOf(handle);
  if (!IsUsed(index)) return QDN_OUT_OF_RANGE;
  const int parent = slots_[static_cast<size_t>(index)].parent;
  return parent == kNoParent ? kNoParent : (parent | kHandleBit);
}

int QDN_submodelTree::SetParent(int handle, int parentHandle) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (handle < 0 || parentHandle < 0) return QDN_OUT_OF_RANGE;
  const int index = IndexOf(handle), parent = IndexOf(parentHandle);
  if (!IsUsed(index) || !IsUsed(parent) || index == 0 || index == parent) return QDN_OUT_OF_RANGE;
  if (IsAncestor(parent, index) == 1) return QDN_OUT_OF_RANGE;
  slots_[static_cast<size_t>(index)].parent = parent;
  return QDN_NO_ERROR;
}

int QDN_submodelTree::GetFirstSubmodel() const { return GetNextSubmodel(-1); }

int QDN_submodelTree::GetNextSubmodel(int handle) const {
  const int start = handle < 0 ? 0 : IndexOf(handle) + 1;
  for (int i = start; i < GetSlotCount(); ++i)
    if (IsUsed(i)) return i | kHandleBit;
  return QDN_OUT_OF_RANGE;
}

int QDN_submodelTree::FindSubmodel(const char* id) const {
  if (!id) return QDN_OUT_OF_RANGE;
  const auto [first, last] = ids_.equal_range(id);
  int found = QDN_OUT_OF_RANGE;
  for (auto it = first; it != last; ++it)
    if (found < 0 || it->second < found) found = it->second;
  return found < 0 ? found : (found | kHandleBit);
}

int QDN_submodelTree::IsSubmodelIdInUse(const char* id) const {
  return id && ids_.count(id) > 0 ? 1 : 0;
}

int QDN_submodelTree::GetChildren(int handle, QDN_intArray& out) const {
  if (handle < 0 || !IsUsed(IndexOf(handle))) return QDN_OUT_OF_RANGE;
  const int parent = IndexOf(handle);
  int appended = 0;
  for (int i = 0; i < GetSlotCount(); ++i) {
    if (IsUsed(i) && slots_[static_cast<size_t>(i)].parent == parent) {
      (void)out.Append(i | kHandleBit);
      ++appended;
    }
  }
  return appended;
}

int QDN_submodelTree::GetNodesOfSubmodel(int handle, QDN_intArray& out) const {
  if (handle < 0 || !IsUsed(IndexOf(handle)) || !network_) return QDN_OUT_OF_RANGE;
  const int wanted = IndexOf(handle) | kHandleBit;
  int appended = 0;
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    if (network_->GetNode(h)->GetSubmodel() == wanted) {
      (void)out.Append(h);
      ++appended;
    }
  }
  return appended;
}

int QDN_submodelTree::IsAncestor(int index, int ancestorIndex) const {
  index = IndexOf(index);
  ancestorIndex = IndexOf(ancestorIndex);
  if (!IsUsed(index) || !IsUsed(ancestorIndex)) return QDN_OUT_OF_RANGE;
  // A parent chain visits each slot at most once; the bound guards a corrupt table.
  for (int steps = 0; steps <= GetSlotCount(); ++steps) {
    const int parent = slots_[static_cast<size_t>(index)].parent;
    if (parent == kNoParent || parent == kFreeSlot) return 0;
    if (parent == ancestorIndex) return 1;
    index = parent;
  }
  return 0;
}

const QDN_screenInfo& QDN_submodelTree::GetDefaultScreenInfo(int definitionType) const {
  return node_defaults_[DefaultIndexOf(definitionType)];
}

void QDN_submodelTree::SetDefaultNodeSize(int width, int height) {
  for (QDN_screenInfo& screen : node_defaults_) {
    screen.position.x1 = width;
    screen.position.y1 = height;
  }
}

int QDN_submodelTree::DeleteAllSubmodels() {
  for (Slot& slot : slots_) {
    if (slot.submodel) slot.submodel->header.SetListener(nullptr);
    slot = Slot{};
  }
  ids_.clear();
  next_free_hint_ = 1;
  CB_TRY(CreateMainSubmodel());
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

void QDN_submodelTree::Release(int deep) {
  for (Slot& slot : slots_)
    if (slot.submodel) slot.submodel->header.SetListener(nullptr);
  slots_.clear();
  ids_.clear();
  next_free_hint_ = 1;
  QDN_object::Release(deep);
}
