#pragma once
// What the X screen shows in an area: mpv draws into an X11 child window, so the root window
// is grabbed, not a widget.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace vistrel::test {

// The screen's pixels in `area`, given in root-window coordinates.
inline QImage GrabScreenArea(const QRect& area)
{
    QScreen* primary = QGuiApplication::primaryScreen();  // grabs relative to its own corner
    const QRect a = area.translated(-primary->geometry().topLeft());
    return primary->grabWindow(0, a.x(), a.y(), a.width(), a.height()).toImage();
}

// How many of a test card's six saturated colours cover >= 1% of `area`.
inline int SaturatedColoursOnScreen(const QRect& area)
{
    const QImage image = GrabScreenArea(area);
    int counts[8] = {}, total = 0;  // indexed by red * 4 + green * 2 + blue
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2, ++total) {
            const int c[3] = {qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))};
            if (std::all_of(c, c + 3, [](int v) { return v > 170 || v < 90; }))
                ++counts[(c[0] > 170) * 4 + (c[1] > 170) * 2 + (c[2] > 170)];
        }
    return int(std::count_if(counts + 1, counts + 7, [total](int n) { return n * 100 >= std::max(total, 1); }));
}

// How many pixels of `area` (every second one each way) are not black.
inline int LitPixelsOnScreen(const QRect& area)
{
    const QImage image = GrabScreenArea(area);
    int lit = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            lit += std::max({qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))}) > 24;
    return lit;
}

}  // namespace vistrel::test
