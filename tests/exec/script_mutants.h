// Mutants of the real scripts in tests/scripts: lines, characters and
// tokens changed at random (seeded, so that a mutant can be made again).
// The same generator as the pipeline fuzz test's, for the tests that run
// mutants in other ways.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace mutants {

using Lines = std::vector<std::string>;

// The lines of every .ost file of the folder (sorted by name), less the
// script that asks for the largest character store.
std::vector<Lines> corpus(const std::filesystem::path& dir);

// The folder of OSTREL_FUZZ_CORPUS when it is set, else tests/scripts.
std::filesystem::path corpusdir();

// Pieces of the language: what the scripts use, and what they may get wrong.
std::vector<std::string> tokens(const std::vector<Lines>& all);

// One mutant of a script of `all` with 1 to maxchanges changes; lines end
// with CR LF.
std::string mutant(const std::vector<Lines>& all, const std::vector<std::string>& toks,
                   std::mt19937& rng, std::size_t maxchanges);

// The number in environment variable `name`, else dflt.
std::uint32_t envnum(const char* name, std::uint32_t dflt);

}  // namespace mutants
