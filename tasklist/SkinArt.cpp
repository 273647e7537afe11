#include "tasklist/SkinArt.h"

#include <QColor>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>

namespace {
// The list window's fixed layout, which the pieces must fit.
constexpr int TitleHeight = 30;
constexpr int BandHeight = 39;  // the bottom band with the search box and buttons
constexpr int LeftEdge = 7;     // the last column is the line along the list
constexpr int RightEdge = 8;    // the first column is the line along the list
constexpr int CornerWidth = 12; // the title ends and the bottom corners
constexpr int OuterRadius = 8;  // the rounded corners of the whole window
constexpr int ButtonTop = 6;    // where the title buttons sit in the title bar
constexpr int ButtonSize = 19;
constexpr int StretchLength = 16; // the length of the pieces the window stretches

// A frame drawn whole once, big enough that the pieces cut from it never
// touch each other's corners.
constexpr int ModelWidth = 200;
constexpr int ModelHeight = 150;

struct TSkinStyle {
    QString Folder;
    QString DisplayName;
    QRgb Outside; // the window's corners beyond the rounded outline: a tone
                  // between frame and outline that sits on dark and light
    QRgb Outline;
    QRgb Light; // the bevel on the top and left sides
    QRgb Shade; // the bevel on the bottom and right sides
    QRgb Inner; // the line where the frame meets the list
    QRgb Body;  // the frame itself, and the bottom of the title gradient
    QRgb TitleTop;
    QRgb ButtonFaceTop;
    QRgb ButtonFaceBottom;
    QRgb Symbol; // the title buttons' symbols
    QRgb Text;   // "Search", "New", "Del"
    QRgb Paper;
    QRgb PaperBottom;
    QRgb PaperEdge;
    QRgb Fold;
};

// Never used in a picture except for the title buttons' see-through corners.
constexpr QRgb Key = 0xffff00ff;

const std::array<TSkinStyle, 2> &Styles()
{
    // The first is the default: the blue of the window's own background.
    static const std::array<TSkinStyle, 2> styles{{
        {.Folder = QStringLiteral("1"),
         .DisplayName = QStringLiteral("Sky Blue"),
         .Outside = qRgb(109, 149, 199),
         .Outline = qRgb(52, 96, 158),
         .Light = qRgb(240, 247, 255),
         .Shade = qRgb(122, 162, 210),
         .Inner = qRgb(84, 124, 178),
         .Body = qRgb(166, 202, 240),
         .TitleTop = qRgb(236, 245, 255),
         .ButtonFaceTop = qRgb(250, 252, 255),
         .ButtonFaceBottom = qRgb(186, 214, 244),
         .Symbol = qRgb(30, 62, 110),
         .Text = qRgb(26, 52, 96),
         .Paper = qRgb(255, 255, 255),
         .PaperBottom = qRgb(230, 237, 246),
         .PaperEdge = qRgb(96, 120, 152),
         .Fold = qRgb(204, 218, 236)},
        {.Folder = QStringLiteral("2"),
         .DisplayName = QStringLiteral("Sage"),
         .Outside = qRgb(129, 154, 120),
         .Outline = qRgb(74, 100, 68),
         .Light = qRgb(243, 248, 238),
         .Shade = qRgb(142, 168, 130),
         .Inner = qRgb(104, 132, 96),
         .Body = qRgb(184, 208, 172),
         .TitleTop = qRgb(240, 246, 234),
         .ButtonFaceTop = qRgb(252, 253, 250),
         .ButtonFaceBottom = qRgb(200, 220, 190),
         .Symbol = qRgb(44, 66, 40),
         .Text = qRgb(40, 60, 36),
         .Paper = qRgb(255, 255, 255),
         .PaperBottom = qRgb(234, 239, 229),
         .PaperEdge = qRgb(110, 128, 100),
         .Fold = qRgb(214, 226, 206)},
    }};
    return styles;
}

const TSkinStyle *StyleOf(const QString &skin)
{
    for (const TSkinStyle &style : Styles())
        if (style.Folder == skin)
            return &style;
    return nullptr;
}

// ---- colour arithmetic, in integers so every machine agrees ----

QRgb Mix(QRgb from, QRgb to, int step, int steps)
{
    auto channel = [&](int a, int b) { return (a * (steps - step) + b * step + steps / 2) / steps; };
    return qRgb(channel(qRed(from), qRed(to)), channel(qGreen(from), qGreen(to)),
                channel(qBlue(from), qBlue(to)));
}

// A picture as a colour at every point; each pixel is the mean of a 4 x 4
// grid of points, which smooths the curves without any rasteriser.
using TSampler = std::function<QRgb(double x, double y)>;

QImage Render(int width, int height, const TSampler &sample)
{
    constexpr int Grid = 4;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int red = 0, green = 0, blue = 0;
            for (int j = 0; j < Grid; ++j)
                for (int i = 0; i < Grid; ++i) {
                    const QRgb c = sample(x + (i + 0.5) / Grid, y + (j + 0.5) / Grid);
                    red += qRed(c);
                    green += qGreen(c);
                    blue += qBlue(c);
                }
            constexpr int n = Grid * Grid;
            image.setPixel(x, y, qRgb((red + n / 2) / n, (green + n / 2) / n, (blue + n / 2) / n));
        }
    return image;
}

