// Inputs that once crashed or misbehaved: each must read (or fail with a
// logged status) and what reads must write and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"

TEST(RegressionTest, EveryKeptInputReadsSafely) {
  const std::filesystem::path root =
      std::filesystem::path(CALLBRIMA_SOURCE_DIR) / "tests/data/regress";
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    SCOPED_TRACE(entry.path().string());
    const int format = FormatFromExtension(entry.path().c_str());
    ASSERT_GT(format, 0);
    QDN_network net;
    ClearLog();
    const int status = net.ReadFile(entry.path().c_str(), format, 0);
    ++files;
    if (status < 0) {
      EXPECT_GT(LoggedCount(), 0u);
      continue;
    }
    const std::string out = TempPath("regress-out" + entry.path().extension().string());
    if (net.WriteFile(out.c_str(), format) < 0) continue;
    QDN_network again;
    EXPECT_EQ(again.ReadFile(out.c_str(), format, 0), QDN_NO_ERROR);
  }
  EXPECT_GT(files, 0);
}
