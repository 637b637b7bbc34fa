// Option statements of several built-ins, mutated (options dropped,
// doubled, swapped, given other values or none, keywords misspelt) and
// given an error label that exists, one that does not, a variable or none,
// written alone, assigned, inside an expression, an IF or a CALL, in a DO
// loop, in the main program, a subroutine and a function. Every script
// must end, within its statement budget, in one of the stop lines the
// windowless run documents, without a crash or a sanitizer report. Each
// runs in a child process of its own; the labels stand after the
// statements, so that no script loops by its own design.
//
// OSTREL_FUZZ_SEED and OSTREL_FUZZ_COUNT choose another seed and more
// scripts for a longer run by hand.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "exec/postfix.h"
#include "exec/script_mutants.h"
#include "exec/script_runner.h"
#include "ide/panlio.h"
#include "support/test_support.h"

namespace {

using Rng = std::mt19937;

std::size_t pick(Rng& rng, std::size_t n) { return n == 0 ? 0 : rng() % n; }
template <class T>
const T& any(Rng& rng, const std::vector<T>& v) {
  return v[pick(rng, v.size())];
}

// A keyword and the kind of value it takes: 'N' a number, 'S' a text,
// ' ' none (a switch).
struct Keyword {
  std::string name;
  char type = ' ';
};

// A built-in, the options a well-formed call may have, the keywords the
// mutants may add, and whether items follow the call (READ, WRITE).
struct Builtin {
  std::string name;
  std::vector<std::string> options;
  std::vector<Keyword> keywords;
  bool items = false;
};

// The keywords of a built-in's list less ERror and those that reach past
// the test's folder or its process (printing, windows, the clipboard,
// shell commands, other folders, other functions of the C library).
template <std::size_t N>
std::vector<Keyword> keywords(const core::ShopEntry (&list)[N],
                              const std::vector<std::string_view>& refused,
                              const std::vector<std::string_view>& only = {}) {
  std::vector<Keyword> out;
  for (const core::ShopEntry& e : list) {
    const bool taken = only.empty()
                           ? std::find(refused.begin(), refused.end(), e.kw) == refused.end()
                           : std::find(only.begin(), only.end(), e.kw) != only.end();
    if (e.kw != "ERror" && taken) out.push_back({std::string(e.kw), e.type});
  }
  return out;
}

std::vector<Builtin> builtins() {
  const std::vector<std::string_view> windows{"WINdowhandle", "ClipBoard", "PRint",
                                              "StatusBar",    "TitleBar",  "OnButton"};
  return {
      {"OPEN",
       {"FIle=F", "IOStat=I", "Format='A5,A'", "DIRect", "RecL=8", "LENgth=L"},
       keywords(core::openopts, {})},
      {"READ",
       {"Text=T", "Format='F8.2'", "IOStat=I", "FIle=F", "ItemS=K"},
       keywords(core::readopts, windows),
       true},
      {"WRITE",
       {"Text=T", "Format='I3'", "IOStat=I", "FIle=F", "APPend", "CLoSe=1"},
       keywords(core::writeopts, windows),
       true},
      {"SYSTEM",
       {"FIle='*.txt'", "FileSize=N", "DIR='*.txt'", "GEteNV=T"},
       keywords(core::systemopts, {},
                {"FIle", "FileSize", "DIR", "GEteNV", "FileTime", "APPend", "SORt", "SetFileTime",
                 "COPY", "COPYTO", "DELETE"})},
      {"TIME", {"Year=Y", "TO", "Excel=43472", "YYYYMMDD", "Day=D"}, keywords(core::timeopts, {})},
      {"SORT", {"Vector=V", "Index=IX", "Descending=1"}, keywords(core::sortopts, {})},
      {"BITS", {"X", "SetBit=3", "Low1=P", "CLR=8"}, keywords(core::bitsopts, {})},
      {"STRUCT", {"I4=X", "R8=Z", "CHar=S", "Bytes=N"}, keywords(core::structopts, {})},
      {"ALIAS", {"Base=V", "Index=2", "Columns=2", "Vector=P"}, keywords(core::aliasopts, {})},
      {"KEY", {"Ascii", "SHift"}, keywords(core::keyopts, {})},
      {"DLL",
       {"Module='libc.so.6'", "Procedure='abs'", "I4=X"},
       keywords(core::dllopts, {}, {"I4", "I2", "R4", "I4P", "R8P"})},
  };
}

const std::vector<std::string> numbers{"0",      "1",     "-1",    "3", "2.5", "1E300",
                                       "-32768", "70000", "65535", "X", "N",   "E",
                                       "U",      "X + 1", "V(2)",  "V", "W"};
const std::vector<std::string> texts{"'fz.txt'", "''",       "'a'",    "'F8.2'", "'I3)'",
                                     "'*.txt'",  "'abc'",    "'A5,A'", "T",      "F",
                                     "S",        "T // 'x'", "S(2:3)"};

// Error labels: 10 stands at the main program's end, 20 and 40 at the
// ends of the subroutine Q and the function FN (each known only inside
// its own); 77 stands nowhere; E and V are variables. A bare ERror is
// refused by the compiler.
const std::vector<std::string> errorlabels{"",         "",         "ERror=10", "ERror=10",
                                           "ERror=20", "ERror=40", "ERror=77", "ERror=77",
                                           "ERror=E",  "ERror=V"};

// A value for a keyword of the type: mostly one of its kind.
std::string value(Rng& rng, char type) {
  if (type == ' ' || pick(rng, 8) == 0) return any(rng, pick(rng, 2) == 0 ? numbers : texts);
  return any(rng, type == 'S' ? texts : numbers);
}

std::string option(Rng& rng, const Builtin& b) {
  const Keyword& kw = any(rng, b.keywords);
  return kw.type == ' ' && pick(rng, 4) != 0 ? kw.name : kw.name + "=" + value(rng, kw.type);
}

std::string keywordof(const std::string& o) { return o.substr(0, o.find('=')); }

char typeof_(const Builtin& b, const std::string& kw) {
  for (const Keyword& k : b.keywords)
    if (k.name == kw) return k.type;
  return 'N';
}

// One option statement of built-in b, mutated.
std::string call(Rng& rng, const Builtin& b) {
  std::vector<std::string> opts = b.options;
  const std::size_t changes = pick(rng, 3);
  for (std::size_t c = 0; c < changes; ++c) {
    const std::size_t i = pick(rng, opts.size());
    const bool fixed = b.name == "DLL" && i < 2;  // the library and its function
    switch (pick(rng, 13) / 2) {
      case 0:
        if (!opts.empty() && !fixed) opts.erase(opts.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      case 1:
        if (!opts.empty()) opts.push_back(opts[i]);
        break;
      case 2:
        if (opts.size() >= 2) std::swap(opts[i], opts[pick(rng, opts.size())]);
        break;
      case 3:
        if (!opts.empty() && !fixed) {
          const std::string kw = keywordof(opts[i]);
          opts[i] = kw + "=" + value(rng, typeof_(b, kw));
        }
        break;
      case 4:
        if (!opts.empty() && !fixed && pick(rng, 3) == 0) opts[i] = keywordof(opts[i]);
        break;
      case 5:
        opts.insert(opts.begin() + static_cast<std::ptrdiff_t>(std::min(i, opts.size())),
                    option(rng, b));
        break;
      default: {
        // A keyword with one of its capitals left out.
        if (opts.empty() || fixed) break;
        std::string& o = opts[i];
        const std::size_t end = std::min(o.find('='), o.size());
        std::vector<std::size_t> caps;
        for (std::size_t k = 0; k < end; ++k)
          if (o[k] >= 'A' && o[k] <= 'Z') caps.push_back(k);
        if (!caps.empty()) o.erase(any(rng, caps), 1);
        break;
      }
    }
  }
  const std::string& label = pick(rng, 30) == 0 ? "ERror" : any(rng, errorlabels);
  if (!label.empty())
    opts.insert(opts.begin() + static_cast<std::ptrdiff_t>(pick(rng, opts.size() + 1)), label);
  std::string text = b.name + "(";
  for (std::size_t i = 0; i < opts.size(); ++i) text += (i > 0 ? ", " : "") + opts[i];
  text += ")";
  if (b.items) {
    const std::size_t n = pick(rng, 3);
    for (std::size_t i = 0; i < n; ++i) text += (i > 0 ? ", " : " ") + value(rng, 'N');
  }
  return text;
}

// The statement in one of the forms the executor runs by different paths.
std::string statement(Rng& rng, const std::string& c) {
  switch (pick(rng, 10)) {
    case 0:
    case 1:
    case 2:
      return c;
    case 3:
    case 4:
    case 5:
      return "N = " + c;
    case 6:
      return "N = 1 + " + c;
    case 7:
    case 8:
      return "IF (X > 0) " + c;
    default:
      return "CALL R(" + c + ")";
  }
}

std::string script(Rng& rng, const std::vector<Builtin>& all) {
  std::string s =
      "CHARACTER T*12, F*12, S*8\n"
      "DIMENSION V(3), W(2, 3), IX(3)\n"
      "T = 'abc'\n"
      "F = 'fz.txt'\n"
      "S = 'abcdefgh'\n"
      "V = 3, 1, 2\n"
      "X = 1\n"
      "E = 0\n";
  const std::size_t n = 1 + pick(rng, 3);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string st = statement(rng, call(rng, any(rng, all)));
    switch (pick(rng, 6)) {
      case 0:
        // Three runs: the later ones replay what the first made of it.
        s += "DO 30 J = 1, 3\n" + st + "\n30 CONTINUE\n";
        break;
      case 1:
        s += "N = FN(X)\n" + st + "\n";
        break;
      default:
        s += st + "\n";
        break;
    }
  }
  s += "CALL Q\nGOTO 10\nSUBROUTINE Q\n";
  if (pick(rng, 2) == 0) s += statement(rng, call(rng, any(rng, all))) + "\n";
  s += "20 CONTINUE\nRETURN\nSUBROUTINE R(A)\nEND\nFUNCTION FN(B)\n";
  s += statement(rng, call(rng, any(rng, all))) + "\n40 FN = B\nEND\n10 Y = 1\nEND\n";
  return s;
}

// The stop lines of README.md's "Running a script", for a script of
// `lines` lines.
bool documented(const std::string& outcome, int lines) {
  std::string last = outcome;
  while (!last.empty() && last.back() == '\n') last.pop_back();
  const bool compile = last.starts_with("compile ");
  if (compile) {
    last = last.substr(0, last.find('\n'));
  } else {
    last = last.substr(last.rfind('\n') == std::string::npos ? 0 : last.rfind('\n') + 1);
  }
  static const std::regex ended("stop=(-1|-3|-5|-999|-4( key=\\S+)?)");
  static const std::regex failed("(compile )?stop=(32767|120) line=([0-9]+) key=\\S+");
  static const std::regex paused("stop=0 line=([0-9]+)");
  std::smatch m;
  if (!compile && std::regex_match(last, ended)) return true;
  if (!compile && std::regex_match(last, m, paused)) {
    const int line = std::stoi(m[1].str());
    return line >= 1 && line <= lines;
  }
  if (!std::regex_match(last, m, failed) || (m[1].matched != compile)) return false;
  const int line = std::stoi(m[3].str());
  return line >= 1 && line <= lines;
}

// The statement budget: the input step runs between every two statements
// (the forms leave each statement's end to it while `stepwatch` is set).
int budget = 3000;
int statements = 0;
bool overrun = false;
void countingstep() {
  if (++statements > budget && !overrun) {
    overrun = true;
    core::keyrec[1] = 1;  // Escape, as the user would press it
    core::keystate[1] = 1;
  }
  ide::PANLIOSTEP();
}

// The most memory a script's run may take, in kilobytes (the sanitizers'
// own included).
constexpr long memorymost = 1536L * 1024;

struct Verdict {
  bool ok = true;
  std::string what;
};

// Runs the script in a child process; `what` says what went wrong.
Verdict isolated(const std::string& text, const std::string& home) {
  std::array<int, 2> out{}, err{};
  if (pipe(out.data()) != 0 || pipe(err.data()) != 0) return {false, "no pipe"};
  const pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    close(err[0]);
    dup2(err[1], 2);
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                          "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
      setenv(v, home.c_str(), 1);
    exec::PANLIOSTEP = countingstep;
    exec::stepwatch = true;
    std::string result = scriptrun::run(text);
    if (overrun) result += "(over the budget)\n";
    std::size_t done = 0;
    while (done < result.size()) {
      const ssize_t k = write(out[1], result.data() + done, result.size() - done);
      if (k <= 0) break;
      done += static_cast<std::size_t>(k);
    }
    _exit(0);
  }
  close(out[1]);
  close(err[1]);
  std::string got, errors;
  // (A hang guard: a run takes a fraction of a second of processor time,
  // and a busy machine does not hold a child back three minutes.)
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  bool hung = false;
  for (int open = 2; open > 0;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      hung = true;
      break;
    }
    std::array<pollfd, 2> p{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    if (poll(p.data(), p.size(), static_cast<int>(left)) <= 0) continue;
    for (std::size_t i = 0; i < p.size(); ++i) {
      if (p[i].revents == 0 || p[i].fd < 0) continue;
      std::array<char, 4096> buf{};
      const ssize_t k = read(p[i].fd, buf.data(), buf.size());
      if (k <= 0) {
        close(i == 0 ? out[0] : err[0]);
        (i == 0 ? out[0] : err[0]) = -1;
        --open;
        continue;
      }
      (i == 0 ? got : errors).append(buf.data(), static_cast<std::size_t>(k));
    }
  }
  if (hung) kill(pid, SIGKILL);
  if (out[0] >= 0) close(out[0]);
  if (err[0] >= 0) close(err[0]);
  int status = 0;
  rusage used{};
  wait4(pid, &status, 0, &used);
  if (hung) return {false, "waited 3 minutes for the run to end\n" + errors};
  // (A script sizes nothing by a value it cannot use: gigabytes show that
  // a count or width was taken as it stood.)
  if (used.ru_maxrss > memorymost)
    return {false, "used " + std::to_string(used.ru_maxrss / 1024) + " MB\n" + errors};
  if (WIFSIGNALED(status))
    return {false, "killed by signal " + std::to_string(WTERMSIG(status)) + "\n" + errors};
  if (errors.find("runtime error") != std::string::npos ||
      errors.find("Sanitizer") != std::string::npos)
    return {false, "sanitizer report\n" + errors};
  if (got.find("(over the budget)") != std::string::npos)
    return {false, "still running after " + std::to_string(budget) + " statements\n" + got};
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  if (!documented(got, lines)) return {false, "undocumented end\n" + got};
  return {};
}

