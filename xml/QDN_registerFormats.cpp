#include "xml/QDN_registerFormats.h"

#include "network/QDN_formatDispatch.h"
#include "xml/QDN_xqdnFactory.h"

void QDN_RegisterFormats() { QDN_SetFormat8Factory(&QDN_CreateXqdnFormat); }
