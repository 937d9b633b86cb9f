#include "host/sdl_host.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <wayland-client-core.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"
#include "host/key_codes.hpp"
#include "host/sdl_choices.hpp"
#include "host/sdl_error.hpp"
#include "host/sdl_handles.hpp"
#include "host/sdl_presenters.hpp"
#include "host/wayland_surface.hpp"
#include "host/x11_connection.hpp"
#include "window/icon.hpp"
#include "window/layout.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::host {
namespace {

using namespace std::chrono_literals;

// The X server's resource database as `xrdb -query` shows it, as the X library read it when
// SDL connected; empty on other window systems.
std::string x_resources(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  const char* resources = XResourceManagerString(info.info.x11.display);
  return resources != nullptr ? resources : "";
}

// The zoom asked for, else the desktop's pixel density, limited to what fits display 0, where
// the window opens. On Wayland the output's scale is the density, and the usable area is told
// in points of that scale. Only a window larger than the 1x one needs the usable area, which
// costs a round trip to the display to learn.
int choose_zoom(std::optional<int> requested, std::optional<int> wayland_scale,
                std::string_view x_resources) {
  window::DesktopDensity desktop{.requested = requested, .x_resources = x_resources};
  if (wayland_scale) desktop.wayland_scale = *wayland_scale;
  if (const char* gdk_scale = std::getenv("GDK_SCALE")) desktop.gdk_scale = gdk_scale;
  window::ZoomChoice choice = window::choose_zoom(desktop);
  SDL_Rect usable;
  const int points = wayland_scale.value_or(1);
  if (choice.zoom > 1 && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    desktop.usable_area = {usable.w * points, usable.h * points};
    choice = window::choose_zoom(desktop);
  }
  if (!choice.notice.empty()) std::fprintf(stderr, "%s\n", choice.notice.c_str());
  return choice.zoom;
}

std::int16_t button_state(Uint32 buttons) {
  return static_cast<std::int16_t>(((buttons & SDL_BUTTON_LMASK) ? 1 : 0) |
                                   ((buttons & SDL_BUTTON_RMASK) ? 2 : 0) |
                                   ((buttons & SDL_BUTTON_MMASK) ? 4 : 0));
}

std::int16_t shift_state(SDL_Keymod mods) {
  return static_cast<std::int16_t>(((mods & KMOD_SHIFT) ? 1 : 0) | ((mods & KMOD_CTRL) ? 2 : 0) |
                                   ((mods & KMOD_ALT) ? 4 : 0));
}

// Keys that arrive as key-downs rather than as typed text, with their character codes.
std::optional<std::int16_t> key_down_code(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return 27;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return 13;
    case SDLK_BACKSPACE:
      return 8;
    default:
      return std::nullopt;
  }
}

// The window system's connection, which becomes readable when input arrives: the X server's
// socket or the Wayland compositor's. -1 where there is none to watch.
int connection_fd(const SDL_SysWMinfo& info) {
  switch (info.subsystem) {
    case SDL_SYSWM_X11:
      return ConnectionNumber(info.info.x11.display);
    case SDL_SYSWM_WAYLAND:
      return wl_display_get_fd(info.info.wl.display);
    default:
      return -1;
  }
}

// How many drawable pixels a window point spans: the output's scale on Wayland, 1 on X11. SDL
// knows it from the window's creation, from the largest scale among the outputs.
int pixel_density(SDL_Window* window) {
  int pixels = 0, points = 0, height = 0;
  SDL_GetWindowSize(window, &points, &height);
  SDL_GetWindowSizeInPixels(window, &pixels, &height);
  return points > 0 ? std::max(1, pixels / points) : 1;
}

void print_runtime_error(const std::string& message) {
  std::fprintf(stderr, "nuv: run-time error: %s\n", message.c_str());
}

