// Lines, Bezier curves, rectangles, ellipses and single pixels, with exact
// pixel rules.
// Coordinates are worked in 64 bits (and squares of sizes in 128), so no
// int argument can overflow; loops run only over what the clip can show.
#include "gdi.h"

#include "win32/drawing.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace standin::detail;
using ll = long long;
using u128 = unsigned __int128;

// The points a pen draws, each stamped as a width x width square. A 1-pixel
// pen writes each point at once (the straight shapes below never give a
// point twice); a wider pen's squares overlap, and a curve's pieces may
// meet, so those are gathered in a mask first and each pixel is written
// once, which keeps R2_NOTXORPEN reversible.
class PenStroke {
public:
  // Pixels land only inside [left, right) x [top, bottom) and the clip.
  // With `gather`, even a 1-pixel pen collects its points first.
  PenStroke(Canvas& canvas, const Pen& pen, int rop, ll left, ll top, ll right, ll bottom, bool gather = false)
      : canvas_(canvas), color_(pen.color), rop_(rop), width_(pen.width), before_(pen.width / 2),
        gather_(gather || pen.width > 1)
  {
    const RECT clip = canvas.Clip();
    left_ = std::max<ll>(left, clip.left);
    top_ = std::max<ll>(top, clip.top);
    right_ = std::max(left_, std::min<ll>(right, clip.right));
    bottom_ = std::max(top_, std::min<ll>(bottom, clip.bottom));
    if (gather_)
      mask_.assign(size_t((right_ - left_) * (bottom_ - top_)), 0);
  }

  // The range of point coordinates whose square can reach the area.
  ll FirstX() const { return left_ - (width_ - 1 - before_); }
  ll EndX() const { return right_ + before_; }
  ll FirstY() const { return top_ - (width_ - 1 - before_); }
  ll EndY() const { return bottom_ + before_; }

  void Point(ll x, ll y)
  {
    if (!gather_) {
      if (x >= left_ && x < right_ && y >= top_ && y < bottom_)
        canvas_.Put(x, y, color_, rop_);
      return;
    }
    const ll x0 = std::max(x - before_, left_), x1 = std::min(x - before_ + width_, right_);
    const ll y0 = std::max(y - before_, top_), y1 = std::min(y - before_ + width_, bottom_);
    for (ll sy = y0; sy < y1; ++sy)
      for (ll sx = x0; sx < x1; ++sx)
        mask_[size_t((sy - top_) * (right_ - left_) + (sx - left_))] = 1;
  }

  // The points [x0, x1) of row y.
  void Row(ll x0, ll x1, ll y)
  {
    if (y < FirstY() || y >= EndY())
      return;
    for (ll x = std::max(x0, FirstX()); x < std::min(x1, EndX()); ++x)
      Point(x, y);
  }

  // The points [y0, y1) of column x.
  void Column(ll x, ll y0, ll y1)
  {
    if (x < FirstX() || x >= EndX())
      return;
    for (ll y = std::max(y0, FirstY()); y < std::min(y1, EndY()); ++y)
      Point(x, y);
  }

  // Writes what a wide pen gathered.
  void Finish()
  {
    const ll w = right_ - left_;
    for (size_t i = 0; i < mask_.size(); ++i)
      if (mask_[i])
        canvas_.Put(left_ + ll(i) % w, top_ + ll(i) / w, color_, rop_);
  }

private:
  Canvas& canvas_;
  COLORREF color_;
  int rop_;
  ll width_;
  ll before_; // how far a square reaches left of and above its point
  bool gather_;
  ll left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  std::vector<BYTE> mask_;
};

// A Bresenham line from (x0, y0) towards (x1, y1), without (x1, y1). Point k
// along the major axis has the minor coordinate k * minor / major rounded
// half up, computed directly so that only the visible stretch is walked.
void DrawLine(PenStroke& stroke, ll x0, ll y0, ll x1, ll y1)
{
  const bool steep = std::llabs(y1 - y0) > std::llabs(x1 - x0);
  const ll major0 = steep ? y0 : x0, minor0 = steep ? x0 : y0;
  const ll majorDelta = steep ? y1 - y0 : x1 - x0, minorDelta = steep ? x1 - x0 : y1 - y0;
  const ll n = std::llabs(majorDelta), m = std::llabs(minorDelta);
  const ll step = majorDelta < 0 ? -1 : 1, minorStep = minorDelta < 0 ? -1 : 1;
  if (n == 0)
    return;
  const ll first = steep ? stroke.FirstY() : stroke.FirstX(), end = steep ? stroke.EndY() : stroke.EndX();
  // k such that major0 + step * k lies in [first, end).
  ll kFrom = 0, kTo = n;
  if (step > 0) {
    kFrom = std::max(kFrom, first - major0);
    kTo = std::min(kTo, end - major0);
  } else {
    kFrom = std::max(kFrom, major0 - end + 1);
    kTo = std::min(kTo, major0 - first + 1);
  }
  for (ll k = kFrom; k < kTo; ++k) {
    const ll minor = minor0 + minorStep * ll((u128(2) * u128(k) * u128(m) + u128(n)) / (u128(2) * u128(n)));
    const ll major = major0 + step * k;
    if (steep)
      stroke.Point(minor, major);
    else
      stroke.Point(major, minor);
  }
}

