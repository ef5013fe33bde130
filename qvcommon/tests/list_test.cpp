// The list: adding, removing, deleting and moving rows, the current row and
// what the list reports, the rows' buttons, growing and scrolling, the table
// bounds, ownership, the sunken frame and the list view.
#include "peripheraltest.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvlistitem.h"
#include "qvcommon/qvlistview.h"
#include "qvcommon/qvscrollbar.h"

#include <memory>
#include <sstream>

using List = PeripheralControls;

// Reaches QVListView's private constructor for the tests.
class QVListViewAccess {
public:
  static std::unique_ptr<QVListView> Make(QVWindow* parent, QVRect rect, bool sunken)
  {
    std::unique_ptr<QVListView> view(new QVListView(parent, rect, &TestResources()));
    if (sunken)
      view->SetSunken();
    return view;
  }
};

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);

// The list at (3, 3) in its parent, 200 x 110: rows 126 wide at left 43 of
// a row window reaching (188, 113); 110 / 22 = 5 rows fit.
struct Fixture {
  Probe parent{QVRect(0, 0, 320, 260), QVWindow::eQVWindowStyleStaticMainCaption};
  std::unique_ptr<ListProbe> list = std::make_unique<ListProbe>(&parent, QVRect(3, 3, 203, 113));

  void Add(std::initializer_list<const char*> names, bool buttons = false)
  {
    for (const char* name : names)
      list->AddListItem(name, buttons, buttons, -1);
  }
  std::vector<std::string> Names()
  {
    std::vector<std::string> names;
    for (int32_t i = 0; i < list->GetNumItems(); ++i)
      names.push_back(list->GetItemName(i) ? list->GetItemName(i) : "(null)");
    return names;
  }
  // The list's reports as message * 100000 + value.
  std::vector<int64_t> Reports()
  {
    std::vector<int64_t> out;
    for (const QVEvent& e : parent.commands)
      out.push_back(int64_t(e.m_Command) * 100000 + e.m_Value);
    return out;
  }
};

constexpr int64_t kListReport = int64_t(ListProbe::kMessage) * 100000 + ListProbe::kMessage;

} // namespace

TEST_F(List, AddingMakesTheNewRowCurrentAndRemovingMovesTheRestUp)
{
  Fixture f;
  f.Add({"a", "b", "c"});
  EXPECT_EQ(f.list->Row(2)->Top(), 42);
  EXPECT_EQ(f.list->Row(2)->Left() * 1000 + f.list->Row(2)->Width(), 43126);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 2);
  EXPECT_STREQ(f.list->GetCurrentItem(), "c");
  RepaintAll(f.parent);
  EXPECT_EQ(standin::ReadPixel(f.list->Row(2)->GetWnd(), 1, 10), kYellow) << "the current row's frame";
  EXPECT_EQ(standin::ReadPixel(f.list->Row(1)->GetWnd(), 1, 10), kRowColour);
  f.list->RemoveItem(0);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(f.list->Row(0)->Top() * 1000 + f.list->Row(1)->Top(), 2022);
  EXPECT_EQ(f.list->Row(0)->GetID() * 10 + f.list->Row(1)->GetID(), 1);
  EXPECT_EQ(f.list->Row(2), nullptr);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), -1);
  EXPECT_EQ(f.list->GetCurrentItem(), nullptr);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(f.list->Row(1)->GetWnd(), 1, 10), kRowColour) << "no frame left behind";
  // Removing the current row itself leaves no current row either.
  f.list->SetCurrentItem("b");
  f.list->RemoveItem(0);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), -1);
  EXPECT_TRUE(f.parent.commands.empty()) << "adding and removing send nothing";
}

TEST_F(List, TheDeleteKeyMovesTheCurrentRowUpAndReportsOnce)
{
  Fixture f;
  f.Add({"a", "b"});
  f.list->OnDeleteKey(); // on the last of two: the first becomes current
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a"}));
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 0);
  EXPECT_EQ(f.Reports(), (std::vector<int64_t>{kListReport}));
  f.list->OnDeleteKey(); // on the only row
  EXPECT_EQ(f.list->GetNumItems(), 0);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), -1);
  EXPECT_EQ(f.Reports().size(), 2u);
  f.list->OnDeleteKey(); // no current row: nothing, nothing sent
  EXPECT_EQ(f.Reports().size(), 2u);
  // On the first of three: the row moving into slot 0 becomes current.
  f.Add({"x", "y", "z"});
  f.list->SetCurrentItem(int32_t(0));
  f.list->OnDeleteKey();
  EXPECT_STREQ(f.list->GetCurrentItem(), "y");
  EXPECT_EQ(f.Reports().size(), 3u);
}

