// Fonts: a logical font's face mapped through fontconfig onto an installed
// font, rendered by FreeType through cairo-ft without antialiasing, with
// classic text metrics (cell height = ascent + descent, a negative height is
// the character height, a positive one the cell height).
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "platform/charcase.h"
#include "platform/cp1252.h"
#include "platform/win_gdi_internal.h"

namespace win::detail {

namespace {

std::string ascii_lower(const char* s) {
  std::string r;
  for (; *s; ++s) r.push_back(*s >= 'A' && *s <= 'Z' ? static_cast<char>(*s - 'A' + 'a') : *s);
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return r;
}

bool one_of(const std::string& s, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (s == n) return true;
  return false;
}

// The family fontconfig gives for `family` with the style asked for, and
// whether it is that family.
FcPattern* match(const std::string& family, bool bold, bool italic) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* m = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  return m;
}

bool is_family(FcPattern* m, const std::string& family) {
  FcChar8* got = nullptr;
  if (!m || FcPatternGetString(m, FC_FAMILY, 0, &got) != FcResultMatch) return false;
  return ascii_lower(reinterpret_cast<const char*>(got)) == ascii_lower(family.c_str());
}

// Installed family for a logical font: the classic faces by name, an
// installed family by its own name, fixed-pitch faces to a monospaced font,
// everything else to DejaVu Sans.
std::string family_for(const LOGFONTA& lf) {
  const std::string face = ascii_lower(lf.lfFaceName);
  if (one_of(face, {"arial", "helvetica", "ms sans serif", "ms shell dlg", "ms shell dlg 2",
                    "tahoma", "verdana", "system"}))
    return face == "system" || face == "tahoma" || face == "verdana" ? "DejaVu Sans"
                                                                     : "Liberation Sans";
  if (one_of(face, {"times new roman", "times", "tms rmn", "ms serif"})) return "Liberation Serif";
  const bool fixed = (lf.lfPitchAndFamily & 3) == FIXED_PITCH ||
                     one_of(face, {"courier new", "courier", "fixedsys", "terminal",
                                   "lucida console", "consolas", "system fixed"});
  if (fixed) return "Liberation Mono";
  if (!face.empty()) {
    FcPattern* m = match(lf.lfFaceName, false, false);
    const bool installed = is_family(m, lf.lfFaceName);
    if (m) FcPatternDestroy(m);
    if (installed) return lf.lfFaceName;
  }
  return "DejaVu Sans";
}

struct FaceKey {
  std::string family;
  bool bold;
  bool italic;
  bool operator<(const FaceKey& o) const {
    return std::tie(family, bold, italic) < std::tie(o.family, o.bold, o.italic);
  }
};

struct Face {
  cairo_font_face_t* face = nullptr;
  std::string family;
  bool fixed = false;
};

// Faces live as long as the program: there are few of them.
std::map<FaceKey, Face>& faces() {
  static auto* f = new std::map<FaceKey, Face>;
  return *f;
}

Face load_face(const std::string& wanted, bool bold, bool italic) {
  auto& cache = faces();
  const FaceKey key{wanted, bold, italic};
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  FcPattern* m = match(wanted, bold, italic);
  if (wanted == "Liberation Mono" && !is_family(m, wanted)) {
    FcPatternDestroy(m);
    m = match("DejaVu Sans Mono", bold, italic);
  }
  Face f;
  if (m) {
    FcChar8* fam = nullptr;
    if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
      f.family = reinterpret_cast<const char*>(fam);
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(m, FC_SLANT, 0, &slant);
    FcPatternGetInteger(m, FC_SPACING, 0, &spacing);
    f.fixed = spacing == FC_MONO;
    f.face = cairo_ft_font_face_create_for_pattern(m);
    unsigned synth = 0;
    if (bold && weight < FC_WEIGHT_DEMIBOLD) synth |= CAIRO_FT_SYNTHESIZE_BOLD;
    if (italic && slant == FC_SLANT_ROMAN) synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    if (synth) cairo_ft_font_face_set_synthesize(f.face, synth);
    FcPatternDestroy(m);
  } else {
    f.face =
        cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    f.family = "sans-serif";
  }
  cache[key] = f;
  return f;
}

cairo_scaled_font_t* scaled(cairo_font_face_t* face, double sx, double sy) {
  cairo_matrix_t fm, ctm;
  cairo_matrix_init_scale(&fm, sx, sy);
  cairo_matrix_init_identity(&ctm);
  cairo_font_options_t* opt = cairo_font_options_create();
  cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_ON);
  cairo_scaled_font_t* s = cairo_scaled_font_create(face, &fm, &ctm, opt);
  cairo_font_options_destroy(opt);
  return s;
}

