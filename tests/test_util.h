#pragma once

#include <string>
#include <string_view>
#include <vector>

// A fresh path in the test's temporary folder (the file is not created).
std::string TempPath(std::string_view name);
// Writes bytes to a fresh temporary file and returns its path.
std::string WriteTempFile(std::string_view name, std::string_view bytes);
// Empties the process-wide error log.
void ClearLog();
// Number of error-log entries and whether any message contains text.
size_t LoggedCount();
bool LogContains(std::string_view text);

class QDN_network;
// A canonical text of everything a network holds (nodes, definitions,
// descriptive data, submodels, costs), for comparing networks in tests.
// Numbers are shown with digits significant digits.
std::string DescribeNetwork(QDN_network& net, int digits = 17);
// Whether two descriptions are equal, words that are numbers within a
// relative tolerance (0: equal text); where tells the first difference.
bool SameDescriptions(const std::string& a, const std::string& b, double tolerance,
                      std::string* where = nullptr);
// Reads text as a file of the given format into net, after emptying the log.
int ReadText(QDN_network& net, int format, std::string_view text);
// A node's table cells and outcome identifiers, by node identifier.
std::vector<double> TableOf(QDN_network& net, const char* id);
std::vector<std::string> OutcomesOf(QDN_network& net, const char* id);
// Reads a whole file.
std::string ReadFileText(const std::string& path);
