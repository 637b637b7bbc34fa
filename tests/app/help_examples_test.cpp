// Every example in the help topics of data/Ostrel.hlp gives the result its
// topic states when a user runs it: "ostrel RUN=ex.ost" in a folder of its
// own, with HOME and the XDG folders there too. The examples are taken from
// the file itself: the script lines (indented by three blanks) under
// "Example", "Examples" and "More examples", each followed by its prose,
// the one-line "Example:" of the dialog keyword topics, and the scripts
// that the guide topics (lang...) show in their text. Every example
// stands either in the table of expectations below, written from its
// topic's prose, or in one of the skip lists with its reason; one that
// stands nowhere fails the test, so that a new topic cannot slip by.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct Example {
  std::string key;  // the topic's key
  int number = 0;   // 1 for the topic's first example
  std::vector<std::string> code;
  std::string prose;
};

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The examples of the help data file (its bytes: Windows-1252, CR LF).
std::vector<Example> examples_of(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  std::vector<Example> out;
  std::string key;
  int number = 0;
  const auto isbody = [](const std::string& l) {
    return !l.empty() && (l[0] == ' ' || l[0] == '\t' || l[0] == '!');
  };
  const auto iscode = [](const std::string& l) { return l.rfind("   ", 0) == 0; };
  const auto isprose = [&](const std::string& l) {
    return l.size() > 1 && l[0] == ' ' && l[1] != ' ' && !iscode(l);
  };
  // Blanks inside a line, outside quotes and before no comment: a table
  // of forms laid out in columns, not a script.
  const auto columned = [](const std::string& l) {
    const std::size_t from = l.find_first_not_of(' ');
    char quote = 0;
    for (std::size_t k = from; k != std::string::npos && k + 1 < l.size(); ++k) {
      if (quote != 0) {
        quote = l[k] == quote ? 0 : quote;
      } else if (l[k] == '\'' || l[k] == '"') {
        quote = l[k];
      } else if (l[k] == '!') {
        return false;
      } else if (l[k] == ' ' && l[k + 1] == ' ') {
        const std::size_t next = l.find_first_not_of(' ', k);
        return next != std::string::npos && l[next] != '!';
      }
    }
    return false;
  };
  bool inexamples = false;  // past the topic's "Example" head
  for (std::size_t i = 0; i < lines.size();) {
    const std::string& l = lines[i];
    if (!isbody(l)) {
      key = l.substr(0, std::min<std::size_t>(l.find(' '), 16));
      number = 0;
      inexamples = false;
      ++i;
      continue;
    }
    // A script in the text of a guide topic: script lines after an empty
    // line, a heading or a line that ends with ":", none laid out in
    // columns, and not in a list (the tutorial's steps show pieces of
    // the script that its Example holds whole).
    if (key.rfind("lang", 0) == 0 && !inexamples && iscode(l) && i >= 2 && !iscode(lines[i - 1])) {
      const std::string prev = rtrim(lines[i - 1]);
      const bool item =
          prev.rfind(" - ", 0) == 0 || (prev.size() > 1 && prev[1] >= '0' && prev[1] <= '9');
      const bool heading = isprose(prev) && (rtrim(lines[i - 2]).empty() || !isbody(lines[i - 2])) &&
                           prev.back() != '.' && prev.back() != ',';
      std::size_t end = i;
      bool script = !item && (prev.empty() || heading || prev.back() == ':');
      for (; end < lines.size() && iscode(lines[end]); ++end) script = script && !columned(lines[end]);
      if (script) {
        Example e{key, ++number, {}, ""};
        for (; i < end; ++i) e.code.push_back(rtrim(lines[i].substr(3)));
        for (; i < lines.size() && isprose(lines[i]); ++i) e.prose += lines[i].substr(1) + " ";
        out.push_back(e);
        continue;
      }
    }
    if (l.rfind(" Example:", 0) == 0) {
      std::string code = l.substr(9);
      code.erase(0, code.find_first_not_of(' '));
      out.push_back({key, ++number, {rtrim(code)}, ""});
      ++i;
      continue;
    }
    const std::string head = rtrim(l);
    ++i;
    if (head != " Example" && head != " Examples" && head != " More examples") continue;
    inexamples = true;
    const bool several = head != " Example";
    for (;;) {
      Example e{key, number + 1, {}, ""};
      for (; i < lines.size() && iscode(lines[i]); ++i) e.code.push_back(rtrim(lines[i].substr(3)));
      for (; i < lines.size() && isprose(lines[i]); ++i) e.prose += lines[i].substr(1) + " ";
      if (!e.code.empty()) {
        ++number;
        out.push_back(e);
      }
      // A blank line and more script lines: the next of "More examples".
      if (!several || e.code.empty() || i + 1 >= lines.size() || rtrim(lines[i]) != "" ||
          !iscode(lines[i + 1]))
        break;
      ++i;
    }
  }
  return out;
}

