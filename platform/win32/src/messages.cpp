// Messages: sending, the posted queue, retrieval in Win32 order, timers,
// the virtual clock, the idle script, recorded failures and the loop guards,
// and the inspection and reset calls of the automation API.
#include "presenter.h"
#include "wm.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using namespace standin::detail;

struct Timer {
  HWND window;
  UINT_PTR id;
  DWORD interval;
  DWORD due;
};

struct Queue {
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  std::deque<std::function<void()>> idle;
  DWORD clock = 0;
  bool realTime = false;
  long budget = 200000;
  long retrieved = 0;
  bool budgetReported = false;
  HWND paintWindow = nullptr; // the runaway-paint guard
  int paintStreak = 0;
  bool deadlock = false;
  UINT_PTR nextTimerId = 0x7000;
  std::vector<std::string> failures;
  bool tracing = false;
  std::vector<standin::TracedMessage> trace;
  int depth = 0;
};
Queue& Q()
{
  static auto* queue = new Queue;
  return *queue;
}

constexpr int kMaxSendDepth = 1000;
constexpr int kPaintRunaway = 100;

DWORD RealNow()
{
  static const auto start = std::chrono::steady_clock::now();
  return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

bool InRange(UINT message, UINT first, UINT last)
{
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

MSG Make(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  MSG msg{window, message, wParam, lParam, Now(), POINT{0, 0}};
  GetCursorPos(&msg.pt);
  return msg;
}

// Whether a paint or timer message of `window` passes a retrieval's window
// filter (none: every window; -1: thread messages only).
bool WindowPasses(HWND window, HWND filter)
{
  return filter != kThreadMessagesOnly && (!filter || filter == window || IsChild(filter, window));
}

// The first window in paint order with something to paint.
HWND FindPaint(HWND filter)
{
  for (HWND top : std::vector<HWND>(ZOrder()))
    for (HWND h : Subtree(top)) {
      const WindowRecord* w = Find(h);
      if (w && !w->update.empty() && Showing(h) && WindowPasses(h, filter))
        return h;
    }
  return nullptr;
}

enum class Got { Nothing, Message, Runaway };

Got Retrieve(MSG* msg, HWND filter, UINT first, UINT last, bool remove)
{
  Queue& q = Q();
  auto counted = [&](const MSG& m) {
    if (m.message != WM_PAINT)
      q.paintStreak = 0;
    if (remove)
      ++q.retrieved;
    *msg = m;
    return Got::Message;
  };
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it)
    if (PassesFilter(*it, filter, first, last)) {
      const MSG m = *it;
      if (remove)
        q.posted.erase(it);
      return counted(m);
    }
  if (q.quit) {
    const MSG m = Make(nullptr, WM_QUIT, WPARAM(q.quitCode), 0);
    if (remove)
      q.quit = false;
    return counted(m);
  }
  MSG input;
  if (NextInput(&input, filter, first, last, remove))
    return counted(input);
  if (InRange(WM_PAINT, first, last)) {
    if (const HWND h = FindPaint(filter)) {
      if (remove) {
        q.paintStreak = h == q.paintWindow ? q.paintStreak + 1 : 1;
        q.paintWindow = h;
        if (q.paintStreak >= kPaintRunaway) {
          char text[160];
          std::snprintf(text, sizeof text, "WM_PAINT for window %p came %d times without validation", (void*)h,
                        kPaintRunaway);
          RecordFailure(text);
          ValidateRect(h, nullptr);
          q.paintStreak = 0;
          return Got::Runaway;
        }
        ++q.retrieved;
      }
      *msg = Make(h, WM_PAINT, 0, 0);
      return Got::Message;
    }
    DrawDirtyFrames();
  }
  if (InRange(WM_TIMER, first, last)) {
    Timer* next = nullptr;
    const DWORD now = Now();
    for (Timer& t : q.timers)
      if (DWORD(now - t.due) < 0x80000000u && WindowPasses(t.window, filter) &&
          (!next || DWORD(t.due - next->due) >= 0x80000000u))
        next = &t;
    if (next) {
      const MSG m = Make(next->window, WM_TIMER, next->id, 0);
      if (remove)
        next->due = now + next->interval;
      return counted(m);
    }
  }
  return Got::Nothing;
}

bool OverBudget()
{
  Queue& q = Q();
  // A person at a display may work the windows for hours: the guard is for
  // loops that run by themselves.
  if (q.retrieved <= q.budget || Presentation().Presenting())
    return false;
  if (!q.budgetReported) {
    q.budgetReported = true;
    RecordFailure("more than " + std::to_string(q.budget) + " messages retrieved: a runaway message loop");
  }
  return true;
}

// Ends a loop as WM_QUIT with code -1 would.
BOOL Stop(MSG* msg)
{
  *msg = Make(nullptr, WM_QUIT, WPARAM(-1), 0);
  Q().deadlock = true;
  return FALSE;
}

// Whether a real-time host should wait for a timer rather than block.
bool WaitForTimer()
{
  Queue& q = Q();
  if (!q.realTime || q.timers.empty())
    return false;
  DWORD wait = 0xFFFFFFFFu;
  for (const Timer& t : q.timers)
    wait = std::min<DWORD>(wait, DWORD(t.due - Now()) >= 0x80000000u ? 0 : t.due - Now());
  std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  return true;
}

// Waits on the display, while windows are presented, until it has events
// or the earliest timer is due.
PresenterWait WaitForDisplay()
{
  const Queue& q = Q();
  DWORD due = 0;
  bool any = false;
  for (const Timer& t : q.timers)
    if (!any || DWORD(t.due - due) >= 0x80000000u) {
      due = t.due;
      any = true;
    }
  return Presentation().Wait(any ? &due : nullptr);
}

void Describe(HWND h, int depth, std::string& out)
{
  const WindowRecord* w = Find(h);
  if (!w)
    return;
  const FocusState& f = Focus();
  char line[512];
  const RECT s = ScreenRect(h);
  std::snprintf(
      line, sizeof line,
      "%*s%p \"%s\" \"%s\" style=%08X ex=%08X rect=(%d,%d,%d,%d) screen=(%d,%d,%d,%d) client=%dx%d%s%s%s%s%s%s",
      depth * 2, "", (void*)h, w->cls->name.c_str(), w->text.c_str(), unsigned(w->style), unsigned(w->exStyle),
      int(w->rect.left), int(w->rect.top), int(w->rect.right), int(w->rect.bottom), int(s.left), int(s.top),
      int(s.right), int(s.bottom), w->ClientWidth(), w->ClientHeight(), w->Visible() ? " visible" : " hidden",
      w->Enabled() ? "" : " disabled", w->minimized ? " minimized" : "", w->maximized ? " maximized" : "",
      w->topmost ? " topmost" : "", w->update.empty() ? "" : " invalid");
  out += line;
  if (w->owner) {
    std::snprintf(line, sizeof line, " owner=%p", (void*)w->owner);
    out += line;
  }
  out += std::string(f.active == h ? " [active]" : "") + (f.focus == h ? " [focus]" : "") +
         (f.capture == h ? " [capture]" : "") + "\n";
  for (HWND child : w->children)
    Describe(child, depth + 1, out);
}

} // namespace

