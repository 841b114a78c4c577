// The flat map of a cached table against std::map: the same answers after any
// mix of puts, replacements, erases (by key and while iterating) and growth.
#include "database/CachedRowMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "CacheTestRows.h"

namespace {

EntityPtr CachedRow(int id) {
  auto row = std::make_shared<CTCSParent>();
  row->SetID(id);
  return row;
}

// Every key and row of `map` equal to `model`'s, by iteration and by find.
void ExpectSame(const CCachedRowMap& map, const std::map<uint64_t, EntityPtr>& model) {
  ASSERT_EQ(map.size(), model.size());
  std::map<uint64_t, EntityPtr> seen;
  for (const auto& [key, row] : map) EXPECT_TRUE(seen.emplace(key, row).second) << "key " << key << " twice";
  EXPECT_EQ(seen, model);
  for (const auto& [key, row] : model) {
    auto it = map.find(key);
    ASSERT_NE(it, map.end()) << key;
    EXPECT_EQ(it->second, row);
    EXPECT_EQ(map.count(key), 1u);
  }
}

TEST(CachedRowMapTest, AgreesWithStdMapThroughPutsReplacementsErasesAndGrowth) {
  struct Case {
    const char* name;
    uint64_t keyRange;  // keys drawn from [0, keyRange) ...
    uint64_t keyBase;   // ... plus this (high bits, negative ids widened)
    int operations;
  };
  const Case cases[] = {
      {"few keys, many replacements and erases", 40, 0, 5000},
      {"ids of a growing table", 20000, 0, 30000},
      {"64-bit keys", 5000, 0xFFFF000000000000ull, 20000},
      {"negative ids widened with their sign", 3000, static_cast<uint64_t>(int64_t{-3000}), 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CCachedRowMap map;
    std::map<uint64_t, EntityPtr> model;
    unsigned seed = 7;
    auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return seed >> 8;
    };
    for (int i = 0; i < c.operations; ++i) {
      const uint64_t key = c.keyBase + next() % c.keyRange;
      switch (next() % 4) {
        case 0:
        case 1: {  // put or replace
          EntityPtr row = CachedRow(static_cast<int>(key));
          map[key] = row;
          model[key] = row;
          break;
        }
        case 2:  // erase by key
          EXPECT_EQ(map.erase(key), model.erase(key));
          break;
        default: {  // look up a key that may be absent
          auto it = map.find(key);
          auto expected = model.find(key);
          ASSERT_EQ(it == map.end(), expected == model.end());
          if (expected != model.end()) EXPECT_EQ(it->second, expected->second);
        }
      }
    }
    ExpectSame(map, model);
  }
}

TEST(CachedRowMapTest, EraseWhileIteratingVisitsEveryRowOnce) {
  CCachedRowMap map;
  std::map<uint64_t, EntityPtr> kept;
  for (int id = 1; id <= 1000; ++id) {
    map[static_cast<uint64_t>(id)] = CachedRow(id);
    if (id % 3 != 0) kept[static_cast<uint64_t>(id)] = map[static_cast<uint64_t>(id)];
  }
  std::set<uint64_t> visited;
  for (auto it = map.begin(); it != map.end();) {
    EXPECT_TRUE(visited.insert(it->first).second);
    it = it->first % 3 == 0 ? map.erase(it) : std::next(it);
  }
  EXPECT_EQ(visited.size(), 1000u);
  ExpectSame(map, kept);
  // The erased slots are taken again; the map stays whole.
  for (int id = 3; id <= 1000; id += 3) kept[static_cast<uint64_t>(id)] = map[static_cast<uint64_t>(id)] = CachedRow(id);
  ExpectSame(map, kept);
}

TEST(CachedRowMapTest, ChurnOfAddsAndErasesKeepsTheArraySmall) {
  // A table whose rows come and go (say statuses) must not grow without end.
  CCachedRowMap map;
  for (uint64_t key = 0; key < 200000; ++key) {
    map[key] = nullptr;
    if (key >= 10) map.erase(key - 10);
  }
  EXPECT_EQ(map.size(), 10u);
  EXPECT_EQ(map.count(199999), 1u);
  EXPECT_EQ(map.count(0), 0u);
}

TEST(CachedRowMapTest, CopiesShareRowsAndMovesAndSwapsTakeThem) {
  CCachedRowMap map;
  std::map<uint64_t, EntityPtr> model;
  for (int id = 1; id <= 100; ++id) model[static_cast<uint64_t>(id)] = map[static_cast<uint64_t>(id)] = CachedRow(id);
  CCachedRowMap copy(map);
  ExpectSame(copy, model);
  copy.erase(1);
  ExpectSame(map, model);  // the original keeps its rows

  CCachedRowMap moved(std::move(copy));
  EXPECT_EQ(moved.size(), 99u);
  CCachedRowMap other;
  other[5] = CachedRow(5);
  other.swap(map);
  ExpectSame(other, model);
  EXPECT_EQ(map.size(), 1u);
  map = other;
  ExpectSame(map, model);
  map.clear();
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(map.find(1), map.end());
  EXPECT_EQ(map.begin(), map.end());
}

}  // namespace