using Files = std::vector<std::pair<std::string, std::string>>;

// What one example must give. `lines` are checked against the run's
// standard output (and standard error), each in one of these forms:
//   NAME=value     a whole line of the report, as it stands
//   NAME~value     a number or a list "(a,b,...)" within `tolerance`
//                  (relative, absolute below 1)
//   /regex/        a whole line of the report matches
//   err:text       standard error holds the text
// Unless one of them names the stop line, the run must end with
// "stop=-1". $PID stands for the process number of the run, $DIR for its
// folder. `setup` stands before the example; a fragment (an example
// without END) gets `after` and END after it. `files` are made in the
// folder first, and after the run every file of `written` must match its
// regex whole.
struct Expect {
  const char* key;
  int number;
  std::vector<std::string> lines;
  std::vector<std::string> setup;
  std::vector<std::string> after;
  Files files;
  Files written;
  double tolerance;
};

Expect ex(const char* key, int number, std::vector<std::string> lines,
          std::vector<std::string> setup = {}, std::vector<std::string> after = {},
          Files files = {}, Files written = {}, double tolerance = 1e-9) {
  return {key,
          number,
          std::move(lines),
          std::move(setup),
          std::move(after),
          std::move(files),
          std::move(written),
          tolerance};
}

// The examples that run, with the results their topics state.
const std::vector<Expect>& expectations() {
  static const std::vector<Expect> table = {
      ex("CALL", 1, {"SMALL=-2", "BIG=9"}),
      ex("CHARACTER", 1, {"GREETING='Hello, World!                 '", "FIRST=79"}),
      ex("CONTINUE", 1, {"S=25"}),
      ex("DIMENSION", 1,
         {"SQ=(1,4,9,16,25,36,49,64,81,100)", "M=(11,12,13,14,21,22,23,24,31,32,33,34)",
          "TOTAL=385"}),
      ex("DO", 1, {"N=15", "F=720", "K=7"}),
      ex("ELSE", 1, {"SIGNTEXT=-1"}),
      ex("ELSEIF", 1, {"COLD=1", "MILD=1", "HOT=1"}),
      ex("END", 1, {"V=27"}),
      ex("ENDDO", 1, {"P=1024"}),
      ex("ENDIF", 1, {"ODD=1"}),
      ex("FUNCTION", 1, {"C~5"}),
      ex("GOTO", 1, {"N=100"}),
      ex("IF", 1, {"SMALLER=3", "BOTH=1"}),
      ex("REAL", 1, {"V=(1.5,3,4.5,6)"}),
      ex("RETURN", 1, {"R1=0", "R2=3.5"}),
      ex("SUBROUTINE", 1, {"X=2", "Y=1"}),
      ex("THEN", 1, {"BIG=1"}),
      ex("USE", 1, {"Z=5", "W=50"}),
      ex("ABS()", 1, {"D=4"}),
      ex("ACOS()", 1, {"DEG~60"}),
      ex("ALARM()", 1, {"TICKS=3"}),
      ex("ALIAS()", 1, {"P=(20,30,40)", "X=60"}),
      ex("ALIAS()", 2, {"FIRST='Grace   '", "REST='Hopper      '"}),
      ex("ALIAS()", 3, {"X=5"}, {}, {"M = $", "X = T(2, 1)"}),
      ex("APPENDIX()", 1, {"L='Bert\r\n              '"}),
      ex("ASIN()", 1, {"A~1.5707963267948966"}),
      ex("ATAN()", 1, {"PI~3.141592653589793"}),
      ex("BITS()", 1, {"T='ab'", "N=6"}),
      ex("BITS()", 2, {"PIX='abcdeFGhijklmnop'"}),
      ex("BITS()", 3, {"L=2", "H=3", "N=2"}),
      ex("CEILING()", 1, {"PAGES=5"}),
      ex("CHAR()", 1, {"D='Wed'", "LETTER='c'"}),
      ex("CHAR()", 2, {"CELL='c2'"}),
      ex("COS()", 1, {"C~0.5"}),
      ex("COSH()", 1, {"H~1.5430806348152437"}),
      ex("DIFFEQ()", 1, {"S~(-1,0)"}, {}, {}, {}, {}, 1e-3),
      ex("DLL()", 1, {"P=$PID"}),
      ex("EDIT()", 1, {"S='the QUICK brown fox                     '", "N=4", "W='brown     '"}),
      ex("EDIT()", 2, {"S='one; two; three                                             '"}),
      ex("EDIT()", 3, {"N=3"}, {"CHARACTER S*60", "S = 'one; two; three'"}),
      ex("EDIT()", 4, {"S='one; TWO; three                                             '"},
         {"CHARACTER S*60", "S = 'one; two; three'"}),
      ex("EXP()", 1, {"E=2.718281828459045", "HALF=0.5"}),
      ex("FLOOR()", 1, {"F=0"}),
      ex("FUZ()", 1, {"M=(0.5,0.5,0)", "C=5"}),
      ex("IAND()", 1, {"ONEDIGIT=1", "LOW=3"}),
      ex("ICHAR()", 1, {"W='Hello'"}),
      ex("IEOR()", 1, {"K=100"}),
      ex("INDEX()", 1, {"P=9", "Q=0", "N=2", "K=3"}),
      ex("INDEX()", 2, {"P=2"}),
      ex("INDEX()", 3, {"Q=7"}, {"CHARACTER S*30", "S = 'a,b;c d'"}),
      ex("INIT()", 1, {"V=42", "NAME='Tom       '", "N=2"}),
      ex("INT()", 1, {"HOURS=1", "MINUTES=6"}),
      ex("IOR()", 1, {"BAD=0", "FLAGS=5"}),
      // No key is held in a run without a display.
      ex("KEY()", 2, {"MODS=0"}),
      ex("INTPOL()", 1, {"Y=25", "AREA=30", "X=1.5"}),
      ex("LEN()", 1, {"L=12", "T=3"}),
      ex("LEN_TRIM()", 1, {"N=4"}),
      ex("LOCK()", 1, {"K=32"}),
      ex("LOG()", 1, {"DIGITS=5"}),
      ex("MAX()", 1, {"M=9", "L=7"}),
      ex("MAXLOC()", 1, {"K=2"}),
      ex("MIN()", 1, {"S=-2", "T=-2"}),
      ex("MINLOC()", 1, {"K=2"}),
      ex("MOD()", 1, {"THREES=3"}),
      ex("NINT()", 1, {"PERCENT=67"}),
      ex("NOT()", 1, {"M=-1", "K=9"}),
      ex("OPEN()", 1, {"LINE='second line" + std::string(69, ' ') + "'"}, {}, {}, {},
         {{"notes.txt", "first line\r\nsecond line\r\n"}}),
      // Twice: the second run appends to what the first left.
      ex("OPEN()", 2, {}, {}, {"OPEN(FIle=LOG, APPend)", "WRITE(FIle=LOG, CLoSe=1) 'run started'"},
         {}, {{"run.log", "run started\r\nrun started\r\n"}}),
      // A direct file: the three numbers stand as text in a record of 24 bytes.
      ex("OPEN()", 3, {"REC=(1.5,2.5,3.5)"}),
      ex("RAN()", 1, {"/R=(9|10)(\\.[0-9]+)?/", "/DICE=[1-6]/"}),
      ex("READ()", 1, {"N=42", "X=3.5", "WHO=' Tom      '"}),
      ex("READ()", 2, {"N=3", "IO=-1"}, {}, {}, {{"data.csv", "a;1\r\nb;2\r\nc;3\r\n"}}),
      // Nobody answers a windowless run: No.
      ex("READ()", 3, {"K=2", "err:-> No"}),
      ex("READ()", 4, {"R~3.000005"},
         {"CHARACTER F*30, LINE*40", "F = 'data.txt'", "OPEN(FIle=F, OLD, ReadOnly)"}, {},
         {{"data.txt", "first line\r\nsecond\r\nthe total is 12\r\nlast\r\n"}}, {}, 1e-6),
      ex("RGB()", 1, {"ORANGE=42495"}),
      ex("ROOTS()", 1, {"N=2", "X=(2,1)"}),
      ex("SIGN()", 1, {"DIRECTION=-1"}),
      ex("SIN()", 1,
         {"WAVE~(0,0.7071067811865476,1,0.7071067811865476,0,-0.7071067811865476,-1,"
          "-0.7071067811865476)"}),
      ex("SINH()", 1, {"S~1.1752011936438014"}),
      ex("SOLVE()", 1, {"B~(0.8,1.4)"}),
      ex("SOLVE()", 2, {"P~(1.99,0.05)"}, {}, {}, {}, {}, 1e-6),
      ex("SORT()", 1, {"N=4", "BYAGE=(25,25,31,47)", "IDX=(2,4,1,3)"}),
      ex("SORT()", 3, {"N=8", "GRP=(1,1,1,1,1,2,2,2)"}),
      ex("STRUCT()", 1, {"/REC='ABCD.*/", "A=1145258561", "B=2.5"}),
      ex("SUM()", 1, {"TOTAL=10", "MEAN=2.5"}),
      ex("SYSTEM()", 1, {"/D='$DIR *'/", "N=5"}, {}, {}, {{"results.txt", "12345"}}),
      ex("SYSTEM()", 2, {}, {}, {}, {}, {{"scripts.txt", "\"ex\\.ost\",[0-9]+,[0-9.]+,\r\n"}}),
      ex("SYSTEM()", 3, {}, {}, {}, {{"data.txt", "pear\napple\n"}},
         {{"sorted.txt", "apple\npear\n"}}),
      ex("SYSTEM()", 5, {"Z=7"}, {}, {}, {{"next.ost", "Z = 7\r\nEND\r\n"}}),
      ex("SYSTEM()", 6, {}),
      ex("TAN()", 1, {"T~1"}),
      ex("TANH()", 1, {"T~0.46211715726000974"}),
      ex("TIME()", 1,
         {"E=36526", "W=6", "/Y=2[0-9]{3}/", "/M=([1-9]|1[0-2])/", "/D=([1-9]|[12][0-9]|3[01])/"}),
      ex("TIME()", 2,
         {"/STAMP='[0-9]{14}\\.[0-9]{3}'/",
          "/DAYNAME='(Monday|Tuesday|Wednesday|Thursday|Friday|Saturday|Sunday) *'/"}),
      // Above 999 microseconds the reading has a thousands separator (4'572).
      ex("TIME()", 3, {"/LINE='[^']*[0-9][0-9']* microsec *'/"}),
      ex("TIME()", 4, {"DAYS=365"}),
      ex("TRIM()", 1, {"FULL='Ada-Lovelace         '"}),
      ex("WRITE()", 1, {"LINE='   1.50   2.00  30.00 units             '"}),
      // Nobody answers a windowless run: Cancel, which stops the script.
      ex("WRITE()", 3, {"/stop=32767 .*/", "err:-> Cancel"}),
      ex("WRITE()", 5, {},
         {"CHARACTER F*30, NAME*10", "F = 'vars.txt'", "OPEN(FIle=F, RePLace)", "X = 1.5", "Y = -2",
          "NAME = 'Tom'"},
         {"WRITE(FIle=F, CLoSe=1)"}, {}, {{"vars.txt", "X=1.5;\r\nY=-2;\r\nNAME=Tom;\r\n"}}),
      ex("WRITE()", 6,
         {"C='     1.000     2.000     3.000     4.000     5.000\r\n     6.000     7.000" +
          std::string(18, ' ') + "'"},
         {"DIMENSION V(7)", "V = $"}, {"CHARACTER C*90", "READ(ClipBoard) C"}),
      ex("XEQ()", 1, {"Y=9", "B=16", "X=16"}),
      ex("langExpr", 1, {"C=5", "BIG=1", "A=4", "B=3"}),
      ex("langTexts", 1, {"FULL='Grace Hopper                  '", "P=7", "N=12"}),
      ex("langArrays", 1, {"MEAN~15.428571428571429", "HOT=5", "N=3"}),
      ex("langFormats", 1, {"S='   42   3.142  pi                       '", "M=42", "Y=3.142"}),
      ex("langRegex", 1, {"P=17", "L=7", "N=4"}),
      ex("langTutorial", 1, {"S=385"}),
      ex("langSubroutines", 1, {"F=(1,2,6,24,120,720)"}),
      // Windows, plots and a progress dialog: a run without a display makes
      // no window and draws nothing, and the script runs to its end.
      ex("AXIS()", 1, {}),
      ex("AXIS()", 2, {}),
      ex("AXIS()", 3, {}),
      ex("AXIS()", 4, {}),
      ex("LINE()", 1, {}),
      ex("LINE()", 2, {}, {"WINDOW(WINdowhandle=W)", "AXIS(WINdowhandle=W, Xaxis, MiN=0, MaX=10, Yaxis)"}),
      // XV steps over the axis' x range.
      ex("LINE()", 3, {"XV=10"},
         {"WINDOW(WINdowhandle=W)", "AXIS(WINdowhandle=W, Xaxis, MiN=0, MaX=10, Yaxis)"}),
      ex("POP()", 1, {}),
      ex("WINDOW()", 1, {}),
      ex("WINDOW()", 2, {}),
      ex("WINDOW()", 3, {}),
      ex("WINDOW()", 4, {}),
      ex("WRITE()", 4, {}),
      ex("DLG()", 3, {"P=100"}),
      // The scripts in the guide topics' text.
      ex("langFiles", 1, {"N=3", "IO=-1"}, {}, {}, {{"data.txt", "alpha\r\nbeta\r\ngamma\r\n"}}),
      ex("langTables", 1, {"X=0.8", "K=40"}, {}, {"X = F(2, 3)", "K = F(1, 2)"},
         {{"stock.txt", "apples          40     1.25\r\npears           12     0.80\r\n"}}),
      ex("langTables", 2, {"P=1.25", "N=40"}, {}, {},
         {{"fruit.txt", "apples|1.25|40\r\npears|0.8|12\r\n"}}),
      ex("langMenus", 1, {}, {"GOTO 1", "SUBROUTINE SAVEIT", "SAVED = 1", "END", "1 CONTINUE"}),
      ex("langStores", 1, {}),
      ex("langLibraries", 1, {"LIB='libm.so.6" + std::string(21, ' ') + "'"}),
      ex("langHowTo", 1, {"N=3", "IO=-1", "/V=\\(1\\.5,2,-300,0,0,.*\\)/"}, {}, {},
         {{"values.txt", "1.5\r\n2\r\n-300\r\n"}}),
      ex("langHowTo", 2, {},
         {"GOTO 5", "FUNCTION SQRT2(X)", "SQRT2 = X ^ 0.5", "END", "5 CONTINUE"}, {}, {},
         {{"table.txt", "   1    1\\.0000\r\n   2    1\\.4142\r\n   3    1\\.7321\r\n(   [4-9] +[0-9.]+\r\n){6}  10    3\\.1623\r\n"}}),
      // A run without a display draws into no window; it ends.
      ex("langHowTo", 4, {}),
      ex("langHowTo", 5, {"/SECONDS=[0-9.e-]+/"}),
      ex("langHowTo", 7, {"N=50"}),
      ex("langHowTo", 8, {"W='2.5" + std::string(17, ' ') + "'", "V=2.5"}),
      ex("langHowTo", 9, {"SPEED=3", "LIMIT=7", "N=2"}, {"CHARACTER T*60", "SPEED = 3", "LIMIT = 7"},
         {"SPEED = 0", "LIMIT = 0", "N = INIT(T, SPEED, LIMIT)"}),
      ex("langAppendix", 1, {}),
  };
  return table;
}

