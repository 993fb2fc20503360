# End-to-end recordings with the clipnest-rec tool on the test desktop. The tool is
# defined later (under bench/), so its source file stands for it here; the generator
# expression and the dependency resolve once every target is known.
if(EXISTS ${PROJECT_SOURCE_DIR}/bench/media/clipnest_rec.cpp)
    clipnest_add_test(recording_e2e
        SOURCES recording_e2e.cpp recording_readback.cpp recording_readback.h
        LIBS Qt6::Widgets
        DESKTOP TIMEOUT 600)
    target_compile_definitions(recording_e2e PRIVATE
        CLIPNEST_REC_PROGRAM="$<TARGET_FILE:clipnest-rec>")
    add_dependencies(recording_e2e clipnest-rec)
endif()
