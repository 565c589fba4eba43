#include "definitions/QDN_equation.h"
#include "definitions/QDN_equationText.h"
#include "definitions/QDN_expression.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "test_util.h"

namespace {

QDN_equation& Equation(QDN_network& net, int handle) {
  auto* equation = dynamic_cast<QDN_equation*>(net.GetNode(handle)->GetDefinition());
  EXPECT_NE(equation, nullptr);
  return *equation;
}

// The right side of text, parsed and printed with every operation in parentheses.
std::string Grouping(const std::string& text) {
  QDN_equationText parsed;
  std::string message;
  if (parsed.Parse(text, message) != QDN_NO_ERROR) return "error: " + message;
  return parsed.GetRight()->Print();
}

double Evaluate(const std::string& text, const std::map<std::string, double>& values = {}) {
  QDN_equationText parsed;
  std::string message;
  EXPECT_EQ(parsed.Parse(text, message), QDN_NO_ERROR) << text;
  std::mt19937_64 generator(7);
  double result = 0;
  auto lookup = [&](const std::string& id, double& out) {
    auto it = values.find(id);
    if (it == values.end()) return false;
    out = it->second;
    return true;
  };
  EXPECT_EQ(QDN_EvaluateExpression(*parsed.GetRight(), lookup, generator, result), QDN_NO_ERROR)
      << text;
  return result;
}

} // namespace

TEST(EquationTest, GroupingSignsAndFunctions) {
  EXPECT_EQ(Grouping("v = 1 - 2 - 3"), "((1-2)-3)");
  EXPECT_EQ(Grouping("v = 2 + 3 * 4"), "(2+(3*4))");
  EXPECT_EQ(Grouping("v = 2 ^ 3 ^ 2"), "((2^3)^2)");
  EXPECT_EQ(Grouping("v = -3 + 4"), "(-3+4)");
  EXPECT_EQ(Grouping("v = 2 - -3"), "(2--3)");
  EXPECT_EQ(Grouping("v = (1 + 2) * 3"), "((1+2)*3)");
  EXPECT_EQ(Grouping("v = LOG10(x) / log(y)"), "(Log10(x)/Log(y))");
  EXPECT_EQ(Grouping("v = Normal(0, 2 * s)"), "Normal(0,(2*s))");
  EXPECT_EQ(Grouping("v = Logx(1)"), "error: Equation syntax error");
  for (const char* bad : {"v = 2 +", "v = ", "v = (1", "v = 1)", "v = Log(1, 2)", "v = Normal(1)",
                          "v = 2 3", "v = 1 , 2", "v = ()", "v 1", "v = 1 = 2", "v = Log"})
    EXPECT_EQ(Grouping(bad), "error: Equation syntax error") << bad;
}

TEST(EquationTest, Evaluation) {
  EXPECT_DOUBLE_EQ(Evaluate("v = 2*p + Log10(100) - 2^3", {{"p", 1.5}}), -3.0);
  EXPECT_DOUBLE_EQ(Evaluate("v = 1 - 2 - 3"), -4.0);
  EXPECT_DOUBLE_EQ(Evaluate("v = 2^3^2"), 64.0);
  // A sign belongs to the operand right after it.
  EXPECT_DOUBLE_EQ(Evaluate("v = -p^2", {{"p", 3}}), 9.0);
  EXPECT_DOUBLE_EQ(Evaluate("v = 2 - -3"), 5.0);
  EXPECT_DOUBLE_EQ(Evaluate("v = Log(1) + 10 / 4"), 2.5);
  EXPECT_DOUBLE_EQ(Evaluate("v = Normal(5, 0) + Uniform(2, 2)"), 7.0);
  EXPECT_TRUE(std::isnan(Evaluate("v = Log(-1)")));
  const double u = Evaluate("v = Uniform(3, 1)");
  EXPECT_GE(u, 1.0);
  EXPECT_LT(u, 3.0);
  // Draws follow the distribution: the mean of many standard normal draws is near 0.
  QDN_equationText parsed;
  std::string message;
  ASSERT_EQ(parsed.Parse("v = Normal(10, 2)", message), QDN_NO_ERROR);
  EXPECT_TRUE(parsed.IsStochastic());
  std::mt19937_64 generator(1);
  double sum = 0, value = 0;
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(QDN_EvaluateExpression(
                  *parsed.GetRight(), [](const std::string&, double&) { return false; }, generator,
                  value),
              QDN_NO_ERROR);
    sum += value;
  }
  EXPECT_NEAR(sum / 20000, 10.0, 0.1);
  // A variable without a value is an error, not a silent zero.
  ASSERT_EQ(parsed.Parse("v = q + 1", message), QDN_NO_ERROR);
  EXPECT_EQ(
      QDN_EvaluateExpression(
          *parsed.GetRight(), [](const std::string&, double&) { return false; }, generator, value),
      QDN_OUT_OF_RANGE);
}

TEST(EquationTest, ANewNodeHoldsADeterministicZero) {
  QDN_network net;
  const int v = net.AddNode(QDN_EQUATION, "v");
  ASSERT_GE(v, 0);
  EXPECT_EQ(Equation(net, v).GetEquation(), "v = 0");
  EXPECT_FALSE(Equation(net, v).IsStochastic());
}

