#include "host/x11/x11_window.hpp"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "host/client_area.hpp"
#include "host/posix/readable.hpp"
#include "host/x11/client_image.hpp"
#include "host/x11/connection.hpp"
#include "host/x11/desktop.hpp"
#include "host/x11/keyboard.hpp"
#include "host/x11/pixel_format.hpp"
#include "host/x11/touch_screen.hpp"
#include "host/x11/window_properties.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::host::x11 {
namespace {

using namespace std::chrono_literals;

const xcb_visualtype_t* root_visual(const xcb_screen_t& screen) {
  for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0;
       xcb_depth_next(&depths))
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
         xcb_visualtype_next(&visuals))
      if (visuals.data->visual_id == screen.root_visual) return visuals.data;
  return nullptr;
}

int bits_per_pixel(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
       xcb_format_next(&formats))
    if (formats.data->depth == depth) return formats.data->bits_per_pixel;
  return 0;
}

std::uint16_t sixteen_bits(std::uint32_t rgb, int shift) {
  return static_cast<std::uint16_t>(((rgb >> shift) & 0xFF) * 0x101);
}

// Where the display maps colours (8-bit PseudoColor and the like), a colour map entry for each
// colour of the client area: allocated, or where the map is full the nearest entry it has.
std::vector<std::pair<std::uint32_t, std::uint32_t>> map_colours(const Connection& connection,
                                                                 std::uint8_t depth) {
  xcb_connection_t* c = connection.get();
  const xcb_colormap_t map = connection.screen().default_colormap;
  const std::vector<std::uint32_t> colours = client_area_colours();
  std::vector<xcb_alloc_color_cookie_t> cookies;
  for (const std::uint32_t rgb : colours)
    cookies.push_back(
        xcb_alloc_color(c, map, sixteen_bits(rgb, 16), sixteen_bits(rgb, 8), sixteen_bits(rgb, 0)));
  std::vector<std::pair<std::uint32_t, std::uint32_t>> mapped;
  bool full = false;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    xcb_generic_error_t* error = nullptr;
    const Owned<xcb_alloc_color_reply_t> reply(xcb_alloc_color_reply(c, cookies[i], &error));
    std::free(error);
    if (reply)
      mapped.emplace_back(colours[i], reply->pixel);
    else
      full = true;
  }
  if (!full) return mapped;
  // The map's entries as they are, matched to the nearest by pixel_of.
  const std::uint32_t entries = std::min<std::uint32_t>(1u << depth, 256);
  std::vector<std::uint32_t> pixels(entries);
  for (std::uint32_t i = 0; i < entries; ++i) pixels[i] = i;
  const Owned<xcb_query_colors_reply_t> known(
      xcb_query_colors_reply(c, xcb_query_colors(c, map, entries, pixels.data()), nullptr));
  if (!known) return mapped;
  const xcb_rgb_t* rgb = xcb_query_colors_colors(known.get());
  PixelFormat nearest;
  for (std::uint32_t i = 0; i < entries; ++i)
    nearest.mapped.emplace_back(
        (rgb[i].red >> 8) << 16 | (rgb[i].green >> 8) << 8 | rgb[i].blue >> 8, i);
  for (const std::uint32_t colour : colours)
    if (std::ranges::none_of(mapped, [&](const auto& entry) { return entry.first == colour; }))
      mapped.emplace_back(colour, nearest.pixel_of(colour));
  return mapped;
}

PixelFormat screen_format(const Connection& connection) {
  const xcb_screen_t& screen = connection.screen();
  const xcb_visualtype_t* visual = root_visual(screen);
  const xcb_setup_t* setup = xcb_get_setup(connection.get());
  PixelFormat format;
  format.bits_per_pixel = bits_per_pixel(setup, screen.root_depth);
  if (visual == nullptr || (format.bits_per_pixel % 8) != 0 || format.bits_per_pixel == 0)
    throw WindowSystemError("the display " + connection.name() + " has pixels of " +
                            std::to_string(format.bits_per_pixel) +
                            " bits, which the viewer cannot draw");
  format.most_significant_first = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  if (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
      visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR) {
    format.red_mask = visual->red_mask;
    format.green_mask = visual->green_mask;
    format.blue_mask = visual->blue_mask;
  } else {
    format.mapped = map_colours(connection, screen.root_depth);
  }
  return format;
}

// Where a window manager does not tell the frame it puts round a window: a title bar and thin
// borders.
constexpr FrameExtents kAssumedFrame{5, 5, 35, 5};

class X11Window final : public WindowSystem {
 public:
  explicit X11Window(std::optional<int> requested_zoom);
  ~X11Window() override;