// A cubic Bezier segment as four control points.
struct Cubic {
  double x[4];
  double y[4];
};

long long RoundHalfUp(double v) { return ll(std::floor(v + 0.5)); }

// Whether the segment's control points' box, grown by the pen's reach, misses
// the clip: then nothing of the curve can show.
bool Invisible(const Cubic& c, const RECT& clip, ll reach)
{
  const double minX = std::min({c.x[0], c.x[1], c.x[2], c.x[3]}), maxX = std::max({c.x[0], c.x[1], c.x[2], c.x[3]});
  const double minY = std::min({c.y[0], c.y[1], c.y[2], c.y[3]}), maxY = std::max({c.y[0], c.y[1], c.y[2], c.y[3]});
  return maxX + double(reach) < double(clip.left) || minX - double(reach) >= double(clip.right) ||
         maxY + double(reach) < double(clip.top) || minY - double(reach) >= double(clip.bottom);
}

// Flattens the segment by halving it (de Casteljau) until its control
// polygon is at most 2 px long in each axis and so are the pieces between
// its rounded end points; each piece is a line without its end.
// Where the pieces fall depends only on the control points, never on the
// clip: halves that cannot show are skipped, not flattened differently.
void DrawCubic(PenStroke& stroke, const Cubic& c, const RECT& clip, ll reach, int depth)
{
  if (Invisible(c, clip, reach))
    return;
  double legX = 0, legY = 0;
  for (int i = 0; i < 3; ++i) {
    legX += std::fabs(c.x[i + 1] - c.x[i]);
    legY += std::fabs(c.y[i + 1] - c.y[i]);
  }
  const ll x0 = RoundHalfUp(c.x[0]), y0 = RoundHalfUp(c.y[0]), x1 = RoundHalfUp(c.x[3]), y1 = RoundHalfUp(c.y[3]);
  // 64 halvings bring any two int coordinates within a pixel.
  if ((legX <= 2.0 && legY <= 2.0 && std::llabs(x1 - x0) <= 2 && std::llabs(y1 - y0) <= 2) || depth >= 64) {
    DrawLine(stroke, x0, y0, x1, y1);
    return;
  }
  Cubic first, second;
  for (int axis = 0; axis < 2; ++axis) {
    const double* p = axis == 0 ? c.x : c.y;
    const double a = (p[0] + p[1]) / 2, b = (p[1] + p[2]) / 2, d = (p[2] + p[3]) / 2;
    const double ab = (a + b) / 2, bd = (b + d) / 2, mid = (ab + bd) / 2;
    double* f = axis == 0 ? first.x : first.y;
    double* s = axis == 0 ? second.x : second.y;
    f[0] = p[0], f[1] = a, f[2] = ab, f[3] = mid;
    s[0] = mid, s[1] = bd, s[2] = d, s[3] = p[3];
  }
  DrawCubic(stroke, first, clip, reach, depth + 1);
  DrawCubic(stroke, second, clip, reach, depth + 1);
}

