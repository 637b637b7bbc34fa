// What every start of the program sets for the whole process, before any
// file is written: the program's entry calls it once (and so does a test
// that runs the program's code in its own process and relies on it).
#pragma once

namespace plat {

// A write beyond the process's file-size limit fails with its status
// (EFBIG) like any other failed write, instead of ending the process
// (SIGXFSZ is ignored), so that scripts and the editor's saves learn of it.
void prepare_process();

}  // namespace plat
