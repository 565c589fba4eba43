package edu.tarn.belief.io.qdn;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * Java host of the callbrima native library. Declares the four native methods and
 * the six callbacks the library binds, and records what the library sends.
 */
public class BRIMAReader {
  static {
    String path = System.getProperty("callbrima.library");
    if (path != null) {
      System.load(path);
    } else {
      System.loadLibrary("callbrima");
    }
  }

  public native int testJNI();

  public native boolean librarySupports(int formatNumber);

  public native int loadQDN(String fileName, int formatNumber);

  public native boolean updateQDN(String inputFile, int inputFormat, String outputFile,
      int outputFormat, String[] nodeIds, double[][] probabilities,
      String[] networkPropertyNames, String[] networkPropertyValues,
      String[][] nodePropertyNames, String[][] nodePropertyValues, int[][] diagnosisTypes);

  /** One node as the library delivered it. */
  public static final class Node {
    public String id;
    public String name;
    public int[] descriptor;
    public String[] parents;
    public Object[] outcomes;
    public double[] probabilities;
    public int[] strengths;
    public String[] propertyNames;
    public String[] propertyValues;
  }

  /** One submodel as the library delivered it. */
  public static final class Submodel {
    public int handle;
    public String name;
    public int x;
    public int y;
    public int[] children;
  }

  public final List<Node> nodes = new ArrayList<>();
  public final List<Submodel> submodels = new ArrayList<>();
  public final Map<Object, Object> networkParameters = new LinkedHashMap<>();
  /** When set, loadNode throws this after recording the node (for tests). */
  public RuntimeException throwOnNode;

  public void clear() {
    nodes.clear();
    submodels.clear();
    networkParameters.clear();
  }

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
    if (throwOnNode != null) {
      throw throwOnNode;
    }
  }

  public void loadChildOfRootSubmodels(int[] handles, String[] names, int[] a, int[] b) {
    throw new IllegalStateException("loadChildOfRootSubmodels is never called");
  }

  public void loadSubmodel(int handle, String name, int x, int y, int[] children) {
    Submodel submodel = new Submodel();
    submodel.handle = handle;
    submodel.name = name;
    submodel.x = x;
    submodel.y = y;
    submodel.children = children;
    submodels.add(submodel);
  }

  public void debugLoadNode(String text) {
    throw new IllegalStateException("debugLoadNode is never called");
  }

  public void putNetworkParameter(Object name, Object value) {
    networkParameters.put(name, value);
  }

  public void putNetworkParameter(Object name, int value) {
    throw new IllegalStateException("putNetworkParameter(Object, int) is never called");
  }

  /** Loads a model file and prints what the library delivered. */
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
}
