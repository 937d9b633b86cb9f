#include "host/win32/win32_window.hpp"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/client_area.hpp"
#include "host/win32/wide_text.hpp"
#include "window/icon.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::host::win32 {
namespace {

// The desktop knows the program by its application id.
constexpr wchar_t kWindowClass[] = L"" NUV_APP_ID;
// A fixed-size window: a title bar with the close and minimise controls, no sizing border and no
// maximise control.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT kDefaultDpi = 96;

[[noreturn]] void fail(const std::string& what) {
  throw WindowSystemError(what + " (Windows error " + std::to_string(GetLastError()) + ")");
}

// The display's refresh, where Windows tells it.
Duration display_refresh() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  const bool known = EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) != 0 &&
                     mode.dmDisplayFrequency > 1;
  if (!known) return kAssumedRefresh;
  return std::chrono::duration_cast<Duration>(std::chrono::seconds{1}) / mode.dmDisplayFrequency;
}

HICON make_icon(int size) {
  const std::vector<std::uint32_t> pixels = window::application_icon(size);
  HBITMAP colour = CreateBitmap(size, size, 1, 32, pixels.data());
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);  // unused: the colour has alpha
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

// The size of the window whose client area is the layout's, at the window's density.
SIZE frame_size(const window::Layout& layout, UINT dpi) {
  RECT rect{0, 0, layout.client_width, layout.client_height};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, 0, dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// The monitor's density and work area, and the frame Windows draws at that density.
window::DesktopDensity density_of(UINT dpi, const RECT& work_area) {
  const window::Layout one = window::layout_at(1);
  const SIZE frame = frame_size(one, dpi);
  window::DesktopDensity density{.monitor_dpi = dpi};
  density.usable_area =
      window::Size{work_area.right - work_area.left, work_area.bottom - work_area.top};
  density.frame = window::Size{frame.cx - one.client_width, frame.cy - one.client_height};
  return density;
}

RECT work_area_of(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  return info.rcWork;
}

// Mouse messages Windows makes from a finger or a pen carry this mark in their extra information.
bool from_touch() {
  constexpr LPARAM kMask = static_cast<LPARAM>(0xFFFFFF00);
  constexpr LPARAM kPenOrTouch = static_cast<LPARAM>(0xFF515700);
  return (GetMessageExtraInfo() & kMask) == kPenOrTouch;
}

// Input a message carries, if it is input the viewer reads: typed characters, the pointer over
// the client area and its buttons, the button's time the message's own. The primary button's
// messages that a finger or a pen made are the finger's.
class MessageReader {
 public:
  std::optional<WindowInput> read(UINT message, WPARAM w, LPARAM l, LONG time) {
    const int x = static_cast<short>(LOWORD(l)), y = static_cast<short>(HIWORD(l));
    const auto stamp = static_cast<std::uint32_t>(time);
    const auto button = [&](bool pressed, bool primary) {
      return WindowInput::button(pressed, x, y, primary, stamp);
    };
    switch (message) {
      case WM_CHAR:
        if (const auto character = characters_.take(static_cast<char16_t>(w)))
          return WindowInput::typed_key(*character, combined());
        return std::nullopt;
      case WM_MOUSEMOVE:
        return WindowInput::moved_to(x, y, from_touch());
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP: {
        const bool pressed = message == WM_LBUTTONDOWN;
        return from_touch() ? WindowInput::finger(pressed, x, y, stamp) : button(pressed, true);
      }
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        return button(true, false);
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        return button(false, false);
      default:
        return std::nullopt;
    }
  }

 private:
  // Ctrl without Alt (Ctrl with Alt is AltGr, which types characters), or a Windows key, held
  // as the character was typed. Alt alone types none: its keys come as WM_SYSCHAR.
  static bool combined() {
    const auto held = [](int key) { return GetKeyState(key) < 0; };
    return (held(VK_CONTROL) && !held(VK_MENU)) || held(VK_LWIN) || held(VK_RWIN);
  }

  Utf16Characters characters_;
};

class Win32Window final : public WindowSystem {
 public:
  explicit Win32Window(std::optional<int> requested_zoom);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  const window::Layout& layout() const override { return layout_; }
  void use_zoom(int zoom) override;
  std::string zoom_notice() const override { return zoom_notice_; }
  std::chrono::milliseconds double_click_time() const override {
    return std::chrono::milliseconds{GetDoubleClickTime()};
  }
  // Windows' double-click rectangle, at the window's density, centred on the first press.
  int double_click_distance() const override {
    const UINT dpi = GetDpiForWindow(window_);
    return std::max(GetSystemMetricsForDpi(SM_CXDOUBLECLK, dpi),
                    GetSystemMetricsForDpi(SM_CYDOUBLECLK, dpi)) /
           2;
  }
  void present(const PictureRef& picture, bool repaint) override;
  bool visible() const override { return IsWindowVisible(window_) && !IsIconic(window_); }
  bool ready() const override { return true; }
  Duration refresh() const override { return refresh_; }
  void read(std::vector<WindowInput>& input) override;
  void wait(TimePoint until, Waitable signalled, std::vector<WindowInput>& input) override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  void create_window(std::optional<int> requested_zoom);
  void make_client_area();
  void release_client_area();
  void put_rows(HDC target, RowSpan rows);
  void on_density_change(UINT dpi, const RECT& suggested);

  bool follows_density_ = true;  // no zoom was asked for: the zoom follows the monitor's density
  window::Layout layout_ = window::layout_at(1);
  std::string zoom_notice_;
  Duration refresh_ = display_refresh();
  HWND window_ = nullptr;
  HICON icons_[2] = {};
  HDC memory_ = nullptr;  // holds the client area's pixels as a bitmap
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ replaced_ = nullptr;
  std::optional<ClientArea> area_;
  MessageReader reader_;
  std::vector<WindowInput>* input_ = nullptr;  // while messages are read
  std::vector<WindowInput> told_outside_reads_;  // what messages sent meanwhile said
  bool closed_ = false;
};

Win32Window::Win32Window(std::optional<int> requested_zoom) {
  // Sleeps to the millisecond, for the frame wait, as players and games ask.
  timeBeginPeriod(1);
  create_window(requested_zoom);
}

Win32Window::~Win32Window() {
  release_client_area();
  if (window_ != nullptr) DestroyWindow(window_);
  for (HICON icon : icons_)
    if (icon != nullptr) DestroyIcon(icon);
  timeEndPeriod(1);
}

// Made hidden where Windows places it, on a monitor that gives the density; then sized for the
// zoom and shown.
void Win32Window::create_window(std::optional<int> requested_zoom) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  icons_[0] = make_icon(window::kIconSizes[0]);
  icons_[1] = make_icon(window::kIconSizes[1]);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = procedure;
  type.hInstance = instance;
  type.hIcon = icons_[0];
  type.hIconSm = icons_[1];
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.lpszClassName = kWindowClass;
  if (RegisterClassExW(&type) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    fail("cannot register the window's class");
  window_ = CreateWindowExW(0, kWindowClass, to_wide(window::kCaption).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            nullptr, instance, this);
  if (window_ == nullptr) fail("cannot make the window");
  UINT dpi = GetDpiForWindow(window_);
  if (dpi == 0) dpi = kDefaultDpi;  // a window Windows tells no density of has the usual one
  follows_density_ = !requested_zoom;
  window::DesktopDensity density =
      density_of(dpi, work_area_of(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY)));
  density.requested = requested_zoom;
  const window::ZoomChoice zoom = window::choose_zoom(density);
  layout_ = window::layout_at(zoom.zoom);
  zoom_notice_ = zoom.notice;
  make_client_area();
  const SIZE size = frame_size(layout_, dpi);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

// The client area's pixels in a bitmap GDI copies from: 32 bits a pixel, 0x00RRGGBB, row 0 at
// the top, which is the client area's own format.
void Win32Window::make_client_area() {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = layout_.client_width;
  format.bmiHeader.biHeight = -layout_.client_height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
  memory_ = CreateCompatibleDC(nullptr);
  if (bitmap_ == nullptr || memory_ == nullptr) fail("cannot make the window's picture");
  replaced_ = SelectObject(memory_, bitmap_);
  const auto width = static_cast<std::size_t>(layout_.client_width);
  area_.emplace(layout_, PixelRows{static_cast<std::uint32_t*>(pixels), width, layout_.client_width,
                                   layout_.client_height});
}

void Win32Window::release_client_area() {
  area_.reset();
  if (memory_ != nullptr) {
    SelectObject(memory_, replaced_);
    DeleteDC(memory_);
    memory_ = nullptr;
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = nullptr;
}

// The window's client area at the new zoom, where the window is, in the frame of its density.
void Win32Window::use_zoom(int zoom) {
  release_client_area();
  layout_ = window::layout_at(zoom);
  make_client_area();
  const SIZE size = frame_size(layout_, GetDpiForWindow(window_));
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, FALSE);
}

// On a monitor of another density the window goes where Windows suggests, sized for its client
// area in the frame drawn there; where the zoom follows the density and the density there asks
// for another, the host is told, and the window takes it.
void Win32Window::on_density_change(UINT dpi, const RECT& suggested) {
  const window::Rezoomed moved = window::rezoomed(
      density_of(dpi, work_area_of(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST))),
      layout_.zoom, follows_density_,
      {suggested.left, suggested.top, suggested.right - suggested.left,
       suggested.bottom - suggested.top});
  SetWindowPos(window_, nullptr, moved.window.x, moved.window.y, moved.window.width,
               moved.window.height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (moved.zoom != layout_.zoom)
    (input_ != nullptr ? *input_ : told_outside_reads_)
        .push_back(WindowInput::rescaled_to(moved.zoom));
}

void Win32Window::put_rows(HDC target, RowSpan rows) {
  rows = rows.clipped(layout_.client_height);
  if (!rows.empty())
    BitBlt(target, 0, rows.first, layout_.client_width, rows.end - rows.first, memory_, 0,
           rows.first, SRCCOPY);
}

void Win32Window::present(const PictureRef& picture, bool repaint) {
  GdiFlush();  // GDI has finished reading the bitmap before it is written
  area_->show(picture);
  const RowSpan changed = area_->take_changed();
  HDC target = GetDC(window_);
  put_rows(target, repaint ? RowSpan{0, layout_.client_height} : changed);
  ReleaseDC(window_, target);
}

// Every message waiting is handled, the messages sent to the window among them; the close control
// ends the program once the message that brought it has been handled, outside the window
// procedure, through which no exception may pass.
void Win32Window::read(std::vector<WindowInput>& input) {
  input.insert(input.end(), told_outside_reads_.begin(), told_outside_reads_.end());
  told_outside_reads_.clear();
  input_ = &input;
  MSG message;
  while (!closed_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  input_ = nullptr;
  if (closed_) throw ProgramExit{0};
}

void Win32Window::wait(TimePoint until, Waitable signalled, std::vector<WindowInput>& input) {
  const auto milliseconds =
      std::chrono::ceil<std::chrono::milliseconds>(time_left(until, MonotonicClock::now())).count();
  HANDLE watched = signalled;
  MsgWaitForMultipleObjectsEx(1, &watched, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
  read(input);
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
    auto* self = static_cast<Win32Window*>(creation->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT Win32Window::handle(UINT message, WPARAM w, LPARAM l) {
  if (input_ != nullptr)
    if (const auto input = reader_.read(message, w, l, GetMessageTime())) {
      input_->push_back(*input);
      // A button held keeps the pointer's messages coming, also outside the window, so that a
      // release there ends the press, as on the other window systems.
      if (input->kind == WindowInput::Kind::pressed) SetCapture(window_);
      constexpr WPARAM kButtonsHeld = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
      if (input->kind == WindowInput::Kind::released && (w & kButtonsHeld) == 0) ReleaseCapture();
      return 0;
    }
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC target = BeginPaint(window_, &paint);
      if (area_) put_rows(target, RowSpan{paint.rcPaint.top, paint.rcPaint.bottom});
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted
    case WM_CLOSE:
      closed_ = true;
      return 0;
    case WM_DPICHANGED:
      on_density_change(HIWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    default:
      return DefWindowProcW(window_, message, w, l);
  }
}

}  // namespace

std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom) {
  return std::make_unique<Win32Window>(requested_zoom);
}

}  // namespace nuv::host::win32
