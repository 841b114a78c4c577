// CWndResizer: lets a fixed-layout window be resized. It keeps a tree of
// panels (rectangles in the window's client coordinates) over the client
// area; on every size change it computes each panel's rectangle from its
// anchors and size limits and moves the window's controls to their panels in
// one pass. The toolkit layer hands it a host (IResizerHost) that measures
// and moves the real widgets. Used only on the user-interface thread.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/Rect.h"

// What the resizer needs of the window it is hooked to.
class IResizerHost {
 public:
  // The client area and the scroll state of the window.
  struct ClientArea {
    CRect client;                 // client rectangle, (0, 0) at its top-left corner
    bool hasHorizontalScroll = false;
    int horizontalRangeMax = 0;   // maximum of the horizontal scroll range
    int horizontalPos = 0;
    bool hasVerticalScroll = false;
    int verticalRangeMax = 0;
    int verticalPos = 0;
  };

  virtual ~IResizerHost() = default;
  virtual ClientArea GetClientArea() = 0;
  // The rectangle of the control `id` in client coordinates; false when the window has no such control.
  virtual bool GetControlRect(unsigned id, CRect* rect) = 0;
  // Width and height of the resize grip in the bottom-right corner.
  virtual CSize GetGripSize() = 0;
  // Moves every listed control to its rectangle at once; controls that no longer exist are skipped.
  virtual void MoveControls(const std::vector<std::pair<unsigned, CRect>>& moves) = 0;
  // Marks `rect` for repainting, erasing its background first when `erase`.
  virtual void Invalidate(const CRect& rect, bool erase) = 0;
  // The window size that a client area of `client` gives with the window's present frame.
  virtual CSize ClientToWindowSize(CSize client) = 0;
};

class CWndResizer {
 public:
  enum Anchor : int {
    ANCHOR_LEFT = 0x01,
    ANCHOR_TOP = 0x02,
    ANCHOR_RIGHT = 0x04,
    ANCHOR_BOTTOM = 0x08,
    ANCHOR_HORIZONTALLY_CENTERED = 0x10,
    ANCHOR_VERTICALLY_CENTERED = 0x20,
    ANCHOR_PRIORITY_RIGHT = 0x40,
    ANCHOR_PRIORITY_BOTTOM = 0x80,
  };

  // The edge being dragged when the window is resized by its frame.
  enum SizingEdge : int {
    SIZING_LEFT = 1,
    SIZING_RIGHT = 2,
    SIZING_TOP = 3,
    SIZING_TOPLEFT = 4,
    SIZING_TOPRIGHT = 5,
    SIZING_BOTTOM = 6,
    SIZING_BOTTOMLEFT = 7,
    SIZING_BOTTOMRIGHT = 8,
  };

  // A rectangle of the tree. A panel owns its children.
  class CPanel : public CRect {
   public:
    CPanel() = default;
    explicit CPanel(const CRect& rect) : CRect(rect) {}
    virtual ~CPanel();
    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;

    // Lays out the children inside this panel's rectangle, then each child's own children.
    virtual void OnResized();
    // Adopts `panel` (taking ownership), taking its offsets from the present rectangles.
    // A panel with a parent is first released by that parent; false (ownership
    // unchanged) when that parent refuses or `panel` is null or this panel itself.
    virtual bool AddChild(CPanel* panel);
    // Unlinks `panel` from the children and hands its ownership back to the
    // caller; false when it is not a child.
    virtual bool RemoveChild(CPanel* panel);
    // Stores the anchor flags, adding top when no vertical flag and left when
    // no horizontal flag is set. Always true.
    virtual bool SetAnchor(int anchor);
    // False, and no change, when either value exceeds the maximum size.
    virtual bool SetMinSize(int width, int height);
    // False, and no change, when either value is below the minimum size.
    virtual bool SetMaxSize(int width, int height);
    // "Name(..), Type(..), Anchor(..), Size(..), Area(..), MinSize(..), MaxSize(..), Parent(..), ChildrenCount(..)".
    virtual std::string ToString() const;
    virtual std::string GetTypeName() const { return "CPanel"; }
    // The host of the hooked window, asked of the root; null without one.
    virtual IResizerHost* GetHookedWnd() const { return parent_ ? parent_->GetHookedWnd() : nullptr; }

