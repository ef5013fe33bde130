// X keysyms and the window layer's virtual keys.
#include "x11/x11keys.h"

#include "win32/win32.h"

#include <X11/keysym.h>

namespace standin::detail {
namespace {

struct KeyPair {
  unsigned long keysym;
  int key;
};

// The first pair of a key is the keysym it maps back to.
constexpr KeyPair kKeys[] = {
    {XK_Shift_L, VK_SHIFT},     {XK_Shift_R, VK_SHIFT},     {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},        {XK_Alt_R, VK_MENU},        {XK_Meta_L, VK_MENU},       {XK_Meta_R, VK_MENU},
    {XK_Left, VK_LEFT},         {XK_Up, VK_UP},             {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},
    {XK_KP_Left, VK_LEFT},      {XK_KP_Up, VK_UP},          {XK_KP_Right, VK_RIGHT},    {XK_KP_Down, VK_DOWN},
    {XK_Home, VK_HOME},         {XK_End, VK_END},           {XK_Prior, VK_PRIOR},       {XK_Next, VK_NEXT},
    {XK_Insert, VK_INSERT},     {XK_Delete, VK_DELETE},     {XK_KP_Delete, VK_DELETE},  {XK_BackSpace, VK_BACK},
    {XK_Return, VK_RETURN},     {XK_KP_Enter, VK_RETURN},   {XK_Escape, VK_ESCAPE},     {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},  {XK_space, VK_SPACE},
    // The punctuation keys of the US layout, by their unshifted keysyms.
    {XK_semicolon, VK_OEM_1},   {XK_equal, VK_OEM_PLUS},    {XK_comma, VK_OEM_COMMA},   {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD}, {XK_slash, VK_OEM_2},       {XK_grave, VK_OEM_3},       {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},   {XK_bracketright, VK_OEM_6}, {XK_apostrophe, VK_OEM_7},
};

} // namespace

int VirtualKeyFromKeysym(unsigned long keysym)
{
  if (keysym >= XK_a && keysym <= XK_z)
    return int('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z)
    return int('A' + (keysym - XK_A));
  if (keysym >= XK_0 && keysym <= XK_9)
    return int('0' + (keysym - XK_0));
  if (keysym >= XK_F1 && keysym <= XK_F12)
    return int(VK_F1 + (keysym - XK_F1));
  for (const KeyPair& pair : kKeys)
    if (pair.keysym == keysym)
      return pair.key;
  return 0;
}

unsigned long KeysymFromVirtualKey(int key)
{
  if (key >= 'A' && key <= 'Z')
    return XK_a + (key - 'A');
  if (key >= '0' && key <= '9')
    return XK_0 + (key - '0');
  if (key >= VK_F1 && key <= VK_F12)
    return XK_F1 + (key - VK_F1);
  for (const KeyPair& pair : kKeys)
    if (pair.key == key)
      return pair.keysym;
  return 0; // NoSymbol
}

} // namespace standin::detail
