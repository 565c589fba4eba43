package edu.tarn.belief.io.qdn;

import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/**
 * Reads Bayesian-network and influence-diagram model files through the callbrima
 * native library, and writes updated copies of them.
 *
 * <p>{@link #loadQDN(String, int)} reads a file and hands the network to this object's
 * callbacks, which collect it into plain Java objects: the network's properties
 * ({@link #networkParameters}), its submodels ({@link #submodels}) and its nodes with
 * their outcomes, parents, tables and properties ({@link #nodes}). Read them after
 * {@code loadQDN} returns:
 *
 * <pre>{@code
 * BRIMAReader reader = new BRIMAReader();
 * if (reader.loadQDN("model.net", 0) == BRIMAReader.LOADED) {
 *   for (BRIMAReader.Node node : reader.nodes) {
 *     System.out.println(node.id + " " + Arrays.toString(node.outcomeNames()));
 *   }
 * }
 * }</pre>
 *
 * <p>The collections grow with every load; use a new reader per file, or call
 * {@link #clear()} in between. A subclass may override any callback to receive the
 * network its own way; the library looks the callbacks up by name and signature, so an
 * override must keep both. Calling {@code super} keeps the collecting.
 *
 * <p>Within one load, a text that repeats (an outcome name, a property name or value, a
 * node identifier that is also a parent identifier) may arrive as one and the same
 * {@code String} object; compare texts with {@code equals}. Arrays are new for every
 * callback.
 *
 * <p>Format numbers: 0 chooses by the file's extension; 1 Ergo ({@code .erg}), 2 Netica
 * ({@code .dne}), 3 MSBN ({@code .dsc}), 4 native text ({@code .qdn}), 5 Hugin
 * ({@code .net}), 6 XMLBIF 0.3 ({@code .xml03}), 7 KI ({@code .dxp}), 8 native XML
 * ({@code .xqdn}), 9 BIF ({@code .bif}).
 *
 * <p>The native library is loaded when the class is initialised, from the first of:
 * the file named by the system property {@code callbrima.library}; {@code libcallbrima.so}
 * (the platform's name for library {@code callbrima}) on {@code java.library.path};
 * the copy inside the jar that holds this class, under
 * {@code native/<os>-<arch>/}, extracted to a private temporary file. Without any of
 * them initialisation fails with an {@link UnsatisfiedLinkError} that names the places
 * searched.
 */
public class BRIMAReader {
  /** What {@link #loadQDN(String, int)} returns when the file was read. */
  public static final int LOADED = 16384;

  /** Handle of the main submodel, the root of {@link #submodels}. */
  public static final int MAIN_SUBMODEL = 16384;

  /** System property naming the native library file to load instead of searching. */
  public static final String LIBRARY_PROPERTY = "callbrima.library";

  static {
    loadNativeLibrary();
  }

  /**
   * Prints the number of nodes of the network the library read last (0 before the first
   * read) on standard output. Thread-safe: waits while another thread's call runs; may
   * be called from a callback.
   *
   * @return 0
   */
  public native int testJNI();

  /**
   * Tells whether the library reads and writes a format. Thread-safe: waits while
   * another thread's call runs; may be called from a callback.
   *
   * @param formatNumber a format number
   * @return true
   */
  public native boolean librarySupports(int formatNumber);

  /**
   * Reads a model file and sends the network to this object's callbacks: the network's
   * properties, then the submodels (each before its children), then the nodes in file
   * order. A callback that throws stops the walk; its exception reaches the caller. A
   * malformed file, or one holding a node type the host cannot receive, throws a
   * {@code java.lang.Exception} with the library's message (although the method
   * declares none), as does a file whose tables would pass the load's budget of table
   * cells (set it with the environment variable {@code CALLBRIMA_MAX_CELLS}).
   *
   * <p>Thread-safe: the library runs one call of {@code loadQDN} or {@code updateQDN} at a
   * time in the whole process, and a call from another thread waits for its turn. A call
   * of {@code loadQDN} or {@code updateQDN} from inside a callback (on the thread already
   * running one) would replace the network being sent: it throws
   * {@link IllegalStateException}, and the outer call goes on.
   *
   * @param fileName the model file
   * @param formatNumber its format number, 0 to choose by the file's extension
   * @return {@link #LOADED} when the file was read; -1 when it could not be
   *     (unknown format, missing or unreadable file)
   */
  public native int loadQDN(String fileName, int formatNumber);