// Design metrics of a face, in font units.
struct Design {
  double upem = 2048;
  double win_ascent = 1854, win_descent = 434, line_gap = 0;
  double underline_pos = -217, underline_thickness = 150;
  double strike_pos = 530, strike_size = 102;
};

Design design_of(cairo_scaled_font_t* s) {
  Design d;
  if (cairo_scaled_font_get_type(s) != CAIRO_FONT_TYPE_FT) return d;
  FT_Face ft = cairo_ft_scaled_font_lock_face(s);
  if (!ft) return d;
  d.upem = ft->units_per_EM ? ft->units_per_EM : 2048;
  d.win_ascent = ft->ascender;
  d.win_descent = -ft->descender;
  d.line_gap = std::max(0, ft->height - (ft->ascender - ft->descender));
  d.underline_pos = ft->underline_position;
  d.underline_thickness = ft->underline_thickness;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      const double hhea = ft->ascender - ft->descender + d.line_gap;
      d.win_ascent = os2->usWinAscent;
      d.win_descent = os2->usWinDescent;
      d.line_gap = std::max(0.0, hhea - (d.win_ascent + d.win_descent));
    }
    d.strike_pos = os2->yStrikeoutPosition;
    d.strike_size = os2->yStrikeoutSize;
  }
  cairo_ft_scaled_font_unlock_face(s);
  return d;
}

}  // namespace

std::string installed_family(const LOGFONTA& lf) {
  const std::string wanted = family_for(lf);
  FcPattern* m = match(wanted, false, false);
  FcChar8* fam = nullptr;
  std::string out = wanted;
  if (m && FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
    out = plat::cp1252_from_utf8(reinterpret_cast<const char*>(fam));
  if (m) FcPatternDestroy(m);
  return out;
}

std::vector<FontFamily> font_families() {
  FcPattern* pat = FcPatternCreate();
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_SCALABLE, FC_FONTFORMAT, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  std::map<std::string, FontFamily> by_name;
  for (int i = 0; set != nullptr && i < set->nfont; ++i) {
    FcChar8* fam = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &fam) != FcResultMatch) continue;
    const std::string name = plat::cp1252_from_utf8(reinterpret_cast<const char*>(fam));
    if (name.empty() || plat::utf8_from_1252(name) != reinterpret_cast<const char*>(fam)) continue;
    int spacing = FC_PROPORTIONAL;
    FcBool scalable = FcFalse;
    FcChar8* format = nullptr;
    FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing);
    FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable);
    FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format);
    const bool tt =
        format != nullptr && (std::string(reinterpret_cast<char*>(format)) == "TrueType" ||
                              std::string(reinterpret_cast<char*>(format)) == "CFF");
    auto [it, fresh] = by_name.try_emplace(name, FontFamily{name, true, true, true});
    it->second.fixed = it->second.fixed && spacing >= FC_MONO;
    it->second.scalable = it->second.scalable && scalable;
    it->second.truetype = it->second.truetype && tt;
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  std::vector<FontFamily> out;
  for (auto& [name, f] : by_name) out.push_back(f);
  std::sort(out.begin(), out.end(), [](const FontFamily& a, const FontFamily& b) {
    return plat::compare_any_case(a.name, b.name) < 0;
  });
  return out;
}

