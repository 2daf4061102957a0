#pragma once

// Numbers of the window program's own resources, shared by window.rc and the code. Icon 1 is the
// program's icon (program.rc.in), which every program of the converter carries.

#define XQ_IDI_PROGRAM 1
#define XQ_IDI_SHOW_LOG 101  // the log button while the log is hidden
#define XQ_IDI_HIDE_LOG 102  // the log button while the log is shown
