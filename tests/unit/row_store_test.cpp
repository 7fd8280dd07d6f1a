// The row store: checks and their rows kept and read back, old checks
// dropped, the check a new one is compared with, and a damaged or foreign
// file set aside.
#include "row_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "item_title.h"
#include "row_packing.h"
#include "test_environment.h"
#include "tracker_table.h"

namespace sorvik {
namespace {

class RowStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { m_dir = MakeTempDirectory("sorvik-row-store"); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // Names in the folder that start with `prefix`.
    int CountNamed(const std::string& prefix) const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            count += entry.path().filename().string().rfind(prefix, 0) == 0;
        return count;
    }

    std::filesystem::path m_dir;
};

SeenRow Row(std::int32_t rank, std::int32_t page, const std::string& id, const std::string& seller,
            std::optional<std::int64_t> price, std::optional<std::int64_t> sales) {
    return {rank,  page, id, "标题 " + id, seller, "http://item.taobao.com/item.htm?id=" + id,
            price, sales};
}

StoredCheck Check(const std::string& target, std::time_t when, CheckOutcome outcome,
                  std::vector<SeenRow> rows) {
    StoredCheck check;
    check.keyword = "连衣裙";
    check.target = target;
    check.mode = 2;
    check.checkedAt = when;
    check.outcome = outcome;
    if (outcome == CheckOutcome::Found) check.rank = rows.back().rank;
    check.rows = std::move(rows);
    return check;
}

bool SameRows(const std::vector<SeenRow>& a, const std::vector<SeenRow>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].rank != b[i].rank || a[i].page != b[i].page || a[i].itemId != b[i].itemId ||
            a[i].title != b[i].title || a[i].seller != b[i].seller || a[i].link != b[i].link ||
            a[i].priceFen != b[i].priceFen || a[i].sales != b[i].sales)
            return false;
    }
    return true;
}

TEST_F(RowStoreTest, ChecksAreKeptWithTheirRowsComparedWithTheLastCompletedAndDroppedWhenOld) {
    const std::time_t day = 86400, start = 1'800'000'000;
    const StoredCheck first =
        Check("店A", start, CheckOutcome::Found,
              {Row(1, 1, "7", "店B", 7613, 54), Row(2, 1, "8", "店C", std::nullopt, 12000),
               Row(45, 2, "9", "店A", 0, std::nullopt)});
    const StoredCheck failed =
        Check("店A", start + day, CheckOutcome::DownloadFailed, {Row(1, 1, "7", "店B", 7000, 60)});
    const StoredCheck other =
        Check("店Z", start + day, CheckOutcome::NotFound, {Row(1, 1, "8", "店C", 100, 1)});
    std::string error;
    {
        std::unique_ptr<RowStore> store = RowStore::Open(Path("rows.db"), error);
        ASSERT_TRUE(store) << error;
        for (const StoredCheck* check : {&first, &failed, &other})
            ASSERT_EQ(store->Record(*check, error), RowStore::Kept::Yes) << error;
    }
    // Opened again, as the next run does.
    std::unique_ptr<RowStore> store = RowStore::Open(Path("rows.db"), error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(error, "");
    std::vector<StoredCheck> line =
        store->ChecksOf("连衣裙", "店A", 2, 0, RowStore::RowDetail::Whole);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_TRUE(SameRows(line[0].rows, first.rows));
    EXPECT_EQ(line[0].rank, 45);
    EXPECT_EQ(line[1].outcome, CheckOutcome::DownloadFailed);
    EXPECT_FALSE(line[1].rank);
    // Sellers only: what the rivals read, without titles or links.
    std::vector<StoredCheck> all = store->ChecksSince(start + 1, RowStore::RowDetail::Sellers);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].rows[0].seller, "店C");
    EXPECT_EQ(all[1].rows[0].title, "");
    EXPECT_EQ(all[1].rows[0].priceFen, 100);

    // A new check is compared with the last one that ran to its end, not
    // the failed one after it.
    StoredCheck next =
        Check("店A", start + 2 * day, CheckOutcome::Found, {Row(1, 1, "7", "店A", 1, 1)});
    std::optional<StoredCheck> previous =
        store->PreviousCompleted(next, RowStore::RowDetail::Whole);
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->checkedAt, start);
    EXPECT_TRUE(SameRows(previous->rows, first.rows));

    // Past the retention, the old checks go once a new one is kept.
    store->SetRetentionDays(30);
    next.checkedAt = start + 30 * day + 10;
    ASSERT_EQ(store->Record(next, error), RowStore::Kept::Yes) << error;
    line = store->ChecksOf("连衣裙", "店A", 2, 0, RowStore::RowDetail::None);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].checkedAt, start + day);

    // Packed rows cut short or overlong are no rows, never a crash.
    const std::string packed = PackRows({{3, 1, 5, 100, std::nullopt}, {1, 2, 6, std::nullopt, 9}});
    std::optional<std::vector<PackedRow>> back = UnpackRows(packed);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[1].rank, 1);
    EXPECT_EQ((*back)[1].sales, 9);
    EXPECT_FALSE((*back)[1].priceFen);
    EXPECT_FALSE(UnpackRows(packed.substr(0, packed.size() - 1)));
    EXPECT_FALSE(UnpackRows(std::string(12, '\xFF')));
}

