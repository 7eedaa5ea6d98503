// Finding records: the filter bar over the record list and sorting by a
// click on a column header. Only the view changes; stored order, stored
// records and the commands' scope stay as they are.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/main_frame_wnd.h"
#include "store/record_sort.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {

uint32_t DayNumber(const QDate& date) {
  return static_cast<uint32_t>(date.year() * 10000 + date.month() * 100 + date.day());
}

}  // namespace

QDate MainFrameWnd::Today() const {
  return options_.today.isValid() ? options_.today : QDate::currentDate();
}

void MainFrameWnd::InitFindBar() {
  editFind_ = root_->findChild<QLineEdit*>("EditFind");
  checkDate_ = root_->findChild<QCheckBox*>("CheckDate");
  dateFrom_ = root_->findChild<QDateEdit*>("DateFrom");
  dateTo_ = root_->findChild<QDateEdit*>("DateTo");
  comboResult_ = root_->findChild<QComboBox*>("ComboResult");
  comboUploaded_ = root_->findChild<QComboBox*>("ComboUploaded");
  for (QDateEdit* date : {dateFrom_, dateTo_}) {
    const QSignalBlocker quiet(date);
    date->setDate(Today());
    date->setEnabled(false);
  }
  QHeaderView* header = datalist_->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  connect(header, &QHeaderView::sectionClicked, this, &MainFrameWnd::OnHeaderClicked);
}

void MainFrameWnd::ApplyFindBar() {
  findDue_ = book_.IsFrozen();
  if (findDue_) return;  // applied when the work over the records ends
  RecordFilter filter;
  filter.text = FromQString(editFind_->text());
  const bool byDate = checkDate_->isChecked();
  dateFrom_->setEnabled(byDate);
  dateTo_->setEnabled(byDate);
  if (byDate) {
    filter.fromDate = DayNumber(dateFrom_->date());
    filter.toDate = DayNumber(dateTo_->date());
  }
  filter.result = static_cast<RecordFilter::Result>(comboResult_->currentIndex());
  filter.upload = static_cast<RecordFilter::Upload>(comboUploaded_->currentIndex());
  RunOnFrozenBook(tr("正在查找……"), [this, filter] { return book_.PrepareFilter(filter); });
}

void MainFrameWnd::SetDateRange(DateShortcut shortcut) {
  const QDate today = Today();
  QDate from = today, to = today;
  if (shortcut == DateShortcut::kLastSevenDays) from = today.addDays(-6);
  if (shortcut == DateShortcut::kThisMonth) {
    from = QDate(today.year(), today.month(), 1);
    to = from.addMonths(1).addDays(-1);
  }
  for (auto [edit, date] : {std::pair{dateFrom_, from}, {dateTo_, to}}) {
    const QSignalBlocker quiet(edit);
    edit->setDate(date);
  }
  const QSignalBlocker quiet(checkDate_);
  checkDate_->setChecked(true);
  ApplyFindBar();
}

void MainFrameWnd::ClearFind() {
  if (RefuseWhileBookBusy()) return;
  for (QObject* control : std::initializer_list<QObject*>{editFind_, checkDate_, comboResult_,
                                                          comboUploaded_, dateFrom_, dateTo_}) {
    control->blockSignals(true);
  }
  editFind_->clear();
  checkDate_->setChecked(false);
  comboResult_->setCurrentIndex(0);
  comboUploaded_->setCurrentIndex(0);
  dateFrom_->setEnabled(false);
  dateTo_->setEnabled(false);
  for (QObject* control : std::initializer_list<QObject*>{editFind_, checkDate_, comboResult_,
                                                          comboUploaded_, dateFrom_, dateTo_}) {
    control->blockSignals(false);
  }
  // The full list in its stored order.
  findDue_ = false;
  datalist_->horizontalHeader()->setSortIndicatorShown(false);
  book_.ResetView();
}

void MainFrameWnd::OnHeaderClicked(int section) {
  const int column = section - 1;  // section 0 holds the check boxes
  if (column < 0 || column >= kSortColumns || book_.IsFrozen()) return;
  // Ascending, descending, then the stored order again.
  int sortColumn = column;
  bool descending = false;
  const RecordView& view = book_.View();
  if (view.SortColumn() == column) {
    descending = !view.SortDescending();
    if (view.SortDescending()) sortColumn = -1;
  }
  RunOnFrozenBook(
      tr("正在排序……"),
      [this, sortColumn, descending] { return book_.PrepareSort(sortColumn, descending); },
      [this, section, sortColumn, descending](const RecordBook::Prepared&) {
        QHeaderView* header = datalist_->horizontalHeader();
        header->setSortIndicatorShown(sortColumn >= 0);
        if (sortColumn >= 0) {
          header->setSortIndicator(section, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
      });
}
