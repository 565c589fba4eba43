#pragma once

#include "core/QDN_object.h"

class QDN_network;

// Base of every model-file format. A format object is made for exactly one
// read or one write of its network and destroyed right after it.
class QDN_textFormat : public QDN_object {
public:
  explicit QDN_textFormat(QDN_network* network) : network_(network) {}
  QDN_textFormat(const QDN_textFormat&) = delete;
  QDN_textFormat& operator=(const QDN_textFormat&) = delete;
  ~QDN_textFormat() override = default;

  // Reads fileName into the network; 0 or a failure status.
  virtual int ReadFile(const char* fileName, int flags) = 0;
  // Writes the network to fileName; 0 or a failure status.
  virtual int WriteFile(const char* fileName) = 0;

protected:
  QDN_network* network_;
};
