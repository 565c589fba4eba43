#include "core/QDN_errorLog.h"

#include <gtest/gtest.h>

#include <climits>
#include <regex>
#include <string>

#include "core/QDN_status.h"
#include "test_util.h"

// A status the library declares is logged by name, never as an unknown code
// (the status header is read, so that a status added later is checked too).
TEST(ErrorNameTest, EveryDeclaredStatusHasAName) {
  const std::string header = ReadFileText(std::string(CALLBRIMA_SOURCE_DIR) + "/core/QDN_status.h");
  const std::regex declaration(R"(inline constexpr int (QDN_\w+) = (-?\d+);)");
  int declared = 0;
  for (std::sregex_iterator it(header.begin(), header.end(), declaration), end; it != end; ++it) {
    const std::string name = (*it)[1];
    const int code = std::stoi((*it)[2]);
    ++declared;
    // A reader's "not this statement" answer never reaches the log.
    if (code == QDN_NOT_THIS_STATEMENT) continue;
    EXPECT_STRNE(ErrorName(code), "UNKNOWN ERROR CODE") << name;
  }
  EXPECT_GT(declared, 15);
}

TEST(ErrorNameTest, AnyOtherCodeIsUnknown) {
  for (int code : {1, 5, INT_MAX, -6, -26, -130, -999, -1001, INT_MIN})
    EXPECT_STREQ(ErrorName(code), "UNKNOWN ERROR CODE") << code;
}

TEST(ErrorLogTest, RecordsCodesAndComposedMessages) {
  QDN_errorLog log;
  EXPECT_EQ(log.Log(0, "ignored", nullptr), 0);
  EXPECT_EQ(log.GetCount(), 0u);
  EXPECT_EQ(log.Log(-2, nullptr, nullptr), -2);
  EXPECT_EQ(log.Log(-127, nullptr, nullptr), -127);
  EXPECT_EQ(log.Log(-103, "OPEN FILE FAILED", "m.qdn"), -103);
  ASSERT_EQ(log.GetCount(), 3u);
  EXPECT_EQ(log.GetEntry(0).message, "OUT OF RANGE");
  EXPECT_EQ(log.GetEntry(1).message, "NO ERROR");
  EXPECT_EQ(log.GetEntry(2).code, -103);
  EXPECT_EQ(log.GetEntry(2).message, "m.qdnOPEN FILE FAILED");
}

TEST(ErrorLogTest, CutsOverlongMessagesAndKeepsTheNewestEntries) {
  QDN_errorLog log;
  const std::string prefix(1500, 'p'), message(1500, 'm');
  log.Log(-2, message.c_str(), prefix.c_str());
  EXPECT_EQ(log.GetEntry(0).message.size(), QDN_errorLog::kMaxMessageLength);
  EXPECT_EQ(log.GetEntry(0).message.substr(1500, 3), "mmm");

  for (size_t i = 0; i < QDN_errorLog::kCapacity + 5; ++i)
    log.Log(-2, std::to_string(i).c_str(), nullptr);
  EXPECT_EQ(log.GetCount(), QDN_errorLog::kCapacity);
  EXPECT_EQ(log.GetDropped(), 6u);
  EXPECT_EQ(log.GetEntry(log.GetCount() - 1).message, std::to_string(QDN_errorLog::kCapacity + 4));
}

TEST(ErrorLogTest, LastErrorTextKeepsItsEndingWhenCut) {
  QDN_SetLastErrorQuoted("1abc", "Invalid Identifier");
  EXPECT_STREQ(QDN_GetLastErrorText(), "ERROR: (\"1abc\") : Invalid Identifier");
  const std::string huge(100000, 'z');
  QDN_SetLastErrorQuoted(huge, "Invalid Identifier");
  const std::string text = QDN_GetLastErrorText();
  EXPECT_EQ(text.size(), kMaxLastErrorLength);
  EXPECT_EQ(text.substr(text.size() - 23), "\") : Invalid Identifier");
  QDN_SetLastErrorText(huge);
  EXPECT_EQ(std::string(QDN_GetLastErrorText()).size(), kMaxLastErrorLength);
}
