#include "host/wayland/wayland_window.hpp"

#include <fractional-scale-v1.h>
#include <libdecor.h>
#include <wayland-client.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host/posix/readable.hpp"
#include "host/wayland/connection.hpp"
#include "host/wayland/seat.hpp"
#include "host/wayland/shm_surface.hpp"
#include "host/wayland/surface_scale.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::host::wayland {
namespace {

// The output a window opens on is not known before it is shown: the one of the largest scale is
// taken, as the one it would be blurred on otherwise.
const Output* densest(const Connection& connection) {
  const Output* found = nullptr;
  for (const Output& output : connection.outputs())
    if (output.scale > 0 && (found == nullptr || output.scale > found->scale)) found = &output;
  return found;
}

// A compositor tells neither the frame it or libdecor puts round a window before the window is
// shown, nor the panels on an output: room for a title bar is kept, in points.
constexpr window::Size kAssumedFrame{0, 32};

// The display's scale is the output's, or the fractional one the compositor prefers for the
// window where it tells one.
window::ZoomChoice choose_zoom(std::optional<int> requested, const Output* output,
                               std::optional<double> preferred_scale = {}) {
  window::DesktopDensity density{.requested = requested};
  if (output != nullptr) {
    density.display_scale = preferred_scale.value_or(output->scale);
    density.output_scale = output->scale;
    if (output->width > 0 && output->height > 0)
      density.usable_area =
          window::Size{output->width / output->scale, output->height / output->scale};
    density.frame = kAssumedFrame;
  }
  return window::choose_zoom(density);
}

// libdecor tells its errors with no word of the window: there is one.
std::string decoration_error;

class WaylandWindow final : public WindowSystem {
 public:
  explicit WaylandWindow(std::optional<int> requested_zoom);
  ~WaylandWindow() override;

  const window::Layout& layout() const override { return layout_; }
  void use_zoom(int zoom) override;
  std::string zoom_notice() const override { return zoom_.notice; }
  std::chrono::milliseconds double_click_time() const override { return kDoubleClickTime; }
  void present(const PictureRef& picture, bool repaint) override;
  bool visible() const override { return shm_->shown(MonotonicClock::now()); }
  bool ready() const override { return configured_ && shm_->ready(); }
  Duration refresh() const override;
  void read(std::vector<WindowInput>& input) override;
  void wait(TimePoint until, Waitable signal_fd, std::vector<WindowInput>& input) override;

 private:
  static libdecor_interface kDecorEvents;
  static libdecor_frame_interface kFrameEvents;
  static const wl_surface_listener kSurfaceEvents;
  static const wp_fractional_scale_v1_listener kFractionalScaleEvents;
  void use_scale(int output_scale);
  const Output* densest_entered() const;
  int entered_scale() const;
  void follow_density(std::vector<WindowInput>& input);
  void configure(libdecor_configuration* configuration);
  void commit_size(libdecor_configuration* configuration);
  window::Size window_points() const { return imposed_.value_or(scale_.points); }
  void rebuild_surface();
  void dispatch(std::vector<WindowInput>& input, TimePoint until, Waitable signalled);
  void after_dispatch(std::vector<WindowInput>& input);

  Connection connection_;
  bool follows_density_;  // no zoom was asked for: the zoom follows the outputs' scales
  int asked_zoom_ = 0;    // the zoom the host was last told the outputs ask for
  window::ZoomChoice zoom_;
  window::Layout layout_;
  SurfaceScale scale_;
  wl_surface* surface_ = nullptr;
  std::optional<ShmSurface> shm_;
  std::optional<Seat> seat_;
  libdecor* decor_ = nullptr;
  libdecor_frame* frame_ = nullptr;
  std::vector<const wl_output*> entered_;  // the outputs the surface is on
  wp_fractional_scale_v1* fractional_scale_ = nullptr;
  std::optional<double> preferred_scale_;  // the compositor's for the surface, where it tells one
  std::optional<window::Size> imposed_;    // a size the compositor gave the window, in points
  PictureRef shown_;                       // the picture last put on the surface

