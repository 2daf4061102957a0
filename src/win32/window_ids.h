#pragma once

// The names and numbers by which the converter's windows and their controls are found: by the
// single-instance check (the class name), by GetDlgItem, and by the tests that drive the windows.

namespace xq::win32 {

// The main window's class. At most 31 characters: the single-instance check reads it into a buffer
// of 32.
inline constexpr char kFormClass[] = "XQ3100Form1";
inline constexpr char kAboutClass[] = "XQ3100frmAbout";
// The main window's caption until start-up gives it the program title.
inline constexpr char kDesignCaption[] = "Form1";

// Controls of `Form1`.
namespace form_control {
inline constexpr int buttonOK = 1;  // IDOK: Enter presses it
inline constexpr int mainText = 101;
inline constexpr int logText = 102;
inline constexpr int DriveList = 103;
inline constexpr int DriveSize = 104;
inline constexpr int Label2 = 105;
inline constexpr int ProgressBar1 = 106;
inline constexpr int buttonBack = 107;
inline constexpr int buttonExit = 108;
inline constexpr int buttonLog = 109;
inline constexpr int showLog = 110;
inline constexpr int hideLog = 111;
inline constexpr int Line1 = 112;  // the three separator lines: Line1, Line1 + 1, Line1 + 2
}  // namespace form_control

// The menu entry that opens the About box.
inline constexpr int kAboutCommand = 201;

// Controls of `frmAbout`.
namespace about_control {
inline constexpr int cmdOK = 1;  // IDOK: Enter and Escape close the box
inline constexpr int picIcon = 301;
inline constexpr int lblTitle = 302;
inline constexpr int lblVersion = 303;
inline constexpr int lblDescription = 304;
}  // namespace about_control

}  // namespace xq::win32
