// Headless message boxes: every request is logged and answered from a script,
// or with the box's first button.
#include "win32/automation.h"

#include <cstdio>
#include <deque>

namespace standin {
namespace {

std::vector<DialogRequest>& Log()
{
  static std::vector<DialogRequest> log;
  return log;
}
std::deque<int>& Answers()
{
  static std::deque<int> answers;
  return answers;
}
bool g_echo = false;

// Whether a box of the given button set can answer `id`.
bool CanAnswer(UINT buttons, int id)
{
  switch (buttons) {
  case MB_OK: return id == IDOK;
  case MB_OKCANCEL: return id == IDOK || id == IDCANCEL;
  case MB_YESNOCANCEL: return id == IDYES || id == IDNO || id == IDCANCEL;
  case MB_YESNO: return id == IDYES || id == IDNO;
  default: return false;
  }
}

int DefaultAnswer(UINT buttons)
{
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

} // namespace

void QueueMessageBoxAnswer(int id) { Answers().push_back(id); }
const std::vector<DialogRequest>& DialogLog() { return Log(); }
void ClearDialogLog() { Log().clear(); }
void EchoDialogs(bool on) { g_echo = on; }

} // namespace standin

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
  using namespace standin;
  DialogRequest req;
  req.kind = "MessageBox";
  req.owner = owner;
  req.text = text ? text : "";
  req.caption = caption ? caption : "Error";
  req.style = type;
  const UINT buttons = type & 0xFu;
  req.answer = DefaultAnswer(buttons);
  if (!Answers().empty()) {
    int id = Answers().front();
    Answers().pop_front();
    if (CanAnswer(buttons, id)) {
      req.answer = id;
      req.scripted = true;
    } else {
      req.scriptError = true;
    }
  }
  if (g_echo)
    std::fprintf(stderr, "%s: %s\n", req.caption.c_str(), req.text.c_str());
  Log().push_back(req);
  return req.answer;
}
