#include "drawing/mechanism.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "frames/picture.hpp"

namespace nuv::drawing {
namespace {

using frames::kFrameCount;

struct TablePosition {
  int frame;
  Point crank_pin;
  double yoke_pin_row;
  int crown_row;
};

// Positions as the frames were first drawn, crank-pin and yoke-pin centres to a tenth of a pixel.
constexpr TablePosition kPositionTable[] = {
    {1, {151.0, 242.5}, 374.0, 29},   {2, {173.4, 246.5}, 376.0, 31},
    {3, {193.1, 257.8}, 382.4, 38},   {4, {207.7, 275.2}, 393.9, 49},
    {5, {215.5, 296.6}, 411.2, 67},   {6, {215.5, 319.4}, 434.0, 89},
    {7, {207.7, 340.8}, 459.4, 115},  {8, {193.1, 358.2}, 482.8, 138},
    {9, {173.4, 369.5}, 499.1, 155},  {10, {151.0, 373.5}, 505.0, 161},
    {11, {128.6, 369.5}, 499.1, 155}, {12, {108.9, 358.2}, 482.8, 138},
    {13, {94.3, 340.8}, 459.4, 115},  {14, {86.5, 319.4}, 434.0, 89},
    {15, {86.5, 296.6}, 411.2, 67},   {16, {94.3, 275.2}, 393.9, 49},
    {17, {108.9, 257.8}, 382.4, 38},  {18, {128.6, 246.5}, 376.0, 31},
};

constexpr double kHalfPixel = 0.5;
constexpr double kExact = 1e-9;

TEST(FramePose, MatchesThePositionTable) {
  for (const TablePosition& expected : kPositionTable) {
    SCOPED_TRACE("frame " + std::to_string(expected.frame));
    const Pose pose = frame_pose(expected.frame);
    EXPECT_NEAR(pose.crank_pin.x, expected.crank_pin.x, kHalfPixel);
    EXPECT_NEAR(pose.crank_pin.y, expected.crank_pin.y, kHalfPixel);
    EXPECT_NEAR(pose.yoke_pin.x, kMainAxis.x, kExact);
    EXPECT_NEAR(pose.yoke_pin.y, expected.yoke_pin_row, kHalfPixel);
    EXPECT_EQ(pose.crown_row, expected.crown_row);
  }
}

TEST(FramePose, PistonTravelsTwiceTheCrankRadiusAndPassesMidStrokeBetweenFrames6And7) {
  const double top = frame_pose(1).yoke_pin.y;
  const double bottom = frame_pose(10).yoke_pin.y;
  EXPECT_NEAR(bottom - top, 131, kExact);
  for (int frame = 1; frame <= kFrameCount; ++frame) {
    EXPECT_GE(frame_pose(frame).yoke_pin.y, top);
    EXPECT_LE(frame_pose(frame).yoke_pin.y, bottom);
  }
  // The link pulls from below the crank, so the piston lingers near the top.
  const double mid_stroke = (top + bottom) / 2;
  EXPECT_LT(frame_pose(6).yoke_pin.y, mid_stroke);
  EXPECT_GT(frame_pose(7).yoke_pin.y, mid_stroke);
}

TEST(FramePose, EveryStepTurnsTheCrank20DegreesClockwiseIncludingFrame18ToFrame1) {
  for (int frame = 1; frame <= kFrameCount; ++frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    const int next = frame % kFrameCount + 1;
    const Point turned = crank_pin_centre(crank_angle(frame) + 20 * kDegree);
    EXPECT_NEAR(turned.x, frame_pose(next).crank_pin.x, kExact);
    EXPECT_NEAR(turned.y, frame_pose(next).crank_pin.y, kExact);
  }
  // Clockwise on screen: from straight up the crank pin moves to the right.
  EXPECT_GT(frame_pose(2).crank_pin.x, frame_pose(1).crank_pin.x);
}

TEST(FramePose, RejectsFrameNumbersOutside1To18) {
  EXPECT_THROW(frame_pose(0), std::out_of_range);
  EXPECT_THROW(frame_pose(19), std::out_of_range);
}

}  // namespace
}  // namespace nuv::drawing
