#pragma once
// A state variable that holds whichever kind of number was stored in it last: a whole number
// or a single-precision float. It starts as the whole number 0.

#include <cstdint>
#include <variant>

namespace nuv::engine {

class LooseNumber {
 public:
  constexpr LooseNumber() = default;
  constexpr LooseNumber(std::int32_t whole) : value_(whole) {}
  constexpr LooseNumber(float single) : value_(single) {}

  constexpr bool holds_float() const { return std::holds_alternative<float>(value_); }
  constexpr double value() const {
    return std::visit([](auto v) { return static_cast<double>(v); }, value_);
  }
  friend constexpr bool operator==(const LooseNumber&, const LooseNumber&) = default;

 private:
  std::variant<std::int32_t, float> value_{std::int32_t{0}};
};

}  // namespace nuv::engine
