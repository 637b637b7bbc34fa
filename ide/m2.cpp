#include "ide/m2.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/editbuffer.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "ide/bookmarks.h"
#include "ide/fedit.h"
#include "ide/fedit_internal.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/options.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/statusbar.h"
#include "ide/tooltip.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "io/stopwatch.h"
#include "ui/dialogwords.h"
#include "ui/win.h"

namespace ide {

namespace {

// Where the handler goes next.
enum class Step {
  start,
  top,
  editor,
  after,
  stepend,
  whole,
  loop,
  run,
  yielded,
  stopped,
  finish,
  close,
  exit,
  leave
};

// Editor words by field.
namespace ed {
inline constexpr int handline = 2;
}  // namespace ed

// Run and editing switches (field 21).
namespace rf {
inline constexpr std::int32_t compileonopen = 0x1;
inline constexpr std::int32_t run = 0x8;
inline constexpr std::int32_t trace = 0x10;
inline constexpr std::int32_t compileerror = 0x20;
inline constexpr std::int32_t whole = 0x1000;
inline constexpr std::int32_t extra = 0x2000;
}  // namespace rf

// xeqmode bits.
inline constexpr std::int32_t suspended = core::runmode::suspended;
inline constexpr std::int32_t running = core::runmode::running;
inline constexpr std::int32_t compiled = core::runmode::compiled;
inline constexpr std::int32_t tracing = core::runmode::trace;

inline constexpr std::int16_t readfromwindow = static_cast<std::int16_t>(0xAC20);
inline constexpr std::int16_t systemstatement = static_cast<std::int16_t>(0xACE0);

// A stop while the last whole compile had failed: the next whole compile
// runs nothing.
bool compilestop = false;

// The last whole compile left no program (it refused the script's first
// line, or the script has more lines than statements can number): the box
// it showed said why, and Run or Step compiles the script anew to say it
// again rather than do nothing.
bool noprogram = false;

// The line a run began at, while the status bar tells of that run (0: no
// run begun).
std::int32_t runfrom = 0;

std::int32_t& field(int k) { return core::edvars(k); }
std::int32_t& runflags() { return core::edflags; }
std::int32_t& curline() { return field(core::edv::curline); }
std::int32_t& loadline() { return field(core::edv::loadline); }
std::int32_t& chg() { return field(core::edv::chg); }

std::int16_t stop() { return core::stopword(); }
bool changes() { return core::c1editmodified(); }
bool maincurrent() { return wdwcur != nullptr && wdwcur == wdwhead; }

// The status bar tells that a run goes on, and where it began when that is
// not the first line: a run continues from the cursor line (after a step,
// or at the line corrected after a failed compile), and the lines before it
// are not run.
void runbegins() {
  // A tooltip may show a value that the run changes: it goes.
  KILLTOOLTIPWINDOW();
  runfrom = std::max(core::xeqline, 1);
  const std::string text = runfrom > 1 ? "Running, continued at line " + std::to_string(runfrom)
                                       : std::string("Running");
  STATUSBAR({.run = text});
}

// ... and how it ended.
void runends() {
  if (runfrom == 0) return;
  const std::int16_t s = static_cast<std::int16_t>(core::xeqstop & 0xFFFF);
  std::string text =
      runfrom > 1 ? "Run continued at line " + std::to_string(runfrom) + ", " : std::string("Run ");
  text += (s == core::stops::end ? "ended at line " : "stopped at line ") +
          std::to_string(core::xeqline);
  runfrom = 0;
  STATUSBAR({.run = text});
}

std::string stepword() { return (runflags() & rf::trace) != 0 ? "Trace" : "Step"; }

// A step (or a traced line) begins: the status bar names its line while it
// runs, so that a box it brings up (its error, its dialog) and the status
// bar name the same line.
void stepbegins(std::int32_t line) {
  // (The executor marks a statement that a Cancel or Escape ended.)
  exec::stoppedflag = 0;
  STATUSBAR({.run = stepword() + " runs line " + std::to_string(line)});
}

// ... and which line it ran and where the run goes on, or that it ended,
// or that its statement stopped before its end (an error, a dialog
// cancelled).
void stepends(std::int32_t ran) {
  const std::string what = stepword();
  const std::string at = std::to_string(core::xeqline);
  const std::int16_t s = stop();
  std::string text;
  if (s == core::stops::end)
    text = what + ": the run ended at line " + at;
  else if ((s == 0 || s == core::stops::broken) && exec::stoppedflag == 0)
    text = what + " ran line " + std::to_string(ran) + ", line " + at + " is next";
  else
    text = what + " stopped at line " + at;
  STATUSBAR({.run = text});
}

// The rows shown take in the line: about their middle when it lay outside
// them.
void viewline(std::int32_t line) {
  const std::int32_t rows = std::max(exec::nrows, 1);
  std::int32_t& first = field(core::edv::firstline);
  if (line < first || line > first + rows - 1) first = std::max(1, line - rows / 2);
}

// A run that waits at its table dialog is over when a new run begins: its
// dialog closes first, unanswered, so that no window of it is left to
// resume it or to run its routines.
void endwait() {
  for (wdwrec* r = wdwhead; r != nullptr; r = r->next) {
    if ((r->kind & kind::awaited) == 0) continue;
    r->kind &= ~kind::awaited;
    core::xeqmode &= ~suspended;
    ui::awaitedanswer = ui::AwaitedAnswer{};
    if (r->window != nullptr) KILLWINDOW(r->window, -1);
    return;
  }
}

void startclock() {
  if (cputoggle && (core::xeqmode & running) == 0) io::REALTIME(0, 0);
}

// A script asked for another script: it is closed, the other one becomes
// current and runs.
void chain() {
  OPENEDITCLOSE(0);
  std::string next = exec::chainscript;
  if (!next.empty() && next.front() != '/') next = std::string(workdir.trimmed()) + next;
  scriptpath.set(next);
  OPENEDITSETINI(0);
  runflags() |= rf::run;
  core::xeqmode &= ~suspended;
  core::xeqstop = 0;
}

// The item of the main window's own menu: its check state, then the help
// text of its selection variable.
void menuhelp() {
  // The chosen item's title into the selection variable first.
  if (exec::stateupdate != nullptr && core::z.valid(2))
    exec::stateupdate(
        static_cast<std::int32_t>(std::lround(std::clamp(core::z(2), -1.0e9, 1.0e9))));
  core::idecmd = prevcmd;
  if (wdwhead == nullptr || wdwhead->menustatevar <= 0) return;
  std::int32_t first = 0, last = 0;
  if (core::ISCHAR(wdwhead->menustatevar, first, last) == 0 || first < 1 || last < first) return;
  std::string text(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  text.resize(256, ' ');
  int answer = 0;
  core::HELP(std::string_view(text).substr(0, text.find(' ')), answer);
}

Step startstep() {
  core::idestate |= busy::command;
  edkey = 0;
  compilestop = false;
  chg() |= 1;
  const std::int32_t c = core::idecmd;
  if (c == cmd::newscript || c == cmd::open || (c >= cmd::recent1 && c <= cmd::recent10)) {
    SETINIFILE(edkey);
    core::idestate &= ~busy::editor;
  } else if (c == cmd::trace) {
    runflags() |= rf::trace;
  } else if (c == cmd::run) {
    runflags() |= rf::run;
  } else if (c == 21059 && maincurrent()) {
    // A link clicked in a dialog: the window it asks for.
    core::idecmd = prevcmd;
    ui::WINLINKCOMMAND();
    return Step::exit;
  } else if (c == 31000 && maincurrent()) {
    menuhelp();
    return Step::exit;
  }
  core::edmode = 13;
  core::idecmd = -1;
  core::xeqline = 1;
  core::nstmt = 0;
  noprogram = false;
  field(edexitfield) = 0;
  if (scriptpath.is_blank()) FILEHISTORY(1, 0);
  OPENEDIT(scriptpath.view(), true);
  if (field(edexitfield) != 0) {
    edkey = 0;
    return Step::close;
  }
  if ((runflags() & rf::compileonopen) == 0) return Step::finish;
  runflags() |= rf::whole;
  MENUTOOLONOFF("E0");
  return Step::whole;
}

Step topstep() {
  const std::int32_t c = core::idecmd;
  // A READ from a window has its line: the run goes on at the READ.
  if (exec::resumecode == readfromwindow && (core::idestate & busy::windowread) == 0)
    return Step::run;
  if (c <= 0) {
    if (exec::resumecode == systemstatement) {
      waitinput = 1;
      return Step::leave;
    }
    if (c < -12) core::idecmd = prevcmd = -1;
    return Step::editor;
  }
  const bool waited = (core::xeqmode & suspended) != 0;
  if (waited && c == 21061 && exec::awaitedopen()) {
    // Another window closed while the run waits for its table: it waits on.
    core::idecmd = prevcmd;
    return Step::leave;
  }
  if (waited) {
    core::xeqmode &= ~suspended;
    field(ed::handline) = core::xeqline;
    curline() = loadline();
    edkey = 0;
  } else if (exec::resumecode != 0 && exec::savedmode != 0) {
    core::xeqmode = exec::savedmode;
  }
  if (c == cmd::newscript || c == cmd::open || (c >= cmd::recent1 && c <= cmd::recent10))
    return Step::start;
  switch (c) {
    case 21059:
      core::idecmd = prevcmd;
      ui::WINLINKCOMMAND();
      return Step::editor;
    case 21061: {
      const bool escape = prevcmd == 21061;
      core::idecmd = prevcmd;
      waitinput = 1;
      if (escape || (core::xeqmode & running) != 0) {
        core::edmode = 11;
        return Step::after;
      }
      // (Escape closed the dialog that the run waited for: it stopped.)
      if (waited) runends();
      return Step::editor;
    }
    case 21063:
    case 21064:
    case 22100:
    case 31000:
      return Step::run;
    case cmd::jump:
      return Step::after;
    default:
      return Step::editor;
  }
}

Step editorstep() {
  if ((core::idestate & busy::editor) == 0) {
    if (exec::resumecode == readfromwindow) return Step::after;
    if (core::edmode == 10) {
      core::edmode = 13;
      if ((core::xeqmode & suspended) == 0) curline() = core::xeqline;
    }
    FEDIT(edlinebuf, edkey);
    if (core::edmode == 11) return Step::after;
  }
  if ((waitinput & 1) != 0) return Step::leave;
  FEDITRESUME(edlinebuf, edkey);
  return (waitinput & 1) != 0 ? Step::leave : Step::after;
}

// Continue after a control's jump: at its label when that names a statement.
void jumplabel() {
  core::idecmd = prevcmd;
  if (exec::resumestmt > 0) {
    core::xeqline = exec::resumestmt;
    exec::resumestmt = 0;
    return;
  }
  const std::int32_t s = core::nomsg;
  const bool label = s >= 1 && s <= core::nsym && core::I2EQUZ(1, s) > 0;
  core::xeqline = label ? core::I2EQUZ(1, s) : core::xeqline + 1;
}

// Compiles the whole script from its text.
void wholecompile() {
  core::edmark = 0;
  std::int32_t mode = 0;
  core::KOMPIA(edlinebuf, mode);
  noprogram = core::nstmt == 0 && (core::xeqmode & compiled) == 0;
}

// Run, Step or Trace while the last whole compile left no program: the
// script is compiled anew, which shows the box that told why again while
// that still holds; whether there is a program now. A script corrected
// meanwhile runs or steps as one compiled at its opening does.
bool compileanew() {
  // (The compile itself runs nothing, and the command stays what it was.)
  const std::int32_t mode = core::edmode;
  runflags() |= rf::whole;
  wholecompile();
  runflags() &= ~rf::whole;
  core::edmode = mode;
  if (!noprogram) return true;
  // A trace steps no further: each step would compile and say it again.
  runflags() &= ~rf::trace;
  core::xeqmode &= ~running;
  return false;
}

Step afterstep() {
  if ((chg() & 1) != 0) {
    if (curline() > core::nstmt) {
      chg() &= ~1;
    } else if ((runflags() & rf::compileerror) != 0) {
      return Step::whole;
    } else {
      core::xeqmode &= ~running;
    }
  }
  const std::int32_t c = core::idecmd;
  if (c > 0) {
    if (c >= 10300 && c <= 10303) {
      OPTIONS(c);
      return Step::finish;
    }
    if (c == cmd::jump) {
      jumplabel();
      return Step::run;
    }
    core::xeqline = curline();
    return Step::run;
  }
  if (edkey == 1) {
    if (!changes()) return Step::close;
    std::string title = wdwhead != nullptr ? std::string(wdwhead->title.trimmed()) : "";
    if (basename(title) != basename(workpath.trimmed())) {
      title = std::string(folderof(workpath.trimmed())) +
              std::string(basename(workpath.trimmed())) + ".ost";
      if (wdwhead != nullptr) wdwhead->title.set(title);
    }
    int answer = 0;
    core::MSGBOXFROMHELP("msgSaveChanges", title, answer);
    edkey = answer;
    return stop() != core::stops::error ? Step::close : Step::finish;
  }
  // (A step hands its line over with Enter; a changed line left by
  // another key compiles nothing more.)
  const bool runorstep = core::edmode == 14 || (core::edmode == 11 && edkey == editor::kEnter);
  if (noprogram && core::pastelen <= 0 && runorstep) {
    const std::string what = core::edmode == 14 ? std::string("Run") : stepword();
    if (!compileanew()) {
      STATUSBAR({.run = what + " refused: the script could not be compiled, nothing was run"});
    } else if (stop() > 0) {
      return Step::stopped;
    }
  }
  if (core::pastelen <= 0 && curline() > core::nstmt) {
    core::xeqline = loadline() + 1;
    core::edmode = 11;
    return Step::finish;
  }
  if (core::edmode == 11) {
    // What the tooltip told of the line may change as it runs.
    HIDETOOLTIP();
    startclock();
    core::xeqline = std::min(field(ed::handline), core::nedlines);
    // (A run that goes on here, after a window closed, is no step.)
    const bool step = (core::xeqmode & running) == 0;
    const std::int32_t ran = core::xeqline;
    const bool pasting = core::pastelen > 0;
    if (step && (core::xeqmode & suspended) == 0) stepbegins(ran);
    core::KOMPIL(edlinebuf);
    // A paste that stopped on a line the compiler refused (its error shown)
    // leaves the cursor on that line, which may lie below the rows shown:
    // the view is drawn anew around it, as after a paste that went through.
    if (pasting && core::pastelen == 0) core::edmark = core::edmarkall;
    const std::int16_t s = stop();
    if (s == core::stops::command) return Step::yielded;
    if (step && (core::xeqmode & suspended) == 0) stepends(ran);
    if (s > 0) {
      runflags() &= ~rf::trace;
      return Step::stepend;
    }
    if ((s == core::stops::end || s == core::stops::broken) && (runflags() & rf::trace) != 0) {
      runflags() &= ~rf::trace;
      return Step::stepend;
    }
    if (s == core::stops::chain) {
      chain();
      return Step::start;
    }
    if ((core::idestate & busy::windowread) != 0) {
      core::xeqmode &= ~suspended;
      return Step::leave;
    }
    return (core::xeqmode & suspended) != 0 ? Step::stopped : Step::stepend;
  }
  if (core::edmode == 14) return Step::whole;
  core::edmode = 10;
  return Step::finish;
}

Step wholestep() {
  endwait();
  // A changed declaration, subprogram start or END reaches other lines: the
  // program is compiled anew from the text, from fresh stores.
  if ((runflags() & rf::whole) != 0 || core::programstale) core::xeqmode = 0;
  if ((core::xeqmode & compiled) == 0) {
    wholecompile();
    if (stop() > 0) return Step::stopped;
  }
  if (compilestop) {
    compilestop = false;
    core::xeqmode &= ~running;
    return Step::finish;
  }
  if ((runflags() & rf::whole) != 0) {
    curline() = 1;
    if ((runflags() & rf::run) != 0) {
      core::xeqmode |= running;
    } else if ((runflags() & rf::trace) != 0) {
      core::xeqmode |= tracing;
    }
    runflags() &= ~(rf::extra | rf::trace | rf::run);
    if ((core::xeqmode & running) == 0) return Step::finish;
  }
  chg() &= ~1;
  core::xeqline = curline();
  runbegins();
  return Step::loop;
}

Step runstep() {
  core::KOMPIL(edlinebuf);
  // A READ from a window waits for its line: the run stays suspended.
  if ((core::idestate & busy::windowread) != 0) return Step::leave;
  const std::int16_t s = stop();
  if (s == core::stops::command) return Step::yielded;
  if (s == core::stops::chain) {
    chain();
    return Step::start;
  }
  return Step::stopped;
}

Step yieldstep() {
  if ((waitinput & 1) != 0) return Step::leave;
  if (core::idecmd > 0) return Step::run;
  if ((core::xeqmode & running) != 0 && core::xeqstop == 0) return Step::loop;
  if (core::xeqstop != 0) return Step::finish;
  field(ed::handline) = core::xeqline;
  const bool stays = core::edmode == 11 || core::edmode == 12 || (core::xeqmode & compiled) == 0 ||
                     (chg() & 1) != 0;
  core::edmode = stays ? 12 : 13;
  return Step::finish;
}

Step stoppedstep() {
  if (stop() == core::stops::quit) return Step::close;
  // A window closed during the statement (a kept table layout) stopped the
  // run and asked for it to go on at a statement: it goes on there rather
  // than ending, and the request is not lost when the run's end clears the
  // command.
  if (core::idecmd == cmd::jump && exec::resumestmt > 0 && stop() == core::stops::error) {
    core::xeqstop = 0;
    jumplabel();
    return Step::loop;
  }
  if ((core::xeqmode & suspended) == 0) runends();
  if ((runflags() & rf::compileerror) != 0) compilestop = true;
  if ((core::xeqmode & suspended) != 0) {
    // The editor shows the statement whose table the run waits at, as it
    // shows the line a step stopped at.
    if (exec::awaitedopen()) {
      viewline(core::xeqline);
      curline() = loadline() = core::xeqline;
      core::edmode = 13;
      core::edmark = core::edmarkall;
    }
    return Step::leave;
  }
  curline() = core::xeqline;
  core::xeqmode &= ~running;
  const std::int16_t s = stop();
  if (s == core::stops::broken || s == core::stops::end || s == core::stops::cancel) {
    // The editor shows the stop line: it restarts on it with the whole
    // picture drawn anew, as the line input leaves the row it stood on
    // when the run began.
    core::edmode = 12;
    loadline() = core::xeqline;
    core::edmark = core::edmarkall;
    core::xeqstop = 0;
    runflags() &= ~rf::whole;
  }
  return Step::finish;
}

Step finishstep() {
  if ((runflags() & rf::whole) != 0) {
    runflags() &= ~rf::whole;
    if (core::xeqstop == 0) {
      core::xeqline = curline();
      curline() = loadline() = 1;
    }
  }
  field(ed::handline) = core::xeqline;
  waitinput = 1;
  if (stop() == core::stops::broken) {
    core::xeqstop = 0;
    core::keyrec = {27, 1, 0, 0};
  }
  if (core::xeqstop == 0 && core::edmark != core::edmarkall) return Step::top;
  core::xeqmode &= ~running;
  runflags() &= ~(rf::extra | rf::trace | rf::run);
  // (By the rows the window shows as measured: the rows before the measure
  // may be more than it shows.)
  viewline(core::xeqline);
  core::edmark = core::edmarkall;
  if (stop() != core::stops::returned && stop() != core::stops::end) core::edmode = 13;
  curline() = loadline() = core::xeqline;
  edkey = 59;
  core::xeqstop = 0;
  core::idecmd = -1;
  core::idestate &= ~busy::editor;
  return Step::top;
}

void handle(Step s) {
  for (;;) {
    switch (s) {
      case Step::start:
        s = startstep();
        break;
      case Step::top:
        s = topstep();
        break;
      case Step::editor:
        s = editorstep();
        break;
      case Step::after:
        s = afterstep();
        break;
      case Step::stepend:
        if (cputoggle) io::REALTIME(1, 0);
        // (A run that went on after the dialog it waited for closed.)
        if ((core::xeqmode & suspended) == 0) runends();
        core::xeqmode &= ~suspended;
        field(ed::handline) = core::xeqline;
        s = Step::finish;
        break;
      case Step::whole:
        s = wholestep();
        break;
      case Step::loop:
        core::xeqmode |= running | compiled;
        if (cputoggle) io::REALTIME(0, 0);
        s = Step::run;
        break;
      case Step::run:
        s = runstep();
        break;
      case Step::yielded:
        s = yieldstep();
        break;
      case Step::stopped:
        s = stoppedstep();
        break;
      case Step::finish:
        s = finishstep();
        break;
      case Step::close:
        OPENEDITCLOSE(edkey);
        s = Step::exit;
        break;
      case Step::exit:
        core::idestate &= ~busy::command;
        return;
      case Step::leave:
        return;
    }
  }
}

}  // namespace

void M2() { handle(Step::start); }

void M2COMMAND() { handle(Step::top); }

void reset_m2() {
  edkey = 0;
  edlinebuf.fill(' ');
  compilestop = false;
  noprogram = false;
  runfrom = 0;
}

}  // namespace ide
