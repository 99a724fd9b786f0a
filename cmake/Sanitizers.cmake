# TOVIN_SANITIZER=address: AddressSanitizer with UndefinedBehaviorSanitizer; =thread: ThreadSanitizer.
# Applied to every target of the build so the plug-in module, the host library and the tests agree.
if(TOVIN_SANITIZER STREQUAL "address")
  set(_tovin_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(TOVIN_SANITIZER STREQUAL "thread")
  set(_tovin_sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(TOVIN_SANITIZER)
  message(FATAL_ERROR "TOVIN_SANITIZER must be empty, 'address' or 'thread', not '${TOVIN_SANITIZER}'")
endif()

if(_tovin_sanitize_flags)
  # Code that must step aside for the sanitizer runtime (e.g. tests that replace operator new to count
  # allocations) tests TOVIN_SANITIZED.
  add_compile_definitions(TOVIN_SANITIZED=1)
  add_compile_options(${_tovin_sanitize_flags} -g)
  add_link_options(${_tovin_sanitize_flags})
endif()
