#pragma once

#include "core/QDN_object.h"
#include "network/QDN_header.h"
#include "network/QDN_screenInfo.h"
#include "network/QDN_userProperties.h"

// Descriptive information of a node: header, screen data, user properties
// and documentation links.
class QDN_nodeInfo : public QDN_object {
public:
  QDN_nodeInfo() = default;
  // Copies header, screen data and user properties; the documentation starts empty.
  QDN_nodeInfo(const QDN_nodeInfo& other);
  QDN_nodeInfo& operator=(const QDN_nodeInfo&) = delete;

  QDN_header header;
  QDN_screenInfo screen;
  QDN_userProperties properties;
  QDN_documentation documentation;

  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;
};