// How far a point lies inside a rounded rectangle (negative: outside), and
// whether the nearest side faces the light from the top left (1) or not (0).
struct TDepth {
    double Inside;
    double Lit;
};

TDepth DepthIn(double width, double height, double radius, double x, double y)
{
    const double halfW = width / 2, halfH = height / 2;
    const double qx = std::abs(x - halfW) - (halfW - radius);
    const double qy = std::abs(y - halfH) - (halfH - radius);
    double nx = 0, ny = 0, inside = 0;
    if (qx > 0 && qy > 0) {
        const double length = std::sqrt(qx * qx + qy * qy);
        inside = radius - length;
        nx = qx / length;
        ny = qy / length;
    } else if (qx > qy) {
        inside = radius - qx;
        nx = 1;
    } else {
        inside = radius - qy;
        ny = 1;
    }
    if (x < halfW)
        nx = -nx;
    if (y < halfH)
        ny = -ny;
    const double lit = std::clamp((1 - nx - ny) / 2, 0.0, 1.0);
    return {inside, lit};
}

// The outline and the bevel ring just inside it, or `fill` further in.
QRgb Rim(const TSkinStyle &style, TDepth depth, QRgb outside, QRgb fill)
{
    if (depth.Inside <= 0)
        return outside;
    if (depth.Inside <= 1)
        return style.Outline;
    if (depth.Inside <= 2)
        return Mix(style.Shade, style.Light, int(std::lround(depth.Lit * 8)), 8);
    return fill;
}

// The title bar's colour on row y, the same under the title buttons.
QRgb TitleColour(const TSkinStyle &style, int y)
{
    constexpr int first = 2, last = TitleHeight - 3;
    return Mix(style.TitleTop, style.Body, std::clamp(y, first, last) - first, last - first);
}

// The whole window, `height` high with the title bar, or the title bar alone
// when shrunk; the list is left white.
QImage DrawFrame(const TSkinStyle &style, int width, int height, bool shrunk)
{
    const int band = height - BandHeight;
    const int innerLeft = LeftEdge - 1, innerRight = width - RightEdge;
    auto interior = [&](int x, int y) -> QRgb {
        const bool overList = x >= innerLeft && x <= innerRight;
        if (y < TitleHeight) {
            // Expanded, the title's lower bevel becomes the line over the
            // list, and the sides run on down into the edges.
            if (!shrunk && overList && y == TitleHeight - 1)
                return style.Outline;
            if (!shrunk && overList && y == TitleHeight - 2)
                return style.Shade;
            return TitleColour(style, y);
        }
        // The list lies sunk in the frame: a dark line all round it, and
        // a glint beyond that where the light falls, below and right. The
        // list may cover the band's top row, so the line there is two rows.
        const int listBottom = band + 1;
        if (y > listBottom + 1 || x < innerLeft || x > innerRight + 1)
            return style.Body;
        if (y == listBottom + 1 || x == innerRight + 1)
            return Mix(style.Body, style.Light, 1, 2);
        if (y >= band || x == innerLeft || x == innerRight)
            return style.Inner;
        return qRgb(255, 255, 255);
    };
    return Render(width, height, [&](double x, double y) {
        const TDepth depth = DepthIn(width, height, OuterRadius, x, y);
        return Rim(style, depth, style.Outside, interior(int(x), int(y)));
    });
}

// ---- the hand-made font: capitals 7 high, small letters 5 ----

struct TGlyph {
    char Letter;
    std::array<const char *, 7> Rows;
};