  const window::Layout& layout() const override { return layout_; }
  void use_zoom(int zoom) override;
  std::string zoom_notice() const override { return zoom_.notice; }
  std::chrono::milliseconds double_click_time() const override {
    return desktop_.double_click_time;
  }
  void present(const PictureRef& picture, bool repaint) override { image_->show(picture, repaint); }
  bool visible() const override { return mapped_ && !obscured_; }
  bool ready() const override { return !image_->busy(); }
  Duration refresh() const override { return kAssumedRefresh; }  // X does not tell
  void read(std::vector<WindowInput>& input) override;
  void wait(TimePoint until, Waitable signal_fd, std::vector<WindowInput>& input) override;

 private:
  void create_window();
  window::DesktopDensity density() const;
  window::ZoomChoice choose_zoom(std::optional<int> requested) const;
  void use_layout();
  void resize_window();
  void keep_within_work_area();
  void place_client_area(int window_width, int window_height);
  bool read_queued(std::vector<WindowInput>& input);
  void handle(const xcb_generic_event_t& event, std::vector<WindowInput>& input);
  void on_client_message(const xcb_client_message_event_t& message,
                         std::vector<WindowInput>& input);
  void on_property(const xcb_property_notify_event_t& notice, std::vector<WindowInput>& input);
  void follow_density(std::vector<WindowInput>& input);
  void on_resize(int width, int height);

  Connection connection_;
  Desktop desktop_;
  bool follows_density_;  // no zoom was asked for: the zoom follows the desktop's as it changes
  window::ZoomChoice zoom_;
  window::Layout layout_;
  xcb_window_t window_ = 0;
  window::Size window_size_{};  // as the server last told it
  PixelFormat format_;
  std::optional<ClientImage> image_;
  // Where the client area lies in a window a window manager has enlarged.
  struct Offset {
    int x = 0, y = 0;
    friend bool operator==(const Offset&, const Offset&) = default;
  } origin_;

  bool mapped_ = false;
  bool obscured_ = false;
  bool focused_ = false;                      // given the keyboard, once the window could take it
  std::optional<window::Size> foreign_size_;  // a size another client gave, asked away once
  Keyboard keyboard_{connection_};
  std::optional<TouchScreen> touch_;
};

X11Window::X11Window(std::optional<int> requested_zoom)
    : desktop_(read_desktop(connection_)),
      follows_density_(!requested_zoom),
      layout_(window::layout_at(1)) {
  create_window();
  zoom_ = choose_zoom(requested_zoom);
  layout_ = window::layout_at(zoom_.zoom);
  use_layout();
  xcb_map_window(connection_.get(), window_);
  connection_.flush();
}

X11Window::~X11Window() {
  image_.reset();
  if (window_ != 0) xcb_destroy_window(connection_.get(), window_);
  xcb_flush(connection_.get());
}

// Made unshown, so that the window manager can tell its frame before the zoom is chosen; the face
// colour as its background, which the server shows wherever the window is larger than the client
// area.
void X11Window::create_window() {
  xcb_connection_t* c = connection_.get();
  const xcb_screen_t& screen = connection_.screen();
  format_ = screen_format(connection_);
  const std::uint32_t values[] = {
      format_.pixel_of(frames::packed(window::kFaceColour)),
      XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE |
          XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS |
          XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION};
  window_ = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, screen.root, 0, 0,
                    static_cast<std::uint16_t>(layout_.client_width),
                    static_cast<std::uint16_t>(layout_.client_height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
  describe_window(connection_, window_);
  touch_.emplace(connection_, window_);
}

window::DesktopDensity X11Window::density() const {
  window::DesktopDensity density{.x_resources = desktop_.resources,
                                 .settings_dpi = desktop_.settings_dpi};
  if (const char* gdk_scale = std::getenv("GDK_SCALE")) density.gdk_scale = gdk_scale;
  density.usable_area = window::Size{desktop_.work_area.width, desktop_.work_area.height};
  return density;
}

// The window and its frame fit the usable area: the frame is asked of the window manager only
// where it matters, for a zoom above 1.
window::ZoomChoice X11Window::choose_zoom(std::optional<int> requested) const {
  window::DesktopDensity density = this->density();
  density.requested = requested;
  if (desktop_.window_manager && window::wanted_zoom(density) > 1)
    density.frame = frame_extents(connection_, window_).value_or(kAssumedFrame).size();
  return window::choose_zoom(density);
}

// The window at the layout's fixed size, in the middle of the usable area where no window manager
// places it, with the client area's image.
void X11Window::use_layout() {
  const window::Rect& area = desktop_.work_area;
  const std::uint32_t place[] = {
      static_cast<std::uint32_t>(area.x + std::max(0, (area.width - layout_.client_width) / 2)),
      static_cast<std::uint32_t>(area.y + std::max(0, (area.height - layout_.client_height) / 2))};
  xcb_configure_window(connection_.get(), window_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                       place);
  resize_window();
}

// The window at the layout's size where it is, and the client area's image at it.
void X11Window::resize_window() {
  const std::uint32_t size[] = {static_cast<std::uint32_t>(layout_.client_width),
                                static_cast<std::uint32_t>(layout_.client_height)};
  xcb_configure_window(connection_.get(), window_,
                       XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
  fix_size(connection_, window_, layout_);
  image_.reset();
  image_.emplace(connection_, window_, connection_.screen().root_depth, layout_, format_);
}

// The window keeps its place at its new size, moved just enough for it and its frame to stay
// within the usable area. One a window manager holds at its own size (fullscreen, maximised) shows
// the new client area in its middle.
void X11Window::use_zoom(int zoom) {
  layout_ = window::layout_at(zoom);
  keep_within_work_area();
  resize_window();
  origin_ = {};
  place_client_area(window_size_.width, window_size_.height);
  connection_.flush();
}

// A window manager places the frame's top left where the window asks to be (the window's gravity
// is the north-west one); without one the window is placed itself.
void X11Window::keep_within_work_area() {
  xcb_connection_t* c = connection_.get();
  const Owned<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window_, connection_.screen().root, 0, 0), nullptr));
  if (!at) return;
  const FrameExtents frame = desktop_.window_manager
                                 ? told_frame_extents(connection_, window_).value_or(kAssumedFrame)
                                 : FrameExtents{};
  const window::Rect& area = desktop_.work_area;
  const auto within = [](int position, int size, int start, int length) {
    return std::max(start, std::min(position, start + length - size));
  };
  const int x = at->dst_x - frame.left, y = at->dst_y - frame.top;
  const int new_x = within(x, layout_.client_width + frame.size().width, area.x, area.width);
  const int new_y = within(y, layout_.client_height + frame.size().height, area.y, area.height);
  if (new_x == x && new_y == y) return;
  const std::uint32_t place[] = {static_cast<std::uint32_t>(new_x),
                                 static_cast<std::uint32_t>(new_y)};
  xcb_configure_window(c, window_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
}