FontData::~FontData() {
  if (scaled) cairo_scaled_font_destroy(scaled);
}

std::shared_ptr<FontData> font_data(Font& f) {
  if (f.data) return f.data;
  const LOGFONTA& lf = f.lf;
  const bool bold = lf.lfWeight >= 600;
  const Face face = load_face(family_for(lf), bold, lf.lfItalic != 0);
  auto fd = std::make_shared<FontData>();
  fd->family = face.family;
  fd->fixed_pitch = face.fixed;

  // The character height: given (negative height) or the part of the cell
  // height (positive) that the em takes; 0 asks for the default cell of 16.
  cairo_scaled_font_t* probe = scaled(face.face, 16, 16);
  const Design ds = design_of(probe);
  cairo_scaled_font_destroy(probe);
  const double cell_units = ds.win_ascent + ds.win_descent;
  double em;
  LONG cell = 0;
  if (lf.lfHeight < 0) {
    em = -static_cast<double>(lf.lfHeight);
  } else {
    cell = lf.lfHeight == 0 ? 16 : lf.lfHeight;
    em = std::max(1.0, std::round(cell * ds.upem / cell_units));
  }
  const double s = em / ds.upem;
  if (cell > 0) {
    fd->ascent = static_cast<int>(std::lround(cell * ds.win_ascent / cell_units));
    fd->descent = cell - fd->ascent;
  } else {
    fd->ascent = static_cast<int>(std::ceil(ds.win_ascent * s - 0.25));
    fd->descent = static_cast<int>(std::lround(ds.win_descent * s));
  }
  fd->em = static_cast<int>(std::lround(em));
  fd->external_leading = static_cast<int>(std::lround(ds.line_gap * s));
  fd->underline_pos = std::max(1.0, -ds.underline_pos * s);
  fd->underline_thickness = std::max(1.0, std::round(ds.underline_thickness * s));
  fd->strike_pos = ds.strike_pos * s;

  fd->scaled = scaled(face.face, em, em);
  if (lf.lfWidth > 0) {
    // A given average width narrows or widens the glyphs.
    cairo_text_extents_t x;
    cairo_scaled_font_text_extents(fd->scaled, "x", &x);
    if (x.x_advance > 0) {
      cairo_scaled_font_destroy(fd->scaled);
      fd->scaled = scaled(face.face, em * lf.lfWidth / x.x_advance, em);
    }
  }

  FT_Face ft = cairo_scaled_font_get_type(fd->scaled) == CAIRO_FONT_TYPE_FT
                   ? cairo_ft_scaled_font_lock_face(fd->scaled)
                   : nullptr;
  for (int c = 0; c < 256; ++c) {
    unsigned long g = 0;
    if (ft) g = FT_Get_Char_Index(ft, plat::unicode_of_1252(static_cast<unsigned char>(c)));
    fd->glyph[c] = g;
  }
  if (ft) cairo_ft_scaled_font_unlock_face(fd->scaled);
  for (int c = 0; c < 256; ++c) {
    cairo_glyph_t gl{fd->glyph[c], 0, 0};
    cairo_text_extents_t e;
    cairo_scaled_font_glyph_extents(fd->scaled, &gl, 1, &e);
    fd->advance[c] = static_cast<int>(std::lround(e.x_advance));
    if (c >= 0x20) fd->max_width = std::max(fd->max_width, fd->advance[c]);
  }
  fd->ave_width = fd->advance['x'];
  f.data = fd;
  return fd;
}

Font* current_font(Dc& d) {
  Font* f = font_of(d.font);
  return f ? f : font_of(stock_handle(SYSTEM_FONT));
}

}  // namespace win::detail
