#include <gtest/gtest.h>

#include <string>

#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_header.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_screenInfo.h"
#include "network/QDN_userProperties.h"

TEST(HeaderTest, RejectedIdentifierKeepsTheOldOne) {
  QDN_header header;
  ASSERT_EQ(header.SetId("good"), QDN_NO_ERROR);
  EXPECT_EQ(header.SetId("a b"), QDN_INVALID_IDENTIFIER);
  EXPECT_STREQ(header.GetId(), "good");
  EXPECT_STREQ(QDN_GetLastErrorText(), "ERROR: (\"a b\") : Invalid Identifier");
  ASSERT_EQ(header.SetName("x"), QDN_NO_ERROR);
  ASSERT_EQ(header.SetName(nullptr), QDN_NO_ERROR);
  EXPECT_EQ(header.GetName(), nullptr);
}

TEST(HeaderTest, NameSharedWithTheIdentifierKeepsItsText) {
  QDN_header header;
  ASSERT_EQ(header.SetId("a"), QDN_NO_ERROR);
  ASSERT_EQ(header.SetName("a"), QDN_NO_ERROR);
  ASSERT_EQ(header.SetId("b"), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "a");
  // A name given first is shared once the identifier agrees with it.
  ASSERT_EQ(header.SetName("same"), QDN_NO_ERROR);
  ASSERT_EQ(header.SetId(header.GetName()), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetId(), "same");
  ASSERT_EQ(header.SetId(header.GetId()), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "same");
  const QDN_header copy(header);
  ASSERT_EQ(header.SetIdUnchecked(nullptr), QDN_NO_ERROR);
  EXPECT_EQ(header.GetId(), nullptr);
  EXPECT_STREQ(header.GetName(), "same");
  EXPECT_STREQ(copy.GetId(), "same");
  EXPECT_STREQ(copy.GetName(), "same");
  QDN_header other;
  ASSERT_EQ(other.SetName("kept"), QDN_NO_ERROR);
  ASSERT_EQ(other.CopyFrom(copy), QDN_NO_ERROR);
  EXPECT_STREQ(other.GetName(), "same");
  ASSERT_EQ(other.SetName(nullptr), QDN_NO_ERROR);
  EXPECT_EQ(other.GetName(), nullptr);
  EXPECT_STREQ(other.GetId(), "same");
  other.Release(0);
  EXPECT_EQ(other.GetId(), nullptr);
  EXPECT_EQ(other.GetName(), nullptr);
}

TEST(HeaderTest, NameAndCommentChangeApartAndFromEachOther) {
  QDN_header header;
  EXPECT_EQ(header.GetComment(), nullptr);
  ASSERT_EQ(header.SetComment("a comment"), QDN_NO_ERROR);
  EXPECT_EQ(header.GetName(), nullptr);
  ASSERT_EQ(header.SetName(""), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "");
  EXPECT_STREQ(header.GetComment(), "a comment");
  // Texts taken from the header itself.
  ASSERT_EQ(header.SetName(header.GetComment() + 2), QDN_NO_ERROR);
  ASSERT_EQ(header.SetComment(header.GetName()), QDN_NO_ERROR);
  ASSERT_EQ(header.SetName(header.GetName() + 1), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "omment");
  EXPECT_STREQ(header.GetComment(), "comment");
  ASSERT_EQ(header.SetComment(nullptr), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "omment");
  EXPECT_EQ(header.GetComment(), nullptr);
  // A name shared with the identifier leaves the comment alone.
  ASSERT_EQ(header.SetComment(std::string(300, 'c').c_str()), QDN_NO_ERROR);
  ASSERT_EQ(header.SetId("omment"), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "omment");
  EXPECT_EQ(std::string(header.GetComment()), std::string(300, 'c'));
  ASSERT_EQ(header.SetId("next"), QDN_NO_ERROR);
  EXPECT_STREQ(header.GetName(), "omment");
  EXPECT_EQ(std::string(header.GetComment()), std::string(300, 'c'));
  QDN_header copy(header);
  ASSERT_EQ(header.SetName(nullptr), QDN_NO_ERROR);
  EXPECT_STREQ(copy.GetName(), "omment");
  EXPECT_EQ(std::string(copy.GetComment()), std::string(300, 'c'));
  EXPECT_EQ(header.GetName(), nullptr);
  ASSERT_EQ(copy.CopyFrom(header), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetName(), nullptr);
  copy = copy;
  EXPECT_EQ(std::string(copy.GetComment()), std::string(300, 'c'));
  copy.Release(0);
  EXPECT_EQ(copy.GetComment(), nullptr);
}

