#include "shell/WndResizer.h"

#include <strings.h>

#include <cstdio>

namespace {

// One axis of a panel's layout: the near edge (left or top) and the far edge
// (right or bottom) of the child within its parent.
struct AxisRule {
  int parentNear;
  int parentFar;
  int size;        // the child's present width or height
  int nearOffset;
  int farOffset;
  int minimum;
  int maximum;
  bool centred;
  bool anchorNear;
  bool anchorFar;
  bool priorityFar;
};

void LayoutAxis(const AxisRule& r, int* nearEdge, int* farEdge) {
  int parentSize = r.parentFar - r.parentNear;
  int lo = 0;
  int hi = 0;
  if (r.centred) {
    lo = r.parentNear + (parentSize - r.size) / 2;
    hi = lo + r.size;
    bool limited = false;
    if (r.size < r.minimum) {
      hi = lo + r.minimum;
      limited = true;
    }
    if (hi - lo > r.maximum) {
      hi = lo + r.maximum;
      limited = true;
    }
    if (limited) {
      int size = hi - lo;
      lo = r.parentNear + (parentSize - size) / 2;
      hi = lo + size;
    }
  } else if (r.anchorNear && r.anchorFar) {
    lo = r.parentNear + r.nearOffset;
    hi = r.parentFar - r.farOffset;
    if (!r.priorityFar) {
      if (hi - lo < r.minimum) hi = lo + r.minimum;
      if (hi - lo > r.maximum) hi = lo + r.maximum;
    } else {
      if (hi - lo < r.minimum) lo = hi - r.minimum;
      if (hi - lo > r.maximum) lo = hi - r.maximum;
    }
  } else if (r.anchorFar) {
    hi = r.parentFar - r.farOffset;
    lo = hi - r.size;
    if (hi - lo < r.minimum) lo = hi - r.minimum;
    if (hi - lo > r.maximum) lo = hi - r.maximum;
  } else {
    lo = r.parentNear + r.nearOffset;
    hi = lo + r.size;
    if (r.size < r.minimum) hi = lo + r.minimum;
    if (hi - lo > r.maximum) hi = lo + r.maximum;
  }
  *nearEdge = lo;
  *farEdge = hi;
}

// Keeps one dragged edge within [minimum, maximum] of the opposite edge.
void LimitNear(int* nearEdge, int farEdge, int minimum, bool useMinimum, int maximum) {
  if (useMinimum) {
    if (farEdge - *nearEdge < minimum) *nearEdge = farEdge - minimum;
  } else if (farEdge - *nearEdge > maximum) {
    *nearEdge = farEdge - maximum;
  }
}

void LimitFar(int nearEdge, int* farEdge, int minimum, bool useMinimum, int maximum) {
  if (useMinimum) {
    if (*farEdge - nearEdge < minimum) *farEdge = nearEdge + minimum;
  } else if (*farEdge - nearEdge > maximum) {
    *farEdge = nearEdge + maximum;
  }
}

void CollectControlPanels(const CWndResizer::CPanel& panel, std::vector<const CWndResizer::CUIPanel*>* out) {
  for (const auto& child : panel.children()) {
    if (auto* ui = dynamic_cast<const CWndResizer::CUIPanel*>(child.get())) out->push_back(ui);
    CollectControlPanels(*child, out);
  }
}

}  // namespace

// --- CPanel ---

CWndResizer::CPanel::~CPanel() = default;

void CWndResizer::CPanel::OnResized() {
  for (auto& child : children_) {
    CPanel& c = *child;
    int a = c.anchor_;
    AxisRule horizontal{left,
                        right,
                        c.Width(),
                        c.leftOffset_,
                        c.rightOffset_,
                        c.minSize_.cx,
                        c.maxSize_.cx,
                        (a & ANCHOR_HORIZONTALLY_CENTERED) != 0,
                        (a & ANCHOR_LEFT) != 0,
                        (a & ANCHOR_RIGHT) != 0,
                        (a & ANCHOR_PRIORITY_RIGHT) != 0};
    AxisRule vertical{top,
                      bottom,
                      c.Height(),
                      c.topOffset_,
                      c.bottomOffset_,
                      c.minSize_.cy,
                      c.maxSize_.cy,
                      (a & ANCHOR_VERTICALLY_CENTERED) != 0,
                      (a & ANCHOR_TOP) != 0,
                      (a & ANCHOR_BOTTOM) != 0,
                      (a & ANCHOR_PRIORITY_BOTTOM) != 0};
    LayoutAxis(horizontal, &c.left, &c.right);
    LayoutAxis(vertical, &c.top, &c.bottom);
    c.OnResized();
  }
}

