#pragma once

#include "definitions/QDN_nodeValue.h"

// Belief over the outcomes of a chance or deterministic node.
class QDN_beliefVector : public QDN_nodeValue {
public:
  using QDN_nodeValue::QDN_nodeValue;
  int GetType() const override { return 3; }
  const char* GetTypeName() const override { return "BELIEF VECTOR"; }
};
