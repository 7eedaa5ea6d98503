#include "base/list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ListTest, AddClampsTheIndexAndDeleteStopsAtTheEnd) {
  List<int> list;
  for (int v : {1, 2, 3}) list.Add(v);
  list.Add(4, 5);  // past the end: appended
  list.Add(0, 0);
  list.Add(9, 2);
  std::vector<int> got;
  for (uint32_t i = 0; i < list.Count(); ++i) got.push_back(list[i]);
  EXPECT_EQ(got, (std::vector<int>{0, 1, 9, 2, 3, 4}));
  EXPECT_EQ(list.Delete(4, 10), 2u);
  EXPECT_EQ(list.Delete(4, 1), 0u);
  EXPECT_EQ(list.Delete(1, 1), 1u);
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list[1], 9);
  EXPECT_EQ(list[2], 2);
}

TEST(ListTest, GrowsByDoublingOrByItsStep) {
  List<int> doubling;
  std::vector<uint32_t> capacities;
  for (int i = 0; i < 100; ++i) {
    doubling.Add(i);
    if (capacities.empty() || capacities.back() != doubling.Capacity()) {
      capacities.push_back(doubling.Capacity());
    }
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{32, 64, 128}));
  List<int> stepped(10);
  for (int i = 0; i < 25; ++i) stepped.Add(i);
  EXPECT_EQ(stepped.Capacity(), 30u);
  EXPECT_EQ(stepped[24], 24);
}

struct Counted {
  static int alive;
  int value = 0;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(ObjectListTest, OwnsItsElementsAndInsertsAtTheClampedIndex) {
  {
    ObjectList<Counted> list;
    for (int v : {1, 2, 3}) list.Add()->value = v;
    list.Add(5)->value = 4;  // a list of 3: appended as the fourth
    list.Add(kAppend)->value = 5;
    list.Add(0)->value = 0;
    ASSERT_EQ(list.Count(), 6u);
    EXPECT_EQ(list[0].value, 0);
    EXPECT_EQ(list[4].value, 4);
    EXPECT_EQ(list.Element(5)->value, 5);
    EXPECT_EQ(Counted::alive, 6);
    EXPECT_EQ(list.Delete(1, 2), 2u);
    EXPECT_EQ(Counted::alive, 4);
    EXPECT_EQ(list[1].value, 3);
    EXPECT_EQ(list.Delete(3, 5), 1u);
    EXPECT_EQ(list.Delete(7, 1), 0u);
    EXPECT_EQ(Counted::alive, 3);
  }
  EXPECT_EQ(Counted::alive, 0);
}

TEST(MemoryTest, ExpandOpensAGapAndFixedBlocksRefuseToResize) {
  Memory<char> block(4);
  std::memcpy(block.Data(), "abcd", 4);
  ASSERT_TRUE(block.Expand(2, 1));
  EXPECT_EQ(block.Length(), 6u);
  EXPECT_EQ(block[0], 'a');
  EXPECT_EQ(std::string(block.Data() + 3, 3), "bcd");
  Memory<int> empty;
  ASSERT_TRUE(empty.Double());
  EXPECT_EQ(empty.Length(), 32u);
  empty.SetFixed(true);
  EXPECT_FALSE(empty.Double());
  EXPECT_FALSE(empty.SetLength(0));
  EXPECT_EQ(empty.Length(), 32u);
}

}  // namespace
