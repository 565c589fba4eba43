#include "definitions/QDN_noisyMAX.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/QDN_status.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_table.h"
#include "test_lists.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

QDN_noisyMAX& Noisy(QDN_network& net, int h) {
  return *static_cast<QDN_noisyMAX*>(net.GetNode(h)->GetDefinition());
}

} // namespace

TEST(NoisyMaxTest, ExpandsTheWorkedExample) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), x = net.AddNode(QDN_NOISY_MAX, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  QDN_noisyMAX& noisy = Noisy(net, x);
  // A new parent contributes uniform rows except for its last (no-effect) state.
  EXPECT_EQ(CellsOf(*noisy.GetTable()), (std::vector<double>{0.5, 0.5, 0, 1, 0.5, 0.5}));
  ASSERT_EQ(noisy.SetDefinition(DoubleList({0.8, 0.2, 0, 1, 0.1, 0.9})), QDN_NO_ERROR);
  const QDN_Dmatrix* table = noisy.GetCpt();
  ASSERT_NE(table, nullptr);
  const std::vector<double> cells = CellsOf(*table);
  EXPECT_NEAR(cells[0], 0.82, 1e-12);
  EXPECT_NEAR(cells[1], 0.18, 1e-12);
  EXPECT_NEAR(cells[2], 0.1, 1e-12);
  EXPECT_NEAR(cells[3], 0.9, 1e-12);
}

TEST(NoisyMaxTest, CheckParametersMessages) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), x = net.AddNode(QDN_NOISY_MAX, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  QDN_noisyMAX& noisy = Noisy(net, x);
  QDN_Dmatrix params(*noisy.GetTable());
  char buffer[64];
  EXPECT_EQ(noisy.CheckParameters(params, buffer, sizeof buffer), QDN_NO_ERROR);
  EXPECT_STREQ(buffer, "Ok");
  params.At(2) = 0.5;
  params.At(3) = 0.5;
  EXPECT_EQ(noisy.CheckParameters(params, buffer, sizeof buffer), -4);
  EXPECT_STREQ(buffer, "Constraints violeted");
  params.At(2) = 0;
  params.At(3) = 1;
  params.At(0) = 0.5;
  params.At(1) = 0.49999;
  EXPECT_EQ(noisy.CheckParameters(params, buffer, sizeof buffer), -4);
  EXPECT_STREQ(buffer, "Probabilities don't sum up to 1");
  params.At(0) = -0.1;
  EXPECT_EQ(noisy.CheckParameters(params, buffer, 5), -4);
  EXPECT_STREQ(buffer, "Prob"); // cut to the caller's buffer
  QDN_Dmatrix wrong;
  (void)wrong.Setup(IntList({2}));
  EXPECT_EQ(noisy.CheckParameters(wrong, buffer, sizeof buffer), QDN_OUT_OF_RANGE);
  EXPECT_STREQ(buffer, "Inappropirate Dmatrix size");
}

