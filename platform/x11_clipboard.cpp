// The CLIPBOARD selection: the program's store offered to other programs,
// theirs brought in, text and bitmaps, in increments when large.
#include "platform/x11_clipboard.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/win_clipboard.h"
#include "platform/win_last_error.h"

namespace plat::x11 {

namespace {

constexpr int kAnswerMs = 2000;  // how long another owner may keep us waiting

// Text of the store (Windows-1252, CR LF) as another program wants it.
std::string lf_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// Text of another program (cut at a NUL) with CR LF line ends.
std::string crlf_lines(std::string text) {
  text.resize(std::strlen(text.c_str()));
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::uint32_t le32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

void put_le32(std::string& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Bytes of a packed bitmap before its pixels: header, masks, colours; 0
// when the header is not one.
std::size_t dib_head(const std::string& dib) {
  if (dib.size() < 40) return 0;
  const std::uint32_t size = le32(dib, 0);
  if (size < 40 || size > dib.size()) return 0;
  const unsigned bits = static_cast<unsigned char>(dib[14]) | static_cast<unsigned char>(dib[15])
                                                                  << 8;
  const std::uint32_t compression = le32(dib, 16);
  std::uint32_t colours = le32(dib, 32);
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  const std::size_t masks = size == 40 && compression == 3 ? 12 : 0;
  const std::size_t head = size + masks + 4 * static_cast<std::size_t>(std::min(colours, 256u));
  return head <= dib.size() ? head : 0;
}

// A packed bitmap as a BMP file and back; empty when it is not one.
std::string bmp_from_dib(const std::string& dib) {
  const std::size_t head = dib_head(dib);
  if (head == 0) return {};
  std::string bmp = "BM";
  put_le32(bmp, static_cast<std::uint32_t>(14 + dib.size()));
  put_le32(bmp, 0);
  put_le32(bmp, static_cast<std::uint32_t>(14 + head));
  return bmp + dib;
}

std::string dib_from_bmp(const std::string& bmp) {
  if (bmp.size() < 14 + 40 || bmp.compare(0, 2, "BM") != 0) return {};
  const std::string rest = bmp.substr(14);
  const std::size_t head = dib_head(rest);
  const std::uint32_t bits = le32(bmp, 10);
  if (head == 0 || bits < 14 + head || bits > bmp.size()) return {};
  // The pixels follow the colours directly in the packed form.
  return rest.substr(0, head) + bmp.substr(bits);
}

struct Wanted {
  int type;
  Window window;
  Atom atom;  // SelectionNotify: the selection; PropertyNotify: the property
};

Bool matches(Display*, XEvent* ev, XPointer arg) {
  const auto* w = reinterpret_cast<const Wanted*>(arg);
  if (ev->type == SelectionRequest) return True;  // served while we wait
  if (ev->type != w->type || ev->xany.window != w->window) return False;
  if (ev->type == SelectionNotify) return ev->xselection.selection == w->atom ? True : False;
  return ev->xproperty.atom == w->atom && ev->xproperty.state == PropertyNewValue ? True : False;
}

}  // namespace

Clipboard::Clipboard(Display* dpy) : dpy_(dpy) {
  XSetWindowAttributes a{};
  a.event_mask = PropertyChangeMask;
  win_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), -10, -10, 1, 1, 0, 0, InputOnly,
                       CopyFromParent, CWEventMask, &a);
  clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
  targets_ = XInternAtom(dpy_, "TARGETS", False);
  timestamp_ = XInternAtom(dpy_, "TIMESTAMP", False);
  utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
  text_ = XInternAtom(dpy_, "TEXT", False);
  incr_ = XInternAtom(dpy_, "INCR", False);
  bmp_ = XInternAtom(dpy_, "image/bmp", False);
  prop_ = XInternAtom(dpy_, "OSTREL_SELECTION", False);
  time_prop_ = XInternAtom(dpy_, "OSTREL_TIME", False);
  chunk_ = static_cast<std::size_t>(std::max(4096L, XMaxRequestSize(dpy_) * 4 - 256));
  // What the program put on the clipboard before the display opened.
  std::string any;
  if (plat::clipboard_data(win::CF_TEXT, &any) || plat::clipboard_data(win::CF_DIB, &any))
    claim(CurrentTime);
}

Clipboard::~Clipboard() { XDestroyWindow(dpy_, win_); }

Time Clipboard::server_time() {
  // A change of a property of our own window carries the server's time.
  XChangeProperty(dpy_, win_, time_prop_, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent ev;
  return wait_for(PropertyNotify, time_prop_, &ev) ? ev.xproperty.time : CurrentTime;
}

void Clipboard::claim(Time time) {
  owned_time_ = time != CurrentTime ? time : server_time();
  XSetSelectionOwner(dpy_, clipboard_, win_, owned_time_);
  owned_ = XGetSelectionOwner(dpy_, clipboard_) == win_;
  XFlush(dpy_);
}

bool Clipboard::handle(const XEvent& ev) {
  switch (ev.type) {
    case SelectionRequest:
      if (ev.xselectionrequest.owner != win_) return false;
      serve(ev.xselectionrequest);
      return true;
    case SelectionClear:
      if (ev.xselectionclear.window != win_) return false;
      if (ev.xselectionclear.selection == clipboard_) owned_ = false;
      return true;
    case PropertyNotify: {
      if (ev.xproperty.window == win_) return true;
      if (ev.xproperty.state != PropertyDelete) return false;
      auto it = std::find_if(out_.begin(), out_.end(), [&](const Transfer& t) {
        return t.requestor == ev.xproperty.window && t.property == ev.xproperty.atom;
      });
      if (it == out_.end()) return false;
      send_chunk(*it);
      if (it->sent > it->data.size()) out_.erase(it);
      return true;
    }
    default:
      return false;
  }
}

void Clipboard::serve(const XSelectionRequestEvent& req) {
  // A client of the old conventions names no property: the target serves.
  const Atom property = req.property != None ? req.property : req.target;
  bool ok = false;
  std::string text, dib;
  const bool has_text = plat::clipboard_data(win::CF_TEXT, &text);
  const bool has_dib = plat::clipboard_data(win::CF_DIB, &dib);
  const bool current =
      owned_ && req.selection == clipboard_ && (req.time == CurrentTime || req.time >= owned_time_);
  if (!current) {
    // not ours (any more)
  } else if (req.target == targets_) {
    std::vector<Atom> list{targets_, timestamp_};
    if (has_text) list.insert(list.end(), {utf8_, XA_STRING, text_});
    if (has_dib) list.push_back(bmp_);
    XChangeProperty(dpy_, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list.data()),
                    static_cast<int>(list.size()));
    ok = true;
  } else if (req.target == timestamp_) {
    const long t = static_cast<long>(owned_time_);
    XChangeProperty(dpy_, req.requestor, property, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&t), 1);
    ok = true;
  } else if (has_text && (req.target == utf8_ || req.target == text_)) {
    ok = put(req.requestor, property, utf8_, utf8_from_1252(lf_lines(text)));
  } else if (has_text && req.target == XA_STRING) {
    ok = put(req.requestor, property, XA_STRING, latin1_from_1252(lf_lines(text)));
  } else if (has_dib && req.target == bmp_) {
    std::string bmp = bmp_from_dib(dib);
    ok = !bmp.empty() && put(req.requestor, property, bmp_, std::move(bmp));
  }
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = req.requestor;
  reply.xselection.selection = req.selection;
  reply.xselection.target = req.target;
  reply.xselection.property = ok ? property : None;
  reply.xselection.time = req.time;
  XSendEvent(dpy_, req.requestor, False, NoEventMask, &reply);
  XFlush(dpy_);
}

