#include "core/QDN_errorLog.h"

#include <gtest/gtest.h>

#include <string>

#include "core/QDN_status.h"
#include "test_util.h"

TEST(ErrorNameTest, NamesEveryCode) {
  struct Case {
    int code;
    const char* name;
  };
  for (const Case& c :
       {Case{0, "NO ERROR"}, Case{-1, "NO ERROR"}, Case{-38, "NO ERROR"}, Case{-127, "NO ERROR"},
        Case{-567, "NO ERROR"}, Case{-568, "NO ERROR"}, Case{-2, "OUT OF RANGE"},
        Case{-32, "DUPLICATED IDENTIFIER"}, Case{-42, "OUT OF MEMORY"},
        Case{-51, "WRONG NODE TYPE"}, Case{-103, "FILE I/O FAILED"}, Case{-111, "NO MORE TOKENS"},
        Case{-126, "LEXICAL ERROR. CHARACTER UNKNOWN"}, Case{-128, "UNEXPECTED END OF FILE"},
        Case{-1000, "INVALID IDENTIFIER"}, Case{5, "UNKNOWN ERROR CODE"},
        Case{-6, "UNKNOWN ERROR CODE"}, Case{-26, "UNKNOWN ERROR CODE"},
        Case{-129, "UNKNOWN ERROR CODE"}}) {
    SCOPED_TRACE(c.code);
    EXPECT_STREQ(ErrorName(c.code), c.name);
  }
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