// The window, hidden, with the layout's client size and the caption.
SDL_Window* create_hidden_window(const window::Layout& layout, int position) {
  return checked(SDL_CreateWindow(std::string(window::kCaption).c_str(), position, position,
                                  layout.client_width, layout.client_height,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI),
                 "cannot create the window");
}

// How often the display shows a new picture: its mode's refresh rate, or 60 Hz without one.
std::chrono::steady_clock::duration refresh_period(SDL_Window* window) {
  SDL_DisplayMode mode{};
  const int rate = SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 &&
                           mode.refresh_rate > 0
                       ? mode.refresh_rate
                       : 60;
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(1s) / rate;
}

// Waits this short are left to the frame clock's spin: a sleep would overshoot them.
constexpr auto kShortestSleep = 200us;

// A wait that can sleep sleeps at least until a picture could next be seen: one display
// refresh while the window is visible, this long while it is hidden (and at most this long, so
// that the cycles slept past take little time to catch up). The frame clock makes up the time
// with the waits that follow, so the frames still advance at their rate.
constexpr auto kLongestNap = 20ms;

}  // namespace

// SDL itself: initialised before anything is made with it, shut down after all of it is gone.
struct SdlHost::Library {
  Library();
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  bool on_x11 = false;
};

SdlHost::Library::Library() {
  // Only drivers that put a window in front of the user: without a display the viewer must
  // say so, not run unseen on an offscreen driver.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, session_drivers());
  // The program ends on signals itself, at once; SDL would queue them as a quit event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A click that gives the window the focus is a click over the picture like any other; SDL
  // would drop one that comes within 10 ms of the focus, as one does on a click-to-focus desktop.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The desktop entry's id is the window's class on X11 and its app id on Wayland, where SDL
  // falls back to the X11 variable, so that the desktop shows the entry's name and icon for the
  // window. A class the user set for either driver stays.
  if (std::getenv("SDL_VIDEO_WAYLAND_WMCLASS") == nullptr)
    setenv("SDL_VIDEO_X11_WMCLASS", NUV_APP_ID, 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) throw WindowSystemError("cannot open the window system");
  on_x11 = std::string_view(SDL_GetCurrentVideoDriver()) == "x11";
  if (on_x11) x11::report_fatal_errors(print_runtime_error);
}

SdlHost::Library::~Library() {
  SDL_Quit();
  if (on_x11) x11::report_fatal_errors(nullptr);
}

// The open window: the image controls and what Picture1 shows, how it reaches the screen, and
// what the window system has asked for since it was last looked at.
struct SdlHost::Window {
  Window(WindowEvents& events, std::optional<int> requested_zoom);
  ~Window() { SDL_SetEventFilter(nullptr, nullptr); }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void open_at_zoom(std::optional<int> requested_zoom);
  PictureRef image_control(int number);
  void show();
  static int SDLCALL note_event(void* window, SDL_Event* event);
  void take_input(const std::function<void()>& act_on_requests);
  void dispatch(const SDL_Event& event);
  void deliver_pointer(int x, int y, Uint32 buttons);
  // At a zoom equal to the output's scale each layout pixel is one drawable pixel and a window
  // point spans `output_scale` layout pixels; at any other each layout pixel is a point, shown as
  // a square of `output_scale` drawable pixels.
  bool pixel_for_pixel() const { return layout.zoom == output_scale; }
  int pointer_scale() const { return pixel_for_pixel() ? output_scale : 1; }
  int magnify() const { return pixel_for_pixel() ? 1 : output_scale; }
  bool over_picture(int x, int y) const;
  bool hidden() const;
  std::chrono::steady_clock::duration nap() const;
  bool passed_over() const { return cycle_deadline < quiet_until; }
  void show_picture(PictureRef picture);
  void present_if_due();
  std::chrono::steady_clock::time_point next_present() const;
  void present(bool repaint = false);
  bool holds(const PictureRef& picture) const;
  bool wait_for_input(std::chrono::steady_clock::duration longest, int signal_fd) const;

