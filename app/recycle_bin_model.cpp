#include "app/recycle_bin_model.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>

#include "store/record_store.h"
#include "ui/qt_text.h"

namespace {

// The record cells shown after the deletion time: 日期, 名称, 检测结果, 被检单位.
constexpr int kRecordCells[] = {9, 1, 2, 4};
constexpr int kResultColumn = 3;

}  // namespace

void RecycleBinModel::Reset(std::vector<RecycleBin::Entry> entries, const String& deviceId) {
  beginResetModel();
  entries_ = std::move(entries);
  NcItemList records;
  records_.Swap(records);
  recordOf_.assign(entries_.size(), -1);
  StoredEntryReader reader(deviceId);
  for (size_t i = 0; i < entries_.size(); ++i) {
    const uint32_t before = records_.Count();
    const RecycleBin::Entry& entry = entries_[i];
    reader.Append(records_, entry.key.data(), entry.key.size(), entry.value.data(),
                  entry.value.size());
    if (records_.Count() > before) recordOf_[i] = static_cast<int>(before);
  }
  ticked_.assign(entries_.size(), false);
  endResetModel();
}

void RecycleBinModel::TickAll(bool ticked) {
  ticked_.assign(entries_.size(), ticked);
  if (!entries_.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

std::vector<std::string> RecycleBinModel::TickedIds() const {
  std::vector<std::string> ids;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (ticked_[i]) ids.push_back(entries_[i].id);
  }
  return ids;
}

int RecycleBinModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int RecycleBinModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 5;
}

QVariant RecycleBinModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return QVariant();
  const size_t row = static_cast<size_t>(index.row());
  if (index.column() == 0 && role == Qt::CheckStateRole)
    return ticked_[row] ? Qt::Checked : Qt::Unchecked;
  const int record = recordOf_[row];
  if (role == Qt::ForegroundRole && index.column() == kResultColumn && record >= 0) {
    return QBrush(records_[static_cast<uint32_t>(record)].Failed() ? QColor(0xc6, 0x28, 0x28)
                                                                   : QColor(0x2e, 0x7d, 0x32));
  }
  if (role != Qt::DisplayRole) return QVariant();
  if (index.column() == 0) return ToQString(entries_[row].deleted);
  if (record < 0) {
    // Not a record the list can show: its key says what it was.
    return index.column() == 1 ? ToQString(String::FromBytes(entries_[row].key, cp::kGbk))
                               : QString();
  }
  return ToQString(records_.Cell(static_cast<uint32_t>(record), kRecordCells[index.column() - 1]));
}

bool RecycleBinModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
  ticked_[static_cast<size_t>(index.row())] = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags RecycleBinModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled;
  if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant RecycleBinModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
  static const char* const kHeaders[] = {
      QT_TRANSLATE_NOOP("MainFrameWnd", "删除时间"), QT_TRANSLATE_NOOP("MainFrameWnd", "日期"),
      QT_TRANSLATE_NOOP("MainFrameWnd", "名称"), QT_TRANSLATE_NOOP("MainFrameWnd", "检测结果"),
      QT_TRANSLATE_NOOP("MainFrameWnd", "被检单位")};
  if (section < 0 || section >= 5) return QVariant();
  return QCoreApplication::translate("MainFrameWnd", kHeaders[section]);
}
