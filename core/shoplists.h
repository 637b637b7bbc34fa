// Keyword lists of the option statements. Each list is written once, as
// entries with their value type, and the comma-framed list text (`shop`)
// and its type string (`shoptypes`) are derived from it at compile time.
// Built-ins read their options by the keyword numbers derived here
// (`optkwnr`), never by numbers written by hand, so the compiler and every
// built-in agree on one numbering.
//
// Within an entry, capital letters, digits and every character that is not
// a lower-case letter must be typed in order; lower-case letters may be
// dropped. Value types: 'N' numeric, 'S' text, 'L' numeric whose "=" is
// recoded, blank a switch without value.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "core/codewords.h"

namespace core {

struct ShopEntry {
  std::string_view kw;
  char type;
};

inline constexpr ShopEntry openopts[] = {
    {"ERror", 'N'},      {"IOStat", 'N'},        {"FIle", 'S'},        {"OLD", ' '},
    {"NEW", ' '},        {"SCRatch", ' '},       {"RePLace", ' '},     {"RecL", 'N'},
    {"SEQuential", ' '}, {"APPend", ' '},        {"UNFormatted", ' '}, {"BINary", ' '},
    {"DIRect", ' '},     {"FORmatteD", ' '},     {"Format", 'S'},      {"LENgth", 'N'},
    {"GetRecL", 'N'},    {"ReadOnly", ' '},      {"WriteOnly", ' '},   {"DenyREAd", ' '},
    {"DenyWRIte", ' '},  {"DenyREAdWRIte", ' '}, {"Option", 'N'},      {"FiLTer", 'S'},
    {"CompTol", 'N'},    {"InDeX", ' '}};
inline constexpr ShopEntry readopts[] = {
    {"ERror", 'N'},      {"IOStat", 'N'}, {"Format", 'S'},       {"DecimalPoint", 'S'},
    {"Text", 'S'},       {"FIle", 'S'},   {"Recrow", ' '},       {"Column", 'N'},
    {"SEArch", 'S'},     {"RecL", 'N'},   {"LENgth", 'N'},       {"CLoSe", 'N'},
    {"Messagebox", ' '}, {"ItemS", 'N'},  {"WINdowhandle", 'N'}, {"ClipBoard", ' '}};
inline constexpr ShopEntry writeopts[] = {
    {"ERror", 'N'},      {"IOStat", 'N'},       {"Text", 'S'},      {"Messagebox", ' '},
    {"StatusBar", ' '},  {"PRint", 'N'},        {"FIle", 'S'},      {"APPend", ' '},
    {"CLoSe", 'N'},      {"DELETE", 'N'},       {"FLUsh", 'N'},     {"Recrow", ' '},
    {"REName", 'S'},     {"WINdowhandle", 'N'}, {"Column", 'N'},    {"COLumnS", 'N'},
    {"DeCoRation", 'S'}, {"Align", 'S'},        {"BaCkcolor", 'N'}, {"ForeColor", 'N'},
    {"Format", 'S'},     {"Name", ' '},         {"LENgth", 'N'},    {"ItemS", 'N'},
    {"FONt", ' '},       {"PoinT", 'N'},        {"ROTate", 'N'},    {"ITalic", 'N'},
    {"BolD", 'N'},       {"UnderLine", 'N'},    {"ClipBoard", ' '}, {"TitleBar", ' '},
    {"OnButton", ' '}};
inline constexpr ShopEntry sortopts[] = {
    {"ERror", 'N'},      {"Vector", 'N'}, {"FIle", 'S'},   {"Column", 'N'},    {"Index", 'N'},
    {"CLUSter", 'N'},    {"Rank", 'N'},   {"Groups", 'N'}, {"StDdev", 'N'},    {"PhySsort", 'N'},
    {"Descending", 'N'}, {"Sorted", ' '}, {"Option", 'N'}, {"DELDouBLes", 'N'}};
inline constexpr ShopEntry axisopts[] = {
    {"ERror", 'N'},     {"Axis", ' '},   {"BaCkcolor", 'N'},   {"Height", 'N'},
    {"FixmiN", ' '},    {"FiXmax", ' '}, {"Grid", ' '},        {"Left", 'N'},
    {"LoG", ' '},       {"MaX", 'N'},    {"MiN", 'N'},         {"Width", 'N'},
    {"Scroll", ' '},    {"Title", 'S'},  {"TiMe", ' '},        {"Bottom", 'N'},
    {"Xaxis", ' '},     {"Yaxis", ' '},  {"ForeColor", 'N'},   {"WINdowhandle", 'N'},
    {"MouSeCall", 'S'}, {"MouSeX", 'N'}, {"MouSeY", 'N'},      {"PRint", 'N'},
    {"FONt", ' '},      {"PoinT", 'N'},  {"MouSeButton", 'N'}, {"MouSeAxis", 'N'},
    {"Cursor", 'N'}};
inline constexpr ShopEntry lineopts[] = {
    {"ERror", 'N'},          {"Axis", ' '},   {"Color", 'N'},
    {"DaSH", ' '},           {"Points", 'N'}, {"Intpol", 'N'},
    {"NoLine", ' '},         {"NoZero", ' '}, {"OneWay", 'N'},
    {"PenUp", ' '},          {"Symbol", ' '}, {"Text", ' '},
    {"Draw", 'N'},           {"X", 'N'},      {"Y", 'N'},
    {"STeps", ' '},          {"Line", 'N'},   {"lineWidth", 'N'},
    {"SymbolDiameter", 'N'}, {"PRint", 'N'},  {"BaCkcolor", 'N'}};
inline constexpr ShopEntry solveopts[] = {
    {"ERror", 'N'},      {"Matrix", 'N'},  {"Vector", 'N'},    {"Unknown", 'N'}, {"DataIdx", 'N'},
    {"UnknownIdx", 'N'}, {"Const", 'N'},   {"SpeedHigh", 'N'}, {"STDdev", 'N'},  {"Iters", 'N'},
    {"Limit", 'N'},      {"NumDiff", 'N'}, {"NUL", 'L'},       {"DATA", 'N'},    {"MaXIters", 'N'},
    {"Transpose", 'N'},  {"Speed1", 'N'},  {"SpeedStop", 'N'}, {"SpeedLow", 'N'}};
inline constexpr ShopEntry systemopts[] = {
    {"ERror", 'N'},     {"RUN", ' '},       {"FIle", ' '},        {"PoinT", 'N'},
    {"UnderLine", 'N'}, {"BOld", 'N'},      {"ITalic", 'N'},      {"WINdowhandle", 'N'},
    {"getWidth", 'N'},  {"getHeight", 'N'}, {"getXPixels", 'N'},  {"getYPixels", 'N'},
    {"DIR", 'S'},       {"FONt", 'S'},      {"SHell", 'S'},       {"Mode", 'S'},
    {"CHain", 'S'},     {"COPY", 'S'},      {"DELETE", 'S'},      {"RPW", 'S'},
    {"HDNR", 'N'},      {"AppDir", 'S'},    {"FileTime", ' '},    {"WAIT", ' '},
    {"STYle", 'N'},     {"FoNtnr", 'N'},    {"CoMmand", 'S'},     {"sEteNV", 'S'},
    {"GEteNV", 'S'},    {"Rotate", 'N'},    {"TItle", 'S'},       {"APPend", ' '},
    {"COPYTO", 'S'},    {"SetDIR", 'S'},    {"SetFileTime", 'S'}, {"SORt", 'S'},
    {"FileSize", 'N'},  {"X0", 'N'},        {"Y0", 'N'},          {"FullWidth", 'N'},
    {"FullHeight", 'N'}};
inline constexpr ShopEntry intpolopts[] = {{"ERror", 'N'},   {"Xi", 'N'},   {"XVector", 'N'},
                                           {"YVector", 'N'}, {"Init", ' '}, {"DYdx", ' '},
                                           {"D2ydx", ' '},   {"X2", 'N'},   {"Find", 'N'}};
inline constexpr ShopEntry windowopts[] = {
    {"ERror", 'N'},        {"X", 'N'},          {"Y", 'N'},
    {"Width", 'N'},        {"Height", 'N'},     {"WINdowhandle", 'N'},
    {"Kill", 'N'},         {"PRint", 'N'},      {"TItle", 'S'},
    {"BaCkcolor", 'N'},    {"ForeColor", 'N'},  {"TopSpace", 'N'},
    {"BottomSpace", 'N'},  {"LeftSpace", 'N'},  {"RightSpace", 'N'},
    {"Left", 'N'},         {"Up", 'N'},         {"FONt", ' '},
    {"GraphicsFont", 'S'}, {"PoinT", 'N'},      {"UnderLine", ' '},
    {"BOld", ' '},         {"ITalic", ' '},     {"ROTate", 'N'},
    {"STYle", ' '},        {"Menu", ' '},       {"Toolbar", ' '},
    {"ToolTypes", ' '},    {"SaveAs", ' '},     {"LoaD", ' '},
    {"MenuTypes", ' '},    {"SelTxt", 'S'},     {"PaNeL", 'S'},
    {"UPDAtepanel", ' '},  {"ForeGround", 'N'}, {"STATus", 'N'},
    {"Owner", 'N'},        {"ClaSs", 'S'},      {"CaLl", 'S'},
    {"NORMal", 'N'},       {"MINImize", 'N'},   {"MAXImize", 'N'},
    {"HIDE", 'N'}};
inline constexpr ShopEntry dlgopts[] = {{"ERror", 'N'},
                                        {"Text", ' '},
                                        {"Align", ' '},
                                        {"Button", ' '},
                                        {"Edit", ' '},
                                        {"NamEedit", ' '},
                                        {"ListBox", 'S'},
                                        {"ComBobox", 'S'},
                                        {"CHeckbox", ' '},
                                        {"RADio", ' '},
                                        {"Group", ' '},
                                        {"FRAMe", ' '},
                                        {"REct", ' '},
                                        {"UpDown", 'N'},
                                        {"TrackBar", 'N'},
                                        {"ProgressBar", 'N'},
                                        {"ScrollBar", 'N'},
                                        {"X", ' '},
                                        {"Y", ' '},
                                        {"Width", 'N'},
                                        {"Height", 'N'},
                                        {"Line", ' '},
                                        {"MAx", 'N'},
                                        {"MIn", 'N'},
                                        {"DNum", ' '},
                                        {"SelTxt", 'S'},
                                        {"SelIdx", 'N'},
                                        {"GroupEnd", ' '},
                                        {"Vertical", ' '},
                                        {"SOrt", 'N'},
                                        {"CALLback", 'S'},
                                        {"LeftAlign", ' '},
                                        {"CenterAlign", ' '},
                                        {"RightAlign", ' '},
                                        {"PassWord", ' '},
                                        {"ReadOnly", ' '},
                                        {"BLAck", ' '},
                                        {"WHIte", ' '},
                                        {"GRAY", ' '},
                                        {"WRap", ' '},
                                        {"DEFault", ' '},
                                        {"EnAble", 'N'},
                                        {"SHOW", 'N'},
                                        {"FocuS", ' '},
                                        {"NoClose", ' '},
                                        {"SetMemory", ' '},
                                        {"XMemoryadd", ' '},
                                        {"YMemoryadd", ' '},
                                        {"IDentification", 'N'},
                                        {"ColTitle", ' '},
                                        {"RowTitle", ' '},
                                        {"Jumpto", 'N'},
                                        {"ROW", 'N'},
                                        {"COL", 'N'},
                                        {"ZeroBlank", ' '},
                                        {"TItle", ' '},
                                        {"ReturnCode", 'N'},
                                        {"SEParators", 'S'},
                                        {"KiLl", 'N'},
                                        {"UPDAte", ' '},
                                        {"HelpFile", 'S'},
                                        {"DefHeight", 'N'},
                                        {"BORder", ' '},
                                        {"SPace", ' '},
                                        {"DefWidth", 'N'},
                                        {"FONt", ' '},
                                        {"PoinT", 'N'},
                                        {"CHIld", ' '},
                                        {"FixedFont", ' '},
                                        {"BaCkcolor", 'N'},
                                        {"ForeColor", 'N'},
                                        {"X0", 'N'},
                                        {"Y0", 'N'},
                                        {"WINdowhandle", 'N'},
                                        {"ColSel", 'N'},
                                        {"RowSel", 'N'},
                                        {"Owner", 'N'},
                                        {"BiTteXt", 'S'},
                                        {"HeLP", 'S'},
                                        {"Format", 'S'},
                                        {"CoNtrols", 'S'},
                                        {"CHanGed", 'N'}};
inline constexpr ShopEntry timeopts[] = {
    {"ERror", 'N'}, {"TO", ' '},        {"MSec", 'N'},    {"Sec", 'N'},  {"MInute", 'N'},
    {"Hour", 'N'},  {"Day", 'N'},       {"MOnth", 'N'},   {"Year", 'N'}, {"YYYYMMDD", ' '},
    {"Excel", 'N'}, {"Gregorian", 'N'}, {"WeekDay", ' '}, {"CPU", ' '}};
// DLL: the typed call, then (from Handle on) the statement form for user
// libraries written for the interpreter.
inline constexpr ShopEntry dllopts[] = {
    {"ERror", 'N'},     {"I1", 'N'},       {"I2", 'N'},        {"I4", 'N'},
    {"I1P", 'N'},       {"I2P", 'N'},      {"I4P", 'N'},       {"I8P", 'N'},
    {"I1U", 'N'},       {"I2U", 'N'},      {"I4U", 'N'},       {"I1UP", 'N'},
    {"I2UP", 'N'},      {"I4UP", 'N'},     {"R4", 'N'},        {"R4P", 'N'},
    {"R8P", 'N'},       {"CHarP", 'S'},    {"CHar0P", 'S'},    {"STrucP", 'S'},
    {"ErrIf", 'N'},     {"ErrIfNot", 'N'}, {"Module", 'S'},    {"Procedure", 'S'},
    {"ASYNCProc", 'N'}, {"NEWProc", 'N'},  {"HINSTance", 'N'}, {"Wdw1", 'N'},
    {"Unload", 'N'},    {"Handle", 'N'},   {"LIBrary", 'S'},   {"SUBroutine", 'S'},
    {"FUNction", 'S'},  {"ARGument", ' '}, {"FREE", 'N'}};
inline constexpr ShopEntry keyopts[] = {{"ERror", 'N'},   {"Ascii", ' '},   {"Scan", ' '},
                                        {"SHift", ' '},   {"Control", ' '}, {"CApital", ' '},
                                        {"Numlock", ' '}, {"SCRoll", ' '},  {"ScanType", ' '},
                                        {"ALt", ' '},     {"Mouse", ' '}};
inline constexpr ShopEntry editopts[] = {
    {"ERror", 'N'},         {"Text", 'S'},          {"Right", ' '},       {"Left", ' '},
    {"Delete", ' '},        {"Insert", 'S'},        {"DO", ' '},          {"RaNge", ' '},
    {"Count", ' '},         {"UpperCase", ' '},     {"LowerCase", ' '},   {"Option", 'N'},
    {"GetPosition", ' '},   {"SetPosition", 'N'},   {"ScanFor", 'S'},     {"ScaNnot", 'S'},
    {"LeXicon", 'S'},       {"SePaRators", ' '},    {"SorTtoIndex", 'N'}, {"SorTedtext", 'S'},
    {"SortFromIndex", 'N'}, {"TabiFyfont", 'N'},    {"ContInueiF", 'S'},  {"ScanForLeft", 'S'},
    {"ScaNnotLeft", 'S'},   {"RePLaceby", 'S'},     {"IF", ' '},          {"ELSE", ' '},
    {"RangeBegin", ' '},    {"RangEend", ' '},      {"EXit", ' '},        {"ITeM", 'N'},
    {"Mark1", ' '},         {"Mark2", ' '},         {"CoPyto", 'S'},      {"ENDIF", ' '},
    {"Parse", 'S'},         {"SorTColumn1", 'N'},   {"SortDelDbls", 'S'}, {"$Marks", 'S'},
    {"End", ' '},           {"Begin", ' '},         {"Word", 'N'},        {"WordEnd", ' '},
    {"APpendTo", ' '},      {"InvertedIndex", 'S'}, {"EXTRA", 'S'},       {"IDentification", ' '},
    {"SorTSequence", 'N'},  {"Id1", ' '},           {"Id2", ' '},         {"OFfSet", 'N'},
    {"ENDDO", ' '},         {"MatriX", 'S'}};
inline constexpr ShopEntry popopts[] = {{"ERror", 'N'},   {"Menu", 'S'},  {"Owner", 'N'},
                                        {"X", 'N'},       {"Y", 'N'},     {"MenuTypes", 'N'},
                                        {"Poptype", 'N'}, {"SelTxt", 'S'}};
inline constexpr ShopEntry diffeqopts[] = {
    {"ERror", 'N'},   {"CallBack", ' '}, {"T", 'N'},         {"Y", 'N'},       {"DY", 'N'},
    {"T0", 'N'},      {"DT1", 'N'},      {"TOLerance", 'N'}, {"NonZero", 'N'}, {"Go", 'N'},
    {"itrOK", 'N'},   {"YFeed", 'N'},    {"Velocity", 'N'},  {"X", 'N'},       {"Eddy", 'N'},
    {"Rateatx", 'N'}, {"BCFdiff", 'N'}};
inline constexpr ShopEntry comopts[] = {
    {"ERror", 'N'},       {"Comport", 'N'},      {"Bauds", 'N'},       {"Parity", 'S'},
    {"DataBits", 'N'},    {"StopBits", 'N'},     {"OnErroritem", 'N'}, {"Waitbyte", ' '},
    {"WaitBIts", 'N'},    {"IgnoreInput", ' '},  {"Lastchar", ' '},    {"LastcharX", ' '},
    {"DouBLe", ' '},      {"ChecksumBits", 'N'}, {"ChecksumVal", 'N'}, {"CheckSum", ' '},
    {"ExitOnInput", 'S'}, {"Timeout", 'N'},      {"Echo", 'N'},        {"Send", ' '},
    {"Receive", 'S'}};
inline constexpr ShopEntry structopts[] = {
    {"ERror", 'N'}, {"I1", 'N'},      {"I2", 'N'},     {"I4", 'N'},    {"I8", 'N'},
    {"I1P", 'N'},   {"I2P", 'N'},     {"I4P", 'N'},    {"I8P", 'N'},   {"I1U", 'N'},
    {"I2U", 'N'},   {"I4U", 'N'},     {"I1UP", 'N'},   {"I2UP", 'N'},  {"I4UP", 'N'},
    {"R4", 'N'},    {"R8", 'N'},      {"R4P", 'N'},    {"R8P", 'N'},   {"CHar", 'S'},
    {"CHarP", 'S'}, {"CHar0", 'S'},   {"CHar0P", 'S'}, {"STruc", 'S'}, {"STrucP", 'S'},
    {"Bytes", 'N'}, {"GetPage", 'N'}, {"SetPage", 'N'}};
inline constexpr ShopEntry bitsopts[] = {
    {"ERror", 'N'},  {"Base", ' '},   {"AND", ' '},    {"BOX", 'N'},    {"BitCount", ' '},
    {"BoxDim", 'N'}, {"CLR", ' '},    {"CoPy", 'N'},   {"EOR", ' '},    {"FLiP", ' '},
    {"GetVal", ' '}, {"High0", 'N'},  {"High1", 'N'},  {"IFClr", ' '},  {"IFEq", ' '},
    {"IFGt", ' '},   {"IFLt", ' '},   {"IFNeq", ' '},  {"IFSet", ' '},  {"JumpBase", 'N'},
    {"LocGet", 'N'}, {"Low0", 'N'},   {"Low1", 'N'},   {"MoVe", 'N'},   {"OR", ' '},
    {"ORIGin", 'N'}, {"POOL", ' '},   {"RING", 'N'},   {"ROTate", 'N'}, {"RowsColsBits", 'N'},
    {"SHiFt", 'N'},  {"SetBit", ' '}, {"SetVal", ' '}, {"X", ' '},      {"XLate", 'S'},
    {"Y", ' '},      {"IFLOC", 'N'}};
inline constexpr ShopEntry aliasopts[] = {{"ERror", 'N'},  {"Base", ' '},         {"Index", 'N'},
                                          {"Number", 'N'}, {"Vector", 'N'},       {"Matrix", 'N'},
                                          {"Rows", 'N'},   {"Columns", 'N'},      {"String", 'S'},
                                          {"Length", 'N'}, {"TrailingSpace", ' '}};

// Option statement numbers s (code 0xAC00 + 0x20 s).
enum class OptStmt : int {
  OPEN,
  READ,
  WRITE,
  SORT,
  AXIS,
  LINE,
  SOLVE,
  SYSTEM,
  INTPOL,
  WINDOW,
  DLG,
  TIME,
  DLL,
  KEY,
  EDIT,
  POP,
  DIFFEQ,
  COM,
  STRUCT,
  BITS,
  ALIAS
};

namespace shopdetail {

template <const auto& E>
struct Derived {
  static constexpr std::size_t textlen = [] {
    std::size_t n = 1;
    for (const auto& e : E) n += e.kw.size() + 1;
    return n;
  }();
  static constexpr auto text = [] {
    std::array<char, textlen> out{};
    std::size_t i = 0;
    out[i++] = ',';
    for (const auto& e : E) {
      for (char c : e.kw) out[i++] = c;
      out[i++] = ',';
    }
    return out;
  }();
  static constexpr auto types = [] {
    std::array<char, std::size(E)> out{};
    std::size_t i = 0;
    for (const auto& e : E) out[i++] = e.type;
    return out;
  }();
};

}  // namespace shopdetail

// One option statement: its name, entries, list text and type string.
struct ShopList {
  std::string_view stmt;
  std::span<const ShopEntry> entries;
  std::string_view shop;
  std::string_view shoptypes;
};

template <const auto& E>
constexpr ShopList makeshoplist(std::string_view stmt) {
  using D = shopdetail::Derived<E>;
  return {stmt, E, {D::text.data(), D::text.size()}, {D::types.data(), D::types.size()}};
}

inline constexpr ShopList shoplists[noptstmts] = {
    makeshoplist<openopts>("OPEN"),     makeshoplist<readopts>("READ"),
    makeshoplist<writeopts>("WRITE"),   makeshoplist<sortopts>("SORT"),
    makeshoplist<axisopts>("AXIS"),     makeshoplist<lineopts>("LINE"),
    makeshoplist<solveopts>("SOLVE"),   makeshoplist<systemopts>("SYSTEM"),
    makeshoplist<intpolopts>("INTPOL"), makeshoplist<windowopts>("WINDOW"),
    makeshoplist<dlgopts>("DLG"),       makeshoplist<timeopts>("TIME"),
    makeshoplist<dllopts>("DLL"),       makeshoplist<keyopts>("KEY"),
    makeshoplist<editopts>("EDIT"),     makeshoplist<popopts>("POP"),
    makeshoplist<diffeqopts>("DIFFEQ"), makeshoplist<comopts>("COM"),
    makeshoplist<structopts>("STRUCT"), makeshoplist<bitsopts>("BITS"),
    makeshoplist<aliasopts>("ALIAS"),
};

constexpr const ShopList& shoplist(OptStmt s) { return shoplists[static_cast<int>(s)]; }

// Entry number (from 1) of a keyword, spelled exactly as in its list.
consteval int optentry(OptStmt s, std::string_view kw) {
  int k = 0;
  for (const auto& e : shoplist(s).entries) {
    ++k;
    if (e.kw == kw) return k;
  }
  throw "no such option keyword";
}
// Keyword number (from 0, ERror = 0) of a keyword: the low bits of its
// option marker and its slot in the option table.
consteval int optkwnr(OptStmt s, std::string_view kw) { return optentry(s, kw) - 1; }

// Lists that the dialog and window code read under their own names.
inline constexpr std::string_view dlgshop = shoplist(OptStmt::DLG).shop;
inline constexpr std::string_view dlgshoptypes = shoplist(OptStmt::DLG).shoptypes;
inline constexpr std::string_view windowshop = shoplist(OptStmt::WINDOW).shop;
inline constexpr std::string_view popshop = shoplist(OptStmt::POP).shop;

namespace shopdetail {
constexpr bool consistent() {
  constexpr int counts[noptstmts] = {26, 16, 33, 14, 29, 21, 19, 41, 9,  43, 82,
                                     14, 35, 11, 54, 8,  17, 21, 28, 37, 11};
  for (int s = 0; s < noptstmts; ++s) {
    if (shoplists[s].stmt != optstmtname(s)) return false;
    if (static_cast<int>(shoplists[s].entries.size()) != counts[s]) return false;
    if (shoplists[s].entries[0].kw != "ERror") return false;
  }
  return true;
}
static_assert(consistent(), "option lists and option statement codes disagree");
}  // namespace shopdetail

}  // namespace core
