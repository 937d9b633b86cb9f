#pragma once
// Where the client area is composed and how it reaches the screen: one way for each kind of
// window the host can be given.

#include "host/client_area.hpp"

namespace nuv::host {

class Presenter {
 public:
  virtual ~Presenter() = default;
  // The client area to compose Picture1's picture in, asked for anew before each picture: the
  // window system may have given the window new memory, which is then drawn whole.
  virtual ClientArea& area() = 0;
  // Puts what changed in the area since the last call on screen; with `repaint`, all of it.
  // False, with nothing shown, while the window system cannot take a picture yet: the changes
  // wait for the next call, which never blocks either.
  virtual bool present(bool repaint) = 0;
};

}  // namespace nuv::host
