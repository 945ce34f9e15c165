#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Classes.h"

using namespace vcl;

namespace {

std::vector<std::wstring> Items(const TStringList& list) {
  std::vector<std::wstring> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
  return out;
}

// Counts its live instances, to see which objects a list frees.
class Counted : public TObject {
 public:
  explicit Counted(int& live) : live_(live) { ++live_; }
  ~Counted() override { --live_; }

 private:
  int& live_;
};

}  // namespace

TEST(TStringList, IndexOfHonoursCaseSensitivity) {
  TStringList list;
  list.Add(L"Alpha");
  list.Add(L"beta");
  list.Add(L"\u00C9cole");
  EXPECT_EQ(list.IndexOf(L"ALPHA"), 0);
  EXPECT_EQ(list.IndexOf(L"\u00E9COLE"), 2);
  EXPECT_EQ(list.IndexOf(L"gamma"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(L"ALPHA"), -1);
  EXPECT_EQ(list.IndexOf(L"Alpha"), 0);
  // Sorted lists search with the same rule.
  list.SetSorted(true);
  EXPECT_EQ(list.IndexOf(L"BETA"), -1);
  EXPECT_EQ(list.IndexOf(L"beta"), 1);
  list.SetCaseSensitive(false);
  EXPECT_EQ(list.IndexOf(L"BETA"), 1);
}

TEST(TStringList, ChangingCaseSensitivityResortsASortedList) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const wchar_t* s : {L"b", L"C", L"a", L"B", L"c", L"A"}) list.Add(s);
  // Case-insensitive: equal strings keep the order they were added in.
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"a", L"A", L"b", L"B", L"C", L"c"}));
  list.SetCaseSensitive(true);  // ordinal: upper case first
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"A", L"B", L"C", L"a", L"b", L"c"}));
  int index = -1;
  EXPECT_TRUE(list.Find(L"a", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find(L"D", index));
  EXPECT_EQ(index, 3);  // where "D" would go
  list.SetCaseSensitive(false);
  EXPECT_TRUE(list.Find(L"c", index));
  EXPECT_EQ(index, 4);  // the first of the equal entries
  // Unsorted lists are left in their order.
  TStringList plain;
  plain.Add(L"b");
  plain.Add(L"A");
  plain.SetCaseSensitive(true);
  EXPECT_EQ(Items(plain), (std::vector<std::wstring>{L"b", L"A"}));
}

TEST(TStringList, SortedFindAndDuplicates) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add(L"m"), 0);
  EXPECT_EQ(list.Add(L"z"), 1);
  EXPECT_EQ(list.Add(L"a"), 0);
  int index = -1;
  EXPECT_FALSE(list.Find(L"n", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find(L"", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find(L"zz", index));
  EXPECT_EQ(index, 3);

  // dupIgnore (the default): the existing index, nothing added.
  EXPECT_EQ(list.Add(L"M"), 1);
  EXPECT_EQ(list.Count(), 3);
  // dupError raises and leaves the list alone.
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add(L"Z"), EStringListError);
  EXPECT_EQ(list.Count(), 3);
  // dupAccept adds after the equal ones.
  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add(L"M"), 2);
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"a", L"m", L"M", L"z"}));

  // Operations that would break the order are refused.
  EXPECT_THROW(list.Insert(0, L"q"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, L"q"), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  // Turning Sorted on sorts an unsorted list.
  TStringList later;
  for (const wchar_t* s : {L"pear", L"Apple", L"fig"}) later.Add(s);
  later.SetSorted(true);
  EXPECT_EQ(Items(later), (std::vector<std::wstring>{L"Apple", L"fig", L"pear"}));
  EXPECT_EQ(later.IndexOf(L"FIG"), 1);
}

