#pragma once

#include <vector>

#include "definitions/QDN_nodeValue.h"

// Samples of an equation node, with running count, sum and sum of squares.
class QDN_equationEvaluation : public QDN_nodeValue {
public:
  using QDN_nodeValue::QDN_nodeValue;
  int GetType() const override { return 8; }
  const char* GetTypeName() const override { return "EQUATION EVALUATION"; }
  int CreateResult() override;
  int GetSize() const override { return static_cast<int>(samples_.size()); }
  bool TakesEvidence() const override { return false; }
  int SetEvidence(int) override { return 0; }
  int SetPropagatedEvidence(int) override { return 0; }
  void AddSample(double x);
  int GetSampleCount() const { return count_; }
  double GetSum() const { return sum_; }
  double GetSumOfSquares() const { return sum_of_squares_; }
  bool keep_samples = true;

private:
  std::vector<double> samples_;
  int count_ = 0;
  double sum_ = 0;
  double sum_of_squares_ = 0;
};
