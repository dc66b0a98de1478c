// The draw manager's GDI side: background effects, blending, shadows, styled lines and frames
// and recoloured images on device contexts. The pixel work itself is pixel_effects.h; this
// file moves pixels between device contexts and 32-bit or palette pictures.
#pragma once

#include <windows.h>

#include <optional>

#include "tooltip/pixel_effects.h"

namespace tooltip {

// Fills r with a background effect (codes of pixel_effects.h) in the colours begin, middle
// and end: gradients as 64 solid bands, textures as one palette picture drawn at r's top-left
// corner. Granularity 0 ... 255; blendPercent moves the texture palette toward begin.
void FillBackground(HDC dc, int effectCode, const RECT& r, COLORREF begin, COLORREF middle,
                    COLORREF end, int granularity, int blendPercent,
                    RandomSource& random = RuntimeRandom());

// Draws the source (from srcOrigin) over destination's rectangle at opacity percent: 100 or
// more copies, 0 or less leaves the destination. False when a working bitmap could not be made
// (the destination is then unchanged).
bool BlendPicture(HDC destination, const RECT& destinationRect, HDC source, POINT srcOrigin,
                  int opacityPercent);

// Darkens the width x height area at (x, y) through the mask bitmap (white with the shape in a
// grey level): hard multiplies by the grey level, soft by the grey level box-filtered over the
// depths (an even depth counts as the next odd one). False when nothing could be done.
bool CastShadow(HDC dc, int x, int y, int width, int height, HBITMAP mask, bool soft, int depthX,
                int depthY);

// Styled lines and frames (style codes of pixel_effects.h: 0 nothing ... 6 double).
void DrawStyledLine(HDC dc, POINT a, POINT b, COLORREF colour, int style, int width);
void DrawStyledFrame(HDC dc, const RECT& r, COLORREF first, COLORREF second, int style, int width);
void DrawStrokes(HDC dc, const std::vector<Stroke>& strokes);

// A 32-bit top-down picture of the width x height area of dc at (x, y), and back.
Picture ReadPicture(HDC dc, int x, int y, int width, int height);
void WritePicture(HDC dc, int x, int y, const Picture& picture);
// The pixels of a bitmap as a 32-bit picture (empty when the handle is no bitmap).
Picture ReadBitmap(HBITMAP bitmap);

}  // namespace tooltip
