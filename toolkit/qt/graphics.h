// Icons, bitmaps and paint contexts.
#pragma once

#include <QIcon>
#include <QPixmap>

#include "toolkit/win_defs.h"

class QPainter;
class QWidget;

namespace toolkit::qt {

// The bitmap resource of the current module; a null pixmap when it is missing.
QPixmap LoadBitmapPixmap(UINT id);

// The pictures behind an icon handle: the 32 x 32 form DrawIcon paints, and both forms for a
// window's icon.
QPixmap IconPixmap(HICON icon);
QIcon IconSet(HICON big, HICON small);

// Marks the widget as being painted by the windowing system, so BeginPaint paints on it.
class PaintScope {
  public:
    explicit PaintScope(QWidget* widget);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

  private:
    QWidget* previous_;
};

// The painter behind a paint context; null for an unknown handle.
QPainter* PainterOf(HDC dc);

}  // namespace toolkit::qt
