package edu.tarn.belief.io.qdn;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CountDownLatch;

/**
 * How a Java application really uses the library: several threads, calls from
 * inside callbacks, files with modes and links, text beyond the Basic
 * Multilingual Plane, hostile files. Run with -Xcheck:jni; prints "N passed, N
 * failed" and exits non-zero on a failure.
 *
 * <p>Usage: HostSafetyTest SOURCE_DIR [as-nobody WORK_DIR]. The second form runs
 * the permission cases, for a JVM started as an unprivileged user in a folder it
 * may write.
 */
public class HostSafetyTest extends TestSupport {
  private final Path examples;
  private final Path work;

  HostSafetyTest(Path sourceDir, Path work) {
    this.examples = sourceDir.resolve("examples");
    this.work = work;
  }

  /** A host that keeps a digest of what a load delivered. */
  static class Host extends BRIMAReader {
    final StringBuilder digest = new StringBuilder();
    final List<String> ids = new ArrayList<>();
    final List<double[]> tables = new ArrayList<>();
    final List<String> propertyValues = new ArrayList<>();

    String load(Path file) {
      digest.setLength(0);
      ids.clear();
      tables.clear();
      propertyValues.clear();
      int result = loadQDN(file.toString(), 0);
      return result + " " + digest;
    }

    @Override
    public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
        String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
        String[] values) {
      digest.append(id).append(outcomes.length).append(parents.length);
      double sum = 0;
      for (double p : probabilities) {
        sum += p;
      }
      digest.append(String.format("%.6f;", sum));
      ids.add(id);
      tables.add(probabilities);
      for (String value : values) {
        propertyValues.add(value);
      }
    }

    @Override
    public void loadSubmodel(int handle, String name, int x, int y, int[] children) {
      digest.append('[').append(handle).append(']');
    }

