// The walk that hands a loaded network to the Java host.
#include "bridge/walk.h"

#include <cstdio>
#include <string>
#include <vector>

#include "bridge/bridge_state.h"
#include "bridge/java_text.h"
#include "bridge/jni_support.h"
#include "bridge/shared_strings.h"
#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

constexpr int kContinue = 0;
constexpr int kStop = -1;
// Local references one node needs at most (strings, arrays, their elements
// live in their own frames).
constexpr jint kNodeFrame = 32;

JNIEnv* Env() { return Bridge().env; }

// A Java string of stored text; null (exception pending) when the VM fails.
jstring JavaString(const char* text) {
  std::string storage;
  return Env()->NewStringUTF(ToModifiedUtf8(text ? text : "", storage));
}

// String[] of count items; item(i) gives a WalkString, or a null ref with
// none pending to leave the slot empty.
template <typename Item> jobjectArray JavaStrings(int count, Item item) {
  JNIEnv* env = Env();
  jobjectArray array = env->NewObjectArray(count, Bridge().string_class, Bridge().empty_string);
  if (!array) return nullptr;
  for (int i = 0; i < count; ++i) {
    const WalkString value = item(i);
    if (!value.ref) {
      if (env->ExceptionCheck()) return nullptr;
      continue;
    }
    env->SetObjectArrayElement(array, i, value.ref);
    if (value.local) env->DeleteLocalRef(value.ref);
    if (env->ExceptionCheck()) return nullptr;
  }
  return array;
}

// String[] of count stored texts through the walk's shared strings; text(i)
// gives item i (null for none).
template <typename Text> jobjectArray SharedTexts(SharedStrings& strings, int count, Text text) {
  return JavaStrings(count, [&](int i) {
    const char* item = text(i);
    return item ? strings.Text(item) : WalkString{};
  });
}

jintArray JavaInts(const std::vector<jint>& values) {
  JNIEnv* env = Env();
  jintArray array = env->NewIntArray(static_cast<jsize>(values.size()));
  if (!array) {
    Warn("We're in trouble.");
    return nullptr;
  }
  if (!values.empty())
    env->SetIntArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
  return env->ExceptionCheck() ? nullptr : array;
}

jdoubleArray JavaDoubles(const double* values, int count) {
  JNIEnv* env = Env();
  jdoubleArray array = env->NewDoubleArray(count);
  if (!array) return nullptr;
  if (count > 0) env->SetDoubleArrayRegion(array, 0, count, values);
  return env->ExceptionCheck() ? nullptr : array;
}

int SendProperties(const QDN_network& network, SharedStrings& strings) {
  const QDN_userProperties& properties = network.GetProperties();
  for (int i = 0; i < properties.GetCount(); ++i) {
    LocalFrame frame(Env(), 4);
    if (!frame.ok()) return kStop;
    const WalkString name = strings.Text(properties.GetName(i));
    if (!name.ref) return kStop;
    const WalkString value = strings.Text(properties.GetValue(i));
    if (!value.ref) return kStop;
    Env()->CallVoidMethod(Bridge().host, Bridge().put_network_parameter, name.ref, value.ref);
    if (Env()->ExceptionCheck()) return kStop;
  }
  return kContinue;
}

// The tree depth-first, each submodel before its children, without recursion
// (a file may nest submodels deeply).
int SendSubmodels(const QDN_network& network) {
  const QDN_submodelTree& tree = network.GetSubmodels();
  std::vector<int> pending{QDN_network::kMainSubmodel};
  while (!pending.empty()) {
    const int handle = pending.back();
    pending.pop_back();
    const QDN_submodel* submodel = tree.GetSubmodel(handle);
    if (!submodel) {
      Warn("C++ warning: bad submodel handle.");
      continue;
    }
    QDN_intArray children;
    (void)tree.GetChildren(handle, children);
    std::vector<jint> handles(children.Data(), children.Data() + children.GetCount());
    LocalFrame frame(Env(), 4);
    if (!frame.ok()) return kStop;
    jstring name = JavaString(submodel->header.GetName());
    if (!name) return kStop;
    jintArray list = JavaInts(handles);
    if (!list) return kStop;
    Env()->CallVoidMethod(Bridge().host, Bridge().load_submodel, handle, name,
                          submodel->screen.position.x0, submodel->screen.position.y0, list);
    if (Env()->ExceptionCheck()) return kStop;
    for (auto it = handles.rbegin(); it != handles.rend(); ++it)
      pending.push_back(*it);
  }
  return kContinue;
}

int NodeKind(int type) {
  switch (type) {
  case QDN_CPT:
    return 0;
  case QDN_NOISY_MAX:
    return 1;
  case QDN_TRUTHTABLE:
    return 2;
  default:
    return -1;
  }
}

// Throws the bridge exception for a node the host cannot take.
void RefuseNodeType(int type) {
  const char* name = type == QDN_LIST    ? "LIST"
                     : type == QDN_TABLE ? "TABLE"
                     : type == QDN_MAU   ? "MAU"
                                         : "(null)";
  const std::string message = std::string("C++ error: Network contains unsupported QDN node type: ")
                                  .append(name)
                                  .append(".");
  ThrowBridgeException(message.c_str());
}

