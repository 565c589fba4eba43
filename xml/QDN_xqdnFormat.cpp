#include "xml/QDN_xqdnFormat.h"

#include "xml/QDN_xqdnReader.h"
#include "xml/QDN_xqdnWriter.h"

int QDN_xqdnFormat::ReadFile(const char* fileName, int) {
  QDN_xqdnReader reader(network_, fileName);
  return reader.Run();
}

int QDN_xqdnFormat::WriteFile(const char* fileName) {
  QDN_xqdnWriter writer(*network_);
  return writer.Write(fileName);
}
