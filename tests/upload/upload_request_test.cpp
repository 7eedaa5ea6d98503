#include "upload/upload_request.h"

#include <gtest/gtest.h>

#include "device/frame_builder.h"
#include "store/record_store.h"
#include "tests/support/temp_dir.h"

namespace {

class UploadSnapshotTest : public TempDirTest {};

// The records go from the bottom of the list to the top, only ticked ones
// whose stored record can still be read, each with its stored text.
TEST_F(UploadSnapshotTest, TickedStoredRecordsGoBottomToTop) {
  RecordDb db(Path("storage"));
  NcItemList records;
  for (int i = 0; i < 5; ++i) {
    FrameFields f;
    String time;
    time.Format(u"1903051516%02d", i);
    f.time = time;
    const String text = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
    const String key = StoreReceivedRecord(db, time, text).key;
    records.Append(key, text, i == 1 || i == 2 || i == 4, false, u"0123456789ABCDEF");
  }
  ASSERT_TRUE(db.Delete(records[2].Key()));  // gone from the database meanwhile
  const std::vector<UploadRecord> snapshot = TakeUploadSnapshot(records, db);
  ASSERT_EQ(snapshot.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const _NcItemData& r = records[k == 0 ? 4 : 1];
    EXPECT_EQ(snapshot[k].serial, r.serial);
    EXPECT_TRUE(snapshot[k].key == r.Key());
    EXPECT_TRUE(snapshot[k].uid == r.Uid());
    for (int c = 0; c < 15; ++c) EXPECT_TRUE(snapshot[k].columns[c] == r.Columns().cell[c]) << c;
    Json doc;
    ASSERT_TRUE(db.GetJson(r.Key(), doc));
    EXPECT_TRUE(snapshot[k].data == doc.PropertyStr(u"data", u""));
  }
}

}  // namespace
