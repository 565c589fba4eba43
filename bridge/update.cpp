// updateQDN: read a model, apply the host's tables and properties, save it.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bridge/bridge_state.h"
#include "bridge/jni_support.h"
#include "bridge/walk.h"
#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

constexpr const char* kUnequalLengths =
    "C++ array of node IDs and array of probabilities are of unequal length.";
// Local references one node's update needs at most.
constexpr jint kNodeFrame = 16;

// Element i of array, or null when i is beyond its length (no row). An
// exception (out of memory) leaves *failed set.
jobject Row(JNIEnv* env, jobjectArray array, jsize i, bool* failed) {
  if (!array || i >= env->GetArrayLength(array)) return nullptr;
  jobject row = env->GetObjectArrayElement(array, i);
  if (env->ExceptionCheck()) *failed = true;
  return row;
}

// The texts of a String[] (null entries become empty texts); false when the VM failed.
bool Texts(JNIEnv* env, jobjectArray array, std::vector<std::string>& out) {
  out.clear();
  if (!array) return true;
  const jsize n = env->GetArrayLength(array);
  for (jsize i = 0; i < n; ++i) {
    auto item = static_cast<jstring>(env->GetObjectArrayElement(array, i));
    if (env->ExceptionCheck()) return false;
    if (!item) {
      out.emplace_back();
      continue;
    }
    {
      UtfChars chars(env, item);
      if (!chars.get()) return false;
      out.emplace_back(chars.get());
    }
    env->DeleteLocalRef(item);
  }
  return true;
}

// Removes the properties listed in "user_properties" (comma-separated; runs of
// commas count as one separator) and that property itself. Other properties
// of the file are kept.
void PrepareNetworkProperties(QDN_network& network) {
  QDN_userProperties& properties = network.GetProperties();
  const int index = properties.FindProperty("user_properties");
  if (index < 0) return;
  const std::string list = properties.GetValue(index) ? properties.GetValue(index) : "";
  std::vector<std::string> names;
  size_t start = 0;
  if (!list.empty() && list[0] == ',') names.emplace_back();
  while (start < list.size()) {
    while (start < list.size() && list[start] == ',')
      ++start;
    if (start >= list.size()) break;
    const size_t end = list.find(',', start);
    names.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? list.size() : end;
  }
  for (const std::string& name : names)
    if (const int at = properties.FindProperty(name.c_str()); at >= 0)
      (void)properties.RemoveProperty(at);
  if (const int at = properties.FindProperty("user_properties"); at >= 0)
    (void)properties.RemoveProperty(at);
}

void SetPairs(QDN_userProperties& properties, const std::vector<std::string>& names,
              const std::vector<std::string>& values, bool replace_existing) {
  if (names.empty() || names.size() != values.size()) return;
  for (size_t i = 0; i < names.size(); ++i) {
    if (replace_existing)
      if (const int at = properties.FindProperty(names[i].c_str()); at >= 0)
        (void)properties.RemoveProperty(at);
    // A name that is not an identifier is skipped.
    (void)properties.AddProperty(names[i].c_str(), values[i].c_str());
  }
}

