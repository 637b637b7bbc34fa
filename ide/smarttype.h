// The typing assistant: after every key applied to the editor's input line
// it looks at the word before the cursor and offers completions (symbols
// of the scope, statement keywords, built-ins, or the option keywords of
// the built-in the line calls), steps through them with Tab and Shift+Tab,
// accepts with Space, and shows a one-line hint in the tooltip window
// and/or the status bar, as `tipopts` say. The line is analysed on trial:
// whatever the compiler made of it is dropped again.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/fixed_text.h"

namespace ide {

// The cursor position and line of the last analysis, and the length of the
// completion the last Tab inserted (0: none).
inline std::int32_t assistcol = 0;
inline std::int32_t assistline = 0;
inline std::int32_t assistlen = 0;
// The hint being composed and shown; the candidates last written behind
// the line's text.
inline plat::FixedText<256> hint;
inline plat::FixedText<256> inlinehint;
// The first candidate of the last search.
inline plat::FixedText<60> firstcand;
// The option list of the built-in the line calls (blank: none).
inline plat::FixedText<768> shopbuf;

// The two fixed keyword lists searched besides `shopbuf`.
inline constexpr std::string_view statementlist =
    ",GOTO,IF,DO,CALL,CONTINUE,END,DIMENSION,DATA,RETURN,SUBROUTINE,FUNCTION,CHARACTER,ELSE,"
    "ELSEIF,ENDIF,THEN,ENDDO,USE,REAL,";
inline constexpr std::string_view builtinlist =
    ",LOG,ABS,EXP,RAN,INTPOL,LOCK,BEEP,RGB,INT,NINT,MOD,MAX,MIN,SIN,COS,TAN,ASIN,ACOS,ATAN,SINH,"
    "COSH,TANH,ROOTS,TIME,COM,XEQ,INDEX,KEY,INIT,ALARM,DIFFEQ,FUZ,ALIAS,DLL,ICHAR,CHAR,IAND,IEOR,"
    "IOR,NOT,SORT,SUM,SYSTEM,win,INET,READ,WRITE,OPEN,AXIS,LINE,SOLVE,WINDOW,DLG,FLOOR,LEN,LEN_"
    "TRIM,MAXLOC,MINLOC,SIGN,CEILING,TRIM,EDIT,ALLOCATE,POP,APPENDIX,STRUCT,BITS,";

// The assistant on the input field's text (column 1 the mode digit, the
// script line from column 2 on); state -1 idle, 0 offering, n > 0 after n
// Tabs; changed is the field's changed flag.
void SMARTTYPE(std::span<char> text, std::int32_t& state, std::int32_t& changed);

void reset_smarttype();

}  // namespace ide