TEST(OptionErrorFuzz, MutatedOptionStatementsEndInADocumentedStopLine) {
  using mutants::envnum;
  const std::uint32_t seed = envnum("OSTREL_FUZZ_SEED", 20240611);
  const std::uint32_t count = envnum("OSTREL_FUZZ_COUNT", testsupport::sized(200, 600));
  Rng rng(seed);
  const std::vector<Builtin> all = builtins();
  scriptrun::start();
  testsupport::TempDir home;
  int failures = 0;
  for (std::uint32_t n = 0; n < count && failures < 5; ++n) {
    const std::string text = script(rng, all);
    const Verdict v = isolated(text, home.path().string());
    if (!v.ok) {
      ++failures;
      ADD_FAILURE() << "script " << n << " of seed " << seed << ": " << v.what.substr(0, 3000)
                    << "\n--- script ---\n"
                    << text << "--- end ---";
    }
  }
  scriptrun::finish();
}

// Every option of the window, dialog, file, plot and numerical statements
// that may take a number gets the values that overflow the integer
// arithmetic behind it (and the counts that would run for ever), and the
// Format of OPEN texts that describe more than the store holds: one script
// per keyword, one statement per value, each with an error label to the
// next. What a value set up is used after it (a margin by printing, a
// record number by the next search). The run must end as for any script,
// without a sanitizer report.
struct Huge {
  std::string name;
  std::vector<std::string_view> keywords;
  std::string setup;  // lines before the statements
  // The statement with the option o of keyword kw.
  std::string (*statement)(const std::string& o, const std::string& kw);
  std::vector<std::string> values = {};  // none: the huge numbers
};

