// The program itself, run as a user runs it in a terminal: "ostrel RUN=..."
// in a folder of the user's scripts, its report, messages and exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::write_file;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

constexpr unsigned runlimit = 50;  // seconds

// The user the program runs as when a test needs one whom the rights of a
// folder bind: the superuser's test runs it as "nobody".
constexpr uid_t nobody = 65534;

// Runs the program with the arguments in the folder, as a shell would in
// a terminal without a display; the folder is its home as well. filelimit,
// when not negative, is the largest file the program may write (as
// `ulimit -f` sets it); stdoutfile, when given, takes the standard output
// instead of the outcome; bound: the folder's rights bind the program (the
// superuser's test runs it as nobody).
// start_ostrel starts it and leaves it running (its output into out and
// err), finish_ostrel waits for its end.
pid_t start_ostrel(const fs::path& folder, const std::vector<std::string>& args,
                   const std::string& out, const std::string& err, std::int64_t filelimit = -1,
                   bool bound = false) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME",
                          "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
      setenv(v, folder.c_str(), 1);
    // A terminal without a display, whatever the test's own session has: a
    // command line that is not a windowless run must not open the IDE.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    // The signals as a shell leaves them: the program sets what it needs.
    signal(SIGXFSZ, SIG_DFL);
    if (filelimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(filelimit), static_cast<rlim_t>(filelimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    alarm(runlimit);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::vector<char*> argv{const_cast<char*>(OSTREL_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // (In its folder already, with its output files open.)
    if (bound && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
      _exit(126);
    execv(OSTREL_BINARY, argv.data());
    _exit(127);
  }
  return pid;
}

Outcome finish_ostrel(pid_t pid, const std::string& out, const std::string& err) {
  int status = 0;
  waitpid(pid, &status, 0);
  Outcome r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (!out.empty()) r.out = read_file(out);
  r.err = read_file(err);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    r.err += "(the run did not end within " + std::to_string(runlimit) + " seconds)\n";
  return r;
}

Outcome ostrel(const fs::path& folder, const std::vector<std::string>& args,
               std::int64_t filelimit = -1, const std::string& stdoutfile = "",
               bool bound = false) {
  testsupport::TempDir logs;
  const std::string out = stdoutfile.empty() ? logs.file("out") : stdoutfile;
  const std::string err = logs.file("err");
  const pid_t pid = start_ostrel(folder, args, out, err, filelimit, bound);
  return finish_ostrel(pid, stdoutfile.empty() ? out : "", err);
}

int lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

class Windowless : public testing::Test {
 protected:
  testsupport::TempDir dir;
  Outcome run(const std::string& script, const std::string& text, std::int64_t filelimit = -1) {
    write_file(dir.path() / script, text);
    return ostrel(dir.path(), {"RUN=" + script}, filelimit);
  }
};

TEST_F(Windowless, TheExitStatusComesFromTheStopWordNotFromTheOutput) {
  Outcome r = run("ok.ost", "A = 2\nEND\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "A=2\nstop=-1\n");
  EXPECT_EQ(r.err, "");

  r = run("fails.ost", "CHARACTER T*7\nT = 'stop=-1'\nX = Q(2)\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "T='stop=-1'\nX=0\nstop=32767 line=3 key=noSuchArray\n");

  // RETURN in the main program ends it as END does.
  r = run("returns.ost", "A = 2\nRETURN\nA = 3\nEND\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "A=2\nstop=-3\n");
}

// A statement's own detail reaches its message: LINE names the axis that
// was never drawn, not the statement (they differ here, also when the
// failure is caught once and the statement run again).
TEST_F(Windowless, AFailedStatementsMessageShowsTheDetailItWrote) {
  const Outcome r = run("axis.ost",
                        "WINDOW(WINdowhandle=W, Width=-400, Height=-300)\n"
                        "AXIS(WINdowhandle=W)\n"
                        "LINE(Axis=5, Y=1, ERror=1)\n"
                        "1 X = 1\n"
                        "LINE(Axis=7, Y=1)\n"
                        "END\n");
  EXPECT_EQ(r.out, "W=0\nX=1\nstop=32767 line=5 key=AxisUnknown\n");
  EXPECT_NE(r.err.find("In statement 5 LINE refers to axis number 7,"), std::string::npos) << r.err;
}

// A modal dialog that nobody can answer: standard error holds its report
// and nothing besides.
TEST_F(Windowless, AnUnansweredDialogIsReportedAndNothingElse) {
  const Outcome r = run("dlg.ost", "X = 3\nDLG(Text='Value', Edit=X)\nEND\n");
  EXPECT_EQ(r.out, "X=3\nstop=120 line=2\n");
  EXPECT_EQ(r.err, "ostrel: ...: Value\n  -> Cancel\n");
}

TEST_F(Windowless, AReportThatCannotBeWrittenIsNoSuccess) {
  write_file(dir.path() / "ok.ost", "A = 2\nEND\n");
  const Outcome r = ostrel(dir.path(), {"RUN=ok.ost"}, -1, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ostrel: the report could not be written to standard output (No space left "
            "on device)\n");
}

// An EDIT whose result is a text (the word at its position), the first
// statement of the run to make a text: it is made in the text store.
TEST_F(Windowless, AnEditsTextResultFirstInTheRunIsMadeInTheTextStore) {
  const Outcome r =
      run("word.ost",
          "CHARACTER IX*400\nIX = 'FMT=hex'\n"
          "EDIT(Text='of the', EXTRA='l', IDentification='IGNORE', InvertedIndex=IX)\n"
          "EDIT(Text='the cat of dogs', IDentification='b', InvertedIndex=IX)\n"
          "EDIT(Text='cat;dogs', RaNge=';', IDentification='r'DROP, "
          "InvertedIndex=IX)\nEND\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("DROP=0\nstop=-1\n"), std::string::npos) << r.out << r.err;
}

TEST_F(Windowless, EveryByteOfATextIsWrittenANulAsADot) {
  const Outcome r = run("nul.ost", "CHARACTER A*5\nA = 'ab' // CHAR(0) // 'cd'\nB = 2\nEND\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "A='ab.cd'\nB=2\nstop=-1\n");
}

// The test build's store allocation limit (core::storefailabove), set for
// the runs that a test starts while it lives.
struct StoreFailAbove {
  explicit StoreFailAbove(const char* bytes) { setenv("OSTREL_STORE_FAIL_ABOVE", bytes, 1); }
  ~StoreFailAbove() { unsetenv("OSTREL_STORE_FAIL_ABOVE"); }
};

// A store whose memory is not there stops the line that asked for it with
// storeLimit, whatever the size, and takes no memory first.
TEST_F(Windowless, AStoreWhoseMemoryIsNotThereStopsWithTheStoreKey) {
  const StoreFailAbove limit("200000");
  Outcome r = run("huge.ost", "CHARACTER F*1E9\nA = 1\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "compile stop=32767 line=1 key=storeLimit\n")
      << r.out << r.err;
  rusage used{};
  getrusage(RUSAGE_CHILDREN, &used);
  EXPECT_LT(used.ru_maxrss, 600L * 1024) << "kB at most in the run";

  // During the run: the texts of a statement outgrow the store; what ran
  // before it stays, and the run ends there.
  r = run("grows.ost",
          "CHARACTER A*60000\nA = 'x'\nB = 1\nN = LEN(A // A // A // A)\nC = 2\nEND\n");
  EXPECT_EQ(r.status, 1);
  const std::size_t b = r.out.find("\nB=");
  ASSERT_NE(b, std::string::npos) << r.out.substr(0, 200) << r.err;
  EXPECT_EQ(r.out.substr(b), "\nB=1\nN=0\nC=0\nstop=32767 line=4 key=storeLimit\n") << r.err;

  // A store set up again for a script whose last line asks more of it
  // than there is: it gets its built-in size, and the script does not run.
  r = run("floats.ost", "A = 1\nEND\n! Floats=1000000\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "compile stop=32767 line=1 key=storeLimit\n")
      << r.out << r.err;
}

// The test build's limit on one allocation of the program
// (app/alloc_limit_hook.cpp), set for the runs that a test starts while it
// lives.
struct AllocFailAbove {
  explicit AllocFailAbove(const char* bytes) { setenv("OSTREL_ALLOC_FAIL_ABOVE", bytes, 1); }
  ~AllocFailAbove() { unsetenv("OSTREL_ALLOC_FAIL_ABOVE"); }
};

// Memory that runs out in a statement's own work, beside the stores: the
// line index of a table over a file of a million lines, the buffers of a
// sort. The statement stops with storeLimit, what ran before it stays, and
// the run ends there: never a success, never a crash.
TEST_F(Windowless, AStatementWhoseWorkRunsOutOfMemoryStopsWithTheStoreKey) {
  std::string rows;
  for (int i = 0; i < 1000000; ++i) rows += "1,2\n";
  write_file(dir.path() / "big.txt", rows);
  const AllocFailAbove limit("3300000");
  Outcome r = run("index.ost",
                  "CHARACTER F*8\nF = 'big.txt'\nB = 1\nOPEN(FIle=F, Format=',;F;F;')\n"
                  "A = F(999999,1)\nC = 2\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "F='big.txt '\nB=1\nA=0\nC=0\nstop=32767 line=4 key=storeLimit\n") << r.err;

  // (The values fit the floating-point store; the sort's work beside them
  // does not.)
  r = run("sort.ost",
          "DIMENSION X(400000)\nB = 1\nX = 7\nN = SORT(Vector=X)\nC = 2\nEND\n");
  EXPECT_EQ(r.status, 1);
  const std::size_t b = r.out.find("\nB=");
  ASSERT_NE(b, std::string::npos) << r.out.substr(0, 200) << r.err;
  EXPECT_EQ(r.out.substr(b), "\nB=1\nN=0\nC=0\nstop=32767 line=4 key=storeLimit\n") << r.err;
}

TEST_F(Windowless, ACompileErrorInTheFirstLineIsReportedLikeAnyOther) {
  Outcome r = run("first.ost", "X = (\nY = 2\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("compile stop=32767 line=1 key=xeq2Trans\n   1    1 X = (", 0), 0u)
      << r.out;

  // The messages: line breaks as line breaks, no editor actions, no
  // empty lines; each window closes unanswered and names its key.
  r = run("third.ost", "A = 1\nB = 2\nC = (\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("compile stop=32767 line=3 key=xeq2Trans\n", 0), 0u) << r.out;
  EXPECT_EQ(r.err,
            "ostrel: Compile error: In line 3 the expression cannot be translated.\n"
            "  -----^ ( ) unbalanced\n"
            "  C = (\n"
            "  key=xeq2Trans\n"
            "ostrel: Compile errors: The script was compiled with errors in 1 of its 4 "
            "statements.\n"
            "  The failed lines are listed on standard output and in the file "
            "TranslationErrors.txt.\n"
            "  Nothing was run.\n"
            "  key=CompilErrors\n");
}

TEST_F(Windowless, EachScriptReportsOnlyItsOwnCompileErrors) {
  Outcome r = run("a.ost", "A = 1\nB = (\nC = (\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(read_file(dir.path() / "TranslationErrors.txt").find("C = ("), std::string::npos);

  r = run("b.ost", "Q = )\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find("C = ("), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("   1    1 Q = )"), std::string::npos) << r.out;

  r = run("c.ost", "A = 1\nEND\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(fs::exists(dir.path() / "TranslationErrors.txt"));
}

// A folder where the error list belongs: the compile says that the list
// was not written, its report comes whole all the same, and the folder
// stays (an empty one too).
TEST_F(Windowless, AFolderInThePlaceOfTheErrorListIsSaidAndTheReportStillComes) {
  fs::create_directory(dir.path() / "TranslationErrors.txt");
  const Outcome r = run("third.ost", "A = 1\nB = 2\nC = (\nEND\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("compile stop=32767 line=3 key=xeq2Trans\n   1    3 C = (", 0), 0u)
      << r.out;
  EXPECT_NE(r.err.find("ostrel: TranslationErrors.txt: The file named in the title was not "
                       "written: a folder of that name stands in its place."),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::is_directory(dir.path() / "TranslationErrors.txt"));
}

TEST_F(Windowless, APathWithBlanksRunsQuotedAndTheCommandLineReachesTheScript) {
  fs::create_directory(dir.path() / "my dir");
  write_file(dir.path() / "my dir" / "my script.ost", "CHARACTER C*40\nC = $CMD_LINE\nEND\n");
  // As a shell passes RUN="my dir/my script.ost", and with the quotes kept.
  for (const char* arg : {"RUN=my dir/my script.ost", "RUN=\"my dir/my script.ost\""}) {
    const Outcome r = ostrel(dir.path(), {arg, "K=a b", "c"});
    EXPECT_EQ(r.status, 0) << arg << r.err;
    EXPECT_EQ(r.out, "C='RUN=\"my dir/my script.ost\" K=\"a b\" c    '\nstop=-1\n") << arg;
  }
  // Without quotes the path ends at the blank.
  const Outcome r = ostrel(dir.path(), {"RUN=my", "dir/my script.ost"});
  EXPECT_EQ(r.status, 2);
}

TEST_F(Windowless, AnInputThatCannotBeRunGetsOneLineAndStatusTwo) {
  fs::create_directory(dir.path() / "folder.ost");
  for (const char* name : {"folder.ost", "missing.ost"}) {
    const std::string script = name;
    const Outcome r = ostrel(dir.path(), {"RUN=" + script});
    EXPECT_EQ(r.status, 2) << script;
    EXPECT_EQ(r.out, "") << script;
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("ostrel: " + script + ": ", 0), 0u) << r.err;
  }
}

// Lines of 60 characters and more, 100 of them: more than a file of 4096
// bytes holds. Each WRITE hands its record over; the file gets them later.
constexpr std::string_view hundredlines =
    "CHARACTER F*12, G*12\n"
    "F = 'lines.txt'\n"
    "OPEN(FIle=F)\n"
    "NOK = 0\n"
    "DO I = 1, 100\n"
    "  IW = 5\n"
    "  WRITE(FIle=F, IOStat=IW) 'a line of text that is long enough to fill the file soon'\n"
    "  IF (IW == 0) NOK = NOK + 1\n"
    "ENDDO\n";

TEST_F(Windowless, WritesPastTheFileSizeLimitFailWithTheirStatusAndTheRunGoesOn) {
  const Outcome r = run("limit.ost",
                        std::string(hundredlines) +
                            "IC = 5\n"
                            "WRITE(FIle=F, IOStat=IC, ERror=1, CLoSe=1)\n"
                            "1 CONTINUE\n"
                            "G = 'records.dat'\n"
                            "OPEN(FIle=G, RecL=8)\n"
                            "ID = 5\n"
                            "WRITE(FIle=G, Recrow=1000, IOStat=ID, ERror=2) 1\n"
                            "2 CONTINUE\n"
                            "END\n",
                        4096);
  EXPECT_EQ(r.status, 0) << r.err;
  // The records handed over fail at the close; a record beyond the limit
  // fails its own WRITE.
  EXPECT_EQ(r.out,
            "F='lines.txt   '\nG='records.dat '\nNOK=100\nI=101\nIW=0\nIC=38\nID=38\nstop=-1\n");
  EXPECT_EQ(fs::file_size(dir.path() / "lines.txt"), 4096u);
  EXPECT_EQ(fs::file_size(dir.path() / "records.dat"), 0u);
}

TEST_F(Windowless, ARunThatEndsWithRecordsItCouldNotWriteFails) {
  const Outcome r = run("unclosed.ost", std::string(hundredlines) + "END\n", 4096);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.out,
      "F='lines.txt   '\nG='            '\nNOK=100\nI=101\nIW=0\nstop=32767 line=10 key=rdwrErK\n");
  EXPECT_EQ(r.err,
            "ostrel: File or memory error: A file could not be opened, read or written, or memory "
            "could not be had.\n"
            "  lines.txt\n"
            "  The program gives the number 38 with it (the statement, or the status when a script "
            "was being opened).\n"
            "  Check that the file exists, that no other program holds it and that the disk has "
            "room.\n"
            "  key=rdwrErK\n");
}

// One writer of two that append to the same file at the same time: it
// says it is ready and waits (within the run's bound) for the other, then
// appends `perrecord` records each with an OPEN, a WRITE and a CLoSe of
// its own, then `kept` more through one OPEN. NBAD counts the statements
// told anything but success.
std::string appender(char name, char other, int perrecord, int kept) {
  std::string s = "CHARACTER F*40, M*8, G*8\n";
  s += "F = 'shared.txt'\nM = '" + std::string(1, name) + ".go'\nG = '" + std::string(1, other) +
       ".go'\n";
  s += "OPEN(FIle=M)\nWRITE(FIle=M, CLoSe=1) 'ready'\n";
  s += "1 IO = 1\nOPEN(FIle=G, OLD, IOStat=IO, ERror=1)\nWRITE(FIle=G, CLoSe=1)\n";
  s += "NBAD = 0\n";
  s += "DO I = 1, " + std::to_string(perrecord) + "\n";
  s += "  OPEN(FIle=F, APPend, IOStat=IO)\n";
  s += "  WRITE(FIle=F, IOStat=IW) '" + std::string(1, name) +
       "', I, '----------------------------------------'\n";
  s += "  WRITE(FIle=F, CLoSe=1, IOStat=IC)\n";
  s += "  IF (ABS(IO) + ABS(IW) + ABS(IC) > 0) NBAD = NBAD + 1\n";
  s += "ENDDO\n";
  s += "OPEN(FIle=F, APPend)\n";
  s += "DO I = " + std::to_string(perrecord + 1) + ", " + std::to_string(perrecord + kept) + "\n";
  s += "  WRITE(FIle=F, IOStat=IW) '" + std::string(1, name) +
       "', I, '----------------------------------------'\n";
  s += "  IF (IW /= 0) NBAD = NBAD + 1\n";
  s += "ENDDO\n";
  s += "WRITE(FIle=F, CLoSe=1, IOStat=IC)\n";
  s += "IF (IC /= 0) NBAD = NBAD + 1\n";
  s += "END\n";
  return s;
}

TEST_F(Windowless, TwoRunsAppendingToOneFileAtOnceLoseAndCutNoRecord) {
  constexpr int perrecord = 1500, kept = 30000, total = perrecord + kept;
  write_file(dir.path() / "A.ost", appender('A', 'B', perrecord, kept));
  write_file(dir.path() / "B.ost", appender('B', 'A', perrecord, kept));
  testsupport::TempDir logs;
  const pid_t a = start_ostrel(dir.path(), {"RUN=A.ost"}, logs.file("a.out"), logs.file("a.err"));
  const pid_t b = start_ostrel(dir.path(), {"RUN=B.ost"}, logs.file("b.out"), logs.file("b.err"));
  const Outcome ra = finish_ostrel(a, logs.file("a.out"), logs.file("a.err"));
  const Outcome rb = finish_ostrel(b, logs.file("b.out"), logs.file("b.err"));
  ASSERT_EQ(ra.status, 0) << "waited for both writers to be ready\n" << ra.out << ra.err;
  ASSERT_EQ(rb.status, 0) << "waited for both writers to be ready\n" << rb.out << rb.err;
  EXPECT_NE(ra.out.find("NBAD=0\n"), std::string::npos) << ra.out;
  EXPECT_NE(rb.out.find("NBAD=0\n"), std::string::npos) << rb.out;
  // Every record whole, each writer's in its own order, none missing.
  std::istringstream lines(read_file(dir.path() / "shared.txt"));
  std::string line;
  int next[2] = {1, 1}, count = 0, bad = 0;
  std::string firstbad;
  while (std::getline(lines, line)) {
    ++count;
    char who = 0;
    int number = 0;
    char dashes[64] = {};
    const bool whole = std::sscanf(line.c_str(), "%c %d %63s", &who, &number, dashes) == 3 &&
                       (who == 'A' || who == 'B') &&
                       std::string(dashes) == std::string(40, '-') && line.back() == '\r' &&
                       number == next[who - 'A'];
    if (whole) {
      ++next[who - 'A'];
    } else if (bad++ == 0) {
      firstbad = line;
    }
  }
  EXPECT_EQ(bad, 0) << "first record cut or out of order: " << firstbad;
  EXPECT_EQ(count, 2 * total);
  EXPECT_EQ(next[0], total + 1);
  EXPECT_EQ(next[1], total + 1);
}

// A table whose edits cannot be saved past the file-size limit: the
// statement that closes it gets the status and goes on at its label (the
// file keeps its old bytes); EDIT's table form fails with "mx2nosave" and
// takes its label as well, and without one it stops the run.
TEST_F(Windowless, ATableThatCannotBeSavedFailsTheStatementThatSavesIt) {
  std::string rows;
  for (int i = 1; i <= 300; ++i) rows += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  write_file(dir.path() / "tab.txt", rows);
  const std::string head = "CHARACTER F*8\nF = 'tab.txt'\nOPEN(FIle=F, Format=',;F;')\n";
  Outcome r = run("closes.ost",
                  head +
                      "F(1,2) = 7.25\n"
                      "IC = 5\n"
                      "READ(FIle=F, CLoSe=1, IOStat=IC, ERror=1)\n"
                      "A = 1\n"
                      "1 OPEN(FIle=F, Format=',;F;')\n"
                      "N = EDIT(Delete=1, MatriX=F, ERror=2)\n"
                      "B = 1\n"
                      "2 CONTINUE\n"
                      "END\n",
                  1024);
  EXPECT_EQ(r.out, "F='tab.txt '\nIC=38\nA=0\nN=0\nB=0\nstop=-1\n") << r.err;
  EXPECT_EQ(read_file(dir.path() / "tab.txt"), rows);
  r = run("edit.ost", head + "N = EDIT(Delete=1, MatriX=F)\nEND\n", 1024);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("stop=32767 line=4 key=mx2nosave"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("tab.txt: writing the new file"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir.path() / "tab.txt"), rows);
}

TEST_F(Windowless, EveryOtherCommandLineIsLeftToTheWindowProgram) {
  write_file(dir.path() / "x.ost", "A = 1\nEND\n");
  const std::vector<std::vector<std::string>> others{
      {}, {"x.ost"}, {"run=x.ost"}, {"RUN="}, {"XRUN=x.ost"}, {"HELP=x.ost", "RUN=x.ost"}};
  for (const auto& args : others) {
    const Outcome r = ostrel(dir.path(), args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("ostrel RUN=script.ost"), std::string::npos) << r.err;
  }
}

}  // namespace

namespace {

// Printing in a windowless run: an axis for the printer lands on a page of
// the "PDF" printer's document, which the end of the run completes with
// the stamp (no job is lost).
TEST_F(Windowless, APlotForThePrinterIsOnThePageWhenTheRunEnds) {
  const Outcome r = run("plot.ost", "AXIS(MiN=0, MaX=7, PRint=1)\nEND\n");
  EXPECT_EQ(r.out, "stop=-1\n") << r.err;
  ASSERT_TRUE(fs::exists(dir.path() / "Ostrel.pdf")) << r.err;
  const std::string page = (dir.path() / "page").string();
  ASSERT_EQ(std::system(("pdftoppm -gray -r 20 '" + (dir.path() / "Ostrel.pdf").string() + "' '" +
                         page + "' 2>/dev/null")
                            .c_str()),
            0);
  const std::string pgm = read_file(page + "-1.pgm");
  ASSERT_GT(pgm.size(), 20u);
  // Past the header: dark pixels of the axis frame and its ticks.
  int dark = 0;
  for (std::size_t k = pgm.size() / 4; k < pgm.size(); ++k)
    dark += static_cast<unsigned char>(pgm[k]) < 128 ? 1 : 0;
  EXPECT_GT(dark, 200);
}

// The page of a document of the "PDF" printer as grey pixels at 100 dpi.
struct Page {
  int w = 0, h = 0;
  std::string px;
  bool dark(int x, int y, int below = 200) const {
    return static_cast<unsigned char>(px[static_cast<std::size_t>(y) * w + x]) < below;
  }
};
Page rasterised(const fs::path& pdf) {
  Page p;
  const std::string stem = (pdf.parent_path() / "page").string();
  if (std::system(
          ("pdftoppm -gray -r 100 '" + pdf.string() + "' '" + stem + "' 2>/dev/null").c_str()) != 0)
    return p;
  std::istringstream in(read_file(stem + "-1.pgm"));
  std::string magic;
  int maxval = 0;
  in >> magic >> p.w >> p.h >> maxval;
  in.get();
  if (magic != "P5" || p.w <= 0 || p.h <= 0) return Page{};
  p.px.assign(static_cast<std::size_t>(p.w) * p.h, '\xff');
  in.read(p.px.data(), static_cast<std::streamsize>(p.px.size()));
  return p;
}

// A curve on an axis drawn on paper: the page, rasterised, shows a vertical
// line at x = 3.5 of the frame's 0 to 10, between the grid's lines. The
// frame's edges are the outermost columns inked down the page's middle third.
// A function plot reaches the page too: it adds its ink to the axis's.
TEST_F(Windowless, ACurveOnAnAxisOnPaperLiesWhereItsDataPutIt) {
  const std::string axis = "AXIS(MiN=0, MaX=10, Yaxis, MiN=0, MaX=100, PRint=1)\n";
  Outcome r = run("curve.ost", axis + "LINE(X=3.5, Y=0)\nLINE(X=3.5, Y=100)\nEND\n");
  EXPECT_EQ(r.out, "stop=-1\n") << r.err;
  const Page p = rasterised(dir.path() / "Ostrel.pdf");
  ASSERT_GT(p.w, 0) << "no page";
  // Columns inked on nine in ten rows of the page's middle third.
  std::vector<int> lines;
  for (int x = 0; x < p.w; ++x) {
    int n = 0;
    for (int y = p.h / 3; y < 2 * p.h / 3; ++y) n += p.dark(x, y) ? 1 : 0;
    if (n > (p.h / 3) * 9 / 10) lines.push_back(x);
  }
  ASSERT_GE(lines.size(), 3u) << "no frame and curve on the page";
  const int left = lines.front(), right = lines.back();
  const auto at = [&](double data) {
    const int x = left + static_cast<int>(std::lround((right - left) * data / 10.0));
    for (int l : lines)
      if (std::abs(l - x) <= 2) return true;
    return false;
  };
  EXPECT_GT(right - left, p.w / 3);
  EXPECT_TRUE(at(3.5)) << "no curve at x = 3.5";
  EXPECT_FALSE(at(2.5)) << "ink at x = 2.5";
  EXPECT_FALSE(at(4.5)) << "ink at x = 4.5";

  const auto ink = [](const Page& q) {
    long n = 0;
    for (int y = 0; y < q.h; ++y)
      for (int x = 0; x < q.w; ++x) n += q.dark(x, y, 128) ? 1 : 0;
    return n;
  };
  r = run("axis.ost", axis + "END\n");
  const long bare = ink(rasterised(dir.path() / "Ostrel-2.pdf"));
  r = run("function.ost", axis + "X = 3\nLINE(lineWidth=5, X=X, Y=X * X, Points=21)\nEND\n");
  EXPECT_EQ(r.out, "X=10\nstop=-1\n") << r.err;
  EXPECT_GT(ink(rasterised(dir.path() / "Ostrel-3.pdf")), bare + 300) << "no function plot";
}

}  // namespace

namespace {

// A print job that cannot write its PDF fails where a user sees it: the
// statement that asked for it gets the status in IOStat and goes to its
// ERror label, without them the run stops with the message; a PDF cut
// while it was written is removed, and a job that fails as the run ends
// fails the run.
const char* const printed =
    "CHARACTER L*40\n"
    "L = 'a line of print that goes to the printer'\n"
    "N = 0\n"
    "DO I = 1, 40\n"
    "  WRITE(PRint=1, IOStat=IW, ERror=20) L\n"
    "  N = N + 1\n"
    "ENDDO\n"
    "20 CONTINUE\n"
    "END\n";

// What the folder holds of a document: a PDF, or a temporary file beside
// one ("Ostrel.pdf~...").
std::vector<std::string> leftover(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".pdf") != std::string::npos)
      out.push_back(e.path().filename().string());
  return out;
}

TEST_F(Windowless, APrintJobInAFolderThatTakesNoFileFailsItsStatement) {
  const fs::path folder = dir.path() / "readonly";
  fs::create_directory(folder);
  write_file(folder / "p.ost", printed);
  write_file(folder / "q.ost", "WRITE(PRint=1) 'text'\nX = 1\nEND\n");
  write_file(folder / "a.ost", "AXIS(MiN=0, MaX=7, PRint=1, ERror=5)\nX = 1\n5 CONTINUE\nEND\n");
  write_file(folder / "e.ost", "X = 1\nEND\n");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  // The superuser writes into any folder: its runs go to nobody, who may
  // find no way to the program (a checkout in a folder only its owner
  // enters).
  if (::geteuid() == 0) {
    const Outcome probe = ostrel(folder, {"RUN=e.ost"}, -1, "", true);
    if (probe.out != "X=1\nstop=-1\n") {
      fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
      GTEST_SKIP() << "root may write a folder without its write bit, and nobody cannot run "
                   << OSTREL_BINARY << " (status " << probe.status << ")";
    }
  }
  Outcome r = ostrel(folder, {"RUN=p.ost"}, -1, "", true);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "L='a line of print that goes to the printer'\nN=0\nI=1\nIW=5\nstop=-1\n");
  r = ostrel(folder, {"RUN=q.ost"}, -1, "", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "X=0\nstop=32767 line=1 key=rdwrErP\n");
  EXPECT_NE(r.err.find("ostrel: Print error: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("the print job Ostrel failed with the number 5"), std::string::npos)
      << r.err;
  r = ostrel(folder, {"RUN=a.ost"}, -1, "", true);
  EXPECT_EQ(r.out, "X=0\nstop=-1\n") << r.err;
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(leftover(folder), std::vector<std::string>{});
}

TEST_F(Windowless, APdfThatOutgrowsTheFileSizeLimitIsRemovedAndFailsItsJob) {
  // Its end with the run: the run fails.
  Outcome r = run("p.ost", printed, 8192);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "L='a line of print that goes to the printer'\nN=40\nI=41\nIW=0\n"
            "stop=32767 line=9 key=rdwrErP\n");
  EXPECT_NE(r.err.find("the print job Ostrel failed with the number 31"), std::string::npos)
      << r.err;
  EXPECT_EQ(leftover(dir.path()), std::vector<std::string>{});
  // A page that cannot be written: the statement that changed the page.
  r = run("long.ost",
          "CHARACTER L*40\nL = 'a line of print that goes to the printer'\n"
          "DO I = 1, 5000\n  WRITE(PRint=1, IOStat=IW, ERror=20) L\nENDDO\n20 CONTINUE\nEND\n",
          8192);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nIW=31\nstop=-1\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("I=5001"), std::string::npos) << r.out;
  EXPECT_EQ(leftover(dir.path()), std::vector<std::string>{});
}

}  // namespace
