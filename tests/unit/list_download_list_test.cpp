#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "list/download_list.h"

namespace reelcatch {
namespace {

std::string Url(int n) { return "http://www.youtube.com/watch?v=" + std::to_string(n); }

DownloadList ListOf(int count) {
  DownloadList list;
  for (int n = 1; n <= count; ++n) list.AddItem(Url(n), "file" + std::to_string(n), "", "");
  return list;
}

// The original numbers of the items, in list order; checks that every ID
// equals its position + 1 on the way.
std::vector<int> Order(const DownloadList& list) {
  std::vector<int> order;
  for (int p = 0; p < list.Count(); ++p) {
    EXPECT_EQ(list.At(p).ID, p + 1) << "at position " << p;
    const std::string& url = list.At(p).Video_URL;
    order.push_back(std::stoi(url.substr(url.rfind('=') + 1)));
    EXPECT_EQ(list.At(p).FileName, "file" + std::to_string(order.back())) << "fields travel";
  }
  return order;
}

struct EditCase {
  const char* name;
  int count;
  // Each step: 'd' delete, 'u' move up, 'w' move down, with the ID it takes.
  std::vector<std::pair<char, int>> steps;
  std::vector<int> expected;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class ListEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(ListEdits, KeepOrderAndRenumber) {
  const EditCase& c = GetParam();
  DownloadList list = ListOf(c.count);
  for (auto [op, id] : c.steps) {
    auto id16 = static_cast<int16_t>(id);
    if (op == 'd') list.DeleteItem(id16);
    if (op == 'u') list.MoveItemUp(id16);
    if (op == 'w') list.MoveItemDown(id16);
  }
  EXPECT_EQ(Order(list), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DownloadList, ListEdits,
    ::testing::Values(EditCase{"ThreeAdds", 3, {}, {1, 2, 3}},
                      EditCase{"DeleteMiddle", 5, {{'d', 3}}, {1, 2, 4, 5}},
                      EditCase{"DeleteFirstThenLast", 4, {{'d', 1}, {'d', 3}}, {2, 3}},
                      EditCase{"DeleteUnknownId", 3, {{'d', 9}, {'d', 0}, {'d', -1}}, {1, 2, 3}},
                      EditCase{"DeleteAll", 2, {{'d', 1}, {'d', 1}}, {}},
                      EditCase{"MoveUp", 5, {{'u', 3}}, {1, 3, 2, 4, 5}},
                      EditCase{"MoveDown", 5, {{'w', 3}}, {1, 2, 4, 3, 5}},
                      EditCase{"MoveFirstUp", 3, {{'u', 1}}, {1, 2, 3}},
                      EditCase{"MoveLastDown", 3, {{'w', 3}}, {1, 2, 3}},
                      EditCase{"MoveUnknown", 3, {{'u', 4}, {'w', 0}, {'u', -5}}, {1, 2, 3}},
                      EditCase{"SingleItemMoves", 1, {{'u', 1}, {'w', 1}}, {1}},
                      EditCase{"MoveAfterDelete", 4, {{'d', 1}, {'u', 3}}, {2, 4, 3}}),
    [](const auto& info) { return info.param.name; });

TEST(DownloadList, SameAddressIsNotAddedTwiceButOtherCaseIs) {
  DownloadList list;
  ASSERT_TRUE(list.AddItem("http://Video.google.com/x", "a", "", ""));
  EXPECT_TRUE(list.AddItem("http://Video.google.com/x", "b", "Complete", "1 MB"));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0).FileName, "a") << "a repeated address changes nothing";
  EXPECT_TRUE(list.AddItem("http://video.google.com/x", "c", "", ""));
  EXPECT_EQ(list.Count(), 2);
}

TEST(DownloadList, RemovedAddressCanBeAddedAgain) {
  DownloadList list = ListOf(2);
  list.DeleteItem(1);
  ASSERT_TRUE(list.AddItem(Url(1), "file1", "", ""));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(1).ID, 2);
}

TEST(DownloadList, EmptyStatusAndSizeTakeTheirDefaults) {
  DownloadList list;
  list.AddItem("u", "Waiting (Auto Detect)", "", "");
  EXPECT_EQ(list.At(0).Status, "Waiting");
  EXPECT_EQ(list.At(0).FileSize, "????");
  EXPECT_EQ(list.At(0).FileName, "Waiting (Auto Detect)");
}

TEST(DownloadList, HoldsAtMost32767Items) {
  DownloadList list = ListOf(DownloadList::kMaxItems);
  ASSERT_EQ(list.Count(), 32767);
  EXPECT_EQ(list.At(32766).ID, 32767);
  EXPECT_FALSE(list.AddItem(Url(0), "x", "", ""));
  EXPECT_EQ(list.Count(), 32767);
  EXPECT_TRUE(list.AddItem(Url(5), "x", "", "")) << "a listed address still answers true";
  // Room again after a removal, and the freed ID is reused at the end.
  list.DeleteItem(1);
  EXPECT_TRUE(list.AddItem(Url(0), "x", "", ""));
  EXPECT_EQ(list.At(32766).ID, 32767);
}

TEST(DownloadList, DeleteOnEmptyListAnswersFalse) {
  DownloadList list;
  EXPECT_FALSE(list.DeleteItem(1));
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_EQ(list.LastPosition(), -1);
}

struct UpdateCase {
  const char* name;
  int id;
  const char* url;
  const char* fileName;
  const char* status;
  const char* size;
  struct {
    std::string Video_URL, FileName, Status, FileSize;
  } expected;  // of the second item
};
void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class ListUpdates : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(ListUpdates, SetOnlyNonEmptyFieldsOfItemsInTheList) {
  const UpdateCase& c = GetParam();
  DownloadList list = ListOf(3);
  EXPECT_TRUE(list.UpdateItem(static_cast<int16_t>(c.id), c.url, c.fileName, c.status, c.size));
  const DownloadItem& item = list.At(1);
  EXPECT_EQ(item.Video_URL, c.expected.Video_URL);
  EXPECT_EQ(item.FileName, c.expected.FileName);
  EXPECT_EQ(item.Status, c.expected.Status);
  EXPECT_EQ(item.FileSize, c.expected.FileSize);
  EXPECT_EQ(list.At(0).FileName, "file1");
  EXPECT_EQ(list.At(2).FileName, "file3");
}

INSTANTIATE_TEST_SUITE_P(
    DownloadList, ListUpdates,
    ::testing::Values(
        UpdateCase{"AllEmptyKeepsAll", 2, "", "", "", "", {Url(2), "file2", "Waiting", "????"}},
        UpdateCase{"FileNameOnly", 2, "", "a.flv", "", "", {Url(2), "a.flv", "Waiting", "????"}},
        UpdateCase{"StatusAndSize",
                   2,
                   "",
                   "",
                   "Complete",
                   "1.5 MB",
                   {Url(2), "file2", "Complete", "1.5 MB"}},
        UpdateCase{"IdZero", 0, "", "x", "x", "x", {Url(2), "file2", "Waiting", "????"}},
        UpdateCase{"IdPastEnd", 4, "", "x", "x", "x", {Url(2), "file2", "Waiting", "????"}},
        UpdateCase{"NegativeId", -2, "", "x", "x", "x", {Url(2), "file2", "Waiting", "????"}}),
    [](const auto& info) { return info.param.name; });

TEST(DownloadList, KeysSurviveMovesAndDeletes) {
  DownloadList list = ListOf(4);
  uint64_t third = list.At(2).Key;
  list.MoveItemUp(3);
  EXPECT_EQ(list.PositionOfKey(third), 1);
  list.DeleteItem(1);
  EXPECT_EQ(list.PositionOfKey(third), 0);
  list.DeleteItem(1);
  EXPECT_EQ(list.PositionOfKey(third), -1);
}

}  // namespace
}  // namespace reelcatch
