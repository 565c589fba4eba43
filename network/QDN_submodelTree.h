#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/QDN_intArray.h"
#include "core/QDN_object.h"
#include "network/QDN_header.h"
#include "network/QDN_screenInfo.h"
#include "network/QDN_submodel.h"

class QDN_network;

// The tree of submodels of a network. A submodel in slot i has the handle
// i + 16384; operations accept a handle with or without that bit. The main
// submodel is slot 0. The tree also keeps the default screen information of
// new nodes (by definition type) and of new submodels.
class QDN_submodelTree : public QDN_object, private QDN_idListener {
public:
  static constexpr int kHandleBit = 16384;
  static constexpr int kNoParent = -8888;
  static constexpr int kFreeSlot = -8889;
  static constexpr int kGrowthStep = 10;

  QDN_submodelTree() = default;
  QDN_submodelTree(const QDN_submodelTree&) = delete;
  QDN_submodelTree& operator=(const QDN_submodelTree&) = delete;
  ~QDN_submodelTree() override;

  int Initialize(QDN_network* network);
  // New handle, or -2 (bad parent, identifier used by a submodel), -567.
  int AddSubmodel(int parentHandle, const char* id);
  QDN_submodel* GetSubmodel(int handle) const;
  // Parent handle, -8888 for the main submodel, -2 for an invalid handle.
  int GetParent(int handle) const;
  // -2 for the main submodel, unknown handles, or a move under itself or a descendant.
  int SetParent(int handle, int parentHandle);
  int GetFirstSubmodel() const;
  int GetNextSubmodel(int handle) const;
  int FindSubmodel(const char* id) const;
  int IsSubmodelIdInUse(const char* id) const;
  // Appends the direct children's handles in slot order; number appended or -2.
  [[nodiscard]] int GetChildren(int handle, QDN_intArray& out) const;
  // Appends the handles of the nodes in the submodel, ascending; number appended or -2.
  int GetNodesOfSubmodel(int handle, QDN_intArray& out) const;
  // 1 when ancestorIndex is on the parent chain above index, 0 if not, -2 for bad indices.
  int IsAncestor(int index, int ancestorIndex) const;
  const QDN_screenInfo& GetDefaultScreenInfo(int definitionType) const;
  // Width and height of all 13 node defaults.
  void SetDefaultNodeSize(int width, int height);
  QDN_screenInfo& GetDefaultSubmodelScreen() { return default_submodel_screen_; }
  int DeleteAllSubmodels();
  int GetSlotCount() const { return static_cast<int>(slots_.size()); }

  void Release(int deep) override;

private:
  struct Slot {
    std::unique_ptr<QDN_submodel> submodel;
    int parent = kFreeSlot;
  };

  static int IndexOf(int handle) { return handle & ~kHandleBit; }
  bool IsUsed(int index) const;
  int CreateMainSubmodel();
  std::string DefaultId(int index) const;
  void IdChanged(const char* old_id, const char* new_id) override;

  QDN_network* network_ = nullptr;
  std::vector<Slot> slots_;
  std::array<QDN_screenInfo, 13> node_defaults_;
  QDN_screenInfo default_submodel_screen_;
  // Hashes identifiers given as any text, so a look-up by a C string makes
  // no std::string.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  // Identifier -> slot index of each submodel holding it.
  std::unordered_multimap<std::string, int, IdHash, std::equal_to<>> ids_;
  int next_free_hint_ = 1;
};
