// The layout of a STRUCT record as every floor reads it: the field type
// codes, the field widths, the layout bound to a record variable and its
// fields, and the value of a numeric field. The STRUCT built-in (exec/)
// makes and fills records; the variables-as-text writer reads them.
//
// The layout of a record variable T lives in the value cells of a layout
// symbol L (named ":" + T's name, a numeric array of 1 x (2 n + 1) cells)
// whose number stands in T's `layout` field: cell 0 holds (owner T, field
// count n, record length), cells 1 to n (field variable, type code), and
// the cells after them one spare cell per field (an I4P field keeps its
// pointed-to integer there). A storage variable may hold several records of
// the same length one after the other (pages, counted from 1).
#pragma once

#include <cstdint>
#include <vector>

#include "core/messages.h"
#include "core/shoplists.h"
#include "core/stores.h"

namespace core {

// Field type codes: the keyword numbers of the STRUCT option list.
namespace structkw {
inline constexpr int error = optkwnr(OptStmt::STRUCT, "ERror");
inline constexpr int i1 = optkwnr(OptStmt::STRUCT, "I1");
inline constexpr int i2 = optkwnr(OptStmt::STRUCT, "I2");
inline constexpr int i4 = optkwnr(OptStmt::STRUCT, "I4");
inline constexpr int i8 = optkwnr(OptStmt::STRUCT, "I8");
inline constexpr int i4p = optkwnr(OptStmt::STRUCT, "I4P");
inline constexpr int i1u = optkwnr(OptStmt::STRUCT, "I1U");
inline constexpr int i2u = optkwnr(OptStmt::STRUCT, "I2U");
inline constexpr int i4u = optkwnr(OptStmt::STRUCT, "I4U");
inline constexpr int r4 = optkwnr(OptStmt::STRUCT, "R4");
inline constexpr int r8 = optkwnr(OptStmt::STRUCT, "R8");
inline constexpr int chr = optkwnr(OptStmt::STRUCT, "CHar");
inline constexpr int chrp = optkwnr(OptStmt::STRUCT, "CHarP");
inline constexpr int chr0 = optkwnr(OptStmt::STRUCT, "CHar0");
inline constexpr int chr0p = optkwnr(OptStmt::STRUCT, "CHar0P");
inline constexpr int struc = optkwnr(OptStmt::STRUCT, "STruc");
inline constexpr int strucp = optkwnr(OptStmt::STRUCT, "STrucP");
inline constexpr int bytes = optkwnr(OptStmt::STRUCT, "Bytes");
inline constexpr int getpage = optkwnr(OptStmt::STRUCT, "GetPage");
inline constexpr int setpage = optkwnr(OptStmt::STRUCT, "SetPage");
}  // namespace structkw

// Width in bytes of an address held in a pointer field.
inline constexpr std::int32_t structptrwidth = 8;

// Message keys.
namespace structkeys {
inline constexpr auto nostruc = MSGKEY("structnoSTRUC");
inline constexpr auto leftside = MSGKEY("structLeftSide");
inline constexpr auto beyond = MSGKEY("structBeyond");
inline constexpr auto nosupport = MSGKEY("structNoSupport");
inline constexpr auto bytes = MSGKEY("structBytes");
inline constexpr auto tooshort = MSGKEY("structTooShort");
inline constexpr auto notdefined = MSGKEY("structNotDefined");
inline constexpr auto recurse = MSGKEY("structRecurse");
}  // namespace structkeys

// The layout bound to record variable T: its layout symbol, the first of
// its cells, the fields the cells have room for, and cell 0's owner, field
// count and record length.
struct StructLayout {
  std::int32_t sym = 0;
  std::int32_t adr = 0;
  std::int32_t cap = 0;
  std::int32_t owner = 0, n = 0, reclen = 0;
};
// False when T has no usable layout.
bool structlayoutof(std::int32_t t, StructLayout& l);
// Field i (1 to n): its variable and type code.
void structfield(const StructLayout& l, std::int32_t i, std::int32_t& v, std::int32_t& type);

// The kinds of field types.
bool structnumerickind(std::int32_t type);
bool structcharkind(std::int32_t type);

// Bytes a field of the given type takes per element in a record (0 for the
// kinds whose width is their variable's text length, and for no field).
std::int32_t structfieldwidth(std::int32_t type);

// The value of the numeric field of the given type at a position of
// `c1namen`; advances the position by the field's width. Any other type
// sets "structNoSupport" and leaves the position.
double STRUCTFIELDVALUE(std::int32_t& position, std::int32_t type);
// Makes a new layout symbol for record variable T, without cells yet: a
// numeric array named ":" + T's name. Its name lies at the top end of
// `c1namen` beside the texts of the variables (`c1limit` lowered), where no
// temporary text of a statement under way meets it. 0 when a store could
// not grow.
std::int32_t newlayoutsymbol(std::int32_t t);

// Whether symbol s is the layout symbol made for record variable T (a
// numeric array named ":" + T's name): a layout field may still name a
// number that a dropped symbol had and another symbol took since.
bool islayoutof(std::int32_t s, std::int32_t t);

// A statement that writes a record into its target (T = STRUCT(...), the
// reading form with GetPage aside) gets T's layout symbol when its words
// are compiled (`tokcod` after the lexicon), so that no symbol is made
// while a statement runs and holds values in the cells above the symbols.
void prelayout();

// Layouts that outlive the symbols above a count (an XEQ text's, dropped
// when it ends): the records 1..keep whose layout symbol lies above keep,
// each with a copy of that symbol's record and value. A record one of
// whose fields is a variable above keep loses its layout here (the field
// goes with the text). The layouts' names and cells stay where they lie;
// the stores' free ends must not be given back over them.
struct KeptLayout {
  std::int32_t owner = 0;
  SymbolRecord record;
  double value = 0.0;
};
std::vector<KeptLayout> layoutsabove(std::int32_t keep);
// After the drop: each layout gets a symbol again, after the last one.
void keeplayouts(const std::vector<KeptLayout>& layouts);

// Field access: 0 unless T is a record variable that owns its layout.
// i < 1: out = the field count, result -999; 1 <= i <= n: out = field i's
// variable, result its type code (the character kinds as minus their code,
// STruc 999, STrucP 998); i > n: 0.
std::int32_t STRUCTELEMENT(std::int32_t t, std::int32_t i, std::int32_t& out);

}  // namespace core