// Applies one node's row of each argument. False when the VM failed.
bool UpdateNode(JNIEnv* env, QDN_node& node, const UpdateArguments& args, jsize i) {
  bool failed = false;
  auto probabilities = static_cast<jdoubleArray>(Row(env, args.probabilities, i, &failed));
  auto names = static_cast<jobjectArray>(Row(env, args.node_property_names, i, &failed));
  auto values = static_cast<jobjectArray>(Row(env, args.node_property_values, i, &failed));
  auto types = static_cast<jintArray>(Row(env, args.diagnosis_types, i, &failed));
  if (failed) return false;

  // Diagnosis type from element 0; a missing or empty row keeps the node's own.
  int trouble = -1;
  if (types && env->GetArrayLength(types) > 0) {
    jint first = 0;
    env->GetIntArrayRegion(types, 0, 1, &first);
    if (env->ExceptionCheck()) return false;
    trouble = first;
    if (trouble < 0 || trouble > 2) {
      std::fprintf(stderr, "C++ warning: encountered unknown diagnosis type %d\n", trouble);
      Warn("C++ defaulting to type 'auxiliary'.");
      trouble = 2;
    }
  }

  // The row replaces the table's values in storage order. A missing row
  // leaves the table as it is; a row that does not fit the table, or holds a
  // value that is not a probability, is refused before anything is written.
  QDN_nodeDefinition* definition = node.GetDefinition();
  if (probabilities) {
    const jsize n = env->GetArrayLength(probabilities);
    std::vector<double> cells(static_cast<size_t>(n));
    if (n > 0) env->GetDoubleArrayRegion(probabilities, 0, n, cells.data());
    if (env->ExceptionCheck()) return false;
    const QDN_Dmatrix* table = definition ? definition->GetTable() : nullptr;
    const int expected = table ? table->GetSize() : 0;
    const char* id = node.GetId() ? node.GetId() : "";
    if (n != expected) {
      ThrowBridgeException(std::string("C++ error: Probability row of node '")
                               .append(id)
                               .append("' has ")
                               .append(std::to_string(n))
                               .append(" values; its table has ")
                               .append(std::to_string(expected))
                               .append(" cells.")
                               .c_str());
      return false;
    }
    for (size_t k = 0; k < cells.size(); ++k) {
      if (std::isfinite(cells[k]) && cells[k] >= 0) continue;
      char value[64];
      std::snprintf(value, sizeof value, "%g", cells[k]);
      ThrowBridgeException(std::string("C++ error: Probability row of node '")
                               .append(id)
                               .append("' holds ")
                               .append(value)
                               .append(" at index ")
                               .append(std::to_string(k))
                               .append("; probabilities are finite and not negative.")
                               .c_str());
      return false;
    }
    if (definition && n > 0) {
      QDN_doubleArray row;
      (void)row.Resize(n);
      for (double v : cells)
        (void)row.Append(v);
      // The row's length was checked against the table: the copy cannot fail.
      (void)definition->SetDefinition(row);
    }
  }

  std::vector<std::string> property_names, property_values;
  if (!Texts(env, names, property_names) || !Texts(env, values, property_values)) return false;
  if (names && values) SetPairs(node.GetInfo().properties, property_names, property_values, true);

  if (trouble >= 0)
    if (QDN_extraDefinition* extra = node.GetExtraDefinition()) extra->troubleType = trouble;
  return true;
}

} // namespace

bool UpdateAndSave(JNIEnv* env, jobject host, const UpdateArguments& args) {
  // The length check comes before the binding, so it throws through a class
  // looked up on the spot.
  if (!args.node_ids || !args.probabilities) {
    (void)ThrowJavaException(env, nullptr,
                             "C++ error: updateQDN needs arrays of node IDs and probabilities, "
                             "not null.");
    return false;
  }
  if (env->GetArrayLength(args.node_ids) != env->GetArrayLength(args.probabilities)) {
    (void)ThrowJavaException(env, nullptr, kUnequalLengths);
    return false;
  }
  if (!Bind(env, host)) return false;
  if (!args.input_file || !args.output_file) {
    ThrowBridgeException("C++ error: updateQDN called with a null file name.");
    return false;
  }
  UtfChars input(env, args.input_file);
  if (!input.get()) return false;
  UtfChars output(env, args.output_file);
  if (!output.get()) return false;
  if (!LoadStep(input.get(), args.input_format)) return false;
  QDN_network& network = *CurrentNetwork();

  PrepareNetworkProperties(network);
  std::vector<std::string> names, values;
  if (!Texts(env, args.network_property_names, names) ||
      !Texts(env, args.network_property_values, values))
    return false;
  if (args.network_property_names && args.network_property_values)
    SetPairs(network.GetProperties(), names, values, false);

  std::vector<std::string> ids;
  if (!Texts(env, args.node_ids, ids)) return false;
  for (jsize i = 0; i < static_cast<jsize>(ids.size()); ++i) {
    const int handle = network.FindNode(ids[static_cast<size_t>(i)].c_str());
    if (handle < 0) {
      const std::string message = std::string("C++ error: Attempt to update node '")
                                      .append(ids[static_cast<size_t>(i)])
                                      .append("' that does not exist in network '")
                                      .append(input.get())
                                      .append("'");
      ThrowBridgeException(message.c_str());
      return false;
    }
    LocalFrame frame(env, kNodeFrame);
    if (!frame.ok()) return false;
    if (!UpdateNode(env, *network.GetNode(handle), args, i)) return false;
  }
  if (network.WriteFile(output.get(), args.output_format) != QDN_NO_ERROR) {
    ThrowBridgeException("C++ error: Failed to write file.");
    return false;
  }
  return true;
}