  WindowEvents& events;
  WindowHandle window;
  std::array<PictureRef, frames::kFrameCount> image_controls;
  window::Layout layout;
  int output_scale = 1;  // drawable pixels a window point spans: 1 but on Wayland
  // On Wayland the client area goes straight to the compositor, elsewhere through SDL.
  std::unique_ptr<Presenter> presenter;
  int connection = -1;  // the window system's connection, where it has one to watch
  std::optional<x11::InputBatches> x11_input;

  // Noted as SDL queues the events; acted on after each reading of the window system.
  bool close_requested = false;
  bool repaint_requested = false;
  bool display_changed = false;
  bool resized = false;  // by another client: the window asks for its own size again

  // Picture1's picture, and whether the screen shows it yet.
  PictureRef picture1;
  bool picture_stale = false;
  bool drawn_since_read = false;  // drawing reads replies, and input that comes along with them
  std::chrono::steady_clock::time_point last_present;
  std::chrono::steady_clock::duration refresh;

  // The deadline of the current cycle's wait, and the time until which a wait has watched the
  // connection: a cycle whose deadline lies before it was slept past, nothing arrived for it,
  // and its picture would be seen too late to be worth drawing.
  std::chrono::steady_clock::time_point cycle_deadline;
  std::chrono::steady_clock::time_point quiet_until;
};

SdlHost::Window::Window(WindowEvents& window_events, std::optional<int> requested_zoom)
    : events(window_events) {
  open_at_zoom(requested_zoom);
  refresh = refresh_period(window.get());
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window.get(), &info)) {
    connection = connection_fd(info);
    if (info.subsystem == SDL_SYSWM_X11) {
      x11::let_window_manager_place(info.info.x11.display, info.info.x11.window);
      x11_input.emplace(info.info.x11.display);
    }
    if (info.subsystem == SDL_SYSWM_WAYLAND)
      presenter = std::make_unique<wayland::SharedMemorySurface>(
          info.info.wl.display, info.info.wl.surface, layout, magnify(), output_scale);
  }
  if (info.subsystem == SDL_SYSWM_WAYLAND && !presenter)
    throw WindowSystemError("cannot reach the Wayland surface");
  if (!presenter) presenter = make_sdl_presenter(window.get(), layout);
  auto icon = window::application_icon(window::kIconSizes[0]);
  const SurfaceHandle icon_surface(
      SDL_CreateRGBSurfaceWithFormatFrom(icon.data(), window::kIconSizes[0], window::kIconSizes[0],
                                         32, window::kIconSizes[0] * 4, SDL_PIXELFORMAT_ARGB8888));
  if (icon_surface) SDL_SetWindowIcon(window.get(), icon_surface.get());
  // Key releases and the keys that command nothing never reach the queue, so that a burst of
  // keys cannot fill it.
  SDL_EventState(SDL_KEYUP, SDL_IGNORE);
  SDL_SetEventFilter(note_event, this);
}

// The window is made hidden at the 1x size first, so that the zoom is chosen from what SDL's
// own connection tells. On X11 a window for a larger zoom is then made anew at that size, centred:
// SDL waits for the window manager's answer to a resize and to a move, ten milliseconds or more
// each. On Wayland the window's size is told in points of the output's scale, which SDL knows
// once the window exists: at a zoom equal to the scale each layout pixel is one output pixel; at
// any other zoom the window is the layout's size in points, and each layout pixel is magnified to
// a square of output pixels, still sharp.
void SdlHost::Window::open_at_zoom(std::optional<int> requested_zoom) {
  layout = window::layout_at(1);
  window.reset(create_hidden_window(layout, SDL_WINDOWPOS_UNDEFINED));
  if (std::string_view(SDL_GetCurrentVideoDriver()) != "wayland") {
    layout =
        window::layout_at(choose_zoom(requested_zoom, std::nullopt, x_resources(window.get())));
    if (layout.zoom != 1) {
      window.reset();
      window.reset(create_hidden_window(layout, SDL_WINDOWPOS_CENTERED));
    }
    return;
  }
  output_scale = pixel_density(window.get());
  layout = window::layout_at(choose_zoom(requested_zoom, output_scale, {}));
  if (!pixel_for_pixel())
    SDL_SetWindowSize(window.get(), layout.client_width, layout.client_height);
}

