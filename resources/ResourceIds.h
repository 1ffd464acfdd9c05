// Identifiers of the executable's resources, shared by the resource script and the code.
// Plain macros: the resource compiler reads this file too.
#pragma once

// Icon group of the product icon, shown in message boxes asking for the product icon.
#define IDI_TAMBER4 129

// String table: the default web script address, fetched when no script is found locally.
// The address itself comes from the build (the CMake cache variable
// TAMBER4_DEFAULT_WEB_SCRIPT_URL, written into WebScriptUrl.h).
#define IDS_WEB_SCRIPT_URL 131

// The download progress dialog and its controls (buttons are IDOK and IDCANCEL).
#define IDD_PROGRESS 128
#define IDC_PROGRESS_HEADER 1000
#define IDC_PROGRESS_BAR 1001
#define IDC_PROGRESS_FILE_LINE 1002
#define IDC_PROGRESS_BYTE_LINE 1003
