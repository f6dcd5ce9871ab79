#pragma once
// The command ids of the menus, toolbar and accelerators as wxWidgets sees them.
//
// The program's command ids (StringIds.h: 57600 New, 32773 Transfer/Delete, ...) also key their
// prompt strings. wxWidgets wants menu ids below 0x7FFF, so each command id is shifted down by a
// fixed amount on its way into a menu and back; the texts stay keyed by the command id.

inline constexpr int kWxCommandOffset = 0x7000;

constexpr int WxCommandId(int commandId)
{
    return commandId - kWxCommandOffset;
}

constexpr int CommandIdOf(int wxId)
{
    return wxId + kWxCommandOffset;
}

static_assert(WxCommandId(32771) > 0 && WxCommandId(32771) < 5000, "below wx's own stock ids");
static_assert(WxCommandId(59393) < 0x7FFF, "wx menu ids stay below 0x7FFF");
