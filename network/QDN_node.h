#pragma once

#include <memory>

#include "core/QDN_object.h"
#include "network/QDN_nodeInfo.h"

class QDN_network;
class QDN_nodeDefinition;
class QDN_nodeValue;
class QDN_costDefinition;
class QDN_extraDefinition;

// A node of a network: descriptive information, definition, value,
// observation costs and diagnostic attributes. Ready when its information,
// definition and value exist and are ready.
class QDN_node : public QDN_object {
public:
  QDN_node(QDN_network* network, int handle);
  QDN_node(const QDN_node&) = delete;
  QDN_node& operator=(const QDN_node&) = delete;
  ~QDN_node() override;

  QDN_network* GetNetwork() const { return network_; }
  int GetHandle() const { return handle_; }
  QDN_nodeInfo& GetInfo() { return info_; }
  const QDN_nodeInfo& GetInfo() const { return info_; }
  const char* GetId() const { return info_.header.GetId(); }
  const char* GetName() const { return info_.header.GetName(); }

  QDN_nodeDefinition* GetDefinition() const { return definition_.get(); }
  QDN_nodeValue* GetValue() const { return value_.get(); }
  // The observation costs; made when first needed (most nodes have none).
  QDN_costDefinition& GetCost();
  const QDN_costDefinition& GetCost() const;
  QDN_extraDefinition* GetExtraDefinition() const { return extra_.get(); }

  // Replaces the definition and value (either may be null); the extra
  // definition is created with the first definition and kept afterwards.
  void SetDefinition(std::unique_ptr<QDN_nodeDefinition> definition,
                     std::unique_ptr<QDN_nodeValue> value);

  int GetSubmodel() const { return submodel_; }
  // -2 unless handle names a submodel of the network.
  int SetSubmodel(int handle);
  // -1000 with "ERROR: (\"<id>\") : Unknown Submodel" in the last-error text
  // when no submodel has the identifier.
  int SetSubmodel(const char* id);

  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  QDN_network* network_;
  int handle_;
  int submodel_;
  QDN_nodeInfo info_;
  std::unique_ptr<QDN_nodeDefinition> definition_;
  std::unique_ptr<QDN_nodeValue> value_;
  std::unique_ptr<QDN_costDefinition> cost_;
  std::unique_ptr<QDN_extraDefinition> extra_;
};
