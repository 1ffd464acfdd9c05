// DialogText: reads the live progress dialog of the bootstrapper for an end-to-end test.
//
//   DialogText.exe [--timeout-ms N] [--screenshot FILE.bmp] [--press cancel]
//
// Waits up to N milliseconds (default 30000) for a visible #32770 window that has the
// dialog's file line (control 1002), then prints its caption, header (1000), file line
// (1002) and byte line (1003), escaped (see EscapedText.h). With --screenshot it writes the
// dialog's pixels as a 24-bit BMP (under a real display). With --press cancel it presses
// the dialog's Cancel button afterwards.
//
// Exit codes: 0 read; 2 bad arguments; 3 no dialog in time; 4 the screenshot failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "EscapedText.h"

namespace {

constexpr int kHeader = 1000, kFileLine = 1002, kByteLine = 1003;

std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  if (!GetClassNameW(window, className, 16) || std::wcscmp(className, L"#32770") != 0) return TRUE;
  if (!IsWindowVisible(window) || GetDlgItem(window, kFileLine) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

struct Picture {
  BITMAPINFOHEADER info{};
  std::vector<unsigned char> pixels;  // bottom-up rows of 24-bit pixels, each padded to 4 bytes
};

// Whether the picture has more than a few colours: painted, not a blank rectangle.
bool Painted(const Picture& picture) {
  std::vector<unsigned> colours;
  for (std::size_t i = 0; i + 2 < picture.pixels.size() && colours.size() <= 3; i += 3) {
    const unsigned colour = picture.pixels[i] | picture.pixels[i + 1] << 8 | picture.pixels[i + 2] << 16;
    if (std::find(colours.begin(), colours.end(), colour) == colours.end()) colours.push_back(colour);
  }
  return colours.size() > 3;
}

// The window's pixels, copied from the screen.
bool Capture(HWND window, Picture* picture) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER& info = picture->info;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char>& pixels = picture->pixels;
  pixels.assign(static_cast<std::size_t>(stride) * height, 0);
  const int lines = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return lines == height;
}

// The window as a bottom-up 24-bit BMP file, once it has been painted (or after ten seconds:
// a busy machine paints late).
bool WriteScreenshot(HWND window, const std::wstring& path) {
  Picture picture;
  const DWORD start = GetTickCount();
  do {
    Sleep(300);
    if (!Capture(window, &picture)) return false;
  } while (!Painted(picture) && GetTickCount() - start < 10000);
  const BITMAPINFOHEADER& info = picture.info;
  const std::vector<unsigned char>& pixels = picture.pixels;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD timeout = 30000;
  std::wstring screenshot;
  bool cancel = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i], value = argv[i + 1];
    if (name == L"--timeout-ms") timeout = static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10));
    else if (name == L"--screenshot") screenshot = value;
    else if (name == L"--press" && value == L"cancel") cancel = true;
    else return 2;
  }
  const DWORD start = GetTickCount();
  HWND dialog = nullptr;
  // The texts are set in WM_INITDIALOG, before the dialog is shown: a visible dialog has them.
  while (dialog == nullptr && GetTickCount() - start < timeout) {
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) Sleep(20);
  }
  if (dialog == nullptr) {
    std::printf("no dialog\n");
    return 3;
  }
  std::printf("caption: %s\n", EncodeEscapes(TextOf(dialog)).c_str());
  std::printf("header: %s\n", EncodeEscapes(TextOf(GetDlgItem(dialog, kHeader))).c_str());
  std::printf("file: %s\n", EncodeEscapes(TextOf(GetDlgItem(dialog, kFileLine))).c_str());
  std::printf("bytes: %s\n", EncodeEscapes(TextOf(GetDlgItem(dialog, kByteLine))).c_str());
  std::fflush(stdout);
  if (!screenshot.empty()) {
    if (!WriteScreenshot(dialog, screenshot)) return 4;
  }
  if (cancel) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return 0;
}
