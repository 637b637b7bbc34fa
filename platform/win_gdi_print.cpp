// Printer contexts and print jobs: a context over a PDF surface at the
// printer's resolution, documents written to a file beside their target
// (or a temporary file for CUPS) and put in place at EndDoc.
#include <cairo-pdf.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/cp1252.h"
#include "platform/cups_calls.h"
#include "platform/file_names.h"
#include "platform/file_replace.h"
#include "platform/win_gdi_internal.h"
#include "platform/win_last_error.h"
#include "platform/win_print_devices.h"

namespace win::detail {

struct PrintJob {
  PrinterSpec printer;
  DEVMODEA mode;  // the settings in force (dmSize 0: the printer's defaults)
  ABORTPROC abort_proc = nullptr;
  // The open document: its surface, the file it is written to, where it
  // goes at the end.
  cairo_surface_t* pdf = nullptr;
  std::FILE* file = nullptr;  // for CUPS: the temporary file at temp_path
  std::string temp_path;
  // A file target (a Windows-1252 name) is replaced as every save replaces
  // a file: links followed, its permission bits kept, a failure leaving the
  // old file as it was.
  std::unique_ptr<plat::Replacement> out;
  std::string target;  // a file; empty: the CUPS printer
  std::string title;   // UTF-8
  bool discard = false;
  bool write_failed = false;
  bool in_page = false;
  int job = 0;

  ~PrintJob() { close(false); }

