// Creation of node values by definition type.
#include <new>

#include "core/QDN_status.h"
#include "definitions/QDN_beliefVector.h"
#include "definitions/QDN_equationEvaluation.h"
#include "definitions/QDN_expectedUtility.h"
#include "definitions/QDN_listOfDecisions.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_nodeValue.h"

int QDN_CreateValue(int type, QDN_network* network, int handle,
                    std::unique_ptr<QDN_nodeValue>& out) {
  out.reset();
  try {
    switch (type) {
    case 0:
      return QDN_NO_ERROR;
    case QDN_CPT:
    case QDN_TRUTHTABLE:
    case QDN_CAST:
    case QDN_NOISY_MAX:
      out = std::make_unique<QDN_beliefVector>(network, handle);
      break;
    case QDN_LIST:
      out = std::make_unique<QDN_listOfDecisions>(network, handle);
      break;
    case QDN_TABLE:
      out = std::make_unique<QDN_expectedUtility>(network, handle, 4);
      break;
    case QDN_MAU:
      out = std::make_unique<QDN_expectedUtility>(network, handle, 7);
      break;
    case QDN_EQUATION:
    case QDN_EQUATION_SCC:
      out = std::make_unique<QDN_equationEvaluation>(network, handle);
      break;
    default:
      return QDN_OUT_OF_RANGE;
    }
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  (void)out->CreateResult();
  return QDN_NO_ERROR;
}
