// A second program that drags files onto a window the way Explorer would:
// DoDragDrop with a CF_HDROP list while it walks the cursor from one screen
// point to another, then drops. Usage: drag_helper x0 y0 x1 y1 path...
// Exit code 0 when the target took the drop.
#include "workbench/files/Drag.h"

#include <cstdio>
#include <cstdlib>

namespace {
class WalkingSource : public IDropSource {
public:
    WalkingSource(POINT from, POINT to) : m_from(from), m_to(to) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // Each call moves the cursor one step; a few calls over the target, then drop.
    STDMETHODIMP QueryContinueDrag(BOOL, DWORD) override {
        const int steps = 8;
        const int i = m_calls < steps ? m_calls : steps;
        ::SetCursorPos(m_from.x + (m_to.x - m_from.x) * i / steps, m_from.y + (m_to.y - m_from.y) * i / steps);
        return ++m_calls > steps + 3 ? DRAGDROP_S_DROP : S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT m_from, m_to;
    int m_calls = 0;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) return 2;
    ::OleInitialize(nullptr);
    const POINT from{std::atoi(argv[1]), std::atoi(argv[2])}, to{std::atoi(argv[3]), std::atoi(argv[4])};
    std::vector<std::string> paths(argv + 5, argv + argc);
    ::SetCursorPos(from.x, from.y);
    WalkingSource source(from, to);
    CDrag drag;
    drag.m_allowedEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    const DWORD effect = drag.DragFiles(paths, &source);
    std::printf("effect %lu\n", static_cast<unsigned long>(effect));
    ::OleUninitialize();
    return effect != DROPEFFECT_NONE ? 0 : 1;
}
