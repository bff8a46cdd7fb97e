# Sourced by the sanitizer and fuzz legs: how the sanitizer runtimes behave.
# Every finding ends the program with a non-zero status so ctest sees it.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$here/sanitize/lsan.supp:print_suppressions=0"
