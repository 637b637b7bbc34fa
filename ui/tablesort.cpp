#include "ui/tablesort.h"

#include "core/messages.h"
#include "core/runwords.h"

namespace ui {

namespace {

void notbuilt() {
  core::msgkey.set(core::MSGKEY("notYetBuilt"));
  core::xeqstop = core::stops::error;
}

}  // namespace

mxrec* mxfirst() {
  if (mxcur != nullptr)
    for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
      for (mxrec* t = w->firsttable; t != nullptr; t = t->next)
        if (t == mxcur) return w->firsttable;
  return exec::wdwcur != nullptr ? exec::wdwcur->firsttable : nullptr;
}

void ALLOCATEMXSORTINDEX() { notbuilt(); }
void ALLOCATEMXCLUSTERINFO(std::int32_t) { notbuilt(); }
void FREEMXSORTINDEX(mxrec& first) {
  first.sortindex.clear();
  first.clusterinfo1.clear();
  first.clusterinfo2.clear();
  first.clusterinfo3.clear();
}
void SORTMXCOLUMN(std::int32_t, std::int32_t) { notbuilt(); }
void MXCLUSTERSORT(std::int32_t, std::int32_t, std::int32_t, std::int32_t) { notbuilt(); }
void MXCLUSTERUPDOWN(std::int32_t) { notbuilt(); }
std::int32_t MATRIXFILTER(std::int32_t, std::string_view, std::int32_t, std::int32_t&, std::int32_t,
                          double) {
  notbuilt();
  return 0;
}
bool MATRIXSEARCH(std::int32_t, std::int32_t, std::string_view, std::int32_t, std::int32_t,
                  std::int32_t, std::int32_t&, double&, double) {
  notbuilt();
  return false;
}
void FMTREADSEARCHTEXT(std::string_view, std::int32_t, std::int32_t, double& value) {
  value = mxnonumber;
  notbuilt();
}
void MATRIXDELTASEARCH(std::int32_t, std::int32_t, std::int32_t&, double& value) {
  value = mxnonumber;
  notbuilt();
}
void MATRIXDELTAFILTER(std::int32_t&, std::int32_t, char, std::int32_t) { notbuilt(); }
void install_tablesort() {}

}  // namespace ui