  // What the compositor's callbacks said, acted on once they have returned.
  bool configured_ = false;
  bool resized_ = false;
  bool close_requested_ = false;
};

// libdecor's interfaces end in reserved members, left empty.
libdecor_interface WaylandWindow::kDecorEvents = [] {
  libdecor_interface events{};
  events.error = [](libdecor*, libdecor_error, const char* message) { decoration_error = message; };
  return events;
}();

libdecor_frame_interface WaylandWindow::kFrameEvents = [] {
  libdecor_frame_interface events{};
  events.configure = [](libdecor_frame*, libdecor_configuration* configuration, void* self) {
    static_cast<WaylandWindow*>(self)->configure(configuration);
  };
  events.close = [](libdecor_frame*, void* self) {
    static_cast<WaylandWindow*>(self)->close_requested_ = true;
  };
  events.commit = [](libdecor_frame*, void* self) {
    wl_surface_commit(static_cast<WaylandWindow*>(self)->surface_);
  };
  events.dismiss_popup = [](libdecor_frame*, const char*, void*) {};
  return events;
}();

const wl_surface_listener WaylandWindow::kSurfaceEvents = {
    .enter =
        [](void* self, wl_surface*, wl_output* output) {
          static_cast<WaylandWindow*>(self)->entered_.push_back(output);
        },
    .leave =
        [](void* self, wl_surface*, wl_output* output) {
          auto& entered = static_cast<WaylandWindow*>(self)->entered_;
          std::erase(entered, output);
        },
};

// In 120ths.
const wp_fractional_scale_v1_listener WaylandWindow::kFractionalScaleEvents = {
    .preferred_scale =
        [](void* self, wp_fractional_scale_v1*, std::uint32_t scale) {
          static_cast<WaylandWindow*>(self)->preferred_scale_ = scale / 120.0;
        },
};

WaylandWindow::WaylandWindow(std::optional<int> requested_zoom)
    : follows_density_(!requested_zoom),
      zoom_(choose_zoom(requested_zoom, densest(connection_))),
      layout_(window::layout_at(zoom_.zoom)),
      scale_(surface_scale(layout_, densest(connection_) ? densest(connection_)->scale : 1)) {
  surface_ = wl_compositor_create_surface(connection_.compositor());
  wl_surface_add_listener(surface_, &kSurfaceEvents, this);
  if (wp_fractional_scale_manager_v1* manager = connection_.fractional_scale()) {
    fractional_scale_ = wp_fractional_scale_manager_v1_get_fractional_scale(manager, surface_);
    wp_fractional_scale_v1_add_listener(fractional_scale_, &kFractionalScaleEvents, this);
  }
  shm_.emplace(connection_, surface_, layout_, scale_, window_points());
  seat_.emplace(connection_, surface_);
  seat_->set_scale(scale_, window_points());
  decor_ = libdecor_new(connection_.display(), &kDecorEvents);
  frame_ = decor_ != nullptr ? libdecor_decorate(decor_, surface_, &kFrameEvents, this) : nullptr;
  if (frame_ == nullptr)
    throw WindowSystemError("the Wayland compositor " + connection_.name() + " gives no window");
  libdecor_frame_set_app_id(frame_, NUV_APP_ID);
  libdecor_frame_set_title(frame_, std::string(window::kCaption).c_str());
  libdecor_frame_unset_capabilities(
      frame_,
      static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
  libdecor_frame_set_min_content_size(frame_, scale_.points.width, scale_.points.height);
  libdecor_frame_set_max_content_size(frame_, scale_.points.width, scale_.points.height);
  libdecor_frame_map(frame_);
  wl_display_flush(connection_.display());
}

WaylandWindow::~WaylandWindow() {
  shm_.reset();
  seat_.reset();
  if (frame_ != nullptr) libdecor_frame_unref(frame_);
  if (decor_ != nullptr) libdecor_unref(decor_);
  if (fractional_scale_ != nullptr) wp_fractional_scale_v1_destroy(fractional_scale_);
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  wl_display_flush(connection_.display());
}

// The window keeps its fixed size where the compositor leaves the size to it. The size it gives a
// tiled, maximised or fullscreen window is taken, as is one it gives a window already shown (as
// sway's resize command does), which would otherwise overflow the frame drawn round it; the
// first size it suggests for a new window is not.
void WaylandWindow::configure(libdecor_configuration* configuration) {
  constexpr int kImposingStates =
      LIBDECOR_WINDOW_STATE_MAXIMIZED | LIBDECOR_WINDOW_STATE_FULLSCREEN |
      LIBDECOR_WINDOW_STATE_TILED_LEFT | LIBDECOR_WINDOW_STATE_TILED_RIGHT |
      LIBDECOR_WINDOW_STATE_TILED_TOP | LIBDECOR_WINDOW_STATE_TILED_BOTTOM;
  libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
  libdecor_configuration_get_window_state(configuration, &state);
  // libdecor keeps a floating window's size within its limits: without them, the size given.
  libdecor_frame_set_min_content_size(frame_, 0, 0);
  libdecor_frame_set_max_content_size(frame_, 0, 0);
  window::Size given{};
  const bool sized =
      libdecor_configuration_get_content_size(configuration, frame_, &given.width, &given.height);
  const window::Size before = window_points();
  const window::Size now =
      configured_size(sized ? std::optional(given) : std::nullopt, (state & kImposingStates) != 0,
                      configured_, scale_.points);
  imposed_.reset();
  if (now.width != scale_.points.width || now.height != scale_.points.height) imposed_ = now;
  resized_ = now.width != before.width || now.height != before.height;
  commit_size(configuration);
  // A window shown already takes the new state with a commit of its own, with a picture of its
  // new size where it has one; a new one with its first picture.
  if (configured_ && !resized_) wl_surface_commit(surface_);
  configured_ = true;
}

void WaylandWindow::commit_size(libdecor_configuration* configuration) {
  libdecor_frame_set_min_content_size(frame_, scale_.points.width, scale_.points.height);
  libdecor_frame_set_max_content_size(frame_, scale_.points.width, scale_.points.height);
  libdecor_state* state = libdecor_state_new(window_points().width, window_points().height);
  libdecor_frame_commit(frame_, state, configuration);
  libdecor_state_free(state);
}

// Of the outputs the surface is on, the one of the largest scale: the window is sharp there.
const Output* WaylandWindow::densest_entered() const {
  const Output* found = nullptr;
  for (const wl_output* handle : entered_)
    if (const Output* output = connection_.output(handle);
        output != nullptr && (found == nullptr || output->scale > found->scale))
      found = output;
  return found;
}

int WaylandWindow::entered_scale() const {
  const Output* output = densest_entered();
  return output != nullptr ? output->scale : scale_.buffer_scale;
}

// The zoom the outputs the window is on ask for now (or the compositor's fractional scale for it),
// fitted to the densest of them: when it is another than the window's, the host is told, after
// the input that came before.
void WaylandWindow::follow_density(std::vector<WindowInput>& input) {
  const Output* output = densest_entered();
  if (output == nullptr) return;
  const int zoom = choose_zoom(std::nullopt, output, preferred_scale_).zoom;
  if (zoom != layout_.zoom && zoom != asked_zoom_) input.push_back(WindowInput::rescaled_to(zoom));
  asked_zoom_ = zoom;
}

// The window at another zoom on the output it is on: its size in points, its buffers and the
// pointer's scale, drawn whole at the next present. A size the compositor imposes stays.
void WaylandWindow::use_zoom(int zoom) {
  layout_ = window::layout_at(zoom);
  use_scale(entered_scale());
}

// A window that moves to an output of another scale gets buffers for it, drawn whole.
void WaylandWindow::use_scale(int output_scale) {
  scale_ = surface_scale(layout_, output_scale);
  rebuild_surface();
  commit_size(nullptr);
}

void WaylandWindow::rebuild_surface() {
  shm_.reset();
  shm_.emplace(connection_, surface_, layout_, scale_, window_points());
  seat_->set_scale(scale_, window_points());
}

void WaylandWindow::present(const PictureRef& picture, bool repaint) {
  if (!configured_) return;
  if (const int scale = entered_scale(); scale != scale_.buffer_scale) use_scale(scale);
  shown_ = picture;
  shm_->present(picture, repaint);
  connection_.check();
}

Duration WaylandWindow::refresh() const {
  Duration period{};
  for (const wl_output* handle : entered_)
    if (const Output* output = connection_.output(handle); output && output->refresh.count() > 0)
      period = period.count() == 0 ? output->refresh : std::min<Duration>(period, output->refresh);
  return period.count() > 0 ? period : kAssumedRefresh;
}

// The callbacks only note what they were told; here it takes effect. A window of a new size is
// drawn whole at once, its picture the one it showed.
void WaylandWindow::after_dispatch(std::vector<WindowInput>& input) {
  if (std::exchange(resized_, false)) {
    rebuild_surface();
    if (shown_)
      shm_->present(shown_, true);
    else
      wl_surface_commit(surface_);
  }
  connection_.check();
  if (!decoration_error.empty())
    throw WindowSystemError("the window's decorations failed: " + decoration_error);
  if (close_requested_) throw ProgramExit{0};
  seat_->take(input, MonotonicClock::now());
  if (follows_density_ && configured_) follow_density(input);
}

void WaylandWindow::read(std::vector<WindowInput>& input) {
  dispatch(input, TimePoint{}, -1);
}

void WaylandWindow::wait(TimePoint until, Waitable signal_fd, std::vector<WindowInput>& input) {
  dispatch(input, std::min(until, seat_->next_repeat().value_or(until)), signal_fd);
}

// Events read already are dispatched first, and the connection is not read if they said
// anything; otherwise it is read once it has something, or `until` has come.
void WaylandWindow::dispatch(std::vector<WindowInput>& input, TimePoint until, Waitable signalled) {
  wl_display* display = connection_.display();
  int dispatched = wl_display_dispatch_pending(display);
  while (dispatched == 0 && wl_display_prepare_read(display) != 0)
    dispatched = wl_display_dispatch_pending(display);
  if (dispatched == 0) {
    wl_display_flush(display);
    if (posix::wait_readable(wl_display_get_fd(display), signalled, until))
      wl_display_read_events(display);
    else
      wl_display_cancel_read(display);
    wl_display_dispatch_pending(display);
  }
  after_dispatch(input);
}

}  // namespace

std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom) {
  return std::make_unique<WaylandWindow>(requested_zoom);
}

}  // namespace nuv::host::wayland
