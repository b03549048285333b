// The "Settings" dialog: the network and wireless pages over the main
// window's settings record, and the board's clock, user password and
// certificate. It never touches the link: each board job is a private
// message to its parent (the main window), answered by another message, one
// job at a time.
//
// The main window hands in the members below before DoModal, keeps the
// dialog's window while a reply may come (checking IsWindow first), calls
// OnCertBlockRead when the certificate block read ends and OnLinkLost when
// the board is gone (it then closes the dialog's windows itself;
// CloseForLinkLoss does both from here).
#pragma once

#include "config/DlgSettingNetwork.h"
#include "config/DlgSettingWLAN.h"
#include "config/KeyBlocks.h"
#include "config/SettingsDialogModel.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include <memory>

class CDlgProgress;

class CDlgSetting : public CDialog {
public:
    explicit CDlgSetting(HWND parent);
    ~CDlgSetting() override;

    enum Timer : UINT_PTR { kTimerOpenTime = 2, kTimerCloseAfterReboot = 3 };

    // ---- handed in by the main window
    // The board's settings as read (802.1X buffers included). The pages
    // edit a copy; the record changes only when the board took a write.
    SettingsRecord* m_pSettings = nullptr;
    // The settings service's generation of that record: a Write is taken only
    // while the record is still the one this dialog shows.
    unsigned m_settingsGeneration = 0;
    int m_hasWlan = 0;
    int m_wired = 0;
    int m_keyBlockPresent = 0;
    CString m_mcuId;
    CString m_firmwareHeader;
    CString m_mac;
    int m_passwordSet = 0;  // in and out

    // ---- its own
    CTabCtrl m_tab;
    CDlgSettingNetwork m_network;
    CDlgSettingWLAN m_wlan;
    CDialog* m_shown = nullptr;
    CertBlockCopy m_certBlock;  // the board's certificate records; length -1 when none
    CString m_date;
    CDlgProgress* m_waitBox = nullptr;

    // The main window's answer to WM_USER_READ_CERT_BLOCK.
    void OnCertBlockRead(bool present, const uint8_t* records, size_t length);
    // The board went away: whatever runs inside the dialog ends and it closes.
    void CloseForLinkLoss();
    // The board went away: the dialog's job ends and nothing more is said
    // about it (the main window closes the dialog once it has asked about the board).
    void OnLinkLost();
    // What the pages stored, to be written.
    const SettingsRecord& EditedRecord() const { return m_edit; }
    const CSettingsDialogModel* Model() const { return m_model.get(); }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnTabChange(NMHDR*, LRESULT* result);
    void OnWrite();
    void OnCertificate();
    void OnPassword();
    void OnTime();
    LRESULT OnSettingsWritten(WPARAM wParam, LPARAM);
    LRESULT OnPasswordDone(WPARAM wParam, LPARAM);
    LRESULT OnRtcDate(WPARAM wParam, LPARAM lParam);
    LRESULT OnSaveResult(WPARAM, LPARAM lParam);
    LRESULT OnShowDeferred(WPARAM kind, LPARAM value);
    void Start(CSettingsDialogModel::Job job);
    void Finish(CSettingsDialogModel::Job job);
    void UpdateButtons();
    LRESULT AskParent(UINT message, WPARAM wParam, LPARAM lParam);
    // True when nothing went to the board (0, or a busy link, which is said); the job ends.
    bool EndIfNotSent(LRESULT answer, CSettingsDialogModel::Job job);
    void EndWaitBox();

    std::unique_ptr<CSettingsDialogModel> m_model;
    SettingsRecord m_edit;  // the pages' copy of *m_pSettings
    int m_pendingPasswordGiven = 0;
    bool m_timeDialogOpen = false;
    bool m_linkLost = false;
    unsigned m_certReads = 0;  // answers to the certificate block reads so far
};
