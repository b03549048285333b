// The private window messages between the program's windows, and from the
// serial reader thread to the main window. Fixed numbers; none is registered
// at run time. Unless a line says "post", the message is sent and the sender
// may use the result. The receiver is the sender's parent unless named.
// Portable: the core names these numbers without <windows.h>.
#pragma once

namespace zv_msg {
constexpr unsigned int kUser = 0x0400;  // WM_USER
}

// post, serial reader thread -> main window. wParam MAKEWPARAM(comm events & event mask,
// low word of the ClearCommError error bits); lParam 0. Read and process what arrived.
constexpr unsigned int WM_USER_SERIAL_EVENT = zv_msg::kUser + 100;            // 0x464
// splitter on button release -> its parent (main window or bottom pane). wParam the
// CSplitter; lParam 0. The parent reads the splitter's last drag offset; result 0.
constexpr unsigned int WM_USER_SPLITTER_MOVED = zv_msg::kUser + 101;          // 0x465
// file list; main window after reading the board image and on a break event -> main window.
// wParam the FileEntry; lParam 1 image entry, 0 text entry. Show it in the image pane or editor.
constexpr unsigned int WM_USER_OPEN_FILE = zv_msg::kUser + 102;               // 0x466
// editor on its first change after the save point; image pane after a resize -> main window.
// wParam 0, lParam 0. Mark the current entry changed.
constexpr unsigned int WM_USER_DOC_MODIFIED = zv_msg::kUser + 103;            // 0x467
// picture button while drawing -> main window. wParam the CPngButton; lParam 0.
// Result: a new HBITMAP of the button's size filled with the dialog colour (the button owns it).
constexpr unsigned int WM_USER_GET_BUTTON_BKGND = zv_msg::kUser + 104;        // 0x468
// settings dialog "Write" -> main window. wParam the settings dialog; lParam 0.
// Write the settings block (request 04/21).
constexpr unsigned int WM_USER_WRITE_SETTINGS = zv_msg::kUser + 105;          // 0x469
// post, wait box mode 0, 500 ms after it opened -> main window. wParam 0, lParam 0.
// Build and send the file-system image.
constexpr unsigned int WM_USER_START_UPLOAD = zv_msg::kUser + 106;            // 0x46A
// settings dialog -> main window. wParam the settings dialog; lParam 0. Read the certificate
// block into the dialog (request 03/24); result 1 sent, 0 not connected. The read's end is
// handed to CDlgSetting::OnCertBlockRead (also when it failed: the dialog waits for it).
constexpr unsigned int WM_USER_READ_CERT_BLOCK = zv_msg::kUser + 108;         // 0x46C
// settings dialog -> main window. wParam the "eVnM" block; lParam its length (u16).
// Write the certificate block (request 04/24).
constexpr unsigned int WM_USER_WRITE_CERT_BLOCK = zv_msg::kUser + 109;        // 0x46D
// find dialog (1), replace dialog (2, 3, 4) -> editor. wParam 1 find next from the find
// dialog, 2 find next from the replace dialog, 3 replace, 4 replace all; lParam 0.
constexpr unsigned int WM_USER_FIND_REPLACE = zv_msg::kUser + 110;            // 0x46E
// file list -> main window. wParam 0, lParam 0. Reset the editor document; result 1.
constexpr unsigned int WM_USER_CURRENT_FILE_REMOVED = zv_msg::kUser + 111;    // 0x46F
// firmware-upgrade dialog -> main window. wParam the dialog; lParam 0. Restart the board into
// boot-loader mode (system command 05/23, value 100); result 1 when already in that mode,
// 0 when the command was sent; not connected: message and 0.
constexpr unsigned int WM_USER_UPGRADE_ENTER_ISP = zv_msg::kUser + 112;       // 0x470
// firmware-upgrade dialog -> main window. wParam firmware file path (char*); lParam the dialog.
// Start flashing (first unlock line).
constexpr unsigned int WM_USER_UPGRADE_START = zv_msg::kUser + 113;           // 0x471
// main window while streaming -> firmware-upgrade dialog. wParam bytes sent so far; lParam 0.
constexpr unsigned int WM_USER_UPGRADE_PROGRESS = zv_msg::kUser + 114;        // 0x472
// main window: send on "204 CRC OK", post on failures -> firmware-upgrade dialog.
// wParam 1 success, 0 failure; lParam 0. A non-zero result to a 1 makes the main window
// send the boot-flag line.
constexpr unsigned int WM_USER_UPGRADE_RESULT = zv_msg::kUser + 115;          // 0x473
// file list: Delete key, menu "Delete" -> main window. wParam 0, lParam 0. Drop the selected entries.
constexpr unsigned int WM_USER_DELETE_FILES = zv_msg::kUser + 116;            // 0x474
// post, main window when the board answers in boot-loader mode while an upgrade waits ->
// firmware-upgrade dialog. wParam 1; lParam 0. The dialog goes on with WM_USER_UPGRADE_SEND_TEST.
constexpr unsigned int WM_USER_ISP_CONNECTED = zv_msg::kUser + 117;           // 0x475
// post, main window on "202 Test OK", after 1 s -> firmware-upgrade dialog. wParam 1; lParam 0.
// The dialog goes on with WM_USER_UPGRADE_START.
constexpr unsigned int WM_USER_UPGRADE_TEST_OK = zv_msg::kUser + 118;         // 0x476
// main window and bottom pane "Add", "Refresh" -> main window. wParam task number (always 0);
// lParam 1 start at the first watch row, 0 next row. Read a watch value (request 01/60).
constexpr unsigned int WM_USER_WATCH_NEXT = zv_msg::kUser + 123;              // 0x47B
// file list: drag over, context menu -> main window. wParam 0, lParam 0. Result 1 when
// connected, no job running, uploads allowed and not in boot-loader mode, else 0.
constexpr unsigned int WM_USER_QUERY_FILES_EDITABLE = zv_msg::kUser + 124;    // 0x47C
// wait box mode 2, once a second -> its owner, the main window. wParam 0, lParam 0.
// Unhandled there: the default result 0 keeps the box open.
constexpr unsigned int WM_USER_QUERY_WAIT_END = zv_msg::kUser + 125;          // 0x47D
// firmware-upgrade dialog -> main window. wParam firmware file path (char*); lParam the dialog.
// Send "tf 0".
constexpr unsigned int WM_USER_UPGRADE_SEND_TEST = zv_msg::kUser + 129;       // 0x481
// main window on reply 04/21 -> settings dialog. wParam 1 written, 0 failed; lParam 0.
// Success asks whether to reboot; failure shows string 147.
constexpr unsigned int WM_USER_SETTINGS_WRITTEN = zv_msg::kUser + 130;        // 0x482
// settings dialog -> main window. wParam 0, lParam 0. Reboot (system command 05/22, value 200).
constexpr unsigned int WM_USER_REBOOT = zv_msg::kUser + 131;                  // 0x483
// post, wait box modes 1 and 2, 500 ms after it opened -> main window. wParam 0, lParam 0.
// Start identification (or the reset-mode request).
constexpr unsigned int WM_USER_START_IDENTIFY = zv_msg::kUser + 132;          // 0x484
// file list after add, new, rename, drop, recent-list changes -> main window.
// wParam 0, lParam 0. Refresh buttons, flash usage and list.
constexpr unsigned int WM_USER_FILES_CHANGED = zv_msg::kUser + 133;           // 0x485
// settings dialog: set, delete -> main window. wParam the settings dialog; lParam a string of
// 76 hex characters (the 38-byte password record). Request 05/24, then the 3 s reconnect timer;
// result 1 sent, 0 nothing sent (not connected: no wait box then).
constexpr unsigned int WM_USER_SET_PASSWORD = zv_msg::kUser + 134;            // 0x486
// main window timer 10 -> settings dialog. wParam 1 the board came back after the change,
// 0 the change failed (refused, or no board after about a minute); lParam 0. The dialog ends
// its wait box and takes the new password state only on 1.
constexpr unsigned int WM_USER_PASSWORD_DONE = zv_msg::kUser + 135;           // 0x487
// settings dialog -> main window. wParam the "eVnC" block; lParam its length (u16).
// Write the key block (request 04/22).
constexpr unsigned int WM_USER_WRITE_KEY_BLOCK = zv_msg::kUser + 136;         // 0x488
// settings dialog -> main window. wParam the settings dialog; lParam 0.
// Query "mmap/rtc0 ioctl get date".
constexpr unsigned int WM_USER_GET_RTC_DATE = zv_msg::kUser + 142;            // 0x48E
// main window -> settings dialog. wParam date text (char*); lParam 1 (0 is ignored).
// The dialog opens the time-setting dialog.
constexpr unsigned int WM_USER_RTC_DATE = zv_msg::kUser + 143;                // 0x48F
// settings dialog -> main window. wParam the settings dialog; lParam date text of 14 digits,
// year first. Query "mmap/rtc0 ioctl set date %s"; result 1 sent, 0 not.
constexpr unsigned int WM_USER_SET_RTC_DATE = zv_msg::kUser + 144;            // 0x490
// main window after the set-date reply -> settings dialog. wParam 0; lParam 1 (string 149 shown).
constexpr unsigned int WM_USER_SAVE_RESULT = zv_msg::kUser + 145;             // 0x491
// file list "New" -> main window. wParam 1 ".php" file, 2 other text file, 0 not a text file;
// lParam 0. Store the editor text and start a new document (1: "<?php\r\n\r\n?>", 2: empty).
constexpr unsigned int WM_USER_NEW_DOCUMENT = zv_msg::kUser + 146;            // 0x492
// editor context menu and F9 -> main window. wParam 0 toggle at the caret line,
// 1 run to the caret line; lParam 0.
constexpr unsigned int WM_USER_TOGGLE_BREAKPOINT = zv_msg::kUser + 147;       // 0x493
// editor context menu -> main window. wParam 0, lParam 0. Remove all breakpoints.
constexpr unsigned int WM_USER_REMOVE_BREAKPOINTS = zv_msg::kUser + 148;      // 0x494
// editor context menu -> main window. wParam 0, lParam 0. Step into when Step In is enabled.
constexpr unsigned int WM_USER_STEP_INTO = zv_msg::kUser + 149;               // 0x495
// editor context menu -> main window. wParam 0, lParam 0. Step over when Step Over is enabled.
constexpr unsigned int WM_USER_STEP_OVER = zv_msg::kUser + 150;               // 0x496
// firmware-upgrade dialog -> main window. wParam the dialog; lParam 0. Send "de 0".
constexpr unsigned int WM_USER_UPGRADE_READ_ENV = zv_msg::kUser + 153;        // 0x499
// main window: send on "200 ", post on "300 " -> firmware-upgrade dialog. wParam firmware name
// text (char*) or 0; lParam 1, or 0 on failure. The dialog checks the name.
constexpr unsigned int WM_USER_UPGRADE_ENV_NAME = zv_msg::kUser + 154;        // 0x49A
// file list on selection -> main window. wParam file name (char*); lParam data length (u32).
// Name and size labels.
constexpr unsigned int WM_USER_SHOW_FILE_INFO = zv_msg::kUser + 155;          // 0x49B
// access-point and channel search dialogs, to their grandparent -> main window.
// wParam the requesting dialog; lParam 0. Start a WLAN scan.
constexpr unsigned int WM_USER_START_SCAN = zv_msg::kUser + 156;              // 0x49C
// main window -> the requesting search dialog. wParam the list of scan records, 0 when
// refused; lParam 0. Show the results.
constexpr unsigned int WM_USER_SCAN_DONE = zv_msg::kUser + 157;               // 0x49D
// file list "Change firmware" -> main window. wParam entry name (char*); lParam 0. Request 05/60.
constexpr unsigned int WM_USER_CHANGE_FIRMWARE = zv_msg::kUser + 158;         // 0x49E
// search dialog closing while its scan runs -> main window. wParam the dialog; lParam 0.
// The main window forgets the requester when it is that dialog (no notice reaches a
// dialog that is gone); the scan itself may finish.
constexpr unsigned int WM_USER_CANCEL_SCAN = zv_msg::kUser + 159;             // 0x49F
// The main window's answer to a settings dialog's write, clock or password request
// while the link runs another job (the reconnect after a password change, say):
// nothing was sent, and the board is not to blame.
constexpr int kAnswerLinkBusy = -1;
// The main window's answer to a settings dialog's clock request without a port: nothing
// was sent and the main window said so ("Open a COM port and try again.").
constexpr int kAnswerNotConnected = -2;

// Drag and drop, from the drop target to the file list.
// On drag enter. wParam the list of dragged paths (CStringArray); lParam an int the
// window sets, non-zero: the drop is allowed.
constexpr unsigned int WM_FILEDRAG_OVER = 0x2B11;
// On drop. wParam the list of dropped paths; lParam the drop point (CPoint, client).
// The lists live only for the call.
constexpr unsigned int WM_FILEDRAG_DROP = 0x2B13;
// On drag leave. wParam 0, lParam 0. Nothing.
constexpr unsigned int WM_FILEDRAG_LEAVE = 0x2B14;
