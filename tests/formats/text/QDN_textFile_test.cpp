// The writers' error model: writes return nothing, the output remembers its
// first failure, and closing reports it and leaves the old file in place.
#include "formats/text/QDN_textFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

// Temporary files left beside the targets in folder.
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
