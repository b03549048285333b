// "Upgrade firmware": the user picks an image, the dialog checks it (CRC and
// the firmware name against the board's) and drives the upgrade through the
// main window by private messages; the main window flashes the bytes the
// dialog checked (GetImage), never the file read again.
#pragma once

#include "config/UpgradeModel.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <cstdint>
#include <vector>

class CDlgFWUpgrade : public CDialog {
public:
    enum Timer : UINT_PTR { kTimerWatchdog = 1 };

    explicit CDlgFWUpgrade(HWND parent);

    CString m_strPath;
    CString m_strFolder;        // in and out: where the file dialog starts
    CString m_strBoardFwName;   // in: the settings record's firmware name ("" unknown)
    CString m_strFileFwName;
    CString m_strStatus;
    CFont m_font;
    // Silence from the main window after which the dialog is usable again.
    unsigned m_nWatchdogMs = CUpgradeModel::kDefaultWatchdogMs;

    // The image that passed the checks, for the main window's transfers.
    const std::vector<uint8_t>& GetImage() const { return m_image; }
    const CUpgradeModel& Model() const { return m_model; }
    // A file chosen (what Open does after the file dialog).
    void SetPath(const char* path);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnTimer(UINT_PTR id);
    void OnOpen();
    void OnSend();
    LRESULT OnProgress(WPARAM wParam, LPARAM);
    LRESULT OnIspConnected(WPARAM, LPARAM);
    LRESULT OnResult(WPARAM wParam, LPARAM);
    LRESULT OnTestOk(WPARAM wParam, LPARAM);
    LRESULT OnEnvName(WPARAM wParam, LPARAM lParam);

    LRESULT Ask(UINT message, WPARAM wParam, LPARAM lParam);
    void SendTest();
    // Controls from the model's state; the watchdog runs while an answer is owed.
    void ApplyState();
    // An attempt that ended without the board's answer: usable again.
    void Abandon(bool report);
    void ShowFailure();
    bool ReadImage(const char* path);

    CUpgradeModel m_model;
    std::vector<uint8_t> m_image;
};
