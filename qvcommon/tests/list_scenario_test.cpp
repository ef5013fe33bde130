// A preset list in a dialog-like window, driven only by injected input: the
// arrows scroll it, a row and a check box are clicked, Delete removes the
// current row and Ctrl+Down moves the next current row down.
#include "peripheraltest.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvlistitem.h"
#include "qvcommon/qvscrollbar.h"

#include <algorithm>
#include <memory>

using ListScenario = PeripheralControls;

namespace {

// A top-level window of type 9 (no modal loop) holding a sunken list with a
// scrollbar. It is the key window: Delete deletes the current row, Ctrl+Down
// moves it down. It records the commands that reach it.
class PresetWindow : public QVWindow {
public:
  PresetWindow() : QVWindow(&kPlace, "Presets", eQVWindowStyleDialog, &TestResources(), nullptr, nullptr)
  {
    m_HotKeyWindow = this;
    list = std::make_unique<ListProbe>(this, QVRect(3, 3, 203, 113));
    list->SetSunken();
    list->AddScrollbar(kScrollUp, kScrollDown);
  }
  bool HandleCommand(QVEvent& event) override
  {
    commands.push_back(int64_t(event.m_Command) * 100000 + event.m_Value);
    return true;
  }
  bool HandleKeyEvent(QVEvent& event) override
  {
    if (event.GetEventType() != eQVKeyDownEvent || !list)
      return false;
    if (event.m_KeyCode == VK_DELETE)
      list->OnDeleteKey();
    else if (event.m_KeyCode == VK_DOWN && event.m_Control)
      list->DirectionKey(0, 1);
    return false;
  }

  static inline const QVRect kPlace{100, 100, 330, 260};
  std::unique_ptr<ListProbe> list;
  std::vector<int64_t> commands;
};

} // namespace

TEST_F(ListScenario, ScrollingClickingDeletingAndMovingAPresetList)
{
  PresetWindow window;
  window.ShowWindow(QVWindow::eQVShowNormal);
  ListProbe& list = *window.list;
  for (int i = 1; i <= 15; ++i)
    list.AddListItem(("Preset " + std::to_string(i)).c_str(), false, true, -1);
  standin::Pump();
  // The row window starts at (0, 0, 188, 113) inside a 2-px edge. From the
  // 6th row on, each row scrolls it up 22 while its bottom stays at or below
  // the list's 110; it grows by 20 whenever a row reaches past its client
  // height. Its top goes 0 (5 rows), -22, -22, -44, -66, ..., -198 (15 rows).
  ASSERT_EQ(list.RowWindow()->Top(), -198);
  ASSERT_TRUE(list.Bar()->Visible());

  // 1. Up, up, down with the arrows, clicked in their rightmost column:
  //    -198 + 22 + 22 - 22 = -176. Row k then lies at list y 20k - 172.
  QVScrollbar& bar = *list.Bar();
  const HWND barWindow = bar.GetWnd();
  HoverClick(barWindow, 14, 4);
  HoverClick(barWindow, 14, 4);
  HoverClick(barWindow, 14, 106);
  EXPECT_EQ(list.RowWindow()->Top(), -176);
  EXPECT_TRUE(window.commands.empty()) << "scrolling reports nothing";

  // 2. Row 9 ("Preset 10", list y 8..28) and row 10's check box.
  HoverClick(list.Row(9)->GetWnd(), 60, 10);
  HoverClick(list.Row(10)->GetCheckButton()->GetWnd(), 7, 10);
  EXPECT_STREQ(list.GetCurrentItem(), "Preset 10");

  // 3. Delete: "Preset 10" goes, "Preset 9" above it becomes current and
  //    the rows scroll down a step, to -154.
  standin::KeyPress(VK_DELETE);
  standin::Pump();
  EXPECT_STREQ(list.GetCurrentItem(), "Preset 9");
  EXPECT_EQ(list.RowWindow()->Top(), -154);

  // 4. Ctrl+Down: "Preset 9" (slot 8) and "Preset 11" (slot 9) swap.
  standin::KeyDown(VK_CONTROL);
  standin::KeyPress(VK_DOWN);
  standin::KeyUp(VK_CONTROL);
  standin::Pump();

  // The list reports with (4140, 4140) for the click, the Delete and the
  // move; the check box of row 10, first released, shows its second picture
  // and sends 207 + (10 << 16) as (4141, ...).
  const int64_t report = int64_t(ListProbe::kMessage) * 100000 + ListProbe::kMessage;
  EXPECT_EQ(
      window.commands,
      (std::vector<int64_t>{report, int64_t(ListProbe::kCheckMessage) * 100000 + 207 + (10 << 16), report, report}));
  std::vector<std::string> names;
  for (int32_t i = 0; i < list.GetNumItems(); ++i)
    names.push_back(list.GetItemName(i));
  EXPECT_EQ(names, (std::vector<std::string>{"Preset 1", "Preset 2", "Preset 3", "Preset 4", "Preset 5", "Preset 6",
                                             "Preset 7", "Preset 8", "Preset 11", "Preset 9", "Preset 12", "Preset 13",
                                             "Preset 14", "Preset 15"}));
  EXPECT_EQ(list.GetCurrentItemIndex(), 9);
  EXPECT_EQ(list.Row(8)->GetCheckButton()->GetExtraData(), 8) << "the box moved with its row";

  // Deleting the list leaves only the window itself.
  window.list.reset();
  const std::string tree = standin::DumpWindowTree();
  EXPECT_EQ(std::count(tree.begin(), tree.end(), '\n'), 1) << tree;
  EXPECT_NE(tree.find("\"Presets\""), std::string::npos);
}
