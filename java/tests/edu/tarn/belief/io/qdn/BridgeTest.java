package edu.tarn.belief.io.qdn;

import java.nio.charset.StandardCharsets;
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

  /** A reader that collects each node, then runs afterNode on it. */
  abstract static class Watching extends BRIMAReader {
    abstract void afterNode(String id, String[] parents);

    @Override
    public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
        String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
        String[] propertyValues) {
      super.loadNode(name, id, outcomes, descriptor, parents, probabilities, strengths,
          propertyNames, propertyValues);
      afterNode(id, parents);
    }
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

  /** Text whose ISO-8859-1 bytes are the UTF-8 of text, for writing UTF-8 into a file. */
  static String utf8Bytes(String text) {
    return new String(text.getBytes(StandardCharsets.UTF_8), StandardCharsets.ISO_8859_1);
  }

  /**
   * Outcome names, property names and values that repeat arrive equal at every node; from
   * their second occurrence on, the same String may be handed out again, and a parent
   * identifier may be the parent's own identifier String.
   */
  void repeatedTextsArriveEqual() throws Exception {
    StringBuilder text = new StringBuilder("net shared { USER_PROPERTIES = { unit = \"kg\"; };\n");
    for (int i = 0; i < 4; ++i) {
      text.append(cpt("n" + i, i == 0 ? "" : "n" + (i - 1), "low, high",
          i == 0 ? "0.5, 0.5" : "0.1, 0.9, 0.8, 0.2",
          "USER_PROPERTIES = { unit = \"kg\"; source = \"survey\"; };"));
    }
    Path file = write("shared.qdn", text.append("};").toString());
    BRIMAReader reader = new BRIMAReader();
    check(reader.loadQDN(file.toString(), 0) == 16384, "shared-text network loads");
    check("kg".equals(reader.networkParameters.get("unit")), "network property value");
    boolean equal = true;
    for (BRIMAReader.Node node : reader.nodes) {
      equal &= Arrays.equals(node.outcomes, new Object[] {"low", "high"})
          && Arrays.equals(node.propertyNames, new String[] {"unit", "source"})
          && Arrays.equals(node.propertyValues, new String[] {"kg", "survey"});
    }
    check(equal && reader.nodes.size() == 4, "repeated texts arrive equal at every node");
    BRIMAReader.Node b = reader.nodes.get(2);
    BRIMAReader.Node c = reader.nodes.get(3);
    check(b.outcomes[0] == c.outcomes[0] && b.outcomes[1] == c.outcomes[1]
        && b.propertyNames[0] == c.propertyNames[0] && b.propertyValues[1] == c.propertyValues[1],
        "a repeated text is one shared String");
    check(c.parents[0] == b.id && "n2".equals(c.parents[0]),
        "a parent identifier is the parent's own identifier String");
    check(reader.nodes.get(0).name != reader.nodes.get(1).name, "names are not shared");
  }

  /**
   * Text the cache may hold and text it refuses (long, non-ASCII, invalid UTF-8, beyond the
   * Basic Multilingual Plane) arrive as their own characters at every occurrence.
   */
  void textsArriveExactlyAtEveryOccurrence() throws Exception {
    String emoji = "\uD83D\uDE00";
    String longText = "a long property value that no cache slot holds, ".repeat(4);
    String[] values = {"caf\u00e9", emoji + " and \uD834\uDD1E", longText,
        longText + "caf\u00e9 " + emoji, "", "plain"};
    // UTF-8 in the file, except the Latin-1 byte of an invalid UTF-8 text.
    String[] stored = new String[values.length];
    for (int v = 0; v < values.length; ++v) {
      stored[v] = utf8Bytes(values[v]);
    }
    String latin1 = "Stra\u00dfe";
    StringBuilder text = new StringBuilder("net texts {\n");
    for (int i = 0; i < 5; ++i) {
      StringBuilder properties = new StringBuilder("USER_PROPERTIES = { ");
      for (int v = 0; v < values.length; ++v) {
        properties.append("p").append(v).append(" = \"").append(stored[v]).append("\"; ");
      }
      properties.append("raw = \"").append(latin1).append("\"; };");
      text.append("node t").append(i).append(" { TYPE = CPT; HEADER = { ID = t").append(i)
          .append("; NAME = \"").append(stored[i % values.length]).append("\"; };")
          .append(" DEFINITION = { NAMESTATES = (s").append(i % 2).append(", on);")
          .append(" PROBABILITIES = (0.5, 0.5); }; ").append(properties).append(" };\n");
    }
    Path file = write("texts.qdn", text.append("};").toString());
    BRIMAReader reader = new BRIMAReader();
    check(reader.loadQDN(file.toString(), 0) == 16384, "text network loads");
    boolean exact = reader.nodes.size() == 5;
    for (int i = 0; exact && i < 5; ++i) {
      BRIMAReader.Node node = reader.nodes.get(i);
      for (int v = 0; v < values.length; ++v) {
        exact &= values[v].equals(node.propertyValues[v]);
      }
      exact &= latin1.equals(node.propertyValues[values.length])
          && values[i % values.length].equals(node.name)
          && Arrays.equals(node.outcomes, new Object[] {"s" + (i % 2), "on"});
    }
    check(exact, "every occurrence of every text arrives as written");
  }

  /**
   * More distinct texts than the walk shares, and parents far behind their children, still
   * arrive exactly.
   */
  void moreTextsThanTheCacheHolds() throws Exception {
    int count = 6000;
    StringBuilder text = new StringBuilder("net many {\n");
    for (int i = 0; i < count; ++i) {
      String parents = i == 0 ? "" : i == 1 ? "m0" : "m0, m" + (i - 1);
      String table = i == 0 ? "0.5, 0.5"
          : i == 1 ? "0.5, 0.5, 0.5, 0.5" : "0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5";
      text.append(cpt("m" + i, parents, "s" + i + ", s" + (i + 1) % 3, table,
          "USER_PROPERTIES = { q" + i + " = \"value " + i + "\"; unit = \"kg\"; };"));
    }
    Path file = write("many.qdn", text.append("};").toString());
    BRIMAReader reader = new BRIMAReader();
    check(reader.loadQDN(file.toString(), 0) == 16384, "many-text network loads");
    boolean exact = reader.nodes.size() == count;
    for (int i = 0; exact && i < count; ++i) {
      BRIMAReader.Node node = reader.nodes.get(i);
      String[] parents = i == 0 ? new String[0]
          : i == 1 ? new String[] {"m0"} : new String[] {"m0", "m" + (i - 1)};
      exact &= ("m" + i).equals(node.id) && Arrays.equals(node.parents, parents)
          && Arrays.equals(node.outcomes, new Object[] {"s" + i, "s" + (i + 1) % 3})
          && Arrays.equals(node.propertyNames, new String[] {"q" + i, "unit"})
          && Arrays.equals(node.propertyValues, new String[] {"value " + i, "kg"});
      if (!exact) {
        check(false, "node " + i + " arrives exactly: " + node.id + " "
            + Arrays.toString(node.parents) + " " + Arrays.toString(node.outcomes) + " "
            + node.properties());
      }
    }
    check(exact, "6,000 nodes of distinct texts arrive exactly");
  }

  /** A walk that stops after sharing began leaves no JNI misuse (checked by -Xcheck:jni). */
  void walkStopsWhileSharing() throws Exception {
    StringBuilder text = new StringBuilder("net stop {\n");
    for (int i = 0; i < 5; ++i) {
      text.append(cpt("k" + i, i == 0 ? "" : "k" + (i - 1), "x, y",
          i == 0 ? "0.5, 0.5" : "0.5, 0.5, 0.5, 0.5", "USER_PROPERTIES = { u = \"v\"; };"));
    }
    Path ok = write("stop.qdn", text + "};");
    Path list = write("stop-list.qdn", text + "node d { TYPE = LIST; };\n};");
    BRIMAReader stopping = new Watching() {
      @Override
      void afterNode(String id, String[] parents) {
        if (nodes.size() == 4) {
          throw new IllegalStateException("stop at four");
        }
      }
    };
    check("stop at four".equals(thrown(() -> stopping.loadQDN(ok.toString(), 0)))
        && stopping.nodes.size() == 4, "host exception after shared texts stays pending");
    BRIMAReader reader = new BRIMAReader();
    String message = thrown(() -> reader.loadQDN(list.toString(), 0));
    check("C++ error: Network contains unsupported QDN node type: LIST.".equals(message)
        && reader.nodes.size() == 5, "unsupported type after shared texts: " + message);
    BRIMAReader again = new BRIMAReader();
    check(again.loadQDN(ok.toString(), 0) == 16384 && again.nodes.size() == 5
        && "v".equals(again.nodes.get(4).propertyValues[0]), "the next walk starts afresh");
  }

  /**
   * node(id) finds the first node delivered with that identifier: after a load, across
   * loads into one reader, from inside a callback, after clear(), and from several threads.
   */
  void nodesFoundByIdentifier() throws Exception {
    StringBuilder text = new StringBuilder("net ids {\n");
    for (int i = 0; i < 300; ++i) {
      text.append(cpt("v" + i, i == 0 ? "" : "v" + (i - 1), "x, y",
          i == 0 ? "0.5, 0.5" : "0.5, 0.5, 0.5, 0.5", ""));
    }
    Path file = write("ids.qdn", text.append("};").toString());
    int[] parentsFound = new int[1];
    BRIMAReader reader = new Watching() {
      @Override
      void afterNode(String id, String[] parents) {
        if (node(id) == nodes.get(nodes.size() - 1)
            && (parents.length == 0 || node(parents[0]) == nodes.get(nodes.size() - 2))) {
          ++parentsFound[0];
        }
      }
    };
    check(reader.loadQDN(file.toString(), 0) == 16384 && parentsFound[0] == 300,
        "a callback finds the node and its parent: " + parentsFound[0]);
    BRIMAReader.Node first = reader.nodes.get(7);
    check(reader.loadQDN(file.toString(), 0) == 16384 && reader.nodes.size() == 600
        && reader.node("v7") == first && reader.node("absent") == null,
        "a second load into the reader keeps the first node of an identifier");
    reader.clear();
    check(reader.node("v7") == null, "clear forgets the identifiers");
    BRIMAReader plain = new BRIMAReader();
    plain.loadQDN(file.toString(), 0);
    boolean[] found = new boolean[4];
    Thread[] threads = new Thread[found.length];
    for (int t = 0; t < threads.length; ++t) {
      final int which = t;
      threads[t] = new Thread(() -> {
        boolean all = true;
        for (int i = 299; i >= 0; --i) {
          all &= plain.node("v" + i) == plain.nodes.get(i);
        }
        found[which] = all;
      });
    }
    for (Thread thread : threads) {
      thread.start();
    }
    boolean all = true;
    for (int t = 0; t < threads.length; ++t) {
      threads[t].join();
      all &= found[t];
    }
    check(all, "threads look up in one loaded reader at once");
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
    repeatedTextsArriveEqual();
    textsArriveExactlyAtEveryOccurrence();
    moreTextsThanTheCacheHolds();
    walkStopsWhileSharing();
    nodesFoundByIdentifier();
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