// Row y of the ellipse inscribed in [left, left + w) x [top, top + h): the
// pixels whose centres lie in it, [*x0, *x1] inclusive. In doubled
// coordinates about the box centre (X = 2x + 1 - (2 left + w), likewise Y)
// a centre is inside when X^2 h^2 + Y^2 w^2 <= w^2 h^2. The test depends
// only on |X| and |Y|, so the shape is symmetric both ways, and |X| < w keeps
// it inside the box. False for an empty row.
bool EllipseRow(ll left, ll top, ll w, ll h, ll y, ll* x0, ll* x1)
{
  if (y < top || y >= top + h)
    return false;
  const ll Y = std::llabs(2 * (y - top) + 1 - h);
  const u128 h2 = u128(h) * u128(h);
  const u128 room = u128(w) * u128(w) * (h2 - u128(Y) * u128(Y));
  ll X = std::clamp<ll>(ll(std::sqrt(static_cast<long double>(room)) / static_cast<long double>(h)), 0, w - 1);
  while (X + 1 <= w - 1 && u128(X + 1) * u128(X + 1) * h2 <= room)
    ++X;
  while (X >= 0 && u128(X) * u128(X) * h2 > room)
    --X;
  // X has the parity of w - 1 (pixel centres sit on odd or even X).
  if (X >= 0 && (X - (w - 1)) % 2 != 0)
    --X;
  if (X < 0)
    return false;
  *x0 = left + (w - 1 - X) / 2;
  *x1 = left + (w - 1 + X) / 2;
  return true;
}

struct Shape {
  DeviceContext* dc = nullptr;
  const Pen* pen = nullptr;     // null for NULL_PEN
  const Brush* brush = nullptr; // null for NULL_BRUSH
  ll left = 0, top = 0, right = 0, bottom = 0;
};

// The context's pen and brush and the normalised box; false when there is
// nothing to draw (an unknown context sets the error and gives `*ok` false).
bool PrepareShape(HDC hdc, int left, int top, int right, int bottom, Shape* shape, BOOL* ok)
{
  shape->dc = FindDC(hdc);
  *ok = shape->dc ? TRUE : Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!shape->dc)
    return false;
  shape->left = std::min(left, right);
  shape->right = std::max(left, right);
  shape->top = std::min(top, bottom);
  shape->bottom = std::max(top, bottom);
  const Pen* pen = FindObject<Pen>(shape->dc->pen);
  const Brush* brush = FindObject<Brush>(shape->dc->brush);
  shape->pen = pen && !pen->null ? pen : nullptr;
  shape->brush = brush && !brush->null ? brush : nullptr;
  return shape->right > shape->left && shape->bottom > shape->top;
}

} // namespace

