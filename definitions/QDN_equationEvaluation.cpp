#include "definitions/QDN_equationEvaluation.h"

#include "core/QDN_status.h"

int QDN_equationEvaluation::CreateResult() {
  samples_.clear();
  count_ = 0;
  sum_ = sum_of_squares_ = 0;
  return QDN_NO_ERROR;
}

void QDN_equationEvaluation::AddSample(double x) {
  if (keep_samples) samples_.push_back(x);
  sum_ += x;
  sum_of_squares_ += x * x;
  ++count_;
}
