#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

// Where a point of a frameless window is: caption (drag), a border or corner
// (resize), or client. The codes are those of the platform's hit test.
enum HitCode {
  kHitClient = 1,
  kHitCaption = 2,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

// What kind of control lies under the point: buttons, options and text
// controls stay clickable inside the caption.
enum class ControlKind { kNone, kButton, kOption, kText, kOther };

// `caption` holds left and right insets from the client's edges and the top
// and bottom of the caption band; `sizeBox` the resize margins. Borders count
// only while the window is not maximized.
HitCode HitTest(const QPoint& point, const QRect& client, const QMargins& sizeBox,
                const QMargins& caption, bool maximized, ControlKind under);
