#pragma once

#include <string>

#include "core/QDN_object.h"

class QDN_network;

// A node of a network: its descriptive information, definition and value.
class QDN_node : public QDN_object {
 public:
  QDN_node(QDN_network* network, int handle) : network_(network), handle_(handle) {}

  int GetHandle() const { return handle_; }
  QDN_network* GetNetwork() const { return network_; }
  const std::string& GetId() const { return id_; }
  void SetIdUnchecked(std::string id) { id_ = std::move(id); }

 private:
  QDN_network* network_;
  int handle_;
  std::string id_;
};