// A skipped example: its topic's key (a trailing "*" takes every topic that
// begins so), its number (0: all of the topic's) and the reason.
struct Skip {
  const char* key;
  int number;
  const char* why;
};

// Statements that still stop with "notYetBuilt".
const std::vector<Skip> notbuilt = {
    {"SORT()", 2, "SORT of a file"},
};

// Examples that need a device or a person the test machine does not have.
const std::vector<Skip> nodevice = {
    {"BEEP()", 1, "its result is sound: a sound card and a listener"},
    {"COM()", 1, "a device on the first serial port"},
    {"langSerial", 1, "a device on the second serial port"},
    {"langSerial", 2, "a measuring device on the first serial port"},
    {"DLG()", 1, "a dialog waits for its answer: a display and a person"},
    {"DLG()", 2, "a dialog waits for its answer: a display and a person"},
    {"DLG()", 4, "a dialog waits for its answer: a display and a person"},
    {"DLG(text)", 1, "a dialog waits for its answer: a display and a person"},
    {"langWindows", 1, "a dialog waits for its answer: a display and a person"},
    {"langTables", 3, "a dialog waits for its answer: a display and a person"},
    {"langHowTo", 3, "a dialog waits for its answer: a display and a person"},
    {"langDialogs", 1, "a dialog waits for its answer: a display and a person"},
    {"langHowTo", 6, "waits for a key: a keyboard and a person"},
    {"KEY()", 1, "waits for a key: a keyboard and a person"},
    {"KEY()", 3, "waits for a key: a keyboard and a person"},
    {"langEvents", 1, "function keys and typed keys: a keyboard and a person"},
    {"SYSTEM()", 4, "opens a PDF viewer: a desktop with a program registered for PDF"},
    {"WRITE()", 2, "the status bar of the main window: a display"},
};

