#include "plot/strokefont.h"

#include <cstdlib>
#include <string_view>
#include <vector>

namespace plot {

namespace {

// The glyphs as stroke lists: "x,y" a point (the first of a stroke is a
// move), "/" lifts the pen, "Wn" (first only) the width, "Sk" the shift
// entry k. Symbols are centred on (2, 3); letters stand on y 0 with
// capitals 7 high and small letters 4, descenders drawn after a shift of
// the origin 3 units down.
struct Glyph {
  int code;
  std::string_view strokes;
};

constexpr Glyph glyphs[] = {
    // Plot symbols.
    {1, "0,1 0,5 4,5 4,1 0,1"},                                      // square
    {2, "2,1 0,3 2,5 4,3 2,1"},                                      // diamond
    {3, "1,1 0,2 0,4 1,5 3,5 4,4 4,2 3,1 1,1"},                      // octagon
    {4, "0,1 0,5 4,5 4,1 0,1 4,5 / 0,5 4,1"},                        // square, diagonals
    {5, "2,1 0,3 2,5 4,3 2,1 2,5 / 0,3 4,3"},                        // diamond, plus
    {6, "1,1 0,2 0,4 1,5 3,5 4,4 4,2 3,1 1,1 / 2,1 2,5 / 0,3 4,3"},  // octagon, plus
    {7, "0,1 2,5 4,1 0,1"},                                          // triangle, apex up
    {8, "0,5 2,1 4,5 0,5"},                                          // triangle, apex down
    {9, "1,2 2,3 3,2 / 2,3 2,0"},                                    // arrow up, tip on the point
    {10, "1,4 2,3 3,4 / 2,3 2,6"},                                   // arrow down, tip on the point
    {11, "0,1 4,5"},                                                 // rising diagonal
    {12, "0,5 4,1"},                                                 // falling diagonal
    {13, "0,1 4,5 / 0,5 4,1"},                                       // diagonal cross
    {14, "0,3 4,3"},                                                 // horizontal bar
    {15, "2,1 2,5"},                                                 // vertical bar
    {16, "0,3 4,3 / 2,1 2,5"},                                       // plus
    {17, "0,1 4,5 / 0,5 4,1 / 0,3 4,3 / 2,1 2,5"},                   // asterisk
    // Printable characters.
    {'!', "W2 2,7 2,3 / 2,1 2,0"},
    {'"', "1,7 1,5 / 3,7 3,5"},
    {'#', "1,0 1,7 / 3,0 3,7 / 0,2 4,2 / 0,5 4,5"},
    {'$', "4,6 0,6 0,4 4,4 4,1 0,1 / 2,7 2,0"},
    {'%', "0,0 4,7 / 0,7 1,7 1,6 0,6 0,7 / 3,1 4,1 4,0 3,0 3,1"},
    {'&', "4,0 0,5 1,7 2,7 3,5 0,2 0,1 1,0 2,0 4,2"},
    {'\'', "W2 2,7 2,5"},
    {'(', "W2 3,7 1,5 1,2 3,0"},
    {')', "W2 1,7 3,5 3,2 1,0"},
    {'*', "0,1 4,5 / 0,5 4,1 / 2,1 2,5"},
    {'+', "0,3 4,3 / 2,1 2,5"},
    {',', "W2 S0 2,4 2,3 1,2"},
    {'-', "0,3 4,3"},
    {'.', "W2 2,1 2,0"},
    {'/', "0,0 4,7"},
    {'0', "0,0 0,7 4,7 4,0 0,0 4,7"},
    {'1', "1,6 2,7 2,0 / 1,0 3,0"},
    {'2', "0,6 1,7 3,7 4,6 4,5 0,0 4,0"},
    {'3', "0,7 4,7 2,4 4,3 4,1 3,0 1,0 0,1"},
    {'4', "3,0 3,7 0,2 4,2"},
    {'5', "4,7 0,7 0,4 3,4 4,3 4,1 3,0 0,0"},
    {'6', "4,7 1,7 0,6 0,1 1,0 3,0 4,1 4,3 3,4 0,4"},
    {'7', "0,7 4,7 1,0"},
    {'8', "1,4 0,5 0,6 1,7 3,7 4,6 4,5 3,4 1,4 0,3 0,1 1,0 3,0 4,1 4,3 3,4"},
    {'9', "4,4 1,4 0,5 0,6 1,7 3,7 4,6 4,1 3,0 0,0"},
    {':', "W2 2,5 2,4 / 2,1 2,0"},
    {';', "W2 2,5 2,4 / S0 2,4 2,3 1,2"},
    {'<', "4,6 0,3 4,0"},
    {'=', "0,2 4,2 / 0,4 4,4"},
    {'>', "0,6 4,3 0,0"},
    {'?', "0,6 1,7 3,7 4,6 4,5 2,3 2,2 / 2,1 2,0"},
    {'@', "3,2 3,4 1,4 1,2 4,2 4,6 3,7 1,7 0,6 0,1 1,0 4,0"},
    {'A', "0,0 2,7 4,0 / 3,2 1,2"},
    {'B', "0,0 0,7 3,7 4,6 4,5 3,4 0,4 / 3,4 4,3 4,1 3,0 0,0"},
    {'C', "4,6 3,7 1,7 0,6 0,1 1,0 3,0 4,1"},
    {'D', "0,0 0,7 3,7 4,6 4,1 3,0 0,0"},
    {'E', "4,7 0,7 0,0 4,0 / 0,4 3,4"},
    {'F', "4,7 0,7 0,0 / 0,4 3,4"},
    {'G', "4,6 3,7 1,7 0,6 0,1 1,0 3,0 4,1 4,3 2,3"},
    {'H', "0,0 0,7 / 4,0 4,7 / 0,4 4,4"},
    {'I', "W2 1,7 3,7 / 2,7 2,0 / 1,0 3,0"},
    {'J', "4,7 4,1 3,0 1,0 0,1"},
    {'K', "0,0 0,7 / 4,7 0,3 / 1,4 4,0"},
    {'L', "0,7 0,0 4,0"},
    {'M', "0,0 0,7 2,4 4,7 4,0"},
    {'N', "0,0 0,7 4,0 4,7"},
    {'O', "1,0 0,1 0,6 1,7 3,7 4,6 4,1 3,0 1,0"},
    {'P', "0,0 0,7 3,7 4,6 4,5 3,4 0,4"},
    {'Q', "1,0 0,1 0,6 1,7 3,7 4,6 4,1 3,0 1,0 / 2,2 4,0"},
    {'R', "0,0 0,7 3,7 4,6 4,5 3,4 0,4 / 2,4 4,0"},
    {'S', "4,6 3,7 1,7 0,6 0,5 1,4 3,4 4,3 4,1 3,0 1,0 0,1"},
    {'T', "0,7 4,7 / 2,7 2,0"},
    {'U', "0,7 0,1 1,0 3,0 4,1 4,7"},
    {'V', "0,7 2,0 4,7"},
    {'W', "0,7 1,0 2,4 3,0 4,7"},
    {'X', "0,0 4,7 / 0,7 4,0"},
    {'Y', "0,7 2,4 4,7 / 2,4 2,0"},
    {'Z', "0,7 4,7 0,0 4,0"},
    {'[', "W2 3,7 1,7 1,0 3,0"},
    {'\\', "0,7 4,0"},
    {']', "W2 1,7 3,7 3,0 1,0"},
    {'^', "0,5 2,7 4,5"},
    {'_', "S4 0,0 4,0"},
    {'`', "W2 1,7 3,5"},
    {'a', "1,4 3,4 4,3 4,0 / 4,2 1,2 0,1 1,0 3,0 4,1"},
    {'b', "0,7 0,0 3,0 4,1 4,3 3,4 0,4"},
    {'c', "4,4 1,4 0,3 0,1 1,0 4,0"},
    {'d', "4,7 4,0 1,0 0,1 0,3 1,4 4,4"},
    {'e', "0,2 4,2 4,3 3,4 1,4 0,3 0,1 1,0 4,0"},
    {'f', "4,7 2,7 1,6 1,0 / 0,4 3,4"},
    {'g', "S0 4,3 1,3 0,4 0,6 1,7 4,7 4,1 3,0 0,0"},
    {'h', "0,7 0,0 / 0,3 1,4 3,4 4,3 4,0"},
    {'i', "W2 2,4 2,0 / 2,6 2,5"},
    {'j', "3,6 3,5 / S0 3,7 3,1 2,0 0,0"},
    {'k', "0,7 0,0 / 4,4 0,1 / 1,2 4,0"},
    {'l', "W2 2,7 2,0"},
    {'m', "0,0 0,4 / 0,3 1,4 2,3 2,0 / 2,3 3,4 4,3 4,0"},
    {'n', "0,0 0,4 / 0,3 1,4 3,4 4,3 4,0"},
    {'o', "1,0 0,1 0,3 1,4 3,4 4,3 4,1 3,0 1,0"},
    {'p', "S0 0,0 0,7 3,7 4,6 4,4 3,3 0,3"},
    {'q', "S0 4,0 4,7 1,7 0,6 0,4 1,3 4,3"},
    {'r', "0,0 0,4 / 0,3 1,4 3,4 4,3"},
    {'s', "4,4 1,4 0,3 1,2 3,2 4,1 3,0 0,0"},
    {'t', "1,7 1,1 2,0 4,0 / 0,4 3,4"},
    {'u', "0,4 0,1 1,0 3,0 4,1 / 4,4 4,0"},
    {'v', "0,4 2,0 4,4"},
    {'w', "0,4 1,0 2,3 3,0 4,4"},
    {'x', "0,0 4,4 / 0,4 4,0"},
    {'y', "S0 0,7 2,3 / 4,7 1,0"},
    {'z', "0,4 4,4 0,0 4,0"},
    {'{', "W2 3,7 2,6 2,4 1,3 2,2 2,1 3,0"},
    {'|', "W2 2,7 2,0"},
    {'}', "W2 1,7 2,6 2,4 3,3 2,2 2,1 1,0"},
};

constexpr int filler = 5, penup = 6, shift = 7;
constexpr int maxwords = 15;

// The 3-bit values of a stroke list.
std::vector<int> values(std::string_view s) {
  std::vector<int> v;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == ' ') {
      ++i;
    } else if (c == '/') {
      v.push_back(penup);
      ++i;
    } else if (c == 'W') {
      v.push_back(filler);
      v.push_back(s[i + 1] - '0');
      i += 2;
    } else if (c == 'S') {
      v.push_back(shift);
      v.push_back(s[i + 1] - '0');
      i += 2;
    } else {  // "x,y"
      v.push_back(s[i] - '0');
      v.push_back(s[i + 2] - '0');
      i += 3;
    }
  }
  return v;
}

