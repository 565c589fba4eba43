package edu.tarn.belief.io.qdn;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;

/**
 * Tests of the native library through a real JVM (run with -Xcheck:jni). Prints
 * "N passed, N failed" and exits non-zero on a failure.
 *
 * <p>Usage: BridgeTest SOURCE_DIR [MODE]. MODE "testjni-first" only calls testJNI
 * before any load (its output is checked by the test driver).
 */
public class BridgeTest extends TestSupport {
  private final Path source;
  private final Path work;

  BridgeTest(Path source, Path work) {
    this.source = source;
    this.work = work;
  }

  Path write(String name, String text) throws Exception {
    return write(work, name, text, java.nio.charset.StandardCharsets.ISO_8859_1);
  }

  /** A format the library says it supports reads a file of that format. */
  void supportedFormatsRead() {
    Path seeds = source.resolve("fuzz").resolve("corpus");
    String[] files = {null, "ergo/asia.erg", "netica/asia.dnet", "msbn/asia.dsc",
        "native/asia.qdn", "hugin/asia.net", "xmlbif/asia.xml03", "ki/pump.dxp",
        "xqdn/asia.xqdn", "bif/asia.bif"};
    for (int number = 1; number < files.length; ++number) {
      final int format = number;
      BRIMAReader reader = new BRIMAReader();
      String file = seeds.resolve(files[format]).toString();
      int[] result = new int[1];
      String message = reader.librarySupports(format)
          ? thrown(() -> result[0] = reader.loadQDN(file, format)) : "not supported";
      check(message == null && result[0] == 16384 && !reader.nodes.isEmpty(),
          "format " + format + " reads " + files[format] + ": " + message);
    }
  }

  void unknownFormatsFailWithoutException() throws Exception {
    BRIMAReader reader = new BRIMAReader();
    Path text = write("model.txt", "whatever");
    int[] result = new int[1];
    check(thrown(() -> result[0] = reader.loadQDN(text.toString(), 0)) == null,
        "unknown extension raises no exception");
    check(result[0] == -1, "unknown extension returns -1, got " + result[0]);
    check(thrown(() -> result[0] = reader.loadQDN(text.toString(), -3)) == null
        && result[0] == -1, "negative format behaves as 0");
    check(thrown(() -> result[0] = reader.loadQDN(text.toString(), 42)) == null
        && result[0] == -1, "format 42 returns -1");
    check(thrown(() -> result[0] = reader.loadQDN(work.resolve("absent.qdn").toString(), 0))
        == null && result[0] == -1, "a missing file returns -1");
    String message = thrown(() -> reader.loadQDN(null, 0));
    check(message != null, "a null file name throws instead of crashing");
  }

  void updateChecksArraysFirst() throws Exception {
    BRIMAReader reader = new BRIMAReader();
    Path out = work.resolve("never-written.qdn");
    String message = thrown(() -> reader.updateQDN(work.resolve("absent.qdn").toString(), 0,
        out.toString(), 0, new String[] {"a", "b"}, new double[][] {{0.5}, {0.5}, {0.5}}, null,
        null, null, null, null));
    check("C++ array of node IDs and array of probabilities are of unequal length."
        .equals(message), "unequal lengths message, got " + message);
    check(!Files.exists(out), "no file written after unequal lengths");
    message = thrown(() -> reader.updateQDN("x.qdn", 0, out.toString(), 0, null,
        new double[0][], null, null, null, null, null));
    check(message != null && message.startsWith("C++ error: "), "null node IDs throw: " + message);
    message = thrown(() -> reader.updateQDN("x.qdn", 0, out.toString(), 0, new String[0], null,
        null, null, null, null, null));
    check(message != null && message.startsWith("C++ error: "),
        "null probabilities throw: " + message);
    boolean[] result = new boolean[1];
    message = thrown(() -> result[0] = reader.updateQDN(work.resolve("in.txt").toString(), 0,
        out.toString(), 0, new String[0], new double[0][], null, null, null, null, null));
    check(message == null && !result[0], "unreadable input: false without exception");
    check(!Files.exists(out), "no file written after a failed read");
  }