// Each image control is built when it is first read: its decoded picture. Only Image1 stands
// between start and the first frame on screen.
PictureRef SdlHost::Window::image_control(int number) {
  PictureRef& control = image_controls[number - 1];
  if (!control)
    control = std::make_shared<const frames::Picture>(
        frames::decode_picture_record(frames::stored_record(number, layout.zoom),
                                      frames::image_control_name(number), layout.zoom));
  return control;
}

// SDL shows the window once it is mapped; activation follows with the keyboard focus on it.
void SdlHost::Window::show() {
  SDL_ShowWindow(window.get());
  // The first frame is composed before activation, so that it goes on screen at once.
  presenter->area().show(image_control(1));
  SDL_RaiseWindow(window.get());
  SDL_SetWindowInputFocus(window.get());
  SDL_StartTextInput();
}

// Runs as SDL queues each event: notes what the window system asks for, so that it is done as
// soon as the window system has been read, also during a frame's wait, and keeps out of the
// queue what no handler takes.
int SDLCALL SdlHost::Window::note_event(void* window, SDL_Event* event) {
  auto& self = *static_cast<Window*>(window);
  switch (event->type) {
    case SDL_QUIT:
      self.close_requested = true;
      return 0;
    case SDL_WINDOWEVENT:
      switch (event->window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          self.close_requested = true;
          return 0;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
          self.repaint_requested = true;
          return 0;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
          self.display_changed = true;
          return 0;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          self.resized = true;
          return 0;
        default:
          return 1;
      }
    case SDL_KEYDOWN:
      return key_down_code(event->key.keysym.sym) ? 1 : 0;
    default:
      return 1;
  }
}

// Reads the window system. Requests are acted on after every batch of input, so that a
// burst of it still lets the window close, repaint or end on a signal.
void SdlHost::Window::take_input(const std::function<void()>& act_on_requests) {
  drawn_since_read = false;
  if (x11_input) {
    if (x11_input->pending())
      x11_input->feed([&] {
        SDL_PumpEvents();
        act_on_requests();
      });
  } else {
    SDL_PumpEvents();
  }
  act_on_requests();
}

// Sleeps until the window system has something to say, a signal comes, or `longest` has
// passed, at once while input read along with other input waits; true unless the time ran out.
// Without a connection to watch, it wakes often enough to time clicks to within a few
// milliseconds.
bool SdlHost::Window::wait_for_input(std::chrono::steady_clock::duration longest,
                                     int signal_fd) const {
  if (x11_input && x11_input->holding()) return true;
  std::array<pollfd, 2> watched{{{signal_fd, POLLIN, 0}, {connection, POLLIN, 0}}};
  if (connection < 0) longest = std::min<std::chrono::steady_clock::duration>(longest, 5ms);
  const auto seconds = std::chrono::floor<std::chrono::seconds>(longest);
  const timespec timeout{static_cast<time_t>(seconds.count()),
                         static_cast<long>(std::chrono::nanoseconds(longest - seconds).count())};
  return ppoll(watched.data(), watched.size(), &timeout, nullptr) != 0 || !x11_input;
}

bool SdlHost::Window::holds(const PictureRef& picture) const {
  return std::ranges::find(image_controls, picture) != image_controls.end();
}