constexpr std::array<TGlyph, 10> Glyphs{{
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'N', {"#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"}},
    {'S', {".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###."}},
    {'a', {"....", "....", ".##.", "...#", ".###", "#..#", ".###"}},
    {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###"}},
    {'e', {"....", "....", ".##.", "#..#", "####", "#...", ".###"}},
    {'h', {"#...", "#...", "###.", "#..#", "#..#", "#..#", "#..#"}},
    {'l', {"#", "#", "#", "#", "#", "#", "#"}},
    {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
}};

const TGlyph &GlyphOf(QChar letter)
{
    for (const TGlyph &glyph : Glyphs)
        if (glyph.Letter == letter.toLatin1())
            return glyph;
    return Glyphs[0];
}

int TextWidth(const QString &text)
{
    int width = -1;
    for (QChar letter : text)
        width += int(std::strlen(GlyphOf(letter).Rows[0])) + 1;
    return width;
}

void DrawText(QImage &image, int left, int top, const QString &text, QRgb colour)
{
    for (QChar letter : text) {
        const TGlyph &glyph = GlyphOf(letter);
        const int width = int(std::strlen(glyph.Rows[0]));
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < width; ++column)
                if (glyph.Rows[size_t(row)][column] == '#')
                    image.setPixel(left + column, top + row, colour);
        left += width + 1;
    }
}

// ---- the pieces that are not cut from the frame ----