  static String cpt(String id, String parents, String states, String probabilities,
      String extra) {
    return "node " + id + " { TYPE = CPT; HEADER = { ID = " + id + "; NAME = \"" + id
        + " name\"; }; PARENTS = (" + parents + "); DEFINITION = { NAMESTATES = (" + states
        + "); PROBABILITIES = (" + probabilities + "); }; " + extra + " };\n";
  }

  void emptyNetworkSendsOnlyTheMainSubmodel() throws Exception {
    BRIMAReader reader = new BRIMAReader();
    Path file = write("empty.qdn", "net empty { };");
    check(reader.loadQDN(file.toString(), 0) == 16384, "empty network loads");
    check(reader.networkParameters.isEmpty() && reader.nodes.isEmpty(), "nothing but the tree");
    check(reader.submodels.size() == 1 && reader.submodels.get(0).handle == 16384
        && "Sub0".equals(reader.submodels.get(0).name)
        && reader.submodels.get(0).children.length == 0, "one main submodel named Sub0");
    Path bad = write("bad.qdn", "net { };");
    check("QDN_SYNTAX_ERROR".equals(thrown(() -> new BRIMAReader().loadQDN(bad.toString(), 4))),
        "syntax error in the frame throws QDN_SYNTAX_ERROR");
  }

  void walkDeliversTreeNodesAndDescriptors() throws Exception {
    String text = "net walk { USER_PROPERTIES = { owner = \"lab\"; };\n"
        + "submodel A { }; submodel B { }; submodel C { PARENT = A; };\n"
        + cpt("a", "", "s0, s1, s2, s3", "0.1, 0.2, 0.3, 0.4",
            "EXTRA_DEFINITION = { DIAGNOSIS_TYPE = TARGET; FAULT_STATES = (1, 3);"
                + " DEFAULT_STATE = 2; MANDATORY = TRUE; };")
        + "node n { TYPE = NOISY_MAX; PARENTS = (a); DEFINITION = { NAMESTATES = (hi, lo);"
        + " STRENGTHS = (3, 0, 1, 2); }; };\n"
        + "node c { TYPE = CPT; HEADER = { NAME = \"caf\u00e9\"; }; SUBMODEL = C;"
        + " USER_PROPERTIES = { unit = \"kg\"; }; };\n"
        + "};";
    Path file = write("walk.qdn", text);
    BRIMAReader reader = new BRIMAReader();
    check(reader.loadQDN(file.toString(), 0) == 16384, "walk network loads");
    check("lab".equals(reader.networkParameters.get("owner")), "network property delivered");
    StringBuilder order = new StringBuilder();
    for (BRIMAReader.Submodel s : reader.submodels) {
      order.append(s.name).append(' ');
    }
    check(order.toString().equals("Sub0 A C B "), "submodels depth first: " + order);
    check(reader.nodes.size() == 3, "three nodes");
    BRIMAReader.Node a = reader.nodes.get(0);
    check(a.descriptor.length == 13 && a.descriptor[10] == 2 && a.descriptor[11] == 1
        && a.descriptor[12] == 3, "fault states in descriptor " + Arrays.toString(a.descriptor));
    check(a.descriptor[8] == -1, "no default state unless set as default");
    check(a.descriptor[5] == 0 && a.descriptor[6] == 1, "diagnosis type and mandatory flag");
    check(a.parents.length == 0 && a.strengths == null, "root chance node: no parents, no strengths");
    check("a name".equals(a.name) && "a".equals(a.id), "name and id");
    check(Arrays.equals(a.faultStates(), new int[] {1, 3}) && a.defaultState() == -1
        && a.diagnosisType() == 0 && a.isMandatory() && !a.isRanked()
        && a.kind() == BRIMAReader.Node.CPT && reader.node("a") == a,
        "descriptor read through the node's accessors");
    BRIMAReader.Node n = reader.nodes.get(1);
    check(n.descriptor[4] == 1 && Arrays.equals(n.strengths, new int[] {3, 0, 1, 2}),
        "noisy-MAX kind and strengths " + Arrays.toString(n.strengths));
    check(n.parents.length == 1 && "a".equals(n.parents[0]), "parent identifiers");
    check(n.probabilities.length == 10, "noisy-MAX parameters " + n.probabilities.length);
    BRIMAReader.Node c = reader.nodes.get(2);
    check("caf\u00e9".equals(c.name), "ISO-8859-1 name arrives as text: " + c.name);
    check(c.descriptor[9] == reader.submodels.get(2).handle, "node submodel handle");
    check(c.propertyNames.length == 1 && "kg".equals(c.propertyValues[0]), "node properties");
    check(c.submodel() == reader.submodels.get(2).handle && "kg".equals(c.properties().get("unit"))
        && reader.nodes.get(1).kind() == BRIMAReader.Node.NOISY_MAX, "submodel, properties, kind");
  }