TEST_F(List, DirectionKeysMoveTheCurrentRowOrTheRowItself)
{
  Fixture f;
  f.Add({"r0", "r1", "r2", "r3", "r4"});
  f.list->SetCurrentItem(int32_t(0));
  f.list->DirectionKey(1, 0); // up at the top
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 0);
  f.list->SetCurrentItem(int32_t(4));
  f.list->DirectionKey(0, 0); // down at the bottom
  f.list->DirectionKey(0, 1);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 4);
  EXPECT_TRUE(f.parent.commands.empty()) << "nothing sent at the ends";
  // Down with move on row 2 of 5: rows 2 and 3 swap, the moved row current at 3.
  f.list->SetCurrentItem(int32_t(2));
  f.list->DirectionKey(0, 1);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"r0", "r1", "r3", "r2", "r4"}));
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 3);
  EXPECT_STREQ(f.list->GetCurrentItem(), "r2");
  EXPECT_EQ(f.list->Row(3)->Top() * 1000 + f.list->Row(3)->GetID(), 62003);
  EXPECT_EQ(f.list->Row(2)->Top() * 1000 + f.list->Row(2)->GetID(), 42002);
  // Up without move: the row above becomes current.
  f.list->DirectionKey(1, 0);
  EXPECT_STREQ(f.list->GetCurrentItem(), "r3");
  EXPECT_EQ(f.Reports(), (std::vector<int64_t>{kListReport, kListReport}));
  EXPECT_EQ(f.list->RowWindow()->Top(), 0) << "direction keys do not scroll";
  // MoveCurrentItem without the neighbour, or without a current row, does nothing.
  f.list->SetCurrentItem(int32_t(0));
  f.list->MoveCurrentItem(1);
  f.list->SetCurrentItem(static_cast<QVListItem*>(nullptr));
  f.list->MoveCurrentItem(0);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"r0", "r1", "r3", "r2", "r4"}));
}

TEST_F(List, ARowClickedInsideBecomesCurrentAndTheListReports)
{
  Fixture f;
  f.Add({"a", "b", "c"});
  standin::Pump();
  HoverClick(f.list->Row(0)->GetWnd(), 60, 10);
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 0);
  EXPECT_EQ(f.Reports(), (std::vector<int64_t>{kListReport}));
  // Pressed on row 1, released off the list: nothing.
  Hover(f.list->Row(1)->GetWnd(), 60, 10);
  standin::Press(f.list->Row(1)->GetWnd(), 60, 10);
  standin::Release(f.parent.GetWnd(), 300, 240);
  standin::Pump();
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 0);
  EXPECT_EQ(f.Reports().size(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(List, FindingRowsByTextAndByButton)
{
  Fixture f;
  f.list->AddListItem("", false, false, -1);
  f.list->AddListItem("with", true, true, 7);
  f.list->AddListItem("bare", false, false, -1);
  EXPECT_EQ(f.list->ItemInList(""), 0) << "even with a row of empty text";
  EXPECT_EQ(f.list->ItemInList(nullptr), 0);
  EXPECT_EQ(f.list->ItemInList("with"), 1);
  EXPECT_EQ(f.list->ItemInList("With"), 0);
  QVListItem* with = f.list->Row(1);
  EXPECT_STREQ(f.list->GetItemNameFromButton(with->GetCheckButton()), "with");
  EXPECT_STREQ(f.list->GetItemNameFromButton(with->GetStateButton()), "with");
  EXPECT_EQ(f.list->GetItemNameFromButton(&f.parent), nullptr);
  EXPECT_EQ(f.list->GetItemNameFromButton(nullptr), nullptr) << "rows without buttons match no null button";
  f.list->SetCurrentItem("bare");
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 2);
  f.list->SetCurrentItem("missing");
  f.list->SetCurrentItem(static_cast<const char*>(nullptr));
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 2);
  // Extra data: given, or -1.
  EXPECT_EQ(f.list->GetItemExtraData(1), 7);
  EXPECT_EQ(f.list->GetItemExtraData(2), -1);
  EXPECT_EQ(f.list->GetCurrentItemExtraData(), -1);
  f.list->SetCurrentItem(int32_t(1));
  EXPECT_EQ(f.list->GetCurrentItemExtraData(), 7);
  f.list->RenameCurrentItem("renamed");
  EXPECT_STREQ(f.list->GetItemName(1), "renamed");
  f.list->RenameCurrentItem(nullptr);
  EXPECT_STREQ(f.list->GetItemName(1), "");
}

