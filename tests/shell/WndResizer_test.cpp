#include "shell/WndResizer.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using R = CWndResizer;

// A window of plain rectangles: the client area, its controls and a frame.
class FakeWindow : public IResizerHost {
 public:
  ClientArea area;
  std::map<unsigned, CRect> controls;
  std::vector<std::pair<CRect, bool>> invalidated;
  int moveCalls = 0;
  CSize frame{16, 39};

  explicit FakeWindow(int width = 778, int height = 523) { area.client = CRect(0, 0, width, height); }
  void Resize(int width, int height) { area.client = CRect(0, 0, width, height); }

  ClientArea GetClientArea() override { return area; }
  bool GetControlRect(unsigned id, CRect* rect) override {
    auto it = controls.find(id);
    if (it == controls.end()) return false;
    *rect = it->second;
    return true;
  }
  CSize GetGripSize() override { return CSize{17, 17}; }
  void MoveControls(const std::vector<std::pair<unsigned, CRect>>& moves) override {
    ++moveCalls;
    for (const auto& [id, rect] : moves) {
      if (controls.count(id)) controls[id] = rect;
    }
  }
  void Invalidate(const CRect& rect, bool erase) override { invalidated.emplace_back(rect, erase); }
  CSize ClientToWindowSize(CSize client) override { return CSize{client.cx + frame.cx, client.cy + frame.cy}; }
};

TEST(WndResizer, AnchorsWithoutAVerticalOrHorizontalFlagGetTopAndLeft) {
  struct Case {
    int given;
    int stored;
  };
  const Case cases[] = {
      {0, R::ANCHOR_LEFT | R::ANCHOR_TOP},
      {R::ANCHOR_RIGHT, R::ANCHOR_RIGHT | R::ANCHOR_TOP},
      {R::ANCHOR_VERTICALLY_CENTERED, R::ANCHOR_VERTICALLY_CENTERED | R::ANCHOR_LEFT},
      {R::ANCHOR_BOTTOM, R::ANCHOR_BOTTOM | R::ANCHOR_LEFT},
      {0x0F, 0x0F},
      {R::ANCHOR_PRIORITY_RIGHT, R::ANCHOR_PRIORITY_RIGHT | R::ANCHOR_LEFT | R::ANCHOR_TOP},
  };
  for (const Case& c : cases) {
    R::CPanel panel;
    EXPECT_TRUE(panel.SetAnchor(c.given));
    EXPECT_EQ(panel.anchor(), c.stored) << "given " << c.given;
  }
}

// The main window's controls, anchored as the window anchors them, follow
// the client area through a table of sizes.
TEST(WndResizer, MainWindowControlsFollowTheirAnchors) {
  const CRect list(10, 33, 767, 475), option(10, 486, 85, 510), start(693, 486, 768, 510), label(10, 12, 41, 26);
  struct Case {
    int width, height;
    CRect list, option, start;
  };
  const Case cases[] = {
      {778, 523, list, option, start},
      {1000, 700, {10, 33, 989, 652}, {10, 663, 85, 687}, {915, 663, 990, 687}},
      {500, 300, {10, 33, 489, 252}, {10, 263, 85, 287}, {415, 263, 490, 287}},
      // Smaller than the margins: the list keeps its minimum of 10 x 10 and
      // extends beyond the window; the buttons keep their corner distances.
      {20, 40, {10, 33, 20, 43}, {10, 3, 85, 27}, {-65, 3, 10, 27}},
      {778, 523, list, option, start},  // back where it started
  };
  FakeWindow window;
  window.controls = {{1000, list}, {1001, option}, {1003, start}, {1004, label}};
  R resizer;
  ASSERT_TRUE(resizer.Hook(&window));
  resizer.GetPanel(1000)->SetAnchor(0x0F);
  resizer.GetPanel(1001)->SetAnchor(0x09);
  resizer.GetPanel(1003)->SetAnchor(0x0C);
  for (const Case& c : cases) {
    window.Resize(c.width, c.height);
    resizer.OnSize();
    EXPECT_EQ(window.controls[1000], c.list) << c.width << "x" << c.height << ": " << ToString(window.controls[1000]);
    EXPECT_EQ(window.controls[1001], c.option) << c.width << "x" << c.height << ": " << ToString(window.controls[1001]);
    EXPECT_EQ(window.controls[1003], c.start) << c.width << "x" << c.height << ": " << ToString(window.controls[1003]);
    EXPECT_EQ(window.controls[1004], label) << "a control without a panel never moves";
  }
  // One move of all controls per layout pass, then the client area repainted without erasing.
  EXPECT_EQ(window.moveCalls, 5);
  ASSERT_FALSE(window.invalidated.empty());
  EXPECT_EQ(window.invalidated.back(), std::make_pair(CRect(0, 0, 778, 523), false));
}

