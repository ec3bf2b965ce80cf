# Compiles a file holding one include with a layer's include path, the way the layer's own
# files are compiled, and checks what the compiler finds.
#   cmake -DCOMPILER=c++ -DINCLUDES="dir|dir..." -DHEADER=view/quorbel_view.h
#         -DEXPECT=found|refused -DWORK=folder -P include_probe.cmake
# found: the header compiles there. refused: the compiler stops because it finds no such
# header (any other error would say nothing about the layers, and fails the probe).
foreach(var COMPILER INCLUDES HEADER EXPECT WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "include_probe: ${var} is not set")
  endif()
endforeach()

string(MAKE_C_IDENTIFIER "${HEADER}" name)
set(probe "${WORK}/${name}.cpp")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${probe}" "#include \"${HEADER}\"\n")
string(REPLACE "|" ";" dirs "${INCLUDES}")
list(TRANSFORM dirs PREPEND "-I")
execute_process(
  COMMAND "${COMPILER}" -std=c++20 -fsyntax-only ${dirs} "${probe}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)

if(EXPECT STREQUAL "found")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${HEADER} should compile on this include path:\n${output}")
  endif()
elseif(EXPECT STREQUAL "refused")
  if(result EQUAL 0)
    string(REPLACE "|" "\n  " shown "${INCLUDES}")
    message(FATAL_ERROR "${HEADER} was found on this include path:\n  ${shown}")
  endif()
  # gcc and clang say it so.
  string(FIND "${output}" "${HEADER}: No such file" gccMissing)
  string(FIND "${output}" "'${HEADER}' file not found" clangMissing)
  if(gccMissing EQUAL -1 AND clangMissing EQUAL -1)
    message(FATAL_ERROR "${HEADER} failed for another reason than not being found:\n${output}")
  endif()
else()
  message(FATAL_ERROR "include_probe: EXPECT is found or refused, not '${EXPECT}'")
endif()