TEST_F(List, RowButtonsReportToTheListsParentWithTheRowInTheHighHalf)
{
  Fixture f;
  f.Add({"a", "b", "c"}, true);
  standin::Pump();
  // A check box starts off showing its first picture (206); a release turns
  // it on and shows the second, whose id it sends: 207 + (row << 16).
  HoverClick(f.list->Row(2)->GetCheckButton()->GetWnd(), 7, 10);
  // A three-state button moves to its second face: 301 + (row << 16).
  HoverClick(f.list->Row(1)->GetStateButton()->GetWnd(), 6, 6);
  EXPECT_EQ(f.Reports(), (std::vector<int64_t>{int64_t(ListProbe::kCheckMessage) * 100000 + 207 + (2 << 16),
                                               int64_t(ListProbe::kStateMessage) * 100000 + 301 + (1 << 16)}));
  EXPECT_EQ(f.list->GetCurrentItemIndex(), 2) << "a row's button does not change the current row";
  f.list->SetStateButtonState(1, 2); // the row ignores it
  f.list->SetStateButtonState(-1, 2);
  f.list->SetStateButtonState(500, 2);
}

TEST_F(List, ButtonsFollowTheirRows)
{
  Fixture f;
  f.Add({"a", "b", "c"}, true);
  auto check = [&](int32_t slot) {
    QVListItem* row = f.list->Row(slot);
    SCOPED_TRACE(slot);
    // The check box 19 x 20 at (row left - 19, row top); the state button
    // 12 x 12 at (row left - 36, row top + 6); both carry the slot.
    EXPECT_EQ(row->GetCheckButton()->Left() * 1000 + row->GetCheckButton()->Top(), 24000 + row->Top());
    EXPECT_EQ(row->GetStateButton()->Left() * 1000 + row->GetStateButton()->Top(), 7000 + row->Top() + 6);
    EXPECT_EQ(row->GetCheckButton()->GetExtraData() * 10 + row->GetStateButton()->GetExtraData(), slot * 11);
  };
  f.list->RemoveItem(0);
  check(0);
  check(1);
  f.list->SetCurrentItem(int32_t(0));
  f.list->MoveCurrentItem(0);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c", "b"}));
  check(0);
  check(1);
  standin::Pump();
  HoverClick(f.list->Row(1)->GetCheckButton()->GetWnd(), 7, 10);
  ASSERT_EQ(f.parent.commands.size(), 1u);
  EXPECT_EQ(f.parent.commands[0].m_Value, 207 + (1 << 16)) << "the moved row's box reports its new slot";
}

TEST_F(List, TheRowWindowGrowsAndScrollsAsRowsAreAdded)
{
  Fixture f;
  f.list->AddScrollbar(kScrollUp, kScrollDown);
  std::vector<int32_t> tops, heights;
  std::vector<bool> shown;
  for (int i = 0; i < 12; ++i) {
    f.list->AddListItem(("row " + std::to_string(i)).c_str(), false, false, -1);
    tops.push_back(f.list->RowWindow()->Top());
    heights.push_back(f.list->RowWindow()->Height());
    shown.push_back(f.list->Bar()->Visible());
  }
  // Row k's bottom is 20k + 22. The row window (0, 0, 188, 113) grows by 20
  // when a row reaches past its height: from row 5 (122 > 113) on. From the
  // 6th row (6 > 110 / 22) each row scrolls it up 22, while its bottom stays
  // at or below the list's 110: bottoms 111, then 131 - 22 = 109 is refused,
  // then 129, 127, 125, 123, 121 (the 2-px drift per step).
  EXPECT_EQ(tops, (std::vector<int32_t>{0, 0, 0, 0, 0, -22, -22, -44, -66, -88, -110, -132}));
  EXPECT_EQ(heights, (std::vector<int32_t>{113, 113, 113, 113, 113, 133, 153, 173, 193, 213, 233, 253}));
  EXPECT_EQ(shown, (std::vector<bool>{false, false, false, false, false, true, true, true, true, true, true, true}));
  // The scrollbar brings rows back: its up arrow, clicked in its rightmost
  // column (the row window covers its first three), moves them down 22.
  standin::Pump();
  QVWindow* up = f.list->Bar();
  HoverClick(up->GetWnd(), 14, 4);
  EXPECT_EQ(f.list->RowWindow()->Top(), -110);
  // Deleting down to 3 rows hides the scrollbar.
  for (int i = 0; i < 9; ++i) {
    f.list->SetCurrentItem(int32_t(0));
    f.list->OnDeleteKey();
  }
  EXPECT_EQ(f.list->GetNumItems(), 3);
  EXPECT_FALSE(f.list->Bar()->Visible());
  EXPECT_EQ(f.list->RowWindow()->Height(), 253) << "the row window never shrinks";
}

