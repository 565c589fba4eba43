#include "definitions/QDN_nodeDefinition.h"

#include "core/QDN_status.h"

bool IsKnownDefinitionType(int type) {
  switch (type) {
  case 0:
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_TABLE:
  case QDN_LIST:
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_MAU:
  case QDN_CAST:
  case QDN_NOISY_MAX:
  case QDN_EQUATION_SCC:
    return true;
  default:
    return false;
  }
}

int QDN_CreateDefinition(int type, QDN_network*, int, std::unique_ptr<QDN_nodeDefinition>& out) {
  out.reset();
  if (!IsKnownDefinitionType(type)) return QDN_OUT_OF_RANGE;
  // The typed definitions are not part of this build yet: a node of any
  // known type starts without a definition.
  return QDN_NO_ERROR;
}

int QDN_CreateValue(int type, QDN_network*, int, std::unique_ptr<QDN_nodeValue>& out) {
  out.reset();
  if (!IsKnownDefinitionType(type)) return QDN_OUT_OF_RANGE;
  return QDN_NO_ERROR;
}
