// A failing DirectDraw result becomes an exception carrying the code's texts,
// the place of the call and the expression; success codes pass.
#include <ddraw.h>
#include <gtest/gtest.h>

#include <string>

#include "magnifier/DDraw/DirectXException.h"

namespace {

TEST(DirectXException, CarriesTheCodeItsTextsThePlaceAndTheExpression) {
    EXPECT_NO_THROW(DirectX::ThrowIfFailed("ok", 1, 10));
    try {
        DirectX::ThrowIfFailed("primarySurface_->IsLost()", DDERR_WRONGMODE, 42);
        FAIL() << "nothing thrown";
    } catch (const DirectX::Exception& e) {
        EXPECT_EQ(DDERR_WRONGMODE, e.result_);
        EXPECT_EQ(L"DDERR_WRONGMODE", e.errorName_);
        EXPECT_FALSE(e.description_.empty());
        EXPECT_EQ(std::string(e.description_.begin(), e.description_.end()), e.what());
        EXPECT_EQ(L".\\DDraw\\Overlay.cpp", e.file_);
        EXPECT_EQ(42, e.line_);
        EXPECT_EQ("primarySurface_->IsLost()", e.expression_);
    }
    try {
        DirectX::ThrowIfFailed(nullptr, E_FAIL, 7);
    } catch (const DirectX::Exception& e) {
        EXPECT_EQ("", e.expression_);
    }
}

}  // namespace