TEST_F(List, RowsOutsideTheListAreNeitherDrawnNorHit)
{
  Probe parent(QVRect(0, 0, 320, 260), QVWindow::eQVWindowStyleStaticMainCaption);
  ListProbe list(&parent, QVRect(3, 60, 203, 170));
  list.AddScrollbar(kScrollUp, kScrollDown);
  for (int i = 0; i < 12; ++i)
    list.AddListItem(("row " + std::to_string(i)).c_str(), true, true, -1);
  // The row window (0, 0, 188, 170) scrolled to -132: row 5 (top 102) lies
  // at list y -30..-10, parent y 30..50, above the list.
  ASSERT_EQ(list.RowWindow()->Top(), -132);
  list.SetCurrentItem(int32_t(0));
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(parent.GetWnd(), 100, 40), RGB(205, 205, 205)) << "the parent shows there";
  HoverClick(parent.GetWnd(), 100, 40);
  HoverClick(parent.GetWnd(), 30, 40); // where row 5's check box would be
  EXPECT_EQ(list.GetCurrentItemIndex(), 0);
  EXPECT_TRUE(parent.commands.empty());
  // Row 6 straddles the list's top edge: its visible part takes clicks.
  HoverClick(list.Row(6)->GetWnd(), 60, 15);
  EXPECT_EQ(list.GetCurrentItemIndex(), 6);
}

TEST_F(List, TheTableHoldsTwoHundredRowsAndIndexesOutsideItAreEmpty)
{
  Fixture f;
  for (int i = 0; i < QVList::kMaxItems; ++i)
    ASSERT_EQ(f.list->AddListItem("r", false, false, i), i);
  const std::string tree = standin::DumpWindowTree();
  EXPECT_EQ(f.list->AddListItem("one too many", true, true, -1), -1);
  EXPECT_EQ(standin::DumpWindowTree(), tree) << "no window made";
  EXPECT_EQ(f.list->GetNumItems(), 200);
  EXPECT_EQ(f.list->GetItemExtraData(199), 199);
  for (int32_t bad : {-1, 200, 100000}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(f.list->GetItemName(bad), nullptr);
    EXPECT_EQ(f.list->GetItemExtraData(bad), -1);
    f.list->RemoveItem(bad);
    f.list->SetCurrentItem(bad);
    EXPECT_EQ(f.list->GetCurrentItemIndex(), 199);
  }
  EXPECT_EQ(f.list->GetNumItems(), 200);
  // Removing the first of a full table shifts all the rest without reading
  // past slot 199.
  f.list->RemoveItem(0);
  EXPECT_EQ(f.list->GetItemExtraData(198), 199);
  EXPECT_EQ(f.list->Row(199), nullptr);
  // An empty slot inside the table: no current row, nothing found.
  f.list->SetCurrentItem(int32_t(199));
  EXPECT_EQ(f.list->GetCurrentItemIndex(), -1);
  EXPECT_EQ(f.list->GetItemName(199), nullptr);
  EXPECT_EQ(f.list->GetItemExtraData(199), -1);
}

TEST_F(List, TheListOwnsItsRowsButtonsScrollbarAndRowWindow)
{
  Probe parent(QVRect(0, 0, 320, 260), QVWindow::eQVWindowStyleStaticMainCaption);
  const std::string alone = standin::DumpWindowTree();
  auto list = std::make_unique<ListProbe>(&parent, QVRect(3, 3, 203, 113));
  list->AddScrollbar(kScrollUp, kScrollDown);
  list->AddScrollbar(kScrollUp, kScrollDown); // the first scrollbar goes
  for (int i = 0; i < 8; ++i)
    list->AddListItem("r", i % 2 == 0, true, -1);
  // Buttons given again replace the earlier ones.
  list->Row(0)->AddStateButton(ListProbe::kStateMessage, kStateOne, kStateTwo, kStateThree, 0);
  list->Row(0)->AddCheckBoxButton(ListProbe::kCheckMessage, kCheckOn, kCheckOff, 0);
  list->Row(3)->RemoveButtons();
  list->Row(3)->RemoveButtons(); // nothing left to remove
  list->RemoveItem(2);
  // The list, its row window, 7 rows, their buttons (state buttons on rows
  // 0, 4 and 6 of the first 8, check boxes on all but row 3, and row 2 gone
  // with both of its own) and the scrollbar with its two arrows, under the
  // parent.
  std::istringstream lines(standin::DumpWindowTree());
  int count = 0;
  for (std::string line; std::getline(lines, line);)
    ++count;
  EXPECT_EQ(count, 1 + 1 + 1 + 7 + (3 + 6) + 3);
  list.reset();
  EXPECT_EQ(standin::DumpWindowTree(), alone);
}

