#include "tracking/ViewGeometry.h"

#include <algorithm>

namespace {

// Foreign rectangles (accessibility locations, minimised windows at -32000)
// can be huge: do edge arithmetic in 64 bits and bring results back in range.
int Clip(long long v) {
    if (v > 0x7FFFFFFFLL) return 0x7FFFFFFF;
    if (v < -0x7FFFFFFFLL - 1) return -0x7FFFFFFF - 1;
    return static_cast<int>(v);
}

long long Right(const ViewRect& r) { return static_cast<long long>(r.x) + r.width - 1; }
long long Bottom(const ViewRect& r) { return static_cast<long long>(r.y) + r.height - 1; }

}  // namespace

VirtualScreen VirtualScreen::Read() {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool CenteredViewRect(const ViewRect& window, const ViewRect& source, double zoom, bool noScale, ScreenSize screen,
                      ViewRect& out) {
    int w = window.width;
    int h = window.height;
    if (!noScale && zoom > 0) {
        w = static_cast<int>(w / zoom);
        h = static_cast<int>(h / zoom);
    }
    out.x = Clip(source.x + static_cast<long long>(source.width * 0.5 - w * 0.5));
    out.y = Clip(source.y + static_cast<long long>(source.height * 0.5 - h * 0.5));
    out.width = (w % 2) ? w + 1 : w;
    out.height = h;
    if (screen.cx == 0 || screen.cy == 0) return false;
    return ClampRectToScreen(out, screen);
}

ViewRect MouseTarget(POINT p, const ViewRect& v, bool halfBox) {
    if (halfBox) return {Clip(static_cast<long long>(p.x) - (v.width >> 2)),
                         Clip(static_cast<long long>(p.y) - (v.height >> 2)), v.width >> 1, v.height >> 1};
    return {Clip(static_cast<long long>(p.x) - (v.width >> 1)), Clip(static_cast<long long>(p.y) - (v.height >> 1)),
            v.width, v.height};
}

ViewRect CaretTarget(const ViewRect& c, const ViewRect& v) {
    return {Clip(static_cast<long long>(c.x) + (c.width >> 1) - (v.width >> 3)),
            Clip(static_cast<long long>(c.y) + (c.height >> 1) - (v.height >> 3)), v.width >> 2, v.height >> 2};
}

ViewRect PositionTarget(int dx, int dy, const ViewRect& v, ScreenSize screen) {
    long long x = static_cast<long long>(v.x) + dx;
    long long y = static_cast<long long>(v.y) + dy;
    x = std::min<long long>(std::max<long long>(x, 0), screen.cx);
    y = std::min<long long>(std::max<long long>(y, 0), screen.cy);
    return {static_cast<int>(x), static_cast<int>(y), v.width, v.height};
}

ViewRect FocusTarget(const ViewRect& f, const VirtualScreen& s) {
    ViewRect r{Clip(static_cast<long long>(f.x) - s.ox), Clip(static_cast<long long>(f.y) - s.oy), f.width, f.height};
    if (r.x < 0) r.x = 0;
    if (Right(r) > s.cx) r.width = Clip(static_cast<long long>(s.cx) - r.x + 1);
    if (r.y < 0) r.y = 0;
    if (Bottom(r) > s.cy) r.height = Clip(static_cast<long long>(s.cy) - r.y + 1);
    return r;
}

ViewRect CaretRectFromThreadInfo(const RECT& rc, POINT origin, const VirtualScreen& s) {
    return {Clip(static_cast<long long>(rc.left) + origin.x - s.ox),
            Clip(static_cast<long long>(rc.top) + origin.y - s.oy),
            Clip(static_cast<long long>(rc.right) - rc.left), Clip(static_cast<long long>(rc.bottom) - rc.top)};
}

ViewRect FocusRectFromRECT(const RECT& r) {
    return {r.left, r.top, Clip(static_cast<long long>(r.right) - r.left + 1),
            Clip(static_cast<long long>(r.bottom) - r.top + 1)};
}

bool StepView(const ViewRect& t, const ViewRect& centred, const ViewRect& s, int step, ScreenSize screen,
              ViewRect& out) {
    ViewRect v = centred;
    if (t.width > s.width || t.height > s.height) {
        // Too large to fit: stay where the centred view overlaps it, else go to its origin.
        ViewRect overlap = v;
        IntersectRectInPlace(overlap, t);
        if (overlap.width == 0 || overlap.height == 0) {
            v.x = t.x;
            v.y = t.y;
        }
    } else {
        if (t.x < s.x) {
            v.x = t.x;
        } else if (Right(t) > Right(s)) {
            v.x = Clip(static_cast<long long>(t.x) + t.width - s.width);
        }
        if (t.y < s.y) {
            v.y = t.y;
        } else if (Bottom(t) > Bottom(s)) {
            v.y = Clip(static_cast<long long>(t.y) + t.height - s.height);
        }
    }
    if (step != 0) {
        v.x = Clip(std::max<long long>(std::min<long long>(v.x, static_cast<long long>(s.x) + step),
                                       static_cast<long long>(s.x) - step));
        v.y = Clip(std::max<long long>(std::min<long long>(v.y, static_cast<long long>(s.y) + step),
                                       static_cast<long long>(s.y) - step));
    }
    if (screen.cx == 0 || screen.cy == 0) return false;
    v.width = std::min(v.width, screen.cx);
    v.height = std::min(v.height, screen.cy);
    ClampRectToScreen(v, screen);
    out = v;
    return true;
}

const double kZoomSteps[kZoomStepCount] = {1.0,  1.5,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                           17,   18,   19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

double NextZoom(double zoom, int relative, double value) {
    if (relative == 0) {
        zoom = value;
    } else if (value > 0) {
        for (double step : kZoomSteps) {
            if (step > zoom) {
                zoom = step;
                break;
            }
        }
    } else {
        for (int i = kZoomStepCount - 1; i >= 0; --i) {
            if (kZoomSteps[i] < zoom) {
                zoom = kZoomSteps[i];
                break;
            }
        }
    }
    // NaN fails both comparisons below: treat it as the smallest zoom.
    if (!(zoom >= kZoomMin)) zoom = kZoomMin;
    if (zoom > kZoomMax) zoom = kZoomMax;
    return zoom;
}

double ZoomFromLevel(unsigned level) {
    double zoom = level / 10.0;
    return zoom < kZoomMin || zoom > kZoomMax ? kZoomDefault : zoom;
}

unsigned LevelFromZoom(double zoom) {
    // A hair of tolerance: 2.55 * 10 is 25.499..., 1.5 * 10 must give 15
    // whatever the rounding of the product.
    return static_cast<unsigned>(zoom * 10.0 + 1e-9);
}