// Pieces of a script shown in a guide topic's text that run only inside a
// script of the reader's own.
const std::vector<Skip> pieces = {
    {"langPanels", 1, "\"...\" stands for the script's work between the two statements"},
    {"langPanels", 2, "the head line of a panel block, not statements"},
    {"langLibraries", 2, "a record for a procedure of the reader's own library"},
    {"DLG.*", 0, "one keyword of a DLG statement: its variables and subroutines are the reader's"},
};

bool names(const Skip& s, const Example& e) {
  const std::string key = s.key;
  const bool keyok =
      key.back() == '*' ? e.key.rfind(key.substr(0, key.size() - 1), 0) == 0 : e.key == key;
  return keyok && (s.number == 0 || s.number == e.number);
}

struct Outcome {
  bool ended = false;  // within the bound
  int pid = 0;
  std::string out;
  std::string err;
};

// Runs "ostrel RUN=ex.ost" in the folder, with HOME and the XDG folders in
// home and no display. A run that has not ended after a minute is stopped.
Outcome run_program(const fs::path& folder, const fs::path& home, const fs::path& logs) {
  const std::string out = (logs / "out").string(), err = (logs / "err").string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    setenv("HOME", home.c_str(), 1);
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                          "XDG_RUNTIME_DIR"})
      setenv(v, (home / v).c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    alarm(60);  // kept across exec: the run ends within a minute
    const char* argv[] = {OSTREL_BINARY, "RUN=ex.ost", nullptr};
    execv(OSTREL_BINARY, const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Outcome r;
  r.pid = static_cast<int>(pid);
  r.ended = !(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM);
  r.out = testsupport::read_file(out);
  r.err = testsupport::read_file(err);
  return r;
}

std::string replaced(std::string s, const std::string& what, const std::string& by) {
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + by.size()))
    s.replace(at, what.size(), by);
  return s;
}

