# Recording engine: pure pieces (timing decisions, queues) as unit tests, the engine itself
# against the test desktop's X display and PulseAudio, files read back with ffprobe.
clipnest_add_test(engine_units
    SOURCES engine_units.cpp
    LIBS clipnest_media)
clipnest_add_test(engine_desktop
    SOURCES engine_desktop.cpp engine_support.cpp engine_support.h
    LIBS clipnest_media Qt6::Gui
    DESKTOP TIMEOUT 400)