double DistanceToSegment(double x, double y, double x1, double y1, double x2, double y2)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double t = std::clamp(((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double ex = x - (x1 + t * dx), ey = y - (y1 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// A rounded button on the title bar. Pixels wholly outside it are the key
// colour the window leaves unpainted; the edge pixels are already blended
// with the title bar behind them, so no purple fringe shows.
QImage DrawTitleButton(const TSkinStyle &style, bool close)
{
    auto symbol = [&](double x, double y) {
        if (close)
            return DistanceToSegment(x, y, 6, 6, 13, 13) <= 1.1 ||
                   DistanceToSegment(x, y, 13, 6, 6, 13) <= 1.1;
        // A small window: a frame with a thick top, the shrink and expand sign.
        const bool inBox = x >= 5 && x < 14 && y >= 5 && y < 14;
        const bool inHole = x >= 6 && x < 13 && y >= 8 && y < 13;
        return inBox && !inHole;
    };
    QImage image = Render(ButtonSize, ButtonSize, [&](double x, double y) {
        const TDepth depth = DepthIn(ButtonSize, ButtonSize, 4.5, x, y);
        const QRgb face = symbol(x, y)
                              ? style.Symbol
                              : Mix(style.ButtonFaceTop, style.ButtonFaceBottom, int(y), ButtonSize - 1);
        return Rim(style, depth, TitleColour(style, ButtonTop + int(y)), face);
    });
    // Second pass: what no point of the button covers is see-through.
    QImage outside = Render(ButtonSize, ButtonSize, [&](double x, double y) {
        return DepthIn(ButtonSize, ButtonSize, 4.5, x, y).Inside <= 0 ? Key : qRgb(0, 0, 0);
    });
    for (int y = 0; y < ButtonSize; ++y)
        for (int x = 0; x < ButtonSize; ++x)
            if (outside.pixel(x, y) == Key)
                image.setPixel(x, y, Key);
    return image;
}

QImage DrawSearchLabel(const TSkinStyle &style)
{
    QImage image(40, 17, QImage::Format_RGB32);
    image.fill(style.Body);
    const QString text = QStringLiteral("Search");
    const int left = (image.width() - TextWidth(text)) / 2, top = (image.height() - 7) / 2;
    DrawText(image, left + 1, top + 1, text, style.Light); // pressed into the band
    DrawText(image, left, top, text, style.Text);
    return image;
}

// A small sheet of paper with its top right corner folded over, casting a
// shadow on the band below and right.
QImage DrawPaperButton(const TSkinStyle &style, const QString &caption)
{
    constexpr int width = 23, height = 15, fold = 5;
    constexpr int sheetWidth = width - 1, sheetHeight = height - 1;
    QImage image = Render(width, height, [&](double x, double y) {
        const double fromCorner = (sheetWidth - x) + y; // across the fold's diagonal
        const TDepth depth = DepthIn(sheetWidth, sheetHeight, 2, x, y);
        if (fromCorner < fold || depth.Inside <= 0) {
            const bool inShadow = DepthIn(sheetWidth, sheetHeight, 2, x - 1, y - 1).Inside > 0;
            return inShadow && fromCorner >= fold + 1 ? style.Shade : style.Body;
        }
        if (depth.Inside <= 1 || fromCorner < fold + 1)
            return style.PaperEdge;
        if (x >= sheetWidth - fold && y < fold)
            return style.Fold;
        return Mix(style.Paper, style.PaperBottom, int(y), sheetHeight - 1);
    });
    DrawText(image, (sheetWidth - TextWidth(caption) + 1) / 2, (sheetHeight - 7 + 1) / 2, caption,
             style.Text);
    return image;
}

const QStringList &FileNames()
{
    static const QStringList names{
        QStringLiteral("top_left.bmp"),
        QStringLiteral("top_right.bmp"),
        QStringLiteral("top_left_bar.bmp"),
        QStringLiteral("top_right_bar.bmp"),
        QStringLiteral("top_mid.bmp"),
        QStringLiteral("left_mid.bmp"),
        QStringLiteral("right_mid.bmp"),
        QStringLiteral("right_top.bmp"),
        QStringLiteral("bottom_left.bmp"),
        QStringLiteral("bottom_mid.bmp"),
        QStringLiteral("bottom_right.bmp"),
        QStringLiteral("s.bmp"),
        QStringLiteral("x.bmp"),
        QStringLiteral("search.bmp"),
        QStringLiteral("new.bmp"),
        QStringLiteral("del.bmp"),
    };
    return names;
}

// The frame's pieces are cut from whole frames, so they join up by
// construction; the stretched ones from the middle of a side.
QImage DrawPart(const TSkinStyle &style, QStringView file)
{
    constexpr int w = ModelWidth, h = ModelHeight, band = ModelHeight - BandHeight;
    constexpr int middle = ModelWidth / 2 - StretchLength / 2;
    constexpr int edgeRow = (TitleHeight + band) / 2;
    auto expanded = [&](int x, int y, int width, int height) {
        return DrawFrame(style, w, h, false).copy(x, y, width, height);
    };
    auto shrunk = [&](int x) {
        return DrawFrame(style, w, TitleHeight, true).copy(x, 0, CornerWidth, TitleHeight);
    };

    if (file == u"top_left.bmp")
        return expanded(0, 0, CornerWidth, TitleHeight);
    if (file == u"top_right.bmp")
        return expanded(w - CornerWidth, 0, CornerWidth, TitleHeight);
    if (file == u"top_left_bar.bmp")
        return shrunk(0);
    if (file == u"top_right_bar.bmp")
        return shrunk(w - CornerWidth);
    if (file == u"top_mid.bmp")
        return expanded(middle, 0, StretchLength, TitleHeight);
    if (file == u"left_mid.bmp")
        return expanded(0, edgeRow, LeftEdge, StretchLength);
    if (file == u"right_mid.bmp")
        return expanded(w - RightEdge, edgeRow, RightEdge, StretchLength);
    if (file == u"right_top.bmp")
        return expanded(w - RightEdge, TitleHeight, RightEdge, 17);
    if (file == u"bottom_left.bmp")
        return expanded(0, band, CornerWidth, BandHeight);
    if (file == u"bottom_mid.bmp")
        return expanded(middle, band, StretchLength, BandHeight);
    if (file == u"bottom_right.bmp")
        return expanded(w - CornerWidth, band, CornerWidth, BandHeight);
    if (file == u"s.bmp")
        return DrawTitleButton(style, false);
    if (file == u"x.bmp")
        return DrawTitleButton(style, true);
    if (file == u"search.bmp")
        return DrawSearchLabel(style);
    if (file == u"new.bmp")
        return DrawPaperButton(style, QStringLiteral("New"));
    if (file == u"del.bmp")
        return DrawPaperButton(style, QStringLiteral("Del"));
    return {};
}
} // namespace

QStringList ShippedSkinNames()
{
    QStringList names;
    for (const TSkinStyle &style : Styles())
        names.append(style.Folder);
    return names;
}

QString SkinDisplayName(const QString &skin)
{
    const TSkinStyle *style = StyleOf(skin);
    return style ? style->DisplayName : QString();
}

QStringList SkinFileNames() { return FileNames(); }

QImage DrawSkinPart(const QString &skin, const QString &fileName)
{
    const TSkinStyle *style = StyleOf(skin);
    return style ? DrawPart(*style, fileName) : QImage();
}
