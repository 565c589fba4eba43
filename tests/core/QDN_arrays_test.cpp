#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"

namespace {

QDN_intArray Ints(std::initializer_list<int> values) {
  QDN_intArray a;
  for (int v : values)
    EXPECT_EQ(a.Append(v), QDN_NO_ERROR);
  return a;
}

std::vector<int> Items(const QDN_intArray& a) {
  return std::vector<int>(a.Data(), a.Data() + a.GetCount());
}

std::vector<std::string> Texts(const QDN_stringArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetCount(); ++i)
    out.emplace_back(a.At(i) ? a.At(i) : "(null)");
  return out;
}

} // namespace

// Short arrays keep their items inside the object, longer ones on the heap:
// items must survive every move between the two, whichever way it goes.
TEST(IntArrayTest, ItemsSurviveMovesBetweenInlineAndHeapStorage) {
  for (int count = 0; count <= 3 * QDN_intArray::kInlineCapacity; ++count) {
    SCOPED_TRACE(count);
    std::vector<int> want;
    QDN_intArray a;
    for (int i = 0; i < count; ++i) {
      // Alternately at the front and at the end.
      if (i % 2) {
        ASSERT_EQ(a.InsertAt(0, i), QDN_NO_ERROR);
        want.insert(want.begin(), i);
      } else {
        ASSERT_EQ(a.Append(i), QDN_NO_ERROR);
        want.push_back(i);
      }
    }
    EXPECT_EQ(Items(a), want);
    QDN_intArray copy(a), assigned = Ints({7});
    assigned = a;
    EXPECT_EQ(Items(copy), want);
    EXPECT_EQ(Items(assigned), want);
    // Adopted by a long and by a short array.
    QDN_intArray long_one = Ints({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
    ASSERT_EQ(long_one.Adopt(copy), QDN_NO_ERROR);
    EXPECT_EQ(Items(long_one), want);
    EXPECT_EQ(copy.GetCount(), 0);
    // The donor keeps no part of the storage it gave away.
    EXPECT_FALSE(copy.UsesHeap());
    ASSERT_EQ(copy.Append(5), QDN_NO_ERROR);
    EXPECT_EQ(Items(copy), std::vector<int>{5});
    EXPECT_EQ(Items(long_one), want);
    QDN_intArray short_one = Ints({1});
    ASSERT_EQ(short_one.Adopt(assigned), QDN_NO_ERROR);
    EXPECT_EQ(Items(short_one), want);
    // Emptied down and filled again.
    while (a.GetCount() > 0)
      ASSERT_EQ(a.RemoveAt(0), QDN_NO_ERROR);
    a.Release(0);
    ASSERT_EQ(a.Append(42), QDN_NO_ERROR);
    EXPECT_EQ(Items(a), std::vector<int>{42});
  }
}

TEST(IntArrayTest, RemovalKeepsOrderOnlyWhenOrdered) {
  QDN_intArray a = Ints({1, 2, 3});
  ASSERT_EQ(a.RemoveAt(0), QDN_NO_ERROR);
  EXPECT_EQ(Items(a), (std::vector<int>{2, 3}));
  QDN_intArray b = Ints({1, 2, 3});
  b.ClearOrdered(0);
  ASSERT_EQ(b.RemoveAt(0), QDN_NO_ERROR);
  EXPECT_EQ(Items(b), (std::vector<int>{3, 2}));
}

TEST(IntArrayTest, RemoveAtChecksTheCountNotTheSize) {
  QDN_intArray a(5, 0); // size 5, count 0
  EXPECT_EQ(a.RemoveAt(0), QDN_OUT_OF_RANGE);
  ASSERT_EQ(a.Append(7), QDN_NO_ERROR);
  EXPECT_EQ(a.RemoveAt(1), QDN_OUT_OF_RANGE);
  EXPECT_EQ(a.RemoveAt(-1), QDN_OUT_OF_RANGE);
  EXPECT_EQ(a.RemoveAt(0), QDN_NO_ERROR);
  EXPECT_EQ(a.GetCount(), 0);
}

TEST(IntArrayTest, ResizeEmptiesAndEnsureSizeKeepsItemsThatFit) {
  QDN_intArray a = Ints({1, 2, 3});
  ASSERT_EQ(a.Resize(5), QDN_NO_ERROR);
  EXPECT_EQ(a.GetCount(), 0);
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.Resize(-1), QDN_OUT_OF_RANGE);

  QDN_intArray b = Ints({4, 5, 6});
  ASSERT_EQ(b.EnsureSize(2), QDN_NO_ERROR);
  EXPECT_EQ(b.GetCount(), 0);
  EXPECT_EQ(b.GetSize(), 3);
  EXPECT_EQ(b.At(0), 4);
  EXPECT_EQ(b.At(2), 6);
}

TEST(IntArrayTest, InsertAtTakesPositionsUpToTheCount) {
  QDN_intArray c = Ints({1, 2});
  EXPECT_EQ(c.InsertAt(2, 9), QDN_NO_ERROR);
  EXPECT_EQ(c.InsertAt(4, 9), QDN_OUT_OF_RANGE);
  EXPECT_EQ(c.InsertAt(0, 0), QDN_NO_ERROR);
  EXPECT_EQ(Items(c), (std::vector<int>{0, 1, 2, 9}));
}

TEST(IntArrayTest, ValuesAreFoundAppendedOnceAndRemoved) {
  QDN_intArray c = Ints({0, 1, 2, 9});
  EXPECT_EQ(c.AppendUnique(2), QDN_OUT_OF_RANGE);
  EXPECT_EQ(c.IndexOf(9), 3);
  EXPECT_EQ(c.RemoveValue(1), QDN_NO_ERROR);
  EXPECT_EQ(c.RemoveValue(1), QDN_OUT_OF_RANGE);
  EXPECT_EQ(Items(c), (std::vector<int>{0, 2, 9}));
}

TEST(IntArrayTest, CopyAndAdoptKeepItems) {
  QDN_intArray big;
  for (int i = 0; i < 100; ++i)
    (void)big.Append(i);
  QDN_intArray copy(big);
  EXPECT_EQ(Items(copy), Items(big));
  QDN_intArray adopted;
  ASSERT_EQ(adopted.Adopt(copy), QDN_NO_ERROR);
  EXPECT_EQ(Items(adopted), Items(big));
  EXPECT_EQ(copy.GetCount(), 0);
  QDN_intArray small = Ints({3, 4});
  ASSERT_EQ(adopted.Adopt(small), QDN_NO_ERROR);
  EXPECT_EQ(Items(adopted), (std::vector<int>{3, 4}));
}

TEST(ArraysTest, PermuteMovesItemsOrRefuses) {
  QDN_intArray order = Ints({2, 0, 1});
  QDN_intArray ints = Ints({10, 20, 30});
  ASSERT_EQ(ints.Permute(order), QDN_NO_ERROR);
  EXPECT_EQ(Items(ints), (std::vector<int>{30, 10, 20}));

  QDN_doubleArray doubles;
  for (double v : {10.0, 20.0, 30.0})
    (void)doubles.Append(v);
  ASSERT_EQ(doubles.Permute(order), QDN_NO_ERROR);
  EXPECT_EQ(doubles.At(0), 30.0);
  EXPECT_EQ(doubles.At(2), 20.0);

  QDN_stringArray texts;
  for (const char* t : {"a", "b", "c"})
    (void)texts.Append(t);
  ASSERT_EQ(texts.Permute(order), QDN_NO_ERROR);
  EXPECT_EQ(Texts(texts), (std::vector<std::string>{"c", "a", "b"}));

  for (auto bad : {Ints({0, 0, 1}), Ints({0, 1, 3}), Ints({0, 1})}) {
    QDN_intArray kept = Ints({10, 20, 30});
    EXPECT_EQ(kept.Permute(bad), QDN_OUT_OF_RANGE);
    EXPECT_EQ(Items(kept), (std::vector<int>{10, 20, 30}));
  }
}

TEST(DoubleArrayTest, GrowsByDeltaAndBoundsAccess) {
  QDN_doubleArray a;
  EXPECT_EQ(a.At(-1), -2.0);
  EXPECT_EQ(a.At(0), -2.0);
  ASSERT_EQ(a.Append(1.5), QDN_NO_ERROR);
  EXPECT_EQ(a.GetSize(), 10);
  for (int i = 0; i < 10; ++i)
    ASSERT_EQ(a.Append(i), QDN_NO_ERROR);
  EXPECT_EQ(a.GetSize(), 20);
  EXPECT_EQ(a.GetCount(), 11);
  // Writing through the out-of-range slot never reaches the items.
  a.At(100) = 7.0;
  EXPECT_EQ(a.At(100), -2.0);

  QDN_doubleArray wide(0, 100);
  (void)wide.Append(1);
  EXPECT_EQ(wide.GetSize(), 100);
  wide.Release(0);
  (void)wide.Append(1);
  EXPECT_EQ(wide.GetSize(), 10); // Release returns the step to 10
}

TEST(DoubleArrayTest, InsertRemoveResize) {
  QDN_doubleArray a;
  for (double v : {1.0, 2.0, 3.0})
    (void)a.Append(v);
  EXPECT_EQ(a.InsertAt(4, 9.0), QDN_OUT_OF_RANGE);
  ASSERT_EQ(a.InsertAt(1, 9.0), QDN_NO_ERROR);
  EXPECT_EQ(a.At(1), 9.0);
  EXPECT_EQ(a.At(3), 3.0);
  ASSERT_EQ(a.RemoveAt(0), QDN_NO_ERROR);
  EXPECT_EQ(a.At(0), 9.0);
  const int size = a.GetSize();
  ASSERT_EQ(a.EnsureSize(2), QDN_NO_ERROR);
  EXPECT_EQ(a.GetSize(), size);
  EXPECT_EQ(a.At(0), 9.0);
  EXPECT_EQ(a.GetCount(), 0);

  QDN_doubleArray b(3, 0), c;
  b.At(0) = 4;
  ASSERT_EQ(c.Assign(b), QDN_NO_ERROR);
  EXPECT_EQ(c.GetSize(), 3);
  EXPECT_EQ(c.At(0), 4);
  EXPECT_EQ(c.Assign(c), QDN_NO_ERROR);
  EXPECT_EQ(c.At(0), 4);
}

TEST(StringArrayTest, StoresCopiesAndNullSlots) {
  QDN_stringArray a;
  std::string text = "first";
  ASSERT_EQ(a.Append(text.c_str()), QDN_NO_ERROR);
  text[0] = 'X';
  EXPECT_STREQ(a.At(0), "first");
  ASSERT_EQ(a.Append(nullptr), QDN_NO_ERROR);
  EXPECT_EQ(a.At(1), nullptr);
  EXPECT_EQ(a.IndexOf("first"), 0);
  EXPECT_EQ(a.IndexOf("First"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(a.IndexOf(nullptr), QDN_OUT_OF_RANGE);
  EXPECT_EQ(a.SetAt(a.GetSize(), "x"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(a.RemoveAt(5), QDN_OUT_OF_RANGE);
  ASSERT_EQ(a.RemoveAt(0), QDN_NO_ERROR);
  EXPECT_EQ(a.GetCount(), 1);
  a.Clear();
  EXPECT_EQ(a.GetCount(), 0);
}

TEST(StringArrayTest, TextsFromTheArrayItselfSurviveItsGrowth) {
  QDN_stringArray a(0, 1);
  ASSERT_EQ(a.Append("a fairly long first text"), QDN_NO_ERROR);
  // Each insertion grows the storage while its text lies in the old one.
  for (int i = 0; i < 20; ++i)
    ASSERT_EQ(a.InsertAt(0, a.At(a.GetCount() - 1)), QDN_NO_ERROR);
  ASSERT_EQ(a.GetCount(), 21);
  for (int i = 0; i < 21; ++i)
    EXPECT_STREQ(a.At(i), "a fairly long first text");
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(a.SetAt(i % 21, a.At((i + 1) % 21)), QDN_NO_ERROR);
  EXPECT_STREQ(a.At(20), "a fairly long first text");
  const std::string longer(1000, 'z');
  ASSERT_EQ(a.SetAt(3, longer.c_str()), QDN_NO_ERROR);
  ASSERT_EQ(a.SetAt(4, a.At(3)), QDN_NO_ERROR);
  EXPECT_EQ(a.ViewAt(4), longer);
}

TEST(StringArrayTest, ShortCopiesKeptInPlaceBehaveAsAnyOther) {
  QDN_stringArray names;
  ASSERT_EQ(names.Append("low"), QDN_NO_ERROR);
  ASSERT_EQ(names.Append("high"), QDN_NO_ERROR);
  QDN_stringArray copy(names); // small enough to be kept in place
  EXPECT_STREQ(copy.At(0), "low");
  EXPECT_STREQ(copy.At(1), "high");
  EXPECT_EQ(copy.GetCount(), 2);
  // A text of the copy itself goes in while the copy moves to the heap.
  ASSERT_EQ(copy.Append(copy.At(1)), QDN_NO_ERROR);
  ASSERT_EQ(copy.SetAt(0, copy.At(2)), QDN_NO_ERROR);
  EXPECT_STREQ(copy.At(0), "high");
  EXPECT_STREQ(copy.At(2), "high");
  QDN_stringArray in_place;
  ASSERT_EQ(in_place.Assign(names), QDN_NO_ERROR);
  ASSERT_EQ(in_place.SetAt(0, in_place.At(1)), QDN_NO_ERROR);
  ASSERT_EQ(in_place.RemoveAt(1), QDN_NO_ERROR);
  EXPECT_STREQ(in_place.At(0), "high");
  EXPECT_EQ(in_place.At(1), nullptr);
  // Assigned over a heap block and back.
  ASSERT_EQ(copy.Assign(names), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetCount(), 2);
  EXPECT_STREQ(copy.At(1), "high");
  QDN_stringArray big;
  ASSERT_EQ(big.Append("a text too long to be kept in place"), QDN_NO_ERROR);
  ASSERT_EQ(copy.Assign(big), QDN_NO_ERROR);
  EXPECT_STREQ(copy.At(0), "a text too long to be kept in place");
  const QDN_stringArray& same = names;
  copy = names;
  copy = copy;
  EXPECT_EQ(copy.Assign(same), QDN_NO_ERROR);
  EXPECT_STREQ(copy.At(0), "low");
  // Adopted and permuted in place.
  QDN_stringArray taker;
  ASSERT_EQ(taker.Append("old"), QDN_NO_ERROR);
  ASSERT_EQ(taker.Adopt(copy), QDN_NO_ERROR);
  EXPECT_EQ(copy.At(0), nullptr);
  QDN_intArray order;
  (void)order.Append(1);
  (void)order.Append(0);
  ASSERT_EQ(taker.Permute(order), QDN_NO_ERROR);
  EXPECT_STREQ(taker.At(0), "high");
  EXPECT_STREQ(taker.At(1), "low");
  taker.Clear();
  EXPECT_EQ(taker.At(0), nullptr);
  ASSERT_EQ(taker.Append("after"), QDN_NO_ERROR);
  EXPECT_STREQ(taker.At(0), "after");
  QDN_stringArray empty_copy{QDN_stringArray()};
  EXPECT_EQ(empty_copy.GetCount(), 0);
  EXPECT_EQ(empty_copy.At(0), nullptr);
}

// Every operation against a plain list of optional texts, over random
// sequences that replace, insert, remove and reorder many times.
TEST(StringArrayTest, MatchesAPlainListThroughRandomChanges) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    QDN_stringArray a(0, 1 + round % 4);
    if (round % 2) a.ClearOrdered(0);
    std::vector<std::optional<std::string>> model; // size slots
    int count = 0;
    auto text = [&](int n) -> std::optional<std::string> {
      if (n % 7 == 0) return std::nullopt;
      return std::string(static_cast<size_t>(n % 40), static_cast<char>('a' + n % 26));
    };
    for (int step = 0; step < 400; ++step) {
      const int n = static_cast<int>(random() % 1000);
      const std::optional<std::string> t = text(n);
      const char* c = t ? t->c_str() : nullptr;
      switch (random() % 9) {
      case 0:
      case 1:
      case 2: {
        const int at = count ? n % (count + 1) : 0;
        ASSERT_EQ(a.InsertAt(at, c), QDN_NO_ERROR);
        if (count == static_cast<int>(model.size())) model.resize(model.size() + a.GetDelta());
        std::move_backward(model.begin() + at, model.begin() + count, model.begin() + count + 1);
        model[static_cast<size_t>(at)] = t;
        ++count;
        break;
      }
      case 3:
      case 4:
        if (!model.empty()) {
          const int at = n % static_cast<int>(model.size());
          ASSERT_EQ(a.SetAt(at, c), QDN_NO_ERROR);
          model[static_cast<size_t>(at)] = t;
        }
        break;
      case 5:
        if (count) {
          const int at = n % count;
          ASSERT_EQ(a.RemoveAt(at), QDN_NO_ERROR);
          --count;
          if (a.IsOrdered()) {
            std::move(model.begin() + at + 1, model.begin() + count + 1, model.begin() + at);
          } else {
            model[static_cast<size_t>(at)] = model[static_cast<size_t>(count)];
          }
          model[static_cast<size_t>(count)].reset();
        }
        break;
      case 6: {
        QDN_intArray order;
        std::vector<int> perm(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
          perm[static_cast<size_t>(i)] = i;
        std::shuffle(perm.begin(), perm.end(), random);
        for (int v : perm)
          (void)order.Append(v);
        ASSERT_EQ(a.Permute(order), QDN_NO_ERROR);
        const auto old = model;
        for (int i = 0; i < count; ++i)
          model[static_cast<size_t>(i)] = old[static_cast<size_t>(perm[static_cast<size_t>(i)])];
        break;
      }
      case 7: {
        QDN_stringArray copy(a);
        ASSERT_EQ(a.Assign(copy), QDN_NO_ERROR);
        if (n % 50 == 0) {
          a.Clear();
          for (auto& slot : model)
            slot.reset();
          count = 0;
        }
        break;
      }
      default:
        if (count) {
          const int at = n % count;
          ASSERT_EQ(a.IndexOf(c), [&] {
            for (int i = 0; c && i < count; ++i)
              if (model[static_cast<size_t>(i)] == t) return i;
            return QDN_OUT_OF_RANGE;
          }()) << at;
        }
      }
      ASSERT_EQ(a.GetSize(), static_cast<int>(model.size()));
      ASSERT_EQ(a.GetCount(), count);
      for (size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(a.At(static_cast<int>(i)) != nullptr, model[i].has_value())
            << round << " " << step;
        if (model[i]) {
          ASSERT_EQ(a.ViewAt(static_cast<int>(i)), *model[i]) << round << " " << step;
        }
      }
    }
  }
}

TEST(StringArrayTest, ResizeKeepsTextsOnlyAtTheSameSize) {
  QDN_stringArray a(3, 0);
  ASSERT_EQ(a.SetAt(2, "kept"), QDN_NO_ERROR);
  ASSERT_EQ(a.Resize(3), QDN_NO_ERROR);
  EXPECT_STREQ(a.At(2), "kept");
  EXPECT_EQ(a.GetCount(), 0);
  ASSERT_EQ(a.EnsureSize(2), QDN_NO_ERROR);
  EXPECT_STREQ(a.At(2), "kept");
  ASSERT_EQ(a.Resize(4), QDN_NO_ERROR);
  EXPECT_EQ(a.At(2), nullptr);
  QDN_stringArray donor;
  ASSERT_EQ(donor.Append("given"), QDN_NO_ERROR);
  ASSERT_EQ(a.Adopt(donor), QDN_NO_ERROR);
  EXPECT_STREQ(a.At(0), "given");
  EXPECT_EQ(donor.GetSize(), 0);
  EXPECT_EQ(donor.At(0), nullptr);
  a.Release(0);
  EXPECT_EQ(a.GetSize(), 0);
  EXPECT_EQ(a.At(0), nullptr);
  ASSERT_EQ(a.Append("again"), QDN_NO_ERROR);
  EXPECT_STREQ(a.At(0), "again");
}

TEST(IdArrayTest, RefusesWhatIsNoIdentifier) {
  QDN_idArray ids;
  for (const char* text : {"1abc", "a b", "", "caf\xe9"})
    EXPECT_EQ(ids.Append(text), QDN_OUT_OF_RANGE) << text;
  EXPECT_EQ(ids.GetCount(), 0);
}

TEST(IdArrayTest, RefusesAnIdentifierAnotherSlotHolds) {
  QDN_idArray ids;
  ASSERT_EQ(ids.Append("State_1"), QDN_NO_ERROR);
  EXPECT_EQ(ids.Append("State_1"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ids.InsertAt(0, "State_1"), QDN_OUT_OF_RANGE);
  // Renaming a slot to its own text is allowed, to another's is not.
  ASSERT_EQ(ids.Append("b"), QDN_NO_ERROR);
  EXPECT_EQ(ids.SetAt(0, "State_1"), QDN_NO_ERROR);
  EXPECT_EQ(ids.SetAt(0, "b"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(Texts(ids), (std::vector<std::string>{"State_1", "b"}));
}

TEST(IdArrayTest, AppendUniqueIdRepairsAndNumbersTexts) {
  QDN_idArray ids;
  ASSERT_EQ(ids.AppendUniqueId("1abc", -1), QDN_NO_ERROR);
  ASSERT_EQ(ids.AppendUniqueId("State", -1), QDN_NO_ERROR);
  ASSERT_EQ(ids.AppendUniqueId("State", -1), QDN_NO_ERROR);
  ASSERT_EQ(ids.AppendUniqueId("a-b c", 5), QDN_NO_ERROR);
  EXPECT_EQ(Texts(ids), (std::vector<std::string>{"x1abc", "State", "State0", "a_b_c5"}));
}

TEST(IdArrayTest, LongListsStayUniqueThroughTheIndex) {
  QDN_idArray ids;
  for (int i = 0; i < 1000; ++i) {
    std::string name = "s"; // appended, not "s" + ...: g++ 12 warns falsely on that form
    name += std::to_string(i);
    ASSERT_EQ(ids.Append(name.c_str()), QDN_NO_ERROR);
  }
  EXPECT_EQ(ids.Append("s999"), QDN_OUT_OF_RANGE);
  ASSERT_EQ(ids.RemoveAt(999), QDN_NO_ERROR);
  EXPECT_EQ(ids.Append("s999"), QDN_NO_ERROR);
  EXPECT_EQ(ids.SetAt(0, "s5"), QDN_OUT_OF_RANGE);
  ASSERT_EQ(ids.SetAt(0, "first"), QDN_NO_ERROR);
  EXPECT_EQ(ids.Append("s0"), QDN_NO_ERROR);
  EXPECT_EQ(ids.Append("first"), QDN_OUT_OF_RANGE);
  ids.CheckConsistency(0);
  EXPECT_TRUE(ids.IsConsistent());
}

TEST(IdArrayTest, RenamingInPlaceKeepsTheIndexExact) {
  QDN_idArray ids;
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(ids.AppendUniqueId("s", i), QDN_NO_ERROR);
  // A slot may take a repaired form of its own name, never another slot's.
  std::string id;
  ASSERT_EQ(ids.CreateUniqueIdAt("s7", 7, id), QDN_NO_ERROR);
  EXPECT_EQ(id, "s7");
  ASSERT_EQ(ids.CreateUniqueIdAt("s8", 7, id), QDN_NO_ERROR);
  EXPECT_EQ(id, "s810"); // s80 to s89 are taken
  ASSERT_EQ(ids.CreateUniqueIdAt("a b", 7, id), QDN_NO_ERROR);
  EXPECT_EQ(id, "a_b");
  // Shift every name one slot down, through a free name: each step is
  // checked against the names the earlier renames left.
  ASSERT_EQ(ids.SetAt(0, "free"), QDN_NO_ERROR);
  for (int i = 1; i < 100; ++i) {
    std::string previous = "s"; // appended: g++ 12 warns falsely on "s" + ...
    previous += std::to_string(i - 1);
    ASSERT_EQ(ids.SetAt(i, previous.c_str()), QDN_NO_ERROR) << i;
  }
  EXPECT_EQ(ids.Append("s98"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ids.Append("s99"), QDN_NO_ERROR);
  ids.CheckConsistency(0);
  EXPECT_TRUE(ids.IsConsistent());
}

TEST(IdArrayTest, CopiesAndReleasedListsKeepNoStaleIndex) {
  QDN_idArray ids;
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(ids.AppendUniqueId("s", i), QDN_NO_ERROR);
  EXPECT_EQ(ids.Append("s3"), QDN_OUT_OF_RANGE); // builds the index
  QDN_idArray copy(ids);
  ASSERT_EQ(copy.SetAt(3, "renamed"), QDN_NO_ERROR);
  EXPECT_EQ(copy.Append("s3"), QDN_NO_ERROR);
  EXPECT_EQ(copy.Append("renamed"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ids.Append("s3"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ids.Append("renamed"), QDN_NO_ERROR);
  ids.Release(0);
  EXPECT_EQ(ids.Append("s3"), QDN_NO_ERROR);
  ids = copy;
  EXPECT_EQ(ids.Append("renamed"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(ids.GetCount(), 41);
}

TEST(IdArrayTest, MakeIdsValidRepairsEveryItem) {
  QDN_idArray ids;
  // Items that break the rule can only arrive through the plain string array.
  for (const char* text : {"good", "2nd", "a b", "a_b"})
    ASSERT_EQ(ids.QDN_stringArray::InsertAt(ids.GetCount(), text), QDN_NO_ERROR);
  ids.CheckConsistency(0);
  EXPECT_FALSE(ids.IsConsistent());
  ASSERT_EQ(ids.MakeIdsValid(), QDN_NO_ERROR);
  EXPECT_EQ(Texts(ids), (std::vector<std::string>{"good", "x2nd", "a_b", "a_b2"}));
  ids.CheckConsistency(0);
  EXPECT_TRUE(ids.IsConsistent());
}

TEST(IdArrayTest, MakeValidIdHandlesAnyText) {
  std::string empty;
  EXPECT_EQ(QDN_idArray::MakeValidId(empty), QDN_OUT_OF_RANGE);
  std::string text(5000, '-');
  ASSERT_EQ(QDN_idArray::MakeValidId(text), QDN_NO_ERROR);
  EXPECT_EQ(text.size(), 5001u);
  EXPECT_EQ(text[0], 'x');
  EXPECT_TRUE(IsValidIdentifier(text));
}
