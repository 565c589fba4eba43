#include "network/QDN_nodeInfo.h"

QDN_nodeInfo::QDN_nodeInfo(const QDN_nodeInfo& other) : QDN_object(other), header(other.header) {
  (void)screen.CopyFrom(other.screen);
  (void)properties.CopyFrom(other.properties);
  CheckReadiness(0);
}

void QDN_nodeInfo::Release(int deep) {
  header.Release(deep);
  properties.Release(deep);
  documentation.Release(deep);
  QDN_object::Release(deep);
}

void QDN_nodeInfo::CheckReadiness(int deep) {
  if (deep) {
    header.CheckReadiness(deep);
    screen.CheckReadiness(deep);
    properties.CheckReadiness(deep);
    documentation.CheckReadiness(deep);
  }
  AssignFlag(kReady, header.IsReady() && screen.IsReady() && properties.IsReady() &&
                         documentation.IsReady());
}

void QDN_nodeInfo::CheckConsistency(int deep) {
  if (deep) {
    properties.CheckConsistency(deep);
    documentation.CheckConsistency(deep);
  }
  AssignFlag(kConsistent, properties.IsConsistent() && documentation.IsConsistent());
}
