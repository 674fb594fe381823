# Runs the layering check on the broken fixture and fails unless it fails with every violation.
execute_process(COMMAND ${PYTHON} ${CHECK} ${FIXTURE} RESULT_VARIABLE code OUTPUT_VARIABLE out)
if(NOT code EQUAL 1)
    message(FATAL_ERROR "expected exit status 1, got ${code}:\n${out}")
endif()
foreach(expected
        "src/serial/port_uses_upper_layers.cpp: \"serial\" may not include \"reader/command_exchange.h\""
        "src/serial/port_uses_upper_layers.cpp: core code includes the gui header \"serial/gui/serial_log_box.h\""
        "src/foundation/store_uses_stream.h: \"foundation\" may not include \"stream/stream.h\""
        "src/unlisted/orphan.cpp: its folder is not in the layer table")
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "missing: ${expected}\nin:\n${out}")
    endif()
endforeach()
string(REGEX MATCHALL "\n" lines "${out}")
list(LENGTH lines count)
if(NOT count EQUAL 4)
    message(FATAL_ERROR "expected exactly 4 violations:\n${out}")
endif()
