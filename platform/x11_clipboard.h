// The X11 back end's part in the clipboard: the program's store offered to
// other programs as the CLIPBOARD selection, and their selection brought
// into the store when the program reads it. Not for use outside
// platform/x11_*.
//
// Text goes out as UTF8_STRING, STRING (Latin-1) and TEXT with LF line
// ends and comes in with CR LF; a device-independent bitmap (CF_DIB) goes
// both ways as image/bmp. Data too large for one request moves in
// increments (INCR) both ways. Another program that does not answer within
// two seconds fails the read with ERROR_TIMEOUT.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace plat::x11 {

class Clipboard {
 public:
  explicit Clipboard(Display* dpy);
  ~Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Makes the program the owner of CLIPBOARD, as of `time` (CurrentTime:
  // the server's time now, which no earlier owner's can be later than).
  void claim(Time time);
  // Handles an event of the selection machinery; false when it is none.
  bool handle(const XEvent& ev);
  // Brings another owner's data into the store; false (last error set)
  // when it did not answer in time.
  bool import();

 private:
  struct Transfer {  // data going out in increments
    Window requestor;
    Atom property, type;
    std::string data;
    std::size_t sent = 0;
  };
  enum class Got { data, refused, timeout };

  void serve(const XSelectionRequestEvent& req);
  bool put(Window requestor, Atom property, Atom type, std::string data);
  void send_chunk(Transfer& t);
  Got convert(Atom target, Atom* type, std::string* data);
  std::string take_property(Atom* type, int* format);
  bool wait_for(int type, Atom atom, XEvent* ev);
  Time server_time();

  Display* dpy_;
  Window win_;
  Atom clipboard_, targets_, timestamp_, utf8_, text_, incr_, bmp_, prop_, time_prop_;
  bool owned_ = false;
  Time owned_time_ = CurrentTime;
  std::size_t chunk_;
  std::vector<Transfer> out_;
};

}  // namespace plat::x11
