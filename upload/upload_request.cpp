#include "upload/upload_request.h"

#include "store/record_store.h"

UploadRecord MakeUploadRecord(const _NcItemData& r) {
  UploadRecord u;
  u.key = r.Key();
  u.serial = r.serial;
  u.uid = r.Uid();
  u.deviceId = r.DeviceId();
  const RecordColumns columns = r.Columns();
  for (int c = 0; c < 15; ++c) u.columns[c] = columns.cell[c];
  u.data = AsStoredText(r.Text());
  return u;
}

std::vector<UploadRecord> TakeUploadSnapshot(const NcItemList& records, RecordDb& db) {
  std::vector<UploadRecord> out;
  size_t ticked = 0;
  for (uint32_t i = 0; i < records.Count(); ++i) ticked += records[i].selected ? 1 : 0;
  // The stored text is the one in the list; the database only says which are still there.
  const StoredKeys stored(db, ticked, records.Count());
  for (uint32_t i = records.Count(); i-- > 0;) {
    const _NcItemData& r = records[i];
    if (!r.selected || !stored.Contains(r)) continue;
    out.push_back(MakeUploadRecord(r));
  }
  return out;
}

std::vector<std::vector<UploadRecord>> GroupByDeviceId(const std::vector<UploadRecord>& records) {
  std::vector<std::vector<UploadRecord>> groups;
  std::vector<String> ids;
  for (const UploadRecord& record : records) {
    size_t g = 0;
    while (g < ids.size() && !(ids[g] == record.deviceId)) ++g;
    if (g == ids.size()) {
      ids.push_back(record.deviceId);
      groups.emplace_back();
    }
    groups[g].push_back(record);
  }
  return groups;
}

String UploadReport(int accepted, int unanswered, int unstored) {
  String text;
  text.Format(u"已成功上传 %d 条数据!", accepted);
  if (unanswered > 0) {
    String line;
    line.Format(u"\n%d 条数据没有收到服务器回复", unanswered);
    text += line;
  }
  if (unstored > 0) {
    String line;
    line.Format(u"\n%d 条数据的上传标记未能保存，下次会再上传", unstored);
    text += line;
  }
  return text;
}