bool CWndResizer::CPanel::AddChild(CPanel* panel) {
  if (panel == nullptr || panel == this) return false;
  if (panel->parent_ != nullptr && !panel->parent_->RemoveChild(panel)) return false;
  panel->leftOffset_ = panel->left - left;
  panel->topOffset_ = panel->top - top;
  panel->rightOffset_ = right - panel->right;
  panel->bottomOffset_ = bottom - panel->bottom;
  panel->parent_ = this;
  children_.emplace_back(panel);
  return true;
}

bool CWndResizer::CPanel::RemoveChild(CPanel* panel) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() == panel) {
      it->release();
      children_.erase(it);
      panel->parent_ = nullptr;
      return true;
    }
  }
  return false;
}

bool CWndResizer::CPanel::SetAnchor(int anchor) {
  if ((anchor & (ANCHOR_TOP | ANCHOR_BOTTOM | ANCHOR_VERTICALLY_CENTERED)) == 0) anchor |= ANCHOR_TOP;
  if ((anchor & (ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_HORIZONTALLY_CENTERED)) == 0) anchor |= ANCHOR_LEFT;
  anchor_ = anchor;
  return true;
}

bool CWndResizer::CPanel::SetMinSize(int width, int height) {
  if (width > maxSize_.cx || height > maxSize_.cy) return false;
  minSize_ = CSize{width, height};
  return true;
}

bool CWndResizer::CPanel::SetMaxSize(int width, int height) {
  if (width < minSize_.cx || height < minSize_.cy) return false;
  maxSize_ = CSize{width, height};
  return true;
}

std::string CWndResizer::CPanel::ToString() const {
  char text[512];
  std::snprintf(text, sizeof text,
                "Name(%s), Type(%s), Anchor(%d), Size(w:%d, h:%d), Area(l:%d, t:%d, r:%d, b:%d), "
                "MinSize(w:%d, h:%d), MaxSize(w:%d, h:%d), Parent(%s), ChildrenCount(%d)",
                name_.c_str(), GetTypeName().c_str(), anchor_, Width(), Height(), left, top, right, bottom,
                minSize_.cx, minSize_.cy, maxSize_.cx, maxSize_.cy, parent_ ? parent_->name_.c_str() : "NULL",
                static_cast<int>(children_.size()));
  return text;
}

CWndResizer::CUIPanel::CUIPanel(const CRect& rect, unsigned id) : CPanel(rect), id_(id) {
  set_name(std::to_string(id));
}

void CWndResizer::CVisualPanel::OnResized() {
  if (IResizerHost* host = GetHookedWnd()) {
    host->Invalidate(previous_, false);
    host->Invalidate(*this, false);
  }
  previous_ = *this;
}

// --- CWndResizer ---

CWndResizer::CWndResizer() { root_.set_name("_root"); }

CRect CWndResizer::ClientArea() const {
  IResizerHost::ClientArea area = host_->GetClientArea();
  CRect rect = area.client;
  if (area.hasHorizontalScroll) {
    rect.right = rect.left + area.horizontalRangeMax;
    rect.left -= area.horizontalPos;
    rect.right -= area.horizontalPos;
  }
  if (area.hasVerticalScroll) {
    rect.bottom = rect.top + area.verticalRangeMax;
    rect.top -= area.verticalPos;
    rect.bottom -= area.verticalPos;
  }
  return rect;
}

bool CWndResizer::Hook(IResizerHost* host) {
  if (host == nullptr || host_ != nullptr) return false;
  host_ = host;
  root_.SetHookedWnd(host);
  static_cast<CRect&>(root_) = ClientArea();
  CSize grip = host_->GetGripSize();
  auto* gripper = new CGripperPanel(CRect(root_.right - grip.cx, root_.bottom - grip.cy, root_.right, root_.bottom));
  gripper->SetAnchor(ANCHOR_RIGHT | ANCHOR_BOTTOM);
  gripper->set_name("_resizeGrip");
  root_.AddChild(gripper);
  return true;
}

