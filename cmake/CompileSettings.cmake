# One interface target carries the compile settings of every product target, so that the
# program, the tests and the benchmarks are built alike.
option(TICKVALE_WERROR "Treat compiler warnings as errors" OFF)
set(TICKVALE_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")

add_library(tickvale_compile_settings INTERFACE)
target_compile_features(tickvale_compile_settings INTERFACE cxx_std_17)
target_compile_options(tickvale_compile_settings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
target_compile_definitions(tickvale_compile_settings INTERFACE
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_STRICT_ITERATORS)
if(TICKVALE_WERROR)
  target_compile_options(tickvale_compile_settings INTERFACE -Werror)
endif()
if(TICKVALE_SANITIZE)
  set(sanitize_flags -fsanitize=${TICKVALE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_compile_options(tickvale_compile_settings INTERFACE ${sanitize_flags})
  target_link_options(tickvale_compile_settings INTERFACE ${sanitize_flags})
endif()
