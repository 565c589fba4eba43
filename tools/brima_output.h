#pragma once

#include <string>

class QDN_network;

// Plain-text, JSON and Graphviz DOT descriptions of a network for brima.
std::string DescribeText(QDN_network& net);
std::string DescribeJson(QDN_network& net);
std::string DescribeDot(QDN_network& net);
