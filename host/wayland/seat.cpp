#include "host/wayland/seat.hpp"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

namespace nuv::host::wayland {
namespace {

Seat& seat_of(void* data) {
  return *static_cast<Seat*>(data);
}

int cursor_size() {
  const char* size = std::getenv("XCURSOR_SIZE");
  const int parsed = size != nullptr ? std::atoi(size) : 0;
  return parsed > 0 ? parsed : 24;
}

}  // namespace

Seat::Seat(Connection& connection, wl_surface* surface)
    : connection_(connection), surface_(surface) {
  connection.watch_seat(capabilities, this);
}

Seat::~Seat() {
  connection_.watch_seat(nullptr, nullptr);
  if (pointer_ != nullptr) wl_pointer_destroy(pointer_);
  if (touch_ != nullptr) wl_touch_destroy(touch_);
  if (keyboard_ != nullptr) wl_keyboard_destroy(keyboard_);
  if (cursor_surface_ != nullptr) wl_surface_destroy(cursor_surface_);
  if (cursor_theme_ != nullptr) wl_cursor_theme_destroy(cursor_theme_);
}

void Seat::set_scale(const SurfaceScale& scale, window::Size window_points) {
  layout_pixels_per_point_ = scale.layout_pixels_per_point;
  output_scale_ = scale.buffer_scale;
  left_ = std::max(0, window_points.width - scale.points.width) / 2;
  top_ = std::max(0, window_points.height - scale.points.height) / 2;
}

void Seat::take(std::vector<WindowInput>& input, TimePoint now) {
  input.insert(input.end(), input_.begin(), input_.end());
  input_.clear();
  for (int due = repeat_.take_due(now); due > 0; --due)
    input.push_back(WindowInput::typed_key(repeat_.character()));
}

void Seat::capabilities(void* self, std::uint32_t capabilities) {
  Seat& s = seat_of(self);
  wl_seat* seat = s.connection_.seat();
  if (seat == nullptr) return;
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && s.pointer_ == nullptr) {
    s.pointer_ = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(s.pointer_, &kPointerEvents, self);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0 && s.touch_ == nullptr) {
    s.touch_ = wl_seat_get_touch(seat);
    wl_touch_add_listener(s.touch_, &kTouchEvents, self);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && s.keyboard_ == nullptr) {
    s.keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(s.keyboard_, &kKeyboardEvents, self);
  }
}

