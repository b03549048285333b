// The network information in Korean, with the ANSI code page 949 (scripts/test
// runs *_ko_tests under LC_ALL=ko_KR.UTF-8).
#include "WinTestSupport.h"

#include "config/DlgNetInfo.h"
#include "framework/Resources.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {
std::string TabText(HWND tab, int i) {
    char buf[128] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    return buf;
}
} // namespace

TEST(InfoKorean, NetworkInformationReportsAndTabs) {
    ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
    CResources::SetLanguage(CResources::kKorean);
    CRecorder parent;
    parent.Create();
    CDlgNetInfo dlg(parent.m_hWnd);
    dlg.m_langId = 0x412;
    std::vector<std::string> tabs;
    std::string network;
    After(50, [&] {
        HWND tab = dlg.GetDlgItem(IDC_NETINFO_TAB);
        for (int i : {0, 1, 2}) tabs.push_back(TabText(tab, i));
        network = dlg.m_page.m_edit.GetWindowText().str();
        dlg.EndDialog(IDOK);
    });
    dlg.DoModal();
    EXPECT_EQ(tabs, (std::vector<std::string>{InAnsiCodePage(L"네트워크"), InAnsiCodePage(L"무선 LAN"),
                                              InAnsiCodePage(L"ARP/NDC 테이블")}));
    EXPECT_EQ(network.rfind(InAnsiCodePage(L"IPv4 네트워크 정보\r\n  제품 IP주소 - \r\n"), 0), 0u);
    EXPECT_EQ(TemplateCaption(CResources::LoadDialog(IDD_SEARCH_CH)), L"Channel 검색");
    CResources::SetLanguage(CResources::kEnglish);
    parent.DestroyWindow();
}
