// The printing system's library, loaded when it is first needed: a program
// that never looks at a printer does not load it (nor the thirty libraries
// that it brings) at every start. Each call takes the library's function of
// the same name; without the library there is no destination, no option
// and no media, and a print job is not taken (job id 0).
#pragma once

#include <cups/cups.h>
#include <cups/pwg.h>

namespace plat::cups {

int GetDests2(http_t* http, cups_dest_t** dests);
void FreeDests(int n, cups_dest_t* dests);
cups_dest_t* GetDest(const char* name, const char* instance, int n, cups_dest_t* dests);
const char* GetOption(const char* name, int n, cups_option_t* options);
int AddOption(const char* name, const char* value, int n, cups_option_t** options);
void FreeOptions(int n, cups_option_t* options);
cups_dinfo_t* CopyDestInfo(http_t* http, cups_dest_t* dest);
void FreeDestInfo(cups_dinfo_t* info);
int GetDestMediaDefault(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, unsigned flags,
                        cups_size_t* size);
int PrintFile2(http_t* http, const char* printer, const char* filename, const char* title, int n,
               cups_option_t* options);
pwg_media_t* MediaForPWG(const char* media);
pwg_media_t* MediaForLegacy(const char* media);
pwg_media_t* MediaForPPD(const char* media);

}  // namespace plat::cups
