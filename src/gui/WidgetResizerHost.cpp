#include "gui/WidgetResizerHost.h"

#include <QStyle>
#include <QVariant>

namespace {

QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

void WidgetResizerHost::SetControlId(QWidget* control, unsigned id) {
  control->setProperty(kControlIdProperty, QVariant::fromValue(id));
}

QWidget* WidgetResizerHost::FindControl(unsigned id) const {
  for (QWidget* child : window_->findChildren<QWidget*>()) {
    QVariant value = child->property(kControlIdProperty);
    if (value.isValid() && value.toUInt() == id) return child;
  }
  return nullptr;
}

IResizerHost::ClientArea WidgetResizerHost::GetClientArea() {
  ClientArea area;
  QRect r = window_->rect();
  area.client = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
  return area;
}

bool WidgetResizerHost::GetControlRect(unsigned id, CRect* rect) {
  QWidget* control = FindControl(id);
  if (control == nullptr) return false;
  QRect r = control->geometry();
  QPoint topLeft = control->parentWidget()->mapTo(window_, r.topLeft());
  *rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height());
  return true;
}

CSize WidgetResizerHost::GetGripSize() {
  int extent = window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window_);
  return CSize{extent, extent};
}

void WidgetResizerHost::MoveControls(const std::vector<std::pair<unsigned, CRect>>& moves) {
  window_->setUpdatesEnabled(false);
  for (const auto& [id, rect] : moves) {
    QWidget* control = FindControl(id);
    if (control == nullptr) continue;
    QRect target = ToQRect(rect);
    target.moveTopLeft(control->parentWidget()->mapFrom(window_, target.topLeft()));
    control->setGeometry(target);
  }
  window_->setUpdatesEnabled(true);
}

void WidgetResizerHost::Invalidate(const CRect& rect, bool) { window_->update(ToQRect(rect)); }

CSize WidgetResizerHost::ClientToWindowSize(CSize client) {
  QSize frame = window_->frameGeometry().size() - window_->geometry().size();
  return CSize{client.cx + frame.width(), client.cy + frame.height()};
}
