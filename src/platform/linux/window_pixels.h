#pragma once

#include <QImage>
#include <QRect>

#include <vector>

class QWindow;

namespace tk {

// Sends the rectangles `parts` of `image` (the window's own image, one pixel per
// pixel, in the window's coordinates) straight to the X window behind
// `window`: one PutImage per rectangle, on the connection Qt uses, so it
// lands in order with everything Qt sent before. This skips the X backend's
// usual flush, which first puts the pixels into a server-side copy of the
// window and then copies them across under two clip changes.
//
// The caller keeps that server-side copy right itself: it tells the backing
// store about every part it writes (beginPaint/endPaint), so the next flush
// Qt makes there on its own (an expose) uploads them first.
//
// Returns false, having sent nothing, where it cannot: no X11 connection
// (another platform), a window without its native window, a 32-bit image the
// server would not take as it is (another byte order or pixel size), or
// another image format.
bool sendWindowPixels(QWindow* window, const QImage& image, const std::vector<QRect>& parts);

} // namespace tk
