#pragma once

#include <memory>

class QDN_network;
class QDN_textFormat;

// Creates the native XML format object for one read or write of network, or
// null while the format is not available in this build.
std::unique_ptr<QDN_textFormat> QDN_CreateXqdnFormat(QDN_network* network);