// The numbers of "1.5" or "(1,-2,3e-5)"; empty when it is neither.
std::vector<double> numbers(std::string s) {
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') s = s.substr(1, s.size() - 2);
  std::vector<double> v;
  for (std::size_t from = 0; from <= s.size();) {
    const std::size_t to = std::min(s.find(',', from), s.size());
    const std::string item = s.substr(from, to - from);
    char* end = nullptr;
    const double d = std::strtod(item.c_str(), &end);
    if (item.empty() || *end != '\0') return {};
    v.push_back(d);
    from = to + 1;
  }
  return v;
}

bool near(const std::vector<double>& got, const std::vector<double>& want, double tolerance) {
  if (got.size() != want.size() || want.empty()) return false;
  for (std::size_t i = 0; i < got.size(); ++i)
    if (!(std::fabs(got[i] - want[i]) <= tolerance * std::max(1.0, std::fabs(want[i]))))
      return false;
  return true;
}

// The report's lines; a text that holds CR LF stays one entry.
std::vector<std::string> reportlines(const std::string& out) {
  std::vector<std::string> v;
  std::size_t from = 0;
  for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
    if (at > 0 && out[at - 1] == '\r') continue;
    v.push_back(out.substr(from, at - from));
    from = at + 1;
  }
  if (from < out.size()) v.push_back(out.substr(from));
  return v;
}

