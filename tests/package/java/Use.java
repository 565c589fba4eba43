import edu.tarn.belief.io.qdn.BRIMAReader;
import java.util.Arrays;

/**
 * A program built against the installed jar alone: reads a model file, prints what
 * arrived and checks it, and reads it again through a subclass with its own callback.
 */
public class Use {
  static void require(boolean ok, String what) {
    if (!ok) {
      System.out.println("FAILED: " + what);
      System.exit(1);
    }
  }

  public static void main(String[] args) throws Exception {
    BRIMAReader reader = new BRIMAReader();
    require(reader.loadQDN(args[0], 0) == BRIMAReader.LOADED, "load " + args[0]);
    System.out.println("nodes: " + reader.nodes.size());
    for (BRIMAReader.Node node : reader.nodes) {
      System.out.println(node.id + " " + Arrays.toString(node.outcomeNames()) + " parents "
          + Arrays.toString(node.parents) + " cells " + node.probabilities.length);
      int rows = 1;
      for (String parent : node.parents) {
        require(reader.node(parent) != null, "parent " + parent + " delivered");
        rows *= reader.node(parent).outcomes.length;
      }
      require(node.probabilities.length == rows * node.outcomes.length, "table size of " + node.id);
      require(node.kind() == BRIMAReader.Node.CPT, "kind of " + node.id);
    }
    require(reader.submodels.get(0).handle == BRIMAReader.MAIN_SUBMODEL, "main submodel first");

    int[] seen = {0};
    BRIMAReader counting = new BRIMAReader() {
      @Override
      public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
          String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
          String[] propertyValues) {
        ++seen[0];
      }
    };
    require(counting.loadQDN(args[0], 0) == BRIMAReader.LOADED, "load through a subclass");
    require(seen[0] == reader.nodes.size() && counting.nodes.isEmpty(),
        "the overriding callback received every node: " + seen[0]);
  }
}