const wl_pointer_listener Seat::kPointerEvents = {
    .enter =
        [](void* self, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
           wl_fixed_t y) {
          Seat& s = seat_of(self);
          s.pointer_over_ = surface == s.surface_;
          if (!s.pointer_over_) return;
          s.show_cursor(serial);
          s.move(x, y);
        },
    .leave = [](void* self, wl_pointer*, std::uint32_t,
                wl_surface*) { seat_of(self).pointer_over_ = false; },
    .motion =
        [](void* self, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
          Seat& s = seat_of(self);
          if (s.pointer_over_) s.move(x, y);
        },
    .button =
        [](void* self, wl_pointer*, std::uint32_t, std::uint32_t time, std::uint32_t button,
           std::uint32_t state) {
          // A button's event says no position: it is where the last movement left the pointer.
          Seat& s = seat_of(self);
          if (!s.pointer_over_) return;
          s.input_.push_back(WindowInput::button(state == WL_POINTER_BUTTON_STATE_PRESSED,
                                                 s.pointer_x_, s.pointer_y_, button == BTN_LEFT,
                                                 time));
        },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

std::pair<int, int> Seat::place(wl_fixed_t x, wl_fixed_t y) const {
  return {static_cast<int>(std::floor((wl_fixed_to_double(x) - left_) * layout_pixels_per_point_)),
          static_cast<int>(std::floor((wl_fixed_to_double(y) - top_) * layout_pixels_per_point_))};
}

void Seat::move(wl_fixed_t x, wl_fixed_t y) {
  std::tie(pointer_x_, pointer_y_) = place(x, y);
  input_.push_back(WindowInput::moved_to(pointer_x_, pointer_y_));
}

void Seat::add(std::optional<WindowInput> input) {
  if (input) input_.push_back(*input);
}

// A finger on the window's surface; one that comes down elsewhere (on the title bar) is not.
const wl_touch_listener Seat::kTouchEvents = {
    .down =
        [](void* self, wl_touch*, std::uint32_t, std::uint32_t time, wl_surface* surface,
           std::int32_t id, wl_fixed_t x, wl_fixed_t y) {
          Seat& s = seat_of(self);
          if (surface != s.surface_) return;
          const auto [px, py] = s.place(x, y);
          s.add(s.finger_.down(id, px, py, time));
        },
    .up = [](void* self, wl_touch*, std::uint32_t, std::uint32_t time,
             std::int32_t id) { seat_of(self).add(seat_of(self).finger_.up(id, time)); },
    .motion =
        [](void* self, wl_touch*, std::uint32_t, std::int32_t id, wl_fixed_t x, wl_fixed_t y) {
          Seat& s = seat_of(self);
          const auto [px, py] = s.place(x, y);
          s.add(s.finger_.moved(id, px, py));
        },
    .frame = [](void*, wl_touch*) {},
    .cancel = [](void* self, wl_touch*) { seat_of(self).add(seat_of(self).finger_.cancelled()); },
    .shape = [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    .orientation = [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},
};

// The theme XCURSOR_THEME names, at XCURSOR_SIZE times the output's scale.
void Seat::show_cursor(std::uint32_t serial) {
  if (cursor_theme_scale_ != output_scale_) {
    if (cursor_theme_ != nullptr) wl_cursor_theme_destroy(cursor_theme_);
    cursor_theme_ = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"),
                                         cursor_size() * output_scale_, connection_.shm());
    cursor_theme_scale_ = output_scale_;
  }
  wl_cursor* cursor =
      cursor_theme_ != nullptr ? wl_cursor_theme_get_cursor(cursor_theme_, "left_ptr") : nullptr;
  if (cursor == nullptr || cursor->image_count == 0) return;
  const wl_cursor_image* image = cursor->images[0];
  if (cursor_surface_ == nullptr)
    cursor_surface_ = wl_compositor_create_surface(connection_.compositor());
  wl_surface_set_buffer_scale(cursor_surface_, output_scale_);
  wl_surface_attach(cursor_surface_,
                    wl_cursor_image_get_buffer(const_cast<wl_cursor_image*>(image)), 0, 0);
  wl_surface_damage_buffer(cursor_surface_, 0, 0, static_cast<std::int32_t>(image->width),
                           static_cast<std::int32_t>(image->height));
  wl_surface_commit(cursor_surface_);
  wl_pointer_set_cursor(pointer_, serial, cursor_surface_,
                        static_cast<std::int32_t>(image->hotspot_x) / output_scale_,
                        static_cast<std::int32_t>(image->hotspot_y) / output_scale_);
}

const wl_keyboard_listener Seat::kKeyboardEvents = {
    .keymap =
        [](void* self, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
          if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) seat_of(self).read_keymap(fd, size);
          close(fd);
        },
    .enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    .leave = [](void* self, wl_keyboard*, std::uint32_t,
                wl_surface*) { seat_of(self).repeat_.stop(); },
    .key =
        [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
           std::uint32_t state) { seat_of(self).key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED); },
    .modifiers =
        [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
           std::uint32_t locked, std::uint32_t group) {
          seat_of(self).set_modifiers({depressed, latched, locked, group});
        },
    .repeat_info =
        [](void* self, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
          seat_of(self).repeat_.set_rate(rate, std::chrono::milliseconds{delay});
        },
};

void Seat::read_keymap(int fd, std::uint32_t size) {
  void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (text == MAP_FAILED) return;
  keymap_text_.assign(static_cast<const char*>(text),
                      strnlen(static_cast<const char*>(text), size));
  munmap(text, size);
  xkb_.reset();
}

void Seat::set_modifiers(const std::array<std::uint32_t, 4>& modifiers) {
  modifiers_ = modifiers;
  if (xkb_) xkb_->set_modifiers(modifiers[0], modifiers[1], modifiers[2], modifiers[3]);
}

XkbKeyboard* Seat::keyboard() {
  if (!xkb_ && !keymap_text_.empty()) {
    xkb_.emplace();
    xkb_keymap* keymap =
        xkb_keymap_new_from_string(xkb_->context(), keymap_text_.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                   XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::string().swap(keymap_text_);
    if (keymap != nullptr) {
      xkb_->use(keymap, xkb_state_new(keymap));
      set_modifiers(modifiers_);
    }
  }
  return xkb_ ? &*xkb_ : nullptr;
}

// Wayland's key numbers are the kernel's; xkb's are those plus 8.
void Seat::key(std::uint32_t key, bool pressed) {
  if (!pressed) {
    repeat_.release(key);
    return;
  }
  XkbKeyboard* const xkb = keyboard();
  if (xkb == nullptr || !xkb->has_keymap()) return;
  const std::uint32_t code = key + 8;
  const bool combined = xkb->combined(code);
  const auto character = xkb->press(code);
  if (!character) return;
  input_.push_back(WindowInput::typed_key(*character, combined));
  if (xkb->repeats(code) && !combined)
    repeat_.press(key, *character, MonotonicClock::now());
  else
    repeat_.stop();
}

}  // namespace nuv::host::wayland