// What is wrong with the outcome; empty when it gives what is expected.
std::string mismatches(const Expect& x, const Outcome& r, const fs::path& folder) {
  std::string bad;
  const std::vector<std::string> report = reportlines(r.out);
  bool stopnamed = false;
  std::vector<std::string> wanted = x.lines;
  for (std::string& w : wanted) {
    w = replaced(replaced(w, "$PID", std::to_string(r.pid)), "$DIR", folder.string());
    stopnamed = stopnamed || w.rfind("stop=", 0) == 0 || w.rfind("/stop=", 0) == 0;
  }
  if (!stopnamed) wanted.push_back("stop=-1");
  for (const std::string& w : wanted) {
    bool found = false;
    if (w.rfind("err:", 0) == 0) {
      found = r.err.find(w.substr(4)) != std::string::npos;
    } else if (w.size() > 2 && w.front() == '/' && w.back() == '/') {
      const std::regex re(w.substr(1, w.size() - 2));
      for (const std::string& l : report) found = found || std::regex_match(l, re);
    } else if (const std::size_t t = w.find('~'); t != std::string::npos && t < w.find('=')) {
      const std::vector<double> want = numbers(w.substr(t + 1));
      for (const std::string& l : report)
        found = found || (l.rfind(w.substr(0, t) + "=", 0) == 0 &&
                          near(numbers(l.substr(t + 1)), want, x.tolerance));
    } else {
      for (const std::string& l : report) found = found || l == w;
    }
    if (!found) bad += "  expected " + w + "\n";
  }
  for (const auto& [file, pattern] : x.written) {
    const std::string text = testsupport::read_file(folder / file);
    if (!std::regex_match(text, std::regex(pattern)))
      bad += "  expected the file " + file + " to hold what matches \"" + pattern +
             "\", it holds \"" + text + "\"\n";
  }
  return bad;
}