TEST_F(RowStoreTest, AnItemLineShowsTheTitleItsLatestFindingCheckSaw) {
    const std::time_t day = 86400, start = 1'800'000'000;
    const std::string link = "http://item.taobao.com/item.htm?id=9";
    const BatchLine line(1, "连衣裙", link, "");
    auto itemCheck = [&](std::time_t when, CheckOutcome outcome, std::vector<SeenRow> rows) {
        StoredCheck check = Check(link, when, outcome, std::move(rows));
        check.mode = 3;
        return check;
    };
    std::string error;
    std::unique_ptr<RowStore> store = RowStore::Open(Path("rows.db"), error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(LastFoundTitle(store.get(), line), std::nullopt);
    SeenRow renamed = Row(3, 1, "9", "店A", 1, 1);
    renamed.title = "新标题 连衣裙";
    // Found, found again under a new title, then not found: the latest
    // finding check's row names the item.
    for (const StoredCheck& check :
         {itemCheck(start, CheckOutcome::Found,
                    {Row(1, 1, "7", "店B", 1, 1), Row(2, 1, "9", "店A", 1, 1)}),
          itemCheck(start + day, CheckOutcome::Found, {Row(1, 1, "7", "店B", 1, 1), renamed}),
          itemCheck(start + 2 * day, CheckOutcome::NotFound, {Row(1, 1, "8", "店C", 1, 1)})})
        ASSERT_EQ(store->Record(check, error), RowStore::Kept::Yes) << error;
    EXPECT_EQ(LastFoundTitle(store.get(), line), "新标题 连衣裙");
    // Not for a seller line, nor without a store.
    EXPECT_EQ(LastFoundTitle(store.get(), BatchLine(1, "连衣裙", "店A", "")), std::nullopt);
    EXPECT_EQ(LastFoundTitle(nullptr, line), std::nullopt);

    // The table shows the title in place of the link, which copies keep.
    const TableRow row = DescribeLine(line, nullptr, LastFoundTitle(store.get(), line));
    EXPECT_EQ(row.Shown(TableColumn::Target), "新标题 连衣裙");
    EXPECT_EQ(row.cells[static_cast<std::size_t>(TableColumn::Target)], link);
    EXPECT_NE(RowsAsTsv({row}).find(link), std::string::npos);
    EXPECT_EQ(DescribeLine(line, nullptr).Shown(TableColumn::Target), link);
    EXPECT_EQ(DescribeLine(BatchLine(1, "k", "店A", ""), nullptr, std::string("t"))
                  .Shown(TableColumn::Target),
              "店A");
}

TEST_F(RowStoreTest, ADamagedOrForeignFileIsSetAsideAndANewStoreStarted) {
    std::string report;
    // Not a database at all.
    { std::ofstream(Path("rows.db")) << "not a database, but the user's notes"; }
    std::unique_ptr<RowStore> store = RowStore::Open(Path("rows.db"), report);
    ASSERT_TRUE(store) << report;
    EXPECT_NE(report.find("moved aside to"), std::string::npos) << report;
    EXPECT_EQ(CountNamed("rows.db.damaged-"), 1);
    store.reset();

    // Another program's database.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Path("other.db").c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    store = RowStore::Open(Path("other.db"), report);
    ASSERT_TRUE(store);
    EXPECT_NE(report.find("no store of rows"), std::string::npos) << report;
    EXPECT_EQ(CountNamed("other.db.damaged-"), 1);

    // A store whose pages are damaged after it was opened: found out by
    // the next check, which goes into a new store.
    std::vector<SeenRow> rows;
    for (int rank = 1; rank <= 400; ++rank)
        rows.push_back(Row(rank, 1 + rank / 44, std::to_string(rank),
                           "店" + std::to_string(rank % 9), rank, rank));
    for (int day = 0; day < 5; ++day)
        ASSERT_EQ(
            store->Record(Check("店A", 1'800'000'000 + day * 86400, CheckOutcome::NotFound, rows),
                          report),
            RowStore::Kept::Yes)
            << report;
    store.reset();
    {
        std::fstream file(Path("other.db"), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        const std::string garbage(1 << 16, '\x5A');
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    store = RowStore::Open(Path("other.db"), report);
    ASSERT_TRUE(store) << report;
    EXPECT_EQ(store->Record(Check("店A", 1'800'000'000 + 6 * 86400, CheckOutcome::NotFound, rows),
                            report),
              RowStore::Kept::InNewStore)
        << report;
    EXPECT_EQ(CountNamed("other.db.damaged-"), 2);
    EXPECT_EQ(store->ChecksSince(0, RowStore::RowDetail::Whole).size(), 1u);
}

}  // namespace
}  // namespace sorvik
