// The three marks as computed figures, checked against worked examples, and as
// pixels painted by GDI+ into a white 32-bit DIB. Wine's GDI+ neither
// anti-aliases nor insets pens: pixels are read inside fills only.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/Dib.h"
#include "tracking/highlight/HilightCaret_Impl.h"
#include "tracking/highlight/HilightRectangle_Impl.h"
#include "tracking/highlight/HilightRing_Impl.h"
#include "tracking/highlight/HilightShapes.h"

namespace {

using Hilight::BoxFigures;
using Hilight::CaretFigures;
using Hilight::Figure;
using Hilight::HilightParams;
using Hilight::Triangle;

HilightParams Params(RECT target, int gap, int width, int border, int style) {
    HilightParams p{};
    p.primaryColor = RGB(255, 0, 0);
    p.opacity = 150;
    p.target = target;
    p.gapWidth = gap;
    p.width = width;
    p.borderWidth = border;
    p.style = style;
    return p;
}

// The figures as text, "fill x,y,w,h ... | outline x,y,w,h ...", so that a
// whole mark is one comparison with a readable difference.
std::string Text(const BoxFigures& f) {
    std::ostringstream out;
    out << "fill";
    for (int i = 0; i < f.fillCount; ++i)
        out << " " << f.fill[i].x << "," << f.fill[i].y << "," << f.fill[i].width << "," << f.fill[i].height;
    out << " | outline";
    for (int i = 0; i < f.outlineCount; ++i)
        out << " " << f.outline[i].x << "," << f.outline[i].y << "," << f.outline[i].width << ","
            << f.outline[i].height;
    return out.str();
}

std::string Text(const Triangle& t) {
    std::ostringstream out;
    for (const POINT& p : t.points) out << "(" << p.x << "," << p.y << ")";
    return out.str();
}

TEST(HilightFigures, RectangleFrameForStyle1AndBoxOtherwise) {
    // Frame: a band with two outlines, the outer one a pixel short.
    EXPECT_EQ("fill 95,195,210,60 85,185,230,80 | outline 95,195,210,60 82,182,235,85",
              Text(RectangleFigures(Params({100, 200, 300, 250}, 2, 10, 3, 1))));
    // Box: target and gap covered, the width unused.
    EXPECT_EQ("fill 95,195,210,60 | outline 95,195,210,60",
              Text(RectangleFigures(Params({100, 200, 300, 250}, 2, 10, 3, 2))));
    // A point: a square of side 2(g + b) centred on it; no border, no outline.
    EXPECT_EQ("fill 46,56,8,8 | outline", Text(RectangleFigures(Params({50, 60, 50, 60}, 4, 10, 0, 2))));
    // A negative border draws no outline but still shrinks the box.
    EXPECT_EQ("fill 99,199,202,52 | outline", Text(RectangleFigures(Params({100, 200, 300, 250}, 2, 10, -1, 2))));
}

TEST(HilightFigures, CaretTrianglesByStyleBitsWithTipsTruncatedTowardZero) {
    RECT caret{100, 200, 101, 216};
    CaretFigures f = CaretTriangles(Params(caret, 2, 20, 1, 3));
    ASSERT_EQ(2, f.count);
    ASSERT_TRUE(f.outlined);
    EXPECT_EQ("(81,177)(119,177)(100,196)", Text(f.fill[0]));
    EXPECT_EQ("(79,176)(120,176)(100,197)", Text(f.outline[0]));
    EXPECT_EQ("(100,219)(81,239)(119,239)", Text(f.fill[1]));
    EXPECT_EQ("(100,219)(80,239)(120,239)", Text(f.outline[1]));

    CaretFigures above = CaretTriangles(Params(caret, 2, 20, 1, 1));
    ASSERT_EQ(1, above.count);
    EXPECT_EQ(196, above.fill[0].points[2].y);
    CaretFigures below = CaretTriangles(Params(caret, 2, 20, 1, 2));
    ASSERT_EQ(1, below.count);
    EXPECT_EQ(219, below.fill[0].points[0].y);
    EXPECT_EQ(0, CaretTriangles(Params(caret, 2, 20, 1, 0)).count);
    EXPECT_EQ(0, CaretTriangles(Params(caret, 2, 20, 1, 4)).count);
    EXPECT_FALSE(CaretTriangles(Params(caret, 2, 20, 0, 3)).outlined);

    // Tips at -3.414 and -6.586 become -3 and -6, not -4 and -7.
    CaretFigures top = CaretTriangles(Params({0, 0, 1, -10}, 2, 20, 1, 3));
    EXPECT_EQ(-3, top.fill[0].points[2].y);
    EXPECT_EQ(-6, top.fill[1].points[0].y);
}

TEST(HilightFigures, RingOfTheWorkedExampleAndDiscsForEveryOtherStyle) {
    EXPECT_EQ("fill 447,347,106,106 456,356,88,88 | outline 445,345,110,110 456,356,88,88",
              Text(RingFigures(Params({500, 400, 500, 400}, 40, 10, 3, 1))));
    for (int style : {2, 17, 33}) {
        EXPECT_EQ("fill 447,347,106,106 | outline 445,345,110,110",
                  Text(RingFigures(Params({500, 400, 500, 400}, 40, 10, 3, style))));
    }
    // The pointer's defaults: radii 41 to 50, no outline.
    EXPECT_EQ("fill 450,350,100,100 459,359,82,82 | outline",
              Text(RingFigures(Params({500, 400, 500, 400}, 40, 10, 0, 1))));
}

// Red at opacity 150 over white.
const COLORREF kBlend = RGB(0xFF, 0x69, 0x69);
const COLORREF kWhite = RGB(255, 255, 255);

void Paint(Hilight::HilightObject& mark, RECT target, int gap, int width, int style, Dib& dib) {
    mark.SetPrimaryColor(RGB(255, 0, 0));
    mark.SetOpacity(150);
    mark.SetBorderWidth(0);
    mark.SetGapWidth(gap);
    mark.SetWidth(width);
    mark.SetStyle(style);
    mark.SetRect(&target);
    mark.PaintDC(dib.dc());
}

TEST(HilightPixels, EachMarkFillsItsBandInTheBlendedColourAndNothingElse) {
    Dib dib(400, 300);
    Hilight::HilightRing_Impl ring;
    Paint(ring, {100, 100, 100, 100}, 20, 20, 1, dib);  // band from radius 21 to 40
    EXPECT_EQ(kBlend, dib.At(100 + 30, 100));
    EXPECT_EQ(kBlend, dib.At(100, 100 - 30));
    EXPECT_EQ(kWhite, dib.At(100, 100)) << "the pointer itself stays clear";
    EXPECT_EQ(kWhite, dib.At(100 + 10, 100));
    EXPECT_EQ(kWhite, dib.At(100 + 50, 100));

    Hilight::HilightRectangle_Impl frame;
    Paint(frame, {250, 50, 350, 100}, 5, 10, 1, dib);  // band 5 to 15 outside
    EXPECT_EQ(kBlend, dib.At(240, 75));
    EXPECT_EQ(kBlend, dib.At(300, 105));
    EXPECT_EQ(kWhite, dib.At(300, 75)) << "the focused object stays clear";
    EXPECT_EQ(kWhite, dib.At(247, 75)) << "the gap stays clear";
    EXPECT_EQ(kWhite, dib.At(230, 75));

    Hilight::HilightCaret_Impl caret;
    Paint(caret, {200, 200, 202, 216}, 2, 20, 3, dib);  // triangles 20 high above and below
    EXPECT_EQ(kBlend, dib.At(201, 185));
    EXPECT_EQ(kBlend, dib.At(201, 230));
    EXPECT_EQ(kWhite, dib.At(201, 208)) << "the caret itself stays clear";
    EXPECT_EQ(kWhite, dib.At(201, 260));
    EXPECT_EQ(kWhite, dib.At(170, 185));
}

}  // namespace
