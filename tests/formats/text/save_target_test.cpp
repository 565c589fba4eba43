// Saves through QDN_textFile and the native XML writer: the real user's
// right to write, links, modes and what a failed save leaves behind; the
// writers' error model (writes return nothing, the output keeps its first
// failure, and closing reports it and leaves the old file in place).
#include "formats/text/save_target.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/QDN_status.h"
#include "formats/text/QDN_textFile.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

int Save(const std::string& path, const std::string& text) {
  QDN_textFile file;
  CB_TRY(file.OpenForWrite(path.c_str()));
  file.WriteRaw(text);
  return file.Close();
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// Files beside path other than path itself (leftover temporaries).
int Leftovers(const std::string& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    count += entry.path().filename().string().find(".tmp") != std::string::npos;
  return count;
}

std::string Folder(const char* name) {
  const std::string folder = TempPath(name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// While it lives, files of this process cannot grow past bytes: a write
// beyond fails as on a full disk (EFBIG, with the signal ignored).
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_signal_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_signal_);
  }
  bool ok() const { return ok_; }

private:
  rlimit old_{};
  void (*old_signal_)(int) = nullptr;
  bool ok_ = false;
};

} // namespace

TEST(SaveTargetTest, LinksAreWrittenThroughAndModesKept) {
  const std::string folder = Folder("save-links");
  const std::string real = folder + "/real.qdn";
  const std::string link = folder + "/link.qdn";
  const std::string chain = folder + "/chain.qdn";
  ASSERT_EQ(Save(real, "old"), QDN_NO_ERROR);
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  // A relative link, and a link to that link.
  ASSERT_EQ(::symlink("real.qdn", link.c_str()), 0);
  ASSERT_EQ(::symlink(link.c_str(), chain.c_str()), 0);

  ASSERT_EQ(Save(chain, "new"), QDN_NO_ERROR);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_symlink(chain));
  EXPECT_EQ(ReadFileText(real), "new");
  EXPECT_EQ(ModeOf(real), 0640u);
  EXPECT_EQ(Leftovers(folder), 0);

  // A dangling link names the file a save creates.
  const std::string dangling = folder + "/dangling.qdn";
  ASSERT_EQ(::symlink("created.qdn", dangling.c_str()), 0);
  ASSERT_EQ(Save(dangling, "made"), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(folder + "/created.qdn"), "made");

  // A loop of links is refused.
  const std::string loop = folder + "/loop.qdn";
  ASSERT_EQ(::symlink("loop.qdn", loop.c_str()), 0);
  EXPECT_EQ(Save(loop, "x"), QDN_FILE_IO_FAILED);
  EXPECT_EQ(Leftovers(folder), 0);
}

TEST(SaveTargetTest, ReadOnlyFilesAndOtherKindsAreRefused) {
  const std::string folder = Folder("save-refused");
  const std::string path = folder + "/locked.qdn";
  ASSERT_EQ(Save(path, "old"), QDN_NO_ERROR);
  // No write bit for anyone: refused even for root, whom access() lets write.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(Save(path, "new"), QDN_FILE_IO_FAILED);
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_EQ(ModeOf(path), 0444u);

  SaveTarget target;
  EXPECT_FALSE(PrepareSaveTarget(folder.c_str(), target)) << "a folder is not a file";
  EXPECT_FALSE(PrepareSaveTarget("", target));
  EXPECT_FALSE(PrepareSaveTarget((folder + "/missing/x.qdn").c_str(), target));
  EXPECT_EQ(Leftovers(folder), 0);
}

