// Writes the program's icon, Netvane.ico: a green disc with a white tick, from 16 x 16 to
// 64 x 64, 32-bit with alpha, drawn here with anti-aliased edges so that the picture has
// its source in the repository. Built and run on the build machine by CMake.
//   IconGen <output.ico>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct TPixel {
    std::uint8_t B, G, R, A;
};

// Distance from p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Coverage of a shape whose signed distance is d (negative inside), over one pixel.
double Coverage(double d) {
    return std::clamp(0.5 - d, 0.0, 1.0);
}

std::vector<TPixel> Draw(int size) {
    std::vector<TPixel> pixels(static_cast<size_t>(size * size));
    const double scale = size / 32.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double px = (x + 0.5) / scale, py = (y + 0.5) / scale;
            const double disc = Coverage((std::hypot(px - 16, py - 16) - 14.5) * scale);
            const double tick =
                Coverage((std::min(SegmentDistance(px, py, 8.5, 16.5, 13.5, 21.5),
                                   SegmentDistance(px, py, 13.5, 21.5, 23.5, 10.5)) -
                          2.2) *
                         scale) *
                disc;
            // Green (30, 150, 50) under white.
            const double r = 30 + (255 - 30) * tick, g = 150 + (255 - 150) * tick,
                         b = 50 + (255 - 50) * tick;
            // Rows go bottom-up in an icon's bitmap.
            TPixel& p = pixels[static_cast<size_t>((size - 1 - y) * size + x)];
            p = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(std::lround(255 * disc))};
        }
    }
    return pixels;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), the pixels, an AND mask.
std::vector<std::uint8_t> Image(int size) {
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(size));
    Put32(out, static_cast<unsigned>(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (const TPixel& p : Draw(size)) {
        out.push_back(p.B);
        out.push_back(p.G);
        out.push_back(p.R);
        out.push_back(p.A);
    }
    const int maskRow = ((size + 31) / 32) * 4; // the alpha decides; the mask stays clear
    out.insert(out.end(), static_cast<size_t>(maskRow * size), 0);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: IconGen <output.ico>\n");
        return 2;
    }
    // The first is the default; the others are what the window asks for at 100 % to 200 %
    // display scale (small and large), each drawn at its own size.
    const int sizes[] = {32, 16, 20, 24, 28, 40, 48, 56, 64};
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes)
        images.push_back(Image(size));
    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1); // icon
    Put16(file, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(static_cast<std::uint8_t>(sizes[i]));
        file.push_back(0); // no palette
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<unsigned>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images)
        file.insert(file.end(), image.begin(), image.end());
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::fprintf(stderr, "IconGen: cannot write %s\n", argv[1]);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
