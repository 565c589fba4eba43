#include "network/QDN_formatDispatch.h"

#include <gtest/gtest.h>

#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "test_util.h"

TEST(FormatDispatchTest, ExtensionsMatchWholeAndCaseBlind) {
  struct Case {
    const char* name;
    int format;
  };
  for (const Case& c :
       {Case{"Model.QDN", 4}, Case{"x.XQDN", 8}, Case{"a.xml03", 6}, Case{"a.erg", 1},
        Case{"a.dne", 2}, Case{"a.DSC", 3}, Case{"a.b.net", 5}, Case{"k.dxp", 7},
        Case{"alarm.bif", 9}, Case{"ALARM.BIF", 9}, Case{"a.xml", -2}, Case{"noext", -2},
        Case{"end.", -2}, Case{"a.qdnx", -2}, Case{"a.qd", -2}, Case{"dir.qdn/file", -2}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatFromExtension(c.name), c.format);
  }
  EXPECT_EQ(FormatFromExtension(nullptr), QDN_OUT_OF_RANGE);
}

TEST(FormatDispatchTest, UnknownFormatsAreLoggedAndLeaveTheNetwork) {
  QDN_network net;
  ClearLog();
  EXPECT_EQ(net.ReadFile(TempPath("a.txt").c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
  EXPECT_EQ(net.ReadFile(TempPath("a.qdn").c_str(), 10, 0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(net.GetChangeNotificationMask(), QDN_network::kDefaultNotificationMask);
  ClearLog();
  EXPECT_EQ(net.WriteFile(TempPath("a.dxp").c_str(), 7), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Writing to KI file format not supported."));
}

TEST(FormatDispatchTest, Format8NeedsTheRegisteredFactory) {
  QDN_network net;
  QDN_SetFormat8Factory(nullptr);
  ClearLog();
  EXPECT_EQ(net.ReadFile(TempPath("a.xqdn").c_str(), 0, 0), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Unknown File Format"));
}
