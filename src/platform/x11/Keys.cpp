#include <X11/keysym.h>

#include "platform/x11/X11Window.h"

namespace korvane::platform::x11 {

int virtualKeyOf(unsigned long keysym, int& side, bool& extended) {
    side = 0;
    extended = false;
    if (keysym >= XK_a && keysym <= XK_z) {
        return static_cast<int>('A' + (keysym - XK_a));
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return static_cast<int>(keysym);
    }
    if (keysym >= XK_0 && keysym <= XK_9) {
        return static_cast<int>(keysym);
    }
    if (keysym >= XK_F1 && keysym <= XK_F24) {
        return static_cast<int>(VK_F1 + (keysym - XK_F1));
    }
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
        return static_cast<int>(VK_NUMPAD0 + (keysym - XK_KP_0));
    }
    switch (keysym) {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_Clear:
    case XK_KP_Begin:
        return VK_CLEAR;
    case XK_Return:
        return VK_RETURN;
    case XK_KP_Enter:
        extended = true;
        return VK_RETURN;
    case XK_Shift_L:
        side = VK_LSHIFT;
        return VK_SHIFT;
    case XK_Shift_R:
        side = VK_RSHIFT;
        return VK_SHIFT;
    case XK_Control_L:
        side = VK_LCONTROL;
        return VK_CONTROL;
    case XK_Control_R:
        side = VK_RCONTROL;
        extended = true;
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Meta_L:
        side = VK_LMENU;
        return VK_MENU;
    case XK_Alt_R:
    case XK_Meta_R:
    case XK_ISO_Level3_Shift:
        side = VK_RMENU;
        extended = true;
        return VK_MENU;
    case XK_Super_L:
        extended = true;
        return VK_LWIN;
    case XK_Super_R:
        extended = true;
        return VK_RWIN;
    case XK_Menu:
        extended = true;
        return VK_APPS;
    case XK_Pause:
        return VK_PAUSE;
    case XK_Caps_Lock:
        return VK_CAPITAL;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
        return VK_SPACE;
    case XK_Print:
        extended = true;
        return VK_SNAPSHOT;
    case XK_Num_Lock:
        extended = true;
        return VK_NUMLOCK;
    case XK_Scroll_Lock:
        return VK_SCROLL;
    case XK_KP_Multiply:
        return VK_MULTIPLY;
    case XK_KP_Add:
        return VK_ADD;
    case XK_KP_Separator:
        return VK_SEPARATOR;
    case XK_KP_Subtract:
        return VK_SUBTRACT;
    case XK_KP_Decimal:
        return VK_DECIMAL;
    case XK_KP_Divide:
        extended = true;
        return VK_DIVIDE;
    case XK_semicolon:
        return VK_OEM_1;
    case XK_equal:
    case XK_plus:
        return VK_OEM_PLUS;
    case XK_comma:
        return VK_OEM_COMMA;
    case XK_minus:
        return VK_OEM_MINUS;
    case XK_period:
        return VK_OEM_PERIOD;
    case XK_slash:
        return VK_OEM_2;
    case XK_grave:
        return VK_OEM_3;
    case XK_bracketleft:
        return VK_OEM_4;
    case XK_backslash:
        return VK_OEM_5;
    case XK_bracketright:
        return VK_OEM_6;
    case XK_apostrophe:
        return VK_OEM_7;
    case XK_less:
        return VK_OEM_102;
    default:
        break;
    }
    // Navigation keys: extended on the main block, plain on the keypad (with Num Lock off).
    struct Navigation {
        unsigned long main, keypad;
        int key;
    };
    static const Navigation navigation[] = {
        {XK_Prior, XK_KP_Prior, VK_PRIOR},    {XK_Next, XK_KP_Next, VK_NEXT},
        {XK_End, XK_KP_End, VK_END},          {XK_Home, XK_KP_Home, VK_HOME},
        {XK_Left, XK_KP_Left, VK_LEFT},       {XK_Up, XK_KP_Up, VK_UP},
        {XK_Right, XK_KP_Right, VK_RIGHT},    {XK_Down, XK_KP_Down, VK_DOWN},
        {XK_Insert, XK_KP_Insert, VK_INSERT}, {XK_Delete, XK_KP_Delete, VK_DELETE},
    };
    for (const Navigation& entry : navigation) {
        if (keysym == entry.main || keysym == entry.keypad) {
            extended = keysym == entry.main;
            return entry.key;
        }
    }
    return 0;
}

} // namespace korvane::platform::x11
