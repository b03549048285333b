// The PNG skin of a gauge: track, fill and (optionally) over-full fill, each
// a left end, a stretched middle and a right end. An image that fails to
// load is left out of the drawing.
#pragma once

#include "workbench/bottom/GaugeRules.h"
#include "ui/kit/GdiPlus.h"

#include <string>

class CDC;

class CGaugeSkin {
public:
    CGaugeSkin() = default;
    CGaugeSkin(const CGaugeSkin&) = delete;
    CGaugeSkin& operator=(const CGaugeSkin&) = delete;
    ~CGaugeSkin() { Free(); }

    static constexpr int kPictureCount = 9;
    // Its pictures in drawing order: track, fill, over-full fill (left, middle, right each).
    static const UINT kPictureIds[kPictureCount];

    void Load(bool withOverFull);
    void Free();
    gauge::FillImages Widths() const;
    // The track from left to right (exclusive), its top at y.
    void DrawTrack(Gdiplus::Graphics& g, int left, int right, int y) const;
    void DrawFill(Gdiplus::Graphics& g, const std::vector<gauge::Part>& parts, int y) const;

private:
    enum { kTrackLeft, kTrackMiddle, kTrackRight, kFillLeft, kFillMiddle, kFillRight, kOverLeft, kOverMiddle,
           kOverRight, kCount };
    static_assert(kCount == kPictureCount, "one picture per part");
    void Draw(Gdiplus::Graphics& g, int image, int x, int y, int width) const;
    int Width(int image) const;

    Gdiplus::Bitmap* m_images[kCount] = {};
};

// A bar's three texts: the used figure (left), its name (centred) and the
// free figure (right); an empty one is not drawn.
struct BarLabels {
    std::string used, title, free;
};
// Their spans between left and right, measured in the font selected in dc.
gauge::BarTexts MeasureBarTexts(CDC& dc, int left, int right, const BarLabels& labels);
// Measures and draws them between top and bottom.
void DrawBarTexts(CDC& dc, int left, int right, int top, int bottom, const BarLabels& labels, UINT format);
