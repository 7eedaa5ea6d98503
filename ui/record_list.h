#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

#include "ui/notification.h"

// What the record list shows, row by row; the application keeps the records.
class RecordRowSource {
 public:
  virtual ~RecordRowSource() = default;
  virtual int RowCount() const = 0;
  virtual QString Cell(int row, int cell) const = 0;  // cells 0 to 15
  virtual bool Checked(int row) const = 0;
  virtual void* Tag(int row) const = 0;
};

// One model over the shown records: column 0 is the row's check box, columns
// 1 to 16 the record's 15 cells and its trace code. The model tells the view
// about rows only when told (RowsInserted, RowsChanged, ResetAll), so it never
// shows a row the source is still building.
class RecordListModel : public QAbstractTableModel {
 public:
  static constexpr int kColumns = 17;
  static constexpr int kResultCell = 2;

  RecordListModel(const RecordRowSource& source, QObject* parent);

  void SetCaptions(const QStringList& captions) { captions_ = captions; }
  void RowsInserted(int at, int count);   // the source gained `count` rows from row `at`
  void RowsChanged(int first, int last);  // texts or check states of these rows changed
  void ResetAll();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // A cell's text as shown: the program's own record texts ("合格", "已上传" ...)
  // in the window's language, anything else as stored.
  static QString DisplayText(const QString& stored);

 private:
  const RecordRowSource& source_;
  QStringList captions_;
  int shown_ = 0;
};

// Paints a row's check box from the skin's two-square image and its text cells
// with the row layout's padding.
class RecordListDelegate : public QStyledItemDelegate {
 public:
  RecordListDelegate(const QPixmap& checkbox, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  // The two squares scaled once, with area averaging, to the box's size: a
  // 148-pixel square drawn into 15 pixels at paint time would lose its lines.
  QPixmap squares_[2];
};

// The record list control: 28-pixel rows, one model, no widget per row. A
// click on a row's check box cell is a "click" notification from "selectbox"
// carrying the row's record, sent before anything changes; the handler
// decides the new state.
class RecordListView : public QTableView {
 public:
  explicit RecordListView(QWidget* parent = nullptr);
  void SetSink(NotifySink* sink) { sink_ = sink; }
  // Column widths from the skin, check box column first.
  void SetColumnWidths(const QList<int>& widths);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  NotifySink* sink_ = nullptr;
};