  /**
   * Reads a model file, replaces the tables, properties and diagnosis types named here,
   * and writes the result. Nothing is written when any step fails; an existing output
   * file is then left as it was. Arguments that do not fit the network, or a file that
   * cannot be written, throw a {@code java.lang.Exception} with the library's message;
   * so does a table row whose length is not the node's table size or that holds a value
   * that is not finite or is negative. A target the user may not write is refused; a
   * symbolic link is written through, and the replaced file keeps its mode.
   *
   * <p>Thread-safe as {@link #loadQDN(String, int)}; a call from inside a callback throws
   * {@link IllegalStateException}.
   *
   * @param inputFile the model file to start from
   * @param inputFormat its format number, 0 to choose by extension
   * @param outputFile the file to write
   * @param outputFormat its format number, 0 to choose by extension
   * @param nodeIds identifiers of the nodes to change
   * @param probabilities per node in {@code nodeIds}, its new table (null: unchanged)
   * @param networkPropertyNames network properties to set (may be null)
   * @param networkPropertyValues their values
   * @param nodePropertyNames per node, the properties to set (may be null)
   * @param nodePropertyValues per node, their values
   * @param diagnosisTypes per node, its new diagnosis type in the first item (may be null)
   * @return true when the file was written; false when the input could not be read
   */
  public native boolean updateQDN(String inputFile, int inputFormat, String outputFile,
      int outputFormat, String[] nodeIds, double[][] probabilities,
      String[] networkPropertyNames, String[] networkPropertyValues,
      String[][] nodePropertyNames, String[][] nodePropertyValues, int[][] diagnosisTypes);

  /** One node as the library delivered it. */
  public static final class Node {
    /** Kind of a node whose table is a conditional probability table. */
    public static final int CPT = 0;
    /** Kind of a noisy-MAX node: its table holds the noisy-MAX parameters. */
    public static final int NOISY_MAX = 1;
    /** Kind of a deterministic node: each table row holds one 1 and zeros. */
    public static final int TRUTH_TABLE = 2;

    /** The node's identifier, unique in its network. */
    public String id;
    /** The node's display name. */
    public String name;
    /**
     * Position, kind and diagnosis data: x0, y0, x1, y1, kind, diagnosis type,
     * mandatory (1/0), ranked (1/0), default state (-1: none), submodel handle, number
     * of fault states, then the fault states. The methods below read it.
     */
    public int[] descriptor;
    /** Identifiers of the parents, in the order of the table's dimensions. */
    public String[] parents;
    /** The outcome names (Strings). */
    public Object[] outcomes;
    /**
     * The table, row-major: one row of outcome probabilities per combination of parent
     * outcomes, the last parent varying fastest. For a noisy-MAX node, its parameter
     * rows (one block per parent, then the leak row).
     */
    public double[] probabilities;
    /** Noisy-MAX strengths (one per parent outcome, parent by parent); null otherwise. */
    public int[] strengths;
    /** Names of the node's properties. */
    public String[] propertyNames;
    /** Values of the node's properties, in the order of {@link #propertyNames}. */
    public String[] propertyValues;

    /** Creates an empty node; the library's callback fills it. */
    public Node() {}

    /**
     * Returns the outcome names.
     *
     * @return the outcome names as strings
     */
    public String[] outcomeNames() {
      return outcomes == null ? new String[0]
                              : Arrays.stream(outcomes).map(String::valueOf).toArray(String[]::new);
    }

