// The preview pane: drawn by the host that offers to and directly
// otherwise, dragged by injected input within its image's bounds, one drag
// command per drag, and the hand cursor.
#include "appshell.h"
#include "bridgetest.h"
#include "hosttest.h"
#include "lumivexapp.h"
#include "qvcommon/qvimage.h"
#include "windowstest.h"

using namespace wintest;

namespace {

// Where the panes' windows stand.
const QVRect kHolderRect(500, 300, 900, 600);

std::vector<int32_t> Ids(const std::vector<Command>& commands)
{
  std::vector<int32_t> ids;
  for (const Command& c : commands)
    ids.push_back(c.id);
  return ids;
}

// An image whose pixel (x, y) is (x mod 256, x / 256, y): every column
// tells where it came from.
std::unique_ptr<QVImage> Striped(int width, int height)
{
  auto image = Image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = image->pixels + y * image->rowBytes + x * 3;
      p[0] = static_cast<unsigned char>(y), p[1] = static_cast<unsigned char>(x >> 8),
      p[2] = static_cast<unsigned char>(x);
    }
  return image;
}
COLORREF StripeColour(int x, int y) { return RGB(x & 0xFF, x >> 8, y); }

// A pane of 100 x 80 client pixels at (10, 10) of the holder.
class Pane : public Windows {
protected:
  void SetUp() override
  {
    Windows::SetUp();
    holder = std::make_unique<RecordingWindow>(kHolderRect);
    QVRect rect(10, 10, 110, 90);
    pane = std::make_unique<PreviewPane>(&rect, holder.get());
    standin::Pump();
  }
  void TearDown() override
  {
    pane.reset();
    holder.reset();
    Windows::TearDown();
  }
  void Show(QVImage* image)
  {
    pane->SetImage(image);
    pane->SetDisplay(true);
    standin::Pump();
  }
  // Presses at `from`, moves through the points (noting the offset after
  // each) and releases at the last one.
  std::vector<std::pair<int, int>> Drag(POINT from, std::vector<POINT> through)
  {
    std::vector<std::pair<int, int>> offsets;
    // Past the double-click time: a press soon after the last is no double
    // click.
    standin::AdvanceClock(1000);
    standin::Move(pane->GetWnd(), from.x, from.y);
    standin::Press(pane->GetWnd(), from.x, from.y);
    standin::Pump();
    for (const POINT& p : through) {
      standin::Move(pane->GetWnd(), p.x, p.y);
      standin::Pump();
      const QVPoint offset = pane->GetScrollOffset();
      offsets.emplace_back(offset.X(), offset.Y());
    }
    const POINT last = through.empty() ? from : through.back();
    standin::Release(pane->GetWnd(), last.x, last.y);
    standin::Pump();
    return offsets;
  }
  standin::CursorInfo CursorOver()
  {
    standin::Move(pane->GetWnd(), 20, 20);
    standin::Pump();
    return standin::CurrentCursor();
  }

  std::unique_ptr<RecordingWindow> holder;
  std::unique_ptr<PreviewPane> pane;
};

using Offsets = std::vector<std::pair<int, int>>;

} // namespace

TEST_F(Pane, ADragReachesBothEndsExactlyAndSkipsStepsPastThem)
{
  // 400 pixels wider than the pane and as high: across the offset runs
  // from -400 to 0, down it stays 0.
  auto image = Striped(500, 80);
  Show(image.get());
  const Offsets offsets =
      Drag({60, 40}, {{50, 40}, {-100, 40}, {-250, 30}, {-340, 30}, {-341, 30}, {59, 30}, {60, 30}, {50, 30}});
  EXPECT_EQ(offsets, (Offsets{
                         {-10, 0},  // measured from the press, not from where the pointer was before
                         {-160, 0}, // -150
                         {-310, 0}, // -150 across; 10 up would leave the image: down stays
                         {-400, 0}, // -90: exactly the end
                         {-400, 0}, // -1 would pass it: the step is dropped
                         {0, 0},    // +400: exactly the other end
                         {0, 0},    // +1 would pass it
                         {-10, 0},
                     }));
  EXPECT_EQ(Ids(holder->commands), std::vector<int32_t>{16032}) << "one command per drag";
  // Drawn at the offset: the pane's left column is image column 10.
  EXPECT_EQ(standin::ReadPixel(pane->GetWnd(), 0, 5), StripeColour(10, 5));
  EXPECT_EQ(standin::ReadPixel(pane->GetWnd(), 99, 79), StripeColour(109, 79));
}

