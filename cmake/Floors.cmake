# The floors of the house, bottom up: each folder and the folders below it
# that it may include and link. core/ and toolkit/ share a floor, as do
# text/ and numeric/: siblings do not use each other. A lower folder calls a
# higher one only through a record of function pointers that the higher
# one fills at start-up.
set(OSTREL_FLOORS platform core toolkit exec plot io text numeric ui ide app)
set(OSTREL_BELOW_platform "")
set(OSTREL_BELOW_core platform)
set(OSTREL_BELOW_toolkit platform)
set(OSTREL_BELOW_exec core toolkit platform)
set(OSTREL_BELOW_plot exec core toolkit platform)
set(OSTREL_BELOW_io plot exec core toolkit platform)
set(OSTREL_BELOW_text io plot exec core toolkit platform)
set(OSTREL_BELOW_numeric io plot exec core toolkit platform)
set(OSTREL_BELOW_ui text numeric io plot exec core toolkit platform)
set(OSTREL_BELOW_ide ui text numeric io plot exec core toolkit platform)
set(OSTREL_BELOW_app ide ui text numeric io plot exec core toolkit platform)