    /**
     * Returns the node's properties.
     *
     * @return name to value, in the file's order
     */
    public Map<String, String> properties() {
      Map<String, String> map = new LinkedHashMap<>();
      for (int i = 0; propertyNames != null && i < propertyNames.length; ++i) {
        map.put(propertyNames[i], propertyValues[i]);
      }
      return map;
    }

    private int item(int index, int otherwise) {
      return descriptor != null && index < descriptor.length ? descriptor[index] : otherwise;
    }

    /**
     * Returns the node's kind.
     *
     * @return {@link #CPT}, {@link #NOISY_MAX} or {@link #TRUTH_TABLE}
     */
    public int kind() {
      return item(4, CPT);
    }

    /**
     * Returns the position the file gave the node.
     *
     * @return x0, y0, x1, y1
     */
    public int[] position() {
      return descriptor == null ? new int[4] : Arrays.copyOf(descriptor, 4);
    }

    /**
     * Returns the diagnosis type.
     *
     * @return 0 target, 1 observation, 2 auxiliary
     */
    public int diagnosisType() {
      return item(5, 2);
    }

    /**
     * Tells whether the node is marked mandatory.
     *
     * @return whether it is
     */
    public boolean isMandatory() {
      return item(6, 0) != 0;
    }

    /**
     * Tells whether the node's outcomes are marked ranked.
     *
     * @return whether they are
     */
    public boolean isRanked() {
      return item(7, 0) != 0;
    }

    /**
     * Returns the default outcome.
     *
     * @return its index, or -1 when the node has none
     */
    public int defaultState() {
      return item(8, -1);
    }

    /**
     * Returns the handle of the submodel holding the node.
     *
     * @return a handle of {@link #submodels}
     */
    public int submodel() {
      return item(9, MAIN_SUBMODEL);
    }

    /**
     * Returns the fault outcomes.
     *
     * @return their indices
     */
    public int[] faultStates() {
      int stored = descriptor == null ? 0 : descriptor.length - 11;
      int count = Math.max(0, Math.min(item(10, 0), stored));
      return count == 0 ? new int[0] : Arrays.copyOfRange(descriptor, 11, 11 + count);
    }
  }

  /** One submodel as the library delivered it. */
  public static final class Submodel {
    /** The submodel's handle; the main submodel's is {@link BRIMAReader#MAIN_SUBMODEL}. */
    public int handle;
    /** The submodel's name. */
    public String name;
    /** Horizontal position. */
    public int x;
    /** Vertical position. */
    public int y;
    /** Handles of the submodels directly inside this one. */
    public int[] children;

    /** Creates an empty submodel; the library's callback fills it. */
    public Submodel() {}
  }

  /** The nodes in the order the library sent them (file order). */
  public final List<Node> nodes = new ArrayList<>();
  /** The submodels, the main one first, each before its children. */
  public final List<Submodel> submodels = new ArrayList<>();
  /** The network's properties, name to value, in the file's order. */
  public final Map<Object, Object> networkParameters = new LinkedHashMap<>();
  /** When set, {@link #loadNode} throws this after recording the node (for tests). */
  public RuntimeException throwOnNode;

  // The index behind node(String): loadNode only queues a node with its
  // identifier, and the first look-up after a load indexes the queued ones, so a
  // load that nobody looks up in costs no hashing (on a large network the index's
  // table no longer fits the caches). Look-ups write, so they hold a lock: threads
  // may look up in a loaded reader at once, as they could when loads indexed.
  private final Object indexLock = new Object();
  private final Map<String, Node> nodesById = new HashMap<>();
  private final List<String> unindexedIds = new ArrayList<>();
  private final List<Node> unindexedNodes = new ArrayList<>();

  /** Creates a reader with nothing collected. */
  public BRIMAReader() {}

  /** Forgets everything collected so far. */
  public void clear() {
    nodes.clear();
    nodesById.clear();
    unindexedIds.clear();
    unindexedNodes.clear();
    submodels.clear();
    networkParameters.clear();
  }

