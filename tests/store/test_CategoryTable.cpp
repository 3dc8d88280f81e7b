// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"

namespace {

class CategoryTableTest : public TempDatabase {
protected:
    // Replaces the categories by rows of "id:pos" given as {id, pos} pairs, named c<id>.
    void SetCategories(std::initializer_list<std::pair<int, int>> rows) {
        Exec("DELETE FROM t_category");
        for (auto [id, pos] : rows)
            Exec("INSERT INTO t_category (id, strName, intImg, intPos) VALUES (" +
                 std::to_string(id) + ", 'c" + std::to_string(id) + "', 3, " + std::to_string(pos) +
                 ")");
        categories_ = LoadCategories(Dm());
    }
    // Every stored category as "id:pos", in position order.
    std::string Stored() {
        return Query("SELECT group_concat(id || ':' || intPos, ' ') FROM "
                     "(SELECT id, intPos FROM t_category ORDER BY intPos, id)");
    }
    std::string InMemory() const {
        std::string text;
        for (const TMyRec1& c : categories_) {
            if (!text.empty())
                text += ' ';
            text += std::to_string(c.id);
            text += ':';
            text += std::to_string(c.intPos);
        }
        return text;
    }

    std::vector<TMyRec1> categories_;
};

TEST_F(CategoryTableTest, AddToAnEmptyTableGivesIdOneAtPositionOneWithTheNameTrimmed) {
    SetCategories({});
    AddCategory(Dm(), categories_, " \tHome  ", 7);
    EXPECT_EQ(Query("SELECT id || '|' || strName || '|' || intImg || '|' || intPos "
                    "FROM t_category"),
              "1|Home|7|1");
    ASSERT_EQ(categories_.size(), 1u);
    EXPECT_EQ(categories_[0].strName, "Home");
    EXPECT_EQ(categories_[0].intImg, 7);
}

TEST_F(CategoryTableTest, NewIdFollowsTheLargestAndIsGivenAgainAfterItsCategoryIsDeleted) {
    SetCategories({{1, 1}, {2, 2}, {5, 3}});
    AddCategory(Dm(), categories_, "six", 1);
    EXPECT_EQ(Stored(), "1:1 2:2 5:3 6:4");
    DeleteCategory(Dm(), categories_, 3);
    AddCategory(Dm(), categories_, "six again", 1);
    EXPECT_EQ(Stored(), "1:1 2:2 5:3 6:4");
    EXPECT_EQ(InMemory(), "1:1 2:2 5:3 6:4");
}

TEST_F(CategoryTableTest, EditChangesNameAndIconButNotIdOrPosition) {
    SetCategories({{4, 1}, {9, 2}});
    EditCategory(Dm(), categories_, 1, "  renamed ", 10);
    EXPECT_EQ(Query("SELECT id || '|' || strName || '|' || intImg || '|' || intPos "
                    "FROM t_category WHERE id = 9"),
              "9|renamed|10|2");
    EXPECT_EQ(categories_[1].strName, "renamed");
    EXPECT_EQ(InMemory(), "4:1 9:2");
}

TEST_F(CategoryTableTest, DeleteInTheMiddleMovesEveryLaterCategoryUp) {
    SetCategories({{1, 1}, {2, 2}, {3, 3}, {4, 4}});
    DeleteCategory(Dm(), categories_, 1);
    EXPECT_EQ(Stored(), "1:1 3:2 4:3");
    EXPECT_EQ(InMemory(), "1:1 3:2 4:3");
}

TEST_F(CategoryTableTest, DeleteThatFailsHalfwayLeavesTableAndRecordsAsTheyWere) {
    SetCategories({{1, 1}, {2, 2}, {3, 3}, {4, 4}});
    Exec("DELETE FROM t_category WHERE id = 4");
    EXPECT_THROW(DeleteCategory(Dm(), categories_, 0), StoreError);
    EXPECT_EQ(Stored(), "1:1 2:2 3:3");
    EXPECT_EQ(InMemory(), "1:1 2:2 3:3 4:4");
}

TEST_F(CategoryTableTest, UseCountsDoneTasksToo) {
    SetCategories({{1, 1}, {2, 2}, {3, 3}});
    AddTask(1, "done", 2, 1);
    AddTask(2, "open", 3, 0);
    EXPECT_FALSE(CategoryInUse(Dm(), 1));
    EXPECT_TRUE(CategoryInUse(Dm(), 2));
    EXPECT_TRUE(CategoryInUse(Dm(), 3));
}

TEST_F(CategoryTableTest, SwapExchangesPositionsAndRecords) {
    SetCategories({{1, 1}, {2, 2}, {3, 3}});
    SwapWithNext(Dm(), categories_, 1);
    EXPECT_EQ(Stored(), "1:1 3:2 2:3");
    EXPECT_EQ(InMemory(), "1:1 3:2 2:3");
}

TEST_F(CategoryTableTest, SwapOfPositionsOutOfStepMovesEachByOneOnly) {
    SetCategories({{1, 1}, {2, 5}});
    SwapWithNext(Dm(), categories_, 0);
    EXPECT_EQ(Stored(), "1:2 2:4");
    EXPECT_EQ(InMemory(), "2:4 1:2");
}

TEST_F(CategoryTableTest, SwapThatFailsOnTheSecondRowWritesNothing) {
    SetCategories({{1, 1}, {2, 2}});
    Exec("DELETE FROM t_category WHERE id = 2");
    EXPECT_THROW(SwapWithNext(Dm(), categories_, 0), StoreError);
    EXPECT_EQ(Stored(), "1:1");
    EXPECT_EQ(InMemory(), "1:1 2:2");
}

} // namespace
