#include "exec/script_mutants.h"

#include <algorithm>
#include <cstdlib>

#include "support/test_support.h"

namespace mutants {

namespace fs = std::filesystem;

namespace {

bool wordchar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$';
}

// Cuts the line into words and single characters, keeping blanks.
Lines pieces(const std::string& line) {
  Lines out;
  std::string w;
  for (const char c : line) {
    if (wordchar(c)) {
      w += c;
      continue;
    }
    if (!w.empty()) out.push_back(w);
    w.clear();
    out.emplace_back(1, c);
  }
  if (!w.empty()) out.push_back(w);
  return out;
}

std::string joined(const Lines& p) {
  std::string s;
  for (const auto& x : p) s += x;
  return s;
}

}  // namespace

fs::path corpusdir() {
  const char* other = std::getenv("OSTREL_FUZZ_CORPUS");
  return other != nullptr && *other != 0 ? fs::path(other)
                                         : testsupport::source_dir() / "tests" / "scripts";
}

std::vector<Lines> corpus(const fs::path& dir) {
  std::vector<fs::path> files;
  // (The script that asks for the largest character store is left out: its
  // mutants would fill a gigabyte each, which is slow but no fault.)
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".ost" && e.path().stem() != "char_length_huge")
      files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<Lines> out;
  for (const auto& f : files) {
    const std::string text = testsupport::read_file(f);
    Lines lines;
    std::string line;
    for (const char c : text) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else if (c != '\r') {
        line += c;
      }
    }
    if (!line.empty()) lines.push_back(line);
    out.push_back(lines);
  }
  return out;
}

std::vector<std::string> tokens(const std::vector<Lines>& all) {
  std::vector<std::string> out = {"IF",
                                  "THEN",
                                  "ELSE",
                                  "ELSEIF",
                                  "ENDIF",
                                  "DO",
                                  "ENDDO",
                                  "GOTO",
                                  "END",
                                  "FUNCTION",
                                  "SUBROUTINE",
                                  "RETURN",
                                  "CALL",
                                  "DIMENSION",
                                  "STRUCT",
                                  "ALIAS",
                                  "STOP",
                                  "WHILE",
                                  "CONTINUE",
                                  "+",
                                  "-",
                                  "*",
                                  "/",
                                  "**",
                                  "^",
                                  "==",
                                  "/=",
                                  "<>",
                                  "<",
                                  ">",
                                  "<=",
                                  ">=",
                                  "=",
                                  "(",
                                  ")",
                                  "[",
                                  "]",
                                  "{",
                                  "}",
                                  ",",
                                  ";",
                                  ":",
                                  "::",
                                  "\"",
                                  "'",
                                  "!",
                                  "&",
                                  "|",
                                  "%",
                                  "#",
                                  "@",
                                  ".",
                                  "..",
                                  "0",
                                  "1",
                                  "-1",
                                  "0.5",
                                  "1E308",
                                  "1E-308",
                                  "1D999",
                                  "2147483647",
                                  "-2147483648",
                                  "99999999999999999999",
                                  "32767",
                                  "65536",
                                  "1.5E",
                                  "A",
                                  "B",
                                  "X",
                                  "I",
                                  "V",
                                  "A(1)",
                                  "A(0)",
                                  "A(-1)",
                                  "A(99999)",
                                  "\"\"",
                                  "''",
                                  "\"abc\"",
                                  "'x'",
                                  "\xE4",
                                  "\t",
                                  " ",
                                  "",
                                  "(((",
                                  ")))",
                                  ",,",
                                  "0/0"};
  for (const auto& lines : all)
    for (const auto& line : lines) {
      std::string w;
      for (const char c : line + ' ') {
        if (wordchar(c)) {
          w += c;
        } else {
          if (!w.empty() && w.size() < 24) out.push_back(w);
          w.clear();
        }
      }
    }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::string mutant(const std::vector<Lines>& all, const std::vector<std::string>& toks,
                   std::mt19937& rng, std::size_t maxchanges) {
  auto pick = [&](std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  Lines s = all[pick(all.size())];
  const int changes = 1 + static_cast<int>(pick(maxchanges));
  for (int c = 0; c < changes; ++c) {
    if (s.empty()) s.emplace_back();
    const std::size_t i = pick(s.size());
    switch (pick(12)) {
      case 0:  // drop a line
        s.erase(s.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      case 1:  // duplicate a line
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), s[i]);
        break;
      case 2:  // swap two lines
        std::swap(s[i], s[pick(s.size())]);
        break;
      case 3: {  // a line of another script
        const Lines& o = all[pick(all.size())];
        if (!o.empty()) s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), o[pick(o.size())]);
        break;
      }
      case 4:  // cut a character
        if (!s[i].empty()) s[i].erase(pick(s[i].size()), 1);
        break;
      case 5:  // insert a character
        s[i].insert(pick(s[i].size() + 1), 1, static_cast<char>(32 + pick(95)));
        break;
      case 6:  // replace a character, now and then by any byte
        if (!s[i].empty())
          s[i][pick(s[i].size())] =
              pick(8) == 0 ? static_cast<char>(1 + pick(255)) : static_cast<char>(32 + pick(95));
        break;
      case 7:  // cut the line short
        s[i].resize(pick(s[i].size() + 1));
        break;
      case 8: {  // replace a token
        Lines p = pieces(s[i]);
        if (!p.empty()) p[pick(p.size())] = toks[pick(toks.size())];
        s[i] = joined(p);
        break;
      }
      case 9: {  // insert a token
        Lines p = pieces(s[i]);
        p.insert(p.begin() + static_cast<std::ptrdiff_t>(pick(p.size() + 1)),
                 toks[pick(toks.size())]);
        s[i] = joined(p);
        break;
      }
      case 11: {  // a line of tokens in no order
        std::string l;
        for (std::size_t k = 1 + pick(10); k > 0; --k)
          l += toks[pick(toks.size())] + (pick(2) ? " " : "");
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), l);
        break;
      }
      default: {  // drop a token
        Lines p = pieces(s[i]);
        if (!p.empty()) p.erase(p.begin() + static_cast<std::ptrdiff_t>(pick(p.size())));
        s[i] = joined(p);
        break;
      }
    }
  }
  std::string text;
  for (const auto& l : s) text += l + "\r\n";
  return text;
}

std::uint32_t envnum(const char* name, std::uint32_t dflt) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == 0) return dflt;
  std::uint32_t n = 0;
  for (; *v >= '0' && *v <= '9'; ++v) n = n * 10 + static_cast<std::uint32_t>(*v - '0');
  return n;
}

}  // namespace mutants