TEST(NoisyMaxTest, LeakInclusiveParametersRoundTrip) {
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), q = net.AddNode(QDN_CPT, "q");
  const int x = net.AddNode(QDN_NOISY_MAX, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(q, x, 0), QDN_NO_ERROR);
  QDN_noisyMAX& noisy = Noisy(net, x);
  // Rows: p0, p1 (distinguished), q0, q1 (distinguished), leak.
  const QDN_doubleArray inclusive = DoubleList({0.82, 0.18, 0.6, 0.4, 0.1, 0.9});
  ASSERT_EQ(noisy.SetParameters(inclusive), QDN_NO_ERROR);
  QDN_doubleArray back;
  ASSERT_EQ(noisy.GetParameters(back), QDN_NO_ERROR);
  ASSERT_EQ(back.GetCount(), 6);
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(back.At(i), inclusive.At(i), 1e-12);
  EXPECT_EQ(noisy.SetParameters(DoubleList({0.5, 0.5})), QDN_OUT_OF_RANGE);
  // Strength lists must be permutations of the block's rows.
  EXPECT_EQ(noisy.SetParentOutcomeStrengths(0, IntList({0, 0})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(noisy.SetParentOutcomeStrengths(0, IntList({1})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(noisy.SetParentOutcomeStrengths(5, IntList({1, 0})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(noisy.SetDefinition(DoubleList({0.5})), QDN_OUT_OF_RANGE);
}

// Fitting recovers the parameters that produced a noisy-MAX table: expand
// known random parameters, fit, and compare within 1e-9.
TEST(NoisyMaxTest, FitRecoversKnownParameters) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.05, 1.0);
  QDN_network net;
  const int p = net.AddNode(QDN_CPT, "p"), q = net.AddNode(QDN_CPT, "q");
  ASSERT_EQ(static_cast<QDN_cpt*>(net.GetNode(p)->GetDefinition())->AddOutcome(nullptr),
            QDN_NO_ERROR);
  const int x = net.AddNode(QDN_NOISY_MAX, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(q, x, 0), QDN_NO_ERROR);
  QDN_noisyMAX& noisy = Noisy(net, x);
  ASSERT_EQ(noisy.AddOutcome(nullptr), QDN_NO_ERROR);
  const int n = noisy.GetNumberOfOutcomes();
  QDN_Dmatrix& params = *noisy.GetTable();
  for (int r = 0; r < params.GetDimensionSize(0); ++r) {
    double sum = 0;
    for (int k = 0; k < n; ++k)
      sum += params.At(r * n + k) = unit(random);
    for (int k = 0; k < n; ++k)
      params.At(r * n + k) /= sum;
  }
  for (int row : {2, 4}) // distinguished rows of p (3 states) and q (2 states)
    for (int k = 0; k < n; ++k)
      params.At(row * n + k) = k == n - 1 ? 1.0 : 0.0;
  const std::vector<double> known = CellsOf(params);
  ASSERT_NE(noisy.GetCpt(), nullptr);
  (void)params.Fill(1.0 / n);
  ASSERT_EQ(noisy.FitParameters(), QDN_NO_ERROR);
  const std::vector<double> fitted = CellsOf(params);
  for (size_t i = 0; i < known.size(); ++i)
    EXPECT_NEAR(fitted[i], known[i], 1e-9) << i;
  std::string message;
  EXPECT_EQ(noisy.CheckParameters(params, message), QDN_NO_ERROR) << message;

  // Converting a CPT that is not noisy-MAX still leaves valid parameters.
  const int c = net.AddNode(QDN_CPT, "c");
  ASSERT_EQ(net.AddArc(p, c, 0), QDN_NO_ERROR);
  auto& cpt = *static_cast<QDN_cpt*>(net.GetNode(c)->GetDefinition());
  ASSERT_EQ(cpt.SetProbabilities(DoubleList({0.1, 0.9, 0.7, 0.3, 0.95, 0.05})), QDN_NO_ERROR);
  ASSERT_EQ(net.ChangeNodeType(c, QDN_NOISY_MAX), QDN_NO_ERROR);
  QDN_noisyMAX& converted = Noisy(net, c);
  EXPECT_EQ(converted.CheckParameters(*converted.GetTable(), message), QDN_NO_ERROR) << message;
  EXPECT_TRUE(net.GetNode(c)->IsReady());
}

TEST(CastTest, WorkedExampleAndBaselineRange) {
  QDN_network net;
  const int p = net.AddNode(QDN_CAST, "p"), x = net.AddNode(QDN_CAST, "x");
  ASSERT_EQ(net.AddArc(p, x, 0), QDN_NO_ERROR);
  auto& cast = *static_cast<QDN_cast*>(net.GetNode(x)->GetDefinition());
  EXPECT_EQ(CellsOf(*cast.GetTable()), (std::vector<double>{0.5, 0.5, 0.5, 0.5}));
  ASSERT_EQ(cast.SetPositiveWeights(DoubleList({0.5})), QDN_NO_ERROR);
  ASSERT_EQ(cast.SetNegativeWeights(DoubleList({-0.5})), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*cast.GetTable()), (std::vector<double>{0.75, 0.25, 0.25, 0.75}));
  EXPECT_EQ(cast.SetBaseline(1.0), QDN_NO_ERROR);
  EXPECT_EQ(cast.SetBaseline(1.01), QDN_OUT_OF_RANGE);
  EXPECT_EQ(cast.SetPositiveWeights(DoubleList({0.5, 0.5})), QDN_OUT_OF_RANGE);
  const int chance = net.AddNode(QDN_CPT, "chance");
  EXPECT_EQ(net.AddArc(chance, x, 0), QDN_OUT_OF_RANGE); // CAST parents only
  EXPECT_STREQ(cast.GetOutcomesNames()->At(0), "True");
  EXPECT_EQ(cast.AddOutcome("x"), QDN_WRONG_NODE_TYPE);
}

TEST(DecisionAndUtilityTest, ListTableAndMau) {
  QDN_network net;
  const int d = net.AddNode(QDN_LIST, "d");
  auto& list = *net.GetNode(d)->GetDefinition();
  EXPECT_STREQ(list.GetOutcomesNames()->At(1), "Choice1");
  ASSERT_EQ(list.SetNumberOfOutcomes(1), QDN_NO_ERROR);
  EXPECT_EQ(list.GetNumberOfOutcomes(), 2);
  EXPECT_EQ(list.RemoveOutcome(0), QDN_OUT_OF_RANGE);

  const int u = net.AddNode(QDN_TABLE, "u");
  auto& table = *static_cast<QDN_table*>(net.GetNode(u)->GetDefinition());
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{0}));
  ASSERT_EQ(table.SetUtilities(DoubleList({5})), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(d, u, 0), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{5, 5}));
  ASSERT_EQ(list.InsertOutcome(0, "first"), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(*table.GetTable()), (std::vector<double>{0, 5, 5}));
  EXPECT_EQ(table.SetUtilities(DoubleList({1, 2})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(table.GetNumberOfOutcomes(), QDN_WRONG_NODE_TYPE);

  const int m = net.AddNode(QDN_MAU, "m");
  const int chance = net.AddNode(QDN_CPT, "c");
  EXPECT_EQ(net.AddArc(chance, m, 0), QDN_OUT_OF_RANGE);
  ASSERT_EQ(net.AddArc(u, m, 0), QDN_NO_ERROR);
  const auto& mau = *static_cast<QDN_mau*>(net.GetNode(m)->GetDefinition());
  ASSERT_EQ(mau.GetWeights().GetCount(), 1);
  EXPECT_EQ(mau.GetWeights().At(0), 1.0);
}
