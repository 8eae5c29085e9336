"""A small anti-aliased rasteriser for skin images, in plain Python.

Shapes are signed-distance functions evaluated at pixel centres; coverage is
clamp(0.5 - distance, 0, 1), which gives crisp one-pixel lines on whole-pixel
edges and smooth round corners.  A Layer keeps straight (unassociated) colour
and alpha per pixel; skin images are made of one layer per state frame.
"""

import math

from skinfile import KEY, WHITE


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def cover(d):
    return clamp01(0.5 - d)


def mix(c1, c2, t):
    """c1 moved towards c2 by t (0..1)."""
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


# ------------------------------------------------------------------ shapes

def sd_rrect(x0, y0, x1, y1, r):
    """Rounded rectangle with corners of radius r (continuous coordinates)."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0, (y1 - y0) / 2.0
    r = max(0.0, min(r, hx, hy))

    def f(px, py):
        qx = abs(px - cx) - (hx - r)
        qy = abs(py - cy) - (hy - r)
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return math.hypot(ox, oy) + min(max(qx, qy), 0.0) - r
    return f


def sd_circle(cx, cy, r):
    return lambda px, py: math.hypot(px - cx, py - cy) - r


def sd_segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def f(px, py):
        t = 0.0 if ll == 0 else clamp01(((px - ax) * dx + (py - ay) * dy) / ll)
        return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) - half_width
    return f


def sd_polyline(points, width):
    segs = [sd_segment(a[0], a[1], b[0], b[1], width / 2.0) for a, b in zip(points, points[1:])]
    return lambda px, py: min(s(px, py) for s in segs)


def sd_polygon(points):
    """Convex or concave simple polygon, exact distance."""
    n = len(points)

    def f(px, py):
        d = float('inf')
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = px - ax, py - ay
            ll = ex * ex + ey * ey
            t = clamp01((wx * ex + wy * ey) / ll) if ll else 0.0
            d = min(d, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > py) != (by > py) and px < ax + (py - ay) * ex / ey:
                inside = not inside
        return -d if inside else d
    return f


def sd_ring(sd_outer, sd_inner):
    """The part of the outer shape not in the inner one."""
    return lambda px, py: max(sd_outer(px, py), -sd_inner(px, py))


# ------------------------------------------------------------------ layers

class Layer:
    """w x h pixels of straight colour and alpha; `keyed` marks transparent
    pixels that must carry the key colour (window-region cut-outs)."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        n = w * h
        self.c = [(0.0, 0.0, 0.0)] * n
        self.a = [0.0] * n
        self.keyed = [False] * n

    def blend(self, x, y, col, cov):
        if cov <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        i = y * self.w + x
        da = self.a[i]
        oa = cov + da * (1.0 - cov)
        dc = self.c[i]
        k = da * (1.0 - cov)
        self.c[i] = tuple((col[j] * cov + dc[j] * k) / oa for j in range(3))
        self.a[i] = oa

    def paint(self, sd, color, alpha=1.0, box=None):
        """Fills the shape; `color` is an (r, g, b) or a function (x, y) -> (r, g, b)."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        fn = color if callable(color) else None
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                cv = cover(sd(x + 0.5, y + 0.5)) * alpha
                if cv > 0.0:
                    self.blend(x, y, fn(x, y) if fn else color, cv)

    def fill_rect(self, x0, y0, x1, y1, color, alpha=1.0):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(x, y, color(x, y) if callable(color) else color, alpha)

    def mark_key_outside(self, sd, margins):
        """Key colour for pixels of the four corner pieces (margins WL, WT, WR,
        WB) that the shape does not touch at all: the cut-outs of a window
        region and the corners a parent shows through."""
        wl, wt, wr, wb = margins
        for y in range(self.h):
            for x in range(self.w):
                in_corner = (x < wl or x >= self.w - wr) and (y < wt or y >= self.h - wb)
                if in_corner and cover(sd(x + 0.5, y + 0.5)) == 0.0 and self.a[y * self.w + x] == 0.0:
                    self.keyed[y * self.w + x] = True

    # geometric copies, used to derive tab and scroll-bar variants
    def transformed(self, kind):
        w, h = self.w, self.h
        if kind in ('cw', 'ccw'):
            out = Layer(h, w)
        else:
            out = Layer(w, h)
        for y in range(h):
            for x in range(w):
                if kind == 'flipv':
                    nx, ny = x, h - 1 - y
                elif kind == 'fliph':
                    nx, ny = w - 1 - x, y
                elif kind == 'cw':
                    nx, ny = h - 1 - y, x
                else:  # ccw
                    nx, ny = y, w - 1 - x
                i, j = y * w + x, ny * out.w + nx
                out.c[j], out.a[j], out.keyed[j] = self.c[i], self.a[i], self.keyed[i]
        return out


class SkinImage:
    """State frames side by side, optionally with a mask half below: the layout
    every skin image has.  `clear` is what fully transparent pixels hold in the
    image half of a masked image: the key colour for glyphs, white for borders
    (white under a fully transparent mask blends back to exactly the
    background, and only keyed corner pixels may carry the key colour, since
    they become holes in window regions)."""

    def __init__(self, frames, masked=True, clear='key'):
        self.frames = frames
        self.masked = masked
        self.clear = clear
        self.fw, self.fh = frames[0].w, frames[0].h
        assert all(f.w == self.fw and f.h == self.fh for f in frames)

    @property
    def width(self):
        return self.fw * len(self.frames)

    @property
    def height(self):
        return self.fh * (2 if self.masked else 1)

    def rows(self):
        img = [[None] * self.width for _ in range(self.fh)]
        msk = [[None] * self.width for _ in range(self.fh)]
        clear = KEY if self.clear == 'key' else WHITE
        for n, f in enumerate(self.frames):
            for y in range(self.fh):
                for x in range(self.fw):
                    i = y * self.fw + x
                    a = f.a[i]
                    col = tuple(int(round(v)) for v in f.c[i])
                    if self.masked:
                        if f.keyed[i]:
                            pix, m = KEY, 255
                        elif a <= 1.0 / 512:
                            pix, m = clear, 255
                        else:
                            pix, m = col, int(round(255 * (1.0 - a)))
                            if pix == KEY:           # never an accidental key pixel
                                pix = (255, 1, 255)
                        msk[y][n * self.fw + x] = (m, m, m)
                    else:
                        if f.keyed[i] or a < 0.5:
                            pix = KEY
                        else:
                            pix = col if col != KEY else (255, 1, 255)
                    img[y][n * self.fw + x] = pix
        return img + (msk if self.masked else [])


def opaque(w, h, fn):
    """A layer filled completely by fn(x, y) -> (r, g, b)."""
    lay = Layer(w, h)
    for y in range(h):
        for x in range(w):
            lay.c[y * w + x] = fn(x, y)
            lay.a[y * w + x] = 1.0
    return lay
