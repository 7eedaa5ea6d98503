#include "ui/hit_test.h"

HitCode HitTest(const QPoint& p, const QRect& client, const QMargins& box, const QMargins& caption,
                bool maximized, ControlKind under) {
  const int left = client.left(), top = client.top();
  const int right = client.left() + client.width(), bottom = client.top() + client.height();
  if (!maximized) {
    const bool nearLeft = p.x() < left + box.left();
    const bool nearRight = p.x() >= right - box.right();
    if (p.y() < top + box.top()) return nearLeft ? kHitTopLeft : nearRight ? kHitTopRight : kHitTop;
    if (p.y() >= bottom - box.bottom()) {
      return nearLeft ? kHitBottomLeft : nearRight ? kHitBottomRight : kHitBottom;
    }
    if (nearLeft) return kHitLeft;
    if (nearRight) return kHitRight;
  }
  // caption.top()/bottom() are the band's top and bottom edges, not margins.
  const bool inCaption = p.x() >= left + caption.left() && p.x() < right - caption.right() &&
                         p.y() >= caption.top() && p.y() < caption.bottom();
  if (inCaption && under != ControlKind::kNone && under != ControlKind::kButton &&
      under != ControlKind::kOption && under != ControlKind::kText) {
    return kHitCaption;
  }
  return kHitClient;
}
