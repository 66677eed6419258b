#include "imagelist/ImgUtils.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/SysUtils.h"

namespace pim {
namespace {

// A collection of n items named "0".."n-1" by their ID lists; Ids 0..n-1.
void Fill(TImgListItems& items, int n) {
    for (int i = 0; i < n; ++i)
        items.Add(std::make_unique<TImgListItem>(items, TIdList::FromItem(std::to_string(i)), false));
}

std::vector<int> Ids(const TShellItems& items) {
    std::vector<int> ids;
    for (int i = 0; i < items.Count(); ++i) ids.push_back(items[i]->Id());
    return ids;
}

TEST(SizeText, CountsStartedKilobytes) {
    EXPECT_EQ(FormatSizeText(0), "1KB");
    EXPECT_EQ(FormatSizeText(1023), "1KB");
    EXPECT_EQ(FormatSizeText(1024), "2KB");
    EXPECT_EQ(FormatSizeText(13 * 1024 - 1), "13KB");
    EXPECT_EQ(FormatSizeText(0xFFFFFFFFull), "4194304KB");
    EXPECT_EQ(FormatSizeText(5ull << 30), "5242881KB");  // past 4 GiB, not wrapped
}

TEST(DateText, UnpacksDosTime) {
    // 2024-03-09 07:05:58 packed: date (44 << 9 | 3 << 5 | 9), time (7 << 11 | 5 << 5 | 29)
    EXPECT_EQ(FormatDosDateText(44 << 9 | 3 << 5 | 9, 7 << 11 | 5 << 5 | 29), "2024/03/09 07:05");
    EXPECT_EQ(FormatDosDateText(0 << 9 | 1 << 5 | 1, 0), "1980/01/01 00:00");
    EXPECT_EQ(FormatDosDateText(0, 0), "");
}

TEST(ShellItems, MoveKeepsItemsAndIds) {
    TImgListItems items;
    Fill(items, 5);
    TImgListItem* first = items[0];
    first->ThumbIndex = 7;
    items.Move(0, 2);
    EXPECT_EQ(Ids(items), (std::vector<int>{1, 2, 0, 3, 4}));
    EXPECT_EQ(items[2], first);
    EXPECT_EQ(items[2]->ThumbIndex, 7);
    items.Move(4, 0);
    EXPECT_EQ(Ids(items), (std::vector<int>{4, 1, 2, 0, 3}));
    items.Move(3, 3);
    EXPECT_EQ(Ids(items), (std::vector<int>{4, 1, 2, 0, 3}));
    EXPECT_EQ(items.IndexOfId(0), 3);
    EXPECT_EQ(items.ItemById(0), first);
    EXPECT_THROW(items.Move(0, 5), Exception);
    EXPECT_THROW(items.Move(-1, 0), Exception);
    EXPECT_EQ(Ids(items), (std::vector<int>{4, 1, 2, 0, 3}));
}

// The registered items land before the item the user pointed at, moving up
// or down. Ids 0..6 stand for IMG, p01 .. p05, p06.
TEST(ShellItems, MovedItemsLandBeforeTheTarget) {
    TImgListItems items;
    Fill(items, 6);              // IMG p01 p02 p03 p04 p05
    items.MoveItems({0, 1}, 4);  // down: IMG and p01 before p04
    EXPECT_EQ(Ids(items), (std::vector<int>{2, 3, 0, 1, 4, 5}));
    items.MoveItems({4, 5}, 0);  // up: p04 and p05 before p02, the first row
    EXPECT_EQ(Ids(items), (std::vector<int>{4, 5, 2, 3, 0, 1}));
    items.MoveItems({1, 3}, 2);  // in their given order, not their rows'
    EXPECT_EQ(Ids(items), (std::vector<int>{4, 5, 1, 3, 2, 0}));
}

TEST(ShellItems, ARegisteredTargetMovesTheAnchorToTheNextFreeRow) {
    TImgListItems items;
    Fill(items, 6);
    // The target p01 is itself moved: the items go before p03, the first
    // row after it that is not moved.
    items.MoveItems({0, 1, 2}, 1);
    EXPECT_EQ(Ids(items), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    items.MoveItems({5, 1}, 1);  // p01 is moved: before p02
    EXPECT_EQ(Ids(items), (std::vector<int>{0, 5, 1, 2, 3, 4}));
    // Nothing free after the target: they end the list.
    items.MoveItems({3, 4, 0}, 4);
    EXPECT_EQ(Ids(items), (std::vector<int>{5, 1, 2, 3, 4, 0}));
}

TEST(ShellItems, AMovePastTheEndOrOfGoneItemsStaysInBounds) {
    TImgListItems items;
    Fill(items, 4);
    items.MoveItems({1}, 9);  // past the last row: to the end
    EXPECT_EQ(Ids(items), (std::vector<int>{0, 2, 3, 1}));
    items.MoveItems({0}, -3);  // before the first row
    EXPECT_EQ(Ids(items), (std::vector<int>{0, 2, 3, 1}));
    items.Delete(items.IndexOfId(2));
    items.MoveItems({2, 42, 3, 3}, 0);  // gone and repeated Ids are skipped
    EXPECT_EQ(Ids(items), (std::vector<int>{3, 0, 1}));
    items.MoveItems({}, 1);
    EXPECT_EQ(Ids(items), (std::vector<int>{3, 0, 1}));
    for (int row = 0; row < items.Count(); ++row) EXPECT_EQ(items.IndexOfId(items[row]->Id()), row);
}

TEST(ShellItems, ReassignKeepsNamedItemsTakesNewOnesAndFreesTheRest) {
    TImgListItems items;
    Fill(items, 4);
    TImgListItem* kept = items[2];
    auto added = std::make_unique<TImgListItem>(items, TIdList(), false);
    TShellItem* fresh = added.get();
    std::vector<std::unique_ptr<TShellItem>> batch;
    batch.push_back(std::move(added));
    items.Reassign({kept, fresh, items[0]}, std::move(batch));
    EXPECT_EQ(Ids(items), (std::vector<int>{2, 4, 0}));
    EXPECT_EQ(items.ItemById(2), kept);
    EXPECT_EQ(items.ItemById(4), fresh);
    EXPECT_EQ(items.ItemById(1), nullptr);
    EXPECT_EQ(items.ItemById(3), nullptr);
}

TEST(ShellItems, IdsAreNeverReused) {
    TImgListItems items;
    Fill(items, 3);
    items.Delete(1);
    EXPECT_EQ(Ids(items), (std::vector<int>{0, 2}));
    EXPECT_EQ(items.ItemById(1), nullptr);
    EXPECT_EQ(items.IndexOfId(1), -1);
    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    Fill(items, 2);
    EXPECT_EQ(Ids(items), (std::vector<int>{3, 4}));
    try {
        items.Items(2);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (2)");
    }
}

TEST(ShellItems, ClearAsksTheViewFirst) {
    struct TWatched : TImgListItems {
        int countAtClear = -1;
        void BeforeClear() override { countAtClear = Count(); }
    } items;
    Fill(items, 3);
    items.Clear();
    EXPECT_EQ(items.countAtClear, 3);
}

TEST(ShellItems, EmptyItemsHaveNoDetails) {
    TImgListItems items;
    items.Add(std::make_unique<TImgListItem>(items, TIdList(), false));
    TImgListItem* item = items[0];
    EXPECT_EQ(item->DisplayName(), "");
    EXPECT_EQ(item->FullPath(), "");
    EXPECT_EQ(item->SizeText(), "");
    EXPECT_EQ(item->DateText(), "");
    EXPECT_EQ(item->TypeName(), "");
    EXPECT_EQ(item->IconIndex(), -1);
    EXPECT_FALSE(item->HasAttributes(0xFFFFFFFF));
    EXPECT_FALSE(item->Rename("x"));
    EXPECT_TRUE(item->AbsoluteIdList().Absent());
    item->SetFullPath("/x/a.jpg");
    item->SetDisplayName("a.jpg");
    EXPECT_EQ(item->FullPath(), "/x/a.jpg");
    EXPECT_EQ(item->DisplayName(), "a.jpg");
    EXPECT_EQ(item->ImageType(), TImageType::iitJpeg);
}

// A blank item has no file: nothing about it asks the shell, and every detail
// a file would have is empty; it shows its name and counts as no entry.
TEST(ShellItems, BlankItemsHaveANameAndNoFile) {
    TImgListItems items;
    items.Add(std::make_unique<TImgListItem>(items, TIdList(), false));
    EXPECT_EQ(items.Insert(0, TImgListItem::Blank(items, 7)), 0);
    EXPECT_EQ(items.Insert(-1, TImgListItem::Blank(items, 8)), 2);  // not a row: at the end
    TImgListItem& blank = *items[0];
    EXPECT_TRUE(blank.IsBlank());
    EXPECT_EQ(blank.BlankKey(), 7);
    EXPECT_FALSE(items[1]->IsBlank());
    EXPECT_FALSE(blank.HasEntry());
    EXPECT_EQ(blank.DisplayName(), "（白紙）");
    blank.ClearCache();
    EXPECT_EQ(blank.DisplayName(), "（白紙）");
    EXPECT_EQ(blank.FullPath(), "");
    EXPECT_EQ(blank.SizeText(), "");
    EXPECT_EQ(blank.DateText(), "");
    EXPECT_EQ(blank.TypeName(), "");
    EXPECT_EQ(blank.IconIndex(), -1);
    EXPECT_EQ(blank.ImageType(), TImageType::iitNone);
    EXPECT_FALSE(blank.HasAttributes(0xFFFFFFFF));
    EXPECT_FALSE(blank.Rename("x.jpg"));
    EXPECT_TRUE(blank.AbsoluteIdList().Absent());
    blank.OpenItem();  // nothing to open
    EXPECT_EQ(items.EntryCount(), 1);
}

// The thumbnail worker looks items up by Id while the GUI thread reorders
// them: every lookup must find its own item, never another or none.
TEST(ShellItems, LookupByIdSurvivesConcurrentReorders) {
    TImgListItems items;
    constexpr int kCount = 500;
    Fill(items, kCount);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::thread worker([&] {
        for (int round = 0; !stop; ++round) {
            const int id = round % kCount;
            TImgListItem* item = items.ItemById(id);
            if (!item || item->Id() != id) ++wrong;
        }
    });
    for (int round = 0; round < 200; ++round) {
        const bool down = round % 2 != 0;
        items.Sort([down](TShellItem* a, TShellItem* b) { return down ? b->Id() - a->Id() : a->Id() - b->Id(); });
        items.Move(0, kCount - 1);
        items.Add(std::make_unique<TImgListItem>(items, TIdList::FromItem("new"), false));
    }
    stop = true;
    worker.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(items.Count(), kCount + 200);
}

}  // namespace
}  // namespace pim