TEST_F(Pane, ADirectionInWhichTheImageFitsNeverMoves)
{
  // 40 pixels narrower than the pane: dragging right must not slide it
  // (the bound -(60 - 100) would be +40).
  auto image = Striped(60, 200);
  Show(image.get());
  EXPECT_EQ(Drag({50, 50}, {{70, 50}, {70, -70}, {70, -71}, {90, 60}}),
            (Offsets{{0, 0}, {0, -120}, {0, -120}, {0, -120}}));
  EXPECT_EQ(standin::ReadPixel(pane->GetWnd(), 59, 0), StripeColour(59, 120));
}

TEST_F(Pane, EveryDragEndsWithOneCommandAClickIncluded)
{
  auto image = Striped(300, 300);
  Show(image.get());
  Drag({50, 50}, {});
  Drag({50, 50}, {{40, 40}, {30, 30}});
  EXPECT_EQ(Ids(holder->commands), (std::vector<int32_t>{16032, 16032}));
  // An image that fits cannot be dragged: no capture, no command.
  auto small = Striped(100, 80);
  Show(small.get());
  EXPECT_EQ(Drag({50, 50}, {{10, 10}}), (Offsets{{0, 0}}));
  EXPECT_EQ(holder->commands.size(), 2u);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Pane, AStaleOffsetFollowsTheImage)
{
  auto wide = Striped(500, 300);
  Show(wide.get());
  Drag({90, 70}, {{-310, -150}}); // (-400, -220)
  EXPECT_EQ(pane->GetScrollOffset().X(), -400);
  EXPECT_EQ(pane->GetScrollOffset().Y(), -220);
  // A smaller image holds the offset within its own range...
  auto narrower = Striped(300, 100);
  pane->SetImage(narrower.get());
  EXPECT_EQ(pane->GetScrollOffset().X(), -200);
  EXPECT_EQ(pane->GetScrollOffset().Y(), -20);
  // ...and one that fits is drawn at the top left.
  auto fitting = Striped(50, 40);
  Show(fitting.get());
  EXPECT_EQ(pane->GetScrollOffset().X(), 0);
  EXPECT_EQ(standin::ReadPixel(pane->GetWnd(), 0, 0), StripeColour(0, 0));
}

TEST_F(Pane, TheHandShowsOnlyWhileTheImageCanScroll)
{
  EXPECT_EQ(CursorOver().module, nullptr) << "no image: the arrow";
  auto big = Striped(101, 80);
  Show(big.get());
  const standin::CursorInfo hand = CursorOver();
  EXPECT_EQ(hand.module, standin::MainModule()) << "the plug-in's own cursor";
  EXPECT_EQ(hand.id, 270);
  auto fitting = Striped(100, 80);
  Show(fitting.get());
  EXPECT_EQ(CursorOver().module, nullptr);
}

namespace {

// The pane drawn in a host run: its client pixels and what the host logged.
class HostDrawn : public Bridge {
protected:
  void TearDown() override
  {
    standin::ResetVersionRecord();
    Bridge::TearDown();
  }
  std::vector<COLORREF> Drawn(lvhost::HostImage& image)
  {
    std::vector<COLORREF> pixels;
    app.start = [&](AppShell& shell) {
      LumivexApp application(&shell);
      shell.AcquireImage(0, nullptr);
      {
        RecordingWindow holder(kHolderRect);
        QVRect rect(10, 10, 10 + image.width, 10 + image.height);
        PreviewPane pane(&rect, &holder);
        pane.SetImage(shell.GetImage());
        pane.SetDisplay(true);
        standin::Pump();
        const standin::PixelView view = standin::ViewPixels(pane.GetWnd());
        for (int y = 0; y < image.height; ++y)
          for (int x = 0; x < image.width; ++x)
            pixels.push_back(view.At(x, y));
      }
      shell.Quit(1);
      return true;
    };
    host.ClearLog();
    Run(image);
    return pixels;
  }
};

} // namespace

TEST_F(HostDrawn, TheIdentifiedHostDrawsWhatDirectDrawingDraws)
{
  SetHostInstance(standin::MainModule());
  lvhost::HostImage image = TestImage(plugInModeRGBColor, false, 24, 16);
  std::vector<COLORREF> expected;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      expected.push_back(RGB(image.At(x, y)[0], image.At(x, y)[1], image.At(x, y)[2]));
  // lumivex-host is no host that draws: the pane draws itself.
  EXPECT_EQ(Drawn(image), expected);
  EXPECT_EQ(host.Count("displayPixels("), 0);
  // Identified as the one that does, the host draws the same pixels.
  standin::SetVersionRecord(kDisplayingHostRecord);
  EXPECT_EQ(Drawn(image), expected);
  EXPECT_GE(host.Count("displayPixels("), 1);
}
