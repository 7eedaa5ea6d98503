#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "store/nc_item_data.h"
#include "store/recycle_bin.h"

// The recycle bin's list for its dialog: one row per deleted record (the
// deletion time with a check box, then the test time, name, result and
// tested unit), cheap at any count: rows are built as they are painted.
class RecycleBinModel : public QAbstractTableModel {
 public:
  explicit RecycleBinModel(QObject* parent) : QAbstractTableModel(parent) {}

  // Shows `entries`, none ticked; `deviceId`: the station's, for records naming none.
  void Reset(std::vector<RecycleBin::Entry> entries, const String& deviceId);
  void TickAll(bool ticked);
  // The ids of the ticked rows.
  std::vector<std::string> TickedIds() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<RecycleBin::Entry> entries_;
  NcItemList records_;         // the entries' records, for their cells
  std::vector<int> recordOf_;  // entry -> index in records_, -1: not a record
  std::vector<bool> ticked_;
};
