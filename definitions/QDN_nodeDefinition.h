#pragma once

#include <memory>

#include "core/QDN_object.h"

class QDN_network;

// Definition type numbers: bit sets of 1 decision, 2 chance, 4 deterministic,
// 8 utility, 16 discrete.
inline constexpr int QDN_CPT = 18;
inline constexpr int QDN_TRUTHTABLE = 20;
inline constexpr int QDN_LIST = 17;
inline constexpr int QDN_TABLE = 8;
inline constexpr int QDN_MAU = 136;
inline constexpr int QDN_NOISY_MAX = 530;
inline constexpr int QDN_CAST = 274;
inline constexpr int QDN_EQUATION = 4;
inline constexpr int QDN_EQUATION_SCC = 1028;
inline constexpr int QDN_DISTRIBUTION = 2;

// True for the types a node can be created with (0: no definition).
bool IsKnownDefinitionType(int type);

// Base of the node definitions: the typed parameter tables of a node. The
// network tells the definition of arcs to and from its node.
class QDN_nodeDefinition : public QDN_object {
public:
  QDN_nodeDefinition(QDN_network* network, int handle) : network_(network), handle_(handle) {}

  virtual int GetType() const = 0;
  virtual int GetNumberOfOutcomes() const { return 0; }
  // A parent was linked to the node (called after the arc is in the parent
  // lists); a failure makes the network take the arc back.
  virtual int AddParent(int parent) = 0;
  // The parent is about to be unlinked (called before the arc leaves the lists).
  virtual int RemoveParent(int parent) = 0;

  QDN_network* GetNetwork() const { return network_; }
  int GetHandle() const { return handle_; }

protected:
  QDN_network* network_;
  int handle_;
};

// The value object of a node: what inference computes for it.
class QDN_nodeValue : public QDN_object {
public:
  QDN_nodeValue(QDN_network* network, int handle) : network_(network), handle_(handle) {}
  // Marks the value as out of date.
  virtual void Invalidate() { valid_ = false; }
  bool IsValid() const { return valid_; }

protected:
  QDN_network* network_;
  int handle_;
  bool valid_ = false;
};

// Creates the definition and the value of a type for node handle of network.
// -2 for an unknown type; type 0 gives no definition.
int QDN_CreateDefinition(int type, QDN_network* network, int handle,
                         std::unique_ptr<QDN_nodeDefinition>& out);
int QDN_CreateValue(int type, QDN_network* network, int handle,
                    std::unique_ptr<QDN_nodeValue>& out);