namespace standin::detail {

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  const WindowRecord* w = Find(window);
  if (!w)
    return 0;
  Queue& q = Q();
  if (q.depth >= kMaxSendDepth) {
    RecordFailure("messages nested more than 1,000 levels deep (message " + std::to_string(message) + ")");
    return 0;
  }
  if (q.tracing)
    q.trace.push_back(standin::TracedMessage{window, message, wParam, lParam});
  const WNDPROC proc = w->proc;
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } guard(q.depth);
  return proc(window, message, wParam, lParam);
}

void RecordFailure(const std::string& text)
{
  Q().failures.push_back(text);
  std::fprintf(stderr, "stand-in failure: %s\n", text.c_str());
}

// While windows are presented the virtual clock also follows real time,
// so that a person's double clicks and timers work as on a desktop.
DWORD Now() { return Q().realTime ? RealNow() : Q().clock + Presentation().Elapsed(); }

void ForgetWindow(HWND window)
{
  Queue& q = Q();
  std::erase_if(q.posted, [window](const MSG& m) { return m.hwnd == window; });
  std::erase_if(q.timers, [window](const Timer& t) { return t.window == window; });
}

void ResetQueue()
{
  Queue& q = Q();
  q.posted.clear();
  q.quit = false;
  q.timers.clear();
  q.idle.clear();
  q.clock = 0;
  q.realTime = false;
  q.retrieved = 0;
  q.budgetReported = false;
  q.paintWindow = nullptr;
  q.paintStreak = 0;
  q.deadlock = false;
}

bool LastRetrievalWasDeadlock() { return Q().deadlock; }

bool PassesFilter(const MSG& msg, HWND window, UINT first, UINT last)
{
  if (window == kThreadMessagesOnly)
    return InRange(msg.message, first, last) && !msg.hwnd;
  return InRange(msg.message, first, last) && (!window || msg.hwnd == window || IsChild(window, msg.hwnd));
}

} // namespace standin::detail

namespace standin {

void AdvanceClock(DWORD milliseconds) { Q().clock += milliseconds; }
void UseRealTime(bool on) { Q().realTime = on; }

long Pump()
{
  long handled = 0;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the loop that owns it.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ++handled;
  }
  return handled;
}

