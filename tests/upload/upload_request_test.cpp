#include "upload/upload_request.h"

#include <gtest/gtest.h>

#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "store/record_store.h"
#include "tests/support/temp_dir.h"
#include "tests/support/varied_records.h"
#include "upload/http_upload.h"
#include "upload/tcp_protocol.h"

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

// The upload of a varied history, every record ticked, against records
// built whole from a Json parse of each stored value: the same frames and
// the same form post, byte for byte.
TEST_F(UploadSnapshotTest, UploadBytesMatchRecordsBuiltWhole) {
  RecordDb db(Path("storage"));
  VariedRecords().Store(db, 500);
  String odd(u"\"/\\\u00b0+1+2+3+4+5+0+7+8+9+10+11+12+豆\xd83d\xde00+14\r\n");
  ASSERT_TRUE(StoreReceivedRecord(db, u"990101000000", odd).status);
  const String deviceId(u"0123456789ABCDEF");
  NcItemList list;
  ASSERT_TRUE(LoadRecordList(db, list, deviceId));
  for (uint32_t i = 0; i < list.Count(); ++i) list[i].selected = true;
  const std::vector<UploadRecord> lazy = TakeUploadSnapshot(list, db);

  std::vector<UploadRecord> eager;
  db.ForEach([&](String& key, Json& doc) {
    UploadRecord u;
    u.key = key;
    u.data = doc.PropertyStr(u"data", u"");
    RecordColumns columns;
    EXPECT_TRUE(BuildRecordColumns(u.data, false, columns));
    for (int c = 0; c < 15; ++c) u.columns[c] = columns.cell[c];
    u.uid = ComputeRecordHash(u.data, deviceId);
    eager.insert(eager.begin(), std::move(u));  // bottom of the list first
    return false;
  });
  ASSERT_EQ(lazy.size(), eager.size());
  for (size_t i = 0; i < lazy.size(); ++i) {
    std::string lazyFrame, eagerFrame;
    EXPECT_EQ(BuildUploadFrame(lazy[i].data, lazyFrame),
              BuildUploadFrame(eager[i].data, eagerFrame));
    EXPECT_EQ(lazyFrame, eagerFrame) << i;
    EXPECT_FALSE(lazyFrame.empty() && i > 0) << "the varied records all make frames";
    EXPECT_TRUE(lazy[i].uid == eager[i].uid) << i;
    EXPECT_TRUE(lazy[i].key == eager[i].key) << i;
  }
  HttpUploadSettings settings;
  settings.userName = u"u";
  settings.password = u"p";
  settings.unitCode = u"c";
  settings.unitName = u"n";
  EXPECT_EQ(BuildUploadBody(BuildUploadDocument(settings, lazy)),
            BuildUploadBody(BuildUploadDocument(settings, eager)));
}

}  // namespace
