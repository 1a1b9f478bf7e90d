# Embeds files in the program as C++ byte arrays, so that images need no
# resource script and no files beside the executable.
#
#   include(embed_files)
#   qelvo_embed_files(
#       OUTPUT_SOURCE <file.cpp>        # relative: under the current binary dir
#       NAMESPACE <namespace>           # e.g. qelvo::resources
#       [HEADER <include path>]         # e.g. resources/skin_images.h
#       FILES <name>=<file> ...)        # relative: under the current source dir
#
# The generated source defines, for every <name>, in <namespace>
#
#   extern const std::span<const std::uint8_t> <name>;
#
# holding the whole file, byte for byte. It includes HEADER first when one is
# given, so that the compiler checks the definitions against the declarations
# there. The source is written at build time by this same file run as a script
# (cmake -P), and is written again whenever one of the files or this file
# changes. Add it to a target with target_sources().
#
# An empty file is an error: no image or other embedded file is ever empty,
# so an empty one means that it was lost or cut short.

# Inside the function CMAKE_CURRENT_LIST_FILE names the caller's file, so the
# path of this one is kept here, where it still names this file.
set(_qelvo_embed_files_script "${CMAKE_CURRENT_LIST_FILE}")

function(qelvo_embed_files)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT_SOURCE;NAMESPACE;HEADER" "FILES")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "qelvo_embed_files: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    foreach(required IN ITEMS OUTPUT_SOURCE NAMESPACE FILES)
        # Compared as a text: a bare if() would take a namespace called "n"
        # or "off" for false.
        if("${arg_${required}}" STREQUAL "")
            message(FATAL_ERROR "qelvo_embed_files: ${required} is missing")
        endif()
    endforeach()

    cmake_path(ABSOLUTE_PATH arg_OUTPUT_SOURCE BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
        OUTPUT_VARIABLE output)
    set(entries "")
    set(inputs "")
    foreach(entry IN LISTS arg_FILES)
        if(NOT entry MATCHES "^([A-Za-z_][A-Za-z0-9_]*)=(.+)$")
            message(FATAL_ERROR
                "qelvo_embed_files: '${entry}' is not <C++ name>=<file>")
        endif()
        set(name "${CMAKE_MATCH_1}")
        cmake_path(ABSOLUTE_PATH CMAKE_MATCH_2 BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
            OUTPUT_VARIABLE file)
        if(NOT EXISTS "${file}")
            message(FATAL_ERROR "qelvo_embed_files: ${file} (for ${name}) does not exist")
        endif()
        list(APPEND entries "${name}=${file}")
        list(APPEND inputs "${file}")
    endforeach()

    # The list goes to the script as one argument: $<SEMICOLON> keeps
    # add_custom_command from splitting it.
    list(JOIN entries "$<SEMICOLON>" entries_argument)
    list(LENGTH entries count)
    add_custom_command(
        OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}"
            "-DQELVO_EMBED_OUTPUT=${output}"
            "-DQELVO_EMBED_NAMESPACE=${arg_NAMESPACE}"
            "-DQELVO_EMBED_HEADER=${arg_HEADER}"
            "-DQELVO_EMBED_FILES=${entries_argument}"
            -P "${_qelvo_embed_files_script}"
        DEPENDS ${inputs} "${_qelvo_embed_files_script}"
        COMMENT "Embedding ${count} files in ${output}"
        VERBATIM)
endfunction()

# The file's bytes as the lines of a C++ initializer list, 16 bytes a line.
function(_qelvo_embed_bytes file out_variable)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
    string(REPEAT "0x[0-9a-f][0-9a-f], " 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
    string(REGEX REPLACE " \n" "\n    " bytes "    ${bytes}")
    string(REGEX REPLACE "[ \n]+$" "" bytes "${bytes}")
    set(${out_variable} "${bytes}" PARENT_SCOPE)
endfunction()

# Writes the source named by QELVO_EMBED_OUTPUT.
function(_qelvo_embed_write_source)
    set(listing "")
    set(arrays "")
    set(spans "")
    foreach(entry IN LISTS QELVO_EMBED_FILES)
        string(FIND "${entry}" "=" split)
        string(SUBSTRING "${entry}" 0 ${split} name)
        math(EXPR split "${split} + 1")
        string(SUBSTRING "${entry}" ${split} -1 file)
        file(SIZE "${file}" size)
        if(size EQUAL 0)
            message(FATAL_ERROR "embed_files: ${file} (for ${name}) is empty")
        endif()
        _qelvo_embed_bytes("${file}" bytes)
        string(APPEND listing "//   ${name}: ${file}, ${size} bytes\n")
        string(APPEND arrays "constexpr std::uint8_t ${name}Bytes[] = {\n${bytes}\n};\n\n")
        string(APPEND spans
            "extern constinit const std::span<const std::uint8_t> ${name}{${name}Bytes};\n")
    endforeach()

    set(include_header "")
    if(NOT "${QELVO_EMBED_HEADER}" STREQUAL "")
        set(include_header "#include \"${QELVO_EMBED_HEADER}\"\n\n")
    endif()
    file(WRITE "${QELVO_EMBED_OUTPUT}"
        "// Written by cmake/embed_files.cmake at build time; edit the files, not this.\n"
        "${listing}"
        "${include_header}"
        "#include <cstdint>\n#include <span>\n\n"
        "namespace ${QELVO_EMBED_NAMESPACE} {\n\nnamespace {\n\n"
        "${arrays}"
        "}  // namespace\n\n"
        "${spans}\n"
        "}  // namespace ${QELVO_EMBED_NAMESPACE}\n")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    _qelvo_embed_write_source()
endif()
