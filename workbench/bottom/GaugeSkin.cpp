#include "workbench/bottom/GaugeSkin.h"

#include "framework/Gdi.h"
#include "resources/resource.h"
#include "ui/kit/GdiPlusUtil.h"

const UINT CGaugeSkin::kPictureIds[kPictureCount] = {
    IDP_GAUGE_TRACK_LEFT, IDP_GAUGE_TRACK_MIDDLE, IDP_GAUGE_TRACK_RIGHT, IDP_GAUGE_FILL_LEFT,  IDP_GAUGE_FILL_MIDDLE,
    IDP_GAUGE_FILL_RIGHT, IDP_GAUGE_OVER_LEFT,    IDP_GAUGE_OVER_MIDDLE, IDP_GAUGE_OVER_RIGHT};

void CGaugeSkin::Load(bool withOverFull)
{
    Free();
    const int count = withOverFull ? kCount : kOverLeft;
    for (int i = 0; i < count; ++i)
        m_images[i] = CGdiPlusUtil::LoadPng(kPictureIds[i]);
}

void CGaugeSkin::Free()
{
    for (Gdiplus::Bitmap*& b : m_images) {
        delete b;
        b = nullptr;
    }
}

int CGaugeSkin::Width(int image) const
{
    return m_images[image] ? static_cast<int>(m_images[image]->GetWidth()) : 0;
}

gauge::FillImages CGaugeSkin::Widths() const
{
    gauge::FillImages w;
    w.fillLeft = Width(kFillLeft);
    w.fillRight = Width(kFillRight);
    w.overLeft = Width(kOverLeft);
    w.overRight = Width(kOverRight);
    return w;
}

void CGaugeSkin::Draw(Gdiplus::Graphics& g, int image, int x, int y, int width) const
{
    Gdiplus::Bitmap* b = m_images[image];
    if (!b || width <= 0)
        return;
    const int w = static_cast<int>(b->GetWidth());
    const int h = static_cast<int>(b->GetHeight());
    // Stretched pieces keep hard edges: no blending with what lies beside them.
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.DrawImage(b, Gdiplus::Rect(x, y, width, h), 0, 0, w, h, Gdiplus::UnitPixel);
}

void CGaugeSkin::DrawTrack(Gdiplus::Graphics& g, int left, int right, int y) const
{
    if (right <= left)
        return;
    const int leftEnd = left + Width(kTrackLeft);
    const int rightStart = right - Width(kTrackRight);
    Draw(g, kTrackLeft, left, y, Width(kTrackLeft));
    Draw(g, kTrackMiddle, leftEnd, y, rightStart - leftEnd);
    Draw(g, kTrackRight, rightStart, y, Width(kTrackRight));
}

void CGaugeSkin::DrawFill(Gdiplus::Graphics& g, const std::vector<gauge::Part>& parts, int y) const
{
    for (const gauge::Part& p : parts) {
        int image = kFillLeft;
        switch (p.piece) {
        case gauge::Piece::FillLeft: image = kFillLeft; break;
        case gauge::Piece::FillMiddle: image = kFillMiddle; break;
        case gauge::Piece::FillRight: image = kFillRight; break;
        case gauge::Piece::OverLeft: image = kOverLeft; break;
        case gauge::Piece::OverMiddle: image = kOverMiddle; break;
        case gauge::Piece::OverRight: image = kOverRight; break;
        }
        Draw(g, image, p.x, y, p.width);
    }
}

gauge::BarTexts MeasureBarTexts(CDC& dc, int left, int right, const BarLabels& labels)
{
    auto width = [&](const std::string& s) {
        return s.empty() ? 0 : dc.MeasureText(s.c_str(), static_cast<int>(s.size())).cx;
    };
    return gauge::PlaceBarTexts(left, right, width(labels.used), width(labels.title), width(labels.free));
}

void DrawBarTexts(CDC& dc, int left, int right, int top, int bottom, const BarLabels& labels, UINT format)
{
    // Each text in its own span: on a narrow bar or with wide figures the
    // name is cut between the figures instead of running into them.
    const gauge::BarTexts spans = MeasureBarTexts(dc, left, right, labels);
    auto draw = [&](const std::string& s, const gauge::TextSpan& span, UINT align) {
        CRect text(span.left, top, span.right, bottom);
        if (!s.empty() && span.Width() > 0)
            dc.DrawText(s.c_str(), -1, &text, format | align);
    };
    draw(labels.used, spans.used, DT_LEFT);
    draw(labels.title, spans.title, DT_CENTER);
    draw(labels.free, spans.free, DT_RIGHT);
}
