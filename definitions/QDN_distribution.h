#pragma once

#include "definitions/QDN_nodeDefinition.h"

// A distribution node: only the base members; its specific operations are
// not available.
class QDN_distribution : public QDN_nodeDefinition {
public:
  using QDN_nodeDefinition::QDN_nodeDefinition;
  int GetType() const override { return QDN_DISTRIBUTION; }
  const char* GetTypeName() const override { return "DISTRIBUTION"; }
};