void SetIdleScript(std::vector<std::function<void()>> steps)
{
  Q().idle.assign(std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
}
void AddIdleStep(std::function<void()> step) { Q().idle.push_back(std::move(step)); }
size_t IdleStepsLeft() { return Q().idle.size(); }

void SetMessageBudget(long messages)
{
  Q().budget = messages;
  Q().retrieved = 0;
  Q().budgetReported = false;
}

const std::vector<std::string>& Failures() { return Q().failures; }
void ClearFailures() { Q().failures.clear(); }

std::string DumpWindowTree()
{
  std::string out;
  for (HWND top : ZOrder())
    Describe(top, 0, out);
  return out.empty() ? "(no windows)\n" : out;
}

std::vector<TopLevelWindow> TopLevelWindows()
{
  std::vector<TopLevelWindow> out;
  for (HWND top : ZOrder())
    if (const WindowRecord* w = Find(top))
      out.push_back(TopLevelWindow{top, w->cls ? w->cls->name : std::string(), w->text, w->Visible(), w->owner});
  return out;
}

std::vector<RECT> UpdateRegion(HWND window)
{
  const WindowRecord* w = Find(window);
  return w ? w->update : std::vector<RECT>{};
}

bool ErasePending(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->erase;
}

long PaintCount(HWND window)
{
  const WindowRecord* w = Find(window);
  return w ? w->paints : 0;
}

void TraceMessages(bool on) { Q().tracing = on; }
const std::vector<TracedMessage>& MessageTrace() { return Q().trace; }
void ClearMessageTrace() { Q().trace.clear(); }

void Reset()
{
  for (HWND top : std::vector<HWND>(ZOrder()))
    DestroyWindow(top);
  ResetQueue();
  ResetInput();
  RemoveUserClasses();
  Q().budget = 200000;
}

} // namespace standin

extern "C" {

const char* LvxStandinFailureReport(void)
{
  static auto* report = new std::string;
  if (Q().failures.empty())
    return nullptr;
  report->clear();
  for (const std::string& failure : Q().failures)
    *report += failure + "\n";
  Q().failures.clear();
  return report->c_str();
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  return Deliver(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (window && !Find(window))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  Q().posted.push_back(Make(window, message, wParam, lParam));
  return TRUE;
}

DWORD GetCurrentThreadId(void) { return 1; }

BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (thread != GetCurrentThreadId())
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return PostMessageA(nullptr, message, wParam, lParam);
}

void PostQuitMessage(int code)
{
  Q().quit = true;
  Q().quitCode = code;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last)
{
  if (!msg)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  Queue& q = Q();
  q.deadlock = false;
  for (;;) {
    Presentation().Poll();
    if (OverBudget())
      return Stop(msg);
    switch (Retrieve(msg, window, first, last, true)) {
    case Got::Message: return msg->message == WM_QUIT ? FALSE : TRUE;
    case Got::Runaway: return Stop(msg);
    case Got::Nothing: break;
    }
    if (!q.idle.empty()) {
      // Nothing waits: the test's next step runs, then the queue is asked again.
      std::function<void()> step = std::move(q.idle.front());
      q.idle.pop_front();
      step();
      continue;
    }
    switch (WaitForDisplay()) {
    case PresenterWait::Woken: continue;
    case PresenterWait::Lost:
    case PresenterWait::Interrupted:
      // The display is gone, or the person interrupted the program: the
      // loop ends as a cancel would.
      *msg = Make(nullptr, WM_QUIT, WPARAM(1), 0);
      return FALSE;
    case PresenterWait::Headless: break;
    }
    if (WaitForTimer())
      continue;
    RecordFailure("GetMessageA would wait forever: nothing is queued and the idle script is empty. Windows:\n" +
                  standin::DumpWindowTree());
    return Stop(msg);
  }
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove)
{
  if (!msg)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (remove & PM_REMOVE) {
    Presentation().Poll();
    if (OverBudget())
      return FALSE;
  }
  return Retrieve(msg, window, first, last, (remove & PM_REMOVE) != 0) == Got::Message ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
    return FALSE;
  const int key = int(msg->wParam);
  const int typed = TypedCharacter(*msg);
  char c = 0;
  if (typed != kLayoutCharacter) {
    c = char(typed); // the display's keyboard said what the key types
  } else {
    switch (key) {
    case VK_RETURN: c = 13; break;
    case VK_BACK: c = 8; break;
    case VK_TAB: c = 9; break;
    case VK_ESCAPE: c = 27; break;
    default:
      if (KeyIsDown(VK_CONTROL))
        c = (key >= 'A' && key <= 'Z') ? char(key - 'A' + 1) : 0;
      else
        c = KeyChar(key, KeyIsDown(VK_SHIFT));
    }
  }
  if (!c)
    return FALSE;
  Q().posted.push_back(Make(msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR,
                            WPARAM(static_cast<unsigned char>(c)), msg->lParam));
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
  // Thread messages belong to the loop that took them.
  if (!msg || !msg->hwnd)
    return 0;
  return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  return proc ? proc(window, message, wParam, lParam) : 0;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void*)
{
  if (window && !Find(window))
    return Fail(ERROR_INVALID_HANDLE, UINT_PTR(0));
  Queue& q = Q();
  if (!window)
    id = q.nextTimerId++;
  std::erase_if(q.timers, [&](const Timer& t) { return t.window == window && t.id == id; });
  const DWORD interval = milliseconds < 10 ? 10 : milliseconds;
  q.timers.push_back(Timer{window, id, interval, Now() + interval});
  return id ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
  return std::erase_if(Q().timers, [&](const Timer& t) { return t.window == window && t.id == id; }) ? TRUE : FALSE;
}

DWORD GetTickCount(void) { return Now(); }

} // extern "C"
