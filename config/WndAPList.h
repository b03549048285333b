// The access points found: a signal icon (with a lock when secured) and the
// SSID per row.
#pragma once

#include "config/WndScanList.h"
#include "ui/kit/GdiPlus.h"

class CWndAPList : public CWndScanList {
public:
    CWndAPList() : CWndScanList(20) {}
    ~CWndAPList() override;

    // The selected record's SSID, "" when no record has that index.
    CString GetSelectedSSID() const;
    const ScanRecord* GetSelectedRecord() const;

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    int RowCount() const override { return static_cast<int>(m_records.size()); }
    void DrawRows(CDC& dc, const CRect& client) override;
    Gdiplus::Bitmap* Image(unsigned id);

    Gdiplus::Bitmap* m_images[5] = {};  // 173 lock, 174..177 signal levels
};
