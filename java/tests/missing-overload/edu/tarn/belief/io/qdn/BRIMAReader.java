package edu.tarn.belief.io.qdn;

/**
 * A host class that lacks the (Object, int) overload of putNetworkParameter.
 * Binding must fail with the library's interface exception; the length check
 * of updateQDN still comes first.
 */
public class BRIMAReader {
  static {
    System.load(System.getProperty("callbrima.library"));
  }

  public native int loadQDN(String fileName, int formatNumber);

  public native boolean updateQDN(String inputFile, int inputFormat, String outputFile,
      int outputFormat, String[] nodeIds, double[][] probabilities,
      String[] networkPropertyNames, String[] networkPropertyValues,
      String[][] nodePropertyNames, String[][] nodePropertyValues, int[][] diagnosisTypes);

  public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
      String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
      String[] propertyValues) {}

  public void loadChildOfRootSubmodels(int[] handles, String[] names, int[] a, int[] b) {}

  public void loadSubmodel(int handle, String name, int x, int y, int[] children) {}

  public void debugLoadNode(String text) {}

  public void putNetworkParameter(Object name, Object value) {}

  private static int passed = 0;
  private static int failed = 0;

  private static void check(boolean ok, String what) {
    if (ok) {
      ++passed;
    } else {
      ++failed;
      System.out.println("FAILED: " + what);
    }
  }

  public static void main(String[] args) throws Exception {
    BRIMAReader reader = new BRIMAReader();
    String model = args[0];
    String message = null;
    try {
      reader.loadQDN(model, 0);
    } catch (Exception e) {
      message = e.getMessage();
    }
    check("C++ failed to find expected interface to class BRIMAReader.".equals(message),
        "loadQDN throws the interface exception, got " + message);
    message = null;
    try {
      reader.updateQDN(model, 0, model + ".out", 0, new String[] {"a", "b"},
          new double[][] {{0.5}}, null, null, null, null, null);
    } catch (Exception e) {
      message = e.getMessage();
    }
    check("C++ array of node IDs and array of probabilities are of unequal length."
        .equals(message), "updateQDN checks lengths before binding, got " + message);
    message = null;
    try {
      reader.updateQDN(model, 0, model + ".out", 0, new String[0], new double[0][],
          null, null, null, null, null);
    } catch (Exception e) {
      message = e.getMessage();
    }
    check("C++ failed to find expected interface to class BRIMAReader."
        .equals(message), "updateQDN throws the interface exception, got " + message);
    System.out.println(passed + " passed, " + failed + " failed");
    System.exit(failed == 0 ? 0 : 1);
  }
}