// The keywords of a list that may take a number, less those in `left`
// (ERror always).
template <std::size_t N>
std::vector<std::string_view> numerickeywords(const core::ShopEntry (&list)[N],
                                              const std::vector<std::string_view>& left = {}) {
  std::vector<std::string_view> out;
  for (const core::ShopEntry& e : list)
    if (e.kw != "ERror" && e.type != 'S' && std::find(left.begin(), left.end(), e.kw) == left.end())
      out.push_back(e.kw);
  return out;
}

// What reaches past the test's process: the clipboard, boxes a user
// answers, the status and title bars.
const std::vector<std::string_view> outside{"ClipBoard", "Messagebox", "StatusBar", "TitleBar",
                                            "OnButton"};

// Format texts that describe records beyond the store, or counts, widths,
// header and line counts beyond what is read.
const std::vector<std::string> hugeformats{
    "'A6,I2,2147483648X'",
    "'A6,2147483647X'",
    "'214748364A'",
    "'A214748364'",
    "'5(214748364X)'",
    "'A5,214748364(A)'",
    "'SL=2147483647,,;A;'",
    "'ML=2147483647,,;A;'",
    "'A214748364,A214748364,A214748364,A214748364,A214748364,A5'"};

// The options given, less the one of keyword kw, then o.
std::string options(std::initializer_list<std::string_view> given, const std::string& kw,
                    const std::string& o) {
  std::string out;
  for (std::string_view g : given)
    if (g.substr(0, g.find('=')) != kw) out += std::string(g) + ", ";
  return out + o;
}

