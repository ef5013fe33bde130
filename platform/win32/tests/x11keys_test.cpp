// The X11 presenter's key map, which needs no server: every virtual key
// the application and the controls handle comes back from its keysym, and
// the other keysyms of one key (upper case, right-hand modifiers, the
// keypad) give the same key; the characters keysyms type, as the code
// page's bytes.
#include "x11/x11keys.h"

#include "text.h"
#include "win32/windowing.h"

#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>
#include <gtest/gtest.h>

using standin::detail::CodePageByte;
using standin::detail::CodePointFromKeysym;
using standin::detail::IsKeypadKeysym;
using standin::detail::KeysymFromVirtualKey;
using standin::detail::VirtualKeyFromKeysym;

namespace {

// The code-page byte a keysym types; -1 for none, or one outside the code page.
int Typed(unsigned long keysym)
{
  char byte = 0;
  const unsigned long u = CodePointFromKeysym(keysym);
  return u && CodePageByte(u, &byte) ? int(static_cast<unsigned char>(byte)) : -1;
}

} // namespace

TEST(X11Keys, EveryHandledKeyRoundTripsFromItsKeysym)
{
  std::vector<int> keys{VK_SHIFT,  VK_CONTROL, VK_MENU,   VK_LEFT,   VK_UP,        VK_RIGHT,     VK_DOWN,
                        VK_DELETE, VK_BACK,    VK_RETURN, VK_ESCAPE, VK_TAB,       VK_SPACE,     VK_HOME,
                        VK_END,    VK_PRIOR,   VK_NEXT,   VK_INSERT, VK_OEM_MINUS, VK_OEM_PERIOD};
  for (int k = 'A'; k <= 'Z'; ++k)
    keys.push_back(k);
  for (int k = '0'; k <= '9'; ++k)
    keys.push_back(k);
  for (int k = VK_F1; k <= VK_F12; ++k)
    keys.push_back(k);
  for (int key : keys) {
    const unsigned long keysym = KeysymFromVirtualKey(key);
    EXPECT_NE(keysym, 0ul) << "key " << key;
    EXPECT_EQ(VirtualKeyFromKeysym(keysym), key) << "key " << key;
  }
}

TEST(X11Keys, EveryKeysymOfAKeyGivesThatKeyAndOthersNone)
{
  EXPECT_EQ(VirtualKeyFromKeysym(XK_q), 'Q');
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Q), 'Q');
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Shift_R), VK_SHIFT);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Control_R), VK_CONTROL);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Alt_R), VK_MENU);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Left), VK_LEFT);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), VK_RETURN);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_ISO_Left_Tab), VK_TAB); // Shift+Tab
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F12), VK_F12);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F13), 0);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Caps_Lock), 0);
  EXPECT_EQ(KeysymFromVirtualKey(VK_LBUTTON), 0ul);
}

TEST(X11Keys, TheKeypadTypesDigitsWithNumLockAndMovesWithout)
{
  for (int n = 0; n <= 9; ++n) {
    EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_0 + n), VK_NUMPAD0 + n);
    EXPECT_EQ(Typed(XK_KP_0 + n), '0' + n);
    EXPECT_TRUE(IsKeypadKeysym(XK_KP_0 + n));
  }
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Add), VK_ADD);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Decimal), VK_DECIMAL);
  EXPECT_EQ(Typed(XK_KP_Decimal), '.');
  EXPECT_EQ(Typed(XK_KP_Divide), '/');
  // Without Num Lock the keypad's 7 is Home, and Enter is Return.
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Home), VK_HOME);
  EXPECT_EQ(Typed(XK_KP_Home), -1);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), VK_RETURN);
  EXPECT_EQ(Typed(XK_KP_Enter), -1) << "Return's character comes from its key";
  EXPECT_FALSE(IsKeypadKeysym(XK_Home));
}

TEST(X11Keys, EveryCodePageCharacterAKeyboardTypesArrivesAsItsByte)
{
  // Latin-1 keysyms are their own bytes.
  EXPECT_EQ(Typed(XK_a), 'a');
  EXPECT_EQ(Typed(XK_Udiaeresis), 0xDC);
  EXPECT_EQ(Typed(XK_eacute), 0xE9);
  EXPECT_EQ(Typed(XK_ssharp), 0xDF);
  EXPECT_EQ(Typed(XK_nobreakspace), 0xA0);
  // The code page's 0x80..0x9F, from legacy keysyms and Unicode ones.
  EXPECT_EQ(Typed(XK_EuroSign), 0x80);
  EXPECT_EQ(Typed(0x10020AC), 0x80);
  EXPECT_EQ(Typed(XK_OE), 0x8C);
  EXPECT_EQ(Typed(XK_scaron), 0x9A);
  EXPECT_EQ(Typed(XK_Ydiaeresis), 0x9F);
  EXPECT_EQ(Typed(XK_leftdoublequotemark), 0x93);
  EXPECT_EQ(Typed(XK_emdash), 0x97);
  EXPECT_EQ(Typed(XK_function), 0x83);
  EXPECT_EQ(Typed(XK_trademark), 0x99);
  // Every byte of the code page comes back from its Unicode keysym.
  for (int b = 0x20; b <= 0xFF; ++b) {
    if (b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
      continue; // Delete, and the five bytes the code page leaves unassigned
    const unsigned long u = standin::detail::CodePoint(char(b));
    EXPECT_EQ(Typed(u < 0x100 ? u : 0x1000000 + u), b) << "byte " << b;
  }
  // Characters the code page does not hold, and keys that type none.
  EXPECT_EQ(Typed(XK_Cyrillic_a), -1);
  EXPECT_EQ(Typed(0x1004E2D), -1); // a CJK ideograph
  EXPECT_EQ(Typed(XK_dead_acute), -1);
  EXPECT_EQ(Typed(XK_Return), -1);
  EXPECT_EQ(Typed(XK_Delete), -1);
  EXPECT_EQ(Typed(XK_F1), -1);
}
