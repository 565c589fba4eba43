package edu.tarn.belief.io.qdn;

import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.concurrent.ConcurrentLinkedQueue;

/**
 * What the Java tests share: counted checks (safe from several threads),
 * calls expected to throw, model files written into a work folder, and the
 * generated chain network.
 */
class TestSupport {
  private final ConcurrentLinkedQueue<String> failures = new ConcurrentLinkedQueue<>();
  private int passed = 0;

  synchronized void check(boolean ok, String what) {
    if (ok) {
      ++passed;
    } else {
      failures.add(what);
      System.out.println("FAILED: " + what);
    }
  }

  /** Prints "N passed, N failed"; the process status. */
  int finish() {
    System.out.println(passed + " passed, " + failures.size() + " failed");
    return failures.isEmpty() ? 0 : 1;
  }

  interface Call {
    Object run() throws Exception;
  }

  /** Runs call; returns the exception message ("" for none), or null when it returned normally. */
  static String thrown(Call call) {
    try {
      call.run();
      return null;
    } catch (Exception e) {
      return e.getMessage() == null ? "" : e.getMessage();
    }
  }

  /** As thrown, with the exception's class in front: "Class: message". */
  static String thrownWithClass(Call call) {
    try {
      call.run();
      return null;
    } catch (Exception e) {
      return e.getClass().getSimpleName() + ": " + e.getMessage();
    }
  }

  static Path write(Path dir, String name, String text, Charset charset) throws Exception {
    Path file = dir.resolve(name);
    Files.writeString(file, text, charset);
    return file;
  }

  /** A native text network of count nodes, each with the previous one as parent. */
  static String chainNetwork(int count) {
    StringBuilder text = new StringBuilder("net big {\n");
    for (int i = 0; i < count; ++i) {
      String parents = i == 0 ? "" : "n" + (i - 1);
      String table = i == 0 ? "0.3, 0.7" : "0.1, 0.9, 0.8, 0.2";
      text.append("node n").append(i).append(" { TYPE = CPT; PARENTS = (").append(parents)
          .append("); DEFINITION = { NAMESTATES = (a, b); PROBABILITIES = (").append(table)
          .append("); }; };\n");
    }
    return text.append("};\n").toString();
  }

  /** Deletes a folder and everything below it. */
  static void deleteTree(Path root) throws Exception {
    try (var walk = Files.walk(root)) {
      walk.sorted(java.util.Comparator.reverseOrder()).forEach(p -> p.toFile().delete());
    }
  }
}
