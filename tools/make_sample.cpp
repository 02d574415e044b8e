// Draws the sample picture: fifty small colour pictograms, about 32 x 32 pixels each, in five
// rows of ten on white, 395 x 308 pixels. Some are made of several unconnected parts, some
// have holes, some a dot inside a hole. Each pixel depends only on its centre and fixed
// shapes, with no randomness, so the file comes out the same byte for byte on every run.
//
//   make_sample OUT.bmp
#include "formats/picture_file.h"
#include "image/pixel_image.h"

#include <cmath>
#include <functional>
#include <iostream>
#include <numbers>
#include <vector>

using iconfinder::makePixel;
using iconfinder::Pixel;
using iconfinder::PixelImage;

namespace {

// A shape answers whether the centre (x, y) of a pixel lies inside it, in a cell's own
// coordinates: 0 .. 32 from the cell's top-left corner.
using Shape = std::function<bool(double, double)>;
struct Point {
    double x, y;
};

Shape disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
Shape ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry) <= 1; };
}
Shape ring(double cx, double cy, double inner, double outer)
{
    return [=](double x, double y) {
        const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d <= outer * outer && d > inner * inner;
    };
}
Shape box(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}
Shape polygon(std::vector<Point> corners)
{
    return [corners = std::move(corners)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const Point a = corners[i], b = corners[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    };
}
// A stroke of half-width w from (x0, y0) to (x1, y1) with round ends.
Shape line(double x0, double y0, double x1, double y1, double w)
{
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        double t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy);
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
        return ex * ex + ey * ey <= w * w;
    };
}
Shape both(Shape a, Shape b)
{
    return [=](double x, double y) { return a(x, y) && b(x, y); };
}
Shape without(Shape a, Shape b)
{
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}
Shape star(double cx, double cy, double outer, double inner, int points, double turn = 0)
{
    std::vector<Point> corners;
    for (int i = 0; i < 2 * points; ++i) {
        const double a = turn + i * std::numbers::pi / points - std::numbers::pi / 2;
        const double r = i % 2 == 0 ? outer : inner;
        corners.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return polygon(std::move(corners));
}

constexpr Pixel kWhite = makePixel(255, 255, 255);
constexpr Pixel kBlack = makePixel(30, 30, 30);
constexpr Pixel kRed = makePixel(220, 40, 40);
constexpr Pixel kDarkRed = makePixel(150, 20, 30);
constexpr Pixel kOrange = makePixel(245, 140, 20);
constexpr Pixel kYellow = makePixel(250, 210, 30);
constexpr Pixel kGold = makePixel(215, 170, 20);
constexpr Pixel kGreen = makePixel(40, 160, 60);
constexpr Pixel kDarkGreen = makePixel(20, 100, 40);
constexpr Pixel kTeal = makePixel(20, 150, 150);
constexpr Pixel kBlue = makePixel(40, 90, 210);
constexpr Pixel kSky = makePixel(110, 180, 240);
constexpr Pixel kNavy = makePixel(20, 40, 120);
constexpr Pixel kPurple = makePixel(130, 60, 180);
constexpr Pixel kPink = makePixel(240, 110, 170);
constexpr Pixel kBrown = makePixel(140, 85, 40);
constexpr Pixel kGray = makePixel(120, 120, 130);
constexpr Pixel kSilver = makePixel(190, 190, 200);
constexpr Pixel kCream = makePixel(250, 235, 190);

class Cell {
public:
    Cell(PixelImage& image, int left, int top) : image_(image), left_(left), top_(top) {}
    void paint(Pixel colour, const Shape& shape)
    {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (shape(x + 0.5, y + 0.5))
                    image_.at(left_ + x, top_ + y) = colour;
    }

private:
    PixelImage& image_;
    int left_, top_;
};

using Icon = void (*)(Cell&);

const Icon kIcons[50] = {
    [](Cell& c) { // house, with a window
        c.paint(kRed, polygon({{1, 15}, {16, 2}, {31, 15}}));
        c.paint(kCream, box(5, 15, 27, 30));
        c.paint(kBrown, box(13, 20, 19, 30));
        c.paint(kWhite, box(7, 18, 11, 22));
    },
    [](Cell& c) { c.paint(kGold, star(16, 17, 15, 6.5, 5)); }, // star
    [](Cell& c) { // heart
        c.paint(kRed, disc(10, 11, 7.5));
        c.paint(kRed, disc(22, 11, 7.5));
        c.paint(kRed, polygon({{3.2, 14}, {28.8, 14}, {16, 29}}));
    },
    [](Cell& c) { c.paint(kGreen, polygon({{2, 12}, {17, 12}, {17, 4}, {30, 16}, {17, 28}, {17, 20}, {2, 20}})); }, // arrow
    [](Cell& c) { // envelope
        c.paint(kNavy, box(2, 7, 30, 26));
        c.paint(kCream, box(4, 9, 28, 24));
        c.paint(kNavy, line(4, 9, 16, 19, 1));
        c.paint(kNavy, line(28, 9, 16, 19, 1));
    },
    [](Cell& c) { // smiley: a ring with eyes and mouth inside, not touching it
        c.paint(kOrange, ring(16, 16, 12.5, 15));
        c.paint(kBlack, disc(11, 12, 2.2));
        c.paint(kBlack, disc(21, 12, 2.2));
        c.paint(kBlack, both(ring(16, 15, 6.5, 8.5), box(0, 17, 32, 32)));
    },
    [](Cell& c) { // key
        c.paint(kGold, ring(9, 16, 3.5, 7.5));
        c.paint(kGold, box(15, 14, 30, 18));
        c.paint(kGold, box(22, 18, 24, 23));
        c.paint(kGold, box(27, 18, 29, 22));
    },
    [](Cell& c) { // two beamed notes
        c.paint(kPurple, ellipse(8, 25, 5, 3.8));
        c.paint(kPurple, ellipse(24, 22, 5, 3.8));
        c.paint(kPurple, box(11, 5, 13, 25));
        c.paint(kPurple, box(27, 2, 29, 22));
        c.paint(kPurple, polygon({{11, 5}, {29, 2}, {29, 7}, {11, 10}}));
    },
    [](Cell& c) { // sun: a disc and eight rays, each its own part
        c.paint(kOrange, disc(16, 16, 5.5));
        for (int i = 0; i < 8; ++i) {
            const double a = i * std::numbers::pi / 4;
            c.paint(kOrange, line(16 + 11 * std::cos(a), 16 + 11 * std::sin(a), 16 + 15 * std::cos(a),
                                  16 + 15 * std::sin(a), 1.2));
        }
    },
    [](Cell& c) { c.paint(kNavy, without(disc(16, 16, 14), disc(22, 12, 11.5))); }, // crescent moon
    [](Cell& c) { // cloud
        c.paint(kSky, disc(10, 19, 7));
        c.paint(kSky, disc(18, 13, 8.5));
        c.paint(kSky, disc(25, 19, 6));
        c.paint(kSky, box(10, 19, 25, 25.5));
    },
    [](Cell& c) { c.paint(kYellow, polygon({{18, 1}, {6, 18}, {15, 18}, {11, 31}, {26, 12}, {17, 12}, {22, 1}})); }, // bolt
    [](Cell& c) { // umbrella
        c.paint(kPink, without(disc(16, 16, 14.5), box(0, 16, 32, 32)));
        c.paint(kBlack, box(15, 16, 17, 27));
        c.paint(kBlack, both(ring(12, 27, 2, 4), box(0, 27, 32, 32)));
    },
    [](Cell& c) { // fir tree
        c.paint(kDarkGreen, polygon({{16, 1}, {4, 16}, {10, 16}, {2, 26}, {30, 26}, {22, 16}, {28, 16}}));
        c.paint(kBrown, box(13, 26, 19, 31));
    },
    [](Cell& c) { // flower
        for (int i = 0; i < 6; ++i) {
            const double a = i * std::numbers::pi / 3;
            c.paint(kPink, disc(16 + 9 * std::cos(a), 14 + 9 * std::sin(a), 5.5));
        }
        c.paint(kYellow, disc(16, 14, 4.5));
        c.paint(kGreen, box(15, 23, 17, 31));
    },
    [](Cell& c) { // fish with an eye hole
        c.paint(kTeal, ellipse(13, 16, 11, 8));
        c.paint(kTeal, polygon({{21, 16}, {31, 7}, {31, 25}}));
        c.paint(kWhite, disc(8, 14, 2));
    },
    [](Cell& c) { // cup on a saucer
        c.paint(kBrown, box(5, 8, 21, 24));
        c.paint(kBrown, ring(22, 15, 2.5, 5.5));
        c.paint(kGray, box(1, 26, 29, 29));
        c.paint(kBrown, box(11, 24, 15, 26));
    },
    [](Cell& c) { // bell with a clapper below it
        c.paint(kGold, polygon({{16, 2}, {22, 6}, {24, 20}, {29, 25}, {3, 25}, {8, 20}, {10, 6}}));
        c.paint(kGold, disc(16, 29, 2.5));
    },
    [](Cell& c) { // padlock with a keyhole
        c.paint(kSilver, without(ring(16, 12, 5, 9), box(0, 13, 32, 32)));
        c.paint(kSilver, box(7, 12, 9, 15));
        c.paint(kSilver, box(23, 12, 25, 15));
        c.paint(kGold, box(4, 15, 28, 31));
        c.paint(kWhite, disc(16, 21, 2.5));
        c.paint(kWhite, box(15, 21, 17, 27));
    },
    [](Cell& c) { // magnifier
        c.paint(kNavy, ring(12, 12, 7, 10.5));
        c.paint(kNavy, line(20, 20, 29, 29, 2.5));
    },
    [](Cell& c) { // clock: hands and centre float inside the dial
        c.paint(kBlue, ring(16, 16, 12.5, 15.5));
        c.paint(kBlack, box(15, 6, 17, 16));
        c.paint(kBlack, box(15, 15, 23, 17));
    },
    [](Cell& c) { // target: rings and a dot
        c.paint(kRed, ring(16, 16, 12, 15.5));
        c.paint(kRed, ring(16, 16, 6.5, 9.5));
        c.paint(kRed, disc(16, 16, 3.5));
    },
    [](Cell& c) { c.paint(kRed, both(box(2, 2, 30, 30), [](double x, double y) { return (x > 11 && x < 21) || (y > 11 && y < 21); })); },
    [](Cell& c) { // check mark
        c.paint(kGreen, line(4, 17, 12, 26, 3));
        c.paint(kGreen, line(12, 26, 28, 6, 3));
    },
    [](Cell& c) { // cross mark
        c.paint(kDarkRed, line(5, 5, 27, 27, 3));
        c.paint(kDarkRed, line(27, 5, 5, 27, 3));
    },
    [](Cell& c) { c.paint(kBlue, polygon({{5, 2}, {29, 16}, {5, 30}})); }, // play
    [](Cell& c) { // pause: two bars
        c.paint(kBlue, box(5, 3, 12, 29));
        c.paint(kBlue, box(19, 3, 26, 29));
    },
    [](Cell& c) { // battery with charge bars inside
        c.paint(kBlack, box(1, 8, 28, 24));
        c.paint(kWhite, box(3, 10, 26, 22));
        c.paint(kBlack, box(28, 12, 31, 20));
        for (int i = 0; i < 3; ++i)
            c.paint(kGreen, box(5 + 7 * i, 12, 9 + 7 * i, 20));
    },
    [](Cell& c) { // light bulb
        c.paint(kYellow, disc(16, 12, 10));
        c.paint(kYellow, polygon({{10, 18}, {22, 18}, {20, 24}, {12, 24}}));
        c.paint(kGray, box(12, 24, 20, 29));
        c.paint(kWhite, box(11, 26, 21, 26));
    },
    [](Cell& c) { // flag
        c.paint(kBrown, box(4, 1, 6, 31));
        c.paint(kRed, polygon({{6, 3}, {29, 3}, {23, 10}, {29, 17}, {6, 17}}));
    },
    [](Cell& c) { // trophy
        c.paint(kGold, polygon({{6, 2}, {26, 2}, {24, 14}, {18, 19}, {14, 19}, {8, 14}}));
        c.paint(kGold, ring(6, 8, 2.5, 4.5));
        c.paint(kGold, ring(26, 8, 2.5, 4.5));
        c.paint(kGold, box(14, 19, 18, 25));
        c.paint(kGold, box(8, 25, 24, 30));
    },
    [](Cell& c) { // gear
        c.paint(kGray, without(star(16, 16, 15.5, 11, 8), disc(16, 16, 4.5)));
        c.paint(kGray, without(ring(16, 16, 0, 11.5), disc(16, 16, 4.5)));
    },
    [](Cell& c) { c.paint(kYellow, polygon({{1, 6}, {12, 6}, {15, 9}, {31, 9}, {31, 27}, {1, 27}})); }, // folder
    [](Cell& c) { // page with text lines
        c.paint(kGray, polygon({{5, 1}, {21, 1}, {28, 8}, {28, 31}, {5, 31}}));
        c.paint(kWhite, polygon({{7, 3}, {20, 3}, {20, 9}, {26, 9}, {26, 29}, {7, 29}}));
        for (int i = 0; i < 5; ++i)
            c.paint(kBlue, box(10, 12 + 3.5 * i, 23, 13 + 3.5 * i));
    },
    [](Cell& c) { // waste bin
        c.paint(kGray, box(3, 5, 29, 8));
        c.paint(kGray, box(12, 2, 20, 5));
        c.paint(kGray, polygon({{5, 10}, {27, 10}, {25, 31}, {7, 31}}));
        for (int i = 0; i < 3; ++i)
            c.paint(kWhite, box(10 + 5 * i, 13, 11 + 5 * i, 27));
    },
    [](Cell& c) { // pencil
        c.paint(kOrange, polygon({{22, 2}, {30, 10}, {11, 29}, {3, 21}}));
        c.paint(kCream, polygon({{3, 21}, {11, 29}, {1, 31}}));
        c.paint(kPink, polygon({{22, 2}, {30, 10}, {27, 13}, {19, 5}}));
    },
    [](Cell& c) { // car
        c.paint(kRed, polygon({{1, 16}, {7, 15}, {11, 8}, {22, 8}, {26, 15}, {31, 17}, {31, 24}, {1, 24}}));
        c.paint(kSky, polygon({{12, 10}, {16, 10}, {16, 15}, {9, 15}}));
        c.paint(kSky, polygon({{18, 10}, {21, 10}, {24, 15}, {18, 15}}));
        c.paint(kBlack, disc(8, 24, 4.5));
        c.paint(kBlack, disc(24, 24, 4.5));
    },
    [](Cell& c) { // person: head and body apart
        c.paint(kNavy, disc(16, 7, 6));
        c.paint(kNavy, both(ellipse(16, 31, 13, 15), box(0, 15, 32, 32)));
    },
    [](Cell& c) { // speech bubble
        c.paint(kTeal, ellipse(16, 13, 15, 10.5));
        c.paint(kTeal, polygon({{8, 20}, {15, 22}, {5, 31}}));
    },
    [](Cell& c) { // mobile phone: screen hole, button dot inside the frame
        c.paint(kBlack, box(7, 1, 25, 31));
        c.paint(kWhite, box(9, 3, 23, 29));
        c.paint(kSky, box(11, 5, 21, 22));
        c.paint(kBlack, disc(16, 26, 1.8));
    },
    [](Cell& c) { // camera
        c.paint(kGray, box(1, 9, 31, 28));
        c.paint(kGray, box(10, 5, 20, 9));
        c.paint(kWhite, disc(16, 18, 7));
        c.paint(kBlack, disc(16, 18, 4));
        c.paint(kYellow, box(25, 11, 28, 13));
    },
    [](Cell& c) { // eye: an outline with the pupil floating inside
        c.paint(kBlue, without(both(disc(16, 30, 22), disc(16, 2, 22)), both(disc(16, 31, 19.5), disc(16, 1, 19.5))));
        c.paint(kNavy, disc(16, 16, 4.5));
    },
    [](Cell& c) { // gem
        c.paint(kSky, polygon({{8, 4}, {24, 4}, {31, 12}, {16, 30}, {1, 12}}));
        c.paint(kBlue, line(1, 12, 31, 12, 0.6));
        c.paint(kBlue, line(11, 12, 16, 30, 0.6));
        c.paint(kBlue, line(21, 12, 16, 30, 0.6));
    },
    [](Cell& c) { // drop
        c.paint(kBlue, disc(16, 21, 9.5));
        c.paint(kBlue, polygon({{16, 1}, {24.5, 17}, {7.5, 17}}));
        c.paint(kWhite, ellipse(12, 21, 2, 3.5));
    },
    [](Cell& c) { // snowflake
        for (int i = 0; i < 3; ++i) {
            const double a = i * std::numbers::pi / 3 + std::numbers::pi / 2;
            c.paint(kSky, line(16 - 14 * std::cos(a), 16 - 14 * std::sin(a), 16 + 14 * std::cos(a), 16 + 14 * std::sin(a), 1.5));
        }
        c.paint(kSky, ring(16, 16, 3, 5));
    },
    [](Cell& c) { // shield
        c.paint(kNavy, polygon({{3, 3}, {16, 1}, {29, 3}, {28, 17}, {16, 31}, {4, 17}}));
        c.paint(kGold, star(16, 14, 7, 3, 5));
    },
    [](Cell& c) { // crown with jewels
        c.paint(kGold, polygon({{2, 8}, {9, 16}, {16, 4}, {23, 16}, {30, 8}, {28, 26}, {4, 26}}));
        c.paint(kRed, disc(16, 20, 2.5));
        c.paint(kBlue, disc(9, 21, 2));
        c.paint(kBlue, disc(23, 21, 2));
    },
    [](Cell& c) { // anchor
        c.paint(kNavy, ring(16, 5, 2, 4));
        c.paint(kNavy, box(15, 9, 17, 29));
        c.paint(kNavy, box(9, 11, 23, 13));
        c.paint(kNavy, both(ring(16, 16, 11.5, 14), box(0, 17, 32, 32)));
    },
    [](Cell& c) { // apple with a leaf on its stem
        c.paint(kRed, disc(11, 19, 9.5));
        c.paint(kRed, disc(21, 19, 9.5));
        c.paint(kBrown, box(15, 3, 17, 10));
        c.paint(kGreen, ellipse(22, 5, 5, 2.5));
    },
    [](Cell& c) { // gift
        c.paint(kPurple, box(3, 11, 29, 30));
        c.paint(kPink, box(14, 11, 18, 30));
        c.paint(kPink, box(3, 11, 29, 14));
        c.paint(kPink, ring(12, 8, 1.5, 3.5));
        c.paint(kPink, ring(20, 8, 1.5, 3.5));
    },
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_sample OUT.bmp\n";
        return 2;
    }
    PixelImage image(395, 308, kWhite);
    for (int i = 0; i < 50; ++i) {
        Cell cell(image, 4 + 39 * (i % 10), 14 + 60 * (i / 10));
        kIcons[i](cell);
    }
    try {
        iconfinder::writePictureFile(image, iconfinder::FileFormat::Bmp, argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "make_sample: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
