#pragma once

#include "definitions/QDN_nodeValue.h"

// Expected utility of a utility node (type 4) or multi-attribute utility node (type 7).
class QDN_expectedUtility : public QDN_nodeValue {
public:
  QDN_expectedUtility(QDN_network* network, int handle, int type)
      : QDN_nodeValue(network, handle), type_(type) {}
  int GetType() const override { return type_; }
  const char* GetTypeName() const override { return "EXPECTED UTILITY"; }
  int CreateResult() override;
  bool TakesEvidence() const override { return false; }
  int SetEvidence(int) override { return 0; }
  int SetPropagatedEvidence(int) override { return 0; }

private:
  int type_;
};
