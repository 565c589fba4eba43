#pragma once

// The callbrima engine in one header: networks of nodes with outcomes,
// parents and definitions, the model-file formats, status codes and the error
// log. A program calls QDN_RegisterFormats() once, then reads a model file:
//
//   QDN_RegisterFormats();
//   QDN_network net;
//   if (net.ReadFile("model.net", 0, 0) == QDN_NO_ERROR) ...
//
// Format 0 chooses the format by the file's extension (see QDN_formatNumber).

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_distribution.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_equationSCC.h"
#include "definitions/QDN_list.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_nodeValue.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_table.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_header.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_nodeInfo.h"
#include "network/QDN_submodelTree.h"
#include "network/QDN_userProperties.h"
#include "xml/QDN_registerFormats.h"