    @Override
    public void putNetworkParameter(Object name, Object value) {
      digest.append(name).append('=').append(value).append(';');
      propertyValues.add((String) value);
    }
  }

  Path write(String name, String text) throws Exception {
    return write(work, name, text, StandardCharsets.UTF_8);
  }

  static String cpt(String id, String parents, String states, String probabilities) {
    return "node " + id + " { TYPE = CPT; PARENTS = (" + parents + "); DEFINITION = {"
        + " NAMESTATES = (" + states + "); PROBABILITIES = (" + probabilities + "); }; };\n";
  }

  Path smallModel(String name) throws Exception {
    return write(name, "net small {\n" + cpt("a", "", "x, y", "0.5, 0.5")
        + cpt("b", "a", "x, y", "0.1, 0.9, 0.8, 0.2") + "};\n");
  }

  static boolean updateOne(BRIMAReader host, Path in, Path out, String id, double[] row) {
    return host.updateQDN(in.toString(), 0, out.toString(), 0, new String[] {id},
        new double[][] {row}, null, null, null, null, null);
  }

  /** Runs body on each of count threads, all started together; returns when all are done. */
  void parallel(int count, java.util.function.IntConsumer body) throws Exception {
    CountDownLatch start = new CountDownLatch(1);
    List<Thread> threads = new ArrayList<>();
    for (int t = 0; t < count; ++t) {
      final int index = t;
      Thread thread = new Thread(() -> {
        try {
          start.await();
          body.accept(index);
        } catch (Throwable e) {
          check(false, "thread " + index + " threw " + e);
        }
      });
      threads.add(thread);
      thread.start();
    }
    start.countDown();
    for (Thread thread : threads) {
      thread.join();
    }
  }

  void threadsLoadingTwoFiles() throws Exception {
    Path asia = examples.resolve("asia.qdn");
    Path small = smallModel("threads-small.qdn");
    String expectAsia = new Host().load(asia);
    String expectSmall = new Host().load(small);
    check(expectAsia.startsWith("16384 ") && expectSmall.startsWith("16384 "), "both files load");
    int[] wrong = new int[1];
    parallel(4, t -> {
      Host host = new Host();
      for (int i = 0; i < 100; ++i) {
        boolean first = (i + t) % 2 == 0;
        String got = host.load(first ? asia : small);
        if (!got.equals(first ? expectAsia : expectSmall)) {
          synchronized (wrong) {
            ++wrong[0];
          }
        }
      }
    });
    check(wrong[0] == 0, "4 threads x 100 loads always give the same result, " + wrong[0]
        + " differed");
  }

  void threadsUpdatingAndLoading() throws Exception {
    Path in = smallModel("update-in.qdn");
    boolean[] ok = {true, true};
    parallel(2, t -> {
      BRIMAReader host = new BRIMAReader();
      Path out = work.resolve("update-out-" + t + ".qdn");
      for (int i = 0; i < 50; ++i) {
        double p = (t * 50 + i) / 100.0;
        if (!updateOne(host, in, out, "a", new double[] {p, 1 - p})) {
          ok[t] = false;
        }
      }
    });
    check(ok[0] && ok[1], "2 threads updating different outputs all succeed");
    for (int t = 0; t < 2; ++t) {
      Host host = new Host();
      host.load(work.resolve("update-out-" + t + ".qdn"));
      double p = (t * 50 + 49) / 100.0;
      check(host.tables.size() == 2 && Math.abs(host.tables.get(0)[0] - p) < 1e-9,
          "output " + t + " holds its own thread's last table");
    }
    String expect = new Host().load(examples.resolve("asia.qdn"));
    int[] wrong = new int[1];
    parallel(2, t -> {
      for (int i = 0; i < 60; ++i) {
        if (t == 0) {
          if (!new Host().load(examples.resolve("asia.qdn")).equals(expect)) {
            synchronized (wrong) {
              ++wrong[0];
            }
          }
        } else if (!updateOne(new BRIMAReader(), in, work.resolve("side.qdn"), "b",
            new double[] {0.3, 0.7, 0.6, 0.4})) {
          synchronized (wrong) {
            ++wrong[0];
          }
        }
      }
    });
    check(wrong[0] == 0, "a load and an update side by side, " + wrong[0] + " went wrong");
  }

  void nestedCallsRefused() throws Exception {
    Path asia = examples.resolve("asia.qdn");
    Path small = smallModel("nested.qdn");
    List<String> messages = new ArrayList<>();
    Host host = new Host() {
      @Override
      public void loadNode(String name, String id, Object[] outcomes, int[] descriptor,
          String[] parents, double[] probabilities, int[] strengths, String[] propertyNames,
          String[] values) {
        super.loadNode(name, id, outcomes, descriptor, parents, probabilities, strengths,
            propertyNames, values);
        if (ids.size() == 1) {
          // A host opening a linked model from inside the walk.
          messages.add(thrownWithClass(() -> loadQDN(small.toString(), 0)));
          messages.add(thrownWithClass(() -> updateOne(this, small,
              work.resolve("nested-out.qdn"), "a", new double[] {0.5, 0.5})));
          messages.add(thrownWithClass(() -> librarySupports(8)));
        }
      }
    };
    String outer = host.load(asia);
    check(outer.equals(new Host().load(asia)), "outer load completes unchanged: " + outer);
    check(messages.size() == 3 && messages.get(0) != null
        && messages.get(0).startsWith("IllegalStateException: C++ error: loadQDN called from "
            + "inside a callback"), "nested loadQDN refused: " + messages);
    check(messages.size() == 3 && messages.get(1) != null
        && messages.get(1).startsWith("IllegalStateException: C++ error: updateQDN"),
        "nested updateQDN refused: " + messages);
    check(messages.size() == 3 && messages.get(2) == null, "a query inside a callback is fine");
    check(!Files.exists(work.resolve("nested-out.qdn")), "the nested update wrote nothing");
    check(new Host().load(small).startsWith("16384 "), "later loads work");
  }

  /** A file holding "old" with the given permissions ("rw-r-----"). */
  Path oldFileWithMode(String name, String mode) throws Exception {
    Path file = write(name, "old");
    Files.setPosixFilePermissions(file, PosixFilePermissions.fromString(mode));
    return file;
  }

  static boolean hasMode(Path file, String mode) throws Exception {
    return PosixFilePermissions.toString(Files.getPosixFilePermissions(file)).equals(mode);
  }

  void savesKeepLinksAndModes() throws Exception {
    Path in = smallModel("save-in.qdn");
    Path real = work.resolve("real.qdn");
    Files.copy(in, real);
    Files.setPosixFilePermissions(real, PosixFilePermissions.fromString("rw-------"));
    Path link = work.resolve("link.qdn");
    Files.createSymbolicLink(link, real.getFileName());
    check(updateOne(new BRIMAReader(), in, link, "a", new double[] {0.25, 0.75}),
        "save through a link");
    check(Files.isSymbolicLink(link), "the link stays a link");
    Host host = new Host();
    host.load(real);
    check(host.tables.size() == 2 && host.tables.get(0)[0] == 0.25,
        "the file the link names was written");
    check(hasMode(real, "rw-------"), "mode 0600 kept");
    Path xml = oldFileWithMode("real.xqdn", "rw-r-----");
    check(updateOne(new BRIMAReader(), in, xml, "a", new double[] {0.5, 0.5}),
        "native XML saved");
    check(hasMode(xml, "rw-r-----"), "native XML save keeps mode 0640");
  }

  void badRowsRefused() throws Exception {
    Path in = smallModel("rows-in.qdn");
    Path out = work.resolve("rows-out.qdn");
    String message = thrownWithClass(() -> updateOne(new BRIMAReader(), in, out, "b",
        new double[] {0.5, 0.5}));
    check(("Exception: C++ error: Probability row of node 'b' has 2 values; its table has 4 "
        + "cells.").equals(message), "wrong-length row refused: " + message);
    check(!Files.exists(out), "nothing written after a wrong-length row");
    message = thrownWithClass(() -> updateOne(new BRIMAReader(), in, out, "a",
        new double[] {Double.NaN, 0.5}));
    check(message != null && message.startsWith("Exception: C++ error: Probability row of node "
        + "'a' holds nan at index 0"), "NaN refused: " + message);
    message = thrownWithClass(() -> updateOne(new BRIMAReader(), in, out, "a",
        new double[] {0.5, Double.POSITIVE_INFINITY}));
    check(message != null && message.contains("holds inf at index 1"), "infinity refused");
    message = thrownWithClass(() -> updateOne(new BRIMAReader(), in, out, "a",
        new double[] {1.5, -0.5}));
    check(message != null && message.contains("holds -0.5 at index 1"), "negative refused");
    check(!Files.exists(out), "nothing written after bad values");
  }

  void textBeyondTheBasicPlane() throws Exception {
    String emoji = "\uD83D\uDE00";
    Path in = smallModel("model-" + emoji + ".qdn");
    Host host = new Host();
    check(host.load(in).startsWith("16384 "), "file name with an emoji is found");
    Path out = work.resolve("out-" + emoji + ".qdn");
    String value = "caf\u00e9 " + emoji + " \uD834\uDD1E end";
    check(new BRIMAReader().updateQDN(in.toString(), 0, out.toString(), 0, new String[] {"a"},
        new double[][] {null}, new String[] {"note"}, new String[] {value},
        new String[][] {{"label"}}, new String[][] {{emoji}}, null),
        "update with emoji names and values");
    check(Files.exists(out), "output file named with an emoji is visible to Java");
    byte[] bytes = Files.readAllBytes(out);
    check(new String(bytes, StandardCharsets.UTF_8).contains(value),
        "the file holds standard UTF-8");
    Host again = new Host();
    again.load(out);
    check(again.propertyValues.contains(value) && again.propertyValues.contains(emoji),
        "property values round trip: " + again.propertyValues);
  }

  void sizeBombsRefused() throws Exception {
    StringBuilder states = new StringBuilder();
    for (int i = 0; i < 600; ++i) {
      states.append(i == 0 ? "" : " ").append("\"s").append(i).append('"');
    }
    StringBuilder hugin = new StringBuilder("net\n{\n}\n");
    for (String n : new String[] {"a", "b", "c"}) {
      hugin.append("node ").append(n).append("\n{\n  states = (").append(states)
          .append(");\n}\n");
    }
    hugin.append("potential (c | a b)\n{\n}\n");
    Path net = write("bomb.net", hugin.toString());
    Path erg = write("bomb.erg", "3\n\n600\t600\t600\n\n0\n0\n2\t1\t2\n\n");
    String qdnStates = states.toString().replace("\"", "").replace(" ", ", ");
    Path qdn = write("bomb.qdn", "net bomb {\n" + cpt("a", "", qdnStates, "")
        + cpt("b", "", qdnStates, "") + cpt("c", "a, b", qdnStates, "") + "};\n");
    for (Path bomb : new Path[] {net, erg, qdn}) {
      String node = bomb == erg ? "Node2" : "c";
      String message = thrownWithClass(() -> new Host().load(bomb));
      check(message != null && message.startsWith("Exception: Table cell budget exceeded: node '"
          + node + "' needs a table of 216000000 cells")
          && message.contains("the budget is 16777216 cells"),
          bomb.getFileName() + " refused: " + message);
    }
  }

  /** As an unprivileged user in a folder it may write. */
  void permissionsOfTheRealUser() throws Exception {
    Path in = smallModel("perm-in.qdn");
    Path locked = work.resolve("locked.qdn");
    Path foreign = work.resolve("foreign.qdn");
    for (Path target : new Path[] {locked, foreign}) {
      check(Files.exists(target) && !Files.isWritable(target),
          target.getFileName() + " is prepared unwritable");
      byte[] before = Files.readAllBytes(target);
      String message = thrownWithClass(() -> updateOne(new BRIMAReader(), in, target, "a",
          new double[] {0.5, 0.5}));
      check("Exception: C++ error: Failed to write file.".equals(message),
          target.getFileName() + " refused: " + message);
      check(java.util.Arrays.equals(before, Files.readAllBytes(target)),
          target.getFileName() + " unchanged");
      message = thrownWithClass(() -> new BRIMAReader().updateQDN(in.toString(), 0,
          target.toString().replace(".qdn", ".xqdn"), 0, new String[0], new double[0][], null,
          null, null, null, null));
      check(message != null, "native XML save over " + target.getFileName() + " refused");
    }
    Path own = oldFileWithMode("own.qdn", "rw-------");
    check(updateOne(new BRIMAReader(), in, own, "a", new double[] {0.5, 0.5}),
        "the user's own file is written");
    check(hasMode(own, "rw-------"), "and keeps its mode");
    try (var listing = Files.list(work)) {
      check(listing.noneMatch(p -> p.getFileName().toString().contains(".tmp")),
          "no temporary file left");
    }
  }

  int run(boolean asNobody) throws Exception {
    if (asNobody) {
      permissionsOfTheRealUser();
    } else {
      threadsLoadingTwoFiles();
      threadsUpdatingAndLoading();
      nestedCallsRefused();
      savesKeepLinksAndModes();
      badRowsRefused();
      textBeyondTheBasicPlane();
      sizeBombsRefused();
    }
    return finish();
  }

  public static void main(String[] args) throws Exception {
    boolean asNobody = args.length > 2 && args[1].equals("as-nobody");
    Path work = asNobody ? Path.of(args[2]) : Files.createTempDirectory("callbrima-safety");
    int status = new HostSafetyTest(Path.of(args[0]), work).run(asNobody);
    if (!asNobody && !Files.isSymbolicLink(work)) {
      deleteTree(work);
    }
    System.exit(status);
  }
}