bool Clipboard::put(Window requestor, Atom property, Atom type, std::string data) {
  if (data.size() <= chunk_) {
    XChangeProperty(dpy_, requestor, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<int>(data.size()));
    return true;
  }
  // In increments: the size first; each deletion of the property by the
  // requestor asks for the next piece, an empty piece ends.
  XSelectInput(dpy_, requestor, PropertyChangeMask);
  const long size = static_cast<long>(data.size());
  XChangeProperty(dpy_, requestor, property, incr_, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&size), 1);
  std::erase_if(
      out_, [&](const Transfer& t) { return t.requestor == requestor && t.property == property; });
  out_.push_back(Transfer{requestor, property, type, std::move(data)});
  return true;
}

void Clipboard::send_chunk(Transfer& t) {
  const std::size_t n = t.sent < t.data.size() ? std::min(chunk_, t.data.size() - t.sent) : 0;
  XChangeProperty(dpy_, t.requestor, t.property, t.type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(t.data.data() + t.sent),
                  static_cast<int>(n));
  // Past the end once the empty piece went.
  t.sent += n > 0 ? n : 1;
  XFlush(dpy_);
}

bool Clipboard::wait_for(int type, Atom atom, XEvent* ev) {
  Wanted w{type, win_, atom};
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
  for (;;) {
    while (XCheckIfEvent(dpy_, ev, matches, reinterpret_cast<XPointer>(&w))) {
      if (ev->type != SelectionRequest) return true;
      handle(*ev);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(left));
  }
}