TEST(EquationTest, RefusedEquationsLeaveTheOldOneWithAMessage) {
  QDN_network net;
  const int v = net.AddNode(QDN_EQUATION, "v");
  (void)net.AddNode(QDN_EQUATION, "p");
  ClearLog();
  EXPECT_EQ(Equation(net, v).SetEquation("v = 2 +"), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Equation syntax error"));
  EXPECT_EQ(Equation(net, v).SetEquation(""), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Equation cannot be empty."));
  // p is no parent of v.
  EXPECT_EQ(Equation(net, v).SetEquation("v = p"), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains(
      "Equation contains a variable (p) which is not ID of this node or one of its parents."));
  EXPECT_EQ(Equation(net, v).GetEquation(), "v = 0");
}

TEST(EquationTest, ParentsComeAndGoWithTheEquationsVariables) {
  QDN_network net;
  const int v = net.AddNode(QDN_EQUATION, "v");
  const int p = net.AddNode(QDN_EQUATION, "p");
  const int c = net.AddNode(QDN_CPT, "c");
  ClearLog();
  EXPECT_LT(net.AddArc(c, v, 0), 0);
  EXPECT_TRUE(LogContains("Only QDN_equation or QDN_equationSCC can be the paretns."));
  EXPECT_EQ(net.GetNumberOfParents(v, 0), 0);
  ASSERT_EQ(net.AddArc(p, v, 0), QDN_NO_ERROR);
  EXPECT_EQ(Equation(net, v).GetEquation(), "v = 0+p");
  EXPECT_EQ(Equation(net, v).SetEquation("v = normal(p, 1) * Log(p)"), QDN_NO_ERROR);
  EXPECT_TRUE(Equation(net, v).IsStochastic());
  // Removing the parent keeps the equation valid: its identifier becomes 0.
  ASSERT_EQ(net.RemoveArc(p, v, 0), QDN_NO_ERROR);
  EXPECT_EQ(Equation(net, v).GetEquation(), "v = normal(0, 1) * Log(0)");
}

TEST(EquationTest, CoupledEquationsNameOneAnotherWithoutArcs) {
  QDN_network net;
  (void)net.AddNode(QDN_EQUATION, "v");
  const int a = net.AddNode(QDN_EQUATION_SCC, "a");
  const int b = net.AddNode(QDN_EQUATION_SCC, "b");
  EXPECT_EQ(Equation(net, a).SetEquation("a = b / 2"), QDN_NO_ERROR);
  ClearLog();
  EXPECT_EQ(Equation(net, b).SetEquation("b = v"), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains(
      ") which is not ID of this node, one of its parents, or one of its scc varaibles."));
}

TEST(EquationTest, LongSidesAreRefusedWholeAndDeepGroupsLimited) {
  QDN_network net;
  const int v = net.AddNode(QDN_EQUATION, "v");
  const std::string deep = "v = " + std::string(100000, '(') + "1" + std::string(100000, ')');
  ClearLog();
  EXPECT_EQ(Equation(net, v).SetEquation(deep), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Equation side is longer than 1020 characters"));
  const std::string nested = "v = " + std::string(500, '(') + "1" + std::string(500, ')');
  EXPECT_EQ(Equation(net, v).SetEquation(nested), QDN_NO_ERROR);
  // Within the length, more open groups than the parser's depth limit.
  ClearLog();
  const std::string open = "v = " + std::string(600, '(') + "1" + std::string(400, ')');
  EXPECT_EQ(Equation(net, v).SetEquation(open), QDN_OUT_OF_RANGE);
  EXPECT_TRUE(LogContains("Equation nested too deeply"));
}

TEST(EquationTest, ADistributionNodeHasNoValue) {
  QDN_network net;
  const int d = net.AddNode(QDN_DISTRIBUTION, "d");
  ASSERT_GE(d, 0);
  EXPECT_EQ(net.GetNode(d)->GetValue(), nullptr);
}

TEST(EquationTest, NativeTextRoundTrip) {
  QDN_network net;
  const int p = net.AddNode(QDN_EQUATION, "p");
  const int v = net.AddNode(QDN_EQUATION_SCC, "v");
  const int lone = net.AddNode(QDN_EQUATION, "lone");
  ASSERT_EQ(net.AddArc(p, v, 0), QDN_NO_ERROR);
  ASSERT_EQ(Equation(net, p).SetEquation("p = Uniform(0, 1)"), QDN_NO_ERROR);
  ASSERT_EQ(Equation(net, v).SetEquation("v = 2*p + Normal(0, 1)"), QDN_NO_ERROR);
  ASSERT_EQ(Equation(net, lone).SetEquation("lone = -3 + 4"), QDN_NO_ERROR);
  const std::string path = WriteTempFile("equations.qdn", "");
  ASSERT_EQ(net.WriteFile(path.c_str(), 4), QDN_NO_ERROR);

  QDN_network back;
  ClearLog();
  ASSERT_EQ(back.ReadFile(path.c_str(), 4, 0), QDN_NO_ERROR);
  ASSERT_EQ(back.GetNumberOfNodes(), 3);
  const int v2 = back.FindNode("v");
  EXPECT_EQ(back.GetNode(v2)->GetDefinition()->GetType(), QDN_EQUATION_SCC);
  EXPECT_EQ(Equation(back, v2).GetEquation(), "v = 2*p + Normal(0, 1)");
  EXPECT_EQ(Equation(back, back.FindNode("p")).GetEquation(), "p = Uniform(0, 1)");
  EXPECT_EQ(Equation(back, back.FindNode("lone")).GetEquation(), "lone = -3 + 4");
  EXPECT_EQ(back.GetNumberOfParents(v2, 0), 1);
  // Writing what was read gives the same file.
  const std::string again = WriteTempFile("equations2.qdn", "");
  ASSERT_EQ(back.WriteFile(again.c_str(), 4), QDN_NO_ERROR);
  EXPECT_EQ(ReadFileText(again), ReadFileText(path));
}
