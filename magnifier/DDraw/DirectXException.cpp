#include "magnifier/DDraw/DirectXException.h"

#include <dxerr9.h>

namespace DirectX {

namespace {
// Every checked call of the DirectDraw path is made in the overlay manager.
const wchar_t kSourceFile[] = L".\\DDraw\\Overlay.cpp";

template <class Char>
std::basic_string<Char> Text(const Char* text) {
    return text ? std::basic_string<Char>(text) : std::basic_string<Char>();
}
}  // namespace

Exception::Exception(HRESULT result, int line, const char* expression)
    : result_(result),
      errorName_(Text(DXGetErrorString9W(result))),
      description_(Text(DXGetErrorDescription9W(result))),
      file_(kSourceFile),
      line_(line),
      expression_(Text(expression)),
      what_(Text(DXGetErrorDescription9A(result))) {}

void ThrowIfFailed(const char* expression, HRESULT result, int line) {
    if (SUCCEEDED(result)) return;
    throw Exception(result, line, expression);
}

}  // namespace DirectX