std::string Clipboard::take_property(Atom* type, int* format) {
  std::string out;
  long offset = 0;
  *type = None;
  for (;;) {
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, win_, prop_, offset, 1 << 20, False, AnyPropertyType, type, format,
                           &n, &after, &data) != Success)
      break;
    const std::size_t unit = *format == 32 ? sizeof(long) : *format == 16 ? sizeof(short) : 1;
    if (data != nullptr) {
      out.append(reinterpret_cast<char*>(data), n * unit);
      XFree(data);
    }
    offset += static_cast<long>(n * static_cast<unsigned long>(*format) / 32);
    if (after == 0 || n == 0) break;
  }
  XDeleteProperty(dpy_, win_, prop_);
  return out;
}

Clipboard::Got Clipboard::convert(Atom target, Atom* type, std::string* data) {
  XDeleteProperty(dpy_, win_, prop_);
  XConvertSelection(dpy_, clipboard_, target, prop_, win_, CurrentTime);
  XEvent ev;
  if (!wait_for(SelectionNotify, clipboard_, &ev)) return Got::timeout;
  if (ev.xselection.property == None) return Got::refused;
  // Changes of the property before the answer are behind us.
  Wanted stale{PropertyNotify, win_, prop_};
  while (XCheckIfEvent(dpy_, &ev, matches, reinterpret_cast<XPointer>(&stale))) {
    if (ev.type == SelectionRequest) handle(ev);
  }
  int format = 0;
  *data = take_property(type, &format);
  if (*type != incr_) return *type == None ? Got::refused : Got::data;
  // In increments: each new value is the next piece, an empty one ends.
  data->clear();
  for (;;) {
    if (!wait_for(PropertyNotify, prop_, &ev)) return Got::timeout;
    Atom piece_type = None;
    const std::string piece = take_property(&piece_type, &format);
    if (piece_type == None) continue;  // deleted again before we looked
    if (piece.empty()) break;
    *type = piece_type;
    data->append(piece);
  }
  return Got::data;
}

bool Clipboard::import() {
  const Window owner = XGetSelectionOwner(dpy_, clipboard_);
  if (owner == win_) return true;  // the store is the clipboard
  owned_ = false;
  std::vector<std::pair<win::UINT, std::string>> blocks;
  if (owner != None) {
    Atom type = None;
    std::string data;
    std::vector<Atom> offered;
    Got got = convert(targets_, &type, &data);
    if (got == Got::data) {
      offered.resize(data.size() / sizeof(long));
      for (std::size_t i = 0; i < offered.size(); ++i) {
        long a;
        std::memcpy(&a, data.data() + i * sizeof(long), sizeof a);
        offered[i] = static_cast<Atom>(a);
      }
    } else if (got == Got::refused) {
      offered = {utf8_, XA_STRING};  // an owner that lists nothing may still have text
    }
    auto has = [&](Atom a) {
      return std::find(offered.begin(), offered.end(), a) != offered.end();
    };
    for (Atom t : {utf8_, XA_STRING, text_}) {
      if (got == Got::timeout || !has(t)) continue;
      got = convert(t, &type, &data);
      if (got != Got::data) continue;
      blocks.emplace_back(win::CF_TEXT,
                          crlf_lines(type == XA_STRING ? data : cp1252_from_utf8(data)));
      break;
    }
    if (got != Got::timeout && has(bmp_) && (got = convert(bmp_, &type, &data)) == Got::data) {
      std::string dib = dib_from_bmp(data);
      if (!dib.empty()) blocks.emplace_back(win::CF_DIB, std::move(dib));
    }
    if (got == Got::timeout) {
      win::SetLastError(win::ERROR_TIMEOUT);
      return false;
    }
  }
  plat::set_clipboard_data(blocks);
  return true;
}

}  // namespace plat::x11