// The zoom the desktop asks for now, fitted with the frame the window manager has told: when it
// is another than the window's, the host is told in its place among the input.
void X11Window::follow_density(std::vector<WindowInput>& input) {
  if (!follows_density_) return;
  window::DesktopDensity density = this->density();
  if (desktop_.window_manager)
    density.frame = told_frame_extents(connection_, window_).value_or(kAssumedFrame).size();
  const int zoom = window::choose_zoom(density).zoom;
  if (zoom != layout_.zoom) input.push_back(WindowInput::rescaled_to(zoom));
}

// Where a window manager has made the window larger (fullscreen, maximised, tiled), the client area
// sits in its middle on the face colour; in a smaller one, at its top left.
void X11Window::place_client_area(int window_width, int window_height) {
  const Offset origin{std::max(0, (window_width - layout_.client_width) / 2),
                      std::max(0, (window_height - layout_.client_height) / 2)};
  if (origin == origin_) return;
  origin_ = origin;
  image_->move_to(origin.x, origin.y);
  xcb_clear_area(connection_.get(), 1, window_, 0, 0, 0, 0);  // exposed whole, drawn again
}

// What xcb read from the connection along with replies waits in its queue, where the connection
// itself no longer shows it; true if anything did.
bool X11Window::read_queued(std::vector<WindowInput>& input) {
  bool any = false;
  while (const Owned<xcb_generic_event_t> event{xcb_poll_for_queued_event(connection_.get())}) {
    handle(*event, input);
    any = true;
  }
  return any;
}

// One read of the connection, then what it brought: a burst still arriving waits for the next.
void X11Window::read(std::vector<WindowInput>& input) {
  if (const Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())})
    handle(*event, input);
  read_queued(input);
  connection_.check();
}

void X11Window::wait(TimePoint until, Waitable signal_fd, std::vector<WindowInput>& input) {
  if (read_queued(input)) return;
  connection_.flush();
  if (posix::wait_readable(connection_.descriptor(), signal_fd, until)) read(input);
}

