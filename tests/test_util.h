#pragma once

#include <string>
#include <string_view>

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
// Reads a whole file.
std::string ReadFileText(const std::string& path);