  // Ends the document's surface and file; unless `keep`, the file goes.
  // False when the document could not be written whole.
  bool close(bool keep) {
    if (pdf == nullptr) return false;
    discard = !keep;
    cairo_surface_finish(pdf);
    const bool ok = cairo_surface_status(pdf) == CAIRO_STATUS_SUCCESS && !write_failed;
    cairo_surface_destroy(pdf);
    pdf = nullptr;
    if (out != nullptr) {
      // (Dropped without a commit, the replacement removes its file.)
      if (!keep || !ok) out.reset();
      return out != nullptr;
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!keep || !ok || !closed) {
      std::remove(temp_path.c_str());
      return false;
    }
    return true;
  }
};

void PrintJobDeleter::operator()(PrintJob* job) const { delete job; }

namespace {

int next_job = 0;

cairo_status_t write_out(void* closure, const unsigned char* data, unsigned int length) {
  auto* job = static_cast<PrintJob*>(closure);
  if (job->discard) return CAIRO_STATUS_SUCCESS;
  if (job->out != nullptr) {
    if (!job->out->write({reinterpret_cast<const char*>(data), length})) {
      job->write_failed = true;
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  }
  if (job->file == nullptr) return CAIRO_STATUS_SUCCESS;
  if (std::fwrite(data, 1, length, job->file) != length) {
    job->write_failed = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

// Points per device pixel, horizontally and vertically.
double unit_x(const plat::DeviceInfo& i) { return 72.0 / i.dpi_x; }
double unit_y(const plat::DeviceInfo& i) { return 72.0 / i.dpi_y; }

// A surface that takes drawing outside a document and keeps nothing.
cairo_surface_t* idle_surface(const plat::DeviceInfo& i) {
  return cairo_pdf_surface_create_for_stream(nullptr, nullptr, i.physical_width * unit_x(i),
                                             i.physical_height * unit_y(i));
}

void set_surface(Dc& d, cairo_surface_t* s) {
  if (d.surface) cairo_surface_destroy(d.surface);
  d.surface = s;  // the context takes the reference
  d.raster = false;
}

// The context's device, origin and clip for the job's settings: logical
// (0,0) is the top-left corner of the printable area.
void apply_geometry(Dc& d) {
  PrintJob& job = *d.print;
  d.info = page_geometry(job.printer, job.mode.dmSize != 0 ? &job.mode : nullptr);
  d.origin = POINT{d.info.offset_x, d.info.offset_y};
  d.clip = RECT{d.info.offset_x, d.info.offset_y, d.info.offset_x + d.info.width,
                d.info.offset_y + d.info.height};
  d.unit_x = unit_x(d.info);
  d.unit_y = unit_y(d.info);
}

Dc* printer_dc(HDC hdc) {
  Dc* d = dc(hdc);
  if (d == nullptr || !d->print) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return d;
}

// A printer context with a document open; null otherwise (the last error
// set).
Dc* document_dc(HDC hdc) {
  Dc* d = printer_dc(hdc);
  if (d != nullptr && d->print->pdf == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return d;
}

DWORD error_of_errno(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

// "<document>.pdf": the name without what a file name cannot hold
// ("Ostrel" when blank); a name taken already gets "-2", "-3", ... so that
// no job replaces the file of another.
std::string file_name_of(const std::string& title) {
  std::string name;
  for (char c : title)
    name += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
  if (name.find_first_not_of(' ') == std::string::npos || name == "." || name == "..")
    name = "Ostrel";
  std::error_code ec;
  std::string file = name + ".pdf";
  for (int n = 2; std::filesystem::symlink_status(plat::system_path(file), ec).type() !=
                  std::filesystem::file_type::not_found;
       ++n)
    file = name + "-" + std::to_string(n) + ".pdf";
  return file;
}

// The file of the last document that ended whole.
std::string last_file;

// Back to the idle surface after a document.
void end_document(Dc& d) {
  d.print->in_page = false;
  set_surface(d, idle_surface(d.info));
}

}  // namespace

}  // namespace win::detail

namespace win {

using namespace detail;

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const DEVMODEA* mode) {
  const char* name = device != nullptr ? device : driver;
  PrinterSpec p;
  if (name == nullptr || !find_printer(name, p)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  auto job = std::unique_ptr<PrintJob, PrintJobDeleter>(new PrintJob);
  job->printer = p;
  if (mode != nullptr) job->mode = *mode, job->mode.dmSize = sizeof(DEVMODEA);
  const plat::DeviceInfo info = page_geometry(p, job->mode.dmSize != 0 ? &job->mode : nullptr);
  cairo_surface_t* s = idle_surface(info);
  HDC h = plat::make_device_dc(s, unit_x(info), info);
  cairo_surface_destroy(s);  // the context holds it
  Dc* d = dc(h);
  if (d == nullptr) return nullptr;
  d->print = std::move(job);
  apply_geometry(*d);
  return h;
}

HDC ResetDCA(HDC hdc, const DEVMODEA* mode) {
  Dc* d = printer_dc(hdc);
  if (d == nullptr) return nullptr;
  if (d->print->in_page) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (mode != nullptr) d->print->mode = *mode, d->print->mode.dmSize = sizeof(DEVMODEA);
  apply_geometry(*d);
  if (d->print->pdf == nullptr) end_document(*d);  // an idle surface of the new size
  return hdc;
}

int StartDocA(HDC hdc, const DOCINFOA* info) {
  Dc* d = printer_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  PrintJob& job = *d->print;
  if (job.pdf != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  const std::string doc = info != nullptr && info->lpszDocName != nullptr ? info->lpszDocName : "";
  job.title = plat::utf8_from_1252(doc);
  const bool to_file = info != nullptr && info->lpszOutput != nullptr && *info->lpszOutput;
  if (to_file)
    job.target = info->lpszOutput;
  else if (job.printer.cups)
    job.target.clear();
  else
    job.target = file_name_of(doc);

  if (!job.target.empty()) {
    job.out = std::make_unique<plat::Replacement>(job.target);
    if (!job.out->ok()) {
      const int error = job.out->result().error;
      job.out.reset();
      SetLastError(error_of_errno(error));
      return SP_ERROR;
    }
  } else {
    // For CUPS the document waits in the temporary folder.
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-print-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
      SetLastError(error_of_errno(errno));
      return SP_ERROR;
    }
    job.temp_path = pattern;
    job.file = fdopen(fd, "wb");
    if (job.file == nullptr) {
      ::close(fd);
      std::remove(job.temp_path.c_str());
      SetLastError(ERROR_GEN_FAILURE);
      return SP_ERROR;
    }
  }
  job.discard = job.write_failed = false;
  job.pdf =
      cairo_pdf_surface_create_for_stream(write_out, &job, d->info.physical_width * unit_x(d->info),
                                          d->info.physical_height * unit_y(d->info));
  cairo_pdf_surface_set_metadata(job.pdf, CAIRO_PDF_METADATA_TITLE, job.title.c_str());
  cairo_pdf_surface_set_metadata(job.pdf, CAIRO_PDF_METADATA_CREATOR, "Ostrel");
  set_surface(*d, cairo_surface_reference(job.pdf));
  job.in_page = false;
  job.job = ++next_job;
  return job.job;
}

int StartPage(HDC hdc) {
  Dc* d = document_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  PrintJob& job = *d->print;
  if (!job.in_page) {
    // The page takes the size in force (ResetDCA may have changed it).
    cairo_pdf_surface_set_size(job.pdf, d->info.physical_width * unit_x(d->info),
                               d->info.physical_height * unit_y(d->info));
    job.in_page = true;
  }
  return 1;
}

int EndPage(HDC hdc) {
  Dc* d = document_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  PrintJob& job = *d->print;
  if (!job.in_page) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  cairo_surface_show_page(job.pdf);
  job.in_page = false;
  if (job.write_failed) {
    AbortDoc(hdc);
    SetLastError(ERROR_GEN_FAILURE);
    return SP_OUTOFDISK;
  }
  if (job.abort_proc != nullptr && !job.abort_proc(hdc, 0)) {
    // The procedure may have let the context go.
    if (printer_dc(hdc) != nullptr && printer_dc(hdc)->print->pdf != nullptr) AbortDoc(hdc);
    SetLastError(ERROR_PRINT_CANCELLED);
    return SP_APPABORT;
  }
  return 1;
}

int EndDoc(HDC hdc) {
  Dc* d = document_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  PrintJob& job = *d->print;
  if (job.in_page) cairo_surface_show_page(job.pdf);
  const bool written = job.close(true);
  end_document(*d);
  if (!written) {
    SetLastError(ERROR_GEN_FAILURE);
    return SP_ERROR;
  }
  if (job.out != nullptr) {
    const plat::ReplaceResult r = job.out->commit();
    job.out.reset();
    if (!r.ok()) {
      SetLastError(error_of_errno(r.error));
      return SP_ERROR;
    }
    std::error_code ec;
    const std::filesystem::path written =
        std::filesystem::absolute(plat::system_path(job.target), ec);
    last_file = ec ? plat::system_path(job.target) : written.lexically_normal().string();
    return 1;
  }
  cups_option_t* options = nullptr;
  int n = 0;
  if ((job.mode.dmFields & DM_COPIES) && job.mode.dmCopies > 1)
    n = plat::cups::AddOption("copies", std::to_string(job.mode.dmCopies).c_str(), n, &options);
  const int id = plat::cups::PrintFile2(CUPS_HTTP_DEFAULT, job.printer.name.c_str(),
                                        job.temp_path.c_str(), job.title.c_str(), n, options);
  plat::cups::FreeOptions(n, options);
  std::remove(job.temp_path.c_str());
  if (id <= 0) {
    SetLastError(ERROR_GEN_FAILURE);
    return SP_ERROR;
  }
  return 1;
}

int AbortDoc(HDC hdc) {
  Dc* d = document_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  d->print->close(false);
  end_document(*d);
  return 1;
}

int SetAbortProc(HDC hdc, ABORTPROC proc) {
  Dc* d = printer_dc(hdc);
  if (d == nullptr) return SP_ERROR;
  d->print->abort_proc = proc;
  return 1;
}

}  // namespace win

namespace plat {

std::string last_printed_file() { return win::detail::last_file; }
void clear_last_printed_file() { win::detail::last_file.clear(); }

}  // namespace plat
