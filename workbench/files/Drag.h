// Drag and drop of files with raw OLE: the file list's drop target (shell
// drags become WM_FILEDRAG_* messages to the window) and the source of the
// drags it starts (a CF_HDROP list of names, marked with a private format so
// that the pane knows its own rows when they come back).
#pragma once

#include "framework/String.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

class CDrag : public IDropTarget {
public:
    CDrag();
    virtual ~CDrag();
    CDrag(const CDrag&) = delete;
    CDrag& operator=(const CDrag&) = delete;

    // RegisterDragDrop on the window (OLE must be initialised on the thread).
    bool Register(HWND wnd);
    void Revoke();

    // The shell's drag images over the window; drops work without it. Made only
    // on a thread in a single-threaded apartment (the UI thread after OleInitialize).
    void CreateDragImageHelper();
    static bool IsSingleThreadedApartment();

    virtual DWORD OnDragEnter(HWND wnd, IDataObject* data, DWORD keyState, POINT point);
    virtual DWORD OnDragOver(HWND wnd, IDataObject* data, DWORD keyState, POINT point);
    virtual BOOL OnDrop(HWND wnd, IDataObject* data, DWORD effect, POINT point);
    virtual void OnDragLeave(HWND wnd);

    // Starts a drag of the names and returns when it has ended (its effect,
    // 0 when nothing was dropped or no drag could start); it follows the
    // mouse buttons.
    DWORD DragFiles(const std::vector<std::string>& names);

    // The format that marks the pane's own drags.
    static CLIPFORMAT OwnFormat();
    static bool HasFormat(IDataObject* data, CLIPFORMAT format);
    // The paths of a CF_HDROP, read with DragQueryFile.
    static bool ReadFileNames(IDataObject* data, CStringArray& names);
    // True while the data over the window (or last dropped) came from this process.
    bool IsOwnData() const { return m_ownData; }

    int m_allowedEffect = DROPEFFECT_COPY;  // offered by the drags this object starts
    int m_currentEffect = DROPEFFECT_NONE;
    IDropTargetHelper* m_helper = nullptr;
    bool m_hasHelper = false;

    // IUnknown: the owner keeps the object; the count only guards misuse.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDropTarget.
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

private:
    HWND m_wnd = nullptr;
    IDataObject* m_data = nullptr;  // held between enter and leave or drop
    bool m_ownData = false;
    LONG m_refs = 1;
};
