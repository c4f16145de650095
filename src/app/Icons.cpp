#include "Icons.h"

#include <array>
#include <functional>

namespace {

// The pictures are designed on this square and drawn through a mapping onto the size asked
// for, so that every line and curve is drawn at the final resolution.
constexpr int Size = 32;
// Drawn on this colour, which the image list then makes transparent.
constexpr COLORREF Transparent = RGB(255, 0, 255);

constexpr COLORREF Red = RGB(200, 30, 30);
constexpr COLORREF Green = RGB(30, 150, 50);
constexpr COLORREF Blue = RGB(30, 90, 190);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Dark = RGB(50, 50, 50);
constexpr COLORREF Yellow = RGB(240, 190, 40);

void Fill(HDC dc, COLORREF colour, const std::function<void()>& shape) {
    const UniqueGdiObject brush(::CreateSolidBrush(colour));
    const UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, colour));
    const TSelectedObject brushSelected(dc, brush.get());
    const TSelectedObject penSelected(dc, pen.get());
    shape();
}

void Stroke(HDC dc, COLORREF colour, int width, std::initializer_list<POINT> points) {
    const UniqueGdiObject pen(::CreatePen(PS_SOLID, width, colour));
    const TSelectedObject selected(dc, pen.get());
    ::Polyline(dc, points.begin(), static_cast<int>(points.size()));
}

void Glyph(HDC dc, const char* text, COLORREF colour) {
    const UniqueGdiObject font(::CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                             ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                             DEFAULT_PITCH | FF_SWISS, "Arial"));
    const TSelectedObject selected(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    RECT box{0, 0, Size, Size};
    ::DrawTextA(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Disc(HDC dc, COLORREF colour) {
    Fill(dc, colour, [dc] { ::Ellipse(dc, 2, 2, Size - 2, Size - 2); });
}

// A red cross.
void DrawDelete(HDC dc) {
    Stroke(dc, Red, 6, {{7, 7}, {25, 25}});
    Stroke(dc, Red, 6, {{25, 7}, {7, 25}});
}

// A green disc with a white tick: apply the setting.
void DrawApply(HDC dc) {
    Disc(dc, Green);
    Stroke(dc, White, 4, {{9, 16}, {14, 21}, {23, 10}});
}

// A green plus.
void DrawAdd(HDC dc) {
    Fill(dc, Green, [dc] {
        ::Rectangle(dc, 13, 5, 19, 27);
        ::Rectangle(dc, 5, 13, 27, 19);
    });
}

// Two blue arrows chasing each other: ask the network for an address again.
void DrawDhcp(HDC dc) {
    {
        const UniqueGdiObject pen(::CreatePen(PS_SOLID, 4, Blue));
        const TSelectedObject selected(dc, pen.get());
        ::Arc(dc, 5, 5, 27, 27, 27, 12, 5, 16);
        ::Arc(dc, 5, 5, 27, 27, 5, 20, 27, 16);
    }
    Fill(dc, Blue, [dc] {
        const POINT top[] = {{22, 2}, {30, 12}, {19, 13}};
        const POINT bottom[] = {{10, 30}, {2, 20}, {13, 19}};
        ::Polygon(dc, top, 3);
        ::Polygon(dc, bottom, 3);
    });
}

// A pencil.
void DrawEdit(HDC dc) {
    Fill(dc, Yellow, [dc] {
        const POINT body[] = {{21, 3}, {29, 11}, {12, 28}, {4, 20}};
        ::Polygon(dc, body, 4);
    });
    Fill(dc, Dark, [dc] {
        const POINT tip[] = {{4, 20}, {12, 28}, {3, 29}};
        ::Polygon(dc, tip, 3);
    });
    Stroke(dc, Dark, 1, {{21, 3}, {29, 11}, {12, 28}, {4, 20}, {21, 3}});
}

void DrawHelp(HDC dc) {
    Disc(dc, Blue);
    Glyph(dc, "?", White);
}

void DrawAbout(HDC dc) {
    Disc(dc, Blue);
    Glyph(dc, "i", White);
}

void DrawNothing(HDC) {}

// Maps the designed square onto size x size pixels; pens and fonts scale with it.
void MapDesignOnto(HDC dc, int size) {
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, Size, Size, nullptr);
    ::SetViewportExtEx(dc, size, size, nullptr);
}

} // namespace

UniqueImageList CreateCommandImages(int size) {
    using TDraw = void (*)(HDC);
    const std::array<TDraw, iconCount> pictures = {DrawDelete, DrawApply,   DrawNothing,
                                                   DrawAdd,    DrawDhcp,    DrawEdit,
                                                   DrawHelp,   DrawNothing, DrawAbout};
    UniqueImageList images(
        ::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, iconCount, 0));
    const TWindowDC screen(nullptr);
    const UniqueMemoryDC canvas(::CreateCompatibleDC(screen.get()));
    HDC dc = canvas.get();
    for (TDraw draw : pictures) {
        const UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), size, size));
        {
            const TSelectedObject selected(dc, bitmap.get());
            MapDesignOnto(dc, size);
            Fill(dc, Transparent, [dc] { ::Rectangle(dc, 0, 0, Size, Size); });
            draw(dc);
            ::SetMapMode(dc, MM_TEXT);
        }
        ::ImageList_AddMasked(images.get(), static_cast<HBITMAP>(bitmap.get()), Transparent);
    }
    return images;
}
