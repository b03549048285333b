// Channels 1 to 13 with the access points found on each: a bold heading
// "Channel 6(2)" and the SSIDs below it.
#pragma once

#include "config/WndScanList.h"

class CWndCHList : public CWndScanList {
public:
    CWndCHList() : CWndScanList(40) {}

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    // Nothing to choose from an empty or failed scan.
    int RowCount() const override;
    void DrawRows(CDC& dc, const CRect& client) override;

    CFont m_boldFont;
};