// One child in a parent, laid out after the parent changed: a table over the
// anchors and size limits.
TEST(WndResizer, ChildRectangleFromAnchorsAndLimits) {
  struct Case {
    const char* name;
    int anchor;
    CSize minSize, maxSize;
    CRect child;        // when added, inside a parent of (0, 0, 200, 100)
    CRect parentAfter;
    CRect expected;
  };
  const CSize kMin{10, 10}, kMax{100000, 100000};
  const Case cases[] = {
      {"left top keeps its place", 0x03, kMin, kMax, {10, 10, 60, 30}, {0, 0, 400, 300}, {10, 10, 60, 30}},
      {"right bottom keeps the corner distance", 0x0C, kMin, kMax, {150, 70, 190, 90}, {0, 0, 300, 200},
       {250, 170, 290, 190}},
      {"all four edges grow", 0x0F, kMin, kMax, {10, 10, 190, 90}, {0, 0, 300, 200}, {10, 10, 290, 190}},
      {"left and right below the minimum extend beyond the right edge", 0x05, {100, 10}, kMax, {10, 10, 190, 30},
       {0, 0, 80, 100}, {10, 10, 110, 30}},
      {"with right priority they extend beyond the left edge", 0x45, {100, 10}, kMax, {10, 10, 190, 30},
       {0, 0, 80, 100}, {-30, 10, 70, 30}},
      {"left and right above the maximum stop at it", 0x05, kMin, {150, 100000}, {10, 10, 190, 30},
       {0, 0, 400, 100}, {10, 10, 160, 30}},
      {"right priority keeps the right margin at the maximum", 0x45, kMin, {150, 100000}, {10, 10, 190, 30},
       {0, 0, 400, 100}, {240, 10, 390, 30}},
      {"centred horizontally", 0x12, kMin, kMax, {50, 10, 150, 30}, {0, 0, 400, 100}, {150, 10, 250, 30}},
      {"centred panel wider than its maximum is cut and centred", 0x12, kMin, {60, 100000}, {50, 10, 150, 30},
       {0, 0, 400, 100}, {170, 10, 230, 30}},
      {"centred vertically", 0x21, kMin, kMax, {10, 40, 50, 60}, {0, 0, 200, 300}, {10, 140, 50, 160}},
      {"top and bottom below the minimum extend downwards", 0x0A, {10, 50}, kMax, {10, 10, 50, 90},
       {0, 0, 200, 40}, {10, 10, 50, 60}},
      {"bottom priority extends upwards", 0x8A, {10, 50}, kMax, {10, 10, 50, 90}, {0, 0, 200, 40},
       {10, -20, 50, 30}},
      {"a moved parent carries its children", 0x03, kMin, kMax, {10, 10, 60, 30}, {100, 50, 300, 150},
       {110, 60, 160, 80}},
      {"centring truncates toward zero", 0x12, kMin, kMax, {0, 0, 101, 20}, {0, 0, 200, 100}, {49, 0, 150, 20}},
  };
  for (const Case& c : cases) {
    R::CPanel parent(CRect(0, 0, 200, 100));
    auto* child = new R::CPanel(c.child);
    ASSERT_TRUE(child->SetMinSize(c.minSize.cx, c.minSize.cy)) << c.name;
    ASSERT_TRUE(child->SetMaxSize(c.maxSize.cx, c.maxSize.cy)) << c.name;
    child->SetAnchor(c.anchor);
    ASSERT_TRUE(parent.AddChild(child));
    static_cast<CRect&>(parent) = c.parentAfter;
    parent.OnResized();
    EXPECT_EQ(static_cast<CRect&>(*child), c.expected) << c.name << ": " << ToString(*child);
  }
}