TEST(TStringList, FindOnAnUnsortedListSearchesEveryEntry) {
  TStringList list;
  for (const wchar_t* s : {L"z", L"a", L"m"}) list.Add(s);
  int index = -1;
  EXPECT_TRUE(list.Find(L"M", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find(L"b", index));
  EXPECT_EQ(index, 3);
}

TEST(TStringList, IndexesOutOfRangeRaise) {
  TStringList list;
  list.Add(L"only");
  auto expectIndexError = [](auto action, const std::wstring& message) {
    try {
      action();
      ADD_FAILURE() << "no exception";
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  };
  expectIndexError([&] { (void)list.Strings(1); }, L"List index out of bounds (1)");
  expectIndexError([&] { (void)list.Objects(-1); }, L"List index out of bounds (-1)");
  expectIndexError([&] { list.Delete(5); }, L"List index out of bounds (5)");
  expectIndexError([&] { list.Insert(2, L"x"); }, L"List index out of bounds (2)");
  expectIndexError([&] { list.SetObjects(1, nullptr); }, L"List index out of bounds (1)");
  expectIndexError([&] { list.Exchange(0, 1); }, L"List index out of bounds (1)");
  list.Insert(1, L"end");  // Count itself is a valid place to insert
  list.Insert(0, L"start");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"start", L"only", L"end"}));
}

TEST(TStringList, ObjectsFollowTheirStrings) {
  TObject a, b, c;
  TStringList list;
  list.AddObject(L"c", &c);
  list.AddObject(L"a", &a);
  list.Add(L"none");
  list.InsertObject(0, L"b", &b);
  EXPECT_EQ(list.IndexOfObject(&a), 2);
  EXPECT_EQ(list.IndexOfObject(nullptr), 3);
  list.Exchange(0, 2);
  EXPECT_EQ(list.Objects(0), &a);
  EXPECT_EQ(list.Strings(0), L"a");
  list.SetSorted(true);  // objects move with their strings
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"a", L"b", L"c", L"none"}));
  EXPECT_EQ(list.Objects(1), &b);
  EXPECT_EQ(list.Objects(2), &c);
  list.Delete(0);
  EXPECT_EQ(list.IndexOfObject(&a), -1);
  // Not owned: clearing frees nothing (a, b, c are on the stack).
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(TStringList, OwnedObjectsAreFreedExactlyOnce) {
  int live = 0;
  {
    TStringList list(true);
    list.AddObject(L"a", new Counted(live));
    list.AddObject(L"b", new Counted(live));
    list.AddObject(L"c", new Counted(live));
    list.AddObject(L"d", new Counted(live));
    EXPECT_EQ(live, 4);
    list.Delete(0);
    EXPECT_EQ(live, 3);
    // Replacing an object frees the old one; setting the same one again does not.
    list.SetObjects(0, new Counted(live));
    EXPECT_EQ(live, 3);
    list.SetObjects(0, list.Objects(0));
    EXPECT_EQ(live, 3);
    // A copy into an owning list takes the strings only.
    TStringList copy(true);
    copy.Assign(&list);
    EXPECT_EQ(Items(copy), Items(list));
    EXPECT_EQ(copy.Objects(0), nullptr);
    list.Clear();
    EXPECT_EQ(live, 0);
    list.AddObject(L"e", new Counted(live));
  }  // the destructor frees what is left
  EXPECT_EQ(live, 0);
}

TEST(TStringList, AssignCopiesIntoTheReceiversOrder) {
  TObject marker;
  TStringList source;
  source.AddObject(L"b", &marker);
  source.Add(L"a");
  TStringList dest;
  dest.Add(L"old");
  dest.SetSorted(true);
  dest.Assign(&source);
  EXPECT_EQ(Items(dest), (std::vector<std::wstring>{L"a", L"b"}));
  EXPECT_EQ(dest.Objects(1), &marker);
  EXPECT_EQ(dest.IndexOf(L"B"), 1);
  TComponent other(nullptr);
  EXPECT_THROW(dest.Assign(&other), EConvertError);
}

TEST(TStringList, TextEndsEveryLineAndRoundTrips) {
  TStringList list;
  list.SetText(L"one\r\ntwo\nthree\rfour");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"one", L"two", L"three", L"four"}));
  EXPECT_EQ(list.Text(), L"one\r\ntwo\r\nthree\r\nfour\r\n");
  // Empty lines, also the last one, survive a round trip.
  list.Clear();
  for (const wchar_t* s : {L"", L"x", L""}) list.Add(s);
  TStringList copy;
  copy.SetText(list.Text());
  EXPECT_EQ(Items(copy), Items(list));
  copy.SetText(L"");
  EXPECT_EQ(copy.Count(), 0);
  copy.SetText(L"\r\n\r\n");
  EXPECT_EQ(copy.Count(), 2);
}
