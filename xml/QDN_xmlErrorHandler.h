#pragma once

#include <string>

// Receives the problems of a load: errors stop it, the two warnings do not.
class QDN_xmlErrorHandler {
public:
  virtual ~QDN_xmlErrorHandler() = default;
  virtual void OnError(const std::string& message, int line, int column) = 0;
  virtual void OnUnknownElement(const std::string& element, const std::string& parent, int line,
                                int column) = 0;
  virtual void OnUnknownAttribute(const std::string& element, const std::string& attribute,
                                  int line, int column) = 0;
};
