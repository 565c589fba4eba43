#pragma once

#include <memory>
#include <vector>

#include "core/QDN_intArray.h"
#include "core/QDN_object.h"

class QDN_node;
class QDN_textFormat;

// A network of nodes under integer handles. Handles index the record table;
// freed records are reused and the handles of remaining nodes never change.
class QDN_network : public QDN_object {
 public:
  static constexpr int kMainSubmodel = 16384;
  static constexpr unsigned kDefaultNotificationMask = 463;

  QDN_network();
  QDN_network(const QDN_network&) = delete;
  QDN_network& operator=(const QDN_network&) = delete;
  ~QDN_network() override;

  int Initialize(int capacity, int growthStep);
  int GetNumberOfNodes() const { return node_count_; }
  int GetCapacity() const { return static_cast<int>(records_.size()); }
  QDN_node* GetNode(int handle) const;
  int GetFirstNode() const;
  int GetNextNode(int handle) const;
  int DeleteAllNodes();

  unsigned GetChangeNotificationMask() const { return notification_mask_; }
  void SetChangeNotificationMask(unsigned mask) { notification_mask_ = mask; }
  int GetSampleCount() const { return sample_count_; }

  // Creates the format object for a file name and format number (0: by the
  // name's extension); logs "Unknown File Format" and returns null when there
  // is none.
  std::unique_ptr<QDN_textFormat> CreateFormat(const char* fileName, int formatNumber);
  // Empties the network and reads the file; notifications are silenced while
  // the format reads, and nodes that could not be made ready are removed after.
  int ReadFile(const char* fileName, int formatNumber, int flags);
  // Writes the network; an explicit format 7 (KI) is refused.
  int WriteFile(const char* fileName, int formatNumber);

  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

 private:
  struct Record {
    std::unique_ptr<QDN_node> node;
    QDN_intArray parents;
    QDN_intArray children;
    QDN_intArray cost_parents;
    QDN_intArray cost_children;
    unsigned marks = 0;
  };

  bool IsValidHandle(int handle) const;
  int DeleteNode(int handle);

  std::vector<Record> records_;
  int node_count_ = 0;
  int growth_step_ = 50;
  int target_count_ = 0;
  int sample_count_ = 1000;
  QDN_intArray node_order_;
  unsigned notification_mask_ = kDefaultNotificationMask;
};