TEST_F(List, SunkenGivesTheRowWindowItsEdgeAtOnce)
{
  Fixture f;
  f.Add({"a"});
  EXPECT_EQ(f.list->RowWindow()->GetClientRect().Width(), 188);
  f.list->SetSunken();
  const QVRect client = f.list->RowWindow()->GetClientRect();
  EXPECT_EQ(client.Width() * 1000 + client.Height(), 184109) << "2 px on each side";
  standin::Pump();
  // The edge is drawn around the row window; the row sits inside it.
  RECT row;
  GetWindowRect(f.list->Row(0)->GetWnd(), &row);
  RECT rows;
  GetWindowRect(f.list->RowWindow()->GetWnd(), &rows);
  EXPECT_EQ(row.left - rows.left, 43 + 2);
  EXPECT_NE(standin::ReadPixel(standin::SurfaceTarget::Whole(f.list->RowWindow()->GetWnd()), 0, 50), kClassGrey);
}

TEST_F(List, SnapshotOfAScrolledListWithButtonsAndACurrentRow)
{
  Probe parent(QVRect(100, 100, 320, 250), QVWindow::eQVWindowStyleStaticMainCaption);
  ListProbe list(&parent, QVRect(3, 3, 203, 113));
  list.SetSunken();
  list.AddScrollbar(kScrollUp, kScrollDown);
  for (int i = 0; i < 12; ++i)
    list.AddListItem(("Preset " + std::to_string(i + 1)).c_str(), true, true, -1);
  list.SetCurrentItem(int32_t(10));
  RepaintAll(parent);
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("list.png").c_str()));
  EXPECT_TRUE(list.Bar()->Visible());
  EXPECT_LT(list.RowWindow()->Top(), 0) << "scrolled";
  EXPECT_EQ(standin::ReadPixel(list.GetWnd(), 199, 2), kScrollUpColour);
  EXPECT_EQ(standin::ReadPixel(list.GetWnd(), 199, 107), kScrollDownColour);
  // The rows lie in a row window scrolled past the list's top: read through
  // the list.
  auto at = [&](QVWindow* w, int x, int y) { return ReadThrough(list, w->GetWnd(), x, y); };
  EXPECT_EQ(at(list.Row(10), 1, 10), kYellow);
  EXPECT_EQ(at(list.Row(11), 1, 10), kRowColour);
  EXPECT_EQ(at(list.Row(10)->GetCheckButton(), 0, 5), kFrameColour) << "box 206";
  EXPECT_EQ(at(list.Row(10)->GetStateButton(), 5, 5), kStateOneColour);
  // The row's text in black.
  bool black = false;
  for (int y = 2; y < 18; ++y)
    for (int x = 4; x < 40; ++x)
      black = black || at(list.Row(10), x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(black);
}

TEST_F(List, SnapshotOfASunkenListView)
{
  Probe parent(QVRect(0, 0, 200, 120), QVWindow::eQVWindowStyleStaticMainCaption);
  auto plain = QVListViewAccess::Make(&parent, QVRect(10, 10, 90, 80), false);
  auto sunken = QVListViewAccess::Make(&parent, QVRect(100, 10, 180, 80), true);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("listview.png").c_str()));
  // Type 10 has a 2-px client edge: 76 x 66 inside. Black on the client's
  // left column and top row; the white edges lie one past it and do not show.
  const QVRect client = sunken->GetClientRect();
  EXPECT_EQ(client.Width() * 1000 + client.Height(), 76066);
  EXPECT_EQ(standin::ReadPixel(sunken->GetWnd(), 0, 30), RGB(0, 0, 0));
  EXPECT_EQ(standin::ReadPixel(sunken->GetWnd(), 30, 0), RGB(0, 0, 0));
  EXPECT_EQ(standin::ReadPixel(sunken->GetWnd(), 75, 30), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(sunken->GetWnd(), 30, 65), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(plain->GetWnd(), 0, 30), kClassGrey) << "not sunken: no black edge";
}