extern "C" {

BOOL LineTo(HDC hdc, int x, int y)
{
  DeviceContext* dc = FindDC(hdc);
  if (!dc)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  const POINT from = dc->position;
  dc->position = POINT{x, y};
  const Pen* pen = FindObject<Pen>(dc->pen);
  Canvas canvas(*dc);
  if (!pen || pen->null || !canvas.Ready())
    return TRUE;
  const ll w = pen->width;
  PenStroke stroke(canvas, *pen, dc->rop, std::min<ll>(from.x, x) - w, std::min<ll>(from.y, y) - w,
                   std::max<ll>(from.x, x) + w, std::max<ll>(from.y, y) + w);
  DrawLine(stroke, from.x, from.y, x, y);
  stroke.Finish();
  return TRUE;
}

BOOL PolyBezier(HDC hdc, const POINT* points, DWORD count)
{
  DeviceContext* dc = FindDC(hdc);
  if (!dc)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!points || count < 4 || (count - 1) % 3 != 0)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const Pen* pen = FindObject<Pen>(dc->pen);
  Canvas canvas(*dc);
  if (!pen || pen->null || !canvas.Ready())
    return TRUE;
  ll left = points[0].x, top = points[0].y, right = left, bottom = top;
  for (DWORD i = 1; i < count; ++i) {
    left = std::min<ll>(left, points[i].x);
    right = std::max<ll>(right, points[i].x);
    top = std::min<ll>(top, points[i].y);
    bottom = std::max<ll>(bottom, points[i].y);
  }
  const ll w = pen->width;
  // One stroke for the whole curve: where its pieces meet, a pixel is still
  // written once.
  PenStroke stroke(canvas, *pen, dc->rop, left - w, top - w, right + w + 1, bottom + w + 1, true);
  const RECT clip = canvas.Clip();
  for (DWORD i = 0; i + 3 < count; i += 3) {
    Cubic c;
    for (int k = 0; k < 4; ++k) {
      c.x[k] = double(points[i + k].x);
      c.y[k] = double(points[i + k].y);
    }
    DrawCubic(stroke, c, clip, w, 0);
  }
  stroke.Point(points[count - 1].x, points[count - 1].y);
  stroke.Finish();
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
  Shape s;
  BOOL ok;
  if (!PrepareShape(hdc, left, top, right, bottom, &s, &ok))
    return ok;
  Canvas canvas(*s.dc);
  if (s.brush) {
    const ll inset = s.pen ? 1 : 0;
    canvas.Fill(s.left + inset, s.top + inset, s.right - inset, s.bottom - inset, s.brush->color, s.dc->rop);
  }
  if (s.pen) {
    const ll w = s.pen->width;
    PenStroke stroke(canvas, *s.pen, s.dc->rop, s.left - w, s.top - w, s.right + w, s.bottom + w);
    stroke.Row(s.left, s.right, s.top);
    if (s.bottom - 1 > s.top)
      stroke.Row(s.left, s.right, s.bottom - 1);
    stroke.Column(s.left, s.top + 1, s.bottom - 1);
    if (s.right - 1 > s.left)
      stroke.Column(s.right - 1, s.top + 1, s.bottom - 1);
    stroke.Finish();
  }
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
  Shape s;
  BOOL ok;
  if (!PrepareShape(hdc, left, top, right, bottom, &s, &ok))
    return ok;
  Canvas canvas(*s.dc);
  if (!canvas.Ready())
    return TRUE;
  const ll w = s.right - s.left, h = s.bottom - s.top;
  const Pen none{true, 1, 0};
  // A wide pen's squares are cut at the box, so the ellipse stays inside it.
  PenStroke stroke(canvas, s.pen ? *s.pen : none, s.dc->rop, s.left, s.top, s.right, s.bottom);
  const RECT clip = canvas.Clip();
  const ll reach = s.pen ? s.pen->width : 1;
  for (ll y = std::max<ll>(s.top, clip.top - reach); y < std::min<ll>(s.bottom, clip.bottom + reach); ++y) {
    ll x0, x1;
    if (!EllipseRow(s.left, s.top, w, h, y, &x0, &x1))
      continue;
    // The inside of the row, [in0, in1]: pixels whose four neighbours all
    // lie in the ellipse. The rows are centred and nested, so that is the row
    // narrowed by one at each end and cut to both neighbouring rows; a row
    // without a neighbour above or below has none.
    ll in0 = x0 + 1, in1 = x0, a0, a1, b0, b1;
    if (EllipseRow(s.left, s.top, w, h, y - 1, &a0, &a1) && EllipseRow(s.left, s.top, w, h, y + 1, &b0, &b1)) {
      in0 = std::max({x0 + 1, a0, b0});
      in1 = std::min({x1 - 1, a1, b1});
    }
    if (!s.pen) {
      if (s.brush)
        canvas.Fill(x0, y, x1 + 1, y + 1, s.brush->color, s.dc->rop);
      continue;
    }
    if (s.brush && in0 <= in1)
      canvas.Fill(in0, y, in1 + 1, y + 1, s.brush->color, s.dc->rop);
    if (in0 <= in1) {
      stroke.Row(x0, in0, y);
      stroke.Row(in1 + 1, x1 + 1, y);
    } else {
      stroke.Row(x0, x1 + 1, y);
    }
  }
  if (s.pen)
    stroke.Finish();
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush)
{
  DeviceContext* dc = FindDC(hdc);
  const Brush* brush = FindObject<Brush>(hbrush);
  if (!dc || !rect || !brush)
    return Fail(dc && rect ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER, 0);
  if (!brush->null)
    Canvas(*dc).Fill(rect->left, rect->top, rect->right, rect->bottom, brush->color);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH hbrush)
{
  DeviceContext* dc = FindDC(hdc);
  const Brush* brush = FindObject<Brush>(hbrush);
  if (!dc || !rect || !brush)
    return Fail(dc && rect ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER, 0);
  const ll l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
  if (brush->null || r <= l || b <= t)
    return 1;
  Canvas canvas(*dc);
  canvas.Fill(l, t, r, t + 1, brush->color);
  canvas.Fill(l, b - 1, r, b, brush->color);
  canvas.Fill(l, t + 1, l + 1, b - 1, brush->color);
  canvas.Fill(r - 1, t + 1, r, b - 1, brush->color);
  return 1;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
  DeviceContext* dc = FindDC(hdc);
  if (!dc)
    return Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
  Canvas canvas(*dc);
  if (!canvas.Contains(x, y))
    return CLR_INVALID;
  canvas.Put(x, y, color);
  return color & 0xFFFFFFu;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
  DeviceContext* dc = FindDC(hdc);
  return dc ? Canvas(*dc).Get(x, y) : Fail(ERROR_INVALID_HANDLE, CLR_INVALID);
}

} // extern "C"