  /**
   * Returns a collected node.
   *
   * @param id a node identifier
   * @return the node with that identifier, or null
   */
  public Node node(String id) {
    synchronized (indexLock) {
      for (int i = 0; i < unindexedNodes.size(); ++i) {
        nodesById.putIfAbsent(unindexedIds.get(i), unindexedNodes.get(i));
      }
      unindexedIds.clear();
      unindexedNodes.clear();
      return nodesById.get(id);
    }
  }

  /**
   * Returns the collected nodes.
   *
   * @return the nodes, read-only
   */
  public List<Node> getNodes() {
    return Collections.unmodifiableList(nodes);
  }

  /**
   * Callback: one node. The arguments are described by the fields of {@link Node}.
   *
   * @param name display name
   * @param id identifier
   * @param outcomes outcome names
   * @param descriptor position, kind and diagnosis data
   * @param parents parent identifiers
   * @param probabilities the table
   * @param strengths noisy-MAX strengths, or null
   * @param propertyNames property names
   * @param propertyValues property values
   */
  public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
      String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
      String[] propertyValues) {
    Node node = new Node();
    node.id = id;
    node.name = name;
    node.descriptor = descriptor;
    node.parents = parents;
    node.outcomes = outcomes;
    node.probabilities = probabilities;
    node.strengths = strengths;
    node.propertyNames = propertyNames;
    node.propertyValues = propertyValues;
    nodes.add(node);
    unindexedIds.add(id);
    unindexedNodes.add(node);
    if (throwOnNode != null) {
      throw throwOnNode;
    }
  }

  /**
   * Callback the library binds but never calls.
   *
   * @param handles unused
   * @param names unused
   * @param a unused
   * @param b unused
   */
  public void loadChildOfRootSubmodels(int[] handles, String[] names, int[] a, int[] b) {
    throw new IllegalStateException("loadChildOfRootSubmodels is never called");
  }

  /**
   * Callback: one submodel.
   *
   * @param handle the submodel's handle
   * @param name its name
   * @param x horizontal position
   * @param y vertical position
   * @param children handles of the submodels directly inside it
   */
  public void loadSubmodel(int handle, String name, int x, int y, int[] children) {
    Submodel submodel = new Submodel();
    submodel.handle = handle;
    submodel.name = name;
    submodel.x = x;
    submodel.y = y;
    submodel.children = children;
    submodels.add(submodel);
  }

  /**
   * Callback the library binds but never calls.
   *
   * @param text unused
   */
  public void debugLoadNode(String text) {
    throw new IllegalStateException("debugLoadNode is never called");
  }

  /**
   * Callback: one network property.
   *
   * @param name the property's name (a String)
   * @param value its value (a String)
   */
  public void putNetworkParameter(Object name, Object value) {
    networkParameters.put(name, value);
  }

  /**
   * Callback the library binds but never calls.
   *
   * @param name unused
   * @param value unused
   */
  public void putNetworkParameter(Object name, int value) {
    throw new IllegalStateException("putNetworkParameter(Object, int) is never called");
  }

  /**
   * Loads a model file and prints what the library delivered.
   *
   * @param args the model file, optionally followed by its format number
   */
  public static void main(String[] args) {
    if (args.length < 1) {
      System.err.println("usage: BRIMAReader MODEL_FILE [FORMAT_NUMBER]");
      System.exit(2);
    }
    int format = args.length > 1 ? Integer.parseInt(args[1]) : 0;
    BRIMAReader reader = new BRIMAReader();
    int result;
    try {
      result = reader.loadQDN(args[0], format);
    } catch (Exception e) {
      System.out.println("loadQDN threw: " + e.getMessage());
      System.exit(1);
      return;
    }
    System.out.println("loadQDN(" + args[0] + ", " + format + ") returned " + result);
    if (result < 0) {
      System.out.println("The library could not read this file.");
      System.exit(1);
    }
    reader.print();
  }

  void print() {
    System.out.println("Network properties: " + networkParameters.size());
    for (Map.Entry<Object, Object> entry : networkParameters.entrySet()) {
      System.out.println("  " + entry.getKey() + " = " + entry.getValue());
    }
    System.out.println("Submodels: " + submodels.size());
    for (Submodel s : submodels) {
      System.out.println("  " + s.handle + " \"" + s.name + "\" at (" + s.x + ", " + s.y
          + ") children " + Arrays.toString(s.children));
    }
    System.out.println("Nodes: " + nodes.size());
    for (Node n : nodes) {
      System.out.println("  " + n.id + " \"" + n.name + "\"");
      System.out.println("    outcomes: " + Arrays.toString(n.outcomes));
      System.out.println("    parents: " + Arrays.toString(n.parents));
      System.out.println("    descriptor: " + Arrays.toString(n.descriptor));
      System.out.println("    probabilities: " + Arrays.toString(n.probabilities));
      if (n.strengths != null && n.strengths.length > 0) {
        System.out.println("    strengths: " + Arrays.toString(n.strengths));
      }
      if (n.propertyNames != null) {
        for (int i = 0; i < n.propertyNames.length; ++i) {
          System.out.println("    " + n.propertyNames[i] + " = " + n.propertyValues[i]);
        }
      }
    }
  }

  /**
   * Returns the folder of the jar that holds the native library for this JVM's
   * platform, for example {@code linux-x86_64}.
   *
   * @return the platform folder name under {@code native/}
   */
  public static String platformFolder() {
    String os = System.getProperty("os.name", "").toLowerCase(Locale.ROOT);
    String arch = System.getProperty("os.arch", "").toLowerCase(Locale.ROOT);
    if (os.startsWith("linux")) {
      os = "linux";
    } else if (os.startsWith("mac") || os.startsWith("darwin")) {
      os = "macos";
    } else if (os.startsWith("windows")) {
      os = "windows";
    } else {
      os = os.replaceAll("[^a-z0-9]", "");
    }
    switch (arch) {
      case "amd64":
      case "x86_64":
      case "x86-64":
        arch = "x86_64";
        break;
      case "aarch64":
      case "arm64":
        arch = "aarch64";
        break;
      default:
        arch = arch.replaceAll("[^a-z0-9_]", "");
    }
    return os + "-" + arch;
  }

  private static void loadNativeLibrary() {
    String path = System.getProperty(LIBRARY_PROPERTY);
    if (path != null && !path.isEmpty()) {
      System.load(path);
      return;
    }
    String fileName = System.mapLibraryName("callbrima");
    String searchPath = System.getProperty("java.library.path", "");
    for (String folder : searchPath.split(File.pathSeparator)) {
      if (!folder.isEmpty() && new File(folder, fileName).isFile()) {
        System.loadLibrary("callbrima");
        return;
      }
    }
    String resource = "native/" + platformFolder() + "/" + fileName;
    try (InputStream in = BRIMAReader.class.getResourceAsStream("/" + resource)) {
      if (in == null) {
        throw new UnsatisfiedLinkError("no " + fileName + ": -D" + LIBRARY_PROPERTY
            + " is not set, none is on java.library.path (" + searchPath
            + ") and none is in the jar (" + resource + ")");
      }
      loadExtracted(in, fileName);
    } catch (IOException e) {
      UnsatisfiedLinkError error = new UnsatisfiedLinkError(
          "cannot extract " + resource + " to a temporary file: " + e);
      error.initCause(e);
      throw error;
    }
  }

  // Copies the library into a fresh folder only this user can read (the default
  // permissions of a temporary folder), loads it, and removes the copy: the loaded
  // library stays mapped. Where a loaded file cannot be removed, it goes at exit.
  private static void loadExtracted(InputStream in, String fileName) throws IOException {
    Path folder = Files.createTempDirectory("callbrima-");
    Path file = folder.resolve(fileName);
    try {
      Files.copy(in, file, StandardCopyOption.REPLACE_EXISTING);
      System.load(file.toAbsolutePath().toString());
    } finally {
      try {
        Files.deleteIfExists(file);
        Files.deleteIfExists(folder);
      } catch (IOException e) {
        file.toFile().deleteOnExit();
        folder.toFile().deleteOnExit();
      }
    }
  }
}
