#!/usr/bin/env python3
"""Draws Skerrow's icons as XPM files (toolbar, list states, application icon).

Run from anywhere: python3 res/make_icons.py. The XPM files are committed; this script is
how they were made, so the artwork can be changed in one place.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, size):
        self.w = self.h = size
        self.px = [[None] * size for _ in range(size)]

    def set(self, x, y, c):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill, outline=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.set(x, y, outline if (edge and outline) else fill)

    def line(self, x0, y0, x1, y1, c, width=1.0):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 4) + 1
        r = (width - 1) / 2.0
        for i in range(n + 1):
            t = i / n
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(-int(math.ceil(r)), int(math.ceil(r)) + 1):
                for dx in range(-int(math.ceil(r)), int(math.ceil(r)) + 1):
                    if dx * dx + dy * dy <= r * r + 0.25:
                        self.set(x + dx, y + dy, c)

    def disc(self, cx, cy, r, fill, outline=None):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x - cx, y - cy)
                if d <= r + 0.3:
                    self.set(x, y, outline if (outline and d > r - 0.9) else fill)

    def ring(self, cx, cy, r, c, width=1.6, gap=None):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x - cx, y - cy)
                if abs(d - r) <= width / 2:
                    a = math.degrees(math.atan2(cy - y, x - cx)) % 360
                    if gap and gap[0] <= a <= gap[1]:
                        continue
                    self.set(x, y, c)

    def poly(self, pts, fill):
        for y in range(self.h):
            for x in range(self.w):
                px, py = x + 0.5, y + 0.5
                inside = False
                j = len(pts) - 1
                for i in range(len(pts)):
                    xi, yi = pts[i]
                    xj, yj = pts[j]
                    if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                        inside = not inside
                    j = i
                if inside:
                    self.set(x, y, fill)

    def save(self, name):
        colours = sorted({c for row in self.px for c in row if c})
        keys = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
        table = {c: keys[i] for i, c in enumerate(colours)}
        ident = name.replace("-", "_") + "_xpm"
        lines = ['/* XPM */', f'static const char* const {ident}[] = {{',
                 f'"{self.w} {self.h} {len(colours) + 1} 1",', '". c None",']
        lines += [f'"{table[c]} c {c}",' for c in colours]
        rows = ['"' + ''.join(table[c] if c else '.' for c in row) + '"' for row in self.px]
        lines += [r + ',' for r in rows[:-1]] + [rows[-1], '};', '']
        with open(os.path.join(HERE, name + ".xpm"), "w") as f:
            f.write("\n".join(lines))


BLACK, GREY, LGREY, WHITE = "#000000", "#808080", "#C8C8C8", "#FFFFFF"
GREEN, DGREEN, RED, DRED = "#1FA01F", "#0B6B0B", "#E01010", "#8B0000"
BLUE, DBLUE, YELLOW, ORANGE = "#2060D0", "#103070", "#F0C020", "#E07010"
BROWN = "#A07010"


def page(c, x0=3, y0=1, x1=12, y1=14):
    c.rect(x0, y0, x1, y1, WHITE, GREY)
    for x in range(x1 - 3, x1 + 1):
        for y in range(y0, y0 + 4 - (x1 - x)):
            c.set(x, y, None)
    c.line(x1 - 3, y0, x1 - 3, y0 + 3, GREY)
    c.line(x1 - 3, y0 + 3, x1, y0 + 3, GREY)


def arrow_up(c, cx, top, bottom, colour, head=3):
    c.poly([(cx - head, top + head + 0.5), (cx + 0.5, top - 0.5), (cx + head + 1, top + head + 0.5)], colour)
    c.rect(int(cx - 1), top + head, int(cx + 1), bottom, colour)


def tick(c, colour, shade=None):
    if shade:
        c.line(3, 9, 7, 13, shade, 3)
        c.line(7, 13, 14, 4, shade, 3)
    c.line(2, 8, 6, 12, colour, 2.6)
    c.line(6, 12, 13, 3, colour, 2.6)


def cross(c, colour, width=2.8):
    c.line(3, 3, 12, 12, colour, width)
    c.line(12, 3, 3, 12, colour, width)


def tool_new():
    c = Canvas(16)
    page(c)
    c.line(10, 9, 10, 15, YELLOW, 1)
    c.line(7, 12, 13, 12, YELLOW, 1)
    c.line(8, 10, 12, 14, ORANGE, 1)
    c.line(12, 10, 8, 14, ORANGE, 1)
    c.save("toolbar_new")


def tool_open():
    c = Canvas(16)
    c.poly([(1, 3), (6, 3), (7, 5), (13, 5), (13, 14), (1, 14)], BROWN)
    c.poly([(2, 4), (5.5, 4), (6.5, 6), (12, 6), (12, 13), (2, 13)], YELLOW)
    c.poly([(3, 8), (15.5, 8), (13, 14), (1, 14)], "#F8DC70")
    c.line(3, 8, 15, 8, BROWN)
    c.line(15, 8, 13, 14, BROWN)
    c.save("toolbar_open")


def tool_save():
    c = Canvas(16)
    c.rect(1, 1, 14, 14, BLUE, DBLUE)
    c.rect(4, 1, 11, 6, WHITE, DBLUE)
    c.rect(9, 2, 10, 5, DBLUE)
    c.rect(3, 9, 12, 14, LGREY, DBLUE)
    c.save("toolbar_save")


def plug(c, x, colour):
    c.rect(x, 5, x + 4, 10, colour)
    c.rect(x + 5, 6, x + 6, 6, GREY)
    c.rect(x + 5, 9, x + 6, 9, GREY)


def tool_connect():
    c = Canvas(16)
    c.line(0, 8, 3, 8, BLACK, 2)
    c.rect(3, 5, 7, 11, DGREEN)
    c.rect(8, 6, 8, 6, GREY)
    c.rect(8, 10, 8, 10, GREY)
    c.rect(9, 5, 12, 11, GREEN)
    c.line(12, 8, 15, 8, BLACK, 2)
    c.save("toolbar_connect")


def tool_disconnect():
    c = Canvas(16)
    c.line(0, 8, 1, 8, BLACK, 2)
    c.rect(1, 5, 4, 11, GREY)
    c.rect(5, 6, 5, 6, GREY)
    c.rect(5, 10, 5, 10, GREY)
    c.rect(11, 5, 14, 11, GREY)
    c.line(14, 8, 15, 8, BLACK, 2)
    c.line(10, 2, 6, 14, RED, 2.2)
    c.save("toolbar_disconnect")


def tool_find():
    c = Canvas(16)
    c.disc(6, 6, 4.2, "#D8ECFF")
    c.ring(6, 6, 4.5, DBLUE, 1.6)
    c.line(9.5, 9.5, 14, 14, BROWN, 3.0)
    c.set(5, 4, WHITE)
    c.set(4, 5, WHITE)
    c.save("toolbar_find")


def tool_transfer():
    c = Canvas(16)
    c.rect(1, 12, 14, 15, GREY, BLACK)
    c.set(3, 13, GREEN)
    c.set(3, 14, GREEN)
    arrow_up(c, 7.5, 1, 10, BLUE, 4)
    c.save("toolbar_transfer")


def tool_reset():
    c = Canvas(16)
    c.ring(7.5, 8.5, 5.2, ORANGE, 2.0, gap=(60, 115))
    c.poly([(8, 0.5), (13, 3.5), (8, 6.5)], ORANGE)
    c.save("toolbar_reset")


def tool_treedelete():
    c = Canvas(16)
    c.rect(1, 1, 5, 4, YELLOW, BROWN)
    c.line(3, 5, 3, 13, GREY)
    c.line(3, 8, 6, 8, GREY)
    c.line(3, 13, 6, 13, GREY)
    c.rect(6, 6, 9, 9, YELLOW, BROWN)
    c.rect(6, 11, 9, 14, YELLOW, BROWN)
    c.line(9, 2, 15, 8, RED, 2.2)
    c.line(15, 2, 9, 8, RED, 2.2)
    c.save("toolbar_treedelete")


def tool_stop():
    c = Canvas(16)
    c.poly([(5, 0.5), (11, 0.5), (15.5, 5), (15.5, 11), (11, 15.5), (5, 15.5), (0.5, 11), (0.5, 5)], RED)
    c.rect(3, 7, 12, 8, WHITE)
    c.save("toolbar_stop")


def tool_about():
    c = Canvas(16)
    c.disc(7.5, 7.5, 7, BLUE, DBLUE)
    c.rect(7, 3, 8, 4, WHITE)
    c.rect(7, 6, 8, 12, WHITE)
    c.rect(6, 6, 6, 6, WHITE)
    c.rect(6, 12, 9, 12, WHITE)
    c.save("toolbar_about")


def list_icons():
    # Four shapes, not only four colours: an empty ring waits, a tick is done, a red disc with a
    # white cross failed, a bin is a server entry to delete.
    c = Canvas(16)
    c.ring(7.5, 7.5, 5.2, BLACK, 1.7)
    c.save("list_pending")
    c = Canvas(16)
    tick(c, GREEN, DGREEN)
    tick(c, GREEN)
    c.save("list_done")
    c = Canvas(16)
    c.disc(7.5, 7.5, 7, RED, DRED)
    c.line(4.5, 4.5, 10.5, 10.5, WHITE, 2.2)
    c.line(10.5, 4.5, 4.5, 10.5, WHITE, 2.2)
    c.save("list_failed")
    c = Canvas(16)
    c.rect(5, 1, 10, 2, GREY, BLACK)         # the lid's handle
    c.rect(1, 3, 14, 4, GREY, BLACK)         # the lid
    c.poly([(2.5, 5), (13.5, 5), (12.5, 15.5), (3.5, 15.5)], LGREY)
    for x in (5, 8, 11):                     # the body's ribs
        c.line(x, 7, x, 13, BLACK)
    c.line(3, 5, 4, 15, BLACK)
    c.line(13, 5, 12, 15, BLACK)
    c.line(4, 15, 12, 15, BLACK)
    c.save("list_ftp_pending")


def app_icon():
    c = Canvas(32)
    c.disc(15.5, 15.5, 14.5, "#3A8FD8", DBLUE)
    for r in (6, 11):
        c.ring(15.5, 15.5, r, "#7FC0F0", 1.0)
    c.line(1.5, 15.5, 29.5, 15.5, "#7FC0F0")
    c.line(15.5, 1.5, 15.5, 29.5, "#7FC0F0")
    c.poly([(7, 15), (15.5, 5), (24.5, 15)], WHITE)
    c.rect(12, 14, 19, 24, WHITE)
    c.rect(9, 25, 22, 27, GREEN)
    c.save("skerrow")


if __name__ == "__main__":
    for f in (tool_new, tool_open, tool_save, tool_connect, tool_disconnect, tool_find, tool_transfer,
              tool_reset, tool_treedelete, tool_stop, tool_about, list_icons, app_icon):
        f()
