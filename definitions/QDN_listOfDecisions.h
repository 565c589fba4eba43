#pragma once

#include "definitions/QDN_nodeValue.h"

// Values of the choices of a decision node; the chosen decision is its evidence.
class QDN_listOfDecisions : public QDN_nodeValue {
public:
  using QDN_nodeValue::QDN_nodeValue;
  int GetType() const override { return 6; }
  const char* GetTypeName() const override { return "LIST OF DECISIONS"; }
};