    int anchor() const { return anchor_; }
    const std::string& name() const { return name_; }
    void set_name(std::string name) { name_ = std::move(name); }
    CPanel* parent() const { return parent_; }
    const std::list<std::unique_ptr<CPanel>>& children() const { return children_; }
    CSize minSize() const { return minSize_; }
    CSize maxSize() const { return maxSize_; }
    // Offsets to the parent's edges, fixed when the panel was added.
    int leftOffset() const { return leftOffset_; }
    int topOffset() const { return topOffset_; }
    int rightOffset() const { return rightOffset_; }
    int bottomOffset() const { return bottomOffset_; }

   private:
    int anchor_ = ANCHOR_LEFT | ANCHOR_TOP;
    std::string name_;
    CPanel* parent_ = nullptr;
    std::list<std::unique_ptr<CPanel>> children_;
    int leftOffset_ = 0;
    int topOffset_ = 0;
    int rightOffset_ = 0;
    int bottomOffset_ = 0;
    CSize minSize_{10, 10};
    CSize maxSize_{100000, 100000};
  };

  // The panel over the whole client area; owns every other panel.
  class CRootPanel : public CPanel {
   public:
    std::string GetTypeName() const override { return "CRootPanel"; }
    IResizerHost* GetHookedWnd() const override { return host_; }
    void SetHookedWnd(IResizerHost* host) { host_ = host; }

   private:
    IResizerHost* host_ = nullptr;
  };

  // The panel of one control of the window, named after its identifier.
  class CUIPanel : public CPanel {
   public:
    CUIPanel(const CRect& rect, unsigned id);
    std::string GetTypeName() const override { return "CUIPanel"; }
    unsigned id() const { return id_; }

   private:
    unsigned id_;
  };

  // A panel that repaints its old and new place when it moves.
  class CVisualPanel : public CPanel {
   public:
    explicit CVisualPanel(const CRect& rect) : CPanel(rect), previous_(rect) {}
    // Invalidates the previous and the new rectangle (without erasing); the children are not laid out.
    void OnResized() override;
    std::string GetTypeName() const override { return "CVisualPanel"; }
    const CRect& previous() const { return previous_; }

   private:
    CRect previous_;
  };

  // The resize grip in the bottom-right corner ("_resizeGrip").
  class CGripperPanel : public CVisualPanel {
   public:
    explicit CGripperPanel(const CRect& rect) : CVisualPanel(rect) {}
    std::string GetTypeName() const override { return "CGripperPanel"; }
  };

  CWndResizer();
  ~CWndResizer() = default;
  CWndResizer(const CWndResizer&) = delete;
  CWndResizer& operator=(const CWndResizer&) = delete;

  // Attaches to the window behind `host`: the root covers the client area and
  // the grip panel is added. False when already hooked or `host` is null.
  bool Hook(IResizerHost* host);
  // Detaches and deletes every panel below the root; false when not hooked.
  bool Unhook();
  bool IsHooked() const { return host_ != nullptr; }

  // The panel of control `id`, made on first use from the control's present
  // rectangle and added to the root; null when not hooked or there is no such control.
  CPanel* GetPanel(unsigned id);
  // Depth-first search from `panel` (itself first) for `name`, without regard to case; null for "".
  static CPanel* FindPanel(CPanel* panel, const std::string& name);
  CRootPanel& root() { return root_; }

  // The layout pass after a size change or a scroll: the root takes the
  // client area (kept within its size limits), the panels follow their
  // anchors and the controls are moved to their panels.
  void OnSize();
  // Keeps a proposed window rectangle within the root's size limits while
  // `edge` is being dragged; only the dragged edges move.
  void OnSizing(SizingEdge edge, CRect* windowRect);

 private:
  CRect ClientArea() const;
  void MoveControls();

  IResizerHost* host_ = nullptr;
  CRootPanel root_;
};