void X11Window::handle(const xcb_generic_event_t& event, std::vector<WindowInput>& input) {
  switch (event.response_type & 0x7F) {
    case 0:
      if (connection_.refused(reinterpret_cast<const xcb_generic_error_t&>(event)))
        focused_ = false;  // given again when the window is next exposed
      break;
    case XCB_EXPOSE: {
      const auto& expose = reinterpret_cast<const xcb_expose_event_t&>(event);
      // Exposed means viewable, and only a viewable window can take the keyboard.
      if (!focused_) {
        xcb_set_input_focus(connection_.get(), XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME);
        focused_ = true;
      }
      image_->repaint(expose.x, expose.y, expose.width, expose.height);
      break;
    }
    case XCB_MAP_NOTIFY:
      mapped_ = true;
      break;
    case XCB_UNMAP_NOTIFY:
      mapped_ = false;
      break;
    // Another client destroyed the window (a tool, a session manager): the viewer has lost it, as
    // it loses a display that goes away. Its close control, by contrast, ends it with status 0.
    case XCB_DESTROY_NOTIFY:
      window_ = 0;
      throw WindowSystemError("the window was destroyed by another program");
    case XCB_VISIBILITY_NOTIFY:
      obscured_ = reinterpret_cast<const xcb_visibility_notify_event_t&>(event).state ==
                  XCB_VISIBILITY_FULLY_OBSCURED;
      break;
    case XCB_CONFIGURE_NOTIFY: {
      const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
      if (configure.window == window_) on_resize(configure.width, configure.height);
      break;
    }
    case XCB_CLIENT_MESSAGE:
      on_client_message(reinterpret_cast<const xcb_client_message_event_t&>(event), input);
      break;
    case XCB_PROPERTY_NOTIFY:
      on_property(reinterpret_cast<const xcb_property_notify_event_t&>(event), input);
      break;
    case XCB_KEY_PRESS:
      if (const auto key = keyboard_.key(reinterpret_cast<const xcb_key_press_event_t&>(event)))
        input.push_back(*key);
      break;
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
      const auto& button = reinterpret_cast<const xcb_button_press_event_t&>(event);
      const bool pressed = (event.response_type & 0x7F) == XCB_BUTTON_PRESS;
      input.push_back(WindowInput::button(pressed, button.event_x - origin_.x,
                                          button.event_y - origin_.y,
                                          button.detail == XCB_BUTTON_INDEX_1, button.time));
      break;
    }
    case XCB_MOTION_NOTIFY: {
      const auto& motion = reinterpret_cast<const xcb_motion_notify_event_t&>(event);
      input.push_back(
          WindowInput::moved_to(motion.event_x - origin_.x, motion.event_y - origin_.y));
      break;
    }
    case XCB_GE_GENERIC:
      touch_->take(event, origin_.x, origin_.y, input);
      break;
    default:
      if (!keyboard_.notice_change(event)) image_->completed(event);
      break;
  }
}

// The close control ends the program; a window manager's ping is answered, so that it never
// takes the window for hung. A new settings manager's settings are read.
void X11Window::on_client_message(const xcb_client_message_event_t& message,
                                  std::vector<WindowInput>& input) {
  const Atoms& atoms = connection_.atoms();
  if (message.type == atoms.manager && message.data.data32[1] == atoms.xsettings_owner) {
    read_settings(connection_, desktop_);
    follow_density(input);
  }
  if (message.type != atoms.wm_protocols) return;
  if (message.data.data32[0] == atoms.wm_delete_window) throw ProgramExit{0};
  if (message.data.data32[0] == atoms.net_wm_ping) {
    xcb_client_message_event_t pong = message;
    pong.window = connection_.screen().root;
    xcb_send_event(connection_.get(), 0, pong.window,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&pong));
  }
}

// The desktop's density (the resources' Xft.dpi, the settings' Xft/DPI) and the area it gives
// windows, as they change.
void X11Window::on_property(const xcb_property_notify_event_t& notice,
                            std::vector<WindowInput>& input) {
  const Atoms& atoms = connection_.atoms();
  const xcb_window_t root = connection_.screen().root;
  if (notice.window == root && notice.atom == XCB_ATOM_RESOURCE_MANAGER)
    read_resources(connection_, desktop_);
  else if (notice.window == root &&
           (notice.atom == atoms.net_workarea || notice.atom == atoms.net_current_desktop))
    read_work_area(connection_, desktop_);
  else if (notice.window == desktop_.settings_owner && notice.atom == atoms.xsettings_settings)
    read_settings(connection_, desktop_);
  else
    return;
  follow_density(input);
}

// A window manager's size stands: it may make the window fullscreen, maximise it or tile it, and
// the window must come back to its own size and place when it leaves that state. Without one,
// another client that gave the window another size is asked away, once for each size given.
void X11Window::on_resize(int width, int height) {
  window_size_ = {width, height};
  place_client_area(width, height);
  if (desktop_.window_manager) return;
  if (width == layout_.client_width && height == layout_.client_height) {
    foreign_size_.reset();
    return;
  }
  if (foreign_size_ && foreign_size_->width == width && foreign_size_->height == height) return;
  foreign_size_ = window::Size{width, height};
  const std::uint32_t size[] = {static_cast<std::uint32_t>(layout_.client_width),
                                static_cast<std::uint32_t>(layout_.client_height)};
  xcb_configure_window(connection_.get(), window_,
                       XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
}

}  // namespace

std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom) {
  return std::make_unique<X11Window>(requested_zoom);
}

}  // namespace nuv::host::x11