TEST(SaveTargetTest, FailedNativeXmlSaveLeavesNoFile) {
  QDN_network network;
  ASSERT_EQ(network.AddNode(18, "a"), 0);
  const std::string folder = Folder("save-xml");
  const std::string locked = folder + "/locked";
  std::filesystem::create_directories(locked);
  const std::string path = locked + "/out.xqdn";
  QDN_RegisterFormats();
  ASSERT_EQ(network.WriteFile((folder + "/ok.xqdn").c_str(), 8), QDN_NO_ERROR);
  ASSERT_EQ(::chmod((folder + "/ok.xqdn").c_str(), 0600), 0);
  ASSERT_EQ(network.WriteFile((folder + "/ok.xqdn").c_str(), 8), QDN_NO_ERROR);
  EXPECT_EQ(ModeOf(folder + "/ok.xqdn"), 0600u);
  // A file of the same name that may not be written stays as it was and
  // no empty file appears where none was.
  ASSERT_EQ(Save(path, "old"), QDN_NO_ERROR);
  ASSERT_EQ(::chmod(path.c_str(), 0400), 0);
  EXPECT_NE(network.WriteFile(path.c_str(), 8), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_NE(network.WriteFile((folder + "/no/such/out.xqdn").c_str(), 8), QDN_NO_ERROR);
  EXPECT_FALSE(std::filesystem::exists(folder + "/no"));
  EXPECT_EQ(Leftovers(folder) + Leftovers(locked), 0);
}

TEST(TextFileTest, WritesWithoutAnOpenFileFailOnClose) {
  QDN_textFile never_opened;
  never_opened.WriteRaw("text");
  EXPECT_TRUE(never_opened.Failed());
  EXPECT_EQ(never_opened.Close(), QDN_FILE_IO_FAILED);

  // A closed file takes no more writes, and a second close fails.
  const std::string path = TempPath("closed.txt");
  QDN_textFile file;
  ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
  file.WriteLine("first");
  EXPECT_FALSE(file.Failed());
  ASSERT_EQ(file.Close(), QDN_NO_ERROR);
  file.WriteRaw("late");
  EXPECT_EQ(file.GetStatus(), QDN_FILE_IO_FAILED);
  EXPECT_EQ(file.Close(), QDN_FILE_IO_FAILED);
  EXPECT_EQ(ReadFileText(path), "first");
}

TEST(TextFileTest, FirstFailureIsKeptAndAbandonsTheFile) {
  const std::string folder = Folder("text-file-check");
  const std::string path = folder + "/kept.txt";
  ASSERT_EQ(WriteTempFile("text-file-check/kept.txt", "old"), path);
  QDN_textFile file;
  ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
  file.Check(3); // a count, not a failure
  file.Check(QDN_NO_ERROR);
  EXPECT_FALSE(file.Failed());
  file.WriteRaw("new");
  file.Check(QDN_OUT_OF_RANGE);
  file.Check(QDN_OUT_OF_MEMORY); // later failures change nothing
  file.WriteRaw(" more");
  EXPECT_EQ(file.GetStatus(), QDN_OUT_OF_RANGE);
  EXPECT_EQ(file.Close(), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_EQ(Leftovers(folder), 0);
  // The object can write again.
  ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
  file.WriteRaw("again");
  ASSERT_EQ(file.Close(), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(path), "again");
}

TEST(TextFileTest, WriteOnAFullDeviceFailsAndKeepsTheOldFile) {
  const std::string folder = Folder("text-file-full");
  const std::string path = folder + "/big.txt";
  ASSERT_EQ(WriteTempFile("text-file-full/big.txt", "old"), path);
  const std::string line(1000, 'x');
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    QDN_textFile file;
    ASSERT_EQ(file.OpenForWrite(path.c_str()), QDN_NO_ERROR);
    // Over 64 KiB: the output goes out (and fails) while writing goes on.
    for (int i = 0; i < 100; ++i)
      file.WriteRaw(line + "\n");
    EXPECT_TRUE(file.Failed());
    file.WriteRaw("after the failure");
    EXPECT_EQ(file.Close(), QDN_FILE_IO_FAILED);
  }
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_EQ(Leftovers(folder), 0);
}

// Every writer on a device that fills up: the save fails with -103 and the
// file saved before stays as it was, with no temporary file left.
TEST(TextFileTest, EveryWriterReportsAFullDevice) {
  QDN_RegisterFormats();
  QDN_network network;
  for (int i = 0; i < 300; ++i) {
    const std::string id = "a_rather_long_node_identifier_" + std::to_string(i);
    ASSERT_GE(network.AddNode(18, id.c_str()), 0);
  }
  const std::string folder = Folder("text-file-writers");
  const struct {
    int format;
    const char* name;
  } formats[] = {{QDN_FORMAT_ERGO, "out.erg"},  {QDN_FORMAT_NETICA, "out.dne"},
                 {QDN_FORMAT_MSBN, "out.dsc"},  {QDN_FORMAT_QDN, "out.qdn"},
                 {QDN_FORMAT_HUGIN, "out.net"}, {QDN_FORMAT_XMLBIF, "out.xml"},
                 {QDN_FORMAT_XQDN, "out.xqdn"}, {QDN_FORMAT_BIF, "out.bif"}};
  for (const auto& [format, name] : formats) {
    SCOPED_TRACE(name);
    const std::string path = folder + "/" + name;
    ASSERT_EQ(network.WriteFile(path.c_str(), format), QDN_NO_ERROR);
    const std::string saved = ReadFileText(path);
    ASSERT_GT(saved.size(), 8192u);
    {
      FileSizeLimit limit(4096);
      ASSERT_TRUE(limit.ok());
      EXPECT_EQ(network.WriteFile(path.c_str(), format), QDN_FILE_IO_FAILED);
    }
    EXPECT_EQ(ReadFileText(path), saved);
  }
  EXPECT_EQ(Leftovers(folder), 0);
}
