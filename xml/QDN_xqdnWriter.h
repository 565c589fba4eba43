#pragma once

#include "xml/QDN_xmlWriter.h"

class QDN_documentation;
class QDN_header;
class QDN_intArray;
class QDN_network;
class QDN_nodeDefinition;
class QDN_screenInfo;
class QDN_userProperties;

// Writes one network as a native XML file: the "brima" document with the
// "norix" presentation extension.
class QDN_xqdnWriter {
public:
  explicit QDN_xqdnWriter(QDN_network& network) : network_(network) {}

  // 0, or -103 when the file cannot be written or a node has no element in
  // the format (logged; no file is made then).
  int Write(const char* fileName);

private:
  bool CheckNodeTypes() const;
  void WriteAlgorithmParameters();
  void WriteProperties(const QDN_userProperties& properties, bool wrapped = true);
  void WriteNode(int handle);
  void WriteStates(int handle);
  void WriteDefinition(const QDN_nodeDefinition& definition, const QDN_intArray& parents);
  void WriteCosts(const QDN_intArray& order);
  void WritePresentation(const QDN_header& header, const QDN_screenInfo& screen);
  void WriteLinks(const QDN_documentation& documentation);
  void WriteNorixNode(int handle);
  void WriteContents(int submodel_handle);
  void WriteNorix();

  QDN_network& network_;
  QDN_xmlWriter out_;
};