StrokeFont pack() {
  StrokeFont f;
  f.index.resize(highestglyph, 0);
  std::vector<std::uint16_t> words;
  for (const Glyph& g : glyphs) {
    std::vector<int> v = values(g.strokes);
    while (v.size() % 5 != 0) v.push_back(filler);
    const auto n = static_cast<std::uint16_t>(v.size() / 5);
    if (n > maxwords) std::abort();  // a glyph longer than an index entry can name
    f.index(g.code) = static_cast<std::uint16_t>((words.size() + 1) * 16 + n);
    for (std::size_t w = 0; w < v.size(); w += 5) {
      std::uint16_t word = 0;
      for (std::size_t k = 0; k < 5; ++k) word = static_cast<std::uint16_t>(word << 3 | v[w + k]);
      words.push_back(word);
    }
  }
  f.words.resize(words.size());
  for (std::size_t i = 0; i < words.size(); ++i) f.words(static_cast<long long>(i) + 1) = words[i];
  return f;
}

}  // namespace

const StrokeFont& strokefont() {
  static const StrokeFont font = pack();
  return font;
}

GlyphReader glyphreader(std::int32_t code) {
  GlyphReader r;
  const StrokeFont& f = strokefont();
  if (code < 1 || code > highestglyph) return r;
  const std::uint16_t e = f.index(code);
  if ((e & 15) == 0) return r;
  r.wordpos = e >> 4;
  r.lastword = r.wordpos + (e & 15) - 1;
  return r;
}

std::int32_t UQCHAS(GlyphReader& r, std::int32_t& value) {
  if (r.valuepos > 5) {
    const StrokeFont& f = strokefont();
    if (r.wordpos > r.lastword || !f.words.valid(r.wordpos)) return 1;
    const std::uint16_t w = f.words(r.wordpos);
    for (int k = 0; k < 5; ++k) r.values[static_cast<std::size_t>(k)] = (w >> (12 - 3 * k)) & 7;
    r.valuepos = 1;
    ++r.wordpos;
  }
  value = r.values[static_cast<std::size_t>(r.valuepos - 1)];
  ++r.valuepos;
  return 0;
}

}  // namespace plot