bool CWndResizer::Unhook() {
  if (host_ == nullptr) return false;
  while (!root_.children().empty()) {
    CPanel* child = root_.children().front().get();
    root_.RemoveChild(child);
    delete child;
  }
  root_.SetHookedWnd(nullptr);
  host_ = nullptr;
  return true;
}

CWndResizer::CPanel* CWndResizer::GetPanel(unsigned id) {
  std::string name = std::to_string(id);
  if (CPanel* found = FindPanel(&root_, name)) return found;
  CRect rect;
  if (host_ == nullptr || !host_->GetControlRect(id, &rect)) return nullptr;
  auto* panel = new CUIPanel(rect, id);
  root_.AddChild(panel);
  return panel;
}

CWndResizer::CPanel* CWndResizer::FindPanel(CPanel* panel, const std::string& name) {
  if (panel == nullptr || name.empty()) return nullptr;
  if (strcasecmp(panel->name().c_str(), name.c_str()) == 0) return panel;
  for (const auto& child : panel->children()) {
    if (CPanel* found = FindPanel(child.get(), name)) return found;
  }
  return nullptr;
}

void CWndResizer::OnSize() {
  if (host_ == nullptr) return;
  static_cast<CRect&>(root_) = ClientArea();
  CSize minimum = root_.minSize();
  CSize maximum = root_.maxSize();
  if (root_.Width() < minimum.cx) root_.right = root_.left + minimum.cx;
  if (root_.Width() > maximum.cx) root_.right = root_.left + maximum.cx;
  if (root_.Height() < minimum.cy) root_.bottom = root_.top + minimum.cy;
  if (root_.Height() > maximum.cy) root_.bottom = root_.top + maximum.cy;
  root_.OnResized();
  MoveControls();
}

void CWndResizer::MoveControls() {
  std::vector<const CUIPanel*> panels;
  CollectControlPanels(root_, &panels);
  if (panels.empty()) return;
  std::vector<std::pair<unsigned, CRect>> moves;
  moves.reserve(panels.size());
  for (const CUIPanel* panel : panels) moves.emplace_back(panel->id(), static_cast<const CRect&>(*panel));
  host_->MoveControls(moves);
  host_->Invalidate(root_, false);
}

void CWndResizer::OnSizing(SizingEdge edge, CRect* r) {
  if (host_ == nullptr || r == nullptr) return;
  CSize minimum = host_->ClientToWindowSize(root_.minSize());
  CSize maximum = host_->ClientToWindowSize(root_.maxSize());
  // Each corner applies the minimum height, the minimum width, the maximum
  // height and the maximum width, in this order, to its two dragged edges.
  auto horizontal = [&](bool nearEdge, bool useMinimum) {
    if (nearEdge) {
      LimitNear(&r->left, r->right, minimum.cx, useMinimum, maximum.cx);
    } else {
      LimitFar(r->left, &r->right, minimum.cx, useMinimum, maximum.cx);
    }
  };
  auto vertical = [&](bool nearEdge, bool useMinimum) {
    if (nearEdge) {
      LimitNear(&r->top, r->bottom, minimum.cy, useMinimum, maximum.cy);
    } else {
      LimitFar(r->top, &r->bottom, minimum.cy, useMinimum, maximum.cy);
    }
  };
  switch (edge) {
    case SIZING_LEFT:
      horizontal(true, true);
      horizontal(true, false);
      break;
    case SIZING_RIGHT:
      horizontal(false, true);
      horizontal(false, false);
      break;
    case SIZING_TOP:
      vertical(true, true);
      vertical(true, false);
      break;
    case SIZING_BOTTOM:
      vertical(false, true);
      vertical(false, false);
      break;
    case SIZING_TOPLEFT:
    case SIZING_TOPRIGHT:
    case SIZING_BOTTOMLEFT:
    case SIZING_BOTTOMRIGHT: {
      bool topEdge = edge == SIZING_TOPLEFT || edge == SIZING_TOPRIGHT;
      bool leftEdge = edge == SIZING_TOPLEFT || edge == SIZING_BOTTOMLEFT;
      vertical(topEdge, true);
      horizontal(leftEdge, true);
      vertical(topEdge, false);
      horizontal(leftEdge, false);
      break;
    }
  }
}
