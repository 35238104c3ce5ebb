# One interface target carries the language level, warnings and sanitizer flags; every target links it.
add_library(fieldlink_settings INTERFACE)
target_compile_features(fieldlink_settings INTERFACE cxx_std_20)
target_compile_options(fieldlink_settings INTERFACE -Wall -Wextra -Wshadow)
if(FIELDLINK_WERROR)
  target_compile_options(fieldlink_settings INTERFACE -Werror)
endif()
target_compile_definitions(fieldlink_settings INTERFACE $<$<CONFIG:Debug>:FIELDLINK_DEBUG=1>
                                                       FIELDLINK_VERSION="${PROJECT_VERSION}")

if(FIELDLINK_SANITIZE)
  target_compile_options(fieldlink_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
  target_link_options(fieldlink_settings INTERFACE -fsanitize=address,undefined)
endif()

if(FIELDLINK_FUZZ)
  # Coverage for libFuzzer in every library; the fuzz targets link the fuzzer runtime themselves.
  target_compile_options(fieldlink_settings INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
