#pragma once
// Test support for the real window: a private Xvfb display, the viewer running on it, and the
// tools that drive and inspect it, gathered for the tests that use them all.

#include "tests/real_window/process.hpp"
#include "tests/real_window/sessions.hpp"
#include "tests/real_window/viewer.hpp"
#include "tests/real_window/window_reader.hpp"
