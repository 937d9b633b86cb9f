#include "host/x11/xsettings.hpp"

#include <string_view>

namespace nuv::host::x11 {
namespace {

// Reads the list's fields in its own byte order; running past the end makes every later read
// fail.
class Fields {
 public:
  explicit Fields(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  void big_endian(bool big) { big_ = big; }

  std::uint32_t number(std::size_t size) {
    if (!take(size)) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
      const std::size_t at = offset_ - size + (big_ ? i : size - 1 - i);
      value = value << 8 | bytes_[at];
    }
    return value;
  }
  std::string_view text(std::size_t size) {
    if (!take(size)) return {};
    const auto* first = reinterpret_cast<const char*>(bytes_.data() + offset_ - size);
    skip((4 - size % 4) % 4);
    return {first, size};
  }
  void skip(std::size_t size) { take(size); }

 private:
  bool take(std::size_t size) {
    ok_ = ok_ && bytes_.size() - offset_ >= size;
    if (ok_) offset_ += size;
    return ok_;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool big_ = false;
  bool ok_ = true;
};

enum class Type : std::uint32_t { integer = 0, string = 1, colour = 2 };

// The positive integer setting of that name.
std::optional<std::int32_t> positive_integer(std::span<const std::uint8_t> settings,
                                             std::string_view wanted) {
  Fields in(settings);
  in.big_endian(in.number(1) == 1);
  in.skip(3);
  in.number(4);  // serial
  const std::uint32_t count = in.number(4);
  for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
    const auto type = static_cast<Type>(in.number(1));
    in.skip(1);
    const std::string_view name = in.text(in.number(2));
    in.number(4);  // serial of its last change
    switch (type) {
      case Type::integer: {
        const auto value = static_cast<std::int32_t>(in.number(4));
        if (in.ok() && name == wanted) return value > 0 ? std::optional(value) : std::nullopt;
        break;
      }
      case Type::string:
        in.text(in.number(4));
        break;
      case Type::colour:
        in.skip(8);
        break;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::chrono::milliseconds> double_click_time_in(
    std::span<const std::uint8_t> settings) {
  if (const auto time = positive_integer(settings, "Net/DoubleClickTime"))
    return std::chrono::milliseconds{*time};
  return std::nullopt;
}

std::optional<double> dots_per_inch_in(std::span<const std::uint8_t> settings) {
  if (const auto dpi = positive_integer(settings, "Xft/DPI")) return *dpi / 1024.0;
  return std::nullopt;
}

}  // namespace nuv::host::x11
