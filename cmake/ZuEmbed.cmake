# zu_embed_file(<target> <symbol> <file> [DEPENDS <target>])
# Compiles <file> into <target> as constant data reachable through
#   extern "C" const unsigned char <symbol>[]; extern "C" const unsigned long long <symbol>_size;
# The bytes are pulled in with the assembler's .incbin, so large files cost no
# code generation.
function(zu_embed_file target symbol file)
  cmake_parse_arguments(EMB "" "" "DEPENDS" ${ARGN})
  # A C file with a top-level asm statement: compiled by the C compiler as C,
  # which an assembler source given the C language is not.
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.c)
  file(WRITE ${asm}.in
    "__asm__(\n"
    "    \".section .rodata\\n\"\n"
    "    \".global ${symbol}\\n\"\n"
    "    \".global ${symbol}_size\\n\"\n"
    "    \".balign 16\\n\"\n"
    "    \"${symbol}:\\n\"\n"
    "    \".incbin \\\"@ZU_EMBED_FILE@\\\"\\n\"\n"
    "    \"${symbol}_end:\\n\"\n"
    "    \".byte 0\\n\"\n"
    "    \".balign 8\\n\"\n"
    "    \"${symbol}_size:\\n\"\n"
    "    \".quad ${symbol}_end - ${symbol}\\n\"\n"
    "    \".previous\\n\");\n")
  set(ZU_EMBED_FILE ${file})
  configure_file(${asm}.in ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES LANGUAGE C OBJECT_DEPENDS "${file}")
  target_sources(${target} PRIVATE ${asm})
  # A compiler cache hashes the C text only, not the file that .incbin pulls in,
  # and would hand back the old bytes after the file changed.
  set_property(TARGET ${target} PROPERTY C_COMPILER_LAUNCHER "")
  if(EMB_DEPENDS)
    add_dependencies(${target} ${EMB_DEPENDS})
  endif()
endfunction()
