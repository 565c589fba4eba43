#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_stringArray.h"
#include "network/QDN_screenInfo.h"
#include "xml/QDN_xmlErrorHandler.h"
#include "xml/QDN_xmlReader.h"

class QDN_extraDefinition;
class QDN_header;
class QDN_network;
class QDN_node;
class QDN_submodel;

// Reads one native XML file into a network: builds the schema of the
// "brima" document and its "norix" extension, whose callbacks fill the
// network as the elements are read, and logs the problems of the load.
class QDN_xqdnReader : public QDN_xmlErrorHandler {
public:
  QDN_xqdnReader(QDN_network* network, const char* fileName);

  // 0, or -103 when the document is refused (the log holds the "Error at" text).
  int Run();

  void OnError(const std::string& message, int line, int column) override;
  void OnUnknownElement(const std::string& element, const std::string& parent, int line,
                        int column) override;
  void OnUnknownAttribute(const std::string& element, const std::string& attribute, int line,
                          int column) override;

private:
  using Element = QDN_xmlElement;

  // Presentation data collected for a node, submodel or text box.
  struct Record {
    std::optional<std::string> name, comment;
    std::optional<QDN_rectangle> position;
    std::optional<int> interior, outline, width;
  };

  // What the elements of one node give before the node's end tag applies
  // them; a new node starts from a value-initialised record.
  struct PendingNode {
    int handle = -1;
    QDN_stringArray states;
    int default_state = -1;
    QDN_intArray faults;
    QDN_intArray parents;
    QDN_doubleArray numbers;
    bool has_numbers = false;
    QDN_intArray strengths;
    bool has_strengths = false;
    QDN_stringArray resulting;
    std::optional<double> baseline;
    QDN_doubleArray pweights, nweights;
    bool has_pweights = false, has_nweights = false;
    std::optional<std::string> equation;
  };

  Element* Make(const char* name, int mode,
                std::initializer_list<std::pair<const char*, bool>> attributes = {});
  void Fail(const std::string& message) { reader_.ReportError(message); }
  std::string Attribute(const char* name);
  QDN_node* Node() const;
  QDN_submodel& TopSubmodel();
  QDN_extraDefinition* NorixExtra() const;

  // The schema of the "brima" document, one step per part.
  void BuildSchema();
  void BuildHeader();
  void BuildNodes();
  void BuildNodeKinds(Element* nodes);
  void BuildDefinitionElements(Element* element, int type);
  void BuildCastElements(Element* element);
  void BuildNoisyMaxElements(Element* element);
  Element* BuildNumbers(const char* name, int flags, Element* parent);
  void BuildObservationCosts();
  // The schema of the "norix" extension.
  void BuildNorix(Element* extensions);
  Element* BuildNorixRoot(Element* extensions);
  std::pair<Element*, Element*> BuildPresentation(std::initializer_list<Element*> containers);
  void BuildSubmodel(Element* submodel);
  void BuildTextBox(Element* textbox, Element* comment, Element* position);
  void BuildNorixNode(Element* node);
  void BuildNorixStates(Element* node);

  // Node elements.
  void NodeStart(int type);
  void NodeEnd(int type);
  void ApplyOutcomes(QDN_node& node);
  void ApplyDefinition(QDN_node& node, int type);
  void ApplyCast(QDN_node& node);
  void ApplyNoisyMax(QDN_node& node);
  void ParentsEnd(QDN_intArray& out);
  void CostNodeEnd();
  bool Reals(QDN_doubleArray& out, const char* what, bool allow_na = false);

  // Presentation.
  void ApplyRecord(const Record& record, QDN_header& header, QDN_screenInfo& screen);
  bool ReadColor(int& color);
  void NorixNodeStart();
  void NorixStateStart();
  void LinkStart();
  // A fault label that is no identifier, or that another state of the node
  // has, is stored as the nearest identifier new to the node; logged.
  void StoreRepairedLabel(QDN_extraDefinition& extra, const std::string& state,
                          const std::string& label);

  QDN_network* network_;
  std::string file_;
  QDN_xmlReader reader_;
  Element* brima_ = nullptr;
  bool unknown_ = false;
  std::string property_id_;

  // The node element being read.
  PendingNode pending_;
  // Equations of strongly coupled nodes may name group members read later:
  // they are set once every node is in the network.
  std::vector<std::pair<int, std::string>> coupled_equations_;
  int cost_node_ = -1;
  QDN_intArray cost_parents_;
  std::optional<QDN_doubleArray> costs_;
  std::vector<double> scratch_;
  std::vector<Element*> made_;
  std::string word_;

  // Presentation extension.
  std::vector<int> submodels_;
  std::vector<Record> records_;
  // Nodes already given in the extension, by handle.
  std::vector<unsigned char> seen_nodes_;
  int norix_node_ = -1;
  int norix_state_ = -1;
};