bool SdlHost::Window::hidden() const {
  return (SDL_GetWindowFlags(window.get()) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
}

// A picture goes on screen only when it can be seen: not while the window is hidden, and not
// more often than the display refreshes. The latest one is drawn when its turn comes; the one
// on screen already is not drawn again.
void SdlHost::Window::show_picture(PictureRef picture) {
  if (picture != picture1) {
    picture1 = std::move(picture);
    picture_stale = true;
  }
  present_if_due();
}

std::chrono::steady_clock::duration SdlHost::Window::nap() const {
  return hidden() ? kLongestNap
                  : std::min<std::chrono::steady_clock::duration>(refresh, kLongestNap);
}

void SdlHost::Window::present_if_due() {
  if (!passed_over() && std::chrono::steady_clock::now() >= next_present()) present();
}

std::chrono::steady_clock::time_point SdlHost::Window::next_present() const {
  if (!picture_stale || hidden()) return std::chrono::steady_clock::time_point::max();
  return last_present + refresh;
}

// Puts the client area with Picture1's picture on screen; a repaint draws all of it again. While
// the compositor still reads every buffer, the picture stays due and is tried again a refresh
// later, so a present never waits.
void SdlHost::Window::present(bool repaint) {
  presenter->area().show(picture1);
  const bool shown = presenter->present(repaint);
  last_present = std::chrono::steady_clock::now();
  picture_stale = !shown;
  drawn_since_read = shown;
}

// Whether a window point lies over the visible part of Picture1's inner area.
bool SdlHost::Window::over_picture(int x, int y) const {
  return window::over_visible_inner_area(layout, x * pointer_scale(), y * pointer_scale());
}

// Input over the visible part of Picture1's inner area reaches the handlers; over the border or
// outside the window it does not, so positions always lie within the scale's visible range.
void SdlHost::Window::deliver_pointer(int x, int y, Uint32 buttons) {
  if (!over_picture(x, y)) return;
  x *= pointer_scale();
  y *= pointer_scale();
  const window::Point at = window::to_scale(layout, x - layout.inner.x, y - layout.inner.y);
  events.mouse_move(button_state(buttons), shift_state(SDL_GetModState()), at.x, at.y);
}

namespace {

// SDL reports the pointer leaving the window as a movement to the crossing point, clamped into
// the window, right before the window event that says it left: that is no movement over the
// picture.
bool leaves_next(const SDL_Event& motion) {
  SDL_Event next;
  return motion.type == SDL_MOUSEMOTION &&
         SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
         next.type == SDL_WINDOWEVENT && next.window.event == SDL_WINDOWEVENT_LEAVE;
}

}  // namespace

void SdlHost::Window::dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_TEXTINPUT:
      for (const std::int16_t code : key_codes_for_text(event.text.text)) events.key_press(code);
      break;
    case SDL_KEYDOWN:
      if (const auto code = key_down_code(event.key.keysym.sym)) events.key_press(*code);
      break;
    case SDL_MOUSEMOTION:
      if (!leaves_next(event)) deliver_pointer(event.motion.x, event.motion.y, event.motion.state);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT && event.button.clicks == 2 &&
          over_picture(event.button.x, event.button.y))
        events.double_click();
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT && event.button.clicks == 1 &&
          over_picture(event.button.x, event.button.y))
        events.click();
      break;
    default:
      break;
  }
}

SdlHost::SdlHost(std::optional<int> requested_zoom) : requested_zoom_(requested_zoom) {}
SdlHost::~SdlHost() = default;

// SDL is released after the window, and the process ends on a caught signal only after both.
int SdlHost::start(WindowEvents& window) {
  signals_ = std::make_unique<EndingSignals>();
  const int status = run(window);
  window_.reset();
  library_.reset();
  signals_->defer(false);  // a signal noted meanwhile ends the process here
  signals_.reset();
  if (ending_signal_) EndingSignals::end_by(*ending_signal_);
  return status;
}

