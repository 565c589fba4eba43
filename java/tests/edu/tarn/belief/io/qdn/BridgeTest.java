package edu.tarn.belief.io.qdn;

import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * Tests of the native library through a real JVM (run with -Xcheck:jni). Prints
 * "N passed, N failed" and exits non-zero on a failure.
 *
 * <p>Usage: BridgeTest DATA_DIR [MODE]. MODE "testjni-first" only calls testJNI
 * before any load (its output is checked by the test driver).
 */
public class BridgeTest {
  private int passed = 0;
  private int failed = 0;
  private final List<String> failures = new ArrayList<>();
  private final Path work;

  BridgeTest(Path work) {
    this.work = work;
  }

  void check(boolean ok, String what) {
    if (ok) {
      ++passed;
    } else {
      ++failed;
      failures.add(what);
      System.out.println("FAILED: " + what);
    }
  }

  interface Call {
    Object run() throws Exception;
  }

  /** Runs call; returns the exception message, or null when it returned normally. */
  static String thrown(Call call) {
    try {
      call.run();
      return null;
    } catch (Exception e) {
      return e.getMessage() == null ? "" : e.getMessage();
    }
  }

  Path write(String name, String text) throws Exception {
    Path file = work.resolve(name);
    Files.writeString(file, text, java.nio.charset.StandardCharsets.ISO_8859_1);
    return file;
  }

  void librarySupportsEveryNumber() {
    BRIMAReader reader = new BRIMAReader();
    for (int format : new int[] {8, 0, -5, 99, 1, 7}) {
      check(reader.librarySupports(format), "librarySupports(" + format + ")");
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

  int run() throws Exception {
    librarySupportsEveryNumber();
    unknownFormatsFailWithoutException();
    updateChecksArraysFirst();
    System.out.println(passed + " passed, " + failed + " failed");
    return failed == 0 ? 0 : 1;
  }

  public static void main(String[] args) throws Exception {
    Path work = Files.createTempDirectory("callbrima-java");
    if (args.length > 1 && args[1].equals("testjni-first")) {
      new BRIMAReader().testJNI();
      return;
    }
    int status = new BridgeTest(work).run();
    for (File f : work.toFile().listFiles()) {
      f.delete();
    }
    work.toFile().delete();
    System.exit(status);
  }
}
