#pragma once

#include "core/QDN_object.h"

// A model-file format as the network sees it: an object made for exactly
// one read or one write of its network. The formats themselves live above
// the network layer and reach it through the format table
// (network/QDN_formatDispatch.h).
class QDN_fileFormat : public QDN_object {
public:
  // Reads fileName into the network; 0 or a failure status.
  virtual int ReadFile(const char* fileName, int flags) = 0;
  // Writes the network to fileName; 0 or a failure status. The old file
  // survives a failed write.
  [[nodiscard]] virtual int WriteFile(const char* fileName) = 0;
};