bool gridoption(const std::string& kw) {
  for (const char* g : {"X", "YFeed", "Velocity", "Eddy", "Rateatx", "BCFdiff"})
    if (kw == g) return true;
  return false;
}

// A new modeless dialog each time (D and E are 0), the option after a
// text, then after each control that takes a value.
std::string dialogs(const std::string& o, const std::string& kw) {
  std::string controls;
  for (const char* c : {"TrackBar=Q", "UpDown=Q", "ScrollBar=Q", "ProgressBar=Q", "Edit=Q"})
    controls += std::string(c) + ", " + o + ", ";
  return "DLG(" + options({"Text='a'", "WINdowhandle=D"}, kw, o) + ")\nDLG(" + controls +
         "WINdowhandle=E)";
}

std::vector<Huge> hugestatements() {
  return {
      {"DLG", numerickeywords(core::dlgopts), "Q = 5\n", dialogs},
      // Lists of values, whose first cell holds no shape.
      {"DLG", {"Text", "Edit", "Width"}, "Q = 5\n", dialogs, {"(1E300,-1E300)", "(2,3)"}},
      // In a window of the script's, in a new one (W is 0) and in the main
      // window.
      {"WINDOW", numerickeywords(core::windowopts), "WINDOW(WINdowhandle=H)\nAXIS(PRint=1)\n",
       [](const std::string& o, const std::string& kw) {
         return "WINDOW(" + options({"WINdowhandle=H"}, kw, o) + ")\nWINDOW(" +
                options({"WINdowhandle=W"}, kw, o) + ")\nWINDOW(" + o +
                ")\nWRITE(PRint=1) 'x'\nWRITE(WINdowhandle=H, PRint=1) 'x'";
       }},
      // A file of one line: a read or a search with the option, then a
      // search that goes on from where it left the file.
      {"READ", numerickeywords(core::readopts, outside), "",
       [](const std::string& o, const std::string& kw) {
         return "READ(" + options({"FIle=F", "SEArch='ab'"}, kw, o) +
                ") L\nREAD(FIle=F, SEArch='ab') L\nREAD(" + options({"FIle=F"}, kw, o) +
                ") L\nREAD(" + options({"Text='12345'", "Format='F5.0'"}, kw, o) + ") Z";
       }},
      // Into a text, a file, the main window and on paper.
      {"WRITE", numerickeywords(core::writeopts, outside), "",
       [](const std::string& o, const std::string& kw) {
         return "WRITE(" + options({"Text=T"}, kw, o) + ") 'x'\nWRITE(" +
                options({"FIle=G"}, kw, o) + ") 'x'\nWRITE(" + o + ") 'x'\nWRITE(" +
                options({"PRint=1"}, kw, o) + ") 'x'";
       }},
      {"OPEN", numerickeywords(core::openopts), "",
       [](const std::string& o, const std::string& kw) {
         return "OPEN(" + options({"FIle=F", "Format='A1,A'"}, kw, o) + ")\nOPEN(" +
                options({"FIle=G", "DIRect", "RecL=4"}, kw, o) + ")\nOPEN(" +
                options({"FIle=G"}, kw, o) + ")";
       }},
      // The Format texts: of a table, then of a direct file.
      {"OPEN",
       {"Format"},
       "",
       [](const std::string& o, const std::string&) {
         return "OPEN(FIle=F, " + o + ")\nL = F(1, 1)\nOPEN(FIle=G, DIRect, " + o + ")";
       },
       hugeformats},
      {"AXIS", numerickeywords(core::axisopts), "",
       [](const std::string& o, const std::string&) { return "AXIS(" + o + ")"; }},
      {"LINE", numerickeywords(core::lineopts), "AXIS()\n",
       [](const std::string& o, const std::string& kw) {
         return "LINE(" + options({"X=A", "Y=A"}, kw, o) + ")";
       }},
      {"POP", numerickeywords(core::popopts), "WINDOW(WINdowhandle=H)\n",
       [](const std::string& o, const std::string& kw) {
         return "POP(" + options({"Menu='a|b'", "Owner=H"}, kw, o) + ")";
       }},
      // Each statement has its model right before it.
      {"SOLVE", numerickeywords(core::solveopts), "",
       [](const std::string& o, const std::string& kw) {
         return "* R = P - 2\nS = SOLVE(" + options({"Vector=R", "Unknown=P", "NUL=*"}, kw, o) +
                ")";
       }},
      {"DIFFEQ", numerickeywords(core::diffeqopts), "",
       [](const std::string& o, const std::string& kw) {
         return "DIFFEQ(" +
                (gridoption(kw) ? options({"CallBack=G", "T=1", "Y=U", "X=XG", "Velocity=V",
                                           "Eddy=E", "YFeed=FEED"},
                                          kw, o)
                                : options({"CallBack=RHS", "T=1", "Y=Y", "DY=DY"}, kw, o)) +
                ")";
       }},
  };
}

