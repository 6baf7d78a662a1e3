# Sourced: the sanitizer options for running the sanitizer build's programs. Leaks inside
# third-party libraries (fontconfig, GLib …) are suppressed by tools/lsan.supp; ours never are.
_kolvane_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=23:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$_kolvane_top/tools/lsan.supp:print_suppressions=0"
unset _kolvane_top