TEST(WndResizer, SizeLimitsRefuseCrossingEachOther) {
  R::CPanel panel;
  EXPECT_TRUE(panel.SetMinSize(50, 50));
  EXPECT_FALSE(panel.SetMaxSize(40, 100));
  EXPECT_FALSE(panel.SetMaxSize(100, 40));
  EXPECT_TRUE(panel.SetMaxSize(60, 60));
  EXPECT_FALSE(panel.SetMinSize(61, 10));
  EXPECT_EQ(panel.minSize(), (CSize{50, 50}));
  EXPECT_EQ(panel.maxSize(), (CSize{60, 60}));
}

// Dragging an edge of the window: only the dragged edges move, and the
// client area stays within the root's limits (window size = client + frame 16 x 39).
TEST(WndResizer, DraggedEdgesStayWithinTheRootLimits) {
  struct Case {
    R::SizingEdge edge;
    CRect proposed;
    CRect expected;
  };
  // Root limits 200 x 100 to 500 x 400 client: 216 x 139 to 516 x 439 window.
  const Case cases[] = {
      {R::SIZING_LEFT, {250, 0, 300, 300}, {84, 0, 300, 300}},
      {R::SIZING_LEFT, {-400, 0, 300, 300}, {-216, 0, 300, 300}},
      {R::SIZING_RIGHT, {100, 0, 150, 300}, {100, 0, 316, 300}},
      {R::SIZING_RIGHT, {100, 0, 900, 300}, {100, 0, 616, 300}},
      {R::SIZING_TOP, {0, 250, 300, 300}, {0, 161, 300, 300}},
      {R::SIZING_BOTTOM, {0, 0, 300, 900}, {0, 0, 300, 439}},
      {R::SIZING_TOPLEFT, {290, 290, 300, 300}, {84, 161, 300, 300}},
      {R::SIZING_TOPRIGHT, {0, 290, 10, 300}, {0, 161, 216, 300}},
      {R::SIZING_BOTTOMLEFT, {-900, 0, 300, 900}, {-216, 0, 300, 439}},
      {R::SIZING_BOTTOMRIGHT, {0, 0, 900, 10}, {0, 0, 516, 139}},
      {R::SIZING_BOTTOMRIGHT, {0, 0, 300, 300}, {0, 0, 300, 300}},
  };
  FakeWindow window(300, 300);
  R resizer;
  ASSERT_TRUE(resizer.Hook(&window));
  ASSERT_TRUE(resizer.root().SetMinSize(200, 100));
  ASSERT_TRUE(resizer.root().SetMaxSize(500, 400));
  for (const Case& c : cases) {
    CRect rect = c.proposed;
    resizer.OnSizing(c.edge, &rect);
    EXPECT_EQ(rect, c.expected) << "edge " << c.edge << ": " << ToString(rect);
  }
}

TEST(WndResizer, RootKeepsItsLimitsInTheLayoutPass) {
  FakeWindow window(300, 300);
  window.controls[7] = CRect(10, 10, 290, 290);
  R resizer;
  ASSERT_TRUE(resizer.Hook(&window));
  resizer.GetPanel(7)->SetAnchor(0x0F);
  resizer.root().SetMinSize(200, 150);
  window.Resize(50, 40);
  resizer.OnSize();
  EXPECT_EQ(static_cast<CRect&>(resizer.root()), CRect(0, 0, 200, 150));
  EXPECT_EQ(window.controls[7], CRect(10, 10, 190, 140));
}

