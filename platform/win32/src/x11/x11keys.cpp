// X keysyms and the window layer's virtual keys.
#include "x11/x11keys.h"

#include "win32/windowing.h"

// The typographic and technical keysyms are not declared by default.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>

namespace standin::detail {
namespace {

struct KeyPair {
  unsigned long keysym;
  int key;
};

// The first pair of a key is the keysym it maps back to.
// Laid out by hand: the pairs in columns.
// clang-format off
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
    // The keypad: its digits and operators (Num Lock on), else the keys
    // its digits stand for.
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD},     {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},   {XK_KP_Separator, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Home, VK_HOME},      {XK_KP_End, VK_END},        {XK_KP_Prior, VK_PRIOR},    {XK_KP_Next, VK_NEXT},
    {XK_KP_Insert, VK_INSERT},
};
// clang-format on

// Keysyms outside Latin-1 whose characters Windows-1252 holds at 0x80..0x9F
// (the Unicode keysyms, 0x1000000 + the code point, need no table).
struct CharacterPair {
  unsigned long keysym;
  unsigned long codePoint;
};
constexpr CharacterPair kCharacters[] = {
    {XK_EuroSign, 0x20AC},
    {XK_singlelowquotemark, 0x201A},
    {XK_function, 0x0192},
    {XK_doublelowquotemark, 0x201E},
    {XK_ellipsis, 0x2026},
    {XK_dagger, 0x2020},
    {XK_doubledagger, 0x2021},
    {XK_permille, 0x2030},
    {XK_Scaron, 0x0160},
    {XK_OE, 0x0152},
    {XK_Zcaron, 0x017D},
    {XK_leftsinglequotemark, 0x2018},
    {XK_rightsinglequotemark, 0x2019},
    {XK_leftdoublequotemark, 0x201C},
    {XK_rightdoublequotemark, 0x201D},
    {XK_enfilledcircbullet, 0x2022},
    {XK_endash, 0x2013},
    {XK_emdash, 0x2014},
    {XK_trademark, 0x2122},
    {XK_scaron, 0x0161},
    {XK_oe, 0x0153},
    {XK_zcaron, 0x017E},
    {XK_Ydiaeresis, 0x0178},
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
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return int(VK_NUMPAD0 + (keysym - XK_KP_0));
  for (const KeyPair& pair : kKeys)
    if (pair.keysym == keysym)
      return pair.key;
  return 0;
}

bool IsKeypadKeysym(unsigned long keysym) { return keysym >= XK_KP_Space && keysym <= XK_KP_Equal; }

unsigned long CodePointFromKeysym(unsigned long keysym)
{
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    return keysym; // Latin-1 keysyms are their code points
  if (keysym >= 0x1000100 && keysym <= 0x110FFFF)
    return keysym - 0x1000000;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return '0' + (keysym - XK_KP_0);
  switch (keysym) {
  case XK_KP_Space: return ' ';
  case XK_KP_Multiply: return '*';
  case XK_KP_Add: return '+';
  case XK_KP_Subtract: return '-';
  case XK_KP_Decimal: return '.';
  case XK_KP_Divide: return '/';
  case XK_KP_Equal: return '=';
  default: break;
  }
  for (const CharacterPair& pair : kCharacters)
    if (pair.keysym == keysym)
      return pair.codePoint;
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