// The line with ", ERror=label" at the end of its statement's option list
// (the first list after a name of three letters or more: the statements'
// names are, the script's arrays and files are not).
std::string witherror(std::string line, int label) {
  const std::size_t open = line.find('(');
  if (open == std::string::npos) return line;
  std::size_t name = open;
  while (name > 0 && std::isalpha(static_cast<unsigned char>(line[name - 1])) != 0) --name;
  if (open - name < 3) return line;
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = open; i < line.size(); ++i) {
    if (line[i] == '\'') quoted = !quoted;
    if (quoted) continue;
    depth += line[i] == '(' ? 1 : line[i] == ')' ? -1 : 0;
    if (depth == 0) return line.insert(i, ", ERror=" + std::to_string(label));
  }
  return line;
}

// One statement for each value, each starting from the same state.
std::string hugescript(const Huge& h, const std::string& kw) {
  static const std::vector<std::string> numbers{"2147483647", "4294967296", "9E15",  "1E300",
                                                "ACOS(2)",    "-9E15",      "-1E300"};
  const std::vector<std::string>& values = h.values.empty() ? numbers : h.values;
  std::string s =
      "CHARACTER F*12, G*12, L*20, T*12\n"
      "DIMENSION A(3), Y(1), DY(1), U(3), XG(3), V(1), E(1), FEED(1)\n"
      "A = 1, 2, 3\n"
      "XG = ($ - 1) / 2\n"
      "F = 'fz.txt'\n"
      "G = 'fw.txt'\n"
      "OPEN(FIle=F)\n"
      "WRITE(FIle=F, CLoSe=1) 'ab'\n" +
      h.setup;
  int label = 11;
  for (const std::string& v : values) {
    std::string st = h.statement(kw + "=" + v, kw);
    // The label of SOLVE's model.
    for (std::size_t at; (at = st.find('*')) != std::string::npos;)
      st.replace(at, 1, std::to_string(label + 100));
    s += std::to_string(label) + " P = 1\nY = 1\nD = 0\nE = 0\nW = 0\n" +
         "WRITE(FIle=F, CLoSe=1)\nWRITE(FIle=G, CLoSe=1)\nOPEN(FIle=F)\n";
    ++label;
    for (std::size_t begin = 0; begin < st.size();) {
      const std::size_t end = std::min(st.find('\n', begin), st.size());
      s += witherror(st.substr(begin, end - begin), label) + "\n";
      begin = end + 1;
    }
  }
  s += std::to_string(label) + " DONE = 1\nEND\nSUBROUTINE RHS\nDY(1) = -Y(1)\nEND\n";
  s += "SUBROUTINE G\nEND\n";
  return s;
}

TEST(OptionErrorFuzz, HugeValuesInEveryNumericOptionEndInADocumentedStopLine) {
  // Integrations to 1E300 take a few hundred steps of several statements.
  budget = 30000;
  scriptrun::start();
  testsupport::TempDir home;
  int failures = 0;
  for (const Huge& h : hugestatements()) {
    for (std::string_view k : h.keywords) {
      const std::string text = hugescript(h, std::string(k));
      const Verdict v = isolated(text, home.path().string());
      if (!v.ok && ++failures <= 10)
        ADD_FAILURE() << h.name << " " << k << ": " << v.what.substr(0, 3000)
                      << "\n--- script ---\n"
                      << text << "--- end ---";
    }
  }
  EXPECT_EQ(failures, 0);
  scriptrun::finish();
  budget = 3000;
}

}  // namespace
