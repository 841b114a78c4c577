// The window behind a CWndResizer: measures the window's client area and its
// controls (children carrying the property "controlId") and moves them.
#pragma once

#include <QWidget>

#include "shell/WndResizer.h"

class WidgetResizerHost : public IResizerHost {
 public:
  // The property that names a control's identifier.
  static constexpr const char* kControlIdProperty = "controlId";

  // `window` must outlive the host.
  explicit WidgetResizerHost(QWidget* window) : window_(window) {}

  // Gives `control` the identifier `id`.
  static void SetControlId(QWidget* control, unsigned id);
  // The child of the window with identifier `id`, or null.
  QWidget* FindControl(unsigned id) const;

  ClientArea GetClientArea() override;
  bool GetControlRect(unsigned id, CRect* rect) override;
  CSize GetGripSize() override;
  void MoveControls(const std::vector<std::pair<unsigned, CRect>>& moves) override;
  void Invalidate(const CRect& rect, bool erase) override;
  CSize ClientToWindowSize(CSize client) override;

 private:
  QWidget* window_;
};
