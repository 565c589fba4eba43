#include "network/QDN_network.h"

#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "formats/text/QDN_textFormat.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_node.h"

QDN_network::QDN_network() { (void)Initialize(50, 50); }

QDN_network::~QDN_network() = default;

int QDN_network::Initialize(int capacity, int growthStep) {
  if (capacity <= 0) capacity = 50;
  if (growthStep <= 0) growthStep = 50;
  Release(0);
  records_.resize(static_cast<size_t>(capacity));
  growth_step_ = growthStep;
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

bool QDN_network::IsValidHandle(int handle) const {
  return handle >= 0 && handle < GetCapacity() && records_[static_cast<size_t>(handle)].node;
}

QDN_node* QDN_network::GetNode(int handle) const {
  return IsValidHandle(handle) ? records_[static_cast<size_t>(handle)].node.get() : nullptr;
}

int QDN_network::GetFirstNode() const { return GetNextNode(-1); }

int QDN_network::GetNextNode(int handle) const {
  if (handle < -1) return QDN_OUT_OF_RANGE;
  for (int h = handle + 1; h < GetCapacity(); ++h)
    if (records_[static_cast<size_t>(h)].node) return h;
  return QDN_OUT_OF_RANGE;
}

int QDN_network::DeleteNode(int handle) {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  Record& record = records_[static_cast<size_t>(handle)];
  if (record.marks & 1) --target_count_;
  record = Record{};
  --node_count_;
  return QDN_NO_ERROR;
}

int QDN_network::DeleteAllNodes() {
  for (Record& record : records_) record = Record{};
  node_count_ = 0;
  target_count_ = 0;
  sample_count_ = 1000;
  node_order_.Release(0);
  return QDN_NO_ERROR;
}

std::unique_ptr<QDN_textFormat> QDN_network::CreateFormat(const char* fileName, int formatNumber) {
  if (formatNumber == QDN_FORMAT_BY_EXTENSION) formatNumber = FormatFromExtension(fileName);
  std::unique_ptr<QDN_textFormat> format;
  switch (formatNumber) {
    case QDN_FORMAT_XQDN:
      if (QDN_formatFactory factory = QDN_GetFormat8Factory()) format = factory(this);
      break;
    default:
      break;
  }
  if (!format) QDN_Log(QDN_OUT_OF_RANGE, "Unknown File Format");
  return format;
}

int QDN_network::ReadFile(const char* fileName, int formatNumber, int flags) {
  std::unique_ptr<QDN_textFormat> format = CreateFormat(fileName, formatNumber);
  if (!format) return QDN_OUT_OF_RANGE;
  (void)DeleteAllNodes();
  const unsigned saved_mask = notification_mask_;
  notification_mask_ = 0;
  const int status = format->ReadFile(fileName, flags);
  format.reset();
  notification_mask_ = saved_mask;
  if (status != QDN_NO_ERROR) return status;
  CheckReadiness(1);
  CheckConsistency(1);
  return QDN_NO_ERROR;
}

int QDN_network::WriteFile(const char* fileName, int formatNumber) {
  if (formatNumber == QDN_FORMAT_KI)
    return QDN_Log(QDN_OUT_OF_RANGE, "Writing to KI file format not supported.");
  std::unique_ptr<QDN_textFormat> format = CreateFormat(fileName, formatNumber);
  if (!format) return QDN_OUT_OF_RANGE;
  return format->WriteFile(fileName);
}

void QDN_network::Release(int) {
  records_.clear();
  node_count_ = 0;
  growth_step_ = 50;
  target_count_ = 0;
  sample_count_ = 1000;
  CheckReadiness(0);
}

void QDN_network::CheckReadiness(int deep) {
  for (int h = GetFirstNode(); h >= 0; h = GetNextNode(h)) {
    QDN_node* node = GetNode(h);
    if (deep) node->CheckReadiness(deep);
    if (!node->IsReady() && DeleteNode(h) != QDN_NO_ERROR) {
      ClearFlag(kReady);
      return;
    }
  }
  SetFlag(kReady);
}

void QDN_network::CheckConsistency(int deep) {
  for (int h = GetFirstNode(); h >= 0; h = GetNextNode(h)) {
    QDN_node* node = GetNode(h);
    if (deep) node->CheckConsistency(deep);
    if (!node->IsConsistent()) {
      const std::string message =
          "ERROR: Node [" + node->GetId() + "] is not consistent. Inference may not be correct";
      QDN_Log(QDN_NOT_CONSISTENT, message.c_str());
      ClearFlag(kConsistent);
      return;
    }
  }
  SetFlag(kConsistent);
}