// Failures of the window system and of the stored pictures end the program as run-time errors.
int SdlHost::run(WindowEvents& window) {
  try {
    try {
      library_ = std::make_unique<Library>();
      window_ = std::make_unique<Window>(window, requested_zoom_);
      window_->show();
      signals_->defer(true);
      window.activate();
    } catch (const std::exception& error) {
      runtime_error(error.what());
    }
  } catch (const ProgramExit& exit) {
    return exit.status;
  }
  __builtin_unreachable();  // activation returns only by throwing
}

// After each reading of the window system: a signal or the close control ends the program,
// and a window that needs it is drawn again from the current picture. No handler runs here.
void SdlHost::act_on_requests() {
  if (const auto signal = signals_->take_noted()) {
    ending_signal_ = signal;
    throw ProgramExit{128 + *signal};
  }
  Window& w = *window_;
  if (w.close_requested) throw ProgramExit{0};
  if (w.display_changed) {
    w.display_changed = false;
    w.refresh = refresh_period(w.window.get());
  }
  if (w.resized) {
    w.resized = false;
    SDL_SetWindowSize(w.window.get(), w.layout.client_width / w.pointer_scale(),
                      w.layout.client_height / w.pointer_scale());
  }
  if (w.repaint_requested) {
    w.repaint_requested = false;
    if (!w.hidden()) w.present(true);
  }
}

void SdlHost::take_input() {
  window_->take_input([this] { act_on_requests(); });
}

PictureRef SdlHost::image_picture(int image_number) {
  if (!frames::is_image_number(image_number))
    runtime_error(frames::image_control_name(image_number) + " holds no picture");
  return window_->image_control(image_number);
}

void SdlHost::set_picture(PictureRef picture) {
  if (picture && !window_->holds(picture))
    runtime_error("Picture1 cannot show a picture that no image control holds");
  window_->show_picture(std::move(picture));
}

// A wait sleeps until a picture could next be seen, past its deadline when that is sooner,
// watching the connection meanwhile; the frame clock then runs the cycles slept past at once,
// without reading or drawing, and takes the time off the waits that follow. Input that arrives
// ends such a sleep, so it is read in the pump pass of the first cycle due after it, as if every
// wait had ended on time. The window system is read when it has something to say and after
// anything is drawn.
void SdlHost::idle_until(std::chrono::steady_clock::time_point deadline) {
  using std::chrono::steady_clock;
  Window& w = *window_;
  w.cycle_deadline = deadline;
  w.present_if_due();
  const auto started = steady_clock::now();
  if (deadline - started <= kShortestSleep) return;
  const auto end = std::max(deadline, started + w.nap());
  for (bool woken = false;;) {
    for (; woken || w.drawn_since_read; woken = false) take_input();
    woken = w.wait_for_input(std::min(end, w.next_present()) - steady_clock::now(),
                             signals_->descriptor());
    if (const auto now = steady_clock::now(); now >= deadline) {
      w.quiet_until = now;
      return;
    }
    w.present_if_due();
  }
}

void SdlHost::idle(std::chrono::microseconds duration) {
  clock_.wait(duration);
}

// Every event that has arrived by now is handled; what arrives meanwhile waits for the next
// pass, so a burst still arriving cannot hold the pass.
void SdlHost::pump() {
  // A wait that watched the connection past this cycle's deadline saw nothing arrive for it.
  if (!window_->passed_over()) take_input();
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1)
    window_->dispatch(event);
  window_->present_if_due();
}

// Nothing but Picture1's picture is ever drawn, so redrawing the client area erases the rest.
void SdlHost::clear_window() {
  window_->present(true);
}

void SdlHost::end_program() {
  throw ProgramExit{0};
}

// The message box waits for the user; a signal meanwhile ends the process at once, and the
// box's own process with it.
void SdlHost::runtime_error(const std::string& message) {
  print_runtime_error(message);
  if (signals_) signals_->defer(false);
  end_children_with_this_process();
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "NUV", message.c_str(),
                           window_ ? window_->window.get() : nullptr);
  throw ProgramExit{1};
}

}  // namespace nuv::host