TEST(ScreenInfoTest, DefaultsFillOnlyUnsetFields) {
  QDN_screenInfo fresh;
  EXPECT_EQ(fresh.position, QDN_rectangle{});
  EXPECT_EQ(fresh.color, QDN_screenInfo::kUnset);
  EXPECT_EQ(fresh.arc_flags, 3u);
  QDN_screenInfo defaults;
  defaults.color = 5;
  defaults.position.x1 = 80;
  defaults.font = 2;
  QDN_screenInfo screen;
  screen.color = 7;
  screen.arc_flags = 0;
  ASSERT_EQ(screen.ApplyDefaults(defaults), QDN_NO_ERROR);
  EXPECT_EQ(screen.color, 7);
  EXPECT_EQ(screen.position.x1, 80);
  EXPECT_EQ(screen.font, 2);
  EXPECT_EQ(screen.arc_flags, 0u);
}

TEST(UserPropertiesTest, AddingAnExistingNameMovesThePair) {
  QDN_userProperties props;
  ASSERT_EQ(props.AddProperty("p", "1"), QDN_NO_ERROR);
  ASSERT_EQ(props.AddProperty("q", "2"), QDN_NO_ERROR);
  ASSERT_EQ(props.AddProperty("p", "3"), QDN_NO_ERROR);
  ASSERT_EQ(props.GetCount(), 2);
  EXPECT_STREQ(props.GetName(0), "q");
  EXPECT_STREQ(props.GetName(1), "p");
  EXPECT_STREQ(props.GetValue(1), "3");
  EXPECT_EQ(props.AddProperty("bad name", "x"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(props.AppendProperty("q", "x"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(props.GetCount(), 2);
  // Inserting an existing name at its own position only replaces the value.
  ASSERT_EQ(props.InsertProperty(0, "q", "9"), QDN_NO_ERROR);
  EXPECT_STREQ(props.GetValue(0), "9");
  ASSERT_EQ(props.InsertProperty(0, "p", "0"), QDN_NO_ERROR);
  EXPECT_STREQ(props.GetName(0), "p");
  EXPECT_STREQ(props.GetName(1), "q");
  props.CheckConsistency(1);
  EXPECT_TRUE(props.IsConsistent());
  // Texts taken from the list itself, also from the pair being moved.
  ASSERT_EQ(props.AddProperty(props.GetName(0), props.GetValue(1)), QDN_NO_ERROR);
  EXPECT_STREQ(props.GetName(1), "p");
  EXPECT_STREQ(props.GetValue(1), "9");
  ASSERT_EQ(props.AddProperty("r", props.GetName(0)), QDN_NO_ERROR);
  ASSERT_EQ(props.InsertProperty(2, "r", props.GetValue(2)), QDN_NO_ERROR);
  ASSERT_EQ(props.AddProperty("v", nullptr), QDN_NO_ERROR);
  ASSERT_EQ(props.RemoveProperty(0), QDN_NO_ERROR);
  ASSERT_EQ(props.GetCount(), 3);
  EXPECT_STREQ(props.GetName(0), "p");
  EXPECT_STREQ(props.GetValue(1), "q");
  EXPECT_EQ(props.GetValue(2), nullptr);
  EXPECT_EQ(props.FindProperty(nullptr), QDN_OUT_OF_RANGE);
  for (int i = 0; i < 20; ++i) {
    std::string name = "x";
    name += std::to_string(i);
    ASSERT_EQ(props.AppendProperty(name.c_str(), "1"), QDN_NO_ERROR);
  }
  props.CheckConsistency(1);
  EXPECT_TRUE(props.IsConsistent());
  EXPECT_EQ(props.FindProperty("x19"), 22);
}

TEST(UserPropertiesTest, ListsNeverFilledReadAsEmpty) {
  QDN_userProperties empty;
  EXPECT_EQ(empty.GetCount(), 0);
  EXPECT_EQ(empty.GetName(0), nullptr);
  EXPECT_EQ(empty.GetValue(0), nullptr);
  EXPECT_EQ(empty.FindProperty("p"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(empty.RemoveProperty(0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(empty.InsertProperty(1, "p", "1"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(empty.AppendProperty("bad name", "1"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(empty.GetCount(), 0);
  empty.CheckReadiness(1);
  empty.CheckConsistency(1);
  EXPECT_TRUE(empty.IsReady() && empty.IsConsistent());

  QDN_userProperties props;
  ASSERT_EQ(props.AppendProperty("p", "1"), QDN_NO_ERROR);
  QDN_userProperties copy(props);
  ASSERT_EQ(copy.AddProperty("q", "2"), QDN_NO_ERROR);
  EXPECT_EQ(props.GetCount(), 1);
  EXPECT_EQ(copy.GetCount(), 2);
  ASSERT_EQ(copy.CopyFrom(empty), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetCount(), 0);
  copy = props;
  EXPECT_STREQ(copy.GetValue(0), "1");
  props.Release(0);
  EXPECT_EQ(props.GetCount(), 0);
  EXPECT_EQ(props.FindProperty("p"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(copy.FindProperty("p"), 0);

  QDN_documentation docs;
  EXPECT_EQ(docs.GetCount(), 0);
  EXPECT_EQ(docs.GetTitle(0), nullptr);
  docs.CheckConsistency(0);
  EXPECT_TRUE(docs.IsConsistent());
  ASSERT_EQ(docs.Add("title", "path"), QDN_NO_ERROR);
  const QDN_documentation saved(docs);
  docs.Release(0);
  EXPECT_EQ(docs.GetCount(), 0);
  ASSERT_EQ(docs.CopyFrom(saved), QDN_NO_ERROR);
  EXPECT_STREQ(docs.GetPath(0), "path");
}

TEST(ExtraDefinitionTest, OutcomesWithoutRecordsFollowChangesToo) {
  QDN_extraDefinition extra(nullptr, 0, 2);
  const QDN_extraDefinition& view = extra;
  EXPECT_FALSE(view.GetOutcome(1).fault);
  EXPECT_FALSE(view.GetOutcome(1).long_name);
  EXPECT_EQ(view.GetOutcome(1).Documentation().GetCount(), 0);
  EXPECT_EQ(view.Costs().GetCount(), 0);
  ASSERT_EQ(extra.Costs().Append(1.5), QDN_NO_ERROR);
  EXPECT_DOUBLE_EQ(view.Costs().At(0), 1.5);
  // The default state follows an outcome inserted before it.
  ASSERT_EQ(extra.InsertOutcome(0), QDN_NO_ERROR);
  EXPECT_EQ(extra.default_state, 1);
  EXPECT_EQ(extra.GetNumberOfOutcomes(), 3);
  QDN_intArray none;
  ASSERT_EQ(extra.SetFaultStateIndices(none), QDN_NO_ERROR);
  EXPECT_EQ(extra.SetFaultLabel(2, nullptr), QDN_NO_ERROR);
  // The first write makes a record for every current outcome.
  extra.GetOutcome(2).long_name = "last";
  ASSERT_EQ(extra.RemoveOutcome(0), QDN_NO_ERROR);
  EXPECT_EQ(view.GetOutcome(1).long_name, "last");
  QDN_intArray order;
  for (int i : {1, 0})
    (void)order.Append(i);
  ASSERT_EQ(extra.ReorderOutcomes(order), QDN_NO_ERROR);
  EXPECT_EQ(view.GetOutcome(0).long_name, "last");
  EXPECT_EQ(extra.default_state, 1);
  extra.Rebuild(4);
  EXPECT_EQ(extra.GetNumberOfOutcomes(), 4);
  EXPECT_FALSE(view.GetOutcome(0).long_name);
  EXPECT_EQ(extra.default_state, 0);
}

TEST(ExtraDefinitionTest, PerOutcomeDataFollowsTheOutcomes) {
  QDN_extraDefinition extra(nullptr, 0, 3);
  EXPECT_EQ(extra.troubleType, 2);
  EXPECT_EQ(extra.default_state, 0);
  EXPECT_EQ(extra.show_as, 4);
  EXPECT_FALSE(extra.ranked || extra.mandatory || extra.set_as_default);
  QDN_intArray faults;
  (void)faults.Append(2);
  ASSERT_EQ(extra.SetFaultStateIndices(faults), QDN_NO_ERROR);
  ASSERT_EQ(extra.SetDefaultState(2), QDN_NO_ERROR);
  ASSERT_EQ(extra.SetFaultLabel(0, "L0"), QDN_NO_ERROR);
  EXPECT_EQ(extra.SetFaultLabel(1, "L0"), QDN_OUT_OF_RANGE);
  ASSERT_EQ(extra.InsertOutcome(0), QDN_NO_ERROR);
  EXPECT_EQ(extra.default_state, 3);
  EXPECT_TRUE(extra.GetOutcome(3).fault);
  EXPECT_EQ(extra.GetOutcome(1).fault_label, "L0");
  ASSERT_EQ(extra.RemoveOutcome(1), QDN_NO_ERROR);
  QDN_intArray order;
  for (int i : {2, 0, 1})
    (void)order.Append(i);
  ASSERT_EQ(extra.ReorderOutcomes(order), QDN_NO_ERROR);
  EXPECT_EQ(extra.default_state, 0);
  EXPECT_TRUE(extra.GetOutcome(0).fault);
  QDN_intArray indices;
  extra.GetFaultStateIndices(indices);
  ASSERT_EQ(indices.GetCount(), 1);
  EXPECT_EQ(indices.At(0), 0);
  faults.Clear();
  (void)faults.Append(3);
  EXPECT_EQ(extra.SetFaultStateIndices(faults), QDN_OUT_OF_RANGE);
}

TEST(CostDefinitionTest, CostsStayAtTheirParentStates) {
  // Without definitions every node counts as one outcome; the table still
  // gains and loses one dimension per cost parent.
  QDN_network net;
  const int a = net.AddNode(0, "a"), b = net.AddNode(0, "b"), c = net.AddNode(0, "c");
  QDN_costDefinition& cost = net.GetNode(c)->GetCost();
  EXPECT_FALSE(cost.HasCosts());
  const double one = 4.5;
  ASSERT_EQ(cost.SetCosts(&one, 1), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(a, c, 1), QDN_NO_ERROR);
  ASSERT_EQ(net.AddArc(b, c, 1), QDN_NO_ERROR);
  EXPECT_EQ(cost.GetCosts().GetNumberOfDimensions(), 3);
  ASSERT_EQ(cost.AddParentOutcome(a, 1), QDN_NO_ERROR);
  EXPECT_EQ(cost.GetCosts().GetSize(), 2);
  EXPECT_EQ(cost.GetCosts().At(0), 4.5);
  EXPECT_EQ(cost.GetCosts().At(1), kNotApplicableValue);
  ASSERT_EQ(cost.RemoveParentOutcome(a, 0), QDN_NO_ERROR);
  EXPECT_EQ(cost.GetCosts().At(0), kNotApplicableValue);
  ASSERT_EQ(net.RemoveArc(a, c, 1), QDN_NO_ERROR);
  EXPECT_EQ(cost.GetParents().GetCount(), 1);
  EXPECT_EQ(cost.GetCosts().GetNumberOfDimensions(), 2);
  const double two[] = {1, 2};
  EXPECT_EQ(cost.SetCosts(two, 2), QDN_OUT_OF_RANGE);
}