TEST(WndResizer, ScrolledWindowCoversTheWholeExtent) {
  FakeWindow window(300, 200);
  window.area.hasVerticalScroll = true;
  window.area.verticalRangeMax = 600;
  window.area.verticalPos = 50;
  R resizer;
  ASSERT_TRUE(resizer.Hook(&window));
  EXPECT_EQ(static_cast<CRect&>(resizer.root()), CRect(0, -50, 300, 550));
  window.area.hasHorizontalScroll = true;
  window.area.horizontalRangeMax = 900;
  window.area.horizontalPos = 100;
  resizer.OnSize();
  EXPECT_EQ(static_cast<CRect&>(resizer.root()), CRect(-100, -50, 800, 550));
}

TEST(WndResizer, PanelsByIdentifierAndName) {
  FakeWindow window;
  window.controls[1000] = CRect(10, 33, 767, 475);
  R resizer;
  EXPECT_EQ(resizer.GetPanel(1000), nullptr) << "not hooked";
  ASSERT_TRUE(resizer.Hook(&window));
  EXPECT_FALSE(resizer.Hook(&window)) << "a window is hooked once";
  R::CPanel* panel = resizer.GetPanel(1000);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(resizer.GetPanel(1000), panel) << "the same panel the second time";
  EXPECT_EQ(resizer.GetPanel(4242), nullptr) << "no such control";
  EXPECT_EQ(R::FindPanel(&resizer.root(), "_RESIZEGRIP")->GetTypeName(), "CGripperPanel");
  EXPECT_EQ(R::FindPanel(&resizer.root(), ""), nullptr);
  EXPECT_EQ(panel->GetTypeName(), "CUIPanel");
  EXPECT_EQ(panel->GetHookedWnd(), &window);
  EXPECT_EQ(panel->ToString(),
            "Name(1000), Type(CUIPanel), Anchor(3), Size(w:757, h:442), Area(l:10, t:33, r:767, b:475), "
            "MinSize(w:10, h:10), MaxSize(w:100000, h:100000), Parent(_root), ChildrenCount(0)");
  EXPECT_EQ(panel->rightOffset(), 11);
  EXPECT_EQ(panel->bottomOffset(), 48);

  // The grip sits in the bottom-right corner and repaints its old and new place.
  R::CPanel* grip = R::FindPanel(&resizer.root(), "_resizeGrip");
  EXPECT_EQ(static_cast<CRect&>(*grip), CRect(761, 506, 778, 523));
  window.invalidated.clear();
  window.Resize(800, 600);
  resizer.OnSize();
  EXPECT_EQ(static_cast<CRect&>(*grip), CRect(783, 583, 800, 600));
  ASSERT_GE(window.invalidated.size(), 2u);
  EXPECT_EQ(window.invalidated[0], std::make_pair(CRect(761, 506, 778, 523), false));
  EXPECT_EQ(window.invalidated[1], std::make_pair(CRect(783, 583, 800, 600), false));

  EXPECT_TRUE(resizer.Unhook());
  EXPECT_FALSE(resizer.Unhook());
  EXPECT_TRUE(resizer.root().children().empty());
  EXPECT_EQ(resizer.root().GetHookedWnd(), nullptr);
}

TEST(WndResizer, MovingAPanelBetweenParents) {
  R::CPanel first(CRect(0, 0, 100, 100));
  R::CPanel second(CRect(50, 50, 250, 250));
  auto* child = new R::CPanel(CRect(60, 60, 80, 80));
  ASSERT_TRUE(first.AddChild(child));
  EXPECT_EQ(child->rightOffset(), 20);
  ASSERT_TRUE(second.AddChild(child));
  EXPECT_TRUE(first.children().empty());
  EXPECT_EQ(child->parent(), &second);
  EXPECT_EQ(child->leftOffset(), 10);
  EXPECT_EQ(child->rightOffset(), 170);
  EXPECT_FALSE(first.RemoveChild(child));
  EXPECT_FALSE(second.AddChild(&second));
  EXPECT_FALSE(second.AddChild(nullptr));
}

}  // namespace
