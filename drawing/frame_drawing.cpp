#include "drawing/frame_drawing.hpp"

#include <array>
#include <cmath>
#include <numbers>

#include "drawing/canvas.hpp"
#include "drawing/outline.hpp"
#include "frames/palette.hpp"
#include "frames/zoom.hpp"

namespace nuv::drawing {
namespace {

using frames::check_zoom;
using frames::Colour;
using frames::kFrameCount;
using frames::kFrameHeight;
using frames::kFrameWidth;
using frames::Picture;

constexpr double kPi = std::numbers::pi;

// --- Fixed parts ---------------------------------------------------------------------------
constexpr double kCylinderOuterLeft = 58, kCylinderInnerLeft = 67;
constexpr double kCylinderInnerRight = 235, kCylinderOuterRight = 244;
constexpr double kCylinderOuterTop = 9, kCylinderInnerTop = 18, kCylinderBottom = 196;
constexpr double kRailTop = 352, kRailBottom = 521;
constexpr double kMainAxisRadius = 7.25;

// --- Crank ---------------------------------------------------------------------------------
constexpr double kCrankPinRadius = 34;
constexpr double kWebEndRadius = 50;          // round the crank pin, on the side away from the axis
constexpr double kCounterweightRadius = 115;  // round the main axis
constexpr double kWebShoulderRadius = 14;

// --- Link ----------------------------------------------------------------------------------
constexpr double kBigEndInnerRadius = 37, kBigEndOuterRadius = 46.5;
constexpr double kSmallEndInnerRadius = 20.5, kSmallEndOuterRadius = 27.5;
constexpr double kShankHalfWidthAtBigEnd = 22, kShankHalfWidthAtSmallEnd = 15;

// --- Piston and yoke: x as drawn, y in rows below the crown, left-hand features only ---------
constexpr double kPistonLeft = 69, kPistonRight = 233, kPistonDepth = 33;
constexpr std::array<double, 6> kRingGrooves{8, 9, 15, 17, 23, 27};
constexpr double kNeckLeft = 124, kNeckStraightEnd = 86;
constexpr Point kUpperFlankStart{110, 111};
// Reaches x = 2 at row 271 and is tangent to the flank through (110, 111) and (8, 251).
constexpr Circle kSideCorner{{38, 271}, 36};
constexpr double kBottomPoint = 378, kBottomRounding = 12;
constexpr double kOpeningTop = 130, kOpeningTopRounding = 14;
// Widest at x = 47, flat along row 272; roomy enough that the crank pin never reaches the plate.
constexpr Circle kOpeningCorner{{85, 234}, 38};
constexpr double kShoeLeft = 69, kShoeRight = 89, kShoeTop = 300, kShoeBottom = 365;
constexpr double kYokePinRadius = 18;

double mirrored(double x) {
  return 2 * kMainAxis.x - x;
}
Point mirrored(Point point) {
  return {mirrored(point.x), point.y};
}
Circle mirrored(Circle circle) {
  return {mirrored(circle.centre), circle.radius};
}
Point below_crown(Point point, double crown) {
  return {point.x, crown + point.y};
}
Circle below_crown(Circle circle, double crown) {
  return {below_crown(circle.centre, crown), circle.radius};
}

// --- Fixed parts ---------------------------------------------------------------------------

void add_centre_lines(cairo_t* cr) {
  add_line(cr, {kMainAxis.x, 4}, {kMainAxis.x, 543});
  add_line(cr, {44, kMainAxis.y}, {262, kMainAxis.y});
}

// An inverted U with double walls, drawn as one closed outline.
void add_cylinder(cairo_t* cr) {
  cairo_move_to(cr, kCylinderOuterLeft, kCylinderBottom);
  cairo_line_to(cr, kCylinderOuterLeft, kCylinderOuterTop);
  cairo_line_to(cr, kCylinderOuterRight, kCylinderOuterTop);
  cairo_line_to(cr, kCylinderOuterRight, kCylinderBottom);
  cairo_line_to(cr, kCylinderInnerRight, kCylinderBottom);
  cairo_line_to(cr, kCylinderInnerRight, kCylinderInnerTop);
  cairo_line_to(cr, kCylinderInnerLeft, kCylinderInnerTop);
  cairo_line_to(cr, kCylinderInnerLeft, kCylinderBottom);
  cairo_close_path(cr);
}

void add_guide_rails(cairo_t* cr) {
  add_rectangle(cr, kCylinderOuterLeft, kRailTop, kCylinderInnerLeft, kRailBottom);
  add_rectangle(cr, kCylinderInnerRight, kRailTop, kCylinderOuterRight, kRailBottom);
}

void add_main_axis(cairo_t* cr) {
  add_circle(cr, {kMainAxis, kMainAxisRadius});
}

// --- Crank ---------------------------------------------------------------------------------

// The web's outline: round the crank pin's far side, flanks widening past the axis, shoulders,
// and the counterweight arc 45 degrees to either side of the direction opposite the pin.
void add_crank_web(cairo_t* cr, const Pose& pose) {
  const double towards_pin = pose.crank_angle - kPi / 2;  // screen angle of axis -> crank pin
  const Circle shoulder_track{kMainAxis, kCounterweightRadius - kWebShoulderRadius};
  const std::array<Circle, 4> chain{{
      {pose.crank_pin, kWebEndRadius},
      {on_circle(shoulder_track, towards_pin + 3 * kPi / 4), kWebShoulderRadius},
      {kMainAxis, kCounterweightRadius},
      {on_circle(shoulder_track, towards_pin + 5 * kPi / 4), kWebShoulderRadius},
  }};
  cairo_new_sub_path(cr);
  add_tangent_chain(cr, chain, true);
}

void add_crank(cairo_t* cr, const Pose& pose) {
  add_crank_web(cr, pose);
  add_circle(cr, {pose.crank_pin, kCrankPinRadius});
}

// --- Link ----------------------------------------------------------------------------------

// How far along the link, from the centre of an end, a shank side line that lies `offset` from
// the link's axis there and widens by `spread` per pixel meets that end's circle of `radius`.
double shank_meets_circle(double offset, double spread, double radius) {
  const double a = 1 + spread * spread;
  const double b = 2 * offset * spread;
  const double c = offset * offset - radius * radius;
  return (-b + std::sqrt(b * b - 4 * a * c)) / (2 * a);
}

void add_link(cairo_t* cr, const Pose& pose) {
  for (double radius : {kBigEndInnerRadius, kBigEndOuterRadius}) {
    add_circle(cr, {pose.crank_pin, radius});
  }
  for (double radius : {kSmallEndInnerRadius, kSmallEndOuterRadius}) {
    add_circle(cr, {pose.yoke_pin, radius});
  }
  const Point along{(pose.yoke_pin.x - pose.crank_pin.x) / kLinkLength,
                    (pose.yoke_pin.y - pose.crank_pin.y) / kLinkLength};
  const Point across{-along.y, along.x};
  const double narrowing = (kShankHalfWidthAtBigEnd - kShankHalfWidthAtSmallEnd) / kLinkLength;
  const double start = shank_meets_circle(kShankHalfWidthAtBigEnd, -narrowing, kBigEndOuterRadius);
  const double end =
      kLinkLength - shank_meets_circle(kShankHalfWidthAtSmallEnd, narrowing, kSmallEndOuterRadius);
  for (double side : {-1.0, 1.0}) {
    const auto at = [&](double distance) {
      const double offset = side * (kShankHalfWidthAtBigEnd - narrowing * distance);
      return Point{pose.crank_pin.x + along.x * distance + across.x * offset,
                   pose.crank_pin.y + along.y * distance + across.y * offset};
    };
    add_line(cr, at(start), at(end));
  }
}

// --- Piston and yoke -----------------------------------------------------------------------

// Where the right neck line bends out into the right upper flank: a concave arc from the end of
// the neck's straight part, turning by `turn` radians, ending at `flank_start`.
struct NeckBend {
  Circle arc;
  double turn;
  Point flank_start;
};

// The upper flank runs from kUpperFlankStart along the tangent to the side corner; the bend's
// radius is whatever makes it start where the neck's straight part ends.
NeckBend right_neck_bend(double crown) {
  const Point through = below_crown(mirrored(kUpperFlankStart), crown);
  const Circle corner = below_crown(mirrored(kSideCorner), crown);
  const Point touch = on_circle(corner, tangent_angle({through, 0}, corner));
  const double length = std::hypot(touch.x - through.x, touch.y - through.y);
  const Point down_flank{(touch.x - through.x) / length, (touch.y - through.y) / length};
  const double neck_x = mirrored(kNeckLeft);
  const double meets_neck = through.y + down_flank.y * (neck_x - through.x) / down_flank.x;
  const double bend_start = crown + kNeckStraightEnd;
  const double turn = std::atan2(down_flank.x, down_flank.y);
  const double radius = (meets_neck - bend_start) / std::tan(turn / 2);
  const Circle arc{{neck_x + radius, bend_start}, radius};
  return {arc, turn, on_circle(arc, kPi - turn)};
}

// Clockwise from the right end of the piston's lower edge: right neck, bend, upper flank, side
// corner, lower flanks and bottom point, and back up the left side.
void add_outer_outline(cairo_t* cr, double crown) {
  const NeckBend right = right_neck_bend(crown);
  const Circle left_arc = mirrored(right.arc);
  const double neck_right = mirrored(kNeckLeft);
  cairo_move_to(cr, neck_right, crown + kPistonDepth);
  cairo_line_to(cr, neck_right, crown + kNeckStraightEnd);
  cairo_arc_negative(cr, right.arc.centre.x, right.arc.centre.y, right.arc.radius, kPi,
                     kPi - right.turn);
  const std::array<Circle, 5> flanks{{
      {right.flank_start, 0},
      below_crown(mirrored(kSideCorner), crown),
      {{kMainAxis.x, crown + kBottomPoint - kBottomRounding}, kBottomRounding},
      below_crown(kSideCorner, crown),
      {mirrored(right.flank_start), 0},
  }};
  add_tangent_chain(cr, flanks, false);
  cairo_arc_negative(cr, left_arc.centre.x, left_arc.centre.y, left_arc.radius, right.turn, 0);
  cairo_line_to(cr, kNeckLeft, crown + kPistonDepth);
  cairo_close_path(cr);
}

// A rounded triangle: point up, widest near its lower corners, flat along the bottom.
void add_inner_opening(cairo_t* cr, double crown) {
  const std::array<Circle, 3> corners{{
      {{kMainAxis.x, crown + kOpeningTop + kOpeningTopRounding}, kOpeningTopRounding},
      below_crown(mirrored(kOpeningCorner), crown),
      below_crown(kOpeningCorner, crown),
  }};
  cairo_new_sub_path(cr);
  add_tangent_chain(cr, corners, true);
}

void add_piston(cairo_t* cr, double crown) {
  add_rectangle(cr, kPistonLeft, crown, kPistonRight, crown + kPistonDepth);
}

void add_ring_grooves(cairo_t* cr, double crown) {
  for (double groove : kRingGrooves) {
    add_line(cr, {kPistonLeft + 1, crown + groove}, {kPistonRight - 1, crown + groove});
  }
}

void add_shoes(cairo_t* cr, double crown) {
  add_rectangle(cr, kShoeLeft, crown + kShoeTop, kShoeRight, crown + kShoeBottom);
  const double right_shoe_left = mirrored(kShoeRight);
  add_rectangle(cr, right_shoe_left, crown + kShoeTop, right_shoe_left + kShoeRight - kShoeLeft,
                crown + kShoeBottom);
}

// Limits drawing to what the yoke body leaves uncovered: outside the plate between outline and
// opening, the piston and the shoes. Two clips, as the shoes overlap the plate.
void clip_to_outside_of_yoke(cairo_t* cr, double crown) {
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  add_rectangle(cr, -1, -1, kFrameWidth, kFrameHeight);
  add_outer_outline(cr, crown);
  add_inner_opening(cr, crown);
  cairo_clip(cr);
  add_rectangle(cr, -1, -1, kFrameWidth, kFrameHeight);
  add_piston(cr, crown);
  add_shoes(cr, crown);
  cairo_clip(cr);
}

// The guide rails and the crank lie behind the yoke and show only where it leaves them free.
void draw_behind_yoke(Canvas& canvas, const Pose& pose) {
  cairo_t* cr = canvas.cr();
  cairo_save(cr);
  clip_to_outside_of_yoke(cr, pose.crown_row);
  add_guide_rails(cr);
  canvas.stroke(Colour::blue);
  add_crank(cr, pose);
  canvas.stroke(Colour::black);
  cairo_restore(cr);
}

void add_yoke(cairo_t* cr, const Pose& pose) {
  const double crown = pose.crown_row;
  add_piston(cr, crown);
  add_outer_outline(cr, crown);
  add_inner_opening(cr, crown);
  add_shoes(cr, crown);
  add_circle(cr, {pose.yoke_pin, kYokePinRadius});
}

}  // namespace

// Back to front. The centre lines go first, so that every part crossing them stays whole; the
// main axis goes last, so that it is whole in every frame.
Picture draw_frame(const Pose& pose, int zoom) {
  check_zoom(zoom);
  Canvas canvas(kFrameWidth, kFrameHeight, zoom);
  cairo_t* cr = canvas.cr();
  add_centre_lines(cr);
  canvas.stroke(Colour::green);
  draw_behind_yoke(canvas, pose);
  add_cylinder(cr);
  canvas.stroke(Colour::blue);
  add_yoke(cr, pose);
  canvas.stroke(Colour::red);
  add_ring_grooves(cr, pose.crown_row);
  canvas.stroke(Colour::black);
  add_link(cr, pose);
  canvas.stroke(Colour::blue);
  add_main_axis(cr);
  canvas.stroke(Colour::black);
  return canvas.picture();
}

std::vector<PartMark> part_marks(const Pose& pose) {
  const double crown = pose.crown_row;
  const double away_from_pin = pose.crank_angle + kPi / 2;  // screen angle, axis -> counterweight
  const Point link_middle{(pose.crank_pin.x + pose.yoke_pin.x) / 2,
                          (pose.crank_pin.y + pose.yoke_pin.y) / 2};
  return {
      {Colour::blue, {kCylinderOuterLeft, (kCylinderOuterTop + kCylinderBottom) / 2}},
      {Colour::red, {kPistonLeft, crown + kPistonDepth / 2}},
      {Colour::black, {kPistonRight - 20, crown + kRingGrooves[2]}},
      {Colour::red,
       {mirrored(kSideCorner.centre.x - kSideCorner.radius), crown + kSideCorner.centre.y}},
      {Colour::red, {mirrored(kShoeLeft), crown + (kShoeTop + kShoeBottom) / 2}},
      {Colour::blue, {kCylinderOuterLeft, kRailBottom - 10}},
      // Short of the middle of the counterweight's arc, which the shoes cover in some poses.
      {Colour::black, on_circle({kMainAxis, kCounterweightRadius}, away_from_pin - 20 * kDegree)},
      {Colour::black, on_circle({pose.crank_pin, kCrankPinRadius}, away_from_pin)},
      {Colour::blue, link_middle},
      {Colour::red, on_circle({pose.yoke_pin, kYokePinRadius}, 0)},
      {Colour::black, on_circle({kMainAxis, kMainAxisRadius}, kPi)},
      {Colour::green, {kMainAxis.x, 540}},
  };
}

std::vector<Picture> draw_all_frames(int zoom) {
  std::vector<Picture> frames;
  for (int frame = 1; frame <= kFrameCount; ++frame)
    frames.push_back(draw_frame(frame_pose(frame), zoom));
  return frames;
}

}  // namespace nuv::drawing
