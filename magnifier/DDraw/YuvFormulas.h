#pragma once
// The integer BT.601 studio-range formulas of the converters and the lookup
// table. Components are 0 to 255; >> rounds towards minus infinity.
namespace Yuv {

inline int Luma(int r, int g, int b) {
    return ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
}
// U and V without their offset of 128.
inline int ChromaU(int r, int g, int b) {
    return (-38 * r - 74 * g + 112 * b + 128) >> 8;
}
inline int ChromaV(int r, int g, int b) {
    return (112 * r - 94 * g - 18 * b + 128) >> 8;
}

}  // namespace Yuv
