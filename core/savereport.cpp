#include "core/savereport.h"

#include <cerrno>
#include <string>

#include "core/messages.h"

namespace core {

void reportsave(const plat::ReplaceResult& result, std::string_view name) {
  std::string_view key = MSGKEY("msgSaveFailed");
  std::string title(name);
  switch (result.error) {
    case EFBIG:
      key = MSGKEY("msgSaveTooLarge");
      break;
    case ENOSPC:
    case EDQUOT:
      key = MSGKEY("msgSaveNoRoom");
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      key = MSGKEY("msgSaveDenied");
      break;
    case ENOENT:
    case ENOTDIR:
      key = MSGKEY("msgSaveNoFolder");
      break;
    case EISDIR:
      key = MSGKEY("msgSaveIsFolder");
      break;
    default:
      title += " (" + std::to_string(result.error) + ")";
      break;
  }
  int answer = 0;
  MSGBOXFROMHELP(key, title, answer);
}

}  // namespace core
