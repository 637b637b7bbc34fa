// Scripts of the files-and-devices built-ins run as RUN runs them, in a
// temporary folder of their own, with the script file table and the message
// boxes fresh before and after each test.
#pragma once

#include "io/readwrite.h"
#include "platform/win_message_box.h"
#include "support/script_folder.h"

namespace iotest {

class ScriptFolder : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    io::reset_readwrite();
    plat::reset_message_boxes();
  }
  void TearDown() override {
    io::reset_readwrite();
    plat::reset_message_boxes();
    ScriptInFolder::TearDown();
  }
};

}  // namespace iotest
