#include "ui/record_list.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kPassGreen(0x00, 0x99, 0x00);
const QColor kFailRed(0xFF, 0x00, 0x00);
const QRect kCheckSource[2] = {QRect(0, 0, 148, 148), QRect(0, 148, 148, 148)};
const QRect kCheckTarget(5, 6, 15, 15);   // 5,6 to 20,21 inside the cell
const QMargins kCellPadding(5, 6, 5, 0);  // left, top, right, bottom

}  // namespace

RecordListModel::RecordListModel(const RecordRowSource& source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {}

void RecordListModel::RowsInserted(int at, int count) {
  if (count <= 0 || at < 0 || at > shown_) return;
  beginInsertRows(QModelIndex(), at, at + count - 1);
  shown_ += count;
  endInsertRows();
}

void RecordListModel::RowsChanged(int first, int last) {
  if (first > last || shown_ == 0) return;
  emit dataChanged(index(first, 0), index(last, kColumns - 1));
}

void RecordListModel::ResetAll() {
  beginResetModel();
  shown_ = source_.RowCount();
  endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return QVariant();
  if (role == Qt::UserRole) return QVariant::fromValue(source_.Tag(index.row()));
  const int column = index.column();
  if (column == 0) {
    if (role == Qt::CheckStateRole)
      return source_.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return QVariant();
  }
  const int cell = column - 1;
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    return DisplayText(source_.Cell(index.row(), cell));
  }
  if (role == Qt::ForegroundRole && cell == kResultCell) {
    return source_.Cell(index.row(), cell) == QStringLiteral("合格") ? kPassGreen : kFailRed;
  }
  return QVariant();
}

QString RecordListModel::DisplayText(const QString& stored) {
  // The record texts the program itself writes (results, upload states)
  // show in the window's language; stored records keep the Chinese.
  static const char* const kOwnTexts[] = {
      QT_TRANSLATE_NOOP("RecordList", "合格"), QT_TRANSLATE_NOOP("RecordList", "不合格"),
      QT_TRANSLATE_NOOP("RecordList", "已上传"), QT_TRANSLATE_NOOP("RecordList", "未保存"),
      QT_TRANSLATE_NOOP("RecordList", "已上传，标记未保存")};
  for (const char* text : kOwnTexts) {
    if (stored == QString::fromUtf8(text)) return QCoreApplication::translate("RecordList", text);
  }
  return stored;
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < captions_.size()) {
    return captions_[section];  // the skin's, translated as the skin is loaded
  }
  return QVariant();
}

RecordListDelegate::RecordListDelegate(const QPixmap& checkbox, QObject* parent)
    : QStyledItemDelegate(parent) {
  for (int i = 0; i < 2; ++i) {
    squares_[i] =
        checkbox.copy(kCheckSource[i])
            .scaled(kCheckTarget.size() * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    squares_[i].setDevicePixelRatio(2.0);
  }
}

void RecordListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
  opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
  if (index.column() == 0) {
    const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(kCheckTarget.translated(option.rect.topLeft()), squares_[ticked ? 1 : 0]);
    return;
  }
  const QVariant colour = index.data(Qt::ForegroundRole);
  painter->save();
  painter->setPen(colour.isValid() ? colour.value<QColor>() : option.palette.color(QPalette::Text));
  const QRect area = option.rect.marginsRemoved(kCellPadding);
  painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
  painter->restore();
}

RecordListView::RecordListView(QWidget* parent) : QTableView(parent) {
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(28);
  horizontalHeader()->setHighlightSections(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void RecordListView::SetColumnWidths(const QList<int>& widths) {
  // Never narrower than its caption (with room for the sort arrow): captions
  // in another language may be longer than the skin's widths allow.
  QHeaderView* header = horizontalHeader();
  const QFontMetrics metrics(header->font());
  for (int i = 0; i < widths.size(); ++i) {
    const QString caption = model() ? model()->headerData(i, Qt::Horizontal).toString() : QString();
    const int needed = caption.isEmpty() ? 0 : metrics.horizontalAdvance(caption) + 28;
    setColumnWidth(i, std::max(widths[i], needed));
  }
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
}

void RecordListView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid() && index.column() == 0 && event->button() == Qt::LeftButton && sink_) {
    Notification n;
    n.type = QStringLiteral("click");
    n.sender = this;
    n.name = QStringLiteral("selectbox");
    n.tag = index.data(Qt::UserRole).value<void*>();
    sink_->Notify(n);
  }
  QTableView::mousePressEvent(event);
}
