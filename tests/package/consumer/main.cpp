// Reads a model file with the installed engine and prints its nodes: id,
// outcomes, parents and table size.
#include <callbrima/callbrima.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: consumer MODEL_FILE\n");
    return 2;
  }
  QDN_RegisterFormats();
  QDN_network net;
  const int status = net.ReadFile(argv[1], 0, 0);
  if (status != QDN_NO_ERROR) {
    std::fprintf(stderr, "consumer: %s: read failed with status %d\n", argv[1], status);
    return 1;
  }
  std::printf("nodes: %d\n", net.GetNumberOfNodes());
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    const QDN_node& node = *net.GetNode(h);
    const QDN_nodeDefinition* definition = node.GetDefinition();
    const QDN_idArray* outcomes = definition ? definition->GetOutcomesNames() : nullptr;
    std::printf("%s:", node.GetId());
    for (int i = 0; outcomes && i < outcomes->GetCount(); ++i)
      std::printf(" %s", outcomes->At(i));
    std::printf(" |");
    const QDN_intArray& parents = net.GetParents(h, 0);
    for (int i = 0; i < parents.GetCount(); ++i)
      std::printf(" %s", net.GetNode(parents.At(i))->GetId());
    const QDN_Dmatrix* table = definition ? definition->GetTable() : nullptr;
    std::printf(" | %d cells\n", table ? table->GetSize() : 0);
  }
  return 0;
}
