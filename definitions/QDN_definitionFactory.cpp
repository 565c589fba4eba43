// Creation of node definitions by type number.
#include <new>

#include "core/QDN_status.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_distribution.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_equationSCC.h"
#include "definitions/QDN_list.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"

int QDN_CreateDefinition(int type, QDN_network* network, int handle,
                         std::unique_ptr<QDN_nodeDefinition>& out) {
  out.reset();
  try {
    switch (type) {
    case 0:
      return QDN_NO_ERROR;
    case QDN_CPT:
      out = std::make_unique<QDN_cpt>(network, handle);
      return QDN_NO_ERROR;
    case QDN_TRUTHTABLE:
      out = std::make_unique<QDN_truthTable>(network, handle);
      return QDN_NO_ERROR;
    case QDN_NOISY_MAX:
      out = std::make_unique<QDN_noisyMAX>(network, handle);
      return QDN_NO_ERROR;
    case QDN_CAST:
      out = std::make_unique<QDN_cast>(network, handle);
      return QDN_NO_ERROR;
    case QDN_LIST:
      out = std::make_unique<QDN_list>(network, handle);
      return QDN_NO_ERROR;
    case QDN_TABLE:
      out = std::make_unique<QDN_table>(network, handle);
      return QDN_NO_ERROR;
    case QDN_MAU:
      out = std::make_unique<QDN_mau>(network, handle);
      return QDN_NO_ERROR;
    case QDN_EQUATION:
      out = std::make_unique<QDN_equation>(network, handle);
      return QDN_NO_ERROR;
    case QDN_EQUATION_SCC:
      out = std::make_unique<QDN_equationSCC>(network, handle);
      return QDN_NO_ERROR;
    case QDN_DISTRIBUTION:
      out = std::make_unique<QDN_distribution>(network, handle);
      return QDN_NO_ERROR;
    default:
      return QDN_OUT_OF_RANGE;
    }
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
}