std::string helpfile() {
  return testsupport::read_file(testsupport::source_dir() / "data" / "Ostrel.hlp");
}

// The extraction itself: the known shapes of the file's examples.
TEST(HelpExamples, TheExamplesAreTakenWithTheirProse) {
  const std::string hlp =
      "CALL CALL - t\r\n Example\r\n   A = 1\r\n   END\r\n A is 1.\r\n \r\n See also\r\n"
      "SORT() S\r\n x\r\n Example\r\n   N = 2\r\n N is\r\n two.\r\n \r\n More examples\r\n"
      "   B = 3\r\n B is 3.\r\n \r\n   C = 4\r\n"
      " \r\n Rules\r\n   not an example\r\nDLG.X DLG X\r\n X=x\r\n"
      " Example:  DLG(X=4, Button='&OK')\r\n";
  const std::vector<Example> e = examples_of(hlp);
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].key, "CALL");
  EXPECT_EQ(e[0].code, (std::vector<std::string>{"A = 1", "END"}));
  EXPECT_EQ(e[0].prose, "A is 1. ");
  EXPECT_EQ(e[1].key, "SORT()");
  EXPECT_EQ(e[1].prose, "N is two. ");
  EXPECT_EQ(e[2].number, 2);
  EXPECT_EQ(e[2].code, (std::vector<std::string>{"B = 3"}));
  EXPECT_EQ(e[3].number, 3);
  EXPECT_EQ(e[3].code, (std::vector<std::string>{"C = 4"}));
  EXPECT_EQ(e[3].prose, "");
  EXPECT_EQ(e[4].key, "DLG.X");
  EXPECT_EQ(e[4].code, (std::vector<std::string>{"DLG(X=4, Button='&OK')"}));
  // A guide topic's scripts: after a heading or a line ending in ":", not
  // a table laid out in columns, not the rest of a list item.
  const std::vector<Example> g = examples_of(
      "langX X\r\n Reading\r\n   N = 0\r\n   N = N + 1   ! count\r\n N counts.\r\n \r\n"
      " Forms:\r\n   S(3:7)    characters 3 to 7\r\n - item:\r\n   A = 1\r\n"
      " 2. Step:\r\n   B = 2\r\n Also:\r\n   C = 'a  b'\r\n");
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].code, (std::vector<std::string>{"N = 0", "N = N + 1   ! count"}));
  EXPECT_EQ(g[0].prose, "N counts. ");
  EXPECT_EQ(g[1].number, 2);
  EXPECT_EQ(g[1].code, (std::vector<std::string>{"C = 'a  b'"}));
}

