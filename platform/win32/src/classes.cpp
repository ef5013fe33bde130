// Window classes (registration by name and instance, the built-in classes)
// and the global atom table.
#include "wm.h"

#include <map>

namespace {

using standin::detail::ClassPtr;
using standin::detail::ClassRecord;
using standin::detail::Fail;

std::vector<ClassPtr>& Classes()
{
  static auto* classes = new std::vector<ClassPtr>;
  return *classes;
}

ATOM g_nextClassAtom = 0xC000;

HINSTANCE Resolve(HINSTANCE instance) { return instance ? instance : standin::MainModule(); }

// A name given as an atom (MAKEINTRESOURCEA) or as text.
bool Matches(const ClassRecord& c, LPCSTR name)
{
  if (IS_INTRESOURCE(name))
    return c.atom == ATOM(uintptr_t(name));
  return standin::detail::EqualNoCase(c.name.c_str(), name);
}

// Local classes of the instance first, then global and built-in ones.
ClassPtr Lookup(LPCSTR name, HINSTANCE instance)
{
  if (!name)
    return nullptr;
  const HINSTANCE module = Resolve(instance);
  for (const ClassPtr& c : Classes())
    if (!(c->style & CS_GLOBALCLASS) && !c->builtIn && c->instance == module && Matches(*c, name))
      return c;
  for (const ClassPtr& c : Classes())
    if (((c->style & CS_GLOBALCLASS) || c->builtIn) && Matches(*c, name))
      return c;
  return nullptr;
}

bool HasLiveWindows(const ClassPtr& c)
{
  for (auto& [handle, window] : standin::detail::Windows().Items())
    if (window.cls == c)
      return true;
  return false;
}

ATOM AddClass(const WNDCLASSEXA& wc, bool builtIn)
{
  auto c = std::make_shared<ClassRecord>();
  c->name = wc.lpszClassName;
  c->atom = g_nextClassAtom++;
  c->style = wc.style;
  c->proc = wc.lpfnWndProc;
  c->instance = Resolve(wc.hInstance);
  c->icon = wc.hIcon;
  c->iconSmall = wc.hIconSm;
  c->cursor = wc.hCursor;
  c->brush = wc.hbrBackground;
  c->builtIn = builtIn;
  Classes().push_back(c);
  return c->atom;
}

// ---- Atoms ------------------------------------------------------------------
struct Atom {
  std::string name;
  int references = 0;
};
std::map<ATOM, Atom>& Atoms()
{
  static auto* atoms = new std::map<ATOM, Atom>;
  return *atoms;
}
ATOM g_nextAtom = 0xC000;

} // namespace

namespace standin::detail {

const char kDialogClass[] = "#32770";

ClassPtr FindClass(LPCSTR name, HINSTANCE instance) { return Lookup(name, instance); }

COLORREF BrushColor(HBRUSH brush)
{
  // A system colour index + 1 stands for that colour's brush.
  switch (uintptr_t(brush)) {
  case 0: return CLR_INVALID;
  case COLOR_WINDOW + 1: return 0xFFFFFF;
  case COLOR_BTNFACE + 1: return kFaceGrey;
  default: break;
  }
  const Brush* b = FindObject<Brush>(brush);
  return b && !b->null ? b->color : CLR_INVALID;
}

void RegisterBuiltInClasses()
{
  static bool done = false;
  if (done)
    return;
  done = true;
  struct BuiltIn {
    const char* name;
    WNDPROC proc;
    UINT style;
    LPCSTR cursor;
    int brush;
  };
  const BuiltIn builtIns[] = {
      {"BUTTON", ButtonProc, CS_DBLCLKS, IDC_ARROW, COLOR_BTNFACE + 1},
      {"STATIC", StaticProc, 0, IDC_ARROW, COLOR_BTNFACE + 1},
      {"EDIT", EditProc, CS_DBLCLKS, IDC_IBEAM, COLOR_WINDOW + 1},
      {"LISTBOX", ListBoxProc, CS_DBLCLKS, IDC_ARROW, COLOR_WINDOW + 1},
      {"COMBOBOX", ComboBoxProc, CS_DBLCLKS, IDC_ARROW, COLOR_WINDOW + 1},
      {kDropDownClass, ListBoxProc, 0, IDC_ARROW, COLOR_WINDOW + 1},
      {kDialogClass, DialogProc, CS_DBLCLKS, IDC_ARROW, COLOR_BTNFACE + 1},
      // The class of the automation API's bare drawing windows.
      {"LvxSurface", DefWindowProcA, 0, IDC_ARROW, COLOR_WINDOW + 1},
  };
  for (const BuiltIn& b : builtIns) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = b.style;
    wc.lpfnWndProc = b.proc;
    wc.hCursor = LoadCursorA(nullptr, b.cursor);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(b.brush));
    wc.lpszClassName = b.name;
    AddClass(wc, true);
  }
}

