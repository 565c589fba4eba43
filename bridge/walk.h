#pragma once

#include <jni.h>

class QDN_network;

// Hands the network to the host: network properties, the submodel tree and
// every node. False when a step failed or a host callback threw (the
// exception then stays pending).
bool SendNetwork(QDN_network& network);

struct UpdateArguments {
  jstring input_file;
  jint input_format;
  jstring output_file;
  jint output_format;
  jobjectArray node_ids;
  jobjectArray probabilities;
  jobjectArray network_property_names;
  jobjectArray network_property_values;
  jobjectArray node_property_names;
  jobjectArray node_property_values;
  jobjectArray diagnosis_types;
};

// Reads the input file, applies the host's tables and properties and writes
// the output file. True when the output file was written.
bool UpdateAndSave(JNIEnv* env, jobject host, const UpdateArguments& args);