// Every example stands in exactly one of the expectation table and the
// skip lists, and each entry names an example of the file.
TEST(HelpExamples, EveryExampleStandsInOneList) {
  const std::vector<Example> all = examples_of(helpfile());
  ASSERT_GT(all.size(), 200u) << "the help data file's examples were not found";
  std::set<std::pair<std::string, int>> known;
  for (const Example& e : all) known.insert({e.key, e.number});
  for (const auto* list : {&notbuilt, &nodevice, &pieces})
    for (const Skip& s : *list) {
      bool any = false;
      for (const Example& e : all) any = any || names(s, e);
      EXPECT_TRUE(any) << s.key << " #" << s.number << " is no example of the help file";
    }
  for (const Expect& x : expectations())
    EXPECT_TRUE(known.count({x.key, x.number}))
        << x.key << " #" << x.number << " is no example of the help file";
  for (const Example& e : all) {
    int lists = 0;
    for (const auto* list : {&notbuilt, &nodevice, &pieces})
      for (const Skip& s : *list) lists += names(s, e);
    for (const Expect& c : expectations()) lists += e.key == c.key && e.number == c.number;
    EXPECT_EQ(lists, 1) << e.key << " #" << e.number
                        << " must stand in exactly one of the expectation table and the skip "
                           "lists.\n  Its prose: "
                        << e.prose;
  }
}

// The examples of the table run in four shares, each a test of its own, so
// that they run side by side: share k takes the k-th of every four.
constexpr int shares = 4;

class HelpExamplesShare : public ::testing::TestWithParam<int> {};

TEST_P(HelpExamplesShare, EveryExampleGivesWhatItsTopicStates) {
  const std::vector<Example> all = examples_of(helpfile());
  ASSERT_GT(all.size(), 200u) << "the help data file's examples were not found";
  int ran = 0, mine = 0, at = 0;
  for (const Example& e : all) {
    const Expect* x = nullptr;
    for (const Expect& c : expectations())
      if (e.key == c.key && e.number == c.number) x = &c;
    if (x == nullptr || at++ % shares != GetParam()) continue;
    ++mine;
    const std::string which = e.key + " #" + std::to_string(e.number);
    SCOPED_TRACE(which);
    testsupport::TempDir dir, logs;
    const fs::path folder = dir.path() / "run", home = dir.path() / "home";
    fs::create_directories(folder);
    fs::create_directories(home);
    for (const auto& [file, bytes] : x->files) testsupport::write_file(folder / file, bytes);
    bool fragment = true;
    for (const std::string& l : e.code) fragment = fragment && l != "END";
    ASSERT_TRUE(fragment || x->after.empty()) << "lines after a whole script would not run";
    std::vector<std::string> script = x->setup;
    script.insert(script.end(), e.code.begin(), e.code.end());
    script.insert(script.end(), x->after.begin(), x->after.end());
    if (fragment) script.push_back("END");
    std::string text;
    for (const std::string& l : script) text += l + "\r\n";
    testsupport::write_file(folder / "ex.ost", text);

    const Outcome r = run_program(folder, home, logs.path());
    ASSERT_TRUE(r.ended) << "waited a minute for the example to end; it was stopped.\n" << text;
    ++ran;
    const std::string bad = mismatches(*x, r, folder);
    EXPECT_EQ(bad, "") << "The topic states: " << e.prose << "\nThe script:\n"
                       << text << "The report:\n"
                       << r.out << r.err;
  }
  EXPECT_GT(mine, 0);
  EXPECT_EQ(ran, mine);
}

INSTANTIATE_TEST_SUITE_P(HelpExamples, HelpExamplesShare, ::testing::Range(0, shares));

}  // namespace
