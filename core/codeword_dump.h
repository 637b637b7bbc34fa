// Readable dumps of code-word sequences, as a disassembler shows them: each
// word becomes its keyword, operator or name in the code-word table
// (core/codewords.h), separated by blanks. Used by the tests and by the
// executor's account of the statements its compiled forms hand back.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace core::cwdump {

enum class Space {
  tokens,    // tokenizer output: 0x80 name, 0x81 num, 0x41 text
  compiler,  // compiler codes: positive words are symbols "#k"
  executor,  // executor codes
};

// Option markers are shown by their keyword when an option statement came
// before them, else as "opt<n>" with the entry number n.
std::string dump(std::span<const std::int16_t> words, Space space = Space::compiler);
// The tokens tokcod(1..ntok) of the current line.
std::string tokens();

}  // namespace core::cwdump
