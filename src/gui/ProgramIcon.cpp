#include "gui/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Draw(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1F, 0x5F, 0x6B));
  qreal radius = size / 6.0;
  painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
  // A gate: two posts under a lintel.
  painter.setBrush(Qt::white);
  qreal unit = size / 8.0;
  painter.drawRect(QRectF(unit, 1.5 * unit, 6 * unit, unit));          // lintel
  painter.drawRect(QRectF(1.75 * unit, 2.5 * unit, unit, 4 * unit));   // left post
  painter.drawRect(QRectF(5.25 * unit, 2.5 * unit, unit, 4 * unit));   // right post
  return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (int size : {16, 24, 32, 48, 64}) made.addPixmap(Draw(size));
    return made;
  }();
  return icon;
}