// Position, kind, diagnosis settings, submodel and fault states of a node,
// in the order the host reads them.
std::vector<jint> NodeDescriptor(const QDN_node& node, int kind) {
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  int trouble = extra ? extra->troubleType : QDN_extraDefinition::kAuxiliary;
  if (trouble < 0 || trouble > 2) {
    std::fprintf(stderr, "C++ warning: encountered unknown QDN_extraDefinition::troubleType %d\n",
                 trouble);
    Warn("C++ defaulting to type 'auxiliary'.");
    trouble = 2;
  }
  const QDN_rectangle& position = node.GetInfo().screen.position;
  std::vector<jint> descriptor = {position.x0,
                                  position.y0,
                                  position.x1,
                                  position.y1,
                                  kind,
                                  trouble,
                                  extra && extra->mandatory ? 1 : 0,
                                  extra && extra->ranked ? 1 : 0,
                                  extra && extra->set_as_default ? extra->default_state : -1,
                                  node.GetSubmodel(),
                                  0};
  if (extra) {
    for (int i = 0; i < extra->GetNumberOfOutcomes(); ++i)
      if (extra->GetOutcome(i).fault) descriptor.push_back(i);
    descriptor[10] = static_cast<jint>(descriptor.size() - 11);
  }
  return descriptor;
}

// The Java values of one node's callback, local references of the node's
// frame; strengths stays null for a node that is no noisy-MAX.
struct NodeArguments {
  jobjectArray outcome_names = nullptr;
  jintArray descriptor = nullptr;
  jobjectArray parent_ids = nullptr;
  jintArray strengths = nullptr;
  jdoubleArray probabilities = nullptr;
  jobjectArray property_names = nullptr;
  jobjectArray property_values = nullptr;
  jstring name = nullptr;
  jstring id = nullptr;
};

// Outcome names, descriptor and parent identifiers; false (exception
// pending) when the VM fails.
bool MakeStructure(const QDN_network& network, int handle, const std::vector<jint>& descriptor,
                   SharedStrings& strings, NodeArguments& out) {
  const QDN_idArray* outcomes = network.GetNode(handle)->GetDefinition()->GetOutcomesNames();
  out.outcome_names = SharedTexts(strings, outcomes ? outcomes->GetCount() : 0,
                                  [&](int i) { return outcomes->At(i); });
  if (!out.outcome_names) return false;
  out.descriptor = JavaInts(descriptor);
  if (!out.descriptor) return false;
  const QDN_intArray& parents = network.GetParents(handle, 0);
  bool bad_parent = false;
  out.parent_ids = JavaStrings(parents.GetCount(), [&](int i) {
    const QDN_node* parent = bad_parent ? nullptr : network.GetNode(parents.At(i));
    if (!parent && !bad_parent) {
      bad_parent = true;
      Warn("C++ error: MakeNodeIDList() called on bad QDN_intArray, either contains invalid node "
           "handles or not initialized to the right length.");
    }
    return parent ? strings.NodeId(parents.At(i), parent->GetId(), true) : WalkString{};
  });
  return out.parent_ids != nullptr;
}

// The noisy-MAX strengths and the stored table.
bool MakeTables(QDN_nodeDefinition& definition, NodeArguments& out) {
  if (definition.GetType() == QDN_NOISY_MAX) {
    const auto& noisy = static_cast<const QDN_noisyMAX&>(definition);
    std::vector<jint> list;
    for (int i = 0; i < noisy.GetNumberOfParentBlocks(); ++i)
      for (int k = 0; k < noisy.GetStrengths(i).GetCount(); ++k)
        list.push_back(noisy.GetStrengths(i).At(k));
    out.strengths = JavaInts(list);
    if (!out.strengths) return false;
  }
  const QDN_Dmatrix* table = definition.GetTable();
  out.probabilities =
      JavaDoubles(table ? table->GetItems().Data() : nullptr, table ? table->GetSize() : 0);
  return out.probabilities != nullptr;
}

// The node's properties, name and identifier (kept for the children to
// come when it has any).
bool MakeTexts(const QDN_network& network, int handle, SharedStrings& strings, NodeArguments& out) {
  const QDN_node& node = *network.GetNode(handle);
  const QDN_userProperties& properties = node.GetInfo().properties;
  out.property_names =
      SharedTexts(strings, properties.GetCount(), [&](int i) { return properties.GetName(i); });
  if (!out.property_names) return false;
  out.property_values =
      SharedTexts(strings, properties.GetCount(), [&](int i) { return properties.GetValue(i); });
  if (!out.property_values) return false;
  out.name = JavaString(node.GetName());
  if (!out.name) return false;
  out.id = strings.NodeId(handle, node.GetId(), network.GetNumberOfChildren(handle, 0) > 0).ref;
  return out.id != nullptr;
}

// One node to the host, its local references in a frame of their own.
int SendNode(QDN_network& network, int handle, SharedStrings& strings) {
  QDN_node& node = *network.GetNode(handle);
  QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  const int kind = NodeKind(type);
  if (kind < 0) {
    RefuseNodeType(type);
    return kStop;
  }
  const std::vector<jint> descriptor = NodeDescriptor(node, kind);
  LocalFrame frame(Env(), kNodeFrame);
  if (!frame.ok()) return kStop;
  NodeArguments args;
  if (!MakeStructure(network, handle, descriptor, strings, args) ||
      !MakeTables(*definition, args) || !MakeTexts(network, handle, strings, args))
    return kStop;
  Env()->CallVoidMethod(Bridge().host, Bridge().load_node, args.name, args.id, args.outcome_names,
                        args.descriptor, args.parent_ids, args.probabilities, args.strengths,
                        args.property_names, args.property_values);
  return Env()->ExceptionCheck() ? kStop : kContinue;
}

} // namespace

bool SendNetwork(QDN_network& network) {
  SharedStrings strings(Env());
  if (SendProperties(network, strings) != kContinue) return false;
  if (SendSubmodels(network) != kContinue) return false;
  for (int h = network.GetFirstNode(); h >= 0; h = network.GetNextNode(h))
    if (SendNode(network, h, strings) != kContinue) return false;
  return true;
}