void RemoveUserClasses()
{
  auto& classes = Classes();
  for (auto it = classes.begin(); it != classes.end();) {
    if ((*it)->builtIn) {
      ++it;
      continue;
    }
    if (FindObject<Brush>((*it)->brush))
      DeleteObject((*it)->brush);
    it = classes.erase(it);
  }
}

} // namespace standin::detail

extern "C" {

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
  standin::detail::RegisterBuiltInClasses();
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
      !wc->lpfnWndProc)
    return Fail(ERROR_INVALID_PARAMETER, ATOM(0));
  const HINSTANCE module = Resolve(wc->hInstance);
  const bool global = (wc->style & CS_GLOBALCLASS) != 0;
  for (const ClassPtr& c : Classes()) {
    if (!Matches(*c, wc->lpszClassName))
      continue;
    const bool cGlobal = (c->style & CS_GLOBALCLASS) || c->builtIn;
    if ((global && cGlobal) || (!global && !cGlobal && c->instance == module) || c->builtIn)
      return Fail(ERROR_INVALID_PARAMETER, ATOM(0)); // the name is taken
  }
  return AddClass(*wc, false);
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance)
{
  standin::detail::RegisterBuiltInClasses();
  const HINSTANCE module = Resolve(instance);
  auto& classes = Classes();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    const ClassPtr c = *it;
    if (c->builtIn || c->instance != module || !Matches(*c, name))
      continue;
    if (HasLiveWindows(c))
      return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (standin::detail::FindObject<standin::detail::Brush>(c->brush))
      DeleteObject(c->brush);
    classes.erase(it);
    return TRUE;
  }
  return Fail(ERROR_INVALID_PARAMETER, FALSE);
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR name, WNDCLASSEXA* wc)
{
  standin::detail::RegisterBuiltInClasses();
  const ClassPtr c = Lookup(name, instance);
  if (!c || !wc)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *wc = WNDCLASSEXA{};
  wc->cbSize = sizeof *wc;
  wc->style = c->style;
  wc->lpfnWndProc = c->proc;
  wc->hInstance = c->instance;
  wc->hIcon = c->icon;
  wc->hIconSm = c->iconSmall;
  wc->hCursor = c->cursor;
  wc->hbrBackground = c->brush;
  wc->lpszClassName = name;
  return c->atom;
}

ATOM GlobalAddAtomA(LPCSTR name)
{
  if (!name || !*name)
    return Fail(ERROR_INVALID_PARAMETER, ATOM(0));
  if (const ATOM found = GlobalFindAtomA(name)) {
    ++Atoms()[found].references;
    return found;
  }
  const ATOM atom = g_nextAtom++;
  Atoms()[atom] = Atom{name, 1};
  return atom;
}

ATOM GlobalFindAtomA(LPCSTR name)
{
  if (!name)
    return 0;
  for (const auto& [atom, entry] : Atoms())
    if (standin::detail::EqualNoCase(entry.name.c_str(), name))
      return atom;
  return 0;
}

ATOM GlobalDeleteAtom(ATOM atom)
{
  auto it = Atoms().find(atom);
  if (it == Atoms().end())
    return atom;
  if (--it->second.references <= 0)
    Atoms().erase(it);
  return 0;
}

} // extern "C"