  void unsupportedTypeAndThrowingHost() throws Exception {
    Path file = write("decision.qdn", "net decisions {\n" + cpt("a", "", "x, y", "0.5, 0.5", "")
        + "node d { TYPE = LIST; };\n" + cpt("b", "", "x, y", "0.5, 0.5", "") + "};");
    BRIMAReader reader = new BRIMAReader();
    String message = thrown(() -> reader.loadQDN(file.toString(), 0));
    check("C++ error: Network contains unsupported QDN node type: LIST.".equals(message),
        "unsupported type message: " + message);
    check(reader.nodes.size() == 1, "nodes before the decision were delivered");
    BRIMAReader throwing = new BRIMAReader();
    throwing.throwOnNode = new IllegalStateException("host says no");
    Path ok = write("ok.qdn", "net ok {\n" + cpt("a", "", "x, y", "0.5, 0.5", "")
        + cpt("b", "", "x, y", "0.5, 0.5", "") + "};");
    message = thrown(() -> throwing.loadQDN(ok.toString(), 0));
    check("host says no".equals(message), "host exception stays pending: " + message);
    check(throwing.nodes.size() == 1, "walk stopped at the throwing callback");
  }

  void updateRoundTrip() throws Exception {
    Path in = write("update-in.qdn", "net u { USER_PROPERTIES = { keep = \"1\";"
        + " user_properties = \"gone,also\"; gone = \"x\"; also = \"y\"; };\n"
        + cpt("a", "", "x, y", "0.5, 0.5", "") + cpt("b", "a", "x, y", "0.5, 0.5, 0.5, 0.5", "")
        + "};");
    Path out = work.resolve("update-out.qdn");
    BRIMAReader reader = new BRIMAReader();
    boolean saved = reader.updateQDN(in.toString(), 0, out.toString(), 0,
        new String[] {"b", "a"}, new double[][] {{0.1, 0.9, 0.7, 0.3}, {0.25, 0.75}},
        new String[] {"added"}, new String[] {"yes"},
        new String[][] {{"unit", "bad name"}, {}}, new String[][] {{"kg", "v"}, {}},
        new int[][] {{5}, {1}});
    check(saved, "update saved");
    BRIMAReader again = new BRIMAReader();
    check(again.loadQDN(out.toString(), 0) == 16384, "updated file loads");
    check(again.networkParameters.containsKey("keep") && again.networkParameters.containsKey("added")
        && !again.networkParameters.containsKey("gone")
        && !again.networkParameters.containsKey("user_properties"),
        "network properties prepared and set: " + again.networkParameters);
    BRIMAReader.Node a = again.nodes.get(0);
    BRIMAReader.Node b = again.nodes.get(1);
    check(Arrays.equals(a.probabilities, new double[] {0.25, 0.75}), "a updated");
    check(Arrays.equals(b.probabilities, new double[] {0.1, 0.9, 0.7, 0.3}), "b updated");
    check(b.propertyNames.length == 1 && "unit".equals(b.propertyNames[0]), "b properties");
    check(b.descriptor[5] == 2 && a.descriptor[5] == 1, "diagnosis types stored");
    Path never = work.resolve("never.qdn");
    String message = thrown(() -> reader.updateQDN(in.toString(), 0, never.toString(), 0,
        new String[] {"a", "zz", "b"}, new double[3][], null, null, null, null, null));
    check(("C++ error: Attempt to update node 'zz' that does not exist in network '" + in + "'")
        .equals(message), "unknown node message: " + message);
    check(!Files.exists(never), "nothing written after an unknown node");
    message = thrown(() -> reader.updateQDN(in.toString(), 0, never.toString(), 7,
        new String[0], new double[0][], null, null, null, null, null));
    check("C++ error: Failed to write file.".equals(message), "format 7 refused: " + message);
    Files.writeString(out, "old contents");
    message = thrown(() -> reader.updateQDN(in.toString(), 0, out.toString(), 7,
        new String[0], new double[0][], null, null, null, null, null));
    check(message != null && Files.readString(out).equals("old contents"),
        "a failed save leaves the old file");
    // The native XML format is read and written through the same calls.
    Path xml = work.resolve("update-out.xqdn");
    check(reader.updateQDN(in.toString(), 0, xml.toString(), 0, new String[] {"a"},
        new double[][] {{0.4, 0.6}}, null, null, null, null, null), "saved as native XML");
    BRIMAReader fromXml = new BRIMAReader();
    check(fromXml.loadQDN(xml.toString(), 0) == 16384 && fromXml.nodes.size() == 2
        && Arrays.equals(fromXml.nodes.get(0).probabilities, new double[] {0.4, 0.6}),
        "native XML file loads with the update");
    // So is BIF, chosen by number or by its extension in any case.
    Path bif = work.resolve("UPDATE-OUT.BIF");
    check(reader.updateQDN(in.toString(), 0, bif.toString(), 9, new String[] {"a"},
        new double[][] {{0.2, 0.8}}, null, null, null, null, null), "saved as BIF");
    Path bifAgain = work.resolve("update-again.bif");
    check(reader.updateQDN(bif.toString(), 0, bifAgain.toString(), 0, new String[] {"b"},
        new double[][] {{0.6, 0.4, 0.3, 0.7}}, null, null, null, null, null), "BIF updated");
    BRIMAReader fromBif = new BRIMAReader();
    check(fromBif.loadQDN(bifAgain.toString(), 9) == 16384 && fromBif.nodes.size() == 2
        && Arrays.equals(fromBif.nodes.get(0).probabilities, new double[] {0.2, 0.8})
        && Arrays.equals(fromBif.nodes.get(1).probabilities, new double[] {0.6, 0.4, 0.3, 0.7}),
        "BIF file loads with both updates");
    boolean[] result = new boolean[1];
    message = thrown(() -> result[0] = reader.updateQDN(in.toString(), 0, out.toString(), 0,
        new String[] {"a"}, new double[][] {null}, null, null, new String[][] {null},
        new String[][] {null}, new int[][] {null}));
    check(message == null && result[0], "null rows leave the node as it was");
  }

  void largeNetworkLoads() throws Exception {
    int count = 100000;
    Path file = write("big.qdn", chainNetwork(count));
    BRIMAReader reader = new BRIMAReader();
    check(reader.loadQDN(file.toString(), 0) == 16384, "100,000-node file loads");
    check(reader.nodes.size() == count, "every node received: " + reader.nodes.size());
  }

  int run() throws Exception {
    supportedFormatsRead();
    unknownFormatsFailWithoutException();
    updateChecksArraysFirst();
    emptyNetworkSendsOnlyTheMainSubmodel();
    walkDeliversTreeNodesAndDescriptors();
    unsupportedTypeAndThrowingHost();
    updateRoundTrip();
    largeNetworkLoads();
    return finish();
  }

  public static void main(String[] args) throws Exception {
    if (args.length > 1 && args[1].equals("testjni-first")) {
      new BRIMAReader().testJNI();
      return;
    }
    Path work = Files.createTempDirectory("callbrima-java");
    int status = new BridgeTest(Path.of(args[0]), work).run();
    deleteTree(work);
    System.exit(status);
  }
}
