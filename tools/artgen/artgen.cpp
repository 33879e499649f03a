// artgen.cpp: paints Kalvero's own artwork: the 300 x 250 night-watch scene the
// puzzle is cut from, and the hamburger icon at every size the desktop asks for;
// and, for the documentation, a 960 x 720 landscape to open as a picture of one's own.
// Usage: kalvero_artgen OUTPUT_DIR, or kalvero_artgen --landscape FILE.
// Deterministic: the same Qt paints the same pixels.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int Width = 300;
constexpr int Height = 250;

// A small deterministic hash, so the texture is the same on every run.
std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t salt)
{
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ salt * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

double unit(std::uint32_t x, std::uint32_t y, std::uint32_t salt) { return (hash(x, y, salt) & 0xFFFF) / 65535.0; }

// Smooth value noise in [0, 1], one lattice cell per `cell` pixels.
double smoothNoise(double x, double y, double cell, std::uint32_t salt)
{
    const double gx = x / cell, gy = y / cell;
    const auto ix = std::uint32_t(std::floor(gx)), iy = std::uint32_t(std::floor(gy));
    const double fx = gx - std::floor(gx), fy = gy - std::floor(gy);
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = unit(ix, iy, salt) * (1 - sx) + unit(ix + 1, iy, salt) * sx;
    const double bottom = unit(ix, iy + 1, salt) * (1 - sx) + unit(ix + 1, iy + 1, salt) * sx;
    return top * (1 - sy) + bottom * sy;
}

QColor shade(const QColor &color, double factor)
{
    return QColor::fromRgbF(float(std::clamp(color.redF() * factor, 0.0, 1.0)),
                            float(std::clamp(color.greenF() * factor, 0.0, 1.0)),
                            float(std::clamp(color.blueF() * factor, 0.0, 1.0)));
}

void paintWall(QPainter &p)
{
    QLinearGradient wall(0, 0, 0, Height);
    wall.setColorAt(0, QColor(52, 40, 26));
    wall.setColorAt(0.6, QColor(34, 26, 17));
    wall.setColorAt(1, QColor(24, 18, 12));
    p.fillRect(0, 0, Width, Height, wall);

    // Courses of stone, each block a little different.
    for (int row = 0; row < 12; ++row) {
        const int y = row * 14;
        const int offset = row % 2 ? 11 : 0;
        for (int x = -offset; x < Width; x += 22) {
            const double v = 0.75 + 0.5 * unit(std::uint32_t(x + 40), std::uint32_t(row), 7);
            p.fillRect(QRect(x + 1, y + 1, 20, 12), shade(QColor(58, 45, 30), v));
        }
    }

    // The dark gateway behind the company, with its lit arch stones.
    QPainterPath arch;
    arch.moveTo(110, 170);
    arch.lineTo(110, 60);
    arch.arcTo(QRectF(110, 8, 110, 104), 180, -180);
    arch.lineTo(220, 170);
    arch.closeSubpath();
    p.fillPath(arch, QColor(12, 9, 7));
    p.setPen(QPen(QColor(96, 76, 48), 3));
    for (int i = 0; i <= 12; ++i) {
        const double angle = M_PI * i / 12;
        const QPointF centre(165, 60);
        p.drawLine(centre + QPointF(-std::cos(angle) * 55, -std::sin(angle) * 52),
                   centre + QPointF(-std::cos(angle) * 64, -std::sin(angle) * 61));
    }
    p.setPen(QPen(QColor(70, 55, 35), 2));
    p.drawArc(QRectF(101, -1, 128, 122), 0, 180 * 16);

    // Pilasters either side, and the lantern on the left one.
    for (const int x : {18, 236}) {
        QLinearGradient column(x, 0, x + 26, 0);
        column.setColorAt(0, QColor(40, 31, 21));
        column.setColorAt(0.4, QColor(88, 70, 46));
        column.setColorAt(1, QColor(30, 23, 15));
        p.fillRect(QRect(x, 0, 26, 170), column);
        p.fillRect(QRect(x - 4, 20, 34, 7), QColor(104, 84, 56));
    }
    QRadialGradient glow(31, 48, 22);
    glow.setColorAt(0, QColor(255, 214, 130, 200));
    glow.setColorAt(1, QColor(255, 214, 130, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(31, 48), 22, 22);
    p.setBrush(QColor(255, 236, 170));
    p.drawRect(QRectF(27, 41, 8, 12));
    p.setPen(QPen(QColor(40, 30, 18), 1.5));
    p.drawLine(QPointF(31, 30), QPointF(31, 41));

    // The cartouche with the company's names, high on the right.
    p.setPen(QPen(QColor(130, 104, 62), 2));
    p.setBrush(QColor(86, 70, 44));
    p.drawRoundedRect(QRectF(244, 6, 50, 34), 6, 6);
    p.setPen(QPen(QColor(170, 146, 98), 1));
    for (int line = 0; line < 5; ++line) {
        for (int x = 249; x < 289; x += 5) {
            if (unit(std::uint32_t(x), std::uint32_t(line), 11) > 0.25)
                p.drawLine(QPointF(x, 12 + line * 5.5), QPointF(x + 2.5 + 1.5 * unit(std::uint32_t(x), 3, 5), 12 + line * 5.5));
        }
    }
}

void paintPikes(QPainter &p)
{
    struct Pike { QPointF foot, tip; };
    const Pike pikes[] = {
        {{60, 170}, {98, 4}},   {{88, 160}, {70, 2}},   {{120, 150}, {150, 0}},  {{170, 160}, {212, 2}},
        {{205, 150}, {188, 0}}, {{230, 160}, {262, 52}}, {{250, 170}, {222, 70}}, {{140, 150}, {124, 12}},
        {{100, 150}, {8, 92}},  {{215, 140}, {296, 88}},
    };
    for (const Pike &pike : pikes) {
        p.setPen(QPen(QColor(92, 66, 38), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(pike.foot, pike.tip);
        const QPointF dir = (pike.tip - pike.foot) / std::hypot(pike.tip.x() - pike.foot.x(), pike.tip.y() - pike.foot.y());
        p.setPen(QPen(QColor(196, 200, 206), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(pike.tip, pike.tip - dir * 9);
    }
}

void paintFlag(QPainter &p)
{
    QPainterPath flag;
    flag.moveTo(128, 30);
    flag.cubicTo(150, 22, 168, 40, 196, 30);
    flag.lineTo(200, 86);
    flag.cubicTo(176, 96, 150, 76, 132, 88);
    flag.closeSubpath();
    QLinearGradient stripes(128, 30, 132, 88);
    const QColor blue(46, 66, 132), gold(196, 158, 62);
    for (int i = 0; i < 6; ++i) {
        stripes.setColorAt(i / 6.0, i % 2 ? gold : blue);
        stripes.setColorAt((i + 1) / 6.0 - 0.001, i % 2 ? gold : blue);
    }
    p.setPen(QPen(QColor(30, 24, 20), 1));
    p.setBrush(stripes);
    p.drawPath(flag);
    // The fold's shadow, the lion on the field, the staff.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(QPointF(166, 58), 8, 24);
    p.setBrush(QColor(230, 60, 40));
    p.drawEllipse(QPointF(180, 52), 6, 8);
    p.setPen(QPen(QColor(70, 50, 30), 2.5));
    p.drawLine(QPointF(128, 24), QPointF(136, 160));
}

struct Figure
{
    double x, headY, scale;
    QColor cloak;
    double light;       // how much of the lantern light falls on the face, 0..1
    int hat;            // 0 brimmed, 1 helmet, 2 plumed, 3 bare head
    QColor sash;        // transparent: none
    bool ruff;
    double turn;        // -1..1: where the face looks
};

void paintFigure(QPainter &p, const Figure &f)
{
    const double s = f.scale;
    const double r = 7 * s;
    const double shoulders = f.headY + r * 1.1;
    const double foot = std::min(double(Height), f.headY + 120 * s);

    // Cloak and body, lit from the upper left.
    QPainterPath body;
    body.moveTo(f.x - 8 * s, shoulders);
    body.cubicTo(f.x - 20 * s, shoulders + 8 * s, f.x - 22 * s, foot - 30 * s, f.x - 18 * s, foot);
    body.lineTo(f.x + 18 * s, foot);
    body.cubicTo(f.x + 22 * s, foot - 30 * s, f.x + 20 * s, shoulders + 8 * s, f.x + 8 * s, shoulders);
    body.closeSubpath();
    QLinearGradient cloth(f.x - 20 * s, shoulders, f.x + 20 * s, foot);
    cloth.setColorAt(0, shade(f.cloak, 1.0 + f.light * 0.6));
    cloth.setColorAt(1, shade(f.cloak, 0.45));
    p.setPen(QPen(shade(f.cloak, 0.3), 1));
    p.setBrush(cloth);
    p.drawPath(body);

    // Buttons and folds catch a little light.
    p.setPen(QPen(shade(f.cloak, 1.5 + f.light), 1));
    for (int i = 0; i < 4; ++i)
        p.drawPoint(QPointF(f.x + f.turn * 3 * s, shoulders + (8 + 7 * i) * s));
    p.setPen(QPen(shade(f.cloak, 0.6), 1));
    p.drawLine(QPointF(f.x - 10 * s, shoulders + 14 * s), QPointF(f.x - 12 * s, foot - 4 * s));
    p.drawLine(QPointF(f.x + 9 * s, shoulders + 16 * s), QPointF(f.x + 11 * s, foot - 6 * s));

    if (f.sash.alpha() > 0) {
        p.setPen(QPen(f.sash, 4 * s, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(f.x - 13 * s, shoulders + 6 * s), QPointF(f.x + 15 * s, shoulders + 30 * s));
    }

    // Hand, lit.
    p.setPen(Qt::NoPen);
    p.setBrush(shade(QColor(214, 170, 128), 0.5 + f.light * 0.6));
    p.drawEllipse(QPointF(f.x + 16 * s * (f.turn >= 0 ? 1 : -1), shoulders + 34 * s), 3 * s, 2.5 * s);

    if (f.ruff) {
        p.setBrush(shade(QColor(236, 232, 220), 0.55 + f.light * 0.5));
        p.drawEllipse(QPointF(f.x, shoulders - 0.5 * s), 10 * s, 3.5 * s);
    }

    // The face, lit from the lantern: warm highlight, dark eyes and beard.
    QRadialGradient face(QPointF(f.x - 2 * s + f.turn * 2 * s, f.headY - 2 * s), r * 1.4);
    face.setColorAt(0, shade(QColor(246, 206, 160), 0.55 + f.light * 0.55));
    face.setColorAt(1, shade(QColor(150, 96, 62), 0.4 + f.light * 0.4));
    p.setBrush(face);
    p.drawEllipse(QPointF(f.x, f.headY), r * 0.85, r);
    p.setBrush(QColor(30, 20, 14));
    p.drawEllipse(QPointF(f.x - 2.5 * s + f.turn * 2 * s, f.headY - 1 * s), 0.9 * s, 0.9 * s);
    p.drawEllipse(QPointF(f.x + 2.5 * s + f.turn * 2 * s, f.headY - 1 * s), 0.9 * s, 0.9 * s);
    p.setBrush(QColor(60, 38, 22));
    p.drawChord(QRectF(f.x - 4 * s + f.turn * 2 * s, f.headY + 2 * s, 8 * s, 6 * s), 180 * 16, 180 * 16);

    switch (f.hat) {
    case 0:   // broad brimmed hat
        p.setBrush(QColor(18, 14, 12));
        p.drawEllipse(QPointF(f.x, f.headY - r * 0.8), 12 * s, 3 * s);
        p.drawRoundedRect(QRectF(f.x - 6 * s, f.headY - r * 0.8 - 8 * s, 12 * s, 9 * s), 3 * s, 3 * s);
        break;
    case 1: { // morion helmet, shining
        QLinearGradient steel(f.x - 8 * s, 0, f.x + 8 * s, 0);
        steel.setColorAt(0, QColor(210, 214, 220));
        steel.setColorAt(1, QColor(70, 74, 82));
        p.setBrush(steel);
        p.drawChord(QRectF(f.x - 9 * s, f.headY - r * 0.8 - 7 * s, 18 * s, 14 * s), 0, 180 * 16);
        p.drawEllipse(QPointF(f.x, f.headY - r * 0.8), 11 * s, 2 * s);
        break;
    }
    case 2:   // hat with a white plume
        p.setBrush(QColor(22, 18, 14));
        p.drawEllipse(QPointF(f.x, f.headY - r * 0.8), 11 * s, 3 * s);
        p.drawRect(QRectF(f.x - 5 * s, f.headY - r * 0.8 - 7 * s, 10 * s, 7 * s));
        p.setBrush(QColor(238, 234, 224));
        p.drawEllipse(QPointF(f.x + 6 * s, f.headY - r * 0.8 - 8 * s), 6 * s, 2.5 * s);
        break;
    default:  // bare head, dark hair
        p.setBrush(QColor(52, 34, 20));
        p.drawChord(QRectF(f.x - r * 0.9, f.headY - r * 1.1, r * 1.8, r * 1.2), 0, 180 * 16);
        break;
    }
}

void paintMusket(QPainter &p, QPointF stock, QPointF muzzle)
{
    p.setPen(QPen(QColor(74, 48, 26), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stock, stock + (muzzle - stock) * 0.35);
    p.setPen(QPen(QColor(150, 150, 156), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stock + (muzzle - stock) * 0.35, muzzle);
}

void paintCompany(QPainter &p)
{
    const QColor none(0, 0, 0, 0);
    // Back row, small and in shadow; then the middle row; the front three last.
    const Figure company[] = {
        {52, 96, 0.62, QColor(44, 38, 32), 0.25, 0, none, true, 0.3},
        {84, 88, 0.6, QColor(36, 34, 40), 0.35, 1, none, false, -0.2},
        {112, 92, 0.62, QColor(50, 40, 30), 0.4, 3, none, true, 0.5},
        {150, 84, 0.58, QColor(30, 30, 34), 0.3, 0, none, true, -0.4},
        {178, 90, 0.6, QColor(58, 44, 30), 0.45, 2, none, false, 0.2},
        {206, 86, 0.6, QColor(40, 36, 44), 0.3, 1, none, true, -0.6},
        {234, 94, 0.64, QColor(46, 40, 28), 0.35, 3, none, true, 0.1},
        {262, 98, 0.62, QColor(34, 28, 24), 0.2, 0, QColor(120, 40, 30), false, -0.3},
        {20, 108, 0.8, QColor(54, 40, 28), 0.35, 0, none, true, 0.6},
        {96, 112, 0.82, QColor(30, 28, 34), 0.55, 2, QColor(150, 120, 60), true, 0.4},
        {226, 110, 0.84, QColor(42, 36, 30), 0.5, 1, none, true, -0.5},
        {284, 116, 0.8, QColor(60, 48, 34), 0.3, 3, none, false, -0.8},
        {44, 118, 0.95, QColor(132, 34, 28), 0.6, 2, none, false, 0.7},      // musketeer in red
        {256, 122, 0.96, QColor(48, 40, 32), 0.45, 0, none, true, -0.4},     // drummer
        {80, 150, 0.66, QColor(206, 168, 74), 1.0, 3, none, false, 0.3},     // girl in gold
        {142, 126, 1.25, QColor(22, 20, 20), 0.9, 0, QColor(190, 30, 28), true, 0.2},      // captain
        {194, 132, 1.15, QColor(204, 178, 112), 1.0, 2, QColor(230, 216, 170), true, -0.4}, // lieutenant
    };
    int i = 0;
    for (const Figure &figure : company) {
        paintFigure(p, figure);
        if (i == 9)
            paintMusket(p, {78, 196}, {122, 104});
        if (i == 12)
            paintMusket(p, {30, 200}, {74, 126});
        ++i;
    }

    // The drum at the right edge.
    QLinearGradient drum(252, 0, 300, 0);
    drum.setColorAt(0, QColor(96, 60, 34));
    drum.setColorAt(0.4, QColor(170, 120, 70));
    drum.setColorAt(1, QColor(60, 38, 22));
    p.setPen(QPen(QColor(40, 26, 16), 1));
    p.setBrush(drum);
    p.drawRect(QRectF(252, 176, 48, 40));
    p.setBrush(QColor(214, 196, 160));
    p.drawEllipse(QRectF(252, 170, 48, 12));
    p.setPen(QPen(QColor(230, 210, 170), 1));
    for (int x = 256; x < 300; x += 8)
        p.drawLine(QPointF(x, 182), QPointF(x + 6, 214));

    // The girl's chicken, the captain's gesturing hand and its shadow on the lieutenant.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 226, 200));
    p.drawEllipse(QPointF(90, 190), 5, 3.5);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(QPointF(194, 182), 7, 4);
    p.setBrush(QColor(226, 184, 140));
    p.drawEllipse(QPointF(168, 176), 4, 3);

    // A dog at the drummer's feet.
    p.setBrush(QColor(104, 84, 62));
    p.drawEllipse(QRectF(226, 222, 30, 14));
    p.drawEllipse(QRectF(250, 214, 12, 11));
}

void paintFloorAndLight(QPainter &p)
{
    QLinearGradient floor(0, 214, 0, Height);
    floor.setColorAt(0, QColor(58, 44, 26, 210));
    floor.setColorAt(1, QColor(30, 23, 15, 235));
    p.fillRect(QRect(0, 222, Width, 28), floor);
    // Boards of the floor, their seams and the light pooling in front of the company.
    for (int x = -40, i = 0; x < Width; x += 26, ++i) {
        p.setPen(QPen(QColor(92, 70, 44), 1.2));
        p.drawLine(QPointF(x, Height), QPointF(x + 40, 222));
        p.setPen(QPen(QColor(20, 14, 9), 1));
        p.drawLine(QPointF(x + 3, Height), QPointF(x + 43, 222));
    }
    QRadialGradient pool(QPointF(150, 238), 70);
    pool.setColorAt(0, QColor(255, 210, 140, 70));
    pool.setColorAt(1, QColor(255, 210, 140, 0));
    p.fillRect(QRect(60, 222, 190, 28), pool);
    // A dropped glove and a spent match cord.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(176, 140, 92));
    p.drawRoundedRect(QRectF(112, 234, 14, 7), 3, 3);
    p.setPen(QPen(QColor(150, 120, 80), 1.2));
    p.drawLine(QPointF(130, 244), QPointF(146, 238));
    p.drawLine(QPointF(146, 238), QPointF(152, 243));

    // The light falls from the upper left onto the front of the company; the edges sink into dark.
    QRadialGradient light(QPointF(140, 140), 190);
    light.setColorAt(0, QColor(0, 0, 0, 0));
    light.setColorAt(0.55, QColor(0, 0, 0, 40));
    light.setColorAt(1, QColor(0, 0, 0, 110));
    p.fillRect(0, 0, Width, Height, light);
}

// Varnish and canvas: slow blotches and a fine weave, so that even the darkest
// pieces keep a texture of their own.
void addTexture(QImage &image)
{
    for (int y = 0; y < Height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            const double blotch = smoothNoise(x, y, 23, 1) - 0.5;
            const double weave = ((x + y) % 3 == 0 ? 1.0 : 0.0) + ((x - y + 300) % 4 == 0 ? -1.0 : 0.0);
            const double grain = unit(std::uint32_t(x), std::uint32_t(y), 3) - 0.5;
            const QColor c(line[x]);
            const double lift = 1.0 + blotch * 0.35;
            const double add = weave * 2.0 + grain * 6.0;
            const auto channel = [&](int v, double warm) {
                return std::clamp(int(std::lround(v * lift * warm + add)), 0, 255);
            };
            line[x] = qRgb(channel(c.red(), 1.02), channel(c.green(), 1.0), channel(c.blue(), 0.96));
        }
    }
}

QImage paintPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintWall(p);
    paintPikes(p);
    paintFlag(p);
    paintCompany(p);
    paintFloorAndLight(p);
    p.end();
    addTexture(image);
    image.setDotsPerMeterX(2835);   // 72 dots per inch
    image.setDotsPerMeterY(2835);
    return image;
}

// The hamburger, drawn on a 32-unit square and scaled to `size` pixels.
QImage paintIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QPen outline(QColor(90, 50, 20), 0.8);

    // Bottom bun.
    p.setPen(outline);
    p.setBrush(QColor(222, 150, 70));
    p.drawRoundedRect(QRectF(4, 23, 24, 5.5), 2.5, 2.5);
    // Patty.
    p.setBrush(QColor(110, 56, 28));
    p.drawRoundedRect(QRectF(3.5, 18.5, 25, 4.8), 2.2, 2.2);
    // Cheese, with a drip.
    p.setPen(QPen(QColor(200, 140, 0), 0.6));
    p.setBrush(QColor(255, 204, 40));
    QPainterPath cheese;
    cheese.moveTo(3.5, 16.5);
    cheese.lineTo(28.5, 16.5);
    cheese.lineTo(28.5, 18.6);
    cheese.lineTo(20, 18.6);
    cheese.lineTo(17.5, 21);
    cheese.lineTo(15, 18.6);
    cheese.lineTo(3.5, 18.6);
    cheese.closeSubpath();
    p.drawPath(cheese);
    // Tomato.
    p.setPen(QPen(QColor(150, 20, 20), 0.6));
    p.setBrush(QColor(226, 48, 40));
    p.drawRoundedRect(QRectF(4.5, 14, 23, 3), 1.4, 1.4);
    // Lettuce, a wavy green band.
    QPainterPath lettuce;
    lettuce.moveTo(3, 13.8);
    for (int i = 0; i <= 13; ++i)
        lettuce.lineTo(3 + i * 2, i % 2 ? 11.6 : 13.2);
    lettuce.lineTo(29, 14.8);
    lettuce.lineTo(3, 14.8);
    lettuce.closeSubpath();
    p.setPen(QPen(QColor(40, 120, 30), 0.6));
    p.setBrush(QColor(100, 196, 60));
    p.drawPath(lettuce);
    // Top bun, with a highlight and sesame seeds.
    QPainterPath bun;
    bun.moveTo(3.5, 12.5);
    bun.cubicTo(3.5, 1.5, 28.5, 1.5, 28.5, 12.5);
    bun.closeSubpath();
    QLinearGradient crust(0, 4, 0, 12.5);
    crust.setColorAt(0, QColor(246, 184, 96));
    crust.setColorAt(1, QColor(214, 132, 52));
    p.setPen(outline);
    p.setBrush(crust);
    p.drawPath(bun);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 246, 214));
    const QPointF seeds[] = {{10, 6.5}, {15, 5}, {20, 6}, {12.5, 9}, {18, 8.8}, {23.5, 8.6}, {8, 9.6}};
    for (const QPointF &seed : seeds) {
        p.save();
        p.translate(seed);
        p.rotate(seed.x() * 17);
        p.drawEllipse(QPointF(0, 0), 1.1, 0.6);
        p.restore();
    }
    p.end();
    return image;
}

// A sunny valley: sky and sun, clouds, blue mountains, green hills, a river and trees.
QImage paintLandscape()
{
    constexpr int W = 960, H = 720;
    QImage image(W, H, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, H * 0.55);
    sky.setColorAt(0, QColor(40, 96, 180));
    sky.setColorAt(1, QColor(196, 222, 240));
    p.fillRect(0, 0, W, H, sky);
    QRadialGradient sun(QPointF(720, 140), 90);
    sun.setColorAt(0, QColor(255, 248, 200));
    sun.setColorAt(0.45, QColor(255, 230, 120));
    sun.setColorAt(1, QColor(255, 230, 120, 0));
    p.fillRect(0, 0, W, H, sun);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const double x = 80 + i * 130 + unit(i, 1, 5) * 60, y = 90 + unit(i, 2, 5) * 120;
        p.setBrush(QColor(255, 255, 255, 150));
        for (int puff = 0; puff < 5; ++puff)
            p.drawEllipse(QPointF(x + puff * 22 - 44, y + std::sin(puff * 1.7) * 8), 34 - std::abs(puff - 2) * 6, 18);
    }
    // Two ridges of mountains and two of hills, each a noisy skyline filled below.
    const struct Ridge { double base, height, cell; QColor colour; std::uint32_t salt; } ridges[] = {
        {330, 170, 90, QColor(92, 112, 160), 11}, {390, 120, 70, QColor(70, 92, 128), 12},
        {470, 70, 120, QColor(96, 150, 70), 13},  {560, 60, 150, QColor(70, 128, 52), 14}};
    for (const Ridge &ridge : ridges) {
        QPainterPath land;
        land.moveTo(0, H);
        for (int x = 0; x <= W; x += 4)
            land.lineTo(x, ridge.base - ridge.height * smoothNoise(x, 0, ridge.cell, ridge.salt));
        land.lineTo(W, H);
        p.setBrush(ridge.colour);
        p.drawPath(land);
    }
    QPainterPath river;
    river.moveTo(430, 470);
    river.cubicTo(520, 540, 300, 600, 420, 720);
    river.lineTo(600, 720);
    river.cubicTo(470, 610, 620, 540, 452, 470);
    river.closeSubpath();
    QLinearGradient water(0, 470, 0, 720);
    water.setColorAt(0, QColor(150, 196, 230));
    water.setColorAt(1, QColor(60, 120, 190));
    p.setBrush(water);
    p.drawPath(river);
    for (int i = 0; i < 26; ++i) {
        const double x = unit(i, 3, 9) * W, y = 500 + unit(i, 4, 9) * 200, size = 14 + y / 30;
        if (std::abs(x - 450 - (y - 470) * 0.1) < 90)
            continue;   // not in the river
        p.setBrush(QColor(84, 58, 34));
        p.drawRect(QRectF(x - size * 0.12, y, size * 0.24, size * 0.9));
        p.setBrush(shade(QColor(40, 100, 40), 0.8 + unit(i, 5, 9) * 0.4));
        p.drawEllipse(QPointF(x, y - size * 0.2), size * 0.7, size * 0.8);
    }
    p.end();
    for (int y = 0; y < H; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const int grain = int(unit(std::uint32_t(x), std::uint32_t(y), 21) * 10) - 5;
            line[x] = qRgb(std::clamp(qRed(line[x]) + grain, 0, 255), std::clamp(qGreen(line[x]) + grain, 0, 255),
                           std::clamp(qBlue(line[x]) + grain, 0, 255));
        }
    }
    return image;
}

bool save(const QImage &image, const QString &path, const char *format, int quality = -1)
{
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.setOptimizedWrite(true);
    if (!writer.write(image)) {
        std::fprintf(stderr, "kalvero_artgen: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--landscape")
        return save(paintLandscape(), QString::fromLocal8Bit(argv[2]), "jpeg", 90) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: kalvero_artgen OUTPUT_DIR | --landscape FILE\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = save(paintPicture(), out.filePath("picture.jpg"), "jpeg", 92);
    ok = save(paintIcon(32), out.filePath("icon.png"), "png") && ok;
    for (const int size : {48, 64, 128, 256})
        ok = save(paintIcon(size), out.filePath(QStringLiteral("icon-%1.png").arg(size)), "png") && ok;
    return ok ? 0 : 1;
}
