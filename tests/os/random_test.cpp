#include "os/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::int64_t FixedSecond() { return 1'765'000'000; }
std::int64_t NextSecond() { return 1'765'000'001; }

std::vector<int> Draw(os::RandomGenerator generator, int count) {
  std::vector<int> values;
  for (int i = 0; i < count; ++i) values.push_back(generator.Next());
  return values;
}

TEST(RandomGenerator, MatchesTheRuntimeSequence) {
  // The C runtime's generator after seeding with 1.
  EXPECT_EQ(Draw(os::RandomGenerator(1), 6), (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724}));
}

TEST(RandomGenerator, StaysWithinFifteenBits) {
  os::RandomGenerator generator(0xDEADBEEF);
  for (int i = 0; i < 10000; ++i) {
    const int value = generator.Next();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 32767);
  }
}

TEST(RandomGenerator, SameSecondSameSequenceNextSecondAnother) {
  const auto first = Draw(os::RandomGenerator::SeededFromClock(FixedSecond), 3);
  EXPECT_EQ(first, Draw(os::RandomGenerator::SeededFromClock(FixedSecond), 3));
  EXPECT_NE(first, Draw(os::RandomGenerator::SeededFromClock(NextSecond), 3));
}

}  // namespace
