#include "platform/x11/X11KeyTable.h"

#include "core/shortcuts/KeyCombo.h"

#include <X11/X.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <utility>

namespace cadro::x11 {

namespace {

using Entry = std::pair<std::uint32_t, std::uint32_t>;  // virtual key code, keysym

// The ANSI layout's virtual key codes. Keys are named by position on that
// layout, so on other layouts a combo follows the key's symbol, not its place.
constexpr std::array kTable = std::to_array<Entry>({
    {0, XK_a},        {1, XK_s},           {2, XK_d},
    {3, XK_f},        {4, XK_h},           {5, XK_g},
    {6, XK_z},        {7, XK_x},           {8, XK_c},
    {9, XK_v},        {11, XK_b},          {12, XK_q},
    {13, XK_w},       {14, XK_e},          {15, XK_r},
    {16, XK_y},       {17, XK_t},          {18, XK_1},
    {19, XK_2},       {20, XK_3},          {21, XK_4},
    {22, XK_6},       {23, XK_5},          {24, XK_equal},
    {25, XK_9},       {26, XK_7},          {27, XK_minus},
    {28, XK_8},       {29, XK_0},          {30, XK_bracketright},
    {31, XK_o},       {32, XK_u},          {33, XK_bracketleft},
    {34, XK_i},       {35, XK_p},          {36, XK_Return},
    {37, XK_l},       {38, XK_j},          {39, XK_apostrophe},
    {40, XK_k},       {41, XK_semicolon},  {42, XK_backslash},
    {43, XK_comma},   {44, XK_slash},      {45, XK_n},
    {46, XK_m},       {47, XK_period},     {48, XK_Tab},
    {49, XK_space},   {50, XK_grave},      {51, XK_BackSpace},
    {53, XK_Escape},  {96, XK_F5},         {97, XK_F6},
    {98, XK_F7},      {99, XK_F3},         {100, XK_F8},
    {101, XK_F9},     {103, XK_F11},       {109, XK_F10},
    {111, XK_F12},    {115, XK_Home},      {116, XK_Page_Up},
    {117, XK_Delete}, {118, XK_F4},        {119, XK_End},
    {120, XK_F2},     {121, XK_Page_Down}, {122, XK_F1},
    {123, XK_Left},   {124, XK_Right},     {125, XK_Down},
    {126, XK_Up},
});

static_assert(std::ranges::is_sorted(kTable, {}, &Entry::first));

}  // namespace

std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode) {
    const auto found = std::ranges::lower_bound(kTable, keyCode, {}, &Entry::first);
    if (found == kTable.end() || found->first != keyCode) {
        return std::nullopt;
    }
    return found->second;
}

std::uint16_t modifierMaskFor(std::uint32_t modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Modifier::control) {
        mask |= ControlMask;
    }
    if (modifiers & Modifier::option) {
        mask |= Mod1Mask;
    }
    if (modifiers & Modifier::shift) {
        mask |= ShiftMask;
    }
    if (modifiers & Modifier::command) {
        mask |= Mod4Mask;
    }
    return mask;
}

std::string shortcutTrigger(std::uint32_t keyCode, std::uint32_t modifiers) {
    const std::optional<std::uint32_t> keysym = keysymForKeyCode(keyCode);
    const char* name = keysym ? XKeysymToString(*keysym) : nullptr;
    if (!name)
        return {};
    std::string trigger;
    for (auto [bit, text] : {std::pair{Modifier::control, "CTRL+"},
                             {Modifier::option, "ALT+"},
                             {Modifier::shift, "SHIFT+"},
                             {Modifier::command, "LOGO+"}}) {
        if (modifiers & bit)
            trigger += text;
    }
    return trigger + name;
}

}  // namespace cadro::x11
