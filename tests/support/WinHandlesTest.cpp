#include "support/WinHandles.h"

#include <gtest/gtest.h>

namespace {

// A memory context starts with the stock 1 x 1 bitmap and the system font; each of these
// objects is selected in and must be taken out again when its guard ends.
TEST(SelectedObject, PutsBackWhatWasSelectedEvenWhenNested) {
    const TWindowDC screen(nullptr);
    const UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
    ASSERT_TRUE(dc);
    const HGDIOBJ bitmapBefore = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    const HGDIOBJ fontBefore = ::GetCurrentObject(dc.get(), OBJ_FONT);

    const UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
    const UniqueGdiObject font(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                             ANSI_CHARSET, 0, 0, 0, 0, "Arial"));
    ASSERT_TRUE(bitmap);
    ASSERT_TRUE(font);
    {
        const TSelectedObject bitmapIn(dc.get(), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        {
            const TSelectedObject fontIn(dc.get(), font.get());
            EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), font.get());
        }
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), fontBefore);
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmapBefore);
}

// Owners hand their handle over on a move and close it once; a released handle is the
// caller's.
TEST(UniqueGdiObject, MovesAndReleasesWithoutClosingTwice) {
    UniqueGdiObject first(::CreateSolidBrush(RGB(1, 2, 3)));
    const HGDIOBJ brush = first.get();
    ASSERT_NE(::GetObjectType(brush), 0u);
    UniqueGdiObject second(std::move(first));
    EXPECT_FALSE(first); // NOLINT(bugprone-use-after-move): a moved-from owner is empty
    EXPECT_EQ(second.get(), brush);
    second.reset();
    EXPECT_EQ(::GetObjectType(brush), 0u) << "the brush was not deleted";

    UniqueGdiObject kept(::CreateSolidBrush(RGB(4, 5, 6)));
    const HGDIOBJ released = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_NE(::GetObjectType(released), 0u) << "a released brush was deleted";
    ::DeleteObject(released);
}

} // namespace
